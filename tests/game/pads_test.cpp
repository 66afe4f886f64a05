// Gamepads driving real frames: SDL's virtual pads, which SDL's
// game-controller layer treats like any plugged-in pad.
#include <gtest/gtest.h>

#include <cmath>

#include "game/players/shots.h"
#include "game/shell/screens.h"
#include "tests/game/players_fixture.h"

namespace {

class PadsTest : public PlayersTest {
  protected:
    // A pad plugged in, as the game sees it from its next frame on.
    int plugIn() {
        const int pad = attachVirtualPad();
        EXPECT_GE(pad, 0) << "no virtual pad";
        return pad;
    }
    void TearDown() override {
        setFlipHook(nullptr, nullptr);
        PlayersTest::TearDown();
    }
    static void place(Player& p, double x, double y) {
        p.x = x;
        p.y = y;
    }
    // The direction of the one shot fired in the last frame.
    static std::pair<double, double> shotDirection() {
        EXPECT_EQ(game.shots.count(), 1);
        if (game.shots.count() != 1) return {0, 0};
        const Shot* s = game.shots.select(0);
        return {s->vx, s->vy};
    }
};

TEST_F(PadsTest, StickAndDpadWalkPastTheDeadZoneAndDiagonally) {
    start(1);
    const int pad = plugIn();
    Player& p = firstPlayer();
    place(p, 600, 300);
    frame();  // the pad arrives

    setVirtualPadAxis(pad, PadAxis::LeftX, 0.2);  // inside the dead zone
    setVirtualPadAxis(pad, PadAxis::LeftY, -0.2);
    frame();
    EXPECT_EQ(p.x, 600);
    EXPECT_EQ(p.y, 300);

    setVirtualPadAxis(pad, PadAxis::LeftX, 0.7);  // up and right at once
    setVirtualPadAxis(pad, PadAxis::LeftY, -0.7);
    frame();
    EXPECT_EQ(p.x, 610);
    EXPECT_EQ(p.y, 290);

    setVirtualPadAxis(pad, PadAxis::LeftX, 0);
    setVirtualPadAxis(pad, PadAxis::LeftY, 0);
    setVirtualPadButton(pad, PadButton::Down, true);
    setVirtualPadButton(pad, PadButton::Left, true);
    frame();
    EXPECT_EQ(p.x, 600);
    EXPECT_EQ(p.y, 300);
}

TEST_F(PadsTest, FaceButtonsAndTheRightStickShootInTheirDirections) {
    start(1);
    const int pad = plugIn();
    Player& p = firstPlayer();
    place(p, 600, 300);
    frame();
    struct Case {
        PadButton button;
        double vx, vy;
    };
    for (const Case& c : {Case{PadButton::Y, 0, -15}, Case{PadButton::X, -15, 0},
                          Case{PadButton::A, 0, 15}, Case{PadButton::B, 15, 0}}) {
        SCOPED_TRACE(static_cast<int>(c.button));
        game.shots.clear();
        p.fireCooldown = -1;
        setVirtualPadButton(pad, c.button, true);
        frame();
        setVirtualPadButton(pad, c.button, false);
        EXPECT_EQ(shotDirection(), std::make_pair(c.vx, c.vy));
    }
    // The right stick: nothing inside its dead zone, then the stronger axis.
    game.shots.clear();
    p.fireCooldown = -1;
    setVirtualPadAxis(pad, PadAxis::RightX, 0.45);
    frame();
    EXPECT_EQ(game.shots.count(), 0);
    setVirtualPadAxis(pad, PadAxis::RightX, -0.6);
    setVirtualPadAxis(pad, PadAxis::RightY, 0.9);
    frame();
    EXPECT_EQ(shotDirection(), std::make_pair(0.0, 15.0));
    setVirtualPadAxis(pad, PadAxis::RightX, 0);
    setVirtualPadAxis(pad, PadAxis::RightY, 0);

    // Held straight, with the other axis resting at the middle, as a thumb
    // pushing straight does.
    struct Straight {
        PadAxis axis;
        double tilt, vx, vy;
    };
    for (const Straight& c :
         {Straight{PadAxis::RightY, -1, 0, -15}, Straight{PadAxis::RightX, -1, -15, 0},
          Straight{PadAxis::RightY, 1, 0, 15}, Straight{PadAxis::RightX, 1, 15, 0}}) {
        SCOPED_TRACE(c.vx + 2 * c.vy);
        game.shots.clear();
        p.fireCooldown = -1;
        setVirtualPadAxis(pad, c.axis, c.tilt);
        frame();
        setVirtualPadAxis(pad, c.axis, 0);
        EXPECT_EQ(shotDirection(), std::make_pair(c.vx, c.vy));
    }
}

TEST_F(PadsTest, TwoPadsForTwoPlayersAndEveryPadForAPlayerAlone) {
    start(2);
    const int first = plugIn(), second = plugIn();
    place(firstPlayer(), 300, 300);
    place(secondPlayer(), 800, 300);
    frame();
    setVirtualPadButton(first, PadButton::Right, true);
    setVirtualPadButton(second, PadButton::Up, true);
    frame();
    EXPECT_EQ(firstPlayer().x, 310);
    EXPECT_EQ(firstPlayer().y, 300);
    EXPECT_EQ(secondPlayer().x, 800);
    EXPECT_EQ(secondPlayer().y, 290);

    // Alone, the first player answers to both pads.
    game.playerCount = 1;
    frame();
    EXPECT_EQ(firstPlayer().x, 320);
    EXPECT_EQ(firstPlayer().y, 290);
}

TEST_F(PadsTest, StartPausesAndAPadThatGoesAwayPausesToo) {
    start(1);
    const int pad = plugIn();
    frame();
    // In the pause: the stick chooses "end", A confirms.
    int pausedFrames = 0;
    setFlipHook(
        [](void* data) {
            auto* frames = static_cast<int*>(data);
            if (!game.paused) return;
            ++*frames;
            if (*frames == 3) setVirtualPadAxis(0, PadAxis::LeftY, 1);
            if (*frames == 5) setVirtualPadButton(0, PadButton::A, true);
        },
        &pausedFrames);
    ASSERT_EQ(pad, 0);
    setVirtualPadButton(pad, PadButton::Start, true);
    runGameFrame();
    EXPECT_GE(pausedFrames, 5);
    EXPECT_EQ(game.pauseChoice, 1);
    EXPECT_EQ(game.livesLeft, 0);  // ended from the pause

    // A new game; the pad is unplugged mid-game.
    setFlipHook(nullptr, nullptr);
    setVirtualPadButton(pad, PadButton::Start, false);
    setVirtualPadButton(pad, PadButton::A, false);
    setVirtualPadAxis(pad, PadAxis::LeftY, 0);
    game.pauseChoice = 0;
    beginGame();
    frame();
    bool pausedOnUnplug = false;
    setFlipHook(
        [](void* data) {
            if (!game.paused) return;
            *static_cast<bool*>(data) = true;
            scriptKey(key::Return, true);  // back to the game from the keyboard
        },
        &pausedOnUnplug);
    detachVirtualPad(pad);
    runGameFrame();
    EXPECT_TRUE(pausedOnUnplug);
    EXPECT_GT(game.livesLeft, 0);
}

TEST_F(PadsTest, OnTheTitleScreenTheStickMovesThePointerAndAClicks) {
    start(1);
    const int pad = plugIn();
    scriptMouse(300, 400, false);
    struct Walk {
        int pad;
        int frames = 0;
        int xAfterTen = 0;
    } walk{pad};
    setFlipHook(
        [](void* data) {
            auto* w = static_cast<Walk*>(data);
            ++w->frames;
            if (w->frames == 1) setVirtualPadAxis(w->pad, PadAxis::LeftX, 1);
            if (w->frames == 11) {
                w->xAfterTen = mouseX();
                setVirtualPadAxis(w->pad, PadAxis::LeftX, 0);
            }
            if (w->frames == 12) setVirtualPadButton(w->pad, PadButton::A, true);
        },
        &walk);
    runTitleScreen();
    // Full tilt: 12 pixels a frame, from 300 into the start button's region.
    EXPECT_EQ(walk.xAfterTen, 300 + 10 * 12);
    EXPECT_EQ(game.menuHover, kMenuStart);
}

TEST_F(PadsTest, AHitShakesThePadOfThePlayerHit) {
    start(2);
    const int first = plugIn(), second = plugIn();
    place(firstPlayer(), 400, 300);
    place(secondPlayer(), 900, 300);
    frame();
    placeShot(435, 335, kShotOfOpponent, 0, 0, 1.5);
    frame();
    EXPECT_GT(virtualPadRumble(first), 0.0);
    EXPECT_EQ(virtualPadRumble(second), 0.0);
}

}  // namespace
