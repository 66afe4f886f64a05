// Sprites on the real canvas: what a picture looks like once drawn, read back
// pixel by pixel.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "media/media_layer.h"
#include "test_support/picture_files.h"
#include "test_support/scratch_folder.h"

namespace {

constexpr std::uint32_t kMagenta = 0xFFFF00FF;

class Sprites : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(initMedia());
        setTransparentColour(rgb(255, 0, 255));
        clearCanvas(rgb(0, 0, 0));
    }
    void TearDown() override { shutdownMedia(); }
    ScratchFolder folder;
};

// 10 x 10 red square with a magenta border two pixels wide.
TestPicture framedSquare() {
    TestPicture p(10, 10, kMagenta);
    for (int y = 2; y < 8; ++y)
        for (int x = 2; x < 8; ++x) p.at(x, y) = 0xFFFF0000;
    return p;
}

TEST_F(Sprites, AMostlyClearPictureDrawsExactlyItsVisiblePixelsWhereverClipped) {
    // Clear but for a few squares: in a large picture some across the
    // blocks the drawing skips by, one at the very edge; in a small one
    // away from all edges, which are left out as a box, or at its edges.
    struct Case {
        int size;
        std::vector<std::array<int, 3>> squares;  // left, top, size
        int clipX, clipY, clipW, clipH;
    };
    const Case cases[] = {
        {300, {{5, 5, 20}, {28, 60, 10}, {150, 140, 70}, {285, 290, 10}}, 27, 61, 240, 235},
        {60, {{6, 9, 10}, {40, 45, 12}}, 12, 10, 35, 44},
        {60, {{0, 0, 8}, {52, 50, 8}}, 4, 2, 53, 57},
    };
    for (const Case& c : cases) {
        TestPicture p(c.size, c.size, kMagenta);
        for (const auto& [left, top, size] : c.squares)
            for (int y = top; y < top + size; ++y)
                for (int x = left; x < left + size; ++x) p.at(x, y) = 0xFF000000u | (x << 8) | y;
        writeBmp24("sparse.bmp", p);
        ASSERT_NE(loadSprite(1, "sparse.bmp", 0), 0);
        for (const bool clipped : {false, true}) {
            SCOPED_TRACE(testing::Message() << c.size << (clipped ? " clipped" : ""));
            clearCanvas(rgb(10, 20, 30));
            const int cx = clipped ? c.clipX : 0, cy = clipped ? c.clipY : 0;
            clip(1, cx, cy, clipped ? c.clipW : c.size, clipped ? c.clipH : c.size);
            drawTransparent(1, 100, 50);
            for (int y = 40; y < 60 + c.size; ++y)
                for (int x = 90; x < 110 + c.size; ++x) {
                    const int px = x - 100 + cx, py = y - 50 + cy;
                    const bool inside =
                        x >= 100 && y >= 50 && x < 100 + width(1) && y < 50 + height(1);
                    const std::uint32_t want =
                        inside && (p.at(px, py) >> 24) && p.at(px, py) != kMagenta
                            ? p.at(px, py) & 0xFFFFFF
                            : 0x0A141Eu;
                    ASSERT_EQ(canvasPixel(x, y), want) << x << "," << y;
                }
        }
    }
}

TEST_F(Sprites, JpegColoursComeOutAsTheyWentIn) {
    // Red, green and blue stripes 16 pixels wide, one per colour block.
    TestPicture stripes(48, 16, 0xFFFF0000);
    for (int y = 0; y < 16; ++y)
        for (int x = 16; x < 48; ++x) stripes.at(x, y) = x < 32 ? 0xFF00FF00 : 0xFF0000FF;
    writeJpeg("stripes.jpg", stripes);
    ASSERT_NE(loadSprite(1, "stripes.jpg", 12), 0);
    drawOpaque(1, 0, 0);
    const std::uint32_t expected[3] = {0xFF0000, 0x00FF00, 0x0000FF};
    for (int stripe = 0; stripe < 3; ++stripe) {
        const std::uint32_t got = canvasPixel(stripe * 16 + 8, 8);
        for (int shift : {16, 8, 0}) {
            // JPEG is lossy: each channel within a few steps of its value.
            const int want = (expected[stripe] >> shift) & 0xFF;
            const int have = (got >> shift) & 0xFF;
            EXPECT_NEAR(have, want, 12) << "stripe " << stripe << " got " << std::hex << got;
        }
    }
}

