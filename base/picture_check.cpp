#include "base/picture_check.h"

#include <algorithm>
#include <cstdint>
#include <fstream>

namespace {

std::uint32_t le32(const unsigned char* p) {
    return std::uint32_t{p[0]} | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
           std::uint32_t{p[3]} << 24;
}
std::uint32_t be32(const unsigned char* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 |
           std::uint32_t{p[3]};
}

long long fileSize(std::ifstream& in) {
    in.seekg(0, std::ios::end);
    const long long size = in.tellg();
    in.seekg(0);
    return size;
}

PictureVerdict checkBmp(std::ifstream& in, long long size, PictureHeader& header) {
    unsigned char h[34] = {};
    in.read(reinterpret_cast<char*>(h), sizeof h);
    const std::uint32_t dataOffset = le32(h + 10), infoSize = le32(h + 14);
    if (in.gcount() < (infoSize == 12 ? 26 : 34)) return PictureVerdict::NotAPicture;
    long long bitsPerPixel, compression = 0;
    if (infoSize == 12) {
        header.width = h[18] | h[19] << 8;
        header.height = static_cast<std::int16_t>(h[20] | h[21] << 8);
        bitsPerPixel = h[24] | h[25] << 8;
    } else {
        header.width = static_cast<std::int32_t>(le32(h + 18));
        header.height = static_cast<std::int32_t>(le32(h + 22));
        bitsPerPixel = h[28] | h[29] << 8;
        compression = le32(h + 30);
    }
    if (header.height < 0) header.height = -header.height;
    if (!pictureSizeAcceptable(header.width, header.height)) return PictureVerdict::TooLarge;
    if (bitsPerPixel <= 0 || bitsPerPixel > 32) return PictureVerdict::NotAPicture;
    const long long pixels = header.width * header.height;
    long long needed;
    switch (compression) {
        case 0:  // plain rows, padded to four bytes; the last row's padding may be missing
        case 3:  // the same, with bit masks
        case 6: {
            const long long row = (header.width * bitsPerPixel + 31) / 32 * 4;
            needed = row * (header.height - 1) + (header.width * bitsPerPixel + 7) / 8;
            break;
        }
        case 1:  // run-length coded: two bytes give at most 255 pixels
        case 2:
            needed = 2 * ((pixels + 254) / 255);
            break;
        default:  // nothing SDL reads
            return PictureVerdict::NotAPicture;
    }
    return size - static_cast<long long>(dataOffset) >= needed ? PictureVerdict::Plausible
                                                               : PictureVerdict::Truncated;
}

PictureVerdict checkPng(std::ifstream& in, long long size, PictureHeader& header) {
    unsigned char h[33] = {};
    if (!in.read(reinterpret_cast<char*>(h), sizeof h) || be32(h + 12) != 0x49484452)  // IHDR
        return PictureVerdict::NotAPicture;
    header.width = be32(h + 16);
    header.height = be32(h + 20);
    if (!pictureSizeAcceptable(header.width, header.height)) return PictureVerdict::TooLarge;
    const int depth = h[24], colourType = h[25];
    const int channels = colourType == 2 ? 3 : colourType == 4 ? 2 : colourType == 6 ? 4 : 1;
    // The picture's rows as they go into the compressor, each after its
    // filter byte (an interlaced picture has a few more of those).
    const long long raw = header.height * (1 + (header.width * depth * channels + 7) / 8);
    // Walk the chunks and add up the compressed picture data.
    long long at = 33, compressed = 0;
    for (;;) {
        unsigned char chunk[8];
        in.seekg(at);
        if (!in.read(reinterpret_cast<char*>(chunk), sizeof chunk)) break;
        const long long length = be32(chunk);
        const std::uint32_t type = be32(chunk + 4);
        if (type == 0x49444154) compressed += std::min(length, size - at - 8);  // IDAT
        if (type == 0x49454E44) break;                                          // IEND
        at += 12 + length;
        if (at >= size) break;
    }
    // Deflate packs at most 1032 bytes into one: data that would have to be
    // packed tighter than that is not all there.
    return (compressed + 16) * 1032 >= raw ? PictureVerdict::Plausible : PictureVerdict::Truncated;
}

}  // namespace

bool pictureSizeAcceptable(long long width, long long height) {
    return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
           width * height <= kMaxPicturePixels;
}

PictureVerdict checkPictureFile(const std::string& path, PictureHeader* out) {
    PictureHeader header;
    if (out) *out = header;
    std::ifstream in(path, std::ios::binary);
    if (!in) return PictureVerdict::NotAPicture;
    const long long size = fileSize(in);
    unsigned char magic[8] = {};
    in.read(reinterpret_cast<char*>(magic), sizeof magic);
    in.clear();
    in.seekg(0);
    static constexpr unsigned char kPng[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    PictureVerdict verdict = PictureVerdict::NotAPicture;
    if (magic[0] == 'B' && magic[1] == 'M') {
        header.format = PictureHeader::Bmp;
        verdict = checkBmp(in, size, header);
    } else if (std::equal(magic, magic + 8, kPng)) {
        header.format = PictureHeader::Png;
        verdict = checkPng(in, size, header);
    } else if (magic[0] == 0xFF && magic[1] == 0xD8 && magic[2] == 0xFF) {
        header.format = PictureHeader::Jpeg;
        verdict = PictureVerdict::Plausible;
    }
    if (out) *out = header;
    return verdict;
}
