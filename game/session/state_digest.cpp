#include "game/session/state_digest.h"

#include <cstdio>

namespace {

// One digest per part of the state.
struct Parts {
    Checkpoint& checkpoint;
    Digest part;
    void number(double v) { part.number(v); }
    void end(const char* name) {
        char hex[9];
        std::snprintf(hex, sizeof hex, "%08llx", static_cast<unsigned long long>(part.h >> 32));
        checkpoint.parts.emplace_back(name, hex);
        part = Digest{};
    }
};

void sampleGame(Parts& d, long long frame) {
    d.number(static_cast<double>(frame));
    d.number(game.livesLeft);
    d.number(game.fadeAlpha);
    d.number(game.spawnTimer);
    d.end("game");
    for (const Player& p : game.players)
        for (double v : playerValues(p)) d.number(v);
    d.end("players");
    game.opponents.forEach([&](const Opponent& o) {
        for (double v : {o.x, o.y, o.health, o.status, o.statusTimer, o.fireCountdown}) d.number(v);
    });
    d.end("opponents");
    game.shots.forEach([&](const Shot& s) {
        for (double v : {s.x, s.y, s.kind, s.damage}) d.number(v);
    });
    d.end("shots");
    game.items.forEach([&](const PowerUpItem& i) {
        for (double v : {i.x, i.y, i.kind, i.fade, i.customIndex}) d.number(v);
    });
    d.end("items");
    game.turrets.forEach([&](const Turret& t) {
        for (double v : {t.x, t.y, t.turretType, t.life, t.cooldown}) d.number(v);
    });
    d.end("turrets");
    game.turretShots.forEach([&](const TurretShot& t) {
        for (double v : {t.x, t.y, t.effect, t.rotation}) d.number(v);
    });
    d.end("turret-shots");
    game.animations.forEach([&](const Animation& a) {
        for (double v : {a.x, a.y, a.image, a.frame, a.tick}) d.number(v);
    });
    d.end("animations");
}

}  // namespace

std::string Digest::hex() const {
    char out[17];
    std::snprintf(out, sizeof out, "%016llx", static_cast<unsigned long long>(h));
    return out;
}

std::array<double, kPlayerValueCount> playerValues(const Player& p) {
    return {p.x,           p.y,         p.speed,        p.speedBonus,      p.image,
            p.shotImage,   p.maxHealth, p.health,       p.maxHealthBonus,  p.damage,
            p.damageBonus, p.fireDelay, p.fireCooldown, p.shotSpeedFactor, p.driftX,
            p.driftY,      p.form,      p.formTimer,    p.customIndex,     p.active,
            p.hits,        p.kills,     p.deaths};
}

void setPlayerValues(Player& p, const std::array<double, kPlayerValueCount>& v) {
    double* fields[] = {
        &p.x,           &p.y,         &p.speed,        &p.speedBonus,      &p.image,
        &p.shotImage,   &p.maxHealth, &p.health,       &p.maxHealthBonus,  &p.damage,
        &p.damageBonus, &p.fireDelay, &p.fireCooldown, &p.shotSpeedFactor, &p.driftX,
        &p.driftY,      &p.form,      &p.formTimer,    &p.customIndex,     &p.active,
        &p.hits,        &p.kills,     &p.deaths};
    static_assert(sizeof fields / sizeof fields[0] == kPlayerValueCount);
    for (int i = 0; i < kPlayerValueCount; ++i) *fields[i] = v[static_cast<std::size_t>(i)];
}

Checkpoint gameCheckpoint(long long frame) {
    Checkpoint c;
    c.frame = frame;
    c.parts.reserve(8);
    Parts d{c, {}};
    sampleGame(d, frame);
    return c;
}

namespace {

Checkpoint stateCheckpoint(bool withPlacement) {
    Checkpoint c;
    Parts d{c, {}};
    sampleGame(d, game.frameNumber);
    for (double v :
         {static_cast<double>(game.phase), double(game.paused), double(game.pauseChoice),
          game.menuHover, double(game.introDone), double(game.logoLevel), double(game.logoHold),
          game.blinkLevel, double(game.blinkFalling), game.livesTotal, game.gameOver,
          game.playerCount, game.difficulty, game.customPowerUpsEnabled})
        d.number(v);
    if (withPlacement) d.number(game.placementMark);
    d.end("screens");
    const RandomState random = randomState();
    for (std::uint64_t w : random.words) d.part.bytes(&w, sizeof w);
    d.end("random");
    return c;
}

}  // namespace

Checkpoint fullStateCheckpoint() {
    return stateCheckpoint(true);
}

Checkpoint sharedStateCheckpoint() {
    return stateCheckpoint(false);
}
