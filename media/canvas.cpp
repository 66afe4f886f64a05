// The canvas and everything drawn on it.
//
// A frame's drawing is recorded as it is asked for and carried out only when
// the canvas is next looked at: by flip, a grab, a pixel read. Then the
// canvas is cut into bands of rows and every core, the calling thread
// included, draws whole bands from the same record, so a busy frame costs
// about half as much on two cores. Pixman works out each pixel on its own,
// so drawing in bands gives exactly the pixels of drawing one thing after
// another.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <thread>

#include "media/media_internal.h"

namespace media_internal {
namespace {

struct Command {
    enum class Kind : std::uint8_t { Composite, Fill, Line };
    Kind kind = Kind::Composite;
    int top = 0, bottom = 0;             // the canvas rows it can touch
    CanvasDraw draw;                     // Composite
    std::uint32_t pixel = 0;             // Fill, Line
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // Line
};

// Pixels a command draws in each of its rows, to weigh the work.
std::int64_t drawnWidth(const Command& c) {
    switch (c.kind) {
        case Command::Kind::Composite:
            return c.draw.w;
        case Command::Kind::Fill:
            return kCanvasWidth;
        case Command::Kind::Line:
            break;
    }
    return 1;
}

// A thread that draws: the caller or a helper. Each has its own view of the
// canvas, clipped to the band it is drawing, and its own one-pixel pictures
// for solid colours, since those are rewritten before each use.
struct Drawer {
    pixman_image_t* dest = nullptr;
    std::uint32_t sourcePixel = 0, maskPixel = 0, channelMaskPixel = 0;
    pixman_image_t* source = nullptr;
    pixman_image_t* mask = nullptr;
    pixman_image_t* channelMask = nullptr;  // one alpha per colour channel
    SDL_Thread* thread = nullptr;
};

struct Band {
    int top = 0, bottom = 0;
};

constexpr int kMaxThreads = 4;
// The frame is cut into more bands than there are threads and each thread
// takes the next band left: a helper the system wakes late leaves its share
// to the others instead of holding the frame up.
constexpr int kBandsPerThread = 4;
constexpr int kMaxBands = kMaxThreads * kBandsPerThread;
// Frames covering less than this many pixels in all are drawn by the calling
// thread alone: waking the helpers would cost more than it saves.
constexpr std::int64_t kBandedPixels = 200'000;
// Rows are weighed in groups of this many to place the band boundaries.
constexpr int kRowsPerBucket = 16;
constexpr int kBuckets = (kCanvasHeight + kRowsPerBucket - 1) / kRowsPerBucket;

std::vector<std::uint32_t> gBits;
pixman_image_t* gCanvas = nullptr;
pixman_image_t* gScratch = nullptr;  // 1 x 1 target for readying pictures
std::uint32_t gScratchPixel = 0;
std::vector<Command> gCommands;
std::int64_t gPixelsRecorded = 0;
std::array<Drawer, kMaxThreads> gDrawers;  // 0 is the caller
int gThreads = 1;
int gForcedThreads = 0;
std::array<Band, kMaxBands> gBands;
std::array<std::int64_t, kBuckets> gWeights{};
// The bands on offer: their count in the high half, the next one to take in
// the low half, so that taking one is a single atomic step and a helper
// waking after the frame is done finds a count of 0.
std::atomic<std::uint64_t> gOffer{0};
std::atomic<int> gBandsDone{0};
// Counts the frames offered in bands; the helpers sleep on it between them.
std::atomic<std::uint32_t> gFrame{0};
std::atomic<bool> gQuitting{false};

pixman_image_t* onePixel(std::uint32_t* pixel) {
    pixman_image_t* image = pixman_image_create_bits(PIXMAN_a8r8g8b8, 1, 1, pixel, 4);
    pixman_image_set_repeat(image, PIXMAN_REPEAT_NORMAL);
    return image;
}

void setUpDrawer(Drawer& d) {
    d.dest = pixman_image_create_bits(PIXMAN_x8r8g8b8, kCanvasWidth, kCanvasHeight, gBits.data(),
                                      kCanvasWidth * 4);
    d.source = onePixel(&d.sourcePixel);
    d.mask = onePixel(&d.maskPixel);
    d.channelMask = onePixel(&d.channelMaskPixel);
    pixman_image_set_component_alpha(d.channelMask, true);
}

void tearDownDrawer(Drawer& d) {
    for (pixman_image_t* image : {d.dest, d.source, d.mask, d.channelMask})
        if (image) pixman_image_unref(image);
    d.dest = d.source = d.mask = d.channelMask = nullptr;
    d.thread = nullptr;
}

// Bresenham over 64-bit values, both end points drawn; only the rows from
// top to bottom are written, so every band walks the whole line and draws
// its own part of it.
void drawLineRows(const Command& c, int top, int bottom) {
    std::int64_t x = c.x1, y = c.y1;
    const std::int64_t dx = std::abs(std::int64_t{c.x2} - c.x1), sx = c.x1 < c.x2 ? 1 : -1;
    const std::int64_t dy = -std::abs(std::int64_t{c.y2} - c.y1), sy = c.y1 < c.y2 ? 1 : -1;
    std::int64_t err = dx + dy;
    std::int64_t steps = std::max(dx, -dy);
    for (;;) {
        if (x >= 0 && y >= top && x < kCanvasWidth && y < bottom)
            gBits[static_cast<std::size_t>(y) * kCanvasWidth + static_cast<std::size_t>(x)] =
                c.pixel;
        if ((x == c.x2 && y == c.y2) || steps-- <= 0) break;
        // Both coordinates only ever move one way: once past the band or
        // the canvas's edge, the rest of the line lies beyond it too.
        if ((c.y1 != c.y2 && (sy > 0 ? y >= bottom : y < top)) ||
            (c.x1 != c.x2 && (sx > 0 ? x >= kCanvasWidth : x < 0)))
            break;
        const std::int64_t e2 = 2 * err;
        if (e2 >= dy) {
            err += dy;
            x += sx;
        }
        if (e2 <= dx) {
            err += dx;
            y += sy;
        }
    }
}

void drawBand(Drawer& d, const Band& band) {
    pixman_region32_t rows;
    pixman_region32_init_rect(&rows, 0, band.top, kCanvasWidth,
                              static_cast<unsigned>(band.bottom - band.top));
    pixman_image_set_clip_region32(d.dest, &rows);
    pixman_region32_fini(&rows);
    for (const Command& c : gCommands) {
        if (c.bottom <= band.top || c.top >= band.bottom) continue;
        switch (c.kind) {
            case Command::Kind::Fill: {
                const int top = std::max(c.top, band.top), bottom = std::min(c.bottom, band.bottom);
                std::fill(gBits.begin() + static_cast<std::ptrdiff_t>(top) * kCanvasWidth,
                          gBits.begin() + static_cast<std::ptrdiff_t>(bottom) * kCanvasWidth,
                          c.pixel);
                break;
            }
            case Command::Kind::Line:
                drawLineRows(c, band.top, band.bottom);
                break;
            case Command::Kind::Composite: {
                const CanvasDraw& draw = c.draw;
                pixman_image_t* source = draw.source;
                if (!source) {
                    d.sourcePixel = draw.sourceColour;
                    source = d.source;
                }
                pixman_image_t* mask = draw.mask;
                if (draw.maskKind == MaskKind::Solid) {
                    d.maskPixel = draw.maskColour;
                    mask = d.mask;
                } else if (draw.maskKind == MaskKind::SolidPerChannel) {
                    d.channelMaskPixel = draw.maskColour;
                    mask = d.channelMask;
                }
                pixman_image_composite32(draw.op, source, mask, d.dest, draw.srcX, draw.srcY,
                                         draw.maskX, draw.maskY, draw.x, draw.y, draw.w, draw.h);
                break;
            }
        }
    }
}

// Takes bands on offer until none is left.
void drawOfferedBands(Drawer& d) {
    for (;;) {
        const std::uint64_t offer = gOffer.fetch_add(1, std::memory_order_acq_rel);
        const auto next = static_cast<std::uint32_t>(offer);
        if (next >= offer >> 32) return;
        drawBand(d, gBands[next]);
        gBandsDone.fetch_add(1, std::memory_order_release);
    }
}

// A helper sleeps until a frame is offered in bands, takes bands until none
// is left and sleeps again: between frames, and through frames too small to
// band, it costs nothing. One that wakes late finds the bands taken by the
// others and goes back to sleep.
int helperThread(void* data) {
    Drawer& d = *static_cast<Drawer*>(data);
    std::uint32_t seen = gFrame.load();
    for (;;) {
        // Quitting is set before the last wake-up: a helper that starts (or
        // loops) after that wake-up sees it here instead of sleeping for ever.
        if (gQuitting.load()) return 0;
        gFrame.wait(seen);
        if (gQuitting.load()) return 0;
        seen = gFrame.load();
        drawOfferedBands(d);
    }
}

void startHelpers() {
    const int wanted =
        gForcedThreads > 0 ? gForcedThreads : std::clamp(SDL_GetCPUCount(), 1, kMaxThreads);
    gQuitting = false;
    setUpDrawer(gDrawers[0]);
    gThreads = 1;
    for (int i = 1; i < wanted; ++i) {
        Drawer& d = gDrawers[i];
        setUpDrawer(d);
        d.thread = SDL_CreateThread(helperThread, "pomvex-draw", &d);
        if (!d.thread) {
            tearDownDrawer(d);
            break;
        }
        ++gThreads;
    }
}

void stopHelpers() {
    gQuitting = true;
    gFrame.fetch_add(1);
    gFrame.notify_all();
    for (int i = 1; i < gThreads; ++i) SDL_WaitThread(gDrawers[i].thread, nullptr);
    for (Drawer& d : gDrawers) tearDownDrawer(d);
    gThreads = 1;
}

// Cuts the canvas into at most `wanted` bands of about the same number of
// drawn pixels, weighed per group of rows; returns how many it made.
int placeBands(int wanted) {
    gWeights.fill(0);
    std::int64_t total = 0;
    for (const Command& c : gCommands) {
        const std::int64_t width = drawnWidth(c);
        for (int row = c.top; row < c.bottom;) {
            const int bucket = row / kRowsPerBucket;
            const int end = std::min(c.bottom, (bucket + 1) * kRowsPerBucket);
            gWeights[bucket] += width * (end - row);
            total += width * (end - row);
            row = end;
        }
    }
    int count = 0, bucket = 0, top = 0;
    std::int64_t sum = 0;
    for (int i = 1; i <= wanted; ++i) {
        const std::int64_t share = total * i / wanted;
        while (bucket < kBuckets && sum + gWeights[bucket] <= share) sum += gWeights[bucket++];
        const int bottom =
            i == wanted ? kCanvasHeight : std::min(bucket * kRowsPerBucket, kCanvasHeight);
        if (bottom > top) {
            gBands[count++] = Band{top, bottom};
            top = bottom;
        }
    }
    return count;
}

// A picture must be readied on this thread before the helpers use it: pixman
// works out a picture's properties on its first use, which is a write.
void readyForSharing(pixman_image_t* image) {
    if (image)
        pixman_image_composite32(PIXMAN_OP_OVER, image, nullptr, gScratch, 0, 0, 0, 0, 0, 0, 0, 0);
}

void record(const Command& c) {
    gPixelsRecorded += (c.bottom - c.top) * drawnWidth(c);
    gCommands.push_back(c);
}

}  // namespace

void initCanvas() {
    if (gCanvas) return;
    gBits.assign(static_cast<std::size_t>(kCanvasWidth) * kCanvasHeight, 0);
    gCanvas = pixman_image_create_bits(PIXMAN_x8r8g8b8, kCanvasWidth, kCanvasHeight, gBits.data(),
                                       kCanvasWidth * 4);
    gScratch = pixman_image_create_bits(PIXMAN_a8r8g8b8, 1, 1, &gScratchPixel, 4);
    gCommands.reserve(4096);
    startHelpers();
}

void shutdownCanvas() {
    if (!gCanvas) return;
    gCommands.clear();
    gPixelsRecorded = 0;
    stopHelpers();
    pixman_image_unref(gCanvas);
    pixman_image_unref(gScratch);
    gCanvas = gScratch = nullptr;
    gBits.clear();
}

bool canvasReady() {
    return gCanvas != nullptr;
}

void drawOnCanvas(const CanvasDraw& d) {
    if (!gCanvas || outsideCanvas(d.x, d.y, d.w, d.h)) return;
    readyForSharing(d.source);
    if (d.maskKind == MaskKind::Image) readyForSharing(d.mask);
    Command c;
    c.kind = Command::Kind::Composite;
    c.top = static_cast<int>(std::max<std::int64_t>(d.y, 0));
    c.bottom = static_cast<int>(std::min<std::int64_t>(std::int64_t{d.y} + d.h, kCanvasHeight));
    c.draw = d;
    record(c);
}

void finishDrawingNow() {
    if (gCommands.empty()) return;
    const bool banded = gThreads > 1 && (gForcedThreads > 1 || gPixelsRecorded >= kBandedPixels);
    if (!banded) {
        drawBand(gDrawers[0], Band{0, kCanvasHeight});
    } else {
        const int bands = placeBands(gThreads * kBandsPerThread);
        gBandsDone.store(0);
        gOffer.store(static_cast<std::uint64_t>(bands) << 32);
        gFrame.fetch_add(1);
        gFrame.notify_all();
        drawOfferedBands(gDrawers[0]);
        // Only bands a helper has begun are left: a short wait.
        while (gBandsDone.load(std::memory_order_acquire) < bands) std::this_thread::yield();
        gOffer.store(0);
    }
    gCommands.clear();
    gPixelsRecorded = 0;
}

pixman_image_t* canvas() {
    finishDrawingNow();
    return gCanvas;
}

std::uint32_t* canvasBits() {
    finishDrawingNow();
    return gBits.data();
}

}  // namespace media_internal

