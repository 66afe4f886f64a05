// Pictures the fuzzer found to hurt the loader, kept as regression tests.
#include <gtest/gtest.h>

#include <chrono>

#include "media/media_layer.h"
#include "test_support/picture_files.h"
#include "test_support/scratch_folder.h"

namespace {

// Sets the size in a JPEG's baseline frame header (FF C0).
void declareJpegSize(std::string& bytes, int width, int height) {
    const std::size_t sof = bytes.find("\xFF\xC0");
    ASSERT_NE(sof, std::string::npos);
    bytes[sof + 5] = static_cast<char>(height >> 8);
    bytes[sof + 6] = static_cast<char>(height & 0xFF);
    bytes[sof + 7] = static_cast<char>(width >> 8);
    bytes[sof + 8] = static_cast<char>(width & 0xFF);
}

// A JPEG of a few hundred bytes that declares the largest size we accept:
// libjpeg runs out of data at once and warns, but the loader used to clear
// a quarter gigabyte for the picture first and then have libjpeg fill all 67
// million pixels with grey before throwing them away, seconds of work (over
// ten under the sanitizers) for a file that cannot load. Now it gives up at
// the first warning, before touching memory for rows it never got.
TEST(PictureFuzzFindings, JpegThatRunsOutOfDataIsGivenUpAtOnce) {
    ScratchFolder folder;
    ASSERT_TRUE(initMedia());
    TestPicture small(16, 16, 0xFF4080C0u);
    writeJpeg("small.jpg", small);
    std::string bytes = readFileBytes("small.jpg");
    declareJpegSize(bytes, 8192, 8192);
    writeFileBytes("big.jpg", bytes);

    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(loadSprite(1, "big.jpg", 0), 0);
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_FALSE(spriteLoaded(1));
    // About three seconds in an optimised build before; milliseconds now.
    EXPECT_LT(seconds, 1.0);

    // The same picture with its true size still loads.
    EXPECT_NE(loadSprite(1, "small.jpg", 0), 0);
    EXPECT_EQ(fullWidth(1), 16);
    shutdownMedia();
}

}  // namespace
