#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

#include "game/players/forms.h"
#include "tests/game/turrets_fixture.h"

namespace {

using namespace turret_test;

TEST_F(TurretTest, EachGunFiresEveryNthFrameWhileItHasATarget) {
    start();
    struct Gun {
        double type;
        int period, shotsAtOnce;
    };
    // Laser and plasma set a cool-down of 1, counted back in the same frame.
    const Gun guns[] = {{kArrowTurret, 30, 1}, {kLaserTurret, 1, 1},  {kMissileTurret, 60, 1},
                        {kStarTurret, 15, 1},  {kPlasmaTurret, 1, 1}, {kPoisonTurret, 110, 11},
                        {kFrostTurret, 20, 1}};
    for (const Gun& gun : guns) {
        SCOPED_TRACE(gun.type);
        game.turrets.clear();
        game.turretShots.clear();
        game.opponents.clear();
        placeOpponent(1000, 300, kNoPicture);
        placeTurret(600, 300, gun.type);
        std::vector<std::pair<int, int>> fired, expected;
        for (int f = 0; f < 240; ++f) {
            frame();
            if (const int n = newShots(635, 335)) fired.emplace_back(f, n);
            if (f % gun.period == 0) expected.emplace_back(f, gun.shotsAtOnce);
        }
        EXPECT_EQ(fired, expected);
    }
}

TEST_F(TurretTest, TurretsWaitForATargetAndAllFollowTheFirstOpponent) {
    start();
    Turret* arrow = placeTurret(600, 300, kArrowTurret);
    Turret* laser = placeTurret(200, 600, kLaserTurret);
    for (int f = 0; f < 40; ++f) {
        frame();
        ASSERT_EQ(game.turretShots.count(), 0);
        ASSERT_EQ(arrow->cooldown, 0);
        ASSERT_EQ(arrow->hasTarget, 0);
    }
    // The first frame with an opponent fires at once.
    Opponent* first = placeOpponent(1000, 100, kNoPicture);
    placeOpponent(1000, 500, kNoPicture);
    frame();
    EXPECT_EQ(newShots(635, 335), 1);
    EXPECT_EQ(newShots(235, 635), 1);
    for (const Turret* t : {arrow, laser}) {
        EXPECT_EQ(t->hasTarget, 1);
        EXPECT_EQ(t->targetX, 1000);
        EXPECT_EQ(t->targetY, 100);
    }
    EXPECT_EQ(arrow->cooldown, 29);
    EXPECT_EQ(laser->cooldown, 0);
    // The arrow flies at the opponent's corner plus 35.
    const TurretShot arrowShot = shotsNow()[0];
    EXPECT_EQ(arrowShot.targetX, 1035);
    EXPECT_EQ(arrowShot.targetY, 135);

    // The first dies at its own update, after the turrets have aimed for the
    // frame; from the next frame on every turret aims at the new first one.
    first->health = 0;
    frame();
    EXPECT_EQ(arrow->targetY, 100);
    EXPECT_EQ(game.opponents.count(), 1);
    frame();
    EXPECT_EQ(arrow->targetY, 500);
    EXPECT_EQ(laser->targetY, 500);

    // With nobody left the aim stays, but nothing more is fired.
    game.opponents.clear();
    frame();
    for (int f = 0; f < 40; ++f) {
        frame();
        ASSERT_EQ(newShots(635, 335) + newShots(235, 635), 0);
    }
    EXPECT_EQ(arrow->hasTarget, 0);
    EXPECT_EQ(arrow->targetY, 500);
}

TEST_F(TurretTest, MissileTurretsReaimEveryMissileAtTheFirstOpponent) {
    start();
    placeTurret(200, 200, kMissileTurret);
    placeTurret(200, 500, kMissileTurret);
    placeOpponent(1000, 300, kNoPicture);
    placeOpponent(700, 100, kNoPicture);
    // A homing missile flying away to the left, and a plain arrow.
    placeShot(900, 700, 0, 700, 2, 5, kMissileImage, 0, 2, 1);
    TurretShot* arrow = placeShot(300, 700, 1300, 700, 0, 10);
    const double arrowVx = arrow->vx, arrowVy = arrow->vy;

    auto expectAllMissilesAimAtTheFirst = [] {
        int missiles = 0;
        game.turretShots.forEach([&](const TurretShot& s) {
            if (s.homing != 1) return;
            ++missiles;
            // The step just made started where the shot was re-aimed.
            const double fromX = s.x - s.vx, fromY = s.y - s.vy;
            const double dx = 1000 - fromX, dy = 300 - fromY;
            EXPECT_EQ(s.targetX, 1000);
            EXPECT_EQ(s.targetY, 300);
            EXPECT_NEAR(std::hypot(s.vx, s.vy), 5, 1e-9);
            EXPECT_NEAR(s.vx * dy - s.vy * dx, 0, 1e-6);
            EXPECT_GT(s.vx * dx + s.vy * dy, 0);
        });
        return missiles;
    };
    frame();
    EXPECT_EQ(expectAllMissilesAimAtTheFirst(), 3);
    frames(60);
    EXPECT_EQ(expectAllMissilesAimAtTheFirst(), 5);
    EXPECT_EQ(arrow->vx, arrowVx);
    EXPECT_EQ(arrow->vy, arrowVy);

    // Without a target the missiles keep their last velocity.
    std::vector<TurretShot> before = shotsNow();
    game.opponents.clear();
    frame();
    std::vector<TurretShot> after = shotsNow();
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t i = 0; i < after.size(); ++i) {
        EXPECT_EQ(after[i].vx, before[i].vx);
        EXPECT_EQ(after[i].vy, before[i].vy);
    }
}

