#include <gtest/gtest.h>

#include <cmath>
#include <map>

#include "tests/game/items_fixture.h"

namespace {

using items_test::CustomFile;
using items_test::itemsNow;

// Kinds of the items on the field, counted, and how many there are.
struct Tally {
    std::map<int, int> byKind;
    std::map<int, int> byCustomIndex;  // kind 1000 only
    int total = 0;
    int of(int kind) const {
        const auto it = byKind.find(kind);
        return it == byKind.end() ? 0 : it->second;
    }
};

// Lets `deaths` opponents die at one spot and counts what they leave.
Tally dropMany(int deaths) {
    game.items.clear();
    for (int i = 0; i < deaths; ++i) dropOnDeath(640, 320);
    Tally t;
    for (const PowerUpItem& item : itemsNow()) {
        const int kind = static_cast<int>(item.kind);
        ++t.byKind[kind];
        if (kind == kItemCustom) ++t.byCustomIndex[static_cast<int>(item.customIndex)];
        ++t.total;
    }
    return t;
}

// A count out of n draws with chance p lies within five standard deviations.
void expectShare(int count, int n, double p) {
    const double sd = std::sqrt(n * p * (1 - p));
    EXPECT_NEAR(count, n * p, 5 * sd + 1) << "share " << p << " of " << n;
}

TEST_F(ItemsTest, OneOpponentInFourFiveOrSixLeavesAnItemByDifficulty) {
    startItems(1);
    const int deaths = 12000;
    for (int difficulty = 0; difficulty <= 2; ++difficulty) {
        SCOPED_TRACE(difficulty);
        game.difficulty = difficulty;
        expectShare(dropMany(deaths).total, deaths, 1.0 / (4 + difficulty));
    }
    // Every item starts veiled, unsparkled, where the opponent died.
    for (const PowerUpItem& item : itemsNow()) {
        ASSERT_EQ(item.x, 640);
        ASSERT_EQ(item.y, 320);
        ASSERT_EQ(item.fade, 255);
        ASSERT_EQ(item.sparkle, 0);
    }
}

TEST_F(ItemsTest, OnePlayerDropsAFifthLifeOrTurretNeverTheDoctorAndWutTwice) {
    startItems(1);
    const Tally t = dropMany(40000);
    ASSERT_GT(t.total, 9000);
    const double spread = 0.8 / 26;
    expectShare(t.of(kItemLife), t.total, 0.1);
    // The turret also comes out of the even spread; the heal does not.
    expectShare(t.of(kItemTurret), t.total, 0.1 + spread);
    EXPECT_EQ(t.of(kFormArzt), 0);
    expectShare(t.of(kFormWut), t.total, 2 * spread);
    for (int kind = 2; kind <= 26; ++kind)
        if (kind != kFormArzt && kind != kItemTurret) {
            SCOPED_TRACE(kind);
            expectShare(t.of(kind), t.total, spread);
        }
    EXPECT_EQ(t.of(kItemCustom), 0);
    EXPECT_EQ(static_cast<int>(t.byKind.size()), 26);  // 0..26 without 9
}

TEST_F(ItemsTest, TwoPlayersGetTheDoctorAndWutOnlyOnce) {
    startItems(2);
    const Tally t = dropMany(40000);
    const double spread = 0.8 / 26;
    expectShare(t.of(kFormArzt), t.total, spread);
    expectShare(t.of(kFormWut), t.total, spread);
    expectShare(t.of(kItemLife), t.total, 0.1);
}

TEST_F(ItemsTest, CustomPowerUpsDropOnlyWhileSwitchedOnAndLoaded) {
    items_test::writeCustomFiles(
        {{"Erster", "", 0, 1, 0, 0}, {"Zweiter", "", 0, 1, 0, 0}, {"Dritter", "", 0, 1, 0, 0}});
    startItems(2);
    ASSERT_EQ(game.customPowerUpCount, 3);

    // Switched on: each loaded power-up counts like one kind more.
    game.customPowerUpsEnabled = 1;
    Tally t = dropMany(40000);
    expectShare(t.of(kItemCustom), t.total, 0.8 * 3 / 29);
    expectShare(t.of(kFormRiese), t.total, 0.8 / 29);
    for (int i = 0; i < 3; ++i) expectShare(t.byCustomIndex[i], t.of(kItemCustom), 1.0 / 3);
    EXPECT_EQ(static_cast<int>(t.byCustomIndex.size()), 3);  // never a number beyond them
    for (const PowerUpItem& item : itemsNow()) {
        ASSERT_TRUE(item.kind <= 26 || item.kind == kItemCustom) << item.kind;
        if (item.kind != kItemCustom) continue;
        ASSERT_EQ(item.image, kCustomItemImage);
        const char* names[] = {"Erster", "Zweiter", "Dritter"};
        ASSERT_EQ(item.name, names[static_cast<int>(item.customIndex)]);
    }

    // Switched off, or set to anything but 1 by hand: kinds above 26 are
    // drawn again over the 26 plain kinds, so every drop still gives one.
    for (double enabled : {0.0, 2.0, -1.0}) {
        SCOPED_TRACE(enabled);
        game.customPowerUpsEnabled = enabled;
        const int deaths = 40000;
        t = dropMany(deaths);
        expectShare(t.total, deaths, 0.25);
        EXPECT_EQ(t.of(kItemCustom), 0);
        for (int kind = 1; kind <= 26; ++kind)
            if (kind != kItemTurret) expectShare(t.of(kind), t.total, 0.8 / 26);
        EXPECT_EQ(t.byKind.rbegin()->first, 26);
    }
}

TEST_F(ItemsTest, WithoutLoadedCustomPowerUpsTheCustomKindNeverComes) {
    startItems(1);
    ASSERT_EQ(game.customPowerUpCount, 0);
    game.customPowerUpsEnabled = 1;
    const Tally t = dropMany(20000);
    EXPECT_EQ(t.of(kItemCustom), 0);
    expectShare(t.total, 20000, 0.25);
    EXPECT_EQ(t.byKind.rbegin()->first, 26);
}

TEST_F(ItemsTest, MrMoneyMakesEveryKillPayWithoutCustomPowerUps) {
    items_test::writeCustomFiles({{"Eigen", "", 0, 1, 0, 0}});
    startItems(2);
    game.customPowerUpsEnabled = 1;
    game.difficulty = 2;
    // Either player's money counts, the second one's too.
    ASSERT_TRUE(startForm(secondPlayer(), 1, kFormMrMoney));
    Tally t = dropMany(10000);
    EXPECT_EQ(t.total, 10000);
    EXPECT_EQ(t.of(kItemCustom), 0);
    expectShare(t.of(kItemLife), t.total, 0.1);
    expectShare(t.of(kItemTurret), t.total, 0.1 + 0.8 / 26);
    expectShare(t.of(kFormArzt), t.total, 0.8 / 26);

    // Alone, the rich smiley gets no doctor either.
    game.playerCount = 1;
    applyDefaultModifiers(secondPlayer(), 1);
    ASSERT_TRUE(startForm(firstPlayer(), 0, kFormMrMoney));
    t = dropMany(10000);
    EXPECT_EQ(t.total, 10000);
    EXPECT_EQ(t.of(kFormArzt), 0);
    expectShare(t.of(kFormWut), t.total, 2 * 0.8 / 26);
}

TEST_F(ItemsTest, AKilledOpponentLeavesItsItemWhereItDied) {
    startItems(1);
    ASSERT_TRUE(startForm(firstPlayer(), 0, kFormMrMoney));
    Opponent* o = placeOpponent(500.4, 299.6, 0);
    o->speed = 0;
    frame();
    EXPECT_EQ(game.opponents.count(), 0);
    EXPECT_EQ(firstPlayer().kills, 1);
    const std::vector<PowerUpItem> items = itemsNow();
    ASSERT_EQ(items.size(), 1u);
    EXPECT_EQ(items[0].x, 500);
    EXPECT_EQ(items[0].y, 300);
    EXPECT_EQ(items[0].fade, 255);
}

TEST_F(ItemsTest, ItemsCarryTheirKindsNamesAndPictures) {
    items_test::writeCustomFiles({{"Bl\xE4ser", "", 0, 1, 0, 0}});
    startItems(1);
    struct Expected {
        int kind;
        const char* name;
        int image;
    };
    const Expected rows[] = {
        {0, "50% Leben", kLifeItemImage},
        {1, "Wut", kPowerUpItemImage},
        {2, "M\xF6nch", kPowerUpItemImage},
        {9, "Arzt", kPowerUpItemImage},
        {18, "LSD-Smiley", kPowerUpItemImage},
        {21, "Mr Money", kPowerUpItemImage},
        {23, "Gesch\xFCtzturm", kTurretItemImage},
        {26, "Schneemann", kPowerUpItemImage},
        {27, "", kPowerUpItemImage},
        {100, "", kPowerUpItemImage},
        {-1, "", kPowerUpItemImage},
    };
    for (const Expected& e : rows) {
        SCOPED_TRACE(e.kind);
        PowerUpItem* item = placeItem(10, 20, e.kind);
        EXPECT_EQ(item->name, e.name);
        EXPECT_EQ(item->image, e.image);
        EXPECT_EQ(item->kind, e.kind);
    }
    // Every form has its item name, so a "Seher" never reads an empty one.
    for (int kind = 1; kind <= 26; ++kind) EXPECT_FALSE(itemName(kind, 0).empty()) << kind;

    PowerUpItem* custom = placeItem(10, 20, kItemCustom, 0);
    EXPECT_EQ(custom->name, "Bl\xE4ser");
    EXPECT_EQ(custom->image, kCustomItemImage);
    EXPECT_EQ(custom->customIndex, 0);
    EXPECT_EQ(placeItem(10, 20, kItemCustom, 4)->name, "");

    // A new item goes after the current one, not at the end.
    game.items.clear();
    placeItem(1, 1, 1);
    placeItem(2, 2, 2);
    game.items.select(0);
    placeItem(3, 3, 3);
    const std::vector<PowerUpItem> items = itemsNow();
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(items[0].kind, 1);
    EXPECT_EQ(items[1].kind, 3);
    EXPECT_EQ(items[2].kind, 2);
}

}  // namespace
