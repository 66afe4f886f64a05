// The window, frame pacing, input and message boxes through SDL2.
//
// How the canvas gets into the window is presentation.cpp's business. The
// game was tuned for 60 steps a second, so flip() paces the loop to that from
// the wall clock: a 144 Hz display must not run it 2.4 times fast. It sleeps
// to each frame's deadline rather than watching the clock, so a game that has
// nothing to do between frames leaves the processor alone.
#include <SDL.h>
#include <time.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "base/encoding.h"
#include "media/media_internal.h"

using namespace media_internal;

namespace {

SDL_Window* gWindow = nullptr;
bool gVideoReady = false;
bool gHeadless = false;
bool gCloseRequested = false;
int gWindowW = 0, gWindowH = 0;

std::array<bool, 256> gLiveKeys{};
std::array<bool, 256> gKeys{};
int gLiveMouseX = 0, gLiveMouseY = 0;
bool gLiveMouseButton = false;
int gMouseX = 0, gMouseY = 0;
bool gMouseButton = false;
bool gInputCloseRequested = false;  // as the frame input in use says

bool gScripted = false;
std::array<bool, 256> gScriptKeys{};
int gScriptMouseX = 0, gScriptMouseY = 0;
bool gScriptButton = false;

// Frame deadlines on the monotonic clock: the n-th frame after gPaceStart is
// due at gPaceStart + n/60 s, counted exactly so that no rounding drifts.
std::int64_t gPaceStart = 0;
std::int64_t gPacedFrames = 0;
long long gFlips = 0;
// A network game keeps time with the other machine even without a window,
// and slows a little while it runs ahead of it.
bool gPaceHeadless = false;
std::int64_t gStretchNs = 0;
// Off: frames are drawn but not shown, heard or counted (see setPresenting).
bool gPresenting = true;
FlipHook gOverlayHook = nullptr;
void* gOverlayContext = nullptr;
// What was typed since the last takeTypedText(): printable ASCII, and '\b'
// for each Backspace; bounded, as nobody types an address that long.
std::string gTyped;
constexpr std::size_t kMaxTyped = 64;
void addTyped(char c) {
    if (gTyped.size() < kMaxTyped) gTyped += c;
}

// The keys that belong to the window rather than the game, as held at the
// last readKeyboard(), so each acts once per press.
bool gFullscreenKeyWasDown = false;
bool gScreenshotKeyWasDown = false;
bool gScreenshotWanted = false;
bool gFullscreen = false;
int gWindowedX = 0, gWindowedY = 0, gWindowedW = 0, gWindowedH = 0;
std::string gLastScreenshot;

namespace scan {
constexpr int F11 = 0x57, F12 = 0x58, LeftAlt = 0x38, RightAlt = 0xB8, KeypadEnter = 0x9C;
}
FlipHook gFlipHook = nullptr;
void* gFlipContext = nullptr;

// SDL scancodes (positions on the keyboard) to DirectInput scan codes, which
// are positions too: a German layout's Ö and Ä sit where US ; and ' are.
int toScanCode(SDL_Scancode sc) {
    if (sc >= SDL_SCANCODE_A && sc <= SDL_SCANCODE_Z) {
        static constexpr unsigned char letters[26] = {
            0x1E, 0x30, 0x2E, 0x20, 0x12, 0x21, 0x22, 0x23, 0x17, 0x24, 0x25, 0x26, 0x32,
            0x31, 0x18, 0x19, 0x10, 0x13, 0x1F, 0x14, 0x16, 0x2F, 0x11, 0x2D, 0x15, 0x2C};
        return letters[sc - SDL_SCANCODE_A];
    }
    if (sc >= SDL_SCANCODE_1 && sc <= SDL_SCANCODE_0) return 0x02 + (sc - SDL_SCANCODE_1);
    if (sc >= SDL_SCANCODE_F1 && sc <= SDL_SCANCODE_F10) return 0x3B + (sc - SDL_SCANCODE_F1);
    switch (sc) {
        case SDL_SCANCODE_ESCAPE:
            return 0x01;
        case SDL_SCANCODE_MINUS:
            return 0x0C;
        case SDL_SCANCODE_EQUALS:
            return 0x0D;
        case SDL_SCANCODE_BACKSPACE:
            return 0x0E;
        case SDL_SCANCODE_TAB:
            return 0x0F;
        case SDL_SCANCODE_LEFTBRACKET:
            return 0x1A;
        case SDL_SCANCODE_RIGHTBRACKET:
            return 0x1B;
        case SDL_SCANCODE_RETURN:
            return 0x1C;
        case SDL_SCANCODE_LCTRL:
            return 0x1D;
        case SDL_SCANCODE_SEMICOLON:
            return 0x27;  // Ö
        case SDL_SCANCODE_APOSTROPHE:
            return 0x28;  // Ä
        case SDL_SCANCODE_GRAVE:
            return 0x29;
        case SDL_SCANCODE_LSHIFT:
            return 0x2A;
        case SDL_SCANCODE_BACKSLASH:
            return 0x2B;
        case SDL_SCANCODE_NONUSHASH:
            return 0x2B;
        case SDL_SCANCODE_COMMA:
            return 0x33;
        case SDL_SCANCODE_PERIOD:
            return 0x34;
        case SDL_SCANCODE_SLASH:
            return 0x35;
        case SDL_SCANCODE_RSHIFT:
            return 0x36;
        case SDL_SCANCODE_KP_MULTIPLY:
            return 0x37;
        case SDL_SCANCODE_LALT:
            return 0x38;
        case SDL_SCANCODE_SPACE:
            return 0x39;
        case SDL_SCANCODE_CAPSLOCK:
            return 0x3A;
        case SDL_SCANCODE_F11:
            return 0x57;
        case SDL_SCANCODE_F12:
            return 0x58;
        case SDL_SCANCODE_NONUSBACKSLASH:
            return 0x56;
        case SDL_SCANCODE_KP_ENTER:
            return 0x9C;
        case SDL_SCANCODE_RCTRL:
            return 0x9D;
        case SDL_SCANCODE_RALT:
            return 0xB8;
        case SDL_SCANCODE_HOME:
            return 0xC7;
        case SDL_SCANCODE_UP:
            return 0xC8;
        case SDL_SCANCODE_PAGEUP:
            return 0xC9;
        case SDL_SCANCODE_LEFT:
            return 0xCB;
        case SDL_SCANCODE_RIGHT:
            return 0xCD;
        case SDL_SCANCODE_END:
            return 0xCF;
        case SDL_SCANCODE_DOWN:
            return 0xD0;
        case SDL_SCANCODE_PAGEDOWN:
            return 0xD1;
        case SDL_SCANCODE_INSERT:
            return 0xD2;
        case SDL_SCANCODE_DELETE:
            return 0xD3;
        default:
            return 0;
    }
}

void setLiveMouse(int windowX, int windowY) {
    const CanvasPlacement p = canvasPlacement(gWindowW, gWindowH);
    if (p.width <= 0 || p.height <= 0) return;
    const long long cx = (static_cast<long long>(windowX) - p.x) * kCanvasWidth / p.width;
    const long long cy = (static_cast<long long>(windowY) - p.y) * kCanvasHeight / p.height;
    gLiveMouseX = static_cast<int>(std::clamp<long long>(cx, 0, kCanvasWidth - 1));
    gLiveMouseY = static_cast<int>(std::clamp<long long>(cy, 0, kCanvasHeight - 1));
}

// Drains SDL's queue into our own key and mouse state.
void pumpEvents() {
    if (!gVideoReady) return;
    SDL_Event e;
    while (SDL_PollEvent(&e)) {
        switch (e.type) {
            case SDL_QUIT:
                gCloseRequested = true;
                break;
            case SDL_WINDOWEVENT:
                if (e.window.event == SDL_WINDOWEVENT_CLOSE) gCloseRequested = true;
                // Keys let go while another window had the focus would stay
                // down for ever otherwise.
                if (e.window.event == SDL_WINDOWEVENT_FOCUS_LOST) gLiveKeys.fill(false);
                if (e.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
                    SDL_GetWindowSize(gWindow, &gWindowW, &gWindowH);
                // What the window showed may be gone: the next flip shows all.
                if (e.window.event == SDL_WINDOWEVENT_EXPOSED ||
                    e.window.event == SDL_WINDOWEVENT_SHOWN ||
                    e.window.event == SDL_WINDOWEVENT_RESTORED)
                    presentEverythingNext();
                break;
            case SDL_CONTROLLERDEVICEADDED:
            case SDL_CONTROLLERDEVICEREMOVED:
                padEvent(e);
                break;
            case SDL_TEXTINPUT:
                for (const char* c = e.text.text; *c; ++c)
                    if (*c >= 0x20 && *c < 0x7F) addTyped(*c);
                break;
            case SDL_KEYDOWN:
            case SDL_KEYUP:
                if (e.type == SDL_KEYDOWN && e.key.keysym.scancode == SDL_SCANCODE_BACKSPACE)
                    addTyped('\b');
                if (int code = toScanCode(e.key.keysym.scancode))
                    gLiveKeys[code] = e.type == SDL_KEYDOWN;
                break;
            case SDL_MOUSEMOTION:
                setLiveMouse(e.motion.x, e.motion.y);
                break;
            case SDL_MOUSEBUTTONDOWN:
            case SDL_MOUSEBUTTONUP:
                setLiveMouse(e.button.x, e.button.y);
                if (e.button.button == SDL_BUTTON_LEFT)
                    gLiveMouseButton = e.type == SDL_MOUSEBUTTONDOWN;
                break;
            case SDL_RENDER_DEVICE_RESET:
                presentationDeviceReset();
                break;
            default:
                break;
        }
    }
}

// The game's window is borderless at the display's corner already, so
// fullscreen is that window grown to the whole display, in the display's own
// mode: what a window the size of the desktop looks like, which desktops
// show above their panels. It works the same with a window manager or
// without one (a window manager's fullscreen request goes unanswered where
// there is none). Going back restores the window's size.
void toggleFullscreen() {
    if (!gWindow) return;
    if (gFullscreen) {
        SDL_SetWindowSize(gWindow, gWindowedW, gWindowedH);
        SDL_SetWindowPosition(gWindow, gWindowedX, gWindowedY);
    } else {
        SDL_Rect display{};
        if (SDL_GetDisplayBounds(std::max(SDL_GetWindowDisplayIndex(gWindow), 0), &display) != 0) {
            std::fprintf(stderr, "pomvex: %s\n", SDL_GetError());
            return;
        }
        SDL_GetWindowPosition(gWindow, &gWindowedX, &gWindowedY);
        gWindowedW = gWindowW;
        gWindowedH = gWindowH;
        SDL_SetWindowPosition(gWindow, display.x, display.y);
        SDL_SetWindowSize(gWindow, display.w, display.h);
    }
    gFullscreen = !gFullscreen;
    SDL_GetWindowSize(gWindow, &gWindowW, &gWindowH);
}

// F11 or Alt+Return switch fullscreen, F12 asks for a screenshot: each once
// per press. Alt+Return is the window's, so the game does not see Return.
void windowKeys() {
    const bool alt = gKeys[scan::LeftAlt] || gKeys[scan::RightAlt];
    const bool enter = gKeys[key::Return] || gKeys[scan::KeypadEnter];
    const bool fullscreenKey = gKeys[scan::F11] || (alt && enter);
    if (fullscreenKey && !gFullscreenKeyWasDown) toggleFullscreen();
    gFullscreenKeyWasDown = fullscreenKey;
    if (alt) gKeys[key::Return] = gKeys[scan::KeypadEnter] = false;
    if (gKeys[scan::F12] && !gScreenshotKeyWasDown) gScreenshotWanted = true;
    gScreenshotKeyWasDown = gKeys[scan::F12];
}

bool displayAvailable() {
    if (gHeadless) return false;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver && (std::strcmp(driver, "x11") == 0) && !std::getenv("DISPLAY")) return false;
    return gVideoReady;
}

constexpr std::int64_t kNsPerSecond = 1'000'000'000;

std::int64_t monotonicNs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return std::int64_t{now.tv_sec} * kNsPerSecond + now.tv_nsec;
}

