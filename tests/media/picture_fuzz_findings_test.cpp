// Pictures the fuzzer found to hurt the loader, kept as regression tests.
#include <gtest/gtest.h>
#include <sys/resource.h>

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

void putLe32(std::string& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (8 * i));
}
void putBe32(std::string& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = static_cast<char>(v >> (24 - 8 * i));
}

long peakKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A file of a few dozen bytes may declare a huge picture. Each format used to
// allocate (and for BMP and PNG clear) the whole declared picture before it
// found out that the data was not there: 8192 x 8192 took a quarter
// gigabyte and a good part of a second. Now the area is bounded, and a
// picture whose file cannot hold its data is given up before any pixel is
// allocated.
TEST(PictureFuzzFindings, AHugeDeclarationInATinyFileIsRefusedAtOnce) {
    ScratchFolder folder;
    ASSERT_TRUE(initMedia());
    const TestPicture small(16, 16, 0xFF4080C0u);
    writeBmp24("small.bmp", small);
    ASSERT_TRUE(writePng("small.png", small));
    writeJpeg("small.jpg", small);
    struct Case {
        const char* name;
        std::string bytes;
    };
    std::vector<Case> cases;
    for (int side : {8192, 4096}) {
        std::string bmp = readFileBytes("small.bmp"), png = readFileBytes("small.png"),
                    jpeg = readFileBytes("small.jpg");
        putLe32(bmp, 18, side);
        putLe32(bmp, 22, side);
        putBe32(png, 16, side);
        putBe32(png, 20, side);
        declareJpegSize(jpeg, side, side);
        cases.push_back({side == 8192 ? "8192.bmp" : "4096.bmp", bmp});
        cases.push_back({side == 8192 ? "8192.png" : "4096.png", png});
        cases.push_back({side == 8192 ? "8192.jpg" : "4096.jpg", jpeg});
    }
    // Load the small ones first, so what the decoders need anyway is in the
    // peak before the measurement starts.
    for (const char* ok : {"small.bmp", "small.png", "small.jpg"}) {
        SCOPED_TRACE(ok);
        EXPECT_NE(loadSprite(1, ok, 0), 0);
        EXPECT_EQ(fullWidth(1), 16);
    }
    const long peakBefore = peakKilobytes();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        writeFileBytes(c.name, c.bytes);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(loadSprite(2, c.name, 0), 0);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        EXPECT_FALSE(spriteLoaded(2));
        EXPECT_LT(seconds, 0.010);
    }
    // A 4096 x 4096 picture alone would be 64 MB.
    EXPECT_LT(peakKilobytes() - peakBefore, 8 * 1024);
    shutdownMedia();
}

}  // namespace
