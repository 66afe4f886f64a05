#include "game/world/opponents.h"

#include "game/players/forms.h"
#include "game/players/shots.h"
#include "game/shell/animation.h"
#include "game/shell/game_state.h"
#include "game/shell/sounds.h"
#include "game/world/items.h"

namespace {

// Where the opponents may walk when they back away.
constexpr double kRightLimit = 1275;
constexpr double kBottomLimit = 668;

double hitterCode(int playerIndex) {
    return playerIndex == 0 ? 0 : 2;
}

// The opponent and its health bar. The three bar pictures are shared by
// every opponent, so each one clips its bar right before drawing.
void drawWithHealthBar(Opponent& o) {
    const int x = roundToInt(o.x), y = roundToInt(o.y);
    drawTransparent(roundToInt(o.image), x, y);
    const double ratio = o.maxHealth != 0 ? o.health / o.maxHealth : 0;
    if (ratio > 0.5)
        o.healthBarImage = kGreenBarImage;
    else if (ratio > 0.25)
        o.healthBarImage = kYellowBarImage;
    else
        o.healthBarImage = kRedBarImage;
    const int barY = roundToInt(o.y - 10);
    drawTransparent(kEmptyBarImage, x, barY);
    const int bar = roundToInt(o.healthBarImage);
    clip(bar, 0, 0, roundToInt(ratio * 100), 5);
    drawTransparent(bar, x, barY);
}

// The running status sets this frame's speed and wears off; a status set
// while another runs keeps the remaining time.
void runStatus(Opponent& o) {
    const int x = roundToInt(o.x), y = roundToInt(o.y), opacity = roundToInt(o.pulse);
    if (o.status == kStatusNone) {
        o.statusTimer = 1000;
        o.speed = o.baseSpeed;
    } else if (o.status == kStatusPlague) {
        drawTranslucent(kPlagueOverlayImage, x, y, opacity);
        o.health -= 0.01;
        o.statusTimer -= 2;
        o.speed = o.baseSpeed;
    } else if (o.status == kStatusFrost) {
        drawTranslucent(kFrostOverlayImage, x, y, opacity);
        o.statusTimer -= 2;
        o.speed = o.baseSpeed / 2;
    } else if (o.status == kStatusParalysis) {
        drawTranslucent(kParalysisOverlayImage, x, y, opacity);
        o.statusTimer -= 10;
        o.speed = 0;
    }
    if (o.statusTimer <= 0) o.status = kStatusNone;
    o.pulse += 5;
    if (o.pulse == 255) o.pulse = 0;
}

// One step towards the target's coordinate, never past it.
void stepToward(double& position, double target, double s) {
    if (position > target && position - s >= target)
        position -= s;
    else if (position < target && position + s <= target)
        position += s;
}

// Close the smaller offset first, so the opponent ends up in the
// target's row or column and can shoot straight at it.
void lineUp(Opponent& o, double tx, double ty) {
    const double dx = tx - o.x, dy = ty - o.y;
    if (dy * dy > dx * dx)
        stepToward(o.x, tx, o.speed);
    else
        stepToward(o.y, ty, o.speed);
}

// Stay out of the window of 300 pixels left of and above the target
// and 500 right of and below it, and come back when too far off.
void keepDistance(Opponent& o, double tx, double ty) {
    const double s = o.speed;
    const bool tooClose = tx - 300 < o.x && o.x < tx + 500 && ty - 300 < o.y && o.y < ty + 500;
    if (tooClose) {
        if (tx < o.x && o.x + s <= kRightLimit)
            o.x += s;
        else if (tx > o.x && o.x - s > 0)
            o.x -= s;
        if (ty < o.y && o.y + s <= kBottomLimit)
            o.y += s;
        else if (ty > o.y && o.y - s > 0)
            o.y -= s;
    } else {
        if (tx < o.x && o.x - s > tx + 500)
            o.x -= s;
        else if (tx > o.x && o.x + s < tx - 500)
            o.x += s;
        if (ty < o.y && o.y - s > ty + 500)
            o.y -= s;
        else if (ty > o.y && o.y + s < ty - 500)
            o.y += s;
    }
}

// Straight shots along the row or column. An opponent standing too near
// its target to pick a direction keeps trying every frame; waiting for the
// countdown to hit exactly 0 would leave it silent for the rest of its life
// once the countdown ran past zero.
void fireAtTarget(Opponent& o, double tx, double ty) {
    if (o.fireCountdown <= 0) {
        double vx = 0, vy = 0;
        if (o.x > tx + 100)
            vx = -10;
        else if (o.x < tx - 100)
            vx = 10;
        else if (o.y > ty + 100)
            vy = -10;
        else if (o.y < ty - 100)
            vy = 10;
        if (vx != 0 || vy != 0) {
            addShot(roundToInt(o.x + 35), roundToInt(o.y + 35), o.shotDamage, 1, vx, vy,
                    roundToInt(o.shotImage));
            o.fireCountdown = o.fireInterval;
        }
    }
    o.fireCountdown -= 1;
}

// The two forms that hurt opponents without shooting. Neither looks
// at whether the player is in play, and a one-player game tests the second
// record as it stands.
void takeFormDamage(Opponent& o) {
    const int x = roundToInt(o.x), y = roundToInt(o.y);
    for (int i = 0; i < 2; ++i) {
        const Player& p = game.players[i];
        if (p.form == kFormLsd && collide(roundToInt(p.image), roundToInt(p.x), roundToInt(p.y),
                                          roundToInt(o.image), x, y)) {
            o.health -= 0.5;
            o.lastHitter = hitterCode(i);
        }
    }
    for (int i = 0; i < 2; ++i) {
        const Player& p = game.players[i];
        if (circleHit(roundToInt(p.x), roundToInt(p.y), x, y, 250, 50) &&
            p.form == kFormSchadensaura) {
            o.health -= 0.05;
            o.lastHitter = hitterCode(i);
        }
    }
}

// An opponent whose health is used up: it may leave an item, and the kill
// goes to whoever hit it last.
void die(const Opponent& o) {
    dropOnDeath(roundToInt(o.x), roundToInt(o.y));
    Player& killer = o.lastHitter == 0 ? firstPlayer() : secondPlayer();
    killer.kills += 1;
    playSound(kSoundOpponentDeath);
    startAnimation(roundToInt(o.x), roundToInt(o.y), kOpponentDeathStrip, 100, 10, 4);
}

bool somePlayerInPlay() {
    return firstPlayer().form != kFormGrave ||
           (twoPlayerGame() && secondPlayer().form != kFormGrave);
}

// An opponent at a random point of one of the four edges; the draws come in
// this order: edge, then the free coordinate.
void addAtRandomEdge() {
    const int edge = random(3);
    int x = 0, y = 0;
    if (edge == 0) {
        x = 1266;
        y = random(668);
    } else if (edge == 1) {
        x = 0;
        y = random(668);
    } else if (edge == 2) {
        x = random(1266);
        y = 0;
    } else {
        x = random(1266);
        y = 668;
    }
    addOpponent(x, y, 5, 5, kOpponentImage);
}

}  // namespace

