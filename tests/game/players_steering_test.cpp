#include <gtest/gtest.h>

#include "datafiles/custom_powerup_file.h"
#include "tests/game/players_fixture.h"

namespace {

TEST_F(PlayersTest, SteeringStopsShortOfTheLimitsAndStillSetsTheDrift) {
    start(1);
    Player& p = firstPlayer();
    struct Case {
        double x, y;
        int key;
        double wantX, wantY, driftX, driftY;
    };
    const Case cases[] = {
        {300, 5, key::W, 300, 5, 0, -3},       // 5 - 10 < 0: no move
        {300, 10, key::W, 300, 0, 0, -3},      // 0 itself is allowed
        {300, 660, key::S, 300, 670, 0, 3},    // 670 < 671
        {300, 661, key::S, 300, 661, 0, 3},    // 671 is not below 671
        {1264, 300, key::D, 1274, 300, 3, 0},  // 1274 < 1275
        {1265, 300, key::D, 1265, 300, 3, 0},  // 1275 is not below 1275
        {10, 300, key::A, 0, 300, -3, 0},
        {9, 300, key::A, 9, 300, -3, 0},
        {100.25, 200.5, key::A, 90.25, 200.5, -3, 0},  // not rounded, not clamped
    };
    for (const Case& c : cases) {
        releaseAll();
        p.x = c.x;
        p.y = c.y;
        hold(c.key);
        frame();
        EXPECT_EQ(p.x, c.wantX) << c.x << "," << c.y << " key " << c.key;
        EXPECT_EQ(p.y, c.wantY) << c.x << "," << c.y << " key " << c.key;
        EXPECT_EQ(p.driftX, c.driftX);
        EXPECT_EQ(p.driftY, c.driftY);
    }
    // Without a key the drift is back to 0 in the next frame.
    releaseAll();
    frame();
    EXPECT_EQ(p.driftX, 0);
    EXPECT_EQ(p.driftY, 0);
}

TEST_F(PlayersTest, UpAndRightWinAndDiagonalsTakeAFullStepOnBothAxes) {
    start(1);
    Player& p = firstPlayer();
    p.x = 500;
    p.y = 400;
    hold(key::W);
    hold(key::S);
    hold(key::A);
    hold(key::D);
    frame();
    EXPECT_EQ(p.x, 510);
    EXPECT_EQ(p.y, 390);
    EXPECT_EQ(p.driftX, 3);
    EXPECT_EQ(p.driftY, -3);
    releaseAll();
    hold(key::S);
    hold(key::A);
    for (int i = 0; i < 3; ++i) frame();
    EXPECT_EQ(p.x, 480);
    EXPECT_EQ(p.y, 420);
    // Blocked up, the held down key does not take over.
    p.y = 4;
    hold(key::W);
    frame();
    EXPECT_EQ(p.y, 4);
    EXPECT_EQ(p.driftY, -3);
}

TEST_F(PlayersTest, EachModeHasItsOwnKeys) {
    start(1);
    Player& first = firstPlayer();
    Player& second = secondPlayer();
    first.x = second.x = 500;
    first.y = second.y = 300;
    // Alone, the first player walks with W/A/S/D; P/L/Ö/Ä do nothing.
    for (int k : {key::P, key::L, key::OUmlaut, key::AUmlaut, key::T, key::F, key::G, key::H})
        hold(k);
    frame();
    EXPECT_EQ(first.x, 500);
    EXPECT_EQ(first.y, 300);
    EXPECT_EQ(game.shots.count(), 0);
    releaseAll();
    hold(key::D);
    hold(key::S);
    frame();
    EXPECT_EQ(first.x, 510);
    EXPECT_EQ(first.y, 310);
    EXPECT_EQ(second.x, 500);  // never steered in a one-player game

    // Two players: W/A/S/D and T/F/G/H belong to the second, P/L/Ö/Ä and the
    // arrows to the first.
    game.playerCount = 2;
    second.fireCooldown = -1;
    first.x = second.x = 500;
    first.y = second.y = 300;
    releaseAll();
    hold(key::W);
    hold(key::A);
    hold(key::H);
    frame();
    EXPECT_EQ(second.x, 490);
    EXPECT_EQ(second.y, 290);
    EXPECT_EQ(first.x, 500);
    EXPECT_EQ(first.y, 300);
    ASSERT_EQ(game.shots.count(), 1);
    EXPECT_EQ(game.shots.select(0)->kind, kShotOfSecondPlayer);
    EXPECT_EQ(game.shots.select(0)->vx, 15);
    releaseAll();
    hold(key::OUmlaut);
    hold(key::AUmlaut);
    hold(key::Left);
    frame();
    EXPECT_EQ(first.x, 510);
    EXPECT_EQ(first.y, 310);
    EXPECT_EQ(second.x, 490);
    ASSERT_EQ(game.shots.count(), 2);
    EXPECT_EQ(game.shots.select(1)->kind, kShotOfFirstPlayer);
    EXPECT_EQ(game.shots.select(1)->vx, -15);
    releaseAll();
    hold(key::P);
    hold(key::L);
    frame();
    EXPECT_EQ(first.x, 500);
    EXPECT_EQ(first.y, 300);
}

TEST_F(PlayersTest, InactiveSmileyIsNotSteeredButDrawnAndItsFormRunsOn) {
    start(1);
    Player& p = firstPlayer();
    p.x = 300;
    p.y = 200;
    ASSERT_TRUE(startForm(p, 0, kFormSeher));
    p.active = 0;
    hold(key::D);
    hold(key::Up);
    p.fireCooldown = -1;
    frame();
    EXPECT_EQ(p.x, 300);
    EXPECT_EQ(p.driftX, 0);
    EXPECT_EQ(game.shots.count(), 0);
    EXPECT_EQ(p.fireCooldown, -1);
    EXPECT_EQ(p.formTimer, 1999.5);
    EXPECT_EQ(p.image, 27);
    EXPECT_EQ(canvasPixel(350, 250), players_test::kSmileyColour & 0xFFFFFF);
}

TEST_F(PlayersTest, WalkingBackwardsFromAHandMadePowerUpStandsStill) {
    // A file no editor writes: a walking bonus below -10.
    writeFileBytes(customPowerUpPath(0), "Krebs\r\n\r\n\r\n\r\n0\r\n1\r\n0\r\n-15");
    start(1);
    Player& p = firstPlayer();
    p.x = 0;
    p.y = 0;
    ASSERT_TRUE(startForm(p, 0, kFormCustom, 0));
    hold(key::W);
    hold(key::A);
    for (int i = 0; i < 5; ++i) frame();
    EXPECT_EQ(p.speedBonus, -15);
    EXPECT_EQ(p.x, 0);
    EXPECT_EQ(p.y, 0);
    EXPECT_EQ(p.driftX, -3);
}

}  // namespace
