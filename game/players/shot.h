// Projectiles of players and opponents, all in the one shared list.
#pragma once

struct Shot {
    double x = 0, y = 0;
    double damage = 0;
    double kind = 0;  // 0 first player, 1 opponent, 2 second player, 3/4 heal shots
    double vx = 0, vy = 0;
    double image = 0;
    double baseImage = 0;
    double baseDamage = 0;
};
