// The keys that belong to the window rather than the game: fullscreen on
// demand and screenshots.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "media/media_layer.h"
#include "test_support/scratch_folder.h"

namespace {

constexpr int kF11 = 0x57, kF12 = 0x58, kLeftAlt = 0x38;

class WindowKeys : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(initMedia());
        ASSERT_TRUE(openScreen(683, 384, "Pomvex"));
        scriptedInput(true);
    }
    void TearDown() override { shutdownMedia(); }
    // Holds the keys for one read of the keyboard; `keyHeld` then tells
    // what the game saw. The next read lets go of them.
    static void press(std::initializer_list<int> codes) {
        scriptedInput(true);
        readKeyboard();
        for (int c : codes) scriptKey(c, true);
        readKeyboard();
        scriptedInput(true);
    }
    ScratchFolder folder;
};

TEST_F(WindowKeys, F11AndAltReturnSwitchFullscreenOncePerPressAndKeepReturnFromTheGame) {
    EXPECT_FALSE(windowFullscreen());
    scriptKey(kF11, true);
    readKeyboard();
    readKeyboard();  // still held: no second switch
    EXPECT_TRUE(windowFullscreen());
    press({kF11});
    EXPECT_FALSE(windowFullscreen());

    press({kLeftAlt, key::Return});
    EXPECT_TRUE(windowFullscreen());
    EXPECT_FALSE(keyHeld(key::Return));
    press({key::Return});
    EXPECT_TRUE(keyHeld(key::Return));  // alone, Return is the game's
    EXPECT_TRUE(windowFullscreen());
}

TEST_F(WindowKeys, F12SavesTheFrameShownAsAPngInBildschirmfotos) {
    press({kF12});
    clearCanvas(rgb(30, 60, 90));
    for (int i = 0; i < 40; ++i)
        drawLine(i * 30, 0, 1365 - i * 30, 767, rgb(i * 6, 255 - i * 6, 128));
    flip();
    const std::vector<std::uint32_t> shown(canvasPixels(),
                                           canvasPixels() + kCanvasWidth * kCanvasHeight);
    const std::string file = lastScreenshot();
    ASSERT_EQ(file.rfind("Bildschirmfotos/Pomvex ", 0), 0u) << file;
    ASSERT_TRUE(std::filesystem::is_regular_file(file));

    // The file, loaded back, holds exactly those pixels.
    ASSERT_NE(loadSprite(1, file, 0), 0);
    EXPECT_EQ(width(1), kCanvasWidth);
    EXPECT_EQ(height(1), kCanvasHeight);
    clearCanvas(0);
    drawOpaque(1, 0, 0);
    const std::uint32_t* loaded = canvasPixels();
    int different = 0;
    for (std::size_t i = 0; i < shown.size(); ++i)
        different += (loaded[i] & 0xFFFFFF) != (shown[i] & 0xFFFFFF);
    EXPECT_EQ(different, 0);

    // One per press: the next frame is not saved again.
    flip();
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator("Bildschirmfotos"),
                            std::filesystem::directory_iterator()),
              1);
}

}  // namespace
