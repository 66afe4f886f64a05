// The whole program as a person uses it, from start-up to quitting, driven
// frame by frame with scripted mouse and keys.
#include <gtest/gtest.h>

#include "game/shell/screens.h"
#include "game/shell/start_up.h"
#include "tests/game/game_fixture.h"

namespace {

// What the player does, step by step; each step waits for the game to reach
// the state it reacts to.
struct Visitor {
    int step = 0;
    int wait = 0;
    int gameFrames = 0;
    bool sawHighScores = false;
    int frames = 0;
};

void act(void* context) {
    Visitor& p = *static_cast<Visitor*>(context);
    auto mouse = [](int x, int y, bool down) { scriptMouse(x, y, down); };
    switch (p.step) {
        case 0:  // intro: press Escape, let go a few frames later
            scriptKey(key::Escape, true);
            if (++p.wait == 3) {
                scriptKey(key::Escape, false);
                p.step = 1;
                p.wait = 0;
            }
            break;
        case 1:  // title: sweep over "Zweispieler" with the button held
            if (!game.introDone) break;
            mouse(930, 400, true);
            if (game.playerCount == 2) p.step = 2;
            break;
        case 2:  // then "Krank", let go
            mouse(1170, 600, true);
            if (game.difficulty == 2) {
                mouse(1170, 600, false);
                p.step = 3;
            }
            break;
        case 3:  // start the game
            mouse(400, 400, true);
            if (game.frameNumber > 0) {
                mouse(400, 400, false);
                p.step = 4;
            }
            break;
        case 4:  // play a little (the counters stand in for a short fight), then pause
            if (++p.gameFrames == 30) {
                firstPlayer().kills = 3;
                firstPlayer().hits = 9;
                secondPlayer().kills = 2;
                secondPlayer().hits = 4;
                scriptKey(key::Escape, true);
                p.step = 5;
            }
            break;
        case 5:  // in the pause: choose "end the game" and confirm
            if (!game.paused) break;
            scriptKey(key::Escape, false);
            scriptKey(key::Down, true);
            if (game.pauseChoice == 1) {
                scriptKey(key::Down, false);
                scriptKey(key::Return, true);
                p.step = 6;
            }
            break;
        case 6:  // the game fades out; on the game-over screen Return is still down
            scriptKey(key::Return, false);
            if (game.gameOver == 1 && game.fadeAlpha == 255) p.step = 7;
            break;
        case 7:  // leave the game-over screen; the title shows the pointer on "Highscores"
            scriptKey(key::Return, true);
            mouse(400, 500, false);
            if (game.menuHover == kMenuHighScores) {
                scriptKey(key::Return, false);
                mouse(400, 500, true);
                p.step = 8;
            }
            break;
        case 8:  // on the high-score screen, leave with Return
            mouse(700, 100, false);
            if (game.blinkLevel > 0) p.sawHighScores = true;
            if (p.sawHighScores && ++p.wait > 5) {
                scriptKey(key::Return, true);
                p.step = 9;
            }
            break;
        case 9:  // and quit from the title with Escape
            scriptKey(key::Return, false);
            if (game.menuHover == kMenuNone) scriptKey(key::Escape, true);
            break;
    }
    if (++p.frames > 5000) {
        ADD_FAILURE() << "stuck in step " << p.step;
        scriptCloseRequest();
    }
}

TEST(WholeProgram, IntroTitleGamePauseGameOverHighScoresQuit) {
    ScratchFolder folder;
    folder.linkPictures();
    const std::string tail = "\r\n683\r\n384\r\n0";
    writeFileBytes("Data/Optionen.txt", "Eins\r\nZwei\r\n1\r\n0" + tail);
    Visitor player;
    scriptedInput(true);
    setFlipHook(act, &player);
    EXPECT_EQ(runProgram(), 0);
    EXPECT_EQ(player.step, 9);
    EXPECT_TRUE(player.sawHighScores);

    // The game's result went into the two-player "Krank" list.
    ScoreTable scores;
    loadScores(scores);
    const ScoreEntry& first = scores[scoreListStart(2, 2)];
    EXPECT_EQ(first.name1, "Eins");
    EXPECT_EQ(first.name2, "Zwei");
    EXPECT_EQ(first.kills, 5);
    EXPECT_EQ(first.hits, 13);
    // Quitting wrote back the choices; the rest of the file is untouched.
    EXPECT_EQ(readFileBytes("Data/Optionen.txt"), "Eins\r\nZwei\r\n2\r\n2" + tail);
}

}  // namespace
