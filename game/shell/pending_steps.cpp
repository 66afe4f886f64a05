// Frame steps of the parts of the game that are not built yet. Each does
// nothing, so the frame runs in its final order today; when a part arrives,
// its real function replaces the line here.
#include "game/shell/frame_steps.h"
#include "game/world/items.h"

void updateTurrets() {}
void updatePowerUpItems() {}
void updateTurretShots() {}
void dropOnDeath(int, int) {}
