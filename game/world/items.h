// Power-up items left by dead opponents.
#pragma once

#include "game/world/opponent.h"

// Called when an opponent dies: may leave an item where it stood.
void dropOnDeath(const Opponent& opponent);
