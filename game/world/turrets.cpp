#include "game/world/turrets.h"

#include <cmath>
#include <numbers>

#include "game/shell/animation.h"
#include "game/shell/game_state.h"
#include "game/shell/sounds.h"
#include "game/world/opponents.h"

namespace {

// The turrets' value of pi, which sets their drawing angles.
constexpr double kPi = 3.1415926;

// What a firing turret puts on the field. Types 2 and 5 are beams and fire
// nothing.
struct TurretGun {
    int image;
    int speed;
    double damage;
    int effect;
    int homing;
    int shotCount;
    bool scatter;  // each shot aims somewhere within 500 pixels of the target
    double cooldown;
};

// clang-format off
constexpr TurretGun kGuns[] = {
    {kArrowImage,      10, 1,    0, 0, 1,  false, 30},   // arrow
    {kLaserImage,      30, 0.04, 0, 0, 1,  false, 1},    // laser bolt
    {0,                0,  0,    0, 0, 0,  false, 0},    // lightning beam
    {kMissileImage,    5,  2,    2, 1, 1,  false, 60},   // missile
    {kStarShotImage,   10, 1.25, 1, 0, 1,  true,  15},   // star
    {0,                0,  0,    0, 0, 0,  false, 0},    // healing beam
    {kPlasmaImage,     5,  0.01, 5, 0, 1,  false, 1},    // plasma ball
    {kPoisonShotImage, 7,  0.2,  3, 0, 11, true,  110},  // poison drops
    {kSnowflakeImage,  20, 0.5,  4, 0, 1,  false, 20},   // snowflake
};
// clang-format on
constexpr int kGunCount = static_cast<int>(sizeof kGuns / sizeof kGuns[0]);

Player& ownerPlayer(double owner) {
    return owner == 0 ? firstPlayer() : secondPlayer();
}

// A fresh offset of up to 500 pixels either way: one draw added, then one
// subtracted.
int scatterOffset() {
    const int plus = random(500);
    const int minus = random(500);
    return plus - minus;
}

// The flicker of a beam's end points: up to 20 pixels either way.
int beamJitter() {
    const int plus = random(20);
    const int minus = random(20);
    return plus - minus;
}

// 100 to 255: the one colour channel a beam line glows in.
int beamGlow() {
    return 100 + random(155);
}

// One flickering beam line between the centres of two 100-pixel pictures.
// Each coordinate of each end gets a jitter of its own, drawn in the order
// x1, y1, x2, y2, then the colour.
void drawBeamLine(double fromX, double fromY, double toX, double toY, bool red, bool green) {
    const int jx1 = beamJitter();
    const int jy1 = beamJitter();
    const int jx2 = beamJitter();
    const int jy2 = beamJitter();
    const int glow = beamGlow();
    const int colour = red ? rgb(glow, 0, 0) : green ? rgb(0, glow, 0) : rgb(0, 0, glow);
    drawLine(roundToInt(fromX + kTurretBeamEnd + jx1), roundToInt(fromY + kTurretBeamEnd + jy1),
             roundToInt(toX + kTurretBeamEnd + jx2), roundToInt(toY + kTurretBeamEnd + jy2),
             colour);
}

void drawTurret(const Turret& t) {
    const int x = roundToInt(t.x), barY = roundToInt(t.y - 10);
    drawOpaque(kEmptyBarImage, x, barY);
    // The fill is shared with the form timer bars: clip it right before use.
    clip(kTimerBarFillImage, 0, 0, roundToInt(t.life / 20), 5);
    drawOpaque(kTimerBarFillImage, x, barY);
    drawTransparent(kTurretImage, x, roundToInt(t.y));
}

// Every turret goes for the first opponent of the list. Selecting it also
// leaves the list's cursor there, as the game has always done.
Opponent* findTarget(Turret& t) {
    Opponent* o = game.opponents.count() > 0 ? game.opponents.select(0) : nullptr;
    if (o) {
        t.targetX = o->x;
        t.targetY = o->y;
        t.hasTarget = 1;
    } else {
        t.hasTarget = 0;
    }
    return o;
}

void fireTurretGun(Turret& t, const TurretGun& gun) {
    if (t.cooldown != 0 || t.hasTarget != 1) return;
    const int x = roundToInt(t.x + kTurretMuzzle), y = roundToInt(t.y + kTurretMuzzle);
    for (int i = 0; i < gun.shotCount; ++i) {
        double aimX = t.targetX + kTurretMuzzle, aimY = t.targetY + kTurretMuzzle;
        if (gun.scatter) {
            aimX += scatterOffset();
            aimY += scatterOffset();
        }
        addTurretShot(x, y, roundToInt(aimX), roundToInt(aimY), gun.effect, gun.speed,
                      roundToInt(t.owner), gun.image, gun.damage, gun.homing);
    }
    t.cooldown = gun.cooldown;
    playSound(turretSound(gun.image));
}

// Lightning: blue flicker with one red line, and the first opponent loses
// health every frame. It is not a hit: the owner's hits stay as they are.
void strikeWithLightning(const Turret& t, Opponent* target) {
    if (t.hasTarget != 1 || !target) return;
    for (int line = 0; line < 5; ++line)
        drawBeamLine(t.x, t.y, t.targetX, t.targetY, line == 4, false);
    target->health -= 0.02;
    target->lastHitter = t.owner;
    // The beam hums on; its crackle comes twice a second, not every frame.
    if (game.frameNumber % 30 == 0) playSound(kSoundPlasmaTurret);
}

// The healing beam reaches its owner wherever it is, opponents or not, and
// stops short of the owner's effective maximum.
void healOwner(const Turret& t) {
    Player& p = ownerPlayer(t.owner);
    for (int line = 0; line < 5; ++line) {
        const bool green = line == 2 || line == 3;
        drawBeamLine(t.x, t.y, p.x, p.y, !green, green);
    }
    if (p.health + 0.01 < p.maxHealth + p.maxHealthBonus) {
        p.health += 0.01;
        if (game.frameNumber % 45 == 0) playSound(kSoundHealingShot);
    }
}

bool spins(double effect) {
    return effect == kStarEffect || effect == kFrostEffect || effect == kPlasmaEffect;
}

// The first opponent in list order whose box the shot overlaps, or none.
// The walk leaves the list's cursor where it stopped, as every walk does.
Opponent* opponentHitBy(const TurretShot& s) {
    EntityList<Opponent>& opponents = game.opponents;
    opponents.reset();
    while (Opponent* o = opponents.next())
        if (collide(roundToInt(s.image), roundToInt(s.x), roundToInt(s.y), roundToInt(o->image),
                    roundToInt(o->x), roundToInt(o->y)))
            return o;
    return nullptr;
}

void strike(const TurretShot& s, Opponent& o) {
    if (s.effect == kPoisonEffect) o.status = kStatusPlague;
    if (s.effect == kFrostEffect) o.status = kStatusFrost;
    if (s.effect == kPlasmaEffect) o.status = kStatusParalysis;
    o.health -= s.damage;
    o.lastHitter = s.owner;
    ownerPlayer(s.owner).hits += 1;
    startAnimation(roundToInt(s.x), roundToInt(s.y), kShotHitStrip, 30, 5, 3);
}

// Turret projectiles have a field of their own, a little larger than the
// canvas on every side.
bool leftTurretShotField(const TurretShot& s) {
    return s.x > 1400 || s.x < -100 || s.y > 800 || s.y < -100;
}

}  // namespace

