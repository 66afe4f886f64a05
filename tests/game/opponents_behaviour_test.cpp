#include <gtest/gtest.h>

#include <vector>

#include "game/world/opponents.h"
#include "tests/game/game_fixture.h"
#include "tests/game/opponents_pictures.h"

namespace {

using namespace opponent_pictures;

class OpponentTest : public GameTest {
  protected:
    void start(int players, int difficulty) {
        writeOpponentTestPictures();
        startGame(players, difficulty);
        beginGame();
    }
    static void putPlayer(Player& p, double x, double y) {
        p.x = x;
        p.y = y;
    }
    // An opponent that holds its fire for now.
    static Opponent* quiet(double x, double y, double speed = 5) {
        Opponent* o = addOpponent(0, 0, 5, speed, kOpponentImage);
        o->x = x;
        o->y = y;
        o->fireCountdown = 10000;
        return o;
    }
    // The one shot on the field; a blank one (and a failure) when there are
    // more or none, so the test reports instead of crashing.
    static const Shot* onlyShot() {
        static const Shot none{-1, -1, -1, -1, -1, -1, -1, -1, -1};
        EXPECT_EQ(game.shots.count(), 1);
        return game.shots.count() == 1 ? game.shots.select(0) : &none;
    }
};

std::uint32_t channel(std::uint32_t rgb, int shift) {
    return (rgb >> shift) & 0xFF;
}

TEST_F(OpponentTest, LinesUpOnTheSmallerOffsetAndKeepsItsDistance) {
    start(1, 1);
    Player& p = firstPlayer();
    putPlayer(p, 200, 300);
    // 400 right of and 50 below its target: 5 up to line up, then too close,
    // so 5 right and 5 down; it ends 5 further right at the same height.
    Opponent* o = quiet(600, 350);
    updateOpponents();
    EXPECT_EQ(o->x, 605);
    EXPECT_EQ(o->y, 350);

    // In the target's row 150 to the right: no line-up step, it backs away
    // along the row and fires left.
    game.opponents.clear();
    o = addOpponent(350, 300, 5, 5, kOpponentImage);
    updateOpponents();
    EXPECT_EQ(o->x, 355);
    EXPECT_EQ(o->y, 300);
    const Shot* s = onlyShot();
    EXPECT_EQ(s->x, 390);
    EXPECT_EQ(s->y, 335);
    EXPECT_EQ(s->vx, -10);
    EXPECT_EQ(s->vy, 0);
    EXPECT_EQ(s->kind, 1);
    EXPECT_EQ(s->damage, 0.75);
    EXPECT_EQ(s->image, kOpponentShotImage);

    // Two pixels off the row: a step of 5 would pass it, so none is made;
    // five off, the step lands on the row. Far off to the right they close
    // in along the row.
    game.opponents.clear();
    o = quiet(1000, 302);
    Opponent* fiveOff = quiet(1000, 305);
    updateOpponents();
    EXPECT_EQ(o->x, 995);
    EXPECT_EQ(o->y, 302);
    EXPECT_EQ(fiveOff->y, 300);
    EXPECT_EQ(fiveOff->x, 995);

    // 300 to 500 left of the target it neither comes nearer nor backs away;
    // farther left it comes nearer.
    putPlayer(p, 700, 300);
    game.opponents.clear();
    Opponent* between = quiet(300, 300);
    Opponent* far = quiet(100, 300);
    Opponent* above = quiet(700, 4);    // too close, but 4 - 5 is not above 0
    Opponent* below = quiet(700, 650);  // 350 below: too close, backs away downwards
    updateOpponents();
    EXPECT_EQ(between->x, 300);
    EXPECT_EQ(far->x, 105);
    EXPECT_EQ(above->y, 4);
    EXPECT_EQ(below->y, 655);
    EXPECT_EQ(below->x, 700);
}

TEST_F(OpponentTest, FieldLimitsStopTheRetreat) {
    start(1, 0);
    Player& p = firstPlayer();
    putPlayer(p, 100, 300);
    Opponent* left = quiet(3, 300);  // 3 - 5 is not above 0
    updateOpponents();
    EXPECT_EQ(left->x, 3);
    EXPECT_EQ(left->y, 300);

    putPlayer(p, 1000, 300);
    game.opponents.clear();
    Opponent* stuck = quiet(1272, 300);
    Opponent* last = quiet(1270, 300);  // 1275 itself may be reached
    updateOpponents();
    EXPECT_EQ(stuck->x, 1272);
    EXPECT_EQ(last->x, 1275);

    putPlayer(p, 500, 500);
    game.opponents.clear();
    Opponent* bottom = quiet(500, 665);
    Opponent* lowest = quiet(500, 663);  // 668 itself may be reached
    updateOpponents();
    EXPECT_EQ(bottom->y, 665);
    EXPECT_EQ(lowest->y, 668);
    EXPECT_EQ(bottom->x, 500);
}

TEST_F(OpponentTest, TargetFollowsDistanceActivityAndTheStoneAndGhostForms) {
    start(2, 1);
    Player& first = firstPlayer();
    Player& second = secondPlayer();
    putPlayer(first, 0, 0);
    putPlayer(second, 200, 0);
    const double middle = 100, nearFirst = 50, nearSecond = 150;

    EXPECT_EQ(chooseTarget(middle, 0), 1);  // equally far: the second
    EXPECT_EQ(chooseTarget(nearFirst, 0), 0);
    EXPECT_EQ(chooseTarget(nearSecond, 0), 1);
    first.active = 0;
    EXPECT_EQ(chooseTarget(nearFirst, 0), 1);  // the nearer one is not in play
    second.active = 0;
    EXPECT_EQ(chooseTarget(nearSecond, 0), 0);  // nobody in play: the first
    first.active = second.active = 1;

    // "Stein" on the first player draws every opponent ...
    first.form = 15;
    EXPECT_EQ(chooseTarget(nearSecond, 0), 0);
    second.form = 15;  // ... unless both are stones
    EXPECT_EQ(chooseTarget(nearSecond, 0), 1);
    // A stone as the second player counts only when nearer, or alone in play.
    first.form = 0;
    EXPECT_EQ(chooseTarget(nearSecond, 0), 1);
    EXPECT_EQ(chooseTarget(nearFirst, 0), 0);
    first.active = 0;
    EXPECT_EQ(chooseTarget(nearFirst, 0), 1);
    first.active = 1;
    second.form = 0;

    // A ghost as the second player is overlooked unless both are ghosts.
    second.form = 16;
    EXPECT_EQ(chooseTarget(nearSecond, 0), 0);
    first.form = 16;
    EXPECT_EQ(chooseTarget(nearSecond, 0), 1);
    // A ghost as the first player is still the target when nearer.
    second.form = 0;
    EXPECT_EQ(chooseTarget(nearFirst, 0), 0);
    EXPECT_EQ(chooseTarget(nearSecond, 0), 1);
    first.form = 0;

    // The choice steers the shots: the ghost on the right is left alone.
    putPlayer(first, 100, 300);
    putPlayer(second, 900, 300);
    Opponent* o = addOpponent(700, 300, 5, 0, kOpponentImage);
    updateOpponents();
    EXPECT_EQ(onlyShot()->vx, 10);
    second.form = 16;
    game.shots.clear();
    o->fireCountdown = 0;
    updateOpponents();
    EXPECT_EQ(onlyShot()->vx, -10);

    // A one-player game always goes for the first player, dead or not.
    game.playerCount = 1;
    second.form = 0;
    first.form = 100;
    first.active = 0;
    EXPECT_EQ(chooseTarget(850, 300), 0);
}

TEST_F(OpponentTest, FiresOnItsIntervalAndRetriesEveryFrameWhenTooNear) {
    start(1, 1);  // Normal: every 60 frames
    Player& p = firstPlayer();
    putPlayer(p, 100, 300);
    addOpponent(800, 300, 5, 0, kOpponentImage);
    std::vector<int> shotFrames;
    for (int frame = 1; frame <= 181; ++frame) {
        const int before = game.shots.count();
        updateOpponents();
        if (game.shots.count() > before) shotFrames.push_back(frame);
    }
    EXPECT_EQ(shotFrames, (std::vector<int>{1, 61, 121, 181}));

    // Its countdown runs out while it stands within 100 pixels of its
    // target: no direction, so it tries again every frame until it has one.
    game.opponents.clear();
    game.shots.clear();
    Opponent* o = addOpponent(150, 350, 5, 0, kOpponentImage);
    for (int frame = 0; frame < 200; ++frame) updateOpponents();
    EXPECT_EQ(game.shots.count(), 0);
    EXPECT_LE(o->fireCountdown, 0);
    putPlayer(p, 600, 300);  // now more than 100 to its right
    updateOpponents();
    const Shot* s = onlyShot();
    EXPECT_EQ(s->vx, 10);
    EXPECT_EQ(s->x, 185);
    EXPECT_EQ(o->fireCountdown, 59);
    for (int frame = 0; frame < 59; ++frame) updateOpponents();
    EXPECT_EQ(game.shots.count(), 1);
    updateOpponents();
    EXPECT_EQ(game.shots.count(), 2);  // back on its interval

    // The four directions, first rule first.
    const struct {
        double x, y, vx, vy;
    } cases[] = {{800, 900, -10, 0}, {400, 900, 10, 0}, {650, 900, 0, -10}, {650, 150, 0, 10}};
    for (const auto& c : cases) {
        game.opponents.clear();
        game.shots.clear();
        Opponent* aim = addOpponent(0, 0, 5, 0, kOpponentImage);
        aim->x = c.x;
        aim->y = c.y;
        updateOpponents();
        EXPECT_EQ(onlyShot()->vx, c.vx);
        EXPECT_EQ(onlyShot()->vy, c.vy);
    }
}

TEST_F(OpponentTest, PlagueFrostAndParalysisRunTheirCourse) {
    start(1, 2);  // Krank: 7 health
    putPlayer(firstPlayer(), 100, 300);

    // Plague: 0.01 a frame for 500 frames, then it is over.
    Opponent* o = quiet(1000, 300, 0);
    o->status = kStatusPlague;
    for (int frame = 0; frame < 499; ++frame) updateOpponents();
    EXPECT_EQ(o->status, kStatusPlague);
    updateOpponents();
    EXPECT_EQ(o->status, kStatusNone);
    EXPECT_NEAR(o->health, 2, 1e-9);
    updateOpponents();
    EXPECT_NEAR(o->health, 2, 1e-9);
    EXPECT_EQ(o->statusTimer, 1000);

    // Frost: half speed for 500 frames.
    game.opponents.clear();
    o = quiet(1266, 300);
    o->status = kStatusFrost;
    updateOpponents();
    EXPECT_EQ(o->speed, 2.5);
    EXPECT_EQ(o->x, 1263.5);
    updateOpponents();
    EXPECT_EQ(o->x, 1261);
    for (int frame = 3; frame < 500; ++frame) updateOpponents();
    EXPECT_EQ(o->status, kStatusFrost);
    updateOpponents();
    EXPECT_EQ(o->status, kStatusNone);
    updateOpponents();
    EXPECT_EQ(o->speed, 5);

    // Paralysis: stands still but fires, for 100 frames.
    game.opponents.clear();
    game.shots.clear();
    o = addOpponent(1000, 300, 5, 5, kOpponentImage);
    o->status = kStatusParalysis;
    updateOpponents();
    EXPECT_EQ(o->speed, 0);
    EXPECT_EQ(o->x, 1000);
    EXPECT_EQ(game.shots.count(), 1);
    for (int frame = 1; frame < 100; ++frame) updateOpponents();
    EXPECT_EQ(o->status, kStatusNone);
    EXPECT_EQ(o->x, 1000);
    EXPECT_EQ(game.shots.count(), 3);  // frames 1, 41 and 81
    updateOpponents();
    EXPECT_EQ(o->x, 995);

    // A new status takes over the time left of the old one.
    o->status = kStatusPlague;
    for (int frame = 0; frame < 100; ++frame) updateOpponents();
    EXPECT_EQ(o->statusTimer, 800);
    o->status = kStatusParalysis;
    for (int frame = 0; frame < 79; ++frame) updateOpponents();
    EXPECT_EQ(o->status, kStatusParalysis);
    updateOpponents();
    EXPECT_EQ(o->status, kStatusNone);
}

TEST_F(OpponentTest, StatusOverlayPulsesOverTheOpponent) {
    start(1, 0);
    putPlayer(firstPlayer(), 100, 300);
    Opponent* o = quiet(600, 300, 0);
    // The pulse cycles 0, 5, ..., 250 and never reaches 255.
    for (int frame = 1; frame <= 51; ++frame) {
        updateOpponents();
        ASSERT_EQ(o->pulse, frame * 5 % 255);
    }
    EXPECT_EQ(o->pulse, 0);

    const struct {
        double status;
        std::uint32_t colour;
    } overlays[] = {
        {kStatusPlague, kPlague}, {kStatusFrost, kFrost}, {kStatusParalysis, kParalysis}};
    for (const auto& overlay : overlays) {
        SCOPED_TRACE(overlay.status);
        o->status = overlay.status;
        o->pulse = 250;
        clearCanvas(0);
        updateOpponents();
        EXPECT_EQ(o->pulse, 0);
        const std::uint32_t nearlyOverlay = canvasPixel(650, 350);
        for (int shift : {0, 8, 16}) {
            const int want =
                250 * channel(overlay.colour, shift) / 255 + 5 * channel(kBody, shift) / 255;
            EXPECT_NEAR(static_cast<int>(channel(nearlyOverlay, shift)), want, 2);
        }
        clearCanvas(0);
        updateOpponents();  // pulse 0: the overlay is invisible
        EXPECT_EQ(canvasPixel(650, 350), kBody);
    }
    o->status = kStatusNone;
    o->pulse = 250;
    clearCanvas(0);
    updateOpponents();
    EXPECT_EQ(canvasPixel(650, 350), kBody);  // no status, no overlay
}

TEST_F(OpponentTest, HealthBarColourAndLengthFollowTheRatio) {
    start(1, 2);
    putPlayer(firstPlayer(), 0, 700);
    const struct {
        double health;
        double image;
        std::uint32_t colour;
        int length;
    } bars[] = {
        {7, kGreenBarImage, kBarGreen, 140},     // a fresh Krank opponent: 140 %
        {2.6, kGreenBarImage, kBarGreen, 52},    // just over half
        {2.5, kYellowBarImage, kBarYellow, 50},  // half is yellow
        {1.3, kYellowBarImage, kBarYellow, 26},
        {1.25, kRedBarImage, kBarRed, 25},  // a quarter is red
        {0.3, kRedBarImage, kBarRed, 6},
    };
    std::vector<Opponent*> column;
    for (int i = 0; i < 6; ++i) {
        column.push_back(quiet(600, 20 + 100 * i, 0));
        column.back()->health = bars[i].health;
    }
    clearCanvas(0);
    updateOpponents();
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        const int barY = 20 + 100 * i - 10 + 2;
        EXPECT_EQ(column[i]->healthBarImage, bars[i].image);
        EXPECT_EQ(canvasPixel(600, barY), bars[i].colour);
        EXPECT_EQ(canvasPixel(600 + bars[i].length - 1, barY), bars[i].colour);
        const std::uint32_t after = canvasPixel(600 + bars[i].length, barY);
        EXPECT_EQ(after, bars[i].length < 100 ? kBarEmpty : 0u);
    }
}

