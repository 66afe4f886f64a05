#include <gtest/gtest.h>

#include <set>

#include "game/world/turrets.h"
#include "tests/game/items_fixture.h"

namespace {

using items_test::CustomFile;

TEST_F(ItemsTest, HalfALifeHealsHalfTheCapOrFillsUpToTheBaseMaximum) {
    startItems(1);
    Player& p = firstPlayer();
    p.health = 4;
    takePowerUp(p, 0, kItemLife, 0, 0, 0);
    EXPECT_EQ(p.health, 14);
    p.health = 12;
    takePowerUp(p, 0, kItemLife, 0, 0, 0);
    EXPECT_EQ(p.health, 20);

    // A shadow's cap is 100: below 50 it gains 50, from 50 on it drops back
    // to the plain 20. The form and its timer run on.
    p.health = 12;
    ASSERT_TRUE(startForm(p, 0, kFormSchatten));
    frame();
    ASSERT_EQ(p.maxHealthBonus, 80);
    ASSERT_EQ(p.health, 60);
    takePowerUp(p, 0, kItemLife, 0, 0, 0);
    EXPECT_EQ(p.health, 20);
    takePowerUp(p, 0, kItemLife, 0, 0, 0);
    EXPECT_EQ(p.health, 70);
    EXPECT_EQ(p.form, kFormSchatten);
    EXPECT_EQ(p.formTimer, 1999);
    EXPECT_EQ(p.maxHealthBonus, 80);
}

TEST_F(ItemsTest, ANewFormEndsTheOldOneWithItsHealthRuleAndStartsAFullTimer) {
    startItems(2);
    Player& p = secondPlayer();
    // "Zombie" out of "Schatten" with 50: a fifth, 10, then the zombie's 1.
    p.health = 10;
    takePowerUp(p, 1, kFormSchatten, 0, 0, 0);
    EXPECT_EQ(p.health, 50);
    frame();
    takePowerUp(p, 1, kFormZombie, 0, 0, 0);
    EXPECT_EQ(p.health, 1);
    EXPECT_EQ(p.form, kFormZombie);
    EXPECT_EQ(p.formTimer, 2000);
    EXPECT_EQ(p.maxHealthBonus, 0);
    EXPECT_EQ(p.image, kSecondPlayerImage);  // the defaults, until the form update
    // A zombie broken off by the next item leaves half the maximum.
    takePowerUp(p, 1, kFormGeist, 0, 0, 0);
    EXPECT_EQ(p.health, 10);

    // "Schatten" with 7 gives 35; the fifth rounds up: 35 -> 7, 36 -> 8.
    p.health = 7;
    takePowerUp(p, 1, kFormSchatten, 0, 0, 0);
    EXPECT_EQ(p.health, 35);
    takePowerUp(p, 1, kFormWut, 0, 0, 0);
    EXPECT_EQ(p.health, 7);
    p.health = 7.2;
    takePowerUp(p, 1, kFormSchatten, 0, 0, 0);
    EXPECT_EQ(p.health, 36);
    takePowerUp(p, 1, kFormWut, 0, 0, 0);
    EXPECT_EQ(p.health, 8);

    // The same item again refills the timer.
    for (int f = 0; f < 300; ++f) frame();
    EXPECT_EQ(p.formTimer, 1700);
    takePowerUp(p, 1, kFormWut, 0, 0, 0);
    EXPECT_EQ(p.formTimer, 2000);
    EXPECT_EQ(p.form, kFormWut);

    // A kind that no item has changes nothing.
    const Player before = p;
    for (int kind : {kFormGrave, 27, -3, 999}) {
        takePowerUp(p, 1, kind, 0, 0, 0);
        EXPECT_EQ(p.form, before.form) << kind;
        EXPECT_EQ(p.formTimer, before.formTimer) << kind;
        EXPECT_EQ(p.health, before.health) << kind;
    }
}

TEST_F(ItemsTest, ATurretServesItsOwnerAndLeavesTheGiantAsHeIs) {
    startItems(2);
    Player& second = secondPlayer();
    ASSERT_TRUE(startForm(second, 1, kFormRiese));
    for (int f = 0; f < 10; ++f) frame();
    const Player before = second;
    takePowerUp(second, 1, kItemTurret, 400, 300, 0);
    ASSERT_EQ(game.turrets.count(), 1);
    const Turret* t = game.turrets.current();
    EXPECT_EQ(t->x, 400);
    EXPECT_EQ(t->y, 300);
    EXPECT_EQ(t->owner, 2);
    EXPECT_EQ(t->life, 2000);
    EXPECT_EQ(second.form, kFormRiese);
    EXPECT_EQ(second.formTimer, before.formTimer);
    EXPECT_EQ(second.health, before.health);
    EXPECT_EQ(second.image, before.image);
    EXPECT_EQ(second.damageBonus, before.damageBonus);

    // The first player's turrets are owner 0; the types spread over 0..8.
    std::set<int> types;
    for (int i = 0; i < 300; ++i) {
        takePowerUp(firstPlayer(), 0, kItemTurret, 10, 20, 0);
        const Turret* u = game.turrets.current();
        ASSERT_EQ(u->owner, 0);
        types.insert(static_cast<int>(u->turretType));
    }
    EXPECT_EQ(types, (std::set<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(firstPlayer().form, kFormNormal);
}

// One custom power-up taken as an item, and what it makes of the smiley.
struct CustomCase {
    CustomFile file;
    double shotDamage;
    int framesBetweenShots;
    double walkStep;
    int duration;
};

TEST_F(ItemsTest, CustomPowerUpsActAsTheirStepTablesSay) {
    const CustomCase cases[] = {
        // "Kein Schaden", "Sehr kurz", "Pausenlos", "1/4 Geschwindigkeit"
        {{"Leise", "Held.bmp", -1, 10, -20, -7.5}, 0, 1, 2.5, 200},
        // "1/4 Schaden", "Sehr lang", "1/4 Geschwindigkeit", "Doppelte Geschw."
        {{"Langsam", "", -0.75, 0.5, 60, 20}, 0.25, 81, 30, 4000},
        // "Doppelter Schaden", "Kürzer", "Doppelte Geschw.", "1,5 fache Geschw."
        {{"Doppelt", "", 1, 5, -10, 5}, 2, 11, 15, 400},
        // "Fünffacher Schaden", "Länger", "Normale Geschw." twice
        {{"Stark", "", 4, 2, 0, 0}, 5, 21, 10, 1000},
    };
    std::vector<CustomFile> files;
    for (const CustomCase& c : cases) files.push_back(c.file);
    items_test::writeCustomFiles(files);
    startItems(1);
    ASSERT_EQ(game.customPowerUpCount, 4);
    Player& p = firstPlayer();

    for (int n = 0; n < 4; ++n) {
        const CustomCase& c = cases[n];
        SCOPED_TRACE(c.file.name);
        releaseAll();
        game.shots.clear();
        game.items.clear();
        resetPlayerForNextGame(p, 0);
        p.x = 100;
        p.y = 300;
        p.fireCooldown = -1;
        // Taken off the field, the item hands over its number.
        placeItem(100, 300, kItemCustom, n)->fade = 0;
        frame();
        ASSERT_EQ(game.items.count(), 0);
        ASSERT_EQ(p.form, kFormCustom);
        EXPECT_EQ(p.customIndex, n);
        EXPECT_EQ(p.image, c.file.smiley.empty() ? kFirstPlayerImage : 1000 + n);
        EXPECT_EQ(p.maxHealthBonus, 0);
        EXPECT_EQ(p.shotSpeedFactor, 1);

        // Walk right and fire up for a while.
        hold(key::D);
        hold(key::Up);
        int frames = 1;
        std::vector<int> shotFrames;
        for (int f = 0; f < 170; ++f) {
            const int before = game.shots.count();
            frame();
            ++frames;
            if (game.shots.count() > before) shotFrames.push_back(frames);
            if (f == 9) {
                EXPECT_DOUBLE_EQ(p.x, 100 + 10 * c.walkStep);
            }
        }
        ASSERT_GE(shotFrames.size(), 2u);
        EXPECT_EQ(shotFrames[1] - shotFrames[0], c.framesBetweenShots);
        EXPECT_DOUBLE_EQ(shotsNow()[0].damage, c.shotDamage);

        // The form lasts its duration counted from the pick-up frame (the
        // rest of it without drawing whole frames).
        releaseAll();
        while (p.form == kFormCustom && frames < 5000) {
            updateForm(p, 0);
            if (p.form == kFormCustom) ++frames;
        }
        EXPECT_EQ(frames, c.duration);
        EXPECT_EQ(p.image, kFirstPlayerImage);
    }
}

}  // namespace
