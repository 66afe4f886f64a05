// pomvex-options as a user meets it: the real program on a private Xvfb
// display, driven with xdotool at the gadgets' places, judged by the bytes
// it leaves in Data/Optionen.txt.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>

#include "test_support/scratch_folder.h"
#include "test_support/x_session.h"
#include "tool_window/save_failure.h"

namespace {

const std::string kOptions = "Data/Optionen.txt";

// Centres of the gadgets in client coordinates.
struct Point {
    int x, y;
};
constexpr Point kName1{200, 30};
constexpr Point kName2{200, 60};
constexpr Point kCustomPowerUps{250, 125};
constexpr Point kResolutionList{175, 90};
constexpr Point kSave{65, 135};
constexpr Point kCancel{165, 135};
constexpr Point kNativeResolution{320, 91};

constexpr int kListEntries = 18;

struct Geometry {
    int x = -1, y = -1, w = -1, h = -1;
};

class OptionsToolTest : public ::testing::Test {
  protected:
    // Every test gets its own display; the desktop size is what the tool
    // reads as the native resolution.
    void startDisplay(int width = 1920, int height = 1080) {
        x_ = std::make_unique<XSession>(width, height);
        ASSERT_TRUE(x_->running()) << "Xvfb did not start";
    }

    // Starts the tool in the scratch folder and waits for its window.
    void startTool(const std::vector<std::pair<std::string, std::string>>& env = {}) {
        tool_ = std::make_unique<ChildProgram>(POMVEX_OPTIONS_TOOL, *x_, env);
        ASSERT_TRUE(tool_->started());
        window_ = x_->waitForWindow("Optionen", 15);
        ASSERT_NE(window_, 0u) << "no window titled Optionen; output: " << tool_->output();
        ASSERT_TRUE(x_->raiseAndFocus(window_));
        pauseSeconds(0.2);
    }

    void click(Point p, double scale = 1) {
        const auto r = x_->xdotool({"mousemove", "--window", std::to_string(window_),
                                    std::to_string(static_cast<int>(p.x * scale)),
                                    std::to_string(static_cast<int>(p.y * scale)), "click", "1",
                                    "sleep", "0.2"});
        ASSERT_EQ(r.exitCode, 0) << r.output;
    }

    void keys(std::vector<std::string> names) {
        names.insert(names.begin(), {"key", "--delay", "60"});
        names.insert(names.end(), {"sleep", "0.2"});
        const auto r = x_->xdotool(names);
        ASSERT_EQ(r.exitCode, 0) << r.output;
    }

    void type(const std::string& utf8) {
        ASSERT_TRUE(x_->type(utf8, 60));
        pauseSeconds(0.2);
    }

    // Replaces a name field's text as a user does: click, select all, type.
    void replaceName(Point field, const std::string& utf8) {
        click(field);
        keys({"ctrl+a"});
        type(utf8);
    }

    // Opens the list with a click and steps to an entry with the arrow keys;
    // the open list starts at the entry that is selected.
    void chooseWithKeys(int from, int to) {
        click(kResolutionList);
        std::vector<std::string> steps;
        for (int i = from; i > to; --i) steps.push_back("Up");
        for (int i = from; i < to; ++i) steps.push_back("Down");
        steps.push_back("Return");
        keys(steps);
    }

    // Opens the list with a click and clicks an entry of the open list.
    void chooseWithMouse(int entry) {
        click(kResolutionList);
        Geometry list;
        eventually([&] {
            list = openListGeometry();
            return list.h > kListEntries * 10;
        });
        ASSERT_GT(list.h, kListEntries * 10) << "the list did not open";
        const int rowHeight = list.h / kListEntries;
        const int border = (list.h - rowHeight * kListEntries) / 2;
        const auto r =
            x_->xdotool({"mousemove", std::to_string(list.x + list.w / 2),
                         std::to_string(list.y + border + entry * rowHeight + rowHeight / 2),
                         "sleep", "0.2", "click", "1", "sleep", "0.2"});
        ASSERT_EQ(r.exitCode, 0) << r.output;
    }

