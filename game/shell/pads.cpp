#include "game/shell/pads.h"

#include <cmath>

#include "game/players/steering.h"
#include "game/shell/game_state.h"

namespace {

// A stick must lean this far before it walks or moves the pointer, and the
// right stick this far before it fires, so a pad lying on the table is still.
constexpr double kWalkDeadZone = 0.25;
constexpr double kFireDeadZone = 0.5;
constexpr double kChoiceDeadZone = 0.5;
// Pointer speed at full tilt, in canvas pixels a frame.
constexpr double kPointerSpeed = 12;

// The player a pad's place steers, or -1.
int playerOfPad(int place) {
    if (!twoPlayerGame()) return 0;
    return place < 2 ? place : -1;
}

void padToPlayerKeys(const PadState& pad, int player) {
    const PlayerKeys keys = playerKeys(player);
    const double x = pad.axis(PadAxis::LeftX), y = pad.axis(PadAxis::LeftY);
    // A diagonal tilt holds two walking keys, as two fingers would.
    if (pad.held(PadButton::Up) || y < -kWalkDeadZone) holdKey(keys.up);
    if (pad.held(PadButton::Down) || y > kWalkDeadZone) holdKey(keys.down);
    if (pad.held(PadButton::Left) || x < -kWalkDeadZone) holdKey(keys.left);
    if (pad.held(PadButton::Right) || x > kWalkDeadZone) holdKey(keys.right);
    // The face buttons fire in the direction of their place.
    if (pad.held(PadButton::Y)) holdKey(keys.fireUp);
    if (pad.held(PadButton::X)) holdKey(keys.fireLeft);
    if (pad.held(PadButton::A)) holdKey(keys.fireDown);
    if (pad.held(PadButton::B)) holdKey(keys.fireRight);
    // The right stick fires along its stronger axis.
    const double fx = pad.axis(PadAxis::RightX), fy = pad.axis(PadAxis::RightY);
    if (std::max(std::abs(fx), std::abs(fy)) > kFireDeadZone) {
        if (std::abs(fx) > std::abs(fy))
            holdKey(fx > 0 ? keys.fireRight : keys.fireLeft);
        else
            holdKey(fy > 0 ? keys.fireDown : keys.fireUp);
    }
    if (pad.held(PadButton::Start)) holdKey(key::Escape);
}

// The pointer's speed along one axis of the stick, with what is left of a
// whole pixel carried to the next frame so slow tilts move it smoothly.
int pointerStep(double tilt, double& carried) {
    const double lean = std::abs(tilt) - kWalkDeadZone;
    if (lean <= 0) {
        carried = 0;
        return 0;
    }
    carried += std::copysign(kPointerSpeed * lean / (1 - kWalkDeadZone), tilt);
    const double whole = std::trunc(carried);
    carried -= whole;
    return static_cast<int>(whole);
}

double gCarriedX = 0, gCarriedY = 0;

void holdChoiceKeys(const PadState& pad) {
    if (pad.held(PadButton::Up) || pad.axis(PadAxis::LeftY) < -kChoiceDeadZone) holdKey(key::Up);
    if (pad.held(PadButton::Down) || pad.axis(PadAxis::LeftY) > kChoiceDeadZone) holdKey(key::Down);
}

}  // namespace

void applyPads(PadUse use) {
    // A pad that goes away mid-game pauses it, as consoles do.
    if (use == PadUse::Game && padWentAway()) holdKey(key::Escape);
    for (int place = 0; place < kMaxPads; ++place) {
        const PadState& pad = padState(place);
        if (!pad.connected) continue;
        switch (use) {
            case PadUse::Pointer: {
                const int dx = pointerStep(pad.axis(PadAxis::LeftX), gCarriedX);
                const int dy = pointerStep(pad.axis(PadAxis::LeftY), gCarriedY);
                if (dx != 0 || dy != 0) movePointer(dx, dy);
                if (pad.held(PadButton::A)) holdPointerButton();
                if (pad.held(PadButton::Back)) holdKey(key::Escape);
                break;
            }
            case PadUse::Game:
                if (const int player = playerOfPad(place); player >= 0)
                    padToPlayerKeys(pad, player);
                break;
            case PadUse::Pause:
                holdChoiceKeys(pad);
                if (pad.held(PadButton::A)) holdKey(key::Return);
                break;
            case PadUse::Prompt:
                holdChoiceKeys(pad);
                if (pad.held(PadButton::A) || pad.held(PadButton::Start)) holdKey(key::Return);
                break;
            case PadUse::Watch:
                holdChoiceKeys(pad);
                if (pad.held(PadButton::Left) || pad.axis(PadAxis::LeftX) < -kChoiceDeadZone)
                    holdKey(key::Left);
                if (pad.held(PadButton::Right) || pad.axis(PadAxis::LeftX) > kChoiceDeadZone)
                    holdKey(key::Right);
                if (pad.held(PadButton::A) || pad.held(PadButton::Start)) holdKey(key::Space);
                if (pad.held(PadButton::B) || pad.held(PadButton::Back)) holdKey(key::Escape);
                if (pad.held(PadButton::X) || pad.held(PadButton::Y)) holdKey(key::Return);
                break;
        }
    }
}

void rumbleForHit(int playerIndex, bool death) {
    // A watched game is not the viewer's: their pads stay still.
    if (game.watching) return;
    for (int place = 0; place < kMaxPads; ++place)
        if (playerOfPad(place) == playerIndex)
            rumblePad(place, death ? 1.0 : 0.5, death ? 600 : 150);
}