TEST_F(Sprites, ColourKeyHidesMagentaOnlyWhenDrawnWithTransparency) {
    writeBmp24("key.bmp", framedSquare());
    ASSERT_NE(loadSprite(1, "key.bmp", 0), 0);
    clearCanvas(rgb(0, 0, 255));
    drawTransparent(1, 100, 100);
    EXPECT_EQ(canvasPixel(100, 100), 0x0000FFu);  // key: canvas shows through
    EXPECT_EQ(canvasPixel(105, 105), 0xFF0000u);
    // Drawn opaque the keyed pixels replace the canvas instead of letting it through.
    drawOpaque(1, 200, 100);
    EXPECT_NE(canvasPixel(200, 100), 0x0000FFu);
    EXPECT_EQ(canvasPixel(205, 105), 0xFF0000u);
}

TEST_F(Sprites, AlphaIsKeptOnlyInMode12) {
    TestPicture half(4, 4, 0x80FFFFFF);  // white at half coverage
    writePng("half.png", half);
    writeBmp32("half.bmp", half);
    ASSERT_NE(loadSprite(1, "half.png", 12), 0);
    ASSERT_NE(loadSprite(2, "half.png", 0), 0);
    ASSERT_NE(loadSprite(3, "half.bmp", 12), 0);
    clearCanvas(rgb(0, 0, 0));
    drawTransparent(1, 0, 0);
    drawTransparent(2, 10, 0);
    drawTransparent(3, 20, 0);
    const std::uint32_t blended = canvasPixel(0, 0);
    EXPECT_NEAR(static_cast<int>(blended & 0xFF), 128, 2);
    EXPECT_EQ(canvasPixel(10, 0), 0xFFFFFFu);  // mode 0 ignores the picture's alpha
    EXPECT_EQ(canvasPixel(20, 0), blended);    // a 32-bit BMP keeps it like a PNG
}

TEST_F(Sprites, ClipShowsPartOfThePictureAndSetsHeight) {
    TestPicture strip(40, 10, 0xFF00FF00);
    for (int y = 0; y < 10; ++y)
        for (int x = 20; x < 40; ++x) strip.at(x, y) = 0xFF0000FF;
    writeBmp24("strip.bmp", strip);
    ASSERT_NE(loadSprite(5, "strip.bmp", 0), 0);
    EXPECT_EQ(height(5), 10);
    clip(5, 20, 4, 20, 100);  // cut to the picture: 6 rows left
    EXPECT_EQ(width(5), 20);
    EXPECT_EQ(height(5), 6);
    drawOpaque(5, 0, 0);
    EXPECT_EQ(canvasPixel(0, 0), 0x0000FFu);
    EXPECT_EQ(canvasPixel(19, 5), 0x0000FFu);
    EXPECT_EQ(canvasPixel(20, 0), 0x000000u);  // nothing right of the clip
    EXPECT_EQ(canvasPixel(0, 6), 0x000000u);   // nor below it
    clip(5, -5, -5, 3, 2);                     // negative values become 0
    EXPECT_EQ(width(5), 3);
    EXPECT_EQ(height(5), 2);
    drawOpaque(5, 50, 50);
    EXPECT_EQ(canvasPixel(50, 50), 0x00FF00u);
}

