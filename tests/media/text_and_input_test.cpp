#include <gtest/gtest.h>

#include "media/media_layer.h"
#include "test_support/scratch_folder.h"

namespace {

class MediaServices : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(initMedia()); }
    void TearDown() override { shutdownMedia(); }
};

TEST_F(MediaServices, TextIsMeasuredDrawnAndColoured) {
    loadFont(3, "Arial", 30);
    beginText();
    useFont(3);
    const int wide = textWidth(
        "Enter dr\xFC"
        "cken!");
    EXPECT_GT(wide, 150);
    EXPECT_LT(wide, 230);
    EXPECT_EQ(textWidth(""), 0);
    // Umlauts are real glyphs, not boxes of the same width as other letters.
    EXPECT_NE(textWidth("\xC4\xD6\xDC"), textWidth("???"));
    clearCanvas(rgb(255, 255, 255));
    setTextTransparent();
    setTextColour(rgb(255, 0, 0));
    drawText(10, 10, "MMMM");
    drawText(10, 100, "MMMM", rgb(0, 0, 255));
    bool red = false, blue = false;
    for (int y = 10; y < 50; ++y)
        for (int x = 10; x < 10 + wide; ++x) red |= canvasPixel(x, y) == 0xFF0000u;
    for (int y = 100; y < 140; ++y)
        for (int x = 10; x < 10 + wide; ++x) blue |= canvasPixel(x, y) == 0x0000FFu;
    EXPECT_TRUE(red);
    EXPECT_TRUE(blue);
    endText();
    // beginText returns to black; text off the canvas is cut, not a crash.
    beginText();
    setTextTransparent();
    drawText(-5, -10, "MMMM");
    drawText(kCanvasWidth - 3, kCanvasHeight - 3, "MMMM");
    drawText(2000000000, 5, "MMMM");
    bool black = false;
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 40; ++x) black |= canvasPixel(x, y) == 0u;
    EXPECT_TRUE(black);
    endText();
}

TEST_F(MediaServices, LinesIncludeBothEndPoints) {
    clearCanvas(0);
    drawLine(10, 10, 20, 15, rgb(0, 255, 0));
    EXPECT_EQ(canvasPixel(10, 10), 0x00FF00u);
    EXPECT_EQ(canvasPixel(20, 15), 0x00FF00u);
    EXPECT_EQ(canvasPixel(21, 15), 0u);
    drawLine(5, 5, 5, 5, rgb(255, 255, 255));
    EXPECT_EQ(canvasPixel(5, 5), 0xFFFFFFu);
    drawLine(-100, 300, 2000, 300, rgb(0, 0, 255));  // cut at both edges
    EXPECT_EQ(canvasPixel(0, 300), 0x0000FFu);
    EXPECT_EQ(canvasPixel(kCanvasWidth - 1, 300), 0x0000FFu);
}

TEST_F(MediaServices, ScriptedKeysAndMouseAreSampledByTheReads) {
    scriptedInput(true);
    scriptKey(key::OUmlaut, true);
    EXPECT_FALSE(keyHeld(key::OUmlaut));  // not until the next read
    readKeyboard();
    EXPECT_TRUE(keyHeld(key::OUmlaut));
    EXPECT_FALSE(keyHeld(key::AUmlaut));
    scriptKey(key::OUmlaut, false);
    readKeyboard();
    EXPECT_FALSE(keyHeld(key::OUmlaut));
    scriptMouse(5000, -20, true);
    readMouse();
    EXPECT_EQ(mouseX(), kCanvasWidth - 1);  // held inside the canvas
    EXPECT_EQ(mouseY(), 0);
    EXPECT_TRUE(mouseButtonHeld(1));
    EXPECT_FALSE(mouseButtonHeld(2));
    EXPECT_FALSE(keyHeld(-1));
    EXPECT_FALSE(keyHeld(256));
    EXPECT_FALSE(pollWindowEvents());
    scriptCloseRequest();
    EXPECT_TRUE(pollWindowEvents());
    EXPECT_TRUE(pollWindowEvents());  // remembered until the program acts on it
}

TEST_F(MediaServices, RandomCoversTheWholeInclusiveRangeAndRepeatsWhenSeeded) {
    seedRandom(7);
    int seen[6] = {};
    for (int i = 0; i < 6000; ++i) {
        const int r = random(5);
        ASSERT_GE(r, 0);
        ASSERT_LE(r, 5);
        ++seen[r];
    }
    for (int count : seen) EXPECT_GT(count, 800);
    EXPECT_EQ(random(0), 0);
    seedRandom(99);
    const int a = random(1000000), b = random(1000000);
    seedRandom(99);
    EXPECT_EQ(random(1000000), a);
    EXPECT_EQ(random(1000000), b);
}

TEST_F(MediaServices, TimeOfDayCanBeFixedForTests) {
    scriptTimeOfDay(7, 5);
    EXPECT_EQ(localTimeOfDay().hours, 7);
    EXPECT_EQ(localTimeOfDay().minutes, 5);
    scriptTimeOfDay(-1, 0);
    const TimeOfDay now = localTimeOfDay();
    EXPECT_GE(now.hours, 0);
    EXPECT_LE(now.hours, 23);
}

TEST_F(MediaServices, CanvasIsLetterboxedOrPillarboxed) {
    const CanvasPlacement exact = canvasPlacement(1366, 768);
    EXPECT_EQ(exact.y, 0);
    EXPECT_EQ(exact.height, 768);
    const CanvasPlacement tall = canvasPlacement(1024, 768);  // 4:3: bands above and below
    EXPECT_EQ(tall.x, 0);
    EXPECT_EQ(tall.width, 1024);
    EXPECT_EQ(tall.y, 96);  // round((768 - 576) / 2)
    EXPECT_EQ(tall.height, 576);
    const CanvasPlacement wide = canvasPlacement(2560, 1080);  // 21:9: bands left and right
    EXPECT_EQ(wide.y, 0);
    EXPECT_EQ(wide.height, 1080);
    EXPECT_EQ(wide.x, 320);
    EXPECT_EQ(wide.width, 1920);
}

TEST_F(MediaServices, ScreenOpensHeadlessAndFlips) {
    ASSERT_TRUE(openScreen(800, 600, "Pomvex"));
    clearCanvas(rgb(1, 2, 3));
    for (int i = 0; i < 3; ++i) flip();
    EXPECT_EQ(canvasPixel(0, 0), 0x010203u);
    EXPECT_GT(primaryDisplaySize().width, 0);
}

}  // namespace