void sleepUntil(std::int64_t deadlineNs) {
    const timespec deadline{static_cast<time_t>(deadlineNs / kNsPerSecond),
                            static_cast<long>(deadlineNs % kNsPerSecond)};
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr) == EINTR) {
    }
}

void paceFrame() {
    if (gHeadless && !gPaceHeadless) return;
    const std::int64_t now = monotonicNs();
    gPaceStart += gStretchNs;
    gStretchNs = 0;
    const std::int64_t due = gPaceStart + (gPacedFrames + 1) * kNsPerSecond / 60;
    if (gPaceStart == 0 || now > due + kNsPerSecond / 60) {
        // First frame, or far behind (a stall, a dragged window): start afresh
        // rather than racing to catch up.
        gPaceStart = now;
        gPacedFrames = 0;
        return;
    }
    if (now < due) sleepUntil(due);
    ++gPacedFrames;
}

}  // namespace

bool initMedia() {
    initCanvas();
    if (!gVideoReady) {
        SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
        gVideoReady = SDL_Init(SDL_INIT_VIDEO) == 0;
        if (!gVideoReady) std::fprintf(stderr, "pomvex: %s\n", SDL_GetError());
        const char* driver = gVideoReady ? SDL_GetCurrentVideoDriver() : nullptr;
        gHeadless =
            !driver || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0;
        if (gVideoReady) startPads(gHeadless);
    }
    gCloseRequested = false;
    gFlips = 0;
    gFullscreenKeyWasDown = gScreenshotKeyWasDown = gScreenshotWanted = gFullscreen = false;
    gLastScreenshot.clear();
    gLiveKeys.fill(false);
    gKeys.fill(false);
    gInputCloseRequested = false;
    return gVideoReady;
}

