// The media layer: everything the game needs of the platform — the window and
// its 1366 x 768 canvas, sprites, text, sound, keyboard and mouse, random
// numbers, the time of day and entity lists. No game file includes SDL, pixman,
// libpng or libjpeg; they include this header.
//
// Sprites are addressed by slot numbers the game chooses. Every operation on a
// slot that holds no picture does nothing and returns 0, so a missing picture
// never stops the game.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "base/entity_list.h"
#include "base/numbers.h"

constexpr int kCanvasWidth = 1366;
constexpr int kCanvasHeight = 768;

// Colours are red + green * 256 + blue * 65536.
constexpr int rgb(int red, int green, int blue) {
    return red + green * 256 + blue * 65536;
}

// ---- start and end -------------------------------------------------------

// Starts the services that need no window (display queries, message boxes,
// input state, the random generator). Returns false when the video system
// cannot start at all.
bool initMedia();
// Releases the window, sprites, fonts and every library the layer started.
void shutdownMedia();

// ---- screen and frame ----------------------------------------------------

struct DisplaySize {
    int width;
    int height;
};
DisplaySize primaryDisplaySize();

// Opens the borderless window of width x height pixels at the top-left corner
// of the display; the canvas is scaled into it with black bands where the
// window's shape differs from 16:9. Returns false when no window could be made.
bool openScreen(int width, int height, const char* title);
// Shows the canvas, handles pending window events and keeps the game at 60
// steps per second whatever the display's refresh rate.
void flip();
void clearCanvas(int colour);
// True once the user asked to close the window (the request is remembered).
bool pollWindowEvents();
// What the user typed since the last call: printable ASCII as the keyboard
// layout gives it, and '\b' for each Backspace.
std::string takeTypedText();
// For tests: text as if typed.
void scriptTypedText(const std::string& text);
// Modal box with an OK button; on a machine without a display it only writes
// the text to stderr. Texts are Windows-1252.
void messageBox(std::string_view title, std::string_view text);

// Where the canvas lands in a window of the given size: top-left corner and
// size in window pixels.
struct CanvasPlacement {
    int x, y, width, height;
};
CanvasPlacement canvasPlacement(int windowWidth, int windowHeight);

// ---- sprites -------------------------------------------------------------

void setTransparentColour(int colour);
// Mode 0: plain; 4: also usable by rotatable sprites; 12: like 4 and keeping
// the picture's own alpha channel. Returns nonzero on success; a picture that
// does not decode leaves the slot empty.
int loadSprite(int slot, const std::string& file, int mode);
// Loads several pictures at once with the same result as loadSprite for each
// in turn; the decoding is spread over the cores.
struct SpriteFile {
    int slot;
    std::string file;
    int mode;
};
void loadSprites(const SpriteFile* files, int count);
void freeSprite(int slot);
bool spriteLoaded(int slot);
int width(int slot);   // width of the displayed rectangle
int height(int slot);  // height of the displayed rectangle
int fullWidth(int slot);
int fullHeight(int slot);

void drawOpaque(int slot, int x, int y);
void drawTransparent(int slot, int x, int y);
void drawTinted(int slot, int x, int y, int colour);
void drawTranslucent(int slot, int x, int y, int opacity);
void fillAdditive(int x, int y, int w, int h, int red, int green, int blue);
void clip(int slot, int x, int y, int w, int h);
bool collide(int slotA, int xA, int yA, int slotB, int xB, int yB);
bool collidePixels(int slotA, int xA, int yA, int slotB, int xB, int yB);
void grabCanvas(int slot, int x, int y, int w, int h);
// What collisions see of a picture, digested: its size and which of its
// pixels are not clear. 0 for an empty slot.
std::uint64_t pictureShape(int slot);

void makeRotatable(int number, int slot);
void rotate(int number, double degrees, int add);
double rotation(int number);
void drawRotatable(int number, int x, int y, int opacity);
void beginRotated();
void endRotated();

// ---- text ----------------------------------------------------------------
// Texts are Windows-1252 bytes, as everywhere in the game.

void beginText();
void endText();
void loadFont(int id, const std::string& face, int size);
void useFont(int id);
void setTextColour(int colour);
void setTextTransparent();
void drawText(int x, int y, std::string_view text);
void drawText(int x, int y, std::string_view text, int colour);
int textWidth(std::string_view text);
void drawLine(int x1, int y1, int x2, int y2, int colour);

// ---- input ---------------------------------------------------------------
// Keys are DirectInput scan codes.