    Geometry windowGeometry(unsigned long window) const {
        Geometry g;
        const auto r = x_->xdotool({"getwindowgeometry", "--shell", std::to_string(window)});
        std::istringstream lines(r.output);
        std::string line;
        while (std::getline(lines, line)) {
            const auto eq = line.find('=');
            if (eq == std::string::npos) continue;
            const std::string key = line.substr(0, eq);
            const int value = std::atoi(line.c_str() + eq + 1);
            if (key == "X") g.x = value;
            if (key == "Y") g.y = value;
            if (key == "WIDTH") g.w = value;
            if (key == "HEIGHT") g.h = value;
        }
        return g;
    }

    // The drop-down's list is a window of its own while it is open: the one
    // visible window that is neither the screen nor the dialog.
    Geometry openListGeometry() const {
        const auto r = x_->xdotool({"search", "--onlyvisible", "--name", ""});
        std::istringstream ids(r.output);
        unsigned long id = 0;
        while (ids >> id) {
            if (id == window_) continue;
            const Geometry g = windowGeometry(id);
            if (g.w == x_->screenWidth() && g.h == x_->screenHeight()) continue;
            return g;
        }
        return {};
    }

    // The tool ended by itself with exit code 0 and printed nothing.
    void expectToolEnds() {
        ASSERT_TRUE(tool_->waitForExit(10)) << "the tool is still running";
        EXPECT_EQ(tool_->exitCode(), 0);
        EXPECT_EQ(tool_->output(), "");
    }

    ScratchFolder folder_;
    std::unique_ptr<XSession> x_;
    std::unique_ptr<ChildProgram> tool_;
    unsigned long window_ = 0;
};

bool isBlack(std::uint32_t pixel) {
    return pixel == 0;
}

TEST_F(OptionsToolTest, WindowSitsAtItsPlaceWithFixedSize) {
    const std::string file = "Anna\r\nBernd\r\n1\r\n0\r\n1024\r\n768\r\n0\r\n";
    writeFileBytes(kOptions, file);
    startDisplay();
    startTool();

    const Geometry g = windowGeometry(window_);
    EXPECT_EQ(g.x, 478);
    EXPECT_EQ(g.y, 416);
    EXPECT_EQ(g.w, 370);
    EXPECT_EQ(g.h, 160);

    // On screen: the root window is black, the dialog is not; its corners
    // sit exactly at the edges of 478..847 × 416..575.
    const auto pixels = x_->grab(476, 414, 374, 164);
    ASSERT_EQ(pixels.size(), 374u * 164u);
    const auto at = [&](int sx, int sy) { return pixels[(sy - 414) * 374 + (sx - 476)]; };
    EXPECT_TRUE(isBlack(at(477, 420)));
    EXPECT_FALSE(isBlack(at(478, 420)));
    EXPECT_TRUE(isBlack(at(480, 415)));
    EXPECT_FALSE(isBlack(at(480, 416)));
    EXPECT_FALSE(isBlack(at(847, 575)));
    EXPECT_TRUE(isBlack(at(848, 575)));
    EXPECT_TRUE(isBlack(at(847, 576)));

    if (const char* dir = std::getenv("POMVEX_SCREENSHOT_DIR")) {
        EXPECT_TRUE(x_->saveScreenshot(std::string(dir) + "/pomvex-options.ppm"));
    }

    // A window manager is told that the size cannot change.
    const SizeLimits limits = x_->sizeLimits(window_);
    EXPECT_EQ(limits.minWidth, 370);
    EXPECT_EQ(limits.minHeight, 160);
    EXPECT_EQ(limits.maxWidth, 370);
    EXPECT_EQ(limits.maxHeight, 160);

    click(kCancel);
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions), file);
}

TEST_F(OptionsToolTest, SavingUnchangedKeepsEveryValue) {
    // 1600 by 900 equals a fixed entry, yet the current entry shows it; the
    // hidden player count and difficulty and the check box pass through.
    writeFileBytes(kOptions, "Anna\r\nBernd\r\n2\r\n1\r\n1600\r\n900\r\n1");
    startDisplay();
    startTool();
    click(kSave);
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions), "Anna\r\nBernd\r\n2\r\n1\r\n1600\r\n900\r\n1\r\n");

    // The selected entry is the last one: one step up from it reaches
    // "1920*1080", where a selected "1600*900" would reach "1600*768".
    startTool();
    chooseWithKeys(17, 16);
    click(kSave);
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions), "Anna\r\nBernd\r\n2\r\n1\r\n1920\r\n1080\r\n1\r\n");
}