void shutdownMedia() {
    // Pending draws are dropped before the pictures they use are freed.
    shutdownCanvas();
    shutdownAudio();
    shutdownText();
    shutdownSprites();
    closePresentation();
    if (gWindow) SDL_DestroyWindow(gWindow);
    gWindow = nullptr;
    stopPads();
    if (gVideoReady) SDL_Quit();
    gVideoReady = false;
    gScripted = false;
    gFlipHook = nullptr;
    gPaceStart = 0;
    gPacedFrames = 0;
}

DisplaySize primaryDisplaySize() {
    SDL_DisplayMode mode;
    if (gVideoReady && SDL_GetDesktopDisplayMode(0, &mode) == 0) return {mode.w, mode.h};
    return {kCanvasWidth, kCanvasHeight};
}

CanvasPlacement canvasPlacement(int windowWidth, int windowHeight) {
    // The canvas fills the window's width with bands above and below; a
    // window wider than 16:9 gets it the full height, centred, with bands
    // left and right instead.
    const long long w = windowWidth, h = windowHeight;
    if (w * 9 <= h * 16) {
        const int inset = roundToInt((windowHeight - windowWidth * 9.0 / 16.0) / 2.0);
        return {0, inset, windowWidth, windowHeight - 2 * inset};
    }
    const int inset = roundToInt((windowWidth - windowHeight * 16.0 / 9.0) / 2.0);
    return {inset, 0, windowWidth - 2 * inset, windowHeight};
}

