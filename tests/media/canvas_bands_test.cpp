// A frame drawn in bands on several threads has exactly the pixels of the
// same frame drawn on one, whatever crosses the band boundaries and whatever
// changes between the draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "media/media_layer.h"
#include "test_support/picture_files.h"
#include "test_support/scratch_folder.h"

namespace {

constexpr std::uint32_t kMagenta = 0xFFFF00FF;

class CanvasBands : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(initMedia());
        setTransparentColour(rgb(255, 0, 255));
        writePictures();
    }
    void TearDown() override {
        shutdownMedia();
        setDrawingThreads(0);
    }

    void writePictures() {
        TestPicture ground(700, 500, 0);
        for (int y = 0; y < ground.height; ++y)
            for (int x = 0; x < ground.width; ++x)
                ground.at(x, y) = 0xFF000000u | (x % 256) << 16 | (y % 256) << 8 | (x + y) % 256;
        writePng("ground.png", ground);
        TestPicture key(40, 40, kMagenta);
        for (int y = 5; y < 35; ++y)
            for (int x = 3 + y % 4; x < 37; ++x) key.at(x, y) = 0xFFFF0000;
        writeBmp24("key.bmp", key);
        writeBmp24("green.bmp", TestPicture(40, 40, 0xFF00FF00));
        TestPicture soft(64, 48, 0);
        for (int y = 0; y < soft.height; ++y)
            for (int x = 0; x < soft.width; ++x)
                soft.at(x, y) = static_cast<std::uint32_t>(x * 4) << 24 | 0x2080F0;
        writePng("soft.png", soft);
        TestPicture shot(21, 21, 0);
        for (int y = 0; y < 12; ++y)
            for (int x = 8; x < 13; ++x) shot.at(x, y) = 0xFFFFE000;
        writePng("shot.png", shot);
        writeBmp24("black.bmp", TestPicture(kCanvasWidth, kCanvasHeight, 0xFF000000));
    }

    // Everything a game frame draws, much of it across band boundaries and
    // off the canvas's edges, with a grab and a reload halfway through.
    std::vector<std::uint32_t> drawBusyFrame() {
        EXPECT_NE(loadSprite(1, "ground.png", 0), 0);
        EXPECT_NE(loadSprite(2, "key.bmp", 0), 0);
        EXPECT_NE(loadSprite(3, "soft.png", 12), 0);
        EXPECT_NE(loadSprite(4, "shot.png", 12), 0);
        EXPECT_NE(loadSprite(5, "black.bmp", 4), 0);
        makeRotatable(4, 4);
        makeRotatable(5, 5);
        loadFont(1, "Arial", 22);
        std::uint32_t seed = 12345;
        auto next = [&seed](int range) {
            seed = seed * 1103515245u + 12345u;
            return static_cast<int>((seed >> 8) % static_cast<std::uint32_t>(range));
        };

        beginText();  // text settings start afresh
        clearCanvas(rgb(10, 20, 30));
        drawOpaque(1, -50, 100);
        drawOpaque(1, 900, 400);
        for (int i = 0; i < 150; ++i) {
            const int x = next(kCanvasWidth + 80) - 40, y = next(kCanvasHeight + 80) - 40;
            switch (i % 7) {
                case 0:
                    drawTransparent(2, x, y);
                    break;
                case 1:
                    drawTranslucent(3, x, y, next(256));
                    break;
                case 2:
                    drawTinted(2, x, y, rgb(next(256), next(256), 90));
                    break;
                case 3:
                    rotate(4, next(360) + 0.4, 0);
                    drawRotatable(4, x, y, 128 + next(128));
                    break;
                case 4:
                    fillAdditive(x, y, next(300), next(200), 40, 0, next(80));
                    break;
                case 5:
                    drawLine(x, y, next(kCanvasWidth), next(kCanvasHeight), rgb(255, 255, 0));
                    break;
                case 6:
                    useFont(1);
                    if (i % 2) setTextTransparent();
                    drawText(x, y, "Band " + std::to_string(i), rgb(0, 255, 120));
                    break;
            }
        }
        drawLine(-5000, -4000, 6000, 5000, rgb(255, 255, 255));  // from far off, through every band
        grabCanvas(6, 300, 200, 100, 100);                       // must see everything drawn so far
        drawOpaque(6, 1000, 40);
        drawTransparent(2, 500, 380);
        EXPECT_NE(loadSprite(2, "green.bmp", 0), 0);  // the draw above keeps the old picture
        drawTransparent(2, 560, 380);
        drawRotatable(5, 0, 0, 90);  // the fade overlay
        const std::uint32_t* pixels = canvasPixels();
        return std::vector<std::uint32_t>(pixels, pixels + kCanvasWidth * kCanvasHeight);
    }

    ScratchFolder folder;
};

