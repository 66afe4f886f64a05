// Starting the real game headless in a scratch folder, for tests that play
// frames.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"
#include "game/shell/start_up.h"
#include "test_support/scratch_folder.h"

class GameTest : public ::testing::Test {
  protected:
    // Writes an options file with the given settings and starts the game.
    void startGame(int playerCount = 1, int difficulty = 0, int width = 683, int height = 384) {
        writeFileBytes("Data/Optionen.txt", "Eins\r\nZwei\r\n" + std::to_string(playerCount) +
                                                "\r\n" + std::to_string(difficulty) + "\r\n" +
                                                std::to_string(width) + "\r\n" +
                                                std::to_string(height) + "\r\n0");
        folder.linkPictures();
        ASSERT_TRUE(startUp());
        scriptedInput(true);
        seedRandom(1);
    }
    // What the outer loop does before each game.
    void beginGame() {
        game.gameOver = 0;
        grantLives();
    }
    void TearDown() override { shutDown(false); }
    ScratchFolder folder;
};
