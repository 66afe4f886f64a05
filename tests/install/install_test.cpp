// The Linux install: `cmake --install` into a staging folder, then the
// installed launcher starts the installed game on a display of its own, the
// way a player's desktop would, with HOME and XDG_DATA_HOME in a scratch
// folder.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "test_support/scratch_folder.h"
#include "test_support/x_session.h"
#include "tests/install/x_dialog.h"

namespace fs = std::filesystem;

namespace {

const fs::path kBuild = POMVEX_BUILD_DIR;

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool isExecutable(const fs::path& path) {
    return ::access(path.c_str(), X_OK) == 0 && fs::is_regular_file(path);
}

// The pictures a build lays into its run folder.
std::set<std::string> builtPictures() {
    std::set<std::string> names;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(fs::path(POMVEX_RUN_DIR) / "Data", ec)) {
        const std::string ext = e.path().extension().string();
        if (e.is_regular_file() && (ext == ".bmp" || ext == ".png" || ext == ".jpg"))
            names.insert(e.path().filename().string());
    }
    return names;
}

// Each installed program with the name of its menu entry.
std::map<std::string, std::string> programs() {
    std::map<std::string, std::string> desktopIds;
    std::stringstream list(POMVEX_INSTALLED_PROGRAMS);
    std::string entry;
    while (std::getline(list, entry, ',')) {
        const auto equals = entry.find('=');
        if (equals != std::string::npos)
            desktopIds[entry.substr(0, equals)] = entry.substr(equals + 1);
    }
    return desktopIds;
}

