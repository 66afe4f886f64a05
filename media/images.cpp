// Picture decoding: BMP through SDL, PNG through libpng's simplified API and
// JPEG through libjpeg. The declared size, and whether the file holds the
// data for it, are checked before a decoder allocates anything for the
// pixels, and a damaged or truncated file yields no picture at all rather
// than a half-grey one.
#include <SDL.h>
#include <png.h>
#include <setjmp.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "base/picture_check.h"
#include "media/media_internal.h"

namespace media_internal {
namespace {

std::uint32_t premultiply(std::uint32_t argb) {
    const std::uint32_t a = argb >> 24;
    if (a == 255) return argb;
    if (a == 0) return 0;
    auto mul = [a](std::uint32_t c) { return (c * a + 127) / 255; };
    return (a << 24) | (mul((argb >> 16) & 0xFF) << 16) | (mul((argb >> 8) & 0xFF) << 8) |
           mul(argb & 0xFF);
}

// SDL and libpng trust the header's size, so the file is checked first.
bool decodeBmp(const std::string& path, DecodedImage& out) {
    SDL_Surface* loaded = SDL_LoadBMP(path.c_str());
    if (!loaded) return false;
    out.hasAlpha = loaded->format->Amask != 0;
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!argb) return false;
    out.width = argb->w;
    out.height = argb->h;
    out.pixels.resize(static_cast<std::size_t>(argb->w) * argb->h);
    SDL_LockSurface(argb);
    for (int y = 0; y < argb->h; ++y)
        std::memcpy(&out.pixels[static_cast<std::size_t>(y) * argb->w],
                    static_cast<const unsigned char*>(argb->pixels) + y * argb->pitch,
                    static_cast<std::size_t>(argb->w) * 4);
    SDL_UnlockSurface(argb);
    SDL_FreeSurface(argb);
    return true;
}

bool decodePng(const std::string& path, DecodedImage& out) {
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    if (!pictureSizeAcceptable(image.width, image.height)) {
        png_image_free(&image);
        return false;
    }
    out.hasAlpha = (image.format & PNG_FORMAT_FLAG_ALPHA) != 0;
    // BGRA in memory is 0xAARRGGBB in a little-endian word.
    image.format = PNG_FORMAT_BGRA;
    out.width = static_cast<int>(image.width);
    out.height = static_cast<int>(image.height);
    out.pixels.assign(static_cast<std::size_t>(out.width) * out.height, 0);
    if (!png_image_finish_read(&image, nullptr, out.pixels.data(), 0, nullptr)) {
        png_image_free(&image);
        out.pixels.clear();
        return false;
    }
    return true;
}

struct JpegError {
    jpeg_error_mgr manager;
    jmp_buf jump;
    bool warned;
};

void jpegFail(j_common_ptr info) {
    longjmp(reinterpret_cast<JpegError*>(info->err)->jump, 1);
}

void jpegMessage(j_common_ptr info, int level) {
    // Level -1 is a warning: for a picture that means damaged or cut short.
    if (level < 0) reinterpret_cast<JpegError*>(info->err)->warned = true;
}

bool decodeJpeg(const std::string& path, DecodedImage& out) {
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) return false;
    jpeg_decompress_struct info;
    JpegError error;
    info.err = jpeg_std_error(&error.manager);
    error.manager.error_exit = jpegFail;
    error.manager.emit_message = jpegMessage;
    error.warned = false;
    std::vector<unsigned char> row;
    if (setjmp(error.jump)) {
        jpeg_destroy_decompress(&info);
        std::fclose(f);
        out.pixels.clear();
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_stdio_src(&info, f);
    jpeg_read_header(&info, TRUE);
    if (!pictureSizeAcceptable(info.image_width, info.image_height))
        jpegFail(reinterpret_cast<j_common_ptr>(&info));
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    out.width = static_cast<int>(info.output_width);
    out.height = static_cast<int>(info.output_height);
    out.hasAlpha = false;
    // Rows are added as they decode, so a file that gives out early never
    // gets the memory its header asked for.
    const std::size_t total = static_cast<std::size_t>(out.width) * out.height;
    row.resize(static_cast<std::size_t>(out.width) * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[1] = {row.data()};
        // A damaged or cut-short file warns as soon as the data fails; all
        // that would follow is filler, up to 16 megapixels of it.
        if (jpeg_read_scanlines(&info, rows, 1) != 1 || error.warned) break;
        for (int x = 0; x < out.width; ++x)
            out.pixels.push_back(0xFF000000u | (row[x * 3] << 16) | (row[x * 3 + 1] << 8) |
                                 row[x * 3 + 2]);
    }
    const bool complete = !error.warned && out.pixels.size() == total;
    // Finishing would insist on the rows that were skipped.
    if (complete) jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    std::fclose(f);
    if (!complete || error.warned) {
        out.pixels.clear();
        return false;
    }
    return true;
}

}  // namespace

bool decodeImageFile(const std::string& path, DecodedImage& out) {
    out = DecodedImage{};
    PictureHeader header;
    if (checkPictureFile(path, &header) != PictureVerdict::Plausible) return false;
    switch (header.format) {
        case PictureHeader::Bmp:
            return decodeBmp(path, out);
        case PictureHeader::Png:
            return decodePng(path, out);
        case PictureHeader::Jpeg:
            return decodeJpeg(path, out);
        case PictureHeader::None:
            break;
    }
    return false;
}

void preparePicture(DecodedImage& picture, int mode, std::uint32_t transparentRgb) {
    // The picture's own alpha counts only in mode 12; the transparent colour
    // counts in every mode.
    const bool keepAlpha = mode == 12 && picture.hasAlpha;
    for (std::uint32_t& p : picture.pixels) {
        if ((p & 0xFFFFFF) == transparentRgb)
            p = 0;
        else if (!keepAlpha)
            p |= 0xFF000000u;
        else
            p = premultiply(p);
    }
    const auto& px = picture.pixels;
    picture.uniform = !px.empty() && (px.front() >> 24) == 0xFF &&
                      std::all_of(px.begin(), px.end(),
                                  [first = px.front()](std::uint32_t p) { return p == first; });
}

}  // namespace media_internal