TEST_F(TurretTest, PoisonTurretScattersElevenDropsThenWaits110Frames) {
    start();
    Turret* t = placeTurret(600, 300, kPoisonTurret);
    placeOpponent(700, 200, kNoPicture);
    frame();
    ASSERT_EQ(game.turretShots.count(), 11);
    std::set<std::pair<double, double>> aims;
    for (const TurretShot& s : shotsNow()) {
        EXPECT_EQ(s.effect, 3);
        EXPECT_EQ(s.image, kPoisonShotImage);
        EXPECT_EQ(s.damage, 0.2);
        EXPECT_EQ(s.speed, 7);
        EXPECT_EQ(s.homing, 0);
        EXPECT_GE(s.targetX, 735 - 500);
        EXPECT_LE(s.targetX, 735 + 500);
        EXPECT_GE(s.targetY, 235 - 500);
        EXPECT_LE(s.targetY, 235 + 500);
        aims.insert({s.targetX, s.targetY});
    }
    EXPECT_GT(aims.size(), 8u);  // each drop draws its own scatter
    EXPECT_EQ(t->cooldown, 109);
    for (int f = 1; f < 110; ++f) {
        frame();
        ASSERT_EQ(newShots(635, 335), 0) << f;
    }
    frame();
    EXPECT_EQ(newShots(635, 335), 11);
}

TEST_F(TurretTest, HealingBeamReachesItsOwnerAndStopsBelowTheMaximum) {
    start(2);
    Player& owner = secondPlayer();
    Player& other = firstPlayer();
    owner.x = 800;
    owner.y = 300;
    owner.health = 19.9;
    other.x = 100;
    other.y = 600;
    other.health = 10;
    // No opponent on the field: the beam works all the same.
    placeTurret(300, 300, kHealingTurret, 2);
    int healedFrames = 0;
    for (int f = 0; f < 30; ++f) {
        const double before = owner.health;
        frame();
        if (owner.health != before) {
            ++healedFrames;
            EXPECT_NEAR(owner.health - before, 0.01, 1e-12);
            EXPECT_LT(before + 0.01, 20);
        } else {
            EXPECT_GE(before + 0.01, 20);
        }
    }
    EXPECT_GE(healedFrames, 9);
    EXPECT_LE(healedFrames, 10);
    EXPECT_LT(owner.health, 20);
    EXPECT_EQ(other.health, 10);
    // Red and green flicker between the turret and the owner.
    EXPECT_TRUE(beamPixelInColumn(600, 300, 400, 16) || beamPixelInColumn(600, 300, 400, 8));

    // A raised maximum lets the beam go on healing.
    owner.maxHealth = 25;
    frames(3);
    EXPECT_GT(owner.health, 20.01);
}

TEST_F(TurretTest, LightningTakesHealthFromTheFirstOpponentEveryFrame) {
    start(2);
    placeTurret(200, 200, kLightningTurret, 2);
    Opponent* first = placeOpponent(800, 200);
    Opponent* second = placeOpponent(800, 500);
    first->health = 5;
    frames(10);
    EXPECT_NEAR(first->health, 5 - 10 * 0.02, 1e-12);
    EXPECT_EQ(first->lastHitter, 2);
    EXPECT_EQ(second->health, 100);
    // A beam is no hit: nobody's hits grow, and no projectile is made.
    EXPECT_EQ(secondPlayer().hits, 0);
    EXPECT_EQ(firstPlayer().hits, 0);
    EXPECT_EQ(game.turretShots.count(), 0);
    EXPECT_TRUE(beamPixelInColumn(550, 200, 300, 0));

    game.opponents.clear();
    frame();
    EXPECT_FALSE(beamPixelInColumn(550, 200, 300, 0));
}

TEST_F(TurretTest, TurretStands2000FramesWithAShrinkingBar) {
    start();
    Turret* t = placeTurret(400, 300, kArrowTurret);
    const std::uint32_t green = opponent_pictures::kBarGreen;
    const std::uint32_t empty = opponent_pictures::kBarEmpty;
    frame();
    EXPECT_EQ(canvasPixel(499, 290), green);
    EXPECT_EQ(canvasPixel(450, 350), kTurretColour);
    frames(999);
    // Drawn with 1000 frames of life left: 50 pixels of green.
    Player& p = firstPlayer();
    p.form = kFormWut;
    p.x = 800;
    p.y = 500;
    p.formTimer = 2000;
    frame();
    EXPECT_EQ(t->life, 999);
    EXPECT_EQ(canvasPixel(449, 290), green);
    EXPECT_EQ(canvasPixel(450, 290), empty);
    // The form timer bar clips the same picture in the same frame.
    EXPECT_EQ(canvasPixel(899, 490), green);
    p.form = kFormNormal;
    frames(998);
    ASSERT_EQ(game.turrets.count(), 1);
    EXPECT_EQ(t->life, 1);
    frame();
    EXPECT_EQ(game.turrets.count(), 0);
}

}  // namespace
