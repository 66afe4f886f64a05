// The two smileys. Both records exist for the whole run; a new game resets
// them rather than making new ones.
#pragma once

#include <string>

struct Player {
    double x = 0, y = 0;    // top-left corner of the smiley picture
    double speed = 10;      // step per frame while a movement key is held
    double speedBonus = 0;  // set by forms, may be negative
    double image = 0;       // slot drawn and hit-tested
    double shotImage = 0;   // slot given to new shots
    double maxHealth = 20;
    double health = 20;
    double maxHealthBonus = 0;  // raises the cap and the bar ("Schatten")
    double damage = 1;
    double damageBonus = 0;
    double fireDelay = 20;  // frames between shots
    double fireCooldown = 0;
    double shotSpeedFactor = 1;
    double driftX = 0, driftY = 0;  // sideways push given to new shots: -3, 0 or 3
    double form = 0;                // 0 normal, 1..26 power-up forms, 100 grave, 1000 custom
    double formTimer = 0;
    double customIndex = 0;
    double active = 1;  // 0 while in the grave and once the game is over
    double hits = 0;
    double kills = 0;
    double deaths = 0;
    std::string name;  // Windows-1252, from the options file
};

// The modifiers every form leaves behind when it ends: one place for the
// start of the run, the end of a form, taking a power-up and the next game.
void applyDefaultModifiers(Player& p, int playerIndex);

// Start values at program start (everything but the name).
void givePlayerStartValues(Player& p, int playerIndex);

// Per-game reset after the game-over screen: position, pictures, health,
// forms and counters.
void resetPlayerForNextGame(Player& p, int playerIndex);
