// The shared list of every projectile of the players and the opponents:
// adding shots, the players' fire step and the once-a-frame shot update.
#pragma once

#include "game/players/player.h"

// Values of a shot's kind: who fired it and what it can hit.
constexpr double kShotOfFirstPlayer = 0;   // hits opponents
constexpr double kShotOfOpponent = 1;      // hits both players
constexpr double kShotOfSecondPlayer = 2;  // hits opponents
constexpr double kHealShotOfFirst = 3;     // "Arzt": heals the second player
constexpr double kHealShotOfSecond = 4;    // "Arzt": heals the first player

// Appends a shot; it keeps its creation image and damage to return to when
// it leaves an aura.
void addShot(int x, int y, double damage, int kind, double vx, double vy, int image);

// True when two circles around (x1, y1) and (x2, y2) with radii r1 and r2
// touch or overlap.
bool circleHit(int x1, int y1, int x2, int y2, int r1, int r2);

// Whether a shot whose corner is at (x, y) lies in the aura of a player in
// the given form: within 255 pixels of the smiley's centre.
bool inAura(int form, double x, double y);

// One frame of firing for player 0 or 1: the first held fire key (up, left,
// down, right) fires once the cool-down has run below 0.
void firePlayerShot(Player& p, int playerIndex);

// The frame step: every shot draws itself, moves and hits.
void updateShots();
