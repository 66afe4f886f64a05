// What taking an item does to the player who takes it.
#pragma once

#include "game/players/player.h"

// Heals ("50% Leben"), places a turret ("Geschützturm") or starts the form of
// the item, a custom power-up included.
void takePowerUp(Player& p, int playerIndex, int kind, int x, int y, int customIndex);
