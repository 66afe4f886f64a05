// An opponent on the field, one element of the opponents list.
#pragma once

struct Opponent {
    double x = 0, y = 0;
    double health = 0;
    double maxHealth = 0;  // reference for the health bar only
    double shotDamage = 0;
    double speed = 0;  // this frame's step, from baseSpeed and status
    double baseSpeed = 0;
    double image = 0;
    double shotImage = 0;
    double healthBarImage = 0;
    double fireCountdown = 0;
    double fireInterval = 0;
    double lastHitter = 0;  // 0 first player, 2 second player
    double status = 0;      // 0 none, 1 plague, 2 frost, 3 paralysis
    double statusTimer = 0;
    double pulse = 0;  // opacity of the status overlay
};
