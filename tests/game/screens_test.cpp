// The screens and the on-screen display, driven frame by frame through the
// media layer's test entry.
#include "game/shell/screens.h"

#include <gtest/gtest.h>

#include <functional>

#include "game/shell/display.h"
#include "game/shell/picture_catalogue.h"
#include "test_support/picture_files.h"
#include "tests/game/game_fixture.h"

namespace {

// Runs a script at the end of every frame: it sees the index of the frame
// just shown (0 for the first) and sets the input for the next one.
class ScreenTest : public GameTest {
  protected:
    void script(std::function<void(long long frame)> f) {
        script_ = std::move(f);
        setFlipHook(
            [](void* self) {
                auto* t = static_cast<ScreenTest*>(self);
                const long long frame = flipCount() - t->firstFlip_ - 1;
                ASSERT_LT(frame, 20000) << "a screen never ended";
                t->script_(frame);
            },
            this);
        firstFlip_ = flipCount();
    }
    long long framesShown() const { return flipCount() - firstFlip_; }
    void TearDown() override {
        setFlipHook(nullptr, nullptr);
        GameTest::TearDown();
    }

  private:
    std::function<void(long long)> script_;
    long long firstFlip_ = 0;
};

// A stand-in hover layer: one colour over the whole region of a button.
void writeHoverLayer(const std::string& file, int left, int top, int right, int bottom,
                     std::uint32_t colour) {
    TestPicture layer(right + 1, bottom + 1, 0x00000000);
    for (int y = top; y <= bottom; ++y)
        for (int x = left; x <= right; ++x) layer.at(x, y) = colour;
    writePng("Data/" + file, layer);
}

TEST(MenuRegions, FirstMatchingRegionWinsAndQuitHasNoFarEdge) {
    EXPECT_EQ(menuRegionAt(221, 356), kMenuStart);
    EXPECT_EQ(menuRegionAt(679, 449), kMenuStart);
    EXPECT_EQ(menuRegionAt(680, 449), kMenuNone);
    EXPECT_EQ(menuRegionAt(221, 461), kMenuHighScores);
    EXPECT_EQ(menuRegionAt(630, 500), kMenuNone);
    EXPECT_EQ(menuRegionAt(1000, 600), kMenuEasy);
    EXPECT_EQ(menuRegionAt(1061, 571), kMenuNormal);
    EXPECT_EQ(menuRegionAt(1199, 639), kMenuKrank);
    EXPECT_EQ(menuRegionAt(828, 366), kMenuOnePlayer);
    EXPECT_EQ(menuRegionAt(966, 434), kMenuTwoPlayers);
    EXPECT_EQ(menuRegionAt(1111, 671), kMenuQuit);
    EXPECT_EQ(menuRegionAt(1365, 767), kMenuQuit);
    EXPECT_EQ(menuRegionAt(1110, 767), kMenuNone);
    EXPECT_EQ(menuRegionAt(1365, 670), kMenuNone);
}

TEST_F(ScreenTest, IntroSkipsWhenEscapeIsReleasedNotPressed) {
    startGame();
    script([](long long frame) { scriptKey(key::Escape, frame >= 3 && frame < 10); });
    runIntro();
    // Held when frames 4 to 10 read the keys, released when frame 11 does:
    // that frame is the last.
    EXPECT_EQ(framesShown(), 12);
    EXPECT_EQ(game.logoPhase, 0);
}

TEST_F(ScreenTest, IntroRunsItsCourseWithoutInput) {
    writePng("Data/Logo.png", TestPicture(500, 500, 0xFFFFFFFF));
    startGame();
    std::vector<std::uint32_t> centre;
    script([&](long long) { centre.push_back(canvasPixel(683, 384)); });
    runIntro();
    // 85 frames up in steps of 3 to 255 (the hold counts from the 85th),
    // the fade-out starts in the 100th frame of the hold and passes 0 after
    // 86 steps.
    EXPECT_EQ(framesShown(), 85 + 99 + 85);
    EXPECT_EQ(centre.size(), 0u + framesShown());
    EXPECT_EQ(game.logoHold, 100);
    EXPECT_FALSE(game.closeRequested);
}

TEST_F(ScreenTest, TitleShowsTheHoverLayerAndSwitchesWhileTheButtonIsHeld) {
    writeHoverLayer("Start1.png", 221, 356, 679, 449, 0xFFFF0000);
    writeHoverLayer("Start8.png", 908, 366, 966, 434, 0xFF00FF00);
    startGame(1, 0);
    std::uint32_t startLit = 0, twoLit = 0;
    script([&](long long frame) {
        // Read away from the pointer, which is drawn over everything.
        if (frame == 1) startLit = canvasPixel(250, 420);
        if (frame == 3) twoLit = canvasPixel(912, 370);
        // Frame by frame: over the start button, over "Einspieler" with the
        // button down, on to "Zweispieler" still holding, then Escape.
        if (frame == 0) scriptMouse(300, 400, false);
        if (frame == 1) scriptMouse(850, 400, true);
        if (frame == 2) scriptMouse(930, 400, true);
        if (frame == 3) {
            EXPECT_EQ(game.playerCount, 2);
            scriptMouse(1000, 600, true);
        }
        if (frame == 4) {
            EXPECT_EQ(game.difficulty, 0);
            scriptMouse(1150, 600, true);
        }
        if (frame == 5) scriptKey(key::Escape, true);
    });
    runTitleScreen();
    EXPECT_EQ(startLit, 0xFF0000u);
    EXPECT_EQ(twoLit, 0x00FF00u);
    EXPECT_EQ(game.playerCount, 2);
    EXPECT_EQ(game.difficulty, 2);
    EXPECT_EQ(framesShown(), 7);
}

TEST_F(ScreenTest, ReturnHeldOnEntryLeavesAScreenInItsFirstFrame) {
    startGame();
    scriptKey(key::Return, true);
    script([](long long) {});
    runHighScoreScreen();
    EXPECT_EQ(framesShown(), 1);
    runGameOverScreen();
    EXPECT_EQ(framesShown(), 2);
    EXPECT_EQ(game.menuHover, kMenuNone);
}

TEST_F(ScreenTest, BlinkingPromptRisesAndFallsInStepsOfFive) {
    startGame();
    std::vector<double> levels;
    beginText();
    for (int i = 0; i < 104; ++i) {
        levels.push_back(game.blinkLevel);
        drawBlinkingPrompt(0, 0);
    }
    endText();
    EXPECT_EQ(levels[0], 0);
    EXPECT_EQ(levels[50], 250);
    EXPECT_EQ(levels[51], 250);  // 255 is reached and left in the same frame
    EXPECT_EQ(levels[52], 245);
    EXPECT_EQ(levels[101], 0);
    EXPECT_EQ(levels[102], 5);
    EXPECT_EQ(*std::max_element(levels.begin(), levels.end()), 250);
}

TEST_F(ScreenTest, HighScoreRowsForOneAndTwoPlayerLists) {
    startGame();
    game.scoreTable[scoreListStart(2, 1)] = {"Anna", "Ben", 12, 40.4};
    game.scoreTable[scoreListStart(1, 1) + 3] = {"Cem", "", 2.5, 7};
    game.playerCount = 2;
    game.difficulty = 1;
    EXPECT_EQ(highScoreRowText(0), "12 Kills, 40 Hits! (von Anna und Ben)");
    game.playerCount = 1;
    EXPECT_EQ(highScoreRowText(3), "3 Kills, 7 Hits! (von Cem)");
    EXPECT_EQ(highScoreRowText(0), "0 Kills, 0 Hits! (von )");
    game.difficulty = 3;
    EXPECT_EQ(highScoreRowText(0), "");
}

TEST_F(ScreenTest, PauseFreezesTheGameAndCanEndIt) {
    startGame(1, 1);
    beginGame();
    game.opponents.add()->x = 700;
    for (int i = 0; i < 5; ++i) ASSERT_TRUE(runGameFrame());
    const std::uint32_t before = canvasPixel(683, 384);
    const double fade = game.fadeAlpha;
    // Escape opens the pause; Down picks "end the game", Return confirms.
    script([](long long frame) {
        scriptKey(key::Escape, false);
        scriptKey(key::Down, frame >= 2 && frame < 4);
        scriptKey(key::Return, frame >= 5);
    });
    scriptKey(key::Escape, true);
    ASSERT_TRUE(runGameFrame());
    EXPECT_EQ(game.fadeAlpha, fade - 1);  // only the frame before the pause moved
    EXPECT_EQ(game.pauseChoice, 1);
    EXPECT_EQ(game.livesLeft, 0);
    EXPECT_EQ(framesShown(), 1 + 6);
    EXPECT_NE(before, 0xFFFFFFu);
    scriptKey(key::Return, false);
    setFlipHook(nullptr, nullptr);
    runGame();
    EXPECT_EQ(game.fadeAlpha, 255);
    EXPECT_EQ(game.gameOver, 1);
    EXPECT_EQ(game.pauseChoice, 1);  // kept for the next pause
}

// Bars and strips of the sizes the display assumes, so these checks do not
// depend on the art.
void writeDisplayPictures() {
    writeBmp24("Data/PlayerLeben.bmp", TestPicture(500, 40, 0xFF20C020));
    writeBmp24("Data/PlayerLebenTot.bmp", TestPicture(500, 41, 0xFF404040));
    writeBmp24("Data/LebenInsg.bmp", TestPicture(313, 36, 0xFFE02020));
    writeBmp24("Data/lebenInsgAus.bmp", TestPicture(313, 36, 0xFF808080));
}

TEST_F(ScreenTest, StatusLinesLivesStripAndNameLabels) {
    writeDisplayPictures();
    startGame(2, 0, 1366, 768);
    beginGame();
    scriptTimeOfDay(9, 5);
    firstPlayer().hits = 12;
    firstPlayer().kills = 3.6;
    secondPlayer().deaths = 2;
    EXPECT_EQ(statusLineText(0), "Eins's Treffer: 12 Kills: 4 (Tode: 0)   Uhrzeit: 09:05");
    EXPECT_EQ(statusLineText(1), "Zwei's Treffer: 0 Kills: 0 (Tode: 2)");

    game.livesTotal = 5;
    game.livesLeft = 0;
    drawLivesStrip();
    EXPECT_EQ(width(52), 3);
    EXPECT_EQ(width(53), 158);
    game.livesLeft = 5;
    drawLivesStrip();
    EXPECT_EQ(width(52), width(53));

    // Labels centred 50 pixels right of the smiley's edge, 30 above, with a
    // black shadow 2 pixels right and down.
    firstPlayer().x = 600;
    firstPlayer().y = 400;
    clearCanvas(rgb(255, 255, 255));
    beginText();
    setTextTransparent();
    drawNameLabels();
    useFont(6);
    const int w = textWidth("Eins");
    endText();
    int yellow = 0, left = 10000, top = 10000;
    for (int y = 360; y < 400; ++y)
        for (int x = 600; x < 700; ++x)
            // Yellow-ish: anti-aliased stems are rarely pure yellow.
            if (const std::uint32_t c = canvasPixel(x, y);
                (c >> 16) > 200 && ((c >> 8) & 0xFF) > 200 && (c & 0xFF) < 120) {
                ++yellow;
                left = std::min(left, x);
                top = std::min(top, y);
            }
    EXPECT_GT(yellow, 10) << "w=" << w << " left=" << left;
    EXPECT_GE(left, 650 - w / 2);
    EXPECT_LE(left, 650 - w / 2 + 3) << "w=" << w << " top=" << top;
    EXPECT_GE(top, 370);
}

TEST_F(ScreenTest, LivesStripSitsUnderTheHealthBarsOfEitherMode) {
    writeDisplayPictures();
    startGame(2, 0, 1366, 768);
    beginGame();
    game.livesTotal = 5;
    game.livesLeft = 3;
    // Two players: the strip's 36 rows start at 60, below the second bar.
    for (int players : {2, 1}) {
        SCOPED_TRACE(players);
        game.playerCount = players;
        const int top = players == 2 ? 60 : 40;
        clearCanvas(0);
        drawLivesStrip();
        EXPECT_EQ(canvasPixel(20, top - 1), 0u);
        EXPECT_EQ(canvasPixel(20, top), 0xE02020u);  // a life left
        EXPECT_EQ(canvasPixel(20, top + 35), 0xE02020u);
        EXPECT_EQ(canvasPixel(20, top + 36), 0u);
        EXPECT_EQ(canvasPixel(10 + 4 * 31, top), 0x808080u);  // a life lost
    }
}

TEST_F(ScreenTest, GameOverShowsOneStarMoreThanThePlacementMark) {
    // A plain strip of seven stars, 51 pixels each, in a colour no other
    // picture of the screen has.
    writeBmp24("Data/Stern.bmp", TestPicture(7 * 51, 50, 0xFF12F0A0));
    startGame();
    for (double mark : {0.0, 3.0}) {
        SCOPED_TRACE(mark);
        game.placementMark = mark;
        int drawnWidth = -1;
        script([&](long long frame) {
            if (frame == 0) {
                drawnWidth = 0;
                while (canvasPixel(600 + drawnWidth, 335) == 0x12F0A0u) ++drawnWidth;
            }
            scriptKey(key::Return, frame >= 1);
        });
        runGameOverScreen();
        EXPECT_EQ(drawnWidth, static_cast<int>(mark + 1) * 51);
    }
}

TEST_F(ScreenTest, HealthBarsShowHealthAgainstTheEffectiveMaximum) {
    writeDisplayPictures();
    startGame(2, 0, 1366, 768);
    beginGame();
    firstPlayer().health = 10;
    drawHealthBars();
    secondPlayer().maxHealthBonus = 80;
    secondPlayer().health = 100;
    clearCanvas(0);
    drawHealthBars();
    EXPECT_EQ(width(16), 250);
    EXPECT_EQ(width(17), 500);
    EXPECT_EQ(height(15), 41);  // the empty bars whole, behind both
    EXPECT_EQ(canvasPixel(10 + 249, 10), 0x20C020u);
    EXPECT_EQ(canvasPixel(10 + 250, 10), 0x404040u);
    EXPECT_EQ(canvasPixel(10 + 499, 30), 0x20C020u);
    firstPlayer().health = -3;
    drawHealthBars();
    EXPECT_EQ(width(16), 0);
    // Back to one player: the empty bar is cut to the first player's row.
    game.playerCount = 1;
    drawHealthBars();
    EXPECT_EQ(height(15), 21);
}

}  // namespace
