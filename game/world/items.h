// Power-up items left by dead opponents.
#pragma once

// Called when an opponent dies, with its rounded position: may leave an item
// there.
void dropOnDeath(int x, int y);
