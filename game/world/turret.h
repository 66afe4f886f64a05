// Turrets the players place, and the projectiles they fire.
#pragma once

struct Turret {
    double x = 0, y = 0;
    double owner = 0;  // 0 first player, 2 second player
    double turretType = 0;
    double life = 0;
    double targetX = 0, targetY = 0;
    double cooldown = 0;
    double hasTarget = 0;
};

struct TurretShot {
    double x = 0, y = 0;
    double targetX = 0, targetY = 0;
    double effect = 0;  // 0 plain, 1 star, 2 missile, 3 poison, 4 frost, 5 plasma
    double owner = 0;
    double speed = 0;
    double angle = 0;  // aim angle in radians
    double vx = 0, vy = 0;
    double image = 0;
    double rotation = 0;  // drawing angle in degrees
    double damage = 0;
    double homing = 0;
};