TEST_F(CanvasBands, BandsOnSeveralThreadsDrawWhatOneThreadDraws) {
    setDrawingThreads(1);
    const std::vector<std::uint32_t> alone = drawBusyFrame();
    for (int threads : {2, 3}) {
        setDrawingThreads(threads);
        const std::vector<std::uint32_t> banded = drawBusyFrame();
        int differing = 0, first = -1;
        for (std::size_t i = 0; i < alone.size(); ++i)
            if ((alone[i] & 0xFFFFFF) != (banded[i] & 0xFFFFFF) && differing++ == 0)
                first = static_cast<int>(i);
        EXPECT_EQ(differing, 0) << threads << " threads, first at x " << first % kCanvasWidth
                                << ", y " << first / kCanvasWidth;
    }
    // The draw made before the reload shows the old picture, the one after
    // the new; both under the fade overlay, which keeps 65 % of each.
    EXPECT_EQ(canvasPixel(520, 400), 0xA50000u);
    EXPECT_EQ(canvasPixel(580, 400), 0x00A500u);
}

}  // namespace

// Drawing only where a frame differs from the last gives the pixels of
// drawing it all: a still line through a tile between two that change, and
// frames that blend over what is there without clearing first.
TEST_F(CanvasBands, DrawingOnlyTheDamageGivesThePixelsOfDrawingEverything) {
    checkDamage(true);
    for (int frame = 0; frame < 6; ++frame) {
        clearCanvas(rgb(10, 20, 30));
        drawLine(0, 100, kCanvasWidth - 1, 100, rgb(255, 255, 255));
        fillAdditive(160, 96, 16, 9, frame * 40, 0, 0);
        fillAdditive(192, 96, 16, 9, 0, frame * 40, 0);
        flip();
    }
    for (int frame = 0; frame < 6; ++frame) {
        fillAdditive(400, 300, 50, 50, 20, 10, 5);
        flip();
    }
    EXPECT_LT(redrawnShare(), 0.1);
    EXPECT_EQ(damageMismatches(), 0);
    checkDamage(false);
}

// Within a tile that changed, only the box around the draws that changed is
// drawn again: a small square and a long slanting line that move redraw a
// sliver of the canvas. Two draws that trade places in the order, and a
// tile with more draws than it keeps, still give the pixels of drawing
// everything.
TEST_F(CanvasBands, OnlyThePartOfATileThatChangedIsDrawnAgain) {
    ASSERT_NE(loadSprite(2, "key.bmp", 0), 0);
    ASSERT_NE(loadSprite(3, "soft.png", 12), 0);
    checkDamage(true);
    double most = 0;
    for (int frame = 0; frame < 8; ++frame) {
        clearCanvas(rgb(10, 20, 30));
        fillAdditive(203 + frame, 101, 3, 3, 200, 0, 0);
        drawLine(0, 700 - frame, kCanvasWidth - 1, 40 + frame, rgb(255, 255, 255));
        // Drawn in one order, then the other, with a dot moving where they
        // overlap.
        for (int k = 0; k < 2; ++k) {
            if ((k + frame) % 2)
                drawTransparent(2, 600, 300);
            else
                drawTransparent(3, 610, 310);
        }
        fillAdditive(620 + frame % 2, 320, 2, 2, 0, 90, 0);
        // Twenty draws in one tile, the fourth and the nineteenth moving.
        for (int k = 0; k < 20; ++k)
            fillAdditive(1000 + (k == 3 ? frame : 0), 500 + (k == 18 ? frame : 0), 5, 5, 9, 9, 9);
        // The same picture beneath a draw over everything, then above it.
        if (frame % 2) drawTransparent(2, 900, 200);
        fillAdditive(0, 0, kCanvasWidth, kCanvasHeight, 1, 1, 1);
        if (frame % 2 == 0) drawTransparent(2, 900, 200);
        flip();
        if (frame > 0) most = std::max(most, redrawnShare());
    }
    // The swapped pictures' tiles (their 74 x 58 box over six by five tiles
    // at most) and the other changes stay under 3 % of the canvas; the
    // line's box alone would be most of it.
    EXPECT_LT(most, 0.03);
    EXPECT_EQ(damageMismatches(), 0);
    checkDamage(false);
}