TEST_F(OptionsToolTest, ChosenEntryIsSavedAndALongerFileCut) {
    writeFileBytes(kOptions,
                   "Anna\r\nBernd\r\n2\r\n2\r\n1024\r\n768\r\n0\r\n\r\n\r\nnoch eine Zeile\r\n");
    startDisplay();
    startTool();
    chooseWithMouse(0);
    click(kSave);
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions), "Anna\r\nBernd\r\n2\r\n2\r\n640\r\n480\r\n0\r\n");
}

TEST_F(OptionsToolTest, NativeResolutionTakesTheDesktopSize) {
    writeFileBytes(kOptions, "Anna\nBernd\n1\n0\n800\n600\n0\n");
    startDisplay(1920, 1080);
    startTool();
    click(kNativeResolution);
    click(kSave);
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions), "Anna\r\nBernd\r\n1\r\n0\r\n1920\r\n1080\r\n0\r\n");

    // Another entry chosen after it wins.
    startTool();
    click(kNativeResolution);
    chooseWithKeys(17, 2);
    click(kSave);
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions), "Anna\r\nBernd\r\n1\r\n0\r\n800\r\n600\r\n0\r\n");
}

TEST_F(OptionsToolTest, MissingFileGetsTheToolsDefaults) {
    startDisplay(1680, 1050);
    startTool();
    // Written at start, before the user does anything; no line end at the end.
    EXPECT_EQ(readFileBytes(kOptions), "Spieler1\r\nSpieler2\r\n1\r\n0\r\n1680\r\n1050\r\n0");
    click(kSave);
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions), "Spieler1\r\nSpieler2\r\n1\r\n0\r\n1680\r\n1050\r\n0\r\n");
}

TEST_F(OptionsToolTest, CloseOrCancelWritesNothing) {
    const std::string file = "Anna\r\nBernd\r\n1\r\n0\r\n1024\r\n768\r\n1\r\n\r\n";
    writeFileBytes(kOptions, file);
    startDisplay();

    startTool();
    replaceName(kName1, "Carla");
    click(kCustomPowerUps);
    click(kNativeResolution);
    ASSERT_TRUE(x_->sendCloseRequest(window_));
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions), file);

    startTool();
    replaceName(kName2, "Dora");
    chooseWithKeys(17, 0);
    click(kCancel);
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions), file);
}

TEST_F(OptionsToolTest, NamesAndCheckBoxAsTyped) {
    writeFileBytes(kOptions, "Anna\r\nBernd\r\n1\r\n0\r\n1280\r\n720\r\n0\r\n");
    startDisplay();
    startTool();
    replaceName(kName1, "Carla");
    click(kName2);
    keys({"ctrl+a", "BackSpace"});
    click(kCustomPowerUps);
    click(kSave);
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions), "Carla\r\n\r\n1\r\n0\r\n1280\r\n720\r\n1\r\n");

    // Unchecking works the other way round.
    startTool();
    click(kCustomPowerUps);
    click(kSave);
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions), "Carla\r\n\r\n1\r\n0\r\n1280\r\n720\r\n0\r\n");
}

TEST_F(OptionsToolTest, NamesWithUmlautsKeepTheirBytes) {
    // Windows-1252 in the file: ü, the euro sign, é.
    const std::string file = "J\xFCrgen \x80\r\nRen\xE9\x65\r\n1\r\n0\r\n1024\r\n768\r\n0\r\n";
    writeFileBytes(kOptions, file);
    startDisplay();
    startTool();
    click(kSave);
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions), file);

    // Typed text goes into the file as 1252 bytes; a letter the code page
    // lacks becomes '?'.
    startTool();
    click(kName1);
    keys({"End"});
    type("\xC3\x9F");                            // ß
    replaceName(kName2, "Zo\xC3\xAB \xCE\xA9");  // Zoë Ω
    click(kSave);
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions),
              "J\xFCrgen \x80\xDF\r\nZo\xEB ?\r\n1\r\n0\r\n1024\r\n768\r\n0\r\n");
}