void addTurret(int x, int y, int owner, int turretType) {
    Turret* t = game.turrets.add();
    t->x = x;
    t->y = y;
    t->owner = owner;
    t->turretType = turretType;
    t->life = kTurretLife;
}

void addTurretShot(int x, int y, int targetX, int targetY, int effect, int speed, int owner,
                   int image, double damage, int homing) {
    TurretShot* s = game.turretShots.add();
    s->x = x;
    s->y = y;
    s->effect = effect;
    s->speed = speed;
    s->owner = owner;
    s->image = image;
    s->damage = damage;
    s->homing = homing;
    aimTurretShot(*s, targetX, targetY);
}

void aimTurretShot(TurretShot& s, double targetX, double targetY) {
    s.targetX = targetX;
    s.targetY = targetY;
    const double dx = targetX - s.x, dy = targetY - s.y;
    if (dx == 0 && dy == 0) {
        // Aimed at itself there is no direction to fly in: straight up, so
        // the shot still leaves the field.
        s.angle = 0;
        s.vx = 0;
        s.vy = -s.speed;
        s.rotation = 0;
        return;
    }
    // A target on the shot's own row is a quarter turn to the side; spelled
    // out so no infinity is ever divided out of dy = 0.
    const double a = dy != 0  ? std::atan(dx / dy)
                     : dx > 0 ? std::numbers::pi / 2
                              : -std::numbers::pi / 2;
    s.angle = a;
    if (s.y <= targetY) {
        s.vx = std::sin(a) * s.speed;
        s.vy = std::cos(a) * s.speed;
        s.rotation = 180 - a * 180 / kPi;
    } else {
        s.vx = -std::sin(a) * s.speed;
        s.vy = -std::cos(a) * s.speed;
        s.rotation = -a * 180 / kPi;
    }
}

void reaimHomingShots(double targetX, double targetY) {
    EntityList<TurretShot>& shots = game.turretShots;
    shots.reset();
    while (TurretShot* s = shots.next())
        if (s->homing == 1) aimTurretShot(*s, targetX, targetY);
}

void updateTurrets() {
    EntityList<Turret>& turrets = game.turrets;
    turrets.reset();
    while (Turret* t = turrets.next()) {
        drawTurret(*t);
        Opponent* target = findTarget(*t);
        const int type = roundToInt(t->turretType);
        if (type == kLightningTurret) {
            strikeWithLightning(*t, target);
        } else if (type == kHealingTurret) {
            healOwner(*t);
        } else if (type >= 0 && type < kGunCount) {
            fireTurretGun(*t, kGuns[type]);
            // Every missile on the field, from whichever turret, follows the
            // corner of the first opponent.
            if (type == kMissileTurret && t->hasTarget == 1)
                reaimHomingShots(t->targetX, t->targetY);
        }
        // Counted down in the frame it was set, so a cool-down of 1 fires
        // every frame.
        if (t->cooldown - 1 >= 0) t->cooldown -= 1;
        t->life -= 1;
        // A turret whose life is already used up goes too, not only one that
        // lands on 0 exactly.
        if (t->life <= 0) turrets.remove();
    }
}

void updateTurretShots() {
    EntityList<TurretShot>& shots = game.turretShots;
    shots.reset();
    while (TurretShot* s = shots.next()) {
        const int image = roundToInt(s->image);
        rotate(image, s->rotation, 0);
        s->x += s->vx;
        s->y += s->vy;
        drawRotatable(image, roundToInt(s->x), roundToInt(s->y), 255);
        // The spin is only for the look: the flight keeps its direction.
        if (spins(s->effect)) s->rotation -= 10;
        if (Opponent* o = opponentHitBy(*s)) {
            strike(*s, *o);
            shots.remove();
            continue;
        }
        if (leftTurretShotField(*s)) shots.remove();  // silently: no hit animation
    }
}