TEST_F(Sprites, EmptySlotsAndOffCanvasDrawingDoNothing) {
    EXPECT_EQ(height(42), 0);
    EXPECT_EQ(width(-1), 0);
    EXPECT_FALSE(collide(42, 0, 0, 43, 0, 0));
    drawOpaque(42, 0, 0);
    clip(42, 0, 0, 1, 1);
    drawRotatable(42, 0, 0, 255);
    writeBmp24("red.bmp", TestPicture(10, 10, 0xFFFF0000));
    ASSERT_NE(loadSprite(1, "red.bmp", 0), 0);
    drawOpaque(1, -2147483647, 2147483647);
    drawOpaque(1, kCanvasWidth, 0);
    drawOpaque(1, -10, -10);  // touches the canvas only with its far corner: nothing
    for (int x = 0; x < 3; ++x) EXPECT_EQ(canvasPixel(x, 0), 0u);
    drawOpaque(1, kCanvasWidth - 5, kCanvasHeight - 5);  // cut at the edge
    EXPECT_EQ(canvasPixel(kCanvasWidth - 1, kCanvasHeight - 1), 0xFF0000u);
    EXPECT_EQ(loadSprite(1, "missing.bmp", 0), 0);
    EXPECT_FALSE(spriteLoaded(1));  // a failed load empties the slot
}

TEST_F(Sprites, DamagedAndAbsurdPicturesLeaveTheSlotEmpty) {
    writeBmp24("good.bmp", TestPicture(50, 50, 0xFF123456));
    writePng("good.png", TestPicture(50, 50, 0xFF123456));
    writeJpeg("good.jpg", TestPicture(64, 64, 0xFF808080));
    for (const char* name : {"good.bmp", "good.png", "good.jpg"}) {
        std::string bytes = readFileBytes(name);
        ASSERT_NE(loadSprite(1, name, 0), 0) << name;
        writeFileBytes("cut", bytes.substr(0, bytes.size() / 2));
        EXPECT_EQ(loadSprite(1, "cut", 0), 0) << name << " cut in half";
        writeFileBytes("head", bytes.substr(0, 30));
        EXPECT_EQ(loadSprite(1, "head", 0), 0) << name << " header only";
    }
    // A BMP header that claims a picture of 100000 x 100000 pixels.
    std::string huge = readFileBytes("good.bmp");
    huge[18] = static_cast<char>(0xA0);
    huge[19] = static_cast<char>(0x86);
    huge[20] = 0x01;
    huge[22] = static_cast<char>(0xA0);
    huge[23] = static_cast<char>(0x86);
    huge[24] = 0x01;
    writeFileBytes("huge.bmp", huge);
    EXPECT_EQ(loadSprite(1, "huge.bmp", 0), 0);
    writeFileBytes("text.png", "not a picture at all");
    EXPECT_EQ(loadSprite(1, "text.png", 0), 0);
}

TEST_F(Sprites, CollideCountsOverlapButNotTouchingEdges) {
    writeBmp24("a.bmp", TestPicture(10, 10, 0xFFFF0000));
    writeBmp24("b.bmp", TestPicture(20, 5, 0xFF00FF00));
    ASSERT_NE(loadSprite(1, "a.bmp", 0), 0);
    ASSERT_NE(loadSprite(2, "b.bmp", 0), 0);
    EXPECT_TRUE(collide(1, 0, 0, 2, 9, 4));
    EXPECT_FALSE(collide(1, 0, 0, 2, 10, 0));   // touching on the right
    EXPECT_FALSE(collide(1, 0, 0, 2, -20, 0));  // touching on the left
    EXPECT_FALSE(collide(1, 0, 0, 2, 0, 10));   // touching below
    EXPECT_FALSE(collide(1, 0, 5, 2, 0, 0));    // touching above
    clip(2, 0, 0, 5, 5);
    EXPECT_FALSE(collide(1, 0, 0, 2, -5, 0));  // the clip counts, not the picture
    EXPECT_TRUE(collide(1, 0, 0, 2, -4, 0));
}