TEST_F(OptionsToolTest, TabWalksTheGadgetsInTableOrder) {
    writeFileBytes(kOptions, "Anna\r\nBernd\r\n1\r\n0\r\n1024\r\n768\r\n0\r\n");
    startDisplay(1920, 1080);
    startTool();
    click(kName1);
    // name 1 -> check box (Space ticks it) -> name 2 (Tab selects its text)
    keys({"Tab", "space", "Tab"});
    type("Zwei");
    // -> list -> Speichern -> Abbrechen -> "Native Aufloesung" (Space presses
    // it) -> round to name 1 -> check box -> name 2 -> list -> Speichern
    keys({"Tab", "Tab", "Tab", "Tab", "space"});
    keys({"Tab", "Tab", "Tab", "Tab", "Tab"});
    ASSERT_TRUE(tool_->stillRunning());
    keys({"Return"});
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions), "Anna\r\nZwei\r\n1\r\n0\r\n1920\r\n1080\r\n1\r\n");
}

TEST_F(OptionsToolTest, ReturnInANameFieldDoesNotSave) {
    const std::string file = "Anna\r\nBernd\r\n1\r\n0\r\n1024\r\n768\r\n0\r\n";
    writeFileBytes(kOptions, file);
    startDisplay();
    startTool();
    click(kName1);
    keys({"End"});
    type("lena");
    keys({"Return", "KP_Enter"});
    pauseSeconds(0.5);
    EXPECT_TRUE(tool_->stillRunning());
    EXPECT_EQ(readFileBytes(kOptions), file);
    click(kSave);
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions), "Annalena\r\nBernd\r\n1\r\n0\r\n1024\r\n768\r\n0\r\n");
}

TEST_F(OptionsToolTest, AFailedSaveSaysSoAndKeepsTheDialogOpen) {
    const std::string file = "Anna\r\nBernd\r\n1\r\n0\r\n1024\r\n768\r\n0\r\n";
    writeFileBytes(kOptions, file);
    startDisplay();
    startTool();
    replaceName(kName1, "Carla");
    click(kCustomPowerUps);
    // A file stands where the Data folder belongs: no save can get through,
    // whoever runs the tool. The old options wait aside.
    std::filesystem::rename("Data", "Data-beiseite");
    writeFileBytes("Data", "kein Ordner");
    click(kSave);
    const unsigned long box = x_->waitForWindow(kSaveFailureTitle, 10);
    ASSERT_NE(box, 0u) << "no message box; output: " << tool_->output();
    ASSERT_TRUE(x_->raiseAndFocus(box));
    if (const char* dir = std::getenv("POMVEX_SCREENSHOT_DIR")) {
        EXPECT_TRUE(x_->saveScreenshot(std::string(dir) + "/pomvex-options-save-failed.ppm"));
    }
    keys({"Return"});
    ASSERT_TRUE(eventually([&] {
        return x_->xdotool({"search", "--onlyvisible", "--name", kSaveFailureTitle}).exitCode != 0;
    })) << "the message box stays";
    ASSERT_TRUE(tool_->stillRunning()) << "the dialog closed as if it had saved";

    std::filesystem::remove("Data");
    std::filesystem::rename("Data-beiseite", "Data");
    EXPECT_EQ(readFileBytes(kOptions), file);
    // The dialog still holds what was entered, and now it saves.
    ASSERT_TRUE(x_->raiseAndFocus(window_));
    click(kSave);
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions), "Carla\r\nBernd\r\n1\r\n0\r\n1024\r\n768\r\n1\r\n");
}

TEST_F(OptionsToolTest, DoubleScaleDoublesTheWholeWindow) {
    writeFileBytes(kOptions, "Anna\r\nBernd\r\n1\r\n0\r\n1024\r\n768\r\n0\r\n");
    startDisplay(1920, 1200);
    startTool({{"GDK_SCALE", "2"}});
    const Geometry g = windowGeometry(window_);
    EXPECT_EQ(g.x, 956);
    EXPECT_EQ(g.y, 832);
    EXPECT_EQ(g.w, 740);
    EXPECT_EQ(g.h, 320);
    if (const char* dir = std::getenv("POMVEX_SCREENSHOT_DIR")) {
        EXPECT_TRUE(x_->saveScreenshot(std::string(dir) + "/pomvex-options-200.ppm"));
    }
    // The gadgets moved with it: the doubled places still hit them.
    click(kCustomPowerUps, 2);
    click(kSave, 2);
    expectToolEnds();
    EXPECT_EQ(readFileBytes(kOptions), "Anna\r\nBernd\r\n1\r\n0\r\n1024\r\n768\r\n1\r\n");
}

}  // namespace
