#include "game/players/steering.h"

#include "game/players/forms.h"
#include "game/players/shots.h"
#include "game/shell/game_state.h"

namespace {

// A smiley's top-left corner stays below these; at the right and bottom
// edges its picture may stick out by a few pixels.
constexpr double kLimitX = 1275;
constexpr double kLimitY = 671;

}  // namespace

PlayerKeys playerKeys(int playerIndex) {
    if (playerIndex == 1) return {key::W, key::S, key::A, key::D, key::T, key::F, key::G, key::H};
    if (twoPlayerGame())
        return {key::P,  key::OUmlaut, key::L,    key::AUmlaut,
                key::Up, key::Left,    key::Down, key::Right};
    return {key::W, key::S, key::A, key::D, key::Up, key::Left, key::Down, key::Right};
}

void steerPlayer(Player& p, int playerIndex) {
    const PlayerKeys keys = playerKeys(playerIndex);
    double step = p.speed + p.speedBonus;
    // Only a hand-made power-up file can make the step negative; walking
    // backwards would carry the smiley past the far limit and off the field,
    // so such a smiley stands still like a stone.
    if (step < 0) step = 0;

    // Up beats down and right beats left; a blocked move still sets the drift.
    if (keyHeld(keys.up)) {
        p.driftY = -3;
        if (p.y - step >= 0) p.y -= step;
    } else if (keyHeld(keys.down)) {
        p.driftY = 3;
        if (p.y + step < kLimitY) p.y += step;
    }
    if (keyHeld(keys.right)) {
        p.driftX = 3;
        if (p.x + step < kLimitX) p.x += step;
    } else if (keyHeld(keys.left)) {
        p.driftX = -3;
        if (p.x - step >= 0) p.x -= step;
    }
}

void playerPhase(int playerIndex) {
    Player& p = game.players[playerIndex];
    if (p.active == 1) {
        steerPlayer(p, playerIndex);
        firePlayerShot(p, playerIndex);
    }
    // The form update runs before the smiley is drawn, so its bar and auras
    // lie under the smiley and a new picture shows at once.
    updateForm(p, playerIndex);
    drawTransparent(roundToInt(p.image), roundToInt(p.x), roundToInt(p.y));
}