using namespace media_internal;

void finishDrawing() {
    finishDrawingNow();
}

void setDrawingThreads(int threads) {
    const bool ready = gCanvas != nullptr;
    if (ready) {
        finishDrawingNow();
        stopHelpers();
    }
    gForcedThreads = std::clamp(threads, 0, kMaxThreads);
    if (ready) startHelpers();
}

void clearCanvas(int colour) {
    if (!gCanvas) return;
    // Whatever was drawn before is covered anyway.
    gCommands.clear();
    Command c;
    c.kind = Command::Kind::Fill;
    c.top = 0;
    c.bottom = kCanvasHeight;
    c.pixel = 0xFF000000u | colourToRgb(colour);
    record(c);
}

void drawLine(int x1, int y1, int x2, int y2, int colour) {
    if (!gCanvas || !drawingOn()) return;
    const std::int64_t left = std::min(x1, x2), top = std::min(y1, y2);
    const std::int64_t w = std::abs(std::int64_t{x2} - x1) + 1,
                       h = std::abs(std::int64_t{y2} - y1) + 1;
    if (outsideCanvas(left, top, w, h)) return;
    Command c;
    c.kind = Command::Kind::Line;
    c.top = static_cast<int>(std::max<std::int64_t>(top, 0));
    c.bottom = static_cast<int>(std::min<std::int64_t>(top + h, kCanvasHeight));
    c.pixel = 0xFF000000u | colourToRgb(colour);
    c.x1 = x1;
    c.y1 = y1;
    c.x2 = x2;
    c.y2 = y2;
    record(c);
}

std::uint32_t canvasPixel(int x, int y) {
    if (!gCanvas || x < 0 || y < 0 || x >= kCanvasWidth || y >= kCanvasHeight) return 0;
    return canvasBits()[static_cast<std::size_t>(y) * kCanvasWidth + x] & 0xFFFFFF;
}

const std::uint32_t* canvasPixels() {
    return canvasBits();
}
