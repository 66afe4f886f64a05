// Shared state of the media layer's parts. Nothing outside media/ includes it.
#pragma once

#include <pixman.h>

struct SDL_Window;
union SDL_Event;

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "media/media_layer.h"

namespace media_internal {

// Closes the sound device and frees every sound (audio.cpp).
void shutdownAudio();

// A decoded picture: straight (not premultiplied) 0xAARRGGBB pixels.
struct DecodedImage {
    int width = 0;
    int height = 0;
    bool hasAlpha = false;  // the file carried an alpha channel of its own
    bool uniform = false;   // after preparePicture: every pixel the same opaque colour
    std::vector<std::uint32_t> pixels;
};

// BMP through SDL, PNG through libpng, JPEG through libjpeg, chosen by the
// file's first bytes. False for anything missing, damaged, truncated or
// larger than base/picture_check.h accepts, found out before the pixels are
// allocated wherever the header tells.
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

// Drawing on the canvas (canvas.cpp). Draws are recorded and carried out in
// bands on every core when the canvas is next read: canvas() and canvasBits()
// finish whatever is pending first. Pictures a recorded draw uses must stay
// alive until then, so anything that frees or repaints a picture calls
// finishDrawingNow() first.
enum class MaskKind : std::uint8_t {
    None,
    Image,            // mask
    Solid,            // maskColour's alpha for every pixel
    SolidPerChannel,  // maskColour's red, green and blue as one alpha per channel
};
struct CanvasDraw {
    pixman_op_t op = PIXMAN_OP_OVER;
    pixman_image_t* source = nullptr;  // null: sourceColour everywhere
    pixman_image_t* mask = nullptr;    // with MaskKind::Image
    // The pixels' versions (newPixelsVersion) of source and mask: a frame
    // compares its draws with the last frame's by these, not by what the
    // pictures hold, so whatever repaints a picture takes a new version.
    std::uint64_t sourceVersion = 0, maskVersion = 0;
    std::uint32_t sourceColour = 0;  // premultiplied 0xAARRGGBB
    std::uint32_t maskColour = 0;
    MaskKind maskKind = MaskKind::None;
    int srcX = 0, srcY = 0, maskX = 0, maskY = 0;
    int x = 0, y = 0, w = 0, h = 0;  // on the canvas
};
// Draws source (null: a solid colour) into the canvas rectangle x, y, w, h.
inline CanvasDraw canvasDraw(pixman_op_t op, pixman_image_t* source, int x, int y, int w, int h) {
    CanvasDraw d;
    d.op = op;
    d.source = source;
    d.x = x;
    d.y = y;
    d.w = w;
    d.h = h;
    return d;
}
void drawOnCanvas(const CanvasDraw& draw);
void finishDrawingNow();
// A version no picture's pixels had before.
std::uint64_t newPixelsVersion();
// After drawing straight into canvas() instead of through drawOnCanvas: the
// frame is redrawn and shown whole, and so is the next.
void canvasDrawnDirectly();
// The end of a frame, for flip: carries out what is pending, only where its
// pixels can differ from the last frame's, and keeps that region for
// present(). frameDamage is that region, in canvas pixels, as rectangles
// that do not overlap, top to bottom; frameDamageOutline is fewer, larger
// rectangles around it, for sending to the display.
struct CanvasRect {
    int x = 0, y = 0, w = 0, h = 0;
};
void finishFrame();
std::span<const CanvasRect> frameDamage();
std::span<const CanvasRect> frameDamageOutline();
bool canvasReady();
// The canvas, x8r8g8b8, kCanvasWidth x kCanvasHeight, with everything drawn.
pixman_image_t* canvas();
std::uint32_t* canvasBits();

// Putting the canvas on the screen (presentation.cpp): through the
// accelerated renderer, or the window's own surface where the renderer would
// be OpenGL drawn by the processor.
bool openPresentation(SDL_Window* window, bool headless);
// present() shows the frame's damage (frameDamage), or everything when the
// window was uncovered, resized or made anew since the last.
void present();
void presentEverythingNext();
void presentationDeviceReset();
void closePresentation();

// The pads (gamepads.cpp): started and stopped with the media layer, fed
// SDL's device events, read once per readKeyboard().
void startPads(bool headless);
void stopPads();
void padEvent(const SDL_Event& event);
void readPads();

// A PNG of the canvas as it is, into "Bildschirmfotos/" (screenshot.cpp);
// returns the file's path, or "" when it could not be written.
std::string saveScreenshot();

void initCanvas();
void shutdownCanvas();
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
