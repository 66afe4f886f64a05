// Takes the README's screenshots from the real programs: the title screen, a
// busy two-player game, the game-over screen, the options dialog and the
// power-up editor, each as a PNG. Everything runs on a private Xvfb display
// in a scratch game folder; the game is played with xdotool as a person
// would, holding keys for both players.
//
//   pomvex-screenshots OUTPUT-FOLDER
#include <X11/Xlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "test_support/picture_files.h"
#include "test_support/x_session.h"

namespace fs = std::filesystem;

namespace {

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
};

// Where a top-level window lies on the screen (Xvfb has no window manager,
// so no frame around it).
Rect windowRect(const XSession& x, unsigned long window) {
    Rect r;
    Display* d = XOpenDisplay(x.display().c_str());
    if (!d) return r;
    XWindowAttributes a;
    if (XGetWindowAttributes(d, window, &a)) {
        Window child;
        XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &r.x, &r.y, &child);
        r.w = a.width;
        r.h = a.height;
    }
    XCloseDisplay(d);
    return r;
}

bool savePng(const XSession& x, Rect r, const fs::path& path) {
    if (r.w <= 0 || r.h <= 0) r = {0, 0, x.screenWidth(), x.screenHeight()};
    const std::vector<std::uint32_t> pixels = x.grab(r.x, r.y, r.w, r.h);
    if (pixels.size() != static_cast<std::size_t>(r.w) * r.h) return false;
    TestPicture opaque(r.w, r.h, 0);
    for (std::size_t i = 0; i < pixels.size(); ++i) opaque.pixels[i] = 0xFF000000u | pixels[i];
    const bool ok = writePng(path, opaque);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", path.c_str());
    return ok;
}

// Share of the screen that is not black: the intro and the fades are mostly
// black, every full screen of the game is not.
double litShare(const XSession& x) {
    const auto pixels = x.grab(0, 0, x.screenWidth(), x.screenHeight());
    if (pixels.empty()) return 0;
    std::size_t lit = 0;
    for (std::uint32_t p : pixels) lit += (p & 0xFFFFFF) != 0;
    return static_cast<double>(lit) / pixels.size();
}

// Waits until the screen is (or is no longer) mostly lit; false on timeout.
bool waitForScreen(const XSession& x, bool lit, double seconds) {
    for (double t = 0; t < seconds; t += 0.2) {
        if ((litShare(x) > 0.5) == lit) return true;
        pauseSeconds(0.2);
    }
    return false;
}

void xdo(const XSession& x, std::vector<std::string> args) {
    x.xdotool(std::move(args));
}

// Holds a key for a few frames: the game samples the keyboard once a frame.
void press(const XSession& x, const std::string& key) {
    xdo(x, {"keydown", key});
    pauseSeconds(0.15);
    xdo(x, {"keyup", key});
    pauseSeconds(0.1);
}

void click(const XSession& x, int px, int py) {
    xdo(x, {"mousemove", std::to_string(px), std::to_string(py)});
    pauseSeconds(0.1);
    xdo(x, {"mousedown", "1"});
    pauseSeconds(0.15);
    xdo(x, {"mouseup", "1"});
    pauseSeconds(0.1);
}

// Both players move about and fire for a while: each half second every
// player picks a direction to walk and one to shoot.
void play(const XSession& x, double seconds) {
    const char* moves[2][4] = {{"p", "l", "p", "l"}, {"w", "a", "s", "d"}};
    const char* fires[2][4] = {{"Up", "Left", "Down", "Right"}, {"t", "f", "g", "h"}};
    std::mt19937 dice(7);
    std::vector<std::string> held;
    for (double t = 0; t < seconds; t += 0.5) {
        std::vector<std::string> up = {"keyup"};
        for (const std::string& k : held) up.push_back(k);
        if (up.size() > 1) xdo(x, up);
        held.clear();
        for (int p = 0; p < 2; ++p) {
            held.push_back(moves[p][dice() % 4]);
            held.push_back(fires[p][dice() % 4]);
        }
        std::vector<std::string> down = {"keydown"};
        for (const std::string& k : held) down.push_back(k);
        xdo(x, down);
        pauseSeconds(0.5);
    }
    std::vector<std::string> up = {"keyup"};
    for (const std::string& k : held) up.push_back(k);
    xdo(x, up);
}