TEST_F(Sprites, CollidePixelsIgnoresTransparentCorners) {
    // Two 10 x 10 pictures that are opaque only in their inner 6 x 6.
    writeBmp24("a.bmp", framedSquare());
    ASSERT_NE(loadSprite(1, "a.bmp", 0), 0);
    ASSERT_NE(loadSprite(2, "a.bmp", 0), 0);
    EXPECT_TRUE(collide(1, 0, 0, 2, 7, 7));
    EXPECT_FALSE(collidePixels(1, 0, 0, 2, 7, 7));  // only borders overlap
    EXPECT_FALSE(collidePixels(1, 0, 0, 2, 6, 0));  // opaque columns 2..7 and 8..13
    EXPECT_TRUE(collidePixels(1, 0, 0, 2, 5, 5));
    clip(2, 0, 0, 3, 10);  // leaves only the border and one opaque column
    EXPECT_TRUE(collidePixels(1, 0, 0, 2, 5, 0));
    EXPECT_FALSE(collidePixels(1, 0, 0, 2, 6, 0));
}

TEST_F(Sprites, TintTranslucencyAndAdditiveFill) {
    writeBmp24("white.bmp", TestPicture(4, 4, 0xFFFFFFFF));
    ASSERT_NE(loadSprite(1, "white.bmp", 0), 0);
    clearCanvas(rgb(0, 0, 200));
    drawTinted(1, 0, 0, rgb(128, 64, 0));
    EXPECT_EQ(canvasPixel(0, 0), 0x804000u);  // channels scaled, canvas fully covered
    drawTranslucent(1, 10, 0, 128);
    const std::uint32_t half = canvasPixel(10, 0);
    EXPECT_NEAR(static_cast<int>(half >> 16), 128, 1);
    EXPECT_NEAR(static_cast<int>(half & 0xFF), 200 + (255 - 200) * 128 / 255, 1);
    drawTranslucent(1, 20, 0, 0);
    EXPECT_EQ(canvasPixel(20, 0), 0x0000C8u);
    fillAdditive(30, 0, 2, 2, 10, 20, 100);
    EXPECT_EQ(canvasPixel(30, 0), 0x0A14FFu);  // blue saturates at 255
    EXPECT_EQ(canvasPixel(32, 0), 0x0000C8u);
}

TEST_F(Sprites, RotationTurnsClockwiseAboutTheCentre) {
    // An arrow pointing up: a red bar in the top half of the centre column.
    TestPicture arrow(21, 21, 0x00000000);
    for (int y = 0; y < 10; ++y)
        for (int x = 8; x < 13; ++x) arrow.at(x, y) = 0xFFFF0000;
    writePng("arrow.png", arrow);
    ASSERT_NE(loadSprite(7, "arrow.png", 12), 0);
    makeRotatable(7, 7);
    beginRotated();
    drawRotatable(7, 100, 100, 255);
    EXPECT_EQ(canvasPixel(110, 102), 0xFF0000u);  // as loaded: pointing up
    clearCanvas(0);
    rotate(7, 90, 0);
    drawRotatable(7, 100, 100, 255);
    EXPECT_EQ(canvasPixel(118, 110), 0xFF0000u);  // +90: pointing right
    EXPECT_EQ(canvasPixel(102, 110), 0x000000u);
    clearCanvas(0);
    rotate(7, 90, 1);  // adds up to 180: pointing down
    EXPECT_DOUBLE_EQ(rotation(7), 180);
    drawRotatable(7, 100, 100, 255);
    EXPECT_EQ(canvasPixel(110, 118), 0xFF0000u);
    EXPECT_EQ(canvasPixel(110, 102), 0x000000u);
    clearCanvas(0);
    rotate(7, -90, 0);  // pointing left
    drawRotatable(7, 100, 100, 128);
    EXPECT_NEAR(static_cast<int>(canvasPixel(102, 110) >> 16), 128, 2);
    endRotated();
    // Only pictures loaded as textures can turn.
    writeBmp24("plain.bmp", TestPicture(4, 4, 0xFFFFFFFF));
    ASSERT_NE(loadSprite(8, "plain.bmp", 0), 0);
    makeRotatable(8, 8);
    clearCanvas(0);
    drawRotatable(8, 0, 0, 255);
    EXPECT_EQ(canvasPixel(0, 0), 0u);
}

