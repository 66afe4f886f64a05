// Writes small test pictures in the formats the game loads.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Pixels are 0xAARRGGBB, row by row from the top.
struct TestPicture {
    int width = 0, height = 0;
    std::vector<std::uint32_t> pixels;
    TestPicture(int w, int h, std::uint32_t fill) : width(w), height(h), pixels(w * h, fill) {}
    std::uint32_t& at(int x, int y) { return pixels[y * width + x]; }
};

void writeBmp24(const std::string& path, const TestPicture& picture);
// 32 bits with an alpha mask in a version 5 header.
void writeBmp32(const std::string& path, const TestPicture& picture);
// False when the file could not be written.
bool writePng(const std::string& path, const TestPicture& picture);
void writeJpeg(const std::string& path, const TestPicture& picture);
