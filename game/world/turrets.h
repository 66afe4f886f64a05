// Turrets the players place, and the projectiles they fire.
#pragma once

// Places a turret of the given behaviour (0..8) for its owner (0 first
// player, 2 second player); it stands for 2000 frames.
void addTurret(int x, int y, int owner, int turretType);
