// Health, death and the grave.
#pragma once

#include "game/players/player.h"

// A player takes a hit of the given damage (negative damage heals); at 0 or
// below it dies into the grave and the shared pool loses a life. The shot
// update calls it only for a player in play, so nobody dies twice.
void takeHit(Player& p, double damage);

// The frame step after the player phases: no health above its cap.
void capHealth();
