// Gamepads through SDL's game-controller layer, whose mapping database knows
// the common pads and names their buttons by place (A at the bottom, Y on
// top) whatever the maker printed on them.
//
// A pad takes the lowest free place when it comes and leaves its place empty
// when it goes, so the first pad stays the first player's while a second
// one comes and goes.
#include <SDL.h>

#include <algorithm>
#include <array>

#include "media/media_internal.h"

namespace media_internal {
namespace {

struct Place {
    SDL_GameController* controller = nullptr;
    SDL_JoystickID id = -1;
};

// SDL's names for our buttons and axes, in the order of PadButton and PadAxis.
constexpr SDL_GameControllerButton kSdlButtons[kPadButtonCount] = {
    SDL_CONTROLLER_BUTTON_A,         SDL_CONTROLLER_BUTTON_B,
    SDL_CONTROLLER_BUTTON_X,         SDL_CONTROLLER_BUTTON_Y,
    SDL_CONTROLLER_BUTTON_BACK,      SDL_CONTROLLER_BUTTON_START,
    SDL_CONTROLLER_BUTTON_DPAD_UP,   SDL_CONTROLLER_BUTTON_DPAD_DOWN,
    SDL_CONTROLLER_BUTTON_DPAD_LEFT, SDL_CONTROLLER_BUTTON_DPAD_RIGHT};
constexpr SDL_GameControllerAxis kSdlAxes[kPadAxisCount] = {
    SDL_CONTROLLER_AXIS_LEFTX, SDL_CONTROLLER_AXIS_LEFTY, SDL_CONTROLLER_AXIS_RIGHTX,
    SDL_CONTROLLER_AXIS_RIGHTY};

std::array<Place, kMaxPads> gPlaces;
std::array<PadState, kMaxPads> gStates;
bool gReady = false;
bool gLostSinceRead = false;  // a pad went away since the last readPads()
bool gLost = false;           // ... as of the last readPads()

// Test pads: SDL virtual joysticks, driven by hand.
struct VirtualPad {
    SDL_Joystick* joystick = nullptr;
    double rumble = 0;  // the strength it was last asked for
};
std::array<VirtualPad, kMaxPads> gVirtual;

double axisValue(SDL_GameController* c, SDL_GameControllerAxis axis) {
    const double v = SDL_GameControllerGetAxis(c, axis) / 32767.0;
    return std::clamp(v, -1.0, 1.0);
}

void open(int deviceIndex) {
    if (!SDL_IsGameController(deviceIndex)) return;
    const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(deviceIndex);
    for (const Place& p : gPlaces)
        if (p.controller && p.id == id) return;
    for (Place& p : gPlaces) {
        if (p.controller) continue;
        p.controller = SDL_GameControllerOpen(deviceIndex);
        p.id = p.controller ? id : -1;
        return;
    }
}

void close(SDL_JoystickID id) {
    for (Place& p : gPlaces)
        if (p.controller && p.id == id) {
            SDL_GameControllerClose(p.controller);
            p = Place{};
            gLostSinceRead = true;
        }
}

int SDLCALL virtualRumble(void* userdata, Uint16 low, Uint16 high) {
    static_cast<VirtualPad*>(userdata)->rumble = std::max(low, high) / 65535.0;
    return 0;
}

}  // namespace

void startPads(bool headless) {
    if (gReady) return;
    // SDL passes on a pad's input only while one of our windows has the
    // focus; a headless run has no window that could ever get it.
    if (headless) SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
    gReady = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    // Pads already plugged in announce themselves as added events.
}

void stopPads() {
    for (int i = 0; i < kMaxPads; ++i) detachVirtualPad(i);
    for (Place& p : gPlaces)
        if (p.controller) SDL_GameControllerClose(p.controller);
    gPlaces.fill(Place{});
    gStates.fill(PadState{});
    gLost = gLostSinceRead = false;
    if (gReady) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    gReady = false;
}

void padEvent(const SDL_Event& e) {
    if (!gReady) return;
    if (e.type == SDL_CONTROLLERDEVICEADDED) open(e.cdevice.which);
    if (e.type == SDL_CONTROLLERDEVICEREMOVED) close(e.cdevice.which);
}

void readPads() {
    gLost = gLostSinceRead;
    gLostSinceRead = false;
    for (int i = 0; i < kMaxPads; ++i) {
        PadState& s = gStates[i];
        s = PadState{};
        SDL_GameController* c = gPlaces[i].controller;
        if (!c) continue;
        s.connected = true;
        for (int b = 0; b < kPadButtonCount; ++b)
            s.buttons[b] = SDL_GameControllerGetButton(c, kSdlButtons[b]) != 0;
        for (int a = 0; a < kPadAxisCount; ++a) s.axes[a] = axisValue(c, kSdlAxes[a]);
    }
}

}  // namespace media_internal

