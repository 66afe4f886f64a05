// Health rules shared by every source of health.
#include "game/shell/frame_steps.h"
#include "game/shell/game_state.h"

void capHealth() {
    // Healing never lifts a smiley above its effective maximum; health below
    // zero is left alone.
    for (Player& p : game.players) {
        const double cap = p.maxHealth + p.maxHealthBonus;
        if (p.health > cap) p.health = cap;
    }
}