namespace key {
constexpr int Escape = 0x01;
constexpr int Return = 0x1C;
constexpr int W = 0x11, A = 0x1E, S = 0x1F, D = 0x20;
constexpr int T = 0x14, F = 0x21, G = 0x22, H = 0x23;
constexpr int P = 0x19, L = 0x26;
constexpr int OUmlaut = 0x27, AUmlaut = 0x28;  // Ö and Ä on a German keyboard
constexpr int Up = 0xC8, Down = 0xD0, Left = 0xCB, Right = 0xCD;
constexpr int Space = 0x39;
constexpr int M = 0x32;
}  // namespace key

// Also reads the pads and, once per press, acts on the keys that belong to
// the window rather than the game: F11 or Alt+Return switches between the
// window and fullscreen, F12 saves the next frame shown as a PNG in
// "Bildschirmfotos/".
void readKeyboard();
bool keyHeld(int code);
void readMouse();
int mouseX();
int mouseY();
bool mouseButtonHeld(int button);

// Other devices the game maps onto the keyboard and mouse (the pads): holds
// a key, or the pointer's button, in this frame's state as if pressed; the
// next readKeyboard() or readMouse() forgets it. movePointer moves the
// pointer by whole canvas pixels and keeps it there.
void holdKey(int code);
void holdPointerButton();
void movePointer(int dx, int dy);

bool windowFullscreen();

// Everything one frame of the game reads from its players: the keys held,
// with the pads already mapped onto them, the pointer and its button, and
// the window's close request. Before each frame exactly one source fills it
// (the devices, a replay, a network peer); the game reads nothing else.
struct FrameInput {
    std::array<std::uint8_t, 32> keys{};  // one bit per scan code
    int mouseX = 0, mouseY = 0;
    bool mouseButton = false;
    bool closeRequested = false;
    bool held(int code) const {
        return code >= 0 && code < 256 && ((keys[code >> 3] >> (code & 7)) & 1) != 0;
    }
    void hold(int code) {
        if (code >= 0 && code < 256) keys[code >> 3] |= static_cast<std::uint8_t>(1 << (code & 7));
    }
    bool operator==(const FrameInput&) const = default;
};
// What keyHeld, mouseX, mouseY and mouseButtonHeld answer from now on; the
// pointer is kept inside the canvas.
void useFrameInput(const FrameInput& input);
// The input in use, with whatever holdKey, holdPointerButton and
// movePointer added since; closeRequested as last used.
FrameInput frameInputInUse();
// The close request of the input in use, without copying the whole record.
bool inputAsksToClose();

// ---- gamepads --------------------------------------------------------------
// Pads as SDL's game-controller mapping names their controls: A at the
// bottom of the four face buttons, B right, X left, Y on top. A pad takes the
// lowest free place when it is plugged in and leaves it empty when it goes.

constexpr int kMaxPads = 4;
enum class PadButton { A, B, X, Y, Back, Start, Up, Down, Left, Right };
constexpr int kPadButtonCount = 10;
enum class PadAxis { LeftX, LeftY, RightX, RightY };  // -1 to 1, y down
constexpr int kPadAxisCount = 4;
struct PadState {
    bool connected = false;
    bool buttons[kPadButtonCount] = {};
    double axes[kPadAxisCount] = {};
    bool held(PadButton b) const { return buttons[static_cast<int>(b)]; }
    double axis(PadAxis a) const { return axes[static_cast<int>(a)]; }
};
// The pad in a place as the last readKeyboard() found it.
const PadState& padState(int place);
// Whether a pad was unplugged before the last readKeyboard().
bool padWentAway();
// Shakes the pad in a place, where it has a motor: strength 0 to 1.
void rumblePad(int place, double strength, int milliseconds);

// ---- sound ----------------------------------------------------------------
// Effects are addressed by slot numbers the game chooses, as pictures are.
// Without a sound device (or before openAudio) every call here does
// nothing, and so do playSound and playMusic in the "not drawn" mode.

// Opens the sound device: 48 kHz stereo, 512 sample frames a buffer. False,
// said once on stderr, when there is none: the game then plays silently.
bool openAudio();
bool audioOpen();
// A WAV file into a slot; a file that does not load leaves the slot silent.
bool loadSound(int slot, const std::string& file);
// Starts a slot's sound; at most once a frame, and not while it already
// sounds kVoicesPerSound times.
constexpr int kVoicesPerSound = 3;
void playSound(int slot);
// Streams a tune from its file, looping or once; the tune already playing
// goes on; "" stops the music.
void playMusic(const std::string& file, bool loop);
// Volumes of the effects and of the music, 0 to 100.
void setVolumes(int effects, int music);
void setMuted(bool muted);
bool audioMuted();