TEST_F(OpponentTest, LsdSmileyAndDamageAuraWearOpponentsDown) {
    start(1, 1);  // one player: the second record still counts as it stands
    Player& first = firstPlayer();
    Player& second = secondPlayer();
    putPlayer(first, 450, 350);
    putPlayer(second, 1200, 0);
    Opponent* o = quiet(400, 300, 0);
    first.form = 18;
    updateOpponents();
    EXPECT_NEAR(o->health, 5.5, 1e-9);
    EXPECT_EQ(o->lastHitter, 0);
    first.form = 0;
    second.form = 18;
    putPlayer(second, 420, 320);
    updateOpponents();
    EXPECT_NEAR(o->health, 5, 1e-9);
    EXPECT_EQ(o->lastHitter, 2);
    putPlayer(second, 500, 300);  // edges touching do not collide
    updateOpponents();
    EXPECT_NEAR(o->health, 5, 1e-9);
    second.form = 0;

    // The aura reaches corners up to 300 apart, 300 included.
    putPlayer(first, 100, 300);
    first.form = 12;
    updateOpponents();
    EXPECT_NEAR(o->health, 4.95, 1e-9);
    EXPECT_EQ(o->lastHitter, 0);
    o->x = 401;
    updateOpponents();
    EXPECT_NEAR(o->health, 4.95, 1e-9);
    o->x = 400;
    putPlayer(second, 400, 0);
    second.form = 12;
    updateOpponents();  // both auras: the second hits last
    EXPECT_NEAR(o->health, 4.85, 1e-9);
    EXPECT_EQ(o->lastHitter, 2);
}

