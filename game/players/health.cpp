// Health rules shared by every source of health.
#include "game/players/health.h"

#include "game/players/forms.h"
#include "game/shell/game_state.h"
#include "game/shell/pads.h"
#include "game/shell/sounds.h"

void takeHit(Player& p, double damage) {
    // A smiley already in its grave cannot die a second time.
    if (p.form == kFormGrave) return;
    p.health -= damage;
    const int playerIndex = &p == &secondPlayer() ? 1 : 0;
    if (p.health > 0) {
        if (damage > 0) {
            rumbleForHit(playerIndex, false);
            playSound(kSoundPlayerHit);
        }
        return;
    }
    rumbleForHit(playerIndex, true);
    playSound(kSoundPlayerDeath);
    playSound(kSoundLifeLost);
    // Into the grave for 1000 frames. The modifiers of the form it was in
    // stay until the grave ends; it turns inactive at this frame's form
    // update, so it may still steer and fire once.
    p.form = kFormGrave;
    p.formTimer = kFullFormTimer;
    p.deaths += 1;
    game.livesLeft -= 1;
    startAnimation(roundToInt(p.x), roundToInt(p.y - 100), kPlayerDeathStrip, 100, 5, 6);
}

void capHealth() {
    // Healing never lifts a smiley above its effective maximum; health below
    // zero is left alone.
    for (Player& p : game.players) {
        const double cap = p.maxHealth + p.maxHealthBonus;
        if (p.health > cap) p.health = cap;
    }
}