bool openScreen(int width, int height, const char* title) {
    if (!gVideoReady) return false;
    gWindow =
        SDL_CreateWindow(title, 0, 0, width, height, SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN);
    if (!gWindow) {
        std::fprintf(stderr, "pomvex: %s\n", SDL_GetError());
        return false;
    }
    SDL_GetWindowSize(gWindow, &gWindowW, &gWindowH);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    if (!openPresentation(gWindow, gHeadless)) return false;
    SDL_ShowCursor(SDL_DISABLE);
    SDL_SetWindowGrab(gWindow, SDL_TRUE);
    int mx = 0, my = 0;
    SDL_GetMouseState(&mx, &my);
    setLiveMouse(mx, my);
    return true;
}

void flip() {
    if (!drawingOn()) return;
    if (gOverlayHook) gOverlayHook(gOverlayContext);
    finishFrame();
    if (!gPresenting) {
        // The screen still shows an older frame than the canvas holds, so
        // the next frame shown is shown whole.
        presentEverythingNext();
        return;
    }
    present();
    if (gScreenshotWanted) {
        // The canvas still holds exactly the frame just shown.
        gScreenshotWanted = false;
        gLastScreenshot = saveScreenshot();
    }
    pumpEvents();
    paceFrame();
    ++gFlips;
    if (gFlipHook) gFlipHook(gFlipContext);
}

std::string takeTypedText() {
    pumpEvents();
    std::string typed;
    typed.swap(gTyped);
    return typed;
}

void scriptTypedText(const std::string& text) {
    for (char c : text) addTyped(c);
}

void paceWithoutWindow(bool on) {
    gPaceHeadless = on;
}

