#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "tests/game/turrets_fixture.h"

namespace {

using namespace turret_test;

void expectFinite(const TurretShot& s) {
    EXPECT_TRUE(std::isfinite(s.vx) && std::isfinite(s.vy) && std::isfinite(s.angle) &&
                std::isfinite(s.rotation));
}

TEST_F(TurretTest, ShotsFlyTowardsTheirAimWithRotationZeroUpAnd90Right) {
    start();
    // Straight up, right, down and left. The drawing angle carries the
    // turrets' own pi of 3.1415926, so the sideways ones miss 90 by a hair.
    TurretShot* up = placeShot(500, 500, 500, 100, 0, 10);
    EXPECT_EQ(up->vx, 0);
    EXPECT_EQ(up->vy, -10);
    EXPECT_EQ(up->rotation, 0);
    TurretShot* right = placeShot(500, 500, 900, 500, 0, 10);
    EXPECT_EQ(right->vx, 10);
    EXPECT_NEAR(right->vy, 0, 1e-12);
    EXPECT_NEAR(right->rotation, 89.99999846476548, 1e-9);
    EXPECT_NEAR(right->angle, std::numbers::pi / 2, 1e-15);
    TurretShot* down = placeShot(500, 100, 500, 500, 0, 10);
    EXPECT_EQ(down->vx, 0);
    EXPECT_EQ(down->vy, 10);
    EXPECT_EQ(down->rotation, 180);
    TurretShot* left = placeShot(500, 500, 100, 500, 0, 10);
    EXPECT_EQ(left->vx, -10);
    EXPECT_NEAR(left->vy, 0, 1e-12);
    EXPECT_NEAR(left->rotation, 270.0000015352345, 1e-9);
    for (const TurretShot* s : {up, right, down, left}) expectFinite(*s);

    // Any aim: the velocity is the speed along the line to the aim point,
    // and the drawing angle turns an upward picture into the flight.
    for (int i = 0; i < 200; ++i) {
        const int tx = random(1400) - 20, ty = random(800) - 20;
        if (tx == 600 && ty == 400) continue;
        TurretShot* s = placeShot(600, 400, tx, ty, 0, 7);
        const double d = std::hypot(tx - 600.0, ty - 400.0);
        EXPECT_NEAR(s->vx, 7 * (tx - 600) / d, 1e-9) << tx << "," << ty;
        EXPECT_NEAR(s->vy, 7 * (ty - 400) / d, 1e-9) << tx << "," << ty;
        const double r = s->rotation * std::numbers::pi / 180;
        EXPECT_NEAR(7 * std::sin(r), s->vx, 1e-4);
        EXPECT_NEAR(-7 * std::cos(r), s->vy, 1e-4);
    }

    // Aimed at its own corner it has no direction of its own: it goes
    // straight up and leaves the field without a trace.
    game.turretShots.clear();
    TurretShot* lost = placeShot(600, 300, 600, 300, 0, 10);
    EXPECT_EQ(lost->vx, 0);
    EXPECT_EQ(lost->vy, -10);
    EXPECT_EQ(lost->rotation, 0);
    EXPECT_EQ(lost->angle, 0);
    frames(40);
    ASSERT_EQ(game.turretShots.count(), 1);
    EXPECT_EQ(lost->x, 600);
    EXPECT_EQ(lost->y, -100);
    frame();
    EXPECT_EQ(game.turretShots.count(), 0);
    EXPECT_EQ(game.animations.count(), 0);

    // A homing shot re-aimed at the point it stands on goes up as well.
    TurretShot* missile = placeShot(300, 300, 800, 300, 2, 5, kMissileImage, 0, 2, 1);
    reaimHomingShots(300, 300);
    EXPECT_EQ(missile->vx, 0);
    EXPECT_EQ(missile->vy, -5);
    expectFinite(*missile);
}

TEST_F(TurretTest, ShotLeavesTheFieldSilentlyOnlyPastItsLimits) {
    start();
    placeShot(1390, 300, 1500, 300, 0, 10);
    placeShot(-90, 300, -500, 300, 0, 10);
    placeShot(600, 790, 600, 900, 0, 10);
    placeShot(600, -90, 600, -500, 0, 10);
    frame();  // on the limits themselves: still in play
    EXPECT_EQ(game.turretShots.count(), 4);
    frame();
    EXPECT_EQ(game.turretShots.count(), 0);
    EXPECT_EQ(game.animations.count(), 0);
}

TEST_F(TurretTest, ShotHitsTheFirstOpponentInListOrderForItsOwner) {
    start(2);
    // A second player's arrow turret: the hit counts for the second player.
    placeTurret(300, 300, kArrowTurret, 2);
    Opponent* target = placeOpponent(700, 300);
    frame();
    game.turrets.clear();  // one arrow is enough
    int guard = 0;
    while (secondPlayer().hits == 0 && guard++ < 100) {
        ASSERT_EQ(game.turretShots.count(), 1);
        const TurretShot s = shotsNow()[0];
        frame();
        if (secondPlayer().hits == 1) {
            EXPECT_EQ(game.animations.count(), 1);
            const Animation* a = game.animations.select(0);
            EXPECT_EQ(a->image, kShotHitStrip);
            EXPECT_EQ(a->x, std::round(s.x + s.vx));
            EXPECT_EQ(a->y, std::round(s.y + s.vy));
            EXPECT_EQ(a->frameWidth, 30);
            EXPECT_EQ(a->frameCount, 5);
            EXPECT_EQ(a->ticksPerFrame, 3);
        }
    }
    EXPECT_EQ(secondPlayer().hits, 1);
    EXPECT_EQ(firstPlayer().hits, 0);
    EXPECT_EQ(target->health, 99);
    EXPECT_EQ(target->lastHitter, 2);
    EXPECT_EQ(target->status, 0);
    EXPECT_EQ(game.turretShots.count(), 0);

    // Two opponents under one shot: the first of the list takes it, even
    // though the second stands nearer.
    game.turrets.clear();
    game.opponents.clear();
    Opponent* first = placeOpponent(700, 300);
    Opponent* second = placeOpponent(690, 300);
    placeShot(685, 340, 800, 340, 0, 10, kArrowImage, 0, 1.5);
    frame();
    EXPECT_EQ(first->health, 98.5);
    EXPECT_EQ(second->health, 100);
    EXPECT_EQ(first->lastHitter, 0);
    EXPECT_EQ(firstPlayer().hits, 1);
    // Only the second one under the shot: it is the one hit.
    placeShot(685, 390, 685, 0, 0, 10, kArrowImage, 0, 1.5);
    frame();
    EXPECT_EQ(second->health, 98.5);
    EXPECT_EQ(first->health, 98.5);
}

TEST_F(TurretTest, PoisonFrostAndPlasmaSetStatusesOnTheOpponentHit) {
    start();
    const double damages[6] = {1, 1.25, 2, 0.2, 0.5, 0.01};
    Opponent* hit[6];
    for (int effect = 0; effect < 6; ++effect) {
        hit[effect] = placeOpponent(200 * effect + 100, 300);
        // Each shot reaches its own opponent with its first step.
        placeShot(200 * effect + 95, 410, 200 * effect + 95, 0, effect, 20, kArrowImage, 0,
                  damages[effect]);
    }
    frame();
    const double statuses[6] = {0, 0, 0, kStatusPlague, kStatusFrost, kStatusParalysis};
    for (int effect = 0; effect < 6; ++effect) {
        SCOPED_TRACE(effect);
        EXPECT_EQ(hit[effect]->status, statuses[effect]);
        EXPECT_NEAR(hit[effect]->health, 100 - damages[effect], 1e-12);
    }
    EXPECT_EQ(game.turretShots.count(), 0);

    // A paralysed opponent that would chase its target stands still until
    // the paralysis wears off.
    game.opponents.clear();
    Opponent* o = placeOpponent(900, 400, kOpponentImage, 5);
    placeShot(895, 510, 895, 0, 5, 20, kPlasmaImage, 0, 0.01);
    frame();  // it still walks in this frame: the shots come after it
    ASSERT_EQ(o->status, kStatusParalysis);
    const double x = o->x, y = o->y;
    frames(100);
    EXPECT_EQ(o->x, x);
    EXPECT_EQ(o->y, y);
    EXPECT_EQ(o->status, 0);
    frame();
    EXPECT_NE(std::abs(o->x - x) + std::abs(o->y - y), 0);
}

TEST_F(TurretTest, StarsSnowflakesAndPlasmaSpinWhileOthersHoldTheirAngle) {
    start();
    struct Case {
        int effect, image;
        bool spins;
    };
    const Case cases[] = {{0, kArrowImage, false},    {1, kStarShotImage, true},
                          {2, kMissileImage, false},  {3, kPoisonShotImage, false},
                          {4, kSnowflakeImage, true}, {5, kPlasmaImage, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.effect);
        game.turretShots.clear();
        // Flying down-right: a drawing angle of about 135 degrees.
        TurretShot* s = placeShot(100, 100, 600, 600, c.effect, 2, c.image);
        const double start = s->rotation, vx = s->vx, vy = s->vy;
        frames(3);
        EXPECT_DOUBLE_EQ(s->rotation, c.spins ? start - 30 : start);
        // The picture is turned to the angle it had when drawn, not by it.
        EXPECT_DOUBLE_EQ(rotation(c.image), c.spins ? start - 20 : start);
        EXPECT_EQ(s->vx, vx);
        EXPECT_EQ(s->vy, vy);
    }
}

}  // namespace
