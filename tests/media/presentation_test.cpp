// The canvas on a real X display without OpenGL hardware (Xvfb): it goes
// through the window's own surface, scaled to the window, with black bands
// where the window's shape differs from the canvas's.
#include <gtest/gtest.h>

#include <cstdlib>

#include "media/media_layer.h"
#include "test_support/x_session.h"

TEST(Presentation, TheCanvasFillsTheWindowWithBlackBandsOnEitherSide) {
    XSession x(1366, 1000);
    ASSERT_TRUE(x.running());
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("DISPLAY", x.display().c_str(), 1);
    struct Case {
        int w, h;
        int inside[2], band[2];  // a window pixel of the canvas, one of a band
    };
    // 1200 x 900 is narrower than 16:9: 112.5 rows above and below, rounded
    // away from zero to 113. 1366 x 600 is wider: 149.67 columns either
    // side, rounded to 150.
    const Case cases[] = {{1200, 900, {600, 113}, {600, 112}}, {1366, 600, {150, 300}, {149, 300}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.w);
        ASSERT_TRUE(initMedia());
        ASSERT_TRUE(openScreen(c.w, c.h, "Pomvex"));
        EXPECT_EQ(presentationPath().rfind("window surface", 0), 0u) << presentationPath();
        // The window may still be on its way to the screen: flip until the
        // canvas shows, as the game does sixty times a second.
        eventually([&] {
            clearCanvas(rgb(200, 100, 50));
            flip();
            return x.grab(c.inside[0], c.inside[1], 1, 1).at(0) != 0;
        });
        EXPECT_EQ(x.grab(c.inside[0], c.inside[1], 1, 1).at(0), 0xC86432u);
        EXPECT_EQ(x.grab(c.w - 1 - c.inside[0], c.h - 1 - c.inside[1], 1, 1).at(0), 0xC86432u);
        EXPECT_EQ(x.grab(c.band[0], c.band[1], 1, 1).at(0), 0u);
        EXPECT_EQ(x.grab(c.w - 1 - c.band[0], c.h - 1 - c.band[1], 1, 1).at(0), 0u);
        shutdownMedia();
    }
    unsetenv("SDL_VIDEODRIVER");
}

TEST(Presentation, FullscreenScalesTheCanvasToTheScreenAndBackToTheWindow) {
    XSession x(1366, 1000);
    ASSERT_TRUE(x.running());
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("DISPLAY", x.display().c_str(), 1);
    ASSERT_TRUE(initMedia());
    ASSERT_TRUE(openScreen(683, 384, "Pomvex"));
    scriptedInput(true);
    // Left half red, right half blue: where the halves meet shows the scale.
    const auto showUntil = [&](int px, int py, std::uint32_t colour) {
        return eventually([&] {
            readKeyboard();
            clearCanvas(0);
            fillAdditive(0, 0, 683, kCanvasHeight, 255, 0, 0);
            fillAdditive(683, 0, 683, kCanvasHeight, 0, 0, 255);
            flip();
            return x.grab(px, py, 1, 1).at(0) == colour;
        });
    };
    EXPECT_TRUE(showUntil(340, 200, 0xFF0000u));
    EXPECT_EQ(x.grab(344, 200, 1, 1).at(0), 0x0000FFu);
    scriptKey(0x57, true);  // F11
    readKeyboard();
    scriptKey(0x57, false);
    ASSERT_TRUE(windowFullscreen());
    // The whole screen's width, 116 rows of band above and below.
    EXPECT_TRUE(showUntil(681, 500, 0xFF0000u));
    EXPECT_EQ(x.grab(685, 500, 1, 1).at(0), 0x0000FFu);
    EXPECT_EQ(x.grab(685, 115, 1, 1).at(0), 0u);
    EXPECT_EQ(x.grab(685, 116, 1, 1).at(0), 0x0000FFu);
    scriptKey(0x57, true);
    readKeyboard();
    scriptKey(0x57, false);
    ASSERT_FALSE(windowFullscreen());
    EXPECT_TRUE(showUntil(344, 200, 0x0000FFu));
    EXPECT_EQ(x.grab(340, 200, 1, 1).at(0), 0xFF0000u);
    EXPECT_EQ(x.grab(700, 200, 1, 1).at(0), 0u);  // the screen again beside the window
    shutdownMedia();
    unsetenv("SDL_VIDEODRIVER");
}

// A frame that changes in a few places is copied or scaled and sent only
// there, and the window ends up with exactly the pixels of sending it all:
// in a window larger than the canvas and in one of the canvas's own size.
class PresentationInParts : public ::testing::TestWithParam<std::pair<int, int>> {};

TEST_P(PresentationInParts, OnlyTheChangedPartsAreSentAndTheWindowIsAsIfAllWere) {
    const auto [width, height] = GetParam();
    XSession x(1600, 900);
    ASSERT_TRUE(x.running());
    setenv("SDL_VIDEODRIVER", "x11", 1);
    setenv("DISPLAY", x.display().c_str(), 1);
    ASSERT_TRUE(initMedia());
    ASSERT_TRUE(openScreen(width, height, "Pomvex"));
    // Squares of colour everywhere, and two that move by odd steps, so that
    // the scaling's blending reaches across the edges of what changed.
    const auto frame = [](int step) {
        clearCanvas(rgb(20, 40, 60));
        for (int y = 0; y < kCanvasHeight; y += 48)
            for (int x = 0; x < kCanvasWidth; x += 48)
                fillAdditive(x, y, 23, 23, x % 255, y % 255, (x + y) % 255);
        fillAdditive(101 + step * 7, 333, 13, 9, 255, 255, 0);
        fillAdditive(900, 77 + step * 5, 31, 17, 0, 255, 255);
        flip();
    };
    eventually([&] {
        frame(0);
        return x.grab(width / 2, height / 2, 1, 1).at(0) != 0;
    });
    for (int step = 1; step <= 5; ++step) frame(step);
    EXPECT_LT(redrawnShare(), 0.2);
    const std::vector<std::uint32_t> sentInParts = x.grab(0, 0, width, height);
    setDamageTracking(false);
    frame(5);
    EXPECT_EQ(redrawnShare(), 1);
    EXPECT_TRUE(x.grab(0, 0, width, height) == sentInParts);
    setDamageTracking(true);
    shutdownMedia();
    unsetenv("SDL_VIDEODRIVER");
}

INSTANTIATE_TEST_SUITE_P(Windows, PresentationInParts,
                         ::testing::Values(std::pair{1600, 900},
                                           std::pair{kCanvasWidth, kCanvasHeight}));
