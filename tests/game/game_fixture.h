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
    // Writes an options file with the given settings and starts the program
    // as far as its title screen, with scripted input and a seeded random
    // generator. A test that plays calls beginGame() next, as the outer loop
    // does, or startPlaying() for both at once.
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

    // A game begun as the outer loop begins it and past its fade-in, whose
    // black overlay would cover what a test reads off the canvas.
    void startPlaying(int playerCount = 1, int difficulty = 0) {
        startGame(playerCount, difficulty);
        beginGame();
        game.fadeAlpha = 0;
    }

    // One real game frame with the spawner held back, so that only the
    // opponents a test places are on the field.
    void frame() {
        ASSERT_TRUE(runGameFrame());
        game.spawnTimer = 0;
    }
    void frames(int n) {
        for (int i = 0; i < n; ++i) frame();
    }

    // An opponent at the end of the list that stands still and holds its
    // fire; tests change what they need.
    static Opponent* placeOpponent(double x, double y, double health = 5) {
        Opponent* o = game.opponents.append();
        o->x = x;
        o->y = y;
        o->health = health;
        o->maxHealth = 5;
        o->image = kOpponentImage;
        o->shotImage = kOpponentShotImage;
        o->fireCountdown = 1e9;
        o->statusTimer = 1000;
        return o;
    }

    void TearDown() override { shutDown(false); }
    ScratchFolder folder;
};