void stretchNextFrame(int microseconds) {
    if (microseconds > 0) gStretchNs += std::int64_t{microseconds} * 1000;
}

void setPresenting(bool on) {
    gPresenting = on;
}

bool presentingOn() {
    return gPresenting && drawingOn();
}

void setOverlayHook(FlipHook hook, void* context) {
    gOverlayHook = hook;
    gOverlayContext = context;
}

void setFlipHook(FlipHook hook, void* context) {
    gFlipHook = hook;
    gFlipContext = context;
}

long long flipCount() {
    return gFlips;
}

bool pollWindowEvents() {
    pumpEvents();
    return gCloseRequested;
}

void messageBox(std::string_view title, std::string_view text) {
    const std::string t = cp1252ToUtf8(title), m = cp1252ToUtf8(text);
    std::fprintf(stderr, "%s: %s\n", t.c_str(), m.c_str());
    // The text is on stderr already; a box that cannot be shown (no core X
    // fonts, say) must at least say why, or the notice is lost unseen.
    if (displayAvailable() &&
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, t.c_str(), m.c_str(), gWindow) != 0)
        std::fprintf(stderr, "pomvex: could not show the message box \"%s\": %s\n", t.c_str(),
                     SDL_GetError());
}

void readKeyboard() {
    pumpEvents();
    readPads();
    gKeys = gScripted ? gScriptKeys : gLiveKeys;
    windowKeys();
}

bool keyHeld(int code) {
    return code >= 0 && code < 256 && gKeys[code];
}

void readMouse() {
    pumpEvents();
    gMouseX = gScripted ? gScriptMouseX : gLiveMouseX;
    gMouseY = gScripted ? gScriptMouseY : gLiveMouseY;
    gMouseButton = gScripted ? gScriptButton : gLiveMouseButton;
}

int mouseX() {
    return gMouseX;
}
int mouseY() {
    return gMouseY;
}
bool mouseButtonHeld(int button) {
    return button == 1 && gMouseButton;
}

void holdKey(int code) {
    if (code >= 0 && code < 256) gKeys[code] = true;
}

void holdPointerButton() {
    gMouseButton = true;
}

void movePointer(int dx, int dy) {
    gMouseX = std::clamp(gMouseX + dx, 0, kCanvasWidth - 1);
    gMouseY = std::clamp(gMouseY + dy, 0, kCanvasHeight - 1);
    // Where the pointer is stays where it was moved, until the mouse moves.
    (gScripted ? gScriptMouseX : gLiveMouseX) = gMouseX;
    (gScripted ? gScriptMouseY : gLiveMouseY) = gMouseY;
}

void useFrameInput(const FrameInput& input) {
    for (int code = 0; code < 256; ++code) gKeys[code] = input.held(code);
    gMouseX = std::clamp(input.mouseX, 0, kCanvasWidth - 1);
    gMouseY = std::clamp(input.mouseY, 0, kCanvasHeight - 1);
    gMouseButton = input.mouseButton;
    gInputCloseRequested = input.closeRequested;
}

bool inputAsksToClose() {
    return gInputCloseRequested;
}

FrameInput frameInputInUse() {
    FrameInput input;
    for (int code = 0; code < 256; ++code)
        if (gKeys[code]) input.hold(code);
    input.mouseX = gMouseX;
    input.mouseY = gMouseY;
    input.mouseButton = gMouseButton;
    input.closeRequested = gInputCloseRequested;
    return input;
}

bool windowFullscreen() {
    return gWindow && gFullscreen;
}

std::string lastScreenshot() {
    return gLastScreenshot;
}

void scriptedInput(bool on) {
    gScripted = on;
    gScriptKeys.fill(false);
    gScriptButton = false;
}

void scriptKey(int code, bool down) {
    if (code >= 0 && code < 256) gScriptKeys[code] = down;
}

void scriptMouse(int x, int y, bool leftButton) {
    gScriptMouseX = std::clamp(x, 0, kCanvasWidth - 1);
    gScriptMouseY = std::clamp(y, 0, kCanvasHeight - 1);
    gScriptButton = leftButton;
}

void scriptCloseRequest() {
    gCloseRequested = true;
}

// SDL's X11 video talks to the session's D-Bus (the screensaver), and
// libdbus keeps a buffer of that connection for the life of the process.
// The sanitizer build's leak checker is told so, and to keep quiet about it,
// so that it reports our own memory.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}