// Beneath something that moves, a tile starts from what its still draws left
// before. Two neighbouring tiles that keep theirs are drawn again together
// only where that gives the same pixels: not when the one on the left keeps
// less than a draw over the whole canvas and the one on the right more, nor
// across a tile between them that did not change.
TEST_F(CanvasBands, WhatLiesStillBeneathAMovingThingIsKeptAndDrawnInItsPlace) {
    checkDamage(true);
    for (int frame = 0; frame < 24; ++frame) {
        const int dash = frame % 8;
        clearCanvas(rgb(10, 20, 30));
        fillAdditive(320, 320, 16, 16, 40, 0, 0);
        fillAdditive(320, 400, 16, 16, 40, 0, 0);
        fillAdditive(352, 400, 16, 16, 0, 40, 0);
        fillAdditive(0, 0, kCanvasWidth, kCanvasHeight, 1, 1, 1);
        fillAdditive(336, 320, 16, 16, 0, 40, 0);
        fillAdditive(334, 321 + dash, 4, 2, 0, 0, 90);  // across two tiles
        fillAdditive(334, 401 + dash, 2, 2, 0, 0, 90);  // and in two with one between
        fillAdditive(352, 401 + dash, 2, 2, 0, 0, 90);
        flip();
    }
    EXPECT_EQ(damageMismatches(), 0);
    checkDamage(false);
}

// Changed parts that line up down the tile rows are drawn as one rectangle
// where the tiles' backdrops allow: not when the upper tile keeps less than
// a draw over the whole canvas and the lower one more. A draw across several
// rows of such a rectangle, or starting halfway down it, is carried out once.
TEST_F(CanvasBands, PartsThatLineUpDownTheRowsAreDrawnOnceWhereTheirBackdropsAllow) {
    checkDamage(true);
    for (int frame = 0; frame < 24; ++frame) {
        const int dash = frame % 8;
        clearCanvas(rgb(10, 20, 30));
        fillAdditive(320, 480, 16, 16, 40, 0, 0);
        fillAdditive(0, 0, kCanvasWidth, kCanvasHeight, 1, 1, 1);
        fillAdditive(320, 496, 16, 16, 0, 40, 0);
        fillAdditive(400, 480, 16, 32, 0, 40, 0);
        fillAdditive(324, 490 + dash, 2, 12, 0, 0, 90);  // across the two tiles
        fillAdditive(404, 490 + dash, 2, 12, 0, 0, 90);
        fillAdditive(500 + dash, 470, 6, 60, 30, 30, 0);  // down four rows
        fillAdditive(498, 500, 20, 10, 0, 30, 30);
        flip();
    }
    EXPECT_LT(redrawnShare(), 0.01);
    EXPECT_EQ(damageMismatches(), 0);
    checkDamage(false);
}

// A frame whose draws are the last frame's draws nothing; the same draws of a
// picture whose pixels changed meanwhile draw again, and only where it lies.
TEST_F(CanvasBands, AFrameLikeTheLastDrawsNothingUnlessAPictureChanged) {
    ASSERT_NE(loadSprite(2, "key.bmp", 0), 0);
    checkDamage(true);
    const auto frame = [] {
        clearCanvas(rgb(10, 20, 30));
        drawTransparent(2, 300, 200);
        fillAdditive(0, 0, kCanvasWidth, kCanvasHeight, 1, 1, 1);
        flip();
    };
    for (int i = 0; i < 3; ++i) frame();
    EXPECT_EQ(redrawnShare(), 0);
    ASSERT_NE(loadSprite(2, "green.bmp", 0), 0);  // same size, other pixels
    frame();
    EXPECT_GT(redrawnShare(), 0);
    EXPECT_LT(redrawnShare(), 0.01);
    frame();
    EXPECT_EQ(redrawnShare(), 0);
    EXPECT_EQ(damageMismatches(), 0);
    checkDamage(false);
}