void writeFile(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: pomvex-screenshots OUTPUT-FOLDER\n");
        return 2;
    }
    const fs::path out = fs::absolute(argv[1]);
    fs::create_directories(out);

    // A game folder of its own, laid out as the programs expect it.
    char templ[] = "/tmp/pomvex-screenshots-XXXXXX";
    if (!::mkdtemp(templ)) return 1;
    const fs::path folder = templ;
    fs::create_directories(folder / "Data/CustomPU");
    fs::create_directories(folder / "Eigene Smileys");
    fs::create_directories(folder / "home");
    for (const auto& e : fs::directory_iterator(fs::path(POMVEX_RUN_DIR) / "Data"))
        if (e.is_regular_file())
            fs::create_symlink(e.path(), folder / "Data" / e.path().filename());
    writeFile(folder / "Data/Optionen.txt", "Anna\r\nBen\r\n2\r\n2\r\n1366\r\n768\r\n0");
    fs::current_path(folder);
    const std::vector<std::pair<std::string, std::string>> env = {
        {"HOME", (folder / "home").string()}, {"SDL_VIDEODRIVER", "x11"}};

    XSession x(1366, 768);
    if (!x.running()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    int failures = 0;
    {
        ChildProgram game(POMVEX_GAME, x, env);
        const unsigned long window = x.waitForWindow("Pomvex", 30);
        if (window == 0) {
            std::fprintf(stderr, "the game did not open its window:\n%s\n", game.output().c_str());
            return 1;
        }
        x.raiseAndFocus(window);
        // Past the intro: Escape skips it, and it ends by itself anyway.
        for (int tries = 0; tries < 10 && !waitForScreen(x, true, 2.0); ++tries) press(x, "Escape");
        // The title with the pointer on "Start", which lights it up.
        xdo(x, {"mousemove", "450", "405"});
        pauseSeconds(1.0);
        failures += !savePng(x, {}, out / "title.png");

        // A game fades in from black.
        click(x, 450, 405);
        waitForScreen(x, false, 5.0);
        if (!waitForScreen(x, true, 15.0)) std::fprintf(stderr, "the game did not show\n");
        play(x, 7);
        failures += !savePng(x, {}, out / "game.png");

        // End the game from the pause menu; it fades out to the game-over
        // screen.
        press(x, "Escape");
        pauseSeconds(0.3);
        press(x, "Down");
        press(x, "Return");
        waitForScreen(x, false, 10.0);
        if (!waitForScreen(x, true, 10.0)) std::fprintf(stderr, "no game-over screen\n");
        pauseSeconds(0.5);
        failures += !savePng(x, {}, out / "game-over.png");

        press(x, "Return");
        pauseSeconds(0.5);
        x.sendCloseRequest(window);
        if (!game.waitForExit(10) || game.exitCode() != 0) {
            std::fprintf(stderr, "the game did not end as it should:\n%s\n", game.output().c_str());
            ++failures;
        }
    }
    {
        ChildProgram options(POMVEX_OPTIONS_TOOL, x, env);
        const unsigned long window = x.waitForWindow("Optionen", 30);
        if (window != 0) {
            x.raiseAndFocus(window);
            pauseSeconds(1.0);
            failures += !savePng(x, windowRect(x, window), out / "options.png");
            x.sendCloseRequest(window);
        } else {
            ++failures;
        }
        options.waitForExit(10);
    }
    {
        ChildProgram editor(POMVEX_POWERUP_EDITOR, x, env);
        const unsigned long window = x.waitForWindow("Power-Up 1", 30);
        if (window != 0) {
            x.raiseAndFocus(window);
            pauseSeconds(1.0);
            failures += !savePng(x, windowRect(x, window), out / "editor.png");
            x.sendCloseRequest(window);
        } else {
            ++failures;
        }
        editor.waitForExit(10);
    }
    std::error_code ec;
    fs::current_path("/", ec);
    fs::remove_all(folder, ec);
    return failures == 0 ? 0 : 1;
}
