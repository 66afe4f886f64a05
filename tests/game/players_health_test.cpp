#include <gtest/gtest.h>

#include <cmath>

#include "game/players/health.h"
#include "tests/game/players_fixture.h"

namespace {

TEST_F(PlayersTest, DeathAtZeroLeavesAGraveThatStillSteersAndFiresInItsFrame) {
    start(1);
    Player& p = firstPlayer();
    p.x = 400;
    p.y = 300;
    p.health = 1.5;
    p.fireCooldown = -1;
    placeShot(435, 335, kShotOfOpponent, 0, 0, 1.5);
    hold(key::D);
    hold(key::Up);
    frame();
    EXPECT_EQ(p.health, 0);
    EXPECT_EQ(p.form, kFormGrave);
    EXPECT_EQ(p.formTimer, 1998);
    EXPECT_EQ(p.active, 0);
    EXPECT_EQ(p.image, kGraveImage);
    EXPECT_EQ(p.deaths, 1);
    EXPECT_EQ(game.livesLeft, 3);
    // Steered and fired once more in the frame of its death.
    EXPECT_EQ(p.x, 410);
    EXPECT_EQ(game.shots.count(), 1);
    // The death strip, then the shot's own hit strip.
    ASSERT_EQ(game.animations.count(), 2);
    const Animation* death = game.animations.select(0);
    EXPECT_EQ(death->image, kPlayerDeathStrip);
    EXPECT_EQ(death->x, 400);
    EXPECT_EQ(death->y, 200);
    EXPECT_EQ(death->frameWidth, 100);
    EXPECT_EQ(death->frameCount, 5);
    EXPECT_EQ(death->ticksPerFrame, 6);
    EXPECT_EQ(game.animations.select(1)->image, kShotHitStrip);

    // Just above 0 it lives.
    Player& q = secondPlayer();
    q.health = 1.5000001;
    takeHit(q, 1.5);
    EXPECT_EQ(q.form, 0);
    EXPECT_EQ(game.livesLeft, 3);
}

TEST_F(PlayersTest, SecondShotOfTheDeathFramePassesThroughTheGrave) {
    start(2);
    Player& p = secondPlayer();
    p.x = 400;
    p.y = 300;
    p.health = 1;
    placeShot(435, 335, kShotOfOpponent, 0, 0, 1.5);
    placeShot(440, 340, kShotOfOpponent, 0, 0, 1.5);
    frame();
    EXPECT_EQ(p.form, kFormGrave);
    EXPECT_EQ(p.health, -0.5);
    EXPECT_EQ(p.deaths, 1);
    EXPECT_EQ(game.livesLeft, 4);
    ASSERT_EQ(game.shots.count(), 1);
    EXPECT_EQ(shotsNow()[0].x, 440);
}

TEST_F(PlayersTest, GraveLastsAThousandFramesAndTheSmileyRisesWhereItFell) {
    start(1);
    Player& p = firstPlayer();
    p.x = 400;
    p.y = 300;
    startForm(p, 0, kFormSchatten);
    frame();
    EXPECT_EQ(p.maxHealthBonus, 80);
    p.health = 1;
    placeShot(435, 335, kShotOfOpponent, 0, 0, 1);
    frame();
    ASSERT_EQ(p.form, kFormGrave);
    // The frame of death was the grave's first; from the next one on the
    // player neither steers, fires nor is hit.
    hold(key::A);
    hold(key::Down);
    int graveFrames = 1;
    while (p.form == kFormGrave && graveFrames < 2000) {
        if (graveFrames == 500) placeShot(435, 335, kShotOfOpponent, 0, 0, 5);
        frame();
        if (p.form == kFormGrave) {
            ++graveFrames;
            ASSERT_EQ(p.active, 0);
            ASSERT_EQ(p.image, kGraveImage);
        }
    }
    EXPECT_EQ(graveFrames, 1000);
    EXPECT_EQ(p.x, 400);
    EXPECT_EQ(p.y, 300);
    EXPECT_EQ(game.shots.count(), 1);  // the shot at frame 500 passed through
    EXPECT_EQ(p.deaths, 1);
    // Risen with full health and without the shadow's bonus.
    EXPECT_EQ(p.health, 20);
    EXPECT_EQ(p.form, 0);
    EXPECT_EQ(p.maxHealthBonus, 0);
    EXPECT_EQ(p.image, kFirstPlayerImage);
    EXPECT_EQ(p.active, 1);
    frame();
    EXPECT_EQ(p.x, 390);
    EXPECT_EQ(game.shots.count() >= 1, true);
    EXPECT_EQ(game.livesLeft, 3);
}

TEST_F(PlayersTest, EmptyPoolEndsTheGameForBothAndTheNextStartsAtTheCorner) {
    start(2);
    Player& first = firstPlayer();
    Player& second = secondPlayer();
    first.x = 100;
    first.y = 100;
    second.x = 700;
    second.y = 400;
    startForm(first, 0, kFormSoldat);
    startForm(second, 1, kFormRiese);
    frame();
    game.livesLeft = 1;
    second.health = 1;
    placeShot(735, 435, kShotOfOpponent, 0, 0, 1.5);
    frame();
    EXPECT_EQ(game.livesLeft, 0);
    EXPECT_EQ(game.gameOver, 1);
    EXPECT_EQ(first.health, 20);
    EXPECT_EQ(first.active, 0);
    EXPECT_EQ(second.active, 0);
    // Nobody steers, fires or is hit while the screen fades out.
    hold(key::L);
    hold(key::Up);
    first.fireCooldown = -1;
    placeShot(135, 135, kShotOfOpponent, 0, 0, 1.5);
    int frames = 0;
    while (runGameFrame() && frames < 400) {
        ++frames;
        ASSERT_EQ(first.active, 0);
        ASSERT_EQ(second.active, 0);
    }
    EXPECT_EQ(game.fadeAlpha, 255);
    EXPECT_EQ(first.x, 100);
    EXPECT_EQ(first.health, 20);
    EXPECT_EQ(game.shots.count(), 1);

    resetForNextGame();
    for (int i : {0, 1}) {
        const Player& p = game.players[i];
        EXPECT_EQ(p.x, 0);
        EXPECT_EQ(p.y, 0);
        EXPECT_EQ(p.form, 0);
        EXPECT_EQ(p.health, 20);
        EXPECT_EQ(p.active, 1);
        EXPECT_EQ(p.image, i == 0 ? kFirstPlayerImage : kSecondPlayerImage);
        EXPECT_EQ(p.deaths, 0);
    }
    // The soldier's standing mines do not carry over into the next game.
    beginGame();
    releaseAll();
    first.fireCooldown = -1;
    hold(key::Right);
    frame();
    ASSERT_EQ(game.shots.count(), 1);
    EXPECT_EQ(shotsNow()[0].vx, 15);
    EXPECT_EQ(shotsNow()[0].damage, 1);
}

bool finite(const Player& p) {
    for (double v : {p.x, p.y, p.health, p.formTimer, p.fireCooldown, p.speedBonus, p.damageBonus})
        if (!std::isfinite(v)) return false;
    return true;
}

TEST_F(PlayersTest, TwoPlayerGameKeepsToTheRulesForHundredsOfFrames) {
    players_test::writePlayerPictures();
    startGame(2, 1, 1366, 768);
    beginGame();
    const int keys[] = {key::P,    key::L,     key::OUmlaut, key::AUmlaut, key::Up, key::Left,
                        key::Down, key::Right, key::W,       key::A,       key::S,  key::D,
                        key::T,    key::F,     key::G,       key::H};
    const int forms[] = {1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13,
                         14, 15, 16, 17, 18, 19, 20, 21, 22, 24, 25, 26};
    int framesPlayed = 0;
    for (int f = 0; f < 700; ++f) {
        // Keys change every few frames; now and then a player takes a form.
        if (f % 7 == 0)
            for (int k : keys) {
                const int down = random(2);
                scriptKey(k, down == 0);
            }
        if (f % 90 == 45) {
            const int who = random(1);
            const int which = random(24);
            if (game.players[who].active == 1) startForm(game.players[who], who, forms[which]);
        }
        if (!runGameFrame()) break;
        ++framesPlayed;
        for (const Player& p : game.players) {
            ASSERT_TRUE(finite(p)) << "frame " << f;
            ASSERT_GE(p.x, 0);
            ASSERT_LT(p.x, 1275);
            ASSERT_GE(p.y, 0);
            ASSERT_LT(p.y, 671);
            ASSERT_LE(p.health, p.maxHealth + p.maxHealthBonus);
            ASSERT_TRUE(p.active == 0 || p.active == 1);
            ASSERT_TRUE(p.form == 0 || p.form == kFormGrave || findFormRow(p.form));
        }
        game.shots.forEach([&](const Shot& s) {
            ASSERT_TRUE(std::isfinite(s.x) && std::isfinite(s.y) && std::isfinite(s.damage));
            ASSERT_TRUE(s.x <= 1633 && s.x >= -100 && s.y <= 768 && s.y >= -100);
        });
        ASSERT_LT(game.shots.count(), 200);
        ASSERT_LE(game.opponents.count(), 7);
        ASSERT_LT(game.animations.count(), 200);
        ASSERT_EQ(game.livesLeft, game.livesTotal - firstPlayer().deaths - secondPlayer().deaths);
    }
    EXPECT_GT(framesPlayed, 300);
    // The players' shots found opponents.
    EXPECT_GT(firstPlayer().hits + secondPlayer().hits, 0);
}

}  // namespace
