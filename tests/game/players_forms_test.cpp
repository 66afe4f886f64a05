#include <gtest/gtest.h>

#include <set>

#include "datafiles/custom_powerup_file.h"
#include "tests/game/players_fixture.h"

namespace {

using players_test::kAuraColour;
using players_test::kBarEmptyColour;
using players_test::kBarFillColour;
using players_test::kSmileyColour;

constexpr double kNoShot = 1e9;

// What each form does to the first player, as the player sees it.
struct FormEffect {
    int form;
    int image;
    double shotDamage;  // kNoShot: cannot fire
    double walkStep;
    double fireDelay;
    int shotImage;
    double frames;  // how long the form lasts
};

const FormEffect kEffects[] = {
    {kFormWut, 6, 2, 10, 20, 23, 2000},         {kFormMoench, 2, 0.1, 10, 0, 22, 2000},
    {kFormSchatten, 4, 1, 10, 20, 9, 2000},     {kFormZombie, 5, 3, 10, 10, 24, 1000},
    {kFormAngsthase, 3, 1, 15, 20, 9, 2000},    {kFormGroovyboy, 7, 1, 10, 20, 9, 1000},
    {kFormMiniboy, 26, 1, 12.5, 20, 9, 2000},   {kFormBluttropfen, 45, 0.01, 10, 0, 28, 2000},
    {kFormArzt, 30, -2, 10, 30, 29, 2000},      {kFormRiese, 31, 21, 5, 100, 32, 2000},
    {kFormZeitaura, 0, 1, 10, 20, 9, 2000},     {kFormSchadensaura, 0, 1, 10, 20, 9, 2000},
    {kFormIronman, 35, 1, 10, 20, 9, 500},      {kFormVampir, 8, 1, 12.5, 20, 24, 2000},
    {kFormStein, 36, kNoShot, 0, 20, 9, 800},   {kFormGeist, 38, 1, 10, 20, 39, 1000},
    {kFormEngel, 40, 1, 10, 20, 9, 2000},       {kFormLsd, 42, kNoShot, 10, 20, 9, 500},
    {kFormNegativaura, 0, 1, 10, 20, 9, 500},   {kFormSeher, 27, 1, 10, 20, 9, 4000},
    {kFormMrMoney, 48, 1, 10, 20, 9, 1000},     {kFormTransformfeld, 0, 1, 10, 20, 9, 1000},
    {kFormSoldat, 82, 2.8, 10, 60, 83, 1000},   {kFormPestleiche, 86, 1, 10, 20, 89, 2000},
    {kFormSchneemann, 87, 1, 10, 20, 88, 2000},
};

TEST_F(PlayersTest, EveryFormHasItsPictureDamageSpeedDelayAndDuration) {
    start(1);
    Player& p = firstPlayer();
    for (const FormEffect& e : kEffects) {
        SCOPED_TRACE(e.form);
        releaseAll();
        game.shots.clear();
        resetPlayerForNextGame(p, 0);
        p.x = 500;
        p.y = 300;
        p.fireCooldown = -1;
        ASSERT_TRUE(startForm(p, 0, e.form));
        ASSERT_NE(findFormRow(e.form), nullptr);
        EXPECT_EQ(formDuration(*findFormRow(e.form)), e.frames);
        // The form's own values arrive with its first form update; then it
        // walks and fires with them.
        frame();
        EXPECT_EQ(p.image, e.image);
        EXPECT_EQ(p.shotImage, e.shotImage);
        EXPECT_EQ(p.fireDelay, e.fireDelay);
        EXPECT_EQ(p.maxHealthBonus, e.form == kFormSchatten ? 80 : 0);
        hold(key::D);
        hold(key::Up);
        frame();
        EXPECT_EQ(p.x, 500 + e.walkStep);
        if (e.shotDamage == kNoShot) {
            EXPECT_EQ(game.shots.count(), 0);
        } else {
            ASSERT_EQ(game.shots.count(), 1);
            const Shot s = shotsNow()[0];
            EXPECT_NEAR(s.damage, e.shotDamage, 1e-12);
            EXPECT_EQ(s.image, e.shotImage);
            EXPECT_EQ(s.kind, e.form == kFormArzt ? kHealShotOfFirst : kShotOfFirstPlayer);
            // Soldiers lay mines that stay where they are.
            EXPECT_EQ(s.vy, e.form == kFormSoldat ? 0 : -15);
            EXPECT_EQ(s.vx, e.form == kFormSoldat ? 0 : 3);
        }
        // Two frames are gone; count the rest of the form's life.
        double frames = 2;
        while (p.form == e.form && frames < 10000) {
            updateForm(p, 0);
            if (p.form == e.form) ++frames;
        }
        EXPECT_EQ(frames, e.frames);
        // It ends with every modifier back at its default.
        EXPECT_EQ(p.form, 0);
        EXPECT_EQ(p.image, kFirstPlayerImage);
        EXPECT_EQ(p.shotImage, kStoneShotImage);
        EXPECT_EQ(p.damageBonus, 0);
        EXPECT_EQ(p.fireDelay, 20);
        EXPECT_EQ(p.speedBonus, 0);
        EXPECT_EQ(p.maxHealthBonus, 0);
        EXPECT_EQ(p.shotSpeedFactor, 1);
        EXPECT_EQ(p.active, 1);
    }
    // 23 is the turret item; 0, 100 and unknown numbers are no forms to start.
    p.health = 7;
    for (int notAForm : {0, 23, 27, 100, -1, 999}) {
        EXPECT_FALSE(startForm(p, 0, notAForm));
        EXPECT_EQ(p.form, 0);
        EXPECT_EQ(p.health, 7);
    }
    EXPECT_EQ(findFormRow(23), nullptr);
}

TEST_F(PlayersTest, SchattenAndZombieChangeHealthAtTheirStartAndEnd) {
    start(1);
    Player& p = firstPlayer();
    p.health = 12;
    startForm(p, 0, kFormSchatten);
    EXPECT_EQ(p.health, 60);
    frame();
    EXPECT_EQ(p.health, 60);  // under the cap of 20 + 80
    p.health = 150;
    frame();
    EXPECT_EQ(p.health, 100);
    p.health = 37;
    p.formTimer = 0;
    frame();
    EXPECT_EQ(p.health, 8);  // 7.4 rounded up
    EXPECT_EQ(p.form, 0);

    for (double end : {35.0, 36.0}) {
        p.health = 7;
        startForm(p, 0, kFormSchatten);
        EXPECT_EQ(p.health, 35);
        p.health = end;
        p.formTimer = 0;
        updateForm(p, 0);
        EXPECT_EQ(p.health, end == 35 ? 7 : 8);
    }

    p.health = 15;
    startForm(p, 0, kFormZombie);
    EXPECT_EQ(p.health, 1);
    p.health = 3.3;
    p.formTimer = 0;
    updateForm(p, 0);
    EXPECT_EQ(p.health, 10);

    // Taking the next item ends the old form with its own rule first.
    p.health = 10;
    startForm(p, 0, kFormSchatten);
    p.health = 50;
    startForm(p, 0, kFormZombie);
    EXPECT_EQ(p.health, 1);
    startForm(p, 0, kFormSchatten);
    EXPECT_EQ(p.health, 50);         // half the maximum, then five times that
    EXPECT_EQ(p.maxHealthBonus, 0);  // the bonus comes with the form update

    // The same item again refills the timer.
    startForm(p, 0, kFormWut);
    p.formTimer = 500;
    startForm(p, 0, kFormWut);
    EXPECT_EQ(p.formTimer, 2000);
}

TEST_F(PlayersTest, FullHealthFormsAreMendedAfterTheShotsOfTheFrame) {
    start(1);
    Player& p = firstPlayer();
    p.x = 400;
    p.y = 300;
    for (int form : {kFormGroovyboy, kFormStein, kFormLsd}) {
        SCOPED_TRACE(form);
        startForm(p, 0, form);
        p.health = 0.5;
        frame();
        EXPECT_EQ(p.health, 20);
        if (form == kFormLsd) continue;  // its stand-in is see-through here
        // One shot short of the full health: back at 20 in the same frame.
        placeShot(435, 335, kShotOfOpponent, 0, 0, 19.9);
        frame();
        EXPECT_EQ(game.shots.count(), 0);
        EXPECT_EQ(p.health, 20);
        EXPECT_EQ(p.form, form);
    }
    // Two hits that add up to the full health within one frame do kill.
    startForm(p, 0, kFormGroovyboy);
    frame();
    placeShot(435, 335, kShotOfOpponent, 0, 0, 12);
    placeShot(435, 335, kShotOfOpponent, 0, 0, 8);
    frame();
    EXPECT_EQ(p.form, kFormGrave);

    // The angel mends only below the base maximum of 20.
    resetPlayerForNextGame(p, 0);
    startForm(p, 0, kFormEngel);
    p.health = 19.995;
    frame();
    EXPECT_EQ(p.health, 20);  // 20.005, held at the cap
    frame();
    EXPECT_EQ(p.health, 20);
    p.health = 10;
    for (int i = 0; i < 100; ++i) frame();
    EXPECT_NEAR(p.health, 11, 1e-9);
}

TEST_F(PlayersTest, TimerBarShrinksAPixelEveryTenFramesOfATwoStepForm) {
    start(1);
    Player& p = firstPlayer();
    p.x = 300;
    p.y = 200;
    startForm(p, 0, kFormZombie);
    std::vector<int> widths;
    for (int i = 0; i < 26; ++i) {
        clearCanvas(0);
        updateForm(p, 0);
        int green = 0, grey = 0;
        for (int x = 300; x < 400; ++x) {
            const std::uint32_t c = canvasPixel(x, 192);
            green += c == (kBarFillColour & 0xFFFFFF);
            grey += c == (kBarEmptyColour & 0xFFFFFF);
        }
        ASSERT_EQ(green + grey, 100);
        widths.push_back(green);
    }
    std::vector<int> want(6, 100);
    want.insert(want.end(), 10, 99);
    want.insert(want.end(), 10, 98);
    EXPECT_EQ(widths, want);
}

TEST_F(PlayersTest, FormDrawingsLieBetweenTheWorldAndTheSmiley) {
    start(1);
    Player& p = firstPlayer();
    p.x = 500;
    p.y = 300;
    startForm(p, 0, kFormZeitaura);
    frame();
    // The circle is centred on the smiley's corner and covers its bar; the
    // smiley lies on top.
    EXPECT_EQ(canvasPixel(400, 300), kAuraColour & 0xFFFFFF);
    EXPECT_EQ(canvasPixel(510, 292), kAuraColour & 0xFFFFFF);
    EXPECT_EQ(canvasPixel(550, 350), kSmileyColour & 0xFFFFFF);

    // The LSD smiley flashes a new random colour over its square each frame.
    startForm(p, 0, kFormLsd);
    std::set<std::uint32_t> colours;
    for (int i = 0; i < 5; ++i) {
        frame();
        colours.insert(canvasPixel(550, 350));
        EXPECT_NE(canvasPixel(550, 350), kSmileyColour & 0xFFFFFF);
    }
    EXPECT_GT(colours.size(), 1u);
}

TEST_F(PlayersTest, CustomFormTakesItsValuesFromThePowerUpFile) {
    writeBmp24("Eigene Smileys/Held.bmp", players_test::disc(50, 0xFF3060FF));
    writeBmp24("Eigene Smileys/Ball.bmp", TestPicture(20, 20, 0xFF30FF60));
    writeFileBytes(customPowerUpPath(0),
                   "Held\r\nIch\r\nHeld.bmp\r\nBall.bmp\r\n1.0000000000\r\n10.0000000000\r\n"
                   "-20.0000000000\r\n-7.5000000000");
    writeFileBytes(customPowerUpPath(1),
                   "Leer\r\n\r\n\r\n\r\n-0.7500000000\r\n0.5000000000\r\n60.0000000000\r\n"
                   "20.0000000000");
    start(1);
    Player& p = firstPlayer();
    p.x = 500;
    p.y = 300;
    p.fireCooldown = -1;
    ASSERT_TRUE(startForm(p, 0, kFormCustom, 0));
    frame();
    EXPECT_EQ(p.image, 1000);
    EXPECT_EQ(p.shotImage, 2000);
    EXPECT_EQ(p.fireDelay, 0);
    hold(key::D);
    hold(key::Right);
    frame();
    frame();
    EXPECT_EQ(p.x, 505);               // 2.5 a frame
    EXPECT_EQ(game.shots.count(), 2);  // every frame
    EXPECT_EQ(shotsNow()[0].damage, 2);
    EXPECT_EQ(shotsNow()[0].image, 2000);
    EXPECT_EQ(shotsNow()[0].vx, 15);  // the speed factor stays 1
    int frames = 3;
    while (p.form == kFormCustom && frames < 1000) {
        updateForm(p, 0);
        if (p.form == kFormCustom) ++frames;
    }
    EXPECT_EQ(frames, 200);
    EXPECT_EQ(p.image, kFirstPlayerImage);

    // Without pictures the player's own ones stay.
    releaseAll();
    startForm(p, 0, kFormCustom, 1);
    frame();
    EXPECT_EQ(p.image, kFirstPlayerImage);
    EXPECT_EQ(p.shotImage, kStoneShotImage);
    EXPECT_EQ(p.damageBonus, -0.75);
    EXPECT_EQ(p.fireDelay, 80);
    EXPECT_EQ(p.speedBonus, 20);
    EXPECT_EQ(p.formTimer, 1999.5);

    // A power-up that is not loaded: no bar, no countdown, defaults.
    startForm(p, 0, kFormCustom, 5);
    clearCanvas(0);
    updateForm(p, 0);
    EXPECT_EQ(p.formTimer, 2000);
    EXPECT_EQ(p.fireDelay, 20);
    EXPECT_EQ(canvasPixel(510, 292), 0u);
    EXPECT_EQ(p.customIndex, 5);
}

}  // namespace