TEST_F(Sprites, TurnedShotsFollowTheirPictureAndPosition) {
    // A shot-sized picture: its turns are resampled once and then reused.
    auto arrow = [](std::uint32_t colour) {
        TestPicture p(21, 21, 0x00000000);
        for (int y = 0; y < 10; ++y)
            for (int x = 8; x < 13; ++x) p.at(x, y) = colour;
        return p;
    };
    writePng("arrow.png", arrow(0xFFFF0000));
    ASSERT_NE(loadSprite(7, "arrow.png", 12), 0);
    makeRotatable(7, 7);
    rotate(7, 90, 0);
    drawRotatable(7, 100, 100, 255);
    drawRotatable(7, 301, 251, 255);  // the same turn anywhere, odd or even
    // A quarter turn moves every pixel whole: the bar lies across the
    // right half, and nothing else is drawn.
    for (int dy = -3; dy <= 23; ++dy)
        for (int dx = -3; dx <= 23; ++dx) {
            const bool bar = dx >= 11 && dx <= 20 && dy >= 8 && dy <= 12;
            ASSERT_EQ(canvasPixel(100 + dx, 100 + dy), bar ? 0xFF0000u : 0u) << dx << "," << dy;
            ASSERT_EQ(canvasPixel(100 + dx, 100 + dy), canvasPixel(301 + dx, 251 + dy))
                << dx << "," << dy;
        }
    // 90.3 degrees is drawn as 90.
    clearCanvas(0);
    rotate(7, 90.3, 0);
    drawRotatable(7, 100, 100, 255);
    EXPECT_EQ(canvasPixel(118, 110), 0xFF0000u);
    // A new picture in the slot, loaded or grabbed, is turned afresh.
    writePng("arrow.png", arrow(0xFF00FF00));
    ASSERT_NE(loadSprite(7, "arrow.png", 12), 0);
    clearCanvas(0);
    drawRotatable(7, 100, 100, 255);
    EXPECT_EQ(canvasPixel(118, 110), 0x00FF00u);
    clearCanvas(rgb(0, 0, 255));
    grabCanvas(7, 0, 0, 21, 21);
    clearCanvas(0);
    drawRotatable(7, 100, 100, 255);
    EXPECT_EQ(canvasPixel(110, 110), 0x0000FFu);
}

TEST_F(Sprites, OneColourPicturesBlendLikeAnyOther) {
    // The fade overlay is one colour; a picture with one odd pixel takes
    // the ordinary path. Both must darken the canvas alike.
    TestPicture black(40, 40, 0xFF000000), almost(40, 40, 0xFF000000);
    almost.at(39, 39) = 0xFF010101;
    writeJpeg("black.jpg", black);
    writePng("almost.png", almost);
    ASSERT_NE(loadSprite(65, "black.jpg", 4), 0);
    ASSERT_NE(loadSprite(66, "almost.png", 4), 0);
    makeRotatable(65, 65);
    for (int opacity : {1, 77, 128, 254, 255}) {
        clearCanvas(rgb(200, 101, 37));
        drawRotatable(65, 0, 0, opacity);
        drawTranslucent(65, 100, 0, opacity);
        drawTranslucent(66, 200, 0, opacity);
        EXPECT_EQ(canvasPixel(5, 5), canvasPixel(205, 5)) << opacity;
        EXPECT_EQ(canvasPixel(105, 5), canvasPixel(205, 5)) << opacity;
        EXPECT_EQ(canvasPixel(40, 5), 0xC86525u);  // nothing beside the picture
    }
}