using namespace media_internal;

const PadState& padState(int place) {
    static const PadState none;
    return place >= 0 && place < kMaxPads ? gStates[place] : none;
}

bool padWentAway() {
    return gLost;
}

void rumblePad(int place, double strength, int milliseconds) {
    if (place < 0 || place >= kMaxPads || !gPlaces[place].controller || !presentingOn()) return;
    const auto level = static_cast<Uint16>(std::clamp(strength, 0.0, 1.0) * 65535);
    // A pad without a motor says so; nothing to do about it.
    SDL_GameControllerRumble(gPlaces[place].controller, level, level,
                             static_cast<Uint32>(std::max(milliseconds, 0)));
}

int attachVirtualPad() {
    if (!gReady) return -1;
    for (int handle = 0; handle < kMaxPads; ++handle) {
        VirtualPad& v = gVirtual[handle];
        if (v.joystick) continue;
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        desc.button_mask = (1u << SDL_CONTROLLER_BUTTON_MAX) - 1;
        desc.axis_mask = (1u << SDL_CONTROLLER_AXIS_MAX) - 1;
        desc.name = "Pomvex test pad";
        desc.userdata = &v;
        desc.Rumble = virtualRumble;
        const int device = SDL_JoystickAttachVirtualEx(&desc);
        if (device < 0) return -1;
        v.joystick = SDL_JoystickOpen(device);
        v.rumble = 0;
        return v.joystick ? handle : -1;
    }
    return -1;
}

void detachVirtualPad(int handle) {
    if (handle < 0 || handle >= kMaxPads || !gVirtual[handle].joystick) return;
    VirtualPad& v = gVirtual[handle];
    const SDL_JoystickID id = SDL_JoystickInstanceID(v.joystick);
    SDL_JoystickClose(v.joystick);
    v = VirtualPad{};
    for (int device = 0; device < SDL_NumJoysticks(); ++device)
        if (SDL_JoystickGetDeviceInstanceID(device) == id) SDL_JoystickDetachVirtual(device);
}

void setVirtualPadButton(int handle, PadButton button, bool down) {
    if (handle < 0 || handle >= kMaxPads || !gVirtual[handle].joystick) return;
    SDL_JoystickSetVirtualButton(gVirtual[handle].joystick, kSdlButtons[static_cast<int>(button)],
                                 down ? 1 : 0);
}

void setVirtualPadAxis(int handle, PadAxis axis, double value) {
    if (handle < 0 || handle >= kMaxPads || !gVirtual[handle].joystick) return;
    const auto raw = static_cast<Sint16>(std::clamp(value, -1.0, 1.0) * 32767);
    SDL_JoystickSetVirtualAxis(gVirtual[handle].joystick, kSdlAxes[static_cast<int>(axis)], raw);
}

double virtualPadRumble(int handle) {
    return handle >= 0 && handle < kMaxPads ? gVirtual[handle].rumble : 0;
}