// ---- other services ------------------------------------------------------

// A whole number from 0 to max, both ends included.
int random(int max);
void seedRandom(std::uint64_t seed);
// The generator's whole state, for snapshots of a game.
struct RandomState {
    std::uint64_t words[4] = {};
    bool seeded = false;
    bool operator==(const RandomState&) const = default;
};
RandomState randomState();
void setRandomState(const RandomState& state);

struct TimeOfDay {
    int hours, minutes;
};
TimeOfDay localTimeOfDay();

// ---- test entry ----------------------------------------------------------
// Lets tests and replays drive the game as a player would: the held state
// replaces what the devices report until scriptedInput(false).

void scriptedInput(bool on);
void scriptKey(int code, bool down);
void scriptMouse(int x, int y, bool leftButton);
void scriptCloseRequest();
// Called at the end of every flip(), so a test or a replay can change the
// scripted input from one frame to the next; nullptr removes it.
using FlipHook = void (*)(void* context);
void setFlipHook(FlipHook hook, void* context);
// Called at the start of every drawn flip(), before the frame is carried
// out, so that a notice can be drawn over whatever screen the frame shows.
void setOverlayHook(FlipHook hook, void* context);
// The "not drawn" mode (false; true: drawn again) for frames that are only
// simulated: every drawing operation returns at once, and so do flip() (no
// presenting, pacing, flip hook or count) and a pad's rumble. A benchmark
// uses it to time a frame's game logic apart from its composition.
void setDrawing(bool on);
bool drawingOn();
// Off: frames are drawn (a picture grabbed from the canvas is right) but
// flip() neither shows, paces nor counts them, and sounds and rumbles stay
// silent; for a network game that simulates a frame again and needs its
// picture. The next frame shown is then shown whole.
void setPresenting(bool on);
// Whether a sound or a rumble would be heard or felt now: drawing and presenting.
bool presentingOn();
// Paces frames to 60 a second even without a window (a network game's
// peers keep real time), and makes the next frame this much later than its
// deadline, which delays every later one too.
void paceWithoutWindow(bool on);
void stretchNextFrame(int microseconds);
// Drawing is carried out when the canvas is next read, by flip() at the
// latest; this does it now, so a benchmark can time composition apart from
// the upload.
void finishDrawing();
// Draws with this many threads (0: one per core, at most four). More than
// one cuts every frame into bands, however little it draws.
void setDrawingThreads(int threads);
// Each frame draws, and flip() shows, only where its pixels can differ from
// the last frame's (on by default); off, every frame is drawn whole, as a
// benchmark compares. redrawnShare: the part of the canvas the last frame
// drew in, 0 to 1.
void setDamageTracking(bool on);
double redrawnShare();
// For tests: while on, a second canvas is drawn whole every frame, as it
// would be without damage; damageMismatches counts the frames since it was
// switched on whose canvases differed in any pixel.
void checkDamage(bool on);
long long damageMismatches();
// Frames shown since initMedia().
long long flipCount();
// How flip() puts the canvas on the screen, for a benchmark to print: the
// renderer and what draws for it.
std::string presentationPath();
// Reads one canvas pixel as 0xRRGGBB.
std::uint32_t canvasPixel(int x, int y);
const std::uint32_t* canvasPixels();  // kCanvasWidth * kCanvasHeight, 0xXXRRGGBB
// Fixes the time of day reported by localTimeOfDay (hours < 0: the clock again).
void scriptTimeOfDay(int hours, int minutes);
// A pad for tests: a virtual one that SDL treats like any other. Returns a
// handle, or -1.
int attachVirtualPad();
void detachVirtualPad(int handle);
void setVirtualPadButton(int handle, PadButton button, bool down);
void setVirtualPadAxis(int handle, PadAxis axis, double value);
// The strength the pad's motor was last set to (0 once a rumble is over).
double virtualPadRumble(int handle);
// How many voices of a sound slot are sounding now.
int soundVoices(int slot);
// The mixer's output in sample frames since the device opened; and, once
// asked to listen from a frame on, the first frame after it that is not
// silence (-1 until there is one).
long long audioFramesMixed();
void listenFrom(long long frame);
long long firstHeardFrame();
// For the sound heard last: seconds from the playSound that started it to
// the moment the mixer handed out its first sample (the buffer's hand-over
// plus the sample's place in it); the device then plays that buffer out.
double heardDelaySeconds();
// Where screenshots go, and what the last one was called ("" for none).
std::string lastScreenshot();
