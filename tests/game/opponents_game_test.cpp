#include <gtest/gtest.h>

#include <cstdio>

#include "game/world/opponents.h"
#include "tests/game/game_fixture.h"
#include "tests/game/opponents_pictures.h"

namespace {

// A whole one-player game with nobody at the keys: the opponents come,
// line up with the smiley in its corner and shoot it until the shared pool
// is empty, and the game fades out to black.
class UnattendedGame : public GameTest, public ::testing::WithParamInterface<int> {};

TEST_P(UnattendedGame, OpponentsWinAndTheGameFadesOut) {
    const int difficulty = GetParam();
    writeOpponentTestPictures();
    startGame(1, difficulty, 1366, 768);
    beginGame();
    int frames = 1;
    while (runGameFrame()) ASSERT_LT(++frames, 12000);
    std::printf("unattended one-player game on difficulty %d: %d frames\n", difficulty, frames);
    RecordProperty("frames", frames);

    EXPECT_EQ(game.livesLeft, 0);
    EXPECT_EQ(firstPlayer().deaths, game.livesTotal);
    EXPECT_EQ(game.gameOver, 1);
    EXPECT_EQ(game.fadeAlpha, 255);
    EXPECT_GE(game.opponents.count(), 2);
    EXPECT_LE(game.opponents.count(), 7);
    EXPECT_EQ(firstPlayer().kills, 0);
    EXPECT_EQ(firstPlayer().hits, 0);
}

INSTANTIATE_TEST_SUITE_P(EveryDifficulty, UnattendedGame, ::testing::Values(0, 1, 2));

}  // namespace