// A whole scratch tree: the staging root and a home folder.
class InstallTest : public ::testing::Test {
  protected:
    void SetUp() override {
        char templ[] = "/tmp/pomvex-install-XXXXXX";
        ASSERT_NE(::mkdtemp(templ), nullptr);
        root_ = templ;
        stage_ = root_ / "stage";
        home_ = root_ / "home";
        fs::create_directories(home_);
        const std::string command =
            "DESTDIR='" + stage_.string() + "' '" CMAKE_COMMAND "' --install '" + kBuild.string() +
            "' --prefix /usr > '" + (root_ / "install.log").string() + "' 2>&1";
        ASSERT_EQ(std::system(command.c_str()), 0) << slurp(root_ / "install.log");
        usr_ = stage_ / "usr";
    }
    void TearDown() override {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    // Starts the installed game through its launcher, answers the notice of
    // a first start if one comes, checks that the window shows more than
    // black, and closes the window like a window manager would.
    void playOnce(const XSession& x, const std::string& xdgDataHome, bool expectNotice) {
        // On a real display SDL loads X11 and D-Bus libraries that keep a
        // few hundred bytes to the end and are unloaded before the leak
        // checker of the sanitizer build looks, so it cannot even name them.
        // The game's own memory is leak-checked headless by the suite and
        // the soak run; here it is only the installation that is tested.
        ChildProgram game((usr_ / POMVEX_LAUNCHER_DIR / "pomvex").string(), x,
                          {{"HOME", home_.string()},
                           {"XDG_DATA_HOME", xdgDataHome},
                           {"SDL_VIDEODRIVER", "x11"},
                           {"ASAN_OPTIONS", "detect_leaks=0"}});
        ASSERT_TRUE(game.started());
        if (expectNotice) {
            // A first start writes the default options and says so; the
            // notice goes away like any dialog closed by its window's box.
            const unsigned long notice = findDialog(x, "Optionen", 30);
            ASSERT_NE(notice, 0u) << game.output();
            ASSERT_TRUE(x.sendCloseRequest(notice));
        }
        const unsigned long window = x.waitForWindow("Pomvex", 30);
        ASSERT_NE(window, 0u) << game.output();
        // The intro's logo fades in from black: once pixels light up, the
        // game has found its pictures through the links.
        bool lit = false;
        for (int tries = 0; tries < 100 && !lit; ++tries) {
            pauseSeconds(0.1);
            for (std::uint32_t p : x.grab(0, 0, x.screenWidth(), x.screenHeight()))
                if ((p & 0xFFFFFF) != 0) lit = true;
        }
        EXPECT_TRUE(lit) << "the screen stayed black";
        ASSERT_TRUE(x.sendCloseRequest(window));
        ASSERT_TRUE(game.waitForExit(30)) << game.output();
        EXPECT_EQ(game.exitCode(), 0) << game.output();
    }

    fs::path root_, stage_, home_, usr_;
};

TEST_F(InstallTest, LaysOutProgramsPicturesAndDesktopFiles) {
    const std::string appId = POMVEX_APP_ID;
    for (const auto& [name, desktopId] : programs()) {
        SCOPED_TRACE(name);
        const fs::path launcher = usr_ / POMVEX_LAUNCHER_DIR / name;
        ASSERT_TRUE(isExecutable(launcher));
        EXPECT_EQ(slurp(launcher).rfind("#!/bin/sh\n", 0), 0u);
        EXPECT_TRUE(isExecutable(usr_ / "libexec" / "pomvex" / name));
        // The real program is an ELF file, not another script.
        EXPECT_EQ(slurp(usr_ / "libexec" / "pomvex" / name).substr(0, 4),
                  "\x7F"
                  "ELF");

        const std::string desktop =
            slurp(usr_ / "share" / "applications" / (desktopId + ".desktop"));
        EXPECT_NE(desktop.find("[Desktop Entry]\n"), std::string::npos);
        EXPECT_NE(desktop.find("\nType=Application\n"), std::string::npos);
        EXPECT_NE(desktop.find("\nExec=" + name + "\n"), std::string::npos);
        EXPECT_NE(desktop.find("\nCategories=Game;ArcadeGame;\n"), std::string::npos);
        EXPECT_NE(desktop.find("\nIcon=" + appId + "\n"), std::string::npos);
        // The manual page, compressed as man expects it.
        EXPECT_EQ(slurp(usr_ / "share/man/man6" / (name + ".6.gz")).substr(0, 2), "\x1F\x8B");
    }
    EXPECT_TRUE(fs::is_regular_file(usr_ / "share/icons/hicolor/scalable/apps" / (appId + ".svg")));
    // Software centres find the game by its id and start it by its menu entry.
    const std::string metainfo = slurp(usr_ / "share/metainfo" / (appId + ".metainfo.xml"));
    EXPECT_NE(metainfo.find("<id>" + appId + "</id>"), std::string::npos);
    EXPECT_NE(metainfo.find("<launchable type=\"desktop-id\">" + programs().at("pomvex") +
                            ".desktop</launchable>"),
              std::string::npos);

    // Every picture and sound of the build and nothing else: no options,
    // scores or sound settings a `make play` may have left in the run folder.
    std::set<std::string> installed, built = builtPictures();
    built.insert("Klang");
    for (const auto& e : fs::directory_iterator(usr_ / "share/pomvex/Data"))
        installed.insert(e.path().filename().string());
    EXPECT_EQ(installed, built);
    std::size_t sounds = 0;
    for (const auto& e : fs::directory_iterator(usr_ / "share/pomvex/Data/Klang"))
        sounds += e.path().extension() == ".wav";
    EXPECT_EQ(sounds, static_cast<std::size_t>(std::distance(
                          fs::directory_iterator(fs::path(POMVEX_RUN_DIR) / "Data/Klang"),
                          fs::directory_iterator())));
    // Nothing lands outside the prefix.
    std::set<std::string> top;
    for (const auto& e : fs::directory_iterator(stage_)) top.insert(e.path().filename().string());
    EXPECT_EQ(top, std::set<std::string>{"usr"});
}

TEST_F(InstallTest, LauncherRunsTheGameInTheUsersFolderAcrossAnUpgrade) {
    if (programs().count("pomvex") == 0) GTEST_SKIP() << "no game in this build";
    const std::set<std::string> pictures = builtPictures();
    // Builds made with -DPOMVEX_ART=OFF have no pictures to install or show.
    if (pictures.empty()) GTEST_SKIP() << "this build has no pictures";
    XSession x(800, 600);
    ASSERT_TRUE(x.running());

    // First start, with XDG_DATA_HOME set.
    const fs::path dataHome = home_ / ".local" / "share";
    playOnce(x, dataHome.string(), true);
    const fs::path folder = dataHome / "pomvex";
    ASSERT_TRUE(fs::is_regular_file(folder / "Data/Optionen.txt"));
    EXPECT_TRUE(fs::is_regular_file(folder / "Data/Scores.txt"));
    EXPECT_TRUE(fs::is_directory(folder / "Data/CustomPU"));
    EXPECT_TRUE(fs::is_directory(folder / "Eigene Smileys"));
    for (const std::string& name : pictures) {
        SCOPED_TRACE(name);
        const fs::path link = folder / "Data" / name;
        ASSERT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(fs::canonical(link), fs::canonical(usr_ / "share/pomvex/Data" / name));
    }

    // The player keeps a picture of their own and hands out scores; then an
    // upgrade drops one picture and brings a new one.
    const std::string options = slurp(folder / "Data/Optionen.txt");
    const std::string scores = slurp(folder / "Data/Scores.txt");
    const std::string own = *pictures.begin();
    const std::string dropped = *pictures.rbegin();
    fs::remove(folder / "Data" / own);
    writeFileBytes((folder / "Data" / own).string(), "mine");
    fs::remove(usr_ / "share/pomvex/Data" / dropped);
    fs::copy_file(usr_ / "share/pomvex/Data" / own, usr_ / "share/pomvex/Data/Neu.bmp");

    // Second start, with XDG_DATA_HOME empty: the same folder under HOME.
    playOnce(x, "", false);
    EXPECT_EQ(slurp(folder / "Data/Optionen.txt"), options);
    EXPECT_EQ(slurp(folder / "Data/Scores.txt"), scores);
    EXPECT_FALSE(fs::is_symlink(folder / "Data" / own));
    EXPECT_EQ(slurp(folder / "Data" / own), "mine");
    EXPECT_FALSE(fs::exists(fs::symlink_status(folder / "Data" / dropped)));
    EXPECT_TRUE(fs::is_symlink(folder / "Data/Neu.bmp"));
    EXPECT_TRUE(fs::is_regular_file(folder / "Data/Neu.bmp"));
}

TEST_F(InstallTest, ARelativeXdgDataHomeIsIgnoredForTheOneUnderHome) {
    // The launcher alone: the installed game stands in as a script that
    // tells which folder it was started in.
    const fs::path program = usr_ / "libexec" / "pomvex" / "pomvex";
    ASSERT_TRUE(isExecutable(program));
    fs::remove(program);
    writeFileBytes(program.string(), "#!/bin/sh\npwd -P > \"$HOME/started-in\"\n");
    fs::permissions(program, fs::perms::owner_all);
    const fs::path work = root_ / "work";
    fs::create_directories(work);
    const std::string command = "cd '" + work.string() + "' && env -i HOME='" + home_.string() +
                                "' XDG_DATA_HOME=games '" +
                                (usr_ / POMVEX_LAUNCHER_DIR / "pomvex").string() + "'";
    ASSERT_EQ(std::system(command.c_str()), 0);
    const fs::path expected = fs::canonical(home_) / ".local" / "share" / "pomvex";
    EXPECT_EQ(slurp(home_ / "started-in"), expected.string() + "\n");
    EXPECT_TRUE(fs::is_directory(expected / "Data" / "CustomPU"));
    EXPECT_FALSE(fs::exists(work / "games"));
}

}  // namespace