TEST_F(Sprites, GrabCanvasCopiesTheCurrentPicture) {
    clearCanvas(rgb(10, 20, 30));
    fillAdditive(0, 0, 1, 1, 100, 0, 0);
    grabCanvas(71, 0, 0, kCanvasWidth, kCanvasHeight);
    EXPECT_EQ(width(71), kCanvasWidth);
    clearCanvas(0);
    drawOpaque(71, 0, 0);
    EXPECT_EQ(canvasPixel(0, 0), 0x6E141Eu);
    EXPECT_EQ(canvasPixel(500, 500), 0x0A141Eu);
}

}  // namespace

namespace {

TEST(SpriteBatch, LoadsLikeOneByOneInTheGivenOrder) {
    ScratchFolder folder;
    ASSERT_TRUE(initMedia());
    setTransparentColour(rgb(255, 0, 255));
    writeBmp24("a.bmp", TestPicture(20, 10, 0xFFFF00FF));
    TestPicture b(30, 30, 0x80FFFFFF);
    writePng("b.png", b);
    writeJpeg("c.jpg", TestPicture(64, 32, 0xFF808080));
    writeFileBytes("broken.png", "\x89PNG\r\n\x1a\n broken");
    const std::vector<SpriteFile> files = {
        {1, "a.bmp", 0},       {2, "b.png", 12}, {3, "c.jpg", 4}, {4, "broken.png", 12},
        {5, "missing.bmp", 0}, {6, "a.bmp", 0},  {6, "b.png", 12}};
    loadSprite(4, "a.bmp", 0);  // a slot that held a picture is emptied by a failed load
    loadSprites(files.data(), static_cast<int>(files.size()));
    EXPECT_EQ(fullWidth(1), 20);
    EXPECT_EQ(fullWidth(2), 30);
    EXPECT_EQ(fullHeight(3), 32);
    EXPECT_FALSE(spriteLoaded(4));
    EXPECT_FALSE(spriteLoaded(5));
    EXPECT_EQ(fullWidth(6), 30);  // the later row wins, as one by one
    // Drawn, the batch's pictures look exactly like single loads.
    loadSprite(7, "b.png", 12);
    clearCanvas(rgb(0, 0, 100));
    drawTransparent(6, 0, 0);
    drawTransparent(7, 100, 0);
    EXPECT_EQ(canvasPixel(5, 5), canvasPixel(105, 5));
    drawTransparent(1, 200, 0);  // all magenta: nothing shows
    EXPECT_EQ(canvasPixel(205, 5), 0x000064u);
    shutdownMedia();
}

TEST(SpriteBatch, ASlotChangedWhileItsPictureDecodesKeepsTheChange) {
    ScratchFolder folder;
    ASSERT_TRUE(initMedia());
    // Big enough that the threads are still at work when the calls below come.
    writePng("big.png", TestPicture(1366, 768, 0xFF336699));
    writeBmp24("small.bmp", TestPicture(8, 8, 0xFF00FF00));
    std::vector<SpriteFile> files;
    for (int slot = 10; slot < 30; ++slot) files.push_back({slot, "big.png", 12});
    loadSprites(files.data(), static_cast<int>(files.size()));
    loadSprite(28, "small.bmp", 0);  // replaces the queued picture
    freeSprite(29);                  // drops it
    grabCanvas(27, 0, 0, 5, 5);      // paints over it
    EXPECT_EQ(fullWidth(28), 8);
    EXPECT_FALSE(spriteLoaded(29));
    EXPECT_EQ(fullWidth(27), 5);
    EXPECT_EQ(fullWidth(10), 1366);
    // Shutting down with pictures still queued, then starting again.
    loadSprites(files.data(), static_cast<int>(files.size()));
    shutdownMedia();
    ASSERT_TRUE(initMedia());
    EXPECT_FALSE(spriteLoaded(10));
    loadSprites(files.data(), 2);
    EXPECT_EQ(fullHeight(11), 768);
    shutdownMedia();
}

}  // namespace