double spawnPeriod() {
    static constexpr double periods[3] = {600, 400, 300};
    return periods[difficultyIndex()];
}

Opponent* addOpponent(int x, int y, double maxHealth, double speed, int image) {
    static constexpr double healths[3] = {5, 6, 7};
    static constexpr double fireIntervals[3] = {90, 60, 40};
    Opponent* o = game.opponents.add();
    o->x = x;
    o->y = y;
    o->maxHealth = maxHealth;
    o->speed = speed;
    o->baseSpeed = speed;
    o->image = image;
    o->health = healths[difficultyIndex()];
    o->fireInterval = fireIntervals[difficultyIndex()];
    o->shotDamage = twoPlayerGame() ? 1.5 : 0.75;
    o->shotImage = kOpponentShotImage;
    o->statusTimer = 1000;
    return o;
}

int chooseTarget(double x, double y) {
    const Player& first = firstPlayer();
    const Player& second = secondPlayer();
    const double d1 = (x - first.x) * (x - first.x) + (y - first.y) * (y - first.y);
    const double d2 = (x - second.x) * (x - second.x) + (y - second.y) * (y - second.y);
    const bool goesForFirst = (d2 > d1 && first.active == 1) || second.active == 0 ||
                              (first.form == kFormStein && second.form != kFormStein) ||
                              (second.form == kFormGeist && first.form != kFormGeist) ||
                              !twoPlayerGame();
    return goesForFirst ? 0 : 1;
}

void updateOpponents() {
    EntityList<Opponent>& list = game.opponents;
    list.reset();
    while (Opponent* o = list.next()) {
        drawWithHealthBar(*o);
        runStatus(*o);
        const Player& target = game.players[chooseTarget(o->x, o->y)];
        const double tx = target.x, ty = target.y;
        lineUp(*o, tx, ty);
        keepDistance(*o, tx, ty);
        fireAtTarget(*o, tx, ty);
        takeFormDamage(*o);
        if (o->health <= 0) {
            die(*o);
            list.remove();  // the walk goes on with the next opponent
        }
    }
}

void spawnOpponents() {
    const double period = spawnPeriod();
    // A pair is added while five stand on the field, so up to seven can.
    // Once the game is over none comes, even in the frame it ends with the
    // timer held at the period by a full field or a player in the grave.
    if (game.spawnTimer == period && game.opponents.count() < 6 && somePlayerInPlay() &&
        game.gameOver != 1) {
        addAtRandomEdge();
        addAtRandomEdge();
        game.spawnTimer = 0;
    }
    if (game.spawnTimer < period) game.spawnTimer += 1;
    if (game.gameOver == 1) game.spawnTimer = 0;
}
