// Writes the starting corpora of the picture fuzzer: small well-formed BMP,
// PNG and JPEG files of our own making, each also cut short and with its
// declared size blown up, so the fuzzer starts right at the edges that
// matter.
//
//   picture-seeds FOLDER    writes FOLDER/bmp, FOLDER/png and FOLDER/jpeg
#include <zlib.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "test_support/picture_files.h"

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeAll(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

void putLe32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}
void putBe32(std::string& s, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + i] = static_cast<char>((v >> (8 * (3 - i))) & 0xFF);
}
void putBe16(std::string& s, std::size_t at, unsigned v) {
    s[at] = static_cast<char>((v >> 8) & 0xFF);
    s[at + 1] = static_cast<char>(v & 0xFF);
}

// A picture with a bit of everything: magenta key, half-clear pixels, colour.
TestPicture sample(int w, int h) {
    TestPicture p(w, h, 0xFFFF00FFu);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            if ((x + y) % 3 != 0)
                p.at(x, y) = (static_cast<std::uint32_t>((x * 37) & 0xFF) << 24) |
                             static_cast<std::uint32_t>((x * 50 + y * 20) & 0xFFFFFF);
    return p;
}

// The file, its first half, and copies whose declared size is changed by
// the given editor.
template <typename Edit>
void variants(const fs::path& folder, const std::string& name, const std::string& bytes,
              Edit declareSize) {
    writeAll(folder / (name + ".ok"), bytes);
    writeAll(folder / (name + ".cut"), bytes.substr(0, bytes.size() / 2));
    const std::uint32_t sizes[][2] = {{8192, 8192}, {8193, 4}, {100000, 100000}, {0, 16}};
    int i = 0;
    for (const auto& s : sizes) {
        std::string edited = bytes;
        declareSize(edited, s[0], s[1]);
        writeAll(folder / (name + ".size" + std::to_string(i++)), edited);
    }
}

void bmpSeeds(const fs::path& folder, const fs::path& scratch) {
    fs::create_directories(folder);
    const fs::path file = scratch / "seed.bmp";
    auto bmpSize = [](std::string& s, std::uint32_t w, std::uint32_t h) {
        putLe32(s, 18, w);
        putLe32(s, 22, h);
    };
    writeBmp24(file.string(), sample(7, 5));
    variants(folder, "rgb", readAll(file), bmpSize);
    writeBmp32(file.string(), sample(6, 4));
    variants(folder, "alpha", readAll(file), bmpSize);
    // Top-down rows: a negative height.
    std::string topDown = readAll(file);
    putLe32(topDown, 22, static_cast<std::uint32_t>(-4));
    writeAll(folder / "topdown.ok", topDown);
}

void pngSeeds(const fs::path& folder, const fs::path& scratch) {
    fs::create_directories(folder);
    const fs::path file = scratch / "seed.png";
    // IHDR follows the 8-byte signature: length, type, width, height, ...,
    // then its CRC, which libpng checks, so it is mended after each edit.
    auto pngSize = [](std::string& s, std::uint32_t w, std::uint32_t h) {
        putBe32(s, 16, w);
        putBe32(s, 20, h);
        const auto* chunk = reinterpret_cast<const Bytef*>(s.data() + 12);
        putBe32(s, 29, static_cast<std::uint32_t>(crc32(0, chunk, 17)));
    };
    writePng(file.string(), sample(9, 6));
    variants(folder, "rgba", readAll(file), pngSize);
    writePng(file.string(), sample(1, 1));
    variants(folder, "dot", readAll(file), pngSize);
}

void jpegSeeds(const fs::path& folder, const fs::path& scratch) {
    fs::create_directories(folder);
    const fs::path file = scratch / "seed.jpg";
    // The frame header (SOF0, FF C0): length, precision, height, width.
    auto jpegSize = [](std::string& s, std::uint32_t w, std::uint32_t h) {
        const std::size_t sof = s.find("\xFF\xC0");
        if (sof == std::string::npos) return;
        putBe16(s, sof + 5, h & 0xFFFF);
        putBe16(s, sof + 7, w & 0xFFFF);
    };
    writeJpeg(file.string(), sample(16, 16));
    variants(folder, "photo", readAll(file), jpegSize);
    writeJpeg(file.string(), sample(3, 2));
    variants(folder, "small", readAll(file), jpegSize);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: picture-seeds FOLDER\n");
        return 2;
    }
    const fs::path out = argv[1];
    const fs::path scratch = out / "scratch";
    fs::create_directories(scratch);
    bmpSeeds(out / "bmp", scratch);
    pngSeeds(out / "png", scratch);
    jpegSeeds(out / "jpeg", scratch);
    fs::remove_all(scratch);
    return 0;
}
