// Turrets the players place, and the projectiles they fire.
#pragma once

#include "game/world/turret.h"

constexpr double kTurretLife = 2000;   // frames a turret stands
constexpr double kTurretMuzzle = 35;   // shots start and aim this far into the pictures
constexpr double kTurretBeamEnd = 50;  // beams run between the pictures' centres

// Behaviours, the values of turretType.
constexpr double kArrowTurret = 0;
constexpr double kLaserTurret = 1;
constexpr double kLightningTurret = 2;
constexpr double kMissileTurret = 3;
constexpr double kStarTurret = 4;
constexpr double kHealingTurret = 5;
constexpr double kPlasmaTurret = 6;
constexpr double kPoisonTurret = 7;
constexpr double kFrostTurret = 8;

// Values of a turret shot's effect.
constexpr double kPlainEffect = 0;
constexpr double kStarEffect = 1;
constexpr double kMissileEffect = 2;
constexpr double kPoisonEffect = 3;
constexpr double kFrostEffect = 4;
constexpr double kPlasmaEffect = 5;

// Places a turret of the given behaviour (0..8) for its owner (0 first
// player, 2 second player); it stands for 2000 frames.
void addTurret(int x, int y, int owner, int turretType);

// Adds a projectile at (x, y) flying at speed pixels per frame towards
// (targetX, targetY), drawn and hit-tested with the rotatable sprite image.
void addTurretShot(int x, int y, int targetX, int targetY, int effect, int speed, int owner,
                   int image, double damage, int homing);

// Turns a shot from where it is now towards (targetX, targetY), keeping its
// speed: velocity, aim angle and drawing angle (0 up, 90 right).
void aimTurretShot(TurretShot& s, double targetX, double targetY);

// Aims every homing shot at the given point.
void reaimHomingShots(double targetX, double targetY);

// The frame steps: every turret draws itself, picks a target and fires; then
// (between beginRotated and endRotated) every projectile flies and hits.
void updateTurrets();
void updateTurretShots();
