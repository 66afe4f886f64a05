#include <gtest/gtest.h>

#include <cstdlib>
#include <set>

#include "tests/game/items_fixture.h"

namespace {

using items_test::itemsNow;

int channel(std::uint32_t rgb, int shift) {
    return static_cast<int>((rgb >> shift) & 0xFF);
}

TEST_F(ItemsTest, AFreshItemIsTakenInItsHundredTwentyNinthFrame) {
    startItems(1);
    Player& p = firstPlayer();
    p.x = 300;
    p.y = 300;
    placeItem(320, 280, kFormWut);
    for (int f = 1; f <= 128; ++f) {
        frame();
        ASSERT_EQ(game.items.count(), 1) << "frame " << f;
        ASSERT_EQ(p.form, kFormNormal);
    }
    EXPECT_EQ(itemsNow()[0].fade, -1);
    frame();
    EXPECT_EQ(game.items.count(), 0);
    // Taken before the player phase: the form's values apply in this frame.
    EXPECT_EQ(p.form, kFormWut);
    EXPECT_EQ(p.formTimer, 1999);
    EXPECT_EQ(p.damageBonus, 1);
}

TEST_F(ItemsTest, TheFirstPlayerWinsATieAndOnlyActivePlayersTakeItems) {
    startItems(2);
    Player& first = firstPlayer();
    Player& second = secondPlayer();
    first.x = second.x = 300;
    first.y = second.y = 300;
    placeItem(300, 300, kFormVampir);
    EXPECT_EQ(framesUntilTaken(1), 129);
    EXPECT_EQ(first.form, kFormVampir);
    EXPECT_EQ(second.form, kFormNormal);

    // A player in the grave cannot take it; the partner beside him can.
    first.form = kFormGrave;
    first.formTimer = 2000;
    first.active = 0;
    second.x = 900;
    placeItem(300, 300, kFormEngel);
    for (int f = 0; f < 300; ++f) frame();
    EXPECT_EQ(game.items.count(), 1);
    EXPECT_EQ(first.form, kFormGrave);
    second.x = 280;
    frame();
    EXPECT_EQ(game.items.count(), 0);
    EXPECT_EQ(second.form, kFormEngel);

    // Out of play (the game is over) is as good as dead.
    applyDefaultModifiers(first, 0);
    first.active = 0;
    second.x = 900;
    placeItem(300, 300, kFormMiniboy)->fade = 0;
    for (int f = 0; f < 50; ++f) frame();
    EXPECT_EQ(game.items.count(), 1);
    EXPECT_EQ(first.form, kFormNormal);
}

TEST_F(ItemsTest, TheAbsentSecondPlayerOfAOnePlayerGameTakesNothing) {
    startItems(1);
    Player& second = secondPlayer();
    second.x = 300;
    second.y = 300;
    ASSERT_EQ(second.active, 1);
    placeItem(300, 300, kItemLife);
    for (int f = 0; f < 300; ++f) frame();
    EXPECT_EQ(game.items.count(), 1);
    EXPECT_EQ(second.form, kFormNormal);
    // The first player walks on and takes it at once.
    firstPlayer().x = 350;
    firstPlayer().y = 350;
    firstPlayer().health = 4;
    frame();
    EXPECT_EQ(game.items.count(), 0);
    EXPECT_EQ(firstPlayer().health, 14);
}

TEST_F(ItemsTest, TheGreyVeilFadesOutOverTheFirstHundredTwentyEightFrames) {
    startItems(1);
    placeItem(800, 400, kFormRiese);
    const auto centre = [] { return canvasPixel(850, 450); };
    frame();
    // Opacity 255 covers the item.
    EXPECT_EQ(centre(), items_test::kVeilColour & 0xFFFFFF);
    // Frame 64 draws the veil at 129 of 255: about half the way.
    for (int f = 2; f <= 64; ++f) frame();
    const std::uint32_t half = centre();
    const std::uint32_t item = items_test::kItemColour & 0xFFFFFF;
    const std::uint32_t veil = items_test::kVeilColour & 0xFFFFFF;
    for (int shift : {0, 8, 16}) {
        const double mixed = (channel(veil, shift) * 129 + channel(item, shift) * 126) / 255.0;
        EXPECT_NEAR(channel(half, shift), mixed, 3) << shift;
    }
    for (int f = 65; f <= 128; ++f) frame();
    frame();
    EXPECT_EQ(centre(), item);
    EXPECT_EQ(game.items.count(), 1);  // nobody came for it
}

TEST_F(ItemsTest, ItemsSparkleAtMostEveryTwoHundredFrames) {
    startItems(1);
    placeItem(400, 200, kFormGeist);
    std::vector<int> sparkles;
    double expected = 0;  // the count towards the next chance
    for (int f = 1; f <= 3000; ++f) {
        const int before = game.animations.count();
        frame();
        const PowerUpItem item = itemsNow()[0];
        if (item.sparkle == 1 && expected == 200) {
            sparkles.push_back(f);
            expected = 1;
            // The strip started this frame, at the item, and has run one tick.
            ASSERT_EQ(game.animations.count(), before + 1);
            Animation a{};
            game.animations.forEach([&](const Animation& x) { a = x; });
            EXPECT_EQ(a.image, kItemSparkleStrip);
            EXPECT_EQ(a.x, 400);
            EXPECT_EQ(a.y, 200);
            EXPECT_EQ(a.frameWidth, 100);
            EXPECT_EQ(a.frameCount, 6);
            EXPECT_EQ(a.ticksPerFrame, 3);
        } else {
            expected = std::min(expected + 1, 200.0);
            ASSERT_EQ(item.sparkle, expected) << "frame " << f;
            ASSERT_LE(game.animations.count(), before);
        }
    }
    // The first chance is the 201st update; then one in 51 an update after
    // a pause of 200, so about one sparkle in 250 frames: 11 or so here.
    ASSERT_FALSE(sparkles.empty());
    EXPECT_GE(sparkles[0], 201);
    for (std::size_t i = 1; i < sparkles.size(); ++i) EXPECT_GE(sparkles[i] - sparkles[i - 1], 200);
    EXPECT_GE(sparkles.size(), 6u);
    EXPECT_LE(sparkles.size(), 14u);
}

// The text pixels drawn above an item: dark pixels in the 30 rows over it.
struct TextSpan {
    int count = 0, left = 100000, right = -1;
    std::set<int> blues;
};

TextSpan textAbove(int itemX, int itemY) {
    TextSpan s;
    for (int y = itemY - 30; y < itemY; ++y)
        for (int x = itemX - 100; x < itemX + 200; ++x) {
            const std::uint32_t c = canvasPixel(x, y);
            if (channel(c, 16) > 100 || channel(c, 8) > 100) continue;
            ++s.count;
            s.left = std::min(s.left, x);
            s.right = std::max(s.right, x);
            if (channel(c, 16) == 0 && channel(c, 8) == 0) s.blues.insert(channel(c, 0));
        }
    return s;
}

TEST_F(ItemsTest, ASeherReadsTheItemNamesInAFlickeringBlue) {
    items_test::writeCustomFiles({{"Meisterwerk", "", 0, 1, 0, 0}});
    startItems(2);
    placeItem(300, 300, kFormSchneemann);
    placeItem(700, 300, kItemCustom, 0);
    frame();
    EXPECT_EQ(textAbove(300, 300).count, 0);

    // The second player's sight is enough.
    ASSERT_TRUE(startForm(secondPlayer(), 1, kFormSeher));
    std::set<int> blues;
    for (int f = 0; f < 6; ++f) {
        frame();
        for (int x : {300, 700}) {
            const TextSpan s = textAbove(x, 300);
            ASSERT_GT(s.count, 20) << x;
            // Centred over the 100-pixel item.
            EXPECT_NEAR((s.left + s.right) / 2.0, x + 50, 3) << x;
            blues.insert(s.blues.begin(), s.blues.end());
        }
    }
    EXPECT_GT(blues.size(), 3u);
    // Each item shows its own name.
    const TextSpan snow = textAbove(300, 300), custom = textAbove(700, 300);
    EXPECT_NEAR(snow.right - snow.left + 1, textWidth("Schneemann"), 4);
    EXPECT_NEAR(custom.right - custom.left + 1, textWidth("Meisterwerk"), 4);

    // When the sight ends, so do the names.
    applyDefaultModifiers(secondPlayer(), 1);
    frame();
    EXPECT_EQ(textAbove(300, 300).count, 0);
    EXPECT_EQ(textAbove(700, 300).count, 0);
}

}  // namespace
