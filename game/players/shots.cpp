#include "game/players/shots.h"

#include "game/players/forms.h"
#include "game/players/health.h"
#include "game/players/steering.h"
#include "game/shell/game_state.h"
#include "game/shell/sounds.h"

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

bool inAura(int form, double x, double y) {
    for (const Player& p : game.players)
        if (p.form == form && circleHit(roundToInt(p.x + 50), roundToInt(p.y + 50), roundToInt(x),
                                        roundToInt(y), 250, 5))
            return true;
    return false;
}

void firePlayerShot(Player& p, int playerIndex) {
    // "Stein" and the LSD smiley cannot fire, and their cool-down waits.
    if (p.form == kFormStein || p.form == kFormLsd) return;
    const PlayerKeys keys = playerKeys(playerIndex);
    const double f = p.shotSpeedFactor;
    struct Direction {
        int key;
        double vx, vy;
    };
    // Tested in this order: the first held key wins the frame.
    const Direction directions[] = {
        {keys.fireUp, p.driftX * f, -15 * f},
        {keys.fireLeft, -15 * f, p.driftY * f},
        {keys.fireDown, p.driftX * f, 15 * f},
        {keys.fireRight, 15 * f, p.driftY * f},
    };
    double kind = playerIndex == 0 ? kShotOfFirstPlayer : kShotOfSecondPlayer;
    if (p.form == kFormArzt) kind = playerIndex == 0 ? kHealShotOfFirst : kHealShotOfSecond;
    for (const Direction& d : directions) {
        if (keyHeld(d.key) && p.fireCooldown < 0) {
            addShot(roundToInt(p.x + 35), roundToInt(p.y + 35), p.damage + p.damageBonus,
                    static_cast<int>(kind), d.vx, d.vy, roundToInt(p.shotImage));
            p.fireCooldown = p.fireDelay;
            playSound(shotSound(roundToInt(p.shotImage)));
        }
    }
    // Counted every frame, held key or not.
    p.fireCooldown -= 1;
}

namespace {

void showShotHit(const Shot& s) {
    startAnimation(roundToInt(s.x), roundToInt(s.y), kShotHitStrip, 30, 5, 3);
}

void moveShot(Shot& s) {
    const bool opponentShot = s.kind == kShotOfOpponent;
    if (opponentShot && inAura(kFormZeitaura, s.x, s.y)) {
        drawTransparent(kSlowedMarkImage, roundToInt(s.x - 3), roundToInt(s.y - 3));
        s.x += s.vx / 4;
        s.y += s.vy / 4;
    } else if (opponentShot && inAura(kFormTransformfeld, s.x, s.y)) {
        s.x += s.vx / 2;
        s.y += s.vy / 2;
    } else {
        s.x += s.vx;
        s.y += s.vy;
    }
}

// Auras act on the new position; a shot that left them gets its own look
// and damage back.
void transformShot(Shot& s) {
    const bool opponentShot = s.kind == kShotOfOpponent;
    if (opponentShot && inAura(kFormNegativaura, s.x, s.y)) {
        s.damage = -0.5;
        s.image = kHealingShotImage;
    } else if (opponentShot && inAura(kFormTransformfeld, s.x, s.y)) {
        s.image = kMiniShotImage;
        s.damage = 0.5;
    } else {
        s.damage = s.baseDamage;
        s.image = s.baseImage;
    }
}

enum class PlayerHit { None, Reflected, Taken };

// A player is hit pixel-exactly, only while in play, and never by its own
// heal shots. "Ironman" sends the shot back as its own.
PlayerHit hitPlayer(Shot& s, int playerIndex) {
    Player& p = game.players[playerIndex];
    const double ownShot = playerIndex == 0 ? kShotOfFirstPlayer : kShotOfSecondPlayer;
    const double ownHeal = playerIndex == 0 ? kHealShotOfFirst : kHealShotOfSecond;
    const double otherHeal = playerIndex == 0 ? kHealShotOfSecond : kHealShotOfFirst;
    if (p.active != 1 || s.kind == ownHeal || p.form == kFormGrave) return PlayerHit::None;
    if (!collidePixels(roundToInt(s.image), roundToInt(s.x), roundToInt(s.y), roundToInt(p.image),
                       roundToInt(p.x), roundToInt(p.y)))
        return PlayerHit::None;
    if (p.form == kFormIronman) {
        s.vx = -s.vx;
        s.vy = -s.vy;
        if (s.kind == kShotOfOpponent)
            s.kind = ownShot;
        else if (s.kind == otherHeal)
            s.kind = ownHeal;
        return PlayerHit::Reflected;
    }
    takeHit(p, s.damage);
    showShotHit(s);
    return PlayerHit::Taken;
}

enum class OpponentHit { None, ShotFliesOn, ShotUsedUp };

// The first opponent in list order whose box the shot overlaps takes it.
// The walk leaves the list's cursor where it stopped, as every walk does.
OpponentHit hitOpponent(const Shot& s) {
    EntityList<Opponent>& opponents = game.opponents;
    opponents.reset();
    while (Opponent* o = opponents.next()) {
        const bool playerShot = s.kind == kShotOfFirstPlayer || s.kind == kShotOfSecondPlayer;
        if (!playerShot || !collide(roundToInt(s.image), roundToInt(s.x), roundToInt(s.y),
                                    roundToInt(o->image), roundToInt(o->x), roundToInt(o->y)))
            continue;
        // The shooter's form counts as it is now, not as it was when it fired.
        Player& shooter = s.kind == kShotOfFirstPlayer ? firstPlayer() : secondPlayer();
        if (shooter.form == kFormPestleiche) o->status = 1;  // plague
        if (shooter.form == kFormSchneemann) o->status = 2;  // frost
        o->health -= s.damage;
        o->lastHitter = s.kind;
        playSound(kSoundOpponentHit);
        shooter.hits += 1;
        if (shooter.form == kFormVampir) shooter.health += 0.2;
        return shooter.form == kFormBluttropfen ? OpponentHit::ShotFliesOn
                                                : OpponentHit::ShotUsedUp;
    }
    return OpponentHit::None;
}

// The field the shots of players and opponents fly in: 100 pixels past the
// canvas above and to the left, far past it to the right, up to its bottom.
bool leftShotField(const Shot& s) {
    return s.x > 1633 || s.y > 768 || s.x < -100 || s.y < -100;
}

}  // namespace

void updateShots() {
    EntityList<Shot>& shots = game.shots;
    shots.reset();
    while (Shot* s = shots.next()) {
        drawTransparent(roundToInt(s->image), roundToInt(s->x), roundToInt(s->y));
        moveShot(*s);
        transformShot(*s);

        const bool canHitPlayers = s->kind == kShotOfOpponent || s->kind == kHealShotOfFirst ||
                                   s->kind == kHealShotOfSecond;
        if (canHitPlayers) {
            PlayerHit hit = hitPlayer(*s, 0);
            if (hit == PlayerHit::None && twoPlayerGame()) hit = hitPlayer(*s, 1);
            if (hit == PlayerHit::Taken) {
                shots.remove();
                continue;
            }
        }

        const OpponentHit hit = hitOpponent(*s);
        if (hit == OpponentHit::ShotUsedUp) {
            showShotHit(*s);
            shots.remove();
            continue;
        }
        if (hit == OpponentHit::ShotFliesOn) continue;

        if (leftShotField(*s)) {
            showShotHit(*s);
            shots.remove();
        }
    }
}
