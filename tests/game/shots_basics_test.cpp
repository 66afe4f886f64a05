#include <gtest/gtest.h>

#include "game/players/shots.h"
#include "tests/game/game_fixture.h"

namespace {

TEST_F(GameTest, AddShotAppendsInCreationOrderWithItsBaseValues) {
    startGame();
    game.shots.add()->kind = 7;
    game.shots.reset();  // the cursor at the front must not matter
    addShot(10, 20, 1.5, 1, -15, 3, 46);
    addShot(0, 0, 2, 0, 0, 0, 9);
    std::vector<double> kinds;
    game.shots.forEach([&](const Shot& s) { kinds.push_back(s.kind); });
    EXPECT_EQ(kinds, (std::vector<double>{7, 1, 0}));
    const Shot* s = game.shots.select(1);
    EXPECT_EQ(s->baseImage, 46);
    EXPECT_EQ(s->baseDamage, 1.5);
    EXPECT_EQ(s->vx, -15);
}

TEST(CircleHit, TouchingCirclesHit) {
    EXPECT_TRUE(circleHit(0, 0, 255, 0, 250, 5));
    EXPECT_FALSE(circleHit(0, 0, 256, 0, 250, 5));
    EXPECT_TRUE(circleHit(0, 0, 150, 200, 250, 5));
    EXPECT_FALSE(circleHit(0, 0, 151, 200, 249, 1));
    EXPECT_FALSE(circleHit(-2147483647, 0, 2147483647, 0, 250, 5));
}

}  // namespace
