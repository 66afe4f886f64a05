// Shared state of the media layer's parts. Nothing outside media/ includes it.
#pragma once

#include <pixman.h>

#include <cstdint>
#include <string>
#include <vector>

#include "media/media_layer.h"

namespace media_internal {

// A decoded picture: straight (not premultiplied) 0xAARRGGBB pixels.
struct DecodedImage {
    int width = 0;
    int height = 0;
    bool hasAlpha = false;  // the file carried an alpha channel of its own
    bool uniform = false;   // after preparePicture: every pixel the same opaque colour
    std::vector<std::uint32_t> pixels;
};

// Pictures wider or taller than this are refused instead of allocated.
constexpr int kMaxPictureSide = 8192;

// BMP through SDL, PNG through libpng, JPEG through libjpeg, chosen by the
// file's first bytes. False for anything missing, damaged, truncated or
// absurdly large.
bool decodeImageFile(const std::string& path, DecodedImage& out);
// Readies a decoded picture for drawing in a slot's mode: premultiplied,
// the transparent colour (0xRRGGBB) cleared, the picture's own alpha kept in
// mode 12 only.
void preparePicture(DecodedImage& picture, int mode, std::uint32_t transparentRgb);

// Pictures decoded in the background (picture_queue.cpp). queuePicture
// hands out a ticket; startDecoding sets threads on the queue; takePicture
// waits for a ticket's picture, or decodes it on the spot when no thread has
// begun on it, and hands it over prepared; abandonPicture gives a ticket up.
// stopDecoding waits for the threads and forgets every ticket.
struct PictureRequest {
    std::string path;
    int mode = 0;
    std::uint32_t transparentRgb = 0;
};
std::size_t queuePicture(const PictureRequest& request);
void startDecoding();
bool takePicture(std::size_t ticket, DecodedImage& out);
void abandonPicture(std::size_t ticket);
void stopDecoding();

// The canvas all drawing goes to: x8r8g8b8, kCanvasWidth x kCanvasHeight.
pixman_image_t* canvas();
std::uint32_t* canvasBits();

// A 1 x 1 repeating picture pixman treats as a solid colour; its one pixel is
// rewritten before each use, so drawing with a mask allocates nothing.
pixman_image_t* solidMask(std::uint32_t premultipliedArgb);
pixman_image_t* solidSource(std::uint32_t premultipliedArgb);

void initCanvas();
void shutdownSprites();
void shutdownText();

// Converts a colour of the game (red + green*256 + blue*65536) to 0xRRGGBB.
inline std::uint32_t colourToRgb(int colour) {
    const auto c = static_cast<std::uint32_t>(colour);
    return ((c & 0xFF) << 16) | (c & 0xFF00) | ((c >> 16) & 0xFF);
}

// True when the rectangle misses the canvas altogether, computed without
// overflow for any int inputs.
inline bool outsideCanvas(std::int64_t x, std::int64_t y, std::int64_t w, std::int64_t h) {
    return w <= 0 || h <= 0 || x >= kCanvasWidth || y >= kCanvasHeight || x + w <= 0 || y + h <= 0;
}

}  // namespace media_internal
