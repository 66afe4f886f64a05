// The shared list of every projectile of the players and the opponents.
#pragma once

// Appends a shot; it keeps its creation image and damage to return to when
// it leaves an aura.
void addShot(int x, int y, double damage, int kind, double vx, double vy, int image);

// True when two circles around (x1, y1) and (x2, y2) with radii r1 and r2
// touch or overlap.
bool circleHit(int x1, int y1, int x2, int y2, int r1, int r2);