TEST_F(OpponentTest, DeathCreditsTheLastHitterAndTheWalkGoesOn) {
    start(2, 1);
    putPlayer(firstPlayer(), 0, 700);
    putPlayer(secondPlayer(), 100, 700);
    Opponent* a = quiet(100, 100, 0);
    Opponent* b = quiet(300.5, 99.5, 0);
    Opponent* c = quiet(500, 100, 0);
    b->health = 0;      // exactly 0 is dead
    b->lastHitter = 2;  // a turret of the second player hit it last
    game.animations.clear();
    updateOpponents();
    EXPECT_EQ(game.opponents.count(), 2);
    EXPECT_EQ(secondPlayer().kills, 1);
    EXPECT_EQ(firstPlayer().kills, 0);
    EXPECT_EQ(a->pulse, 5);
    EXPECT_EQ(c->pulse, 5);  // the walk went on past the dead one
    ASSERT_EQ(game.animations.count(), 1);
    const Animation* strip = game.animations.select(0);
    EXPECT_EQ(strip->image, kOpponentDeathStrip);
    EXPECT_EQ(strip->x, 301);
    EXPECT_EQ(strip->y, 100);
    EXPECT_EQ(strip->frameWidth, 100);
    EXPECT_EQ(strip->frameCount, 10);
    EXPECT_EQ(strip->ticksPerFrame, 4);

    // The first of the list dies: the next is still updated.
    a->health = -1;
    updateOpponents();
    EXPECT_EQ(firstPlayer().kills, 1);
    EXPECT_EQ(c->pulse, 10);

    // Plague alone finishes the last one, to the credit of its last hitter.
    c->status = kStatusPlague;
    c->health = 0.005;
    c->lastHitter = 2;
    updateOpponents();
    EXPECT_EQ(game.opponents.count(), 0);
    EXPECT_EQ(secondPlayer().kills, 2);

    // All at once.
    for (int i = 0; i < 4; ++i) quiet(100 * i, 100, 0)->health = -0.5;
    updateOpponents();
    EXPECT_EQ(game.opponents.count(), 0);
    EXPECT_EQ(firstPlayer().kills, 5);
    EXPECT_EQ(game.animations.count(), 1 + 1 + 1 + 4);
}

}  // namespace
