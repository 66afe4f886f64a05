#include "game/players/shots.h"

#include "game/shell/game_state.h"

void addShot(int x, int y, double damage, int kind, double vx, double vy, int image) {
    Shot* s = game.shots.append();
    s->x = x;
    s->y = y;
    s->damage = damage;
    s->kind = kind;
    s->vx = vx;
    s->vy = vy;
    s->image = image;
    s->baseImage = image;
    s->baseDamage = damage;
}

bool circleHit(int x1, int y1, int x2, int y2, int r1, int r2) {
    // In doubles: exact for every distance on and near the field, and no
    // overflow for positions far off it.
    const double dx = static_cast<double>(x1) - x2, dy = static_cast<double>(y1) - y2;
    const double r = static_cast<double>(r1) + r2;
    return dx * dx + dy * dy <= r * r;
}
