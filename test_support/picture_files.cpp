#include "test_support/picture_files.h"

#include <png.h>

#include <cstdio>
#include <cstring>
#include <fstream>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

namespace {

void put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

void writeBmp(const std::string& path, const TestPicture& p, bool alpha) {
    const int bytesPerPixel = alpha ? 4 : 3;
    const int rowSize = (p.width * bytesPerPixel + 3) & ~3;
    const std::uint32_t infoSize = alpha ? 124 : 40;
    const std::uint32_t offset = 14 + infoSize;
    std::string out;
    out += "BM";
    put32(out, offset + rowSize * p.height);
    put32(out, 0);
    put32(out, offset);
    put32(out, infoSize);
    put32(out, p.width);
    put32(out, p.height);  // bottom-up
    put16(out, 1);
    put16(out, bytesPerPixel * 8);
    put32(out, alpha ? 3 : 0);  // BI_BITFIELDS for the alpha picture
    put32(out, rowSize * p.height);
    put32(out, 2835);
    put32(out, 2835);
    put32(out, 0);
    put32(out, 0);
    if (alpha) {
        put32(out, 0x00FF0000);
        put32(out, 0x0000FF00);
        put32(out, 0x000000FF);
        put32(out, 0xFF000000);
        put32(out, 0x73524742);  // 'sRGB'
        out.append(124 - 60, '\0');
    }
    for (int y = p.height - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < p.width; ++x) {
            const std::uint32_t c = p.pixels[y * p.width + x];
            row += static_cast<char>(c & 0xFF);
            row += static_cast<char>((c >> 8) & 0xFF);
            row += static_cast<char>((c >> 16) & 0xFF);
            if (alpha) row += static_cast<char>(c >> 24);
        }
        row.resize(rowSize, '\0');
        out += row;
    }
    std::ofstream(path, std::ios::binary) << out;
}

}  // namespace

void writeBmp24(const std::string& path, const TestPicture& picture) {
    writeBmp(path, picture, false);
}
void writeBmp32(const std::string& path, const TestPicture& picture) {
    writeBmp(path, picture, true);
}

bool writePng(const std::string& path, const TestPicture& picture) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = picture.width;
    image.height = picture.height;
    image.format = PNG_FORMAT_BGRA;
    return png_image_write_to_file(&image, path.c_str(), 0, picture.pixels.data(), 0, nullptr);
}

void writeJpeg(const std::string& path, const TestPicture& picture) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    jpeg_compress_struct info;
    jpeg_error_mgr error;
    info.err = jpeg_std_error(&error);
    jpeg_create_compress(&info);
    jpeg_stdio_dest(&info, f);
    info.image_width = picture.width;
    info.image_height = picture.height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 95, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<unsigned char> row(picture.width * 3);
    for (int y = 0; y < picture.height; ++y) {
        for (int x = 0; x < picture.width; ++x) {
            const std::uint32_t c = picture.pixels[y * picture.width + x];
            row[x * 3] = (c >> 16) & 0xFF;
            row[x * 3 + 1] = (c >> 8) & 0xFF;
            row[x * 3 + 2] = c & 0xFF;
        }
        JSAMPROW rows[1] = {row.data()};
        jpeg_write_scanlines(&info, rows, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    std::fclose(f);
}
