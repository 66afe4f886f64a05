// The canvas and everything drawn on it.
//
// A frame's drawing is recorded as it is asked for and carried out only when
// the canvas is next looked at: by flip, a grab, a pixel read. Then the
// canvas is cut into bands of rows and every core, the calling thread
// included, draws whole bands from the same record, so a busy frame costs
// about half as much on two cores. Pixman works out each pixel on its own,
// so drawing in bands gives exactly the pixels of drawing one thing after
// another.
//
// Most of a frame is what the last frame drew, in the same place. The canvas
// is cut into tiles, and each tile keeps a hash of the draws that touch it,
// in their order, and whether the first of them covers it whole. Such a tile
// gets the same pixels from the same draws whatever was beneath, so where
// this frame's draws hash as the last frame's did, last frame's pixels are
// already the right ones; a tile that no draw touches keeps its pixels
// anyway. A tile that changed keeps its draws too, each with the part of
// the tile it covers: where the draws both frames share come in the same
// order, only the box around the others can differ, and only that part of
// the tile is drawn and shown anew.
#include <SDL.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "media/media_internal.h"

namespace media_internal {
namespace {

struct Command {
    enum class Kind : std::uint8_t { Composite, Fill, Line };
    Kind kind = Kind::Composite;
    int top = 0, bottom = 0;             // the canvas rows it can touch
    int left = 0, right = 0;             // and columns
    CanvasDraw draw;                     // Composite
    std::uint32_t pixel = 0;             // Fill, Line
    int x1 = 0, y1 = 0, x2 = 0, y2 = 0;  // Line
    // Taken when recorded: a picture may be gone by the frame's end.
    std::uint64_t signature = 0;  // everything that decides its pixels
    bool covers = false;          // it sets every pixel of its box
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
    std::uint32_t* bits = nullptr;  // dest's pixels
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
// thread alone: below that, waking the helpers and sharing the canvas
// between cores costs more processor time than it saves, and one core
// draws them within a few milliseconds.
constexpr std::int64_t kBandedPixels = 1'500'000;
// Rows are weighed in groups of this many to place the band boundaries.
constexpr int kRowsPerBucket = 16;
constexpr int kBuckets = (kCanvasHeight + kRowsPerBucket - 1) / kRowsPerBucket;

std::vector<std::uint32_t> gBits;
pixman_image_t* gCanvas = nullptr;
pixman_image_t* gScratch = nullptr;  // 1 x 1 target for readying pictures
std::uint32_t gScratchPixel = 0;
// The frame's draws so far; those from gPending on are not carried out yet.
std::vector<Command> gCommands;
std::size_t gPending = 0;
std::int64_t gPixelsRecorded = 0;  // by the pending draws
// The last frame's draws, by their signatures.
std::vector<std::uint64_t> gLastSignatures;

std::span<const Command> pendingCommands() {
    return std::span<const Command>(gCommands).subspan(gPending);
}
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

// Damage. A tile's first draw either covers it whole, whatever lies beneath,
// or blends with what is there.
constexpr int kTile = 16;
constexpr int kTilesX = (kCanvasWidth + kTile - 1) / kTile;
constexpr int kTilesY = (kCanvasHeight + kTile - 1) / kTile;
constexpr int kTiles = kTilesX * kTilesY;
// Changed tiles at most this many pixels apart are shown as one.
constexpr int kJoinGap = 32;
// Changed parts of a tile row at most kRunGap pixels apart are drawn as one
// piece when the box around them holds at most kRunSpare pixels more than
// they do. Every piece costs each draw across it a call into pixman, which
// costs about as much as drawing a few hundred pixels more under all of
// them; measured on the stress scene, in instructions per frame.
constexpr int kRunGap = kTile;
constexpr std::int64_t kRunSpare = 128;
enum class TileStart : std::uint8_t { Untouched, Covered, Blended };
constexpr std::uint64_t kNoDraws = 0x9E3779B97F4A7C15ull;
// What a frame drew in each tile: a hash of its draws in order, how the first
// began, and the draws themselves, as their signature shifted up and the
// part of the tile the draw's box covers in the low bits (see tileEntry). A
// tile with more draws than there is room for keeps only its hash, and is
// drawn whole when that changes.
//
// Draws over the whole canvas (the background, the fade overlay) are kept
// once for the frame instead of in each of its four thousand tiles. A tile's
// own draws carry how many of those came before them, so that where both
// frames have the same whole-canvas draws, equal tile draws still mean the
// same draws in the same order.
constexpr int kTileDraws = 16;
constexpr std::uint8_t kTooManyDraws = kTileDraws + 1;
struct TileFrame {
    std::array<std::uint64_t, kTiles> hash;
    std::array<TileStart, kTiles> start;
    std::array<std::uint8_t, kTiles> count;
    bool blended = false;  // some tile's first draw blends with what was beneath
    // The whole-canvas draws' signatures, and how the first began: the start
    // of every tile whose first draw is not its own.
    std::vector<std::uint64_t> wide;
    std::vector<std::uint32_t> wideAt;  // where in the frame's draws
    TileStart wideStart = TileStart::Untouched;
    // Each tile's draws side by side: a tile that changed reads one or two
    // lines of memory, which the frame's drawing has long pushed out of the
    // cache, not one for each draw.
    std::array<std::array<std::uint64_t, kTileDraws>, kTiles> entries;
    // Where in the frame's draws each of those is.
    std::array<std::array<std::uint32_t, kTileDraws>, kTiles> at;
};
// This frame's and the last frame's, taking turns.
std::array<TileFrame, 2> gTileFrames;
TileFrame* gNow = &gTileFrames[0];
TileFrame* gLast = &gTileFrames[1];
// The backdrop: for each tile, the pixels the first of its draws leave,
// those it shares frame after frame (what lies beneath the things that
// move). A part of a tile drawn again starts from there and carries out
// only the draws after them. A tile's backdrop is its first gBackCount draws,
// known by their entries' hash, under the whole-canvas draws gBackWide.
std::vector<std::uint32_t> gBackBits;
std::array<std::uint8_t, kTiles> gBackCount{};
std::array<std::uint64_t, kTiles> gBackHash{};
std::vector<std::uint64_t> gBackWide;
// The backdrop takes up a tile's shared draws only once they have stayed the
// same over several of its changes: a thing that stops for a frame or two
// over it would otherwise have the tile drawn whole, kept, and kept again
// when it moves on.
constexpr std::uint8_t kSteadyChanges = 8;
std::array<std::uint64_t, kTiles> gBackNext{};
std::array<std::uint8_t, kTiles> gBackNextSeen{};
// What is drawn now, as runs along each tile row (gRuns from gRowRuns[row]
// to gRowRuns[row + 1]), each within its row, clipped to the canvas.
std::array<CanvasRect, kTiles> gRuns;
std::array<int, kTilesY + 1> gRowRuns;
// How each run uses the backdrop: the draws before `from` are taken from it
// (0: none are), and after those before `keep` the run is kept in it (-1:
// not). A tile's backdrop holds its draws before its next one, `upTo`, as
// well as those before `from`: runs whose ranges meet are joined, and take
// `from` where the ranges meet. A run kept in the backdrop joins no other.
struct RunLayers {
    int from = 0, upTo = 0, keep = -1;
};
std::array<RunLayers, kTiles> gRunLayers;
// The damage: the runs joined down the rows where they line up and their
// layers allow, as the joins along a row do. A draw across several rows of
// a moving thing is then one call into pixman instead of one a row, and
// present() copies or scales these. gRunRect: each run's rectangle.
std::array<CanvasRect, kTiles> gDamage;
std::array<RunLayers, kTiles> gDamageLayers;
std::array<int, kTiles> gRunRect;
// The runs kept in the backdrop this frame, in the order of their `keep`.
std::array<int, kTiles> gKeeps;
int gKeepCount = 0;
std::int64_t gRedrawnPixels = std::int64_t{kCanvasWidth} * kCanvasHeight;
bool gEverything = true;  // the frame is drawn whole
// The changed tiles whole, runs joined across short gaps: what the display
// is sent, in few rectangles.
std::array<CanvasRect, kTiles> gOutlineRuns;
std::array<int, kTilesY + 1> gOutlineRowRuns;
// The outline's runs joined down the rows where they line up: what the
// display is sent.
std::array<CanvasRect, kTiles> gOutline;
int gDamageRects = 0, gOutlineRects = 0;
// The canvas holds what the draws in gLast draw.
bool gLastKnown = false;
// This frame is drawn and shown whole: part of it was carried out before
// the frame's end, when the rest of its draws were not known yet.
bool gWholeFrame = false;
// Drawn into directly this frame: the next one cannot trust the hashes.
bool gSpoiled = false;
bool gTracking = true;
// The check of the above: a second canvas drawn whole every time, as it
// would be without damage, compared at every frame's end.
bool gChecking = false;
std::vector<std::uint32_t> gShadowBits;
Drawer gShadow;
long long gMismatches = 0;

pixman_image_t* onePixel(std::uint32_t* pixel) {
    pixman_image_t* image = pixman_image_create_bits(PIXMAN_a8r8g8b8, 1, 1, pixel, 4);
    pixman_image_set_repeat(image, PIXMAN_REPEAT_NORMAL);
    return image;
}

void setUpDrawer(Drawer& d, std::vector<std::uint32_t>& bits) {
    d.bits = bits.data();
    d.dest = pixman_image_create_bits(PIXMAN_x8r8g8b8, kCanvasWidth, kCanvasHeight, d.bits,
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
    d.bits = nullptr;
    d.thread = nullptr;
}

// Whether the pixel is drawn in now by the draw at `at` in the frame.
// A row's runs lie left to right without overlapping: only the first that
// reaches past x can hold the pixel.
bool redrawn(int x, int y, int at) {
    const auto row = static_cast<std::size_t>(y / kTile);
    const CanvasRect* begin = gRuns.data() + gRowRuns[row];
    const CanvasRect* end = gRuns.data() + gRowRuns[row + 1];
    const CanvasRect* r =
        std::partition_point(begin, end, [&](const CanvasRect& run) { return run.x + run.w <= x; });
    return r != end && x >= r->x && y >= r->y && y < r->y + r->h &&
           at >= gRunLayers[static_cast<std::size_t>(r - gRuns.data())].from;
}

// Bresenham over 64-bit values, both end points drawn: visits the line's
// pixels on the canvas in the rows from top to bottom, in order from the
// first end.
template <typename Visit>
void walkLine(const Command& c, int top, int bottom, Visit visit) {
    std::int64_t x = c.x1, y = c.y1;
    const std::int64_t dx = std::abs(std::int64_t{c.x2} - c.x1), sx = c.x1 < c.x2 ? 1 : -1;
    const std::int64_t dy = -std::abs(std::int64_t{c.y2} - c.y1), sy = c.y1 < c.y2 ? 1 : -1;
    std::int64_t err = dx + dy;
    std::int64_t steps = std::max(dx, -dy);
    for (;;) {
        if (x >= 0 && y >= top && x < kCanvasWidth && y < bottom)
            visit(static_cast<int>(x), static_cast<int>(y));
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

// Only the rows from top to bottom are written, so every band walks the whole
// line and draws its own part of it. `everywhere` false: only in the runs
// drawn in now.
void drawLineRows(const Drawer& d, const Command& c, int at, int top, int bottom,
                  bool everywhere) {
    walkLine(c, top, bottom, [&](int x, int y) {
        if (everywhere || redrawn(x, y, at))
            d.bits[static_cast<std::size_t>(y) * kCanvasWidth + static_cast<std::size_t>(x)] =
                c.pixel;
    });
}

// Carries out one command inside the rectangle x0..x1, y0..y1 alone.
void drawPiece(Drawer& d, const Command& c, int x0, int y0, int x1, int y1) {
    switch (c.kind) {
        case Command::Kind::Fill:
            for (int row = y0; row < y1; ++row)
                std::fill(d.bits + static_cast<std::ptrdiff_t>(row) * kCanvasWidth + x0,
                          d.bits + static_cast<std::ptrdiff_t>(row) * kCanvasWidth + x1, c.pixel);
            break;
        case Command::Kind::Line:
            break;  // drawn by rows, see drawBand
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
            // The same pixels as the whole draw gives there: source and mask
            // move along with the destination.
            const int dx = x0 - draw.x, dy = y0 - draw.y;
            pixman_image_composite32(draw.op, source, mask, d.dest, draw.srcX + dx, draw.srcY + dy,
                                     draw.maskX + dx, draw.maskY + dy, x0, y0, x1 - x0, y1 - y0);
            break;
        }
    }
}

// Copies run i's rows within the band from one canvas's pixels to the
// other's: a plain copy, which costs less than setting up a composite for
// the few hundred pixels of a run.
void copyRun(int i, const Band& band, const std::uint32_t* from, std::uint32_t* to) {
    const CanvasRect& r = gRuns[static_cast<std::size_t>(i)];
    const int top = std::max(r.y, band.top), bottom = std::min(r.y + r.h, band.bottom);
    for (int row = top; row < bottom; ++row) {
        const std::ptrdiff_t at = static_cast<std::ptrdiff_t>(row) * kCanvasWidth + r.x;
        std::memcpy(to + at, from + at, static_cast<std::size_t>(r.w) * sizeof *to);
    }
}

// Draws the band's part of every command: everywhere, or only in the runs
// drawn in now.
void drawBand(Drawer& d, const Band& band, bool everywhere) {
    // A clip costs every composite an intersection of regions: the
    // whole canvas goes without.
    if (band.top == 0 && band.bottom == kCanvasHeight) {
        pixman_image_set_clip_region32(d.dest, nullptr);
    } else {
        pixman_region32_t rows;
        pixman_region32_init_rect(&rows, 0, band.top, kCanvasWidth,
                                  static_cast<unsigned>(band.bottom - band.top));
        pixman_image_set_clip_region32(d.dest, &rows);
        pixman_region32_fini(&rows);
    }
    // The runs that start from the backdrop; those kept in it are kept in
    // the order of their `keep`, each when the frame's draws reach it.
    int kept = 0;
    const auto keepUpTo = [&](int at) {
        for (; kept < gKeepCount && gRunLayers[gKeeps[kept]].keep <= at; ++kept)
            copyRun(gKeeps[kept], band, d.bits, gBackBits.data());
    };
    if (!everywhere)
        for (int row = band.top / kTile; row < (band.bottom + kTile - 1) / kTile; ++row)
            for (int i = gRowRuns[row]; i < gRowRuns[row + 1]; ++i)
                if (gRunLayers[i].from > 0) copyRun(i, band, gBackBits.data(), d.bits);
    const std::span<const Command> commands = pendingCommands();
    for (std::size_t k = 0; k < commands.size(); ++k) {
        const Command& c = commands[k];
        const int at = static_cast<int>(gPending + k);
        if (!everywhere) keepUpTo(at);
        const int top = std::max(c.top, band.top), bottom = std::min(c.bottom, band.bottom);
        if (top >= bottom) continue;
        if (c.kind == Command::Kind::Line) {
            drawLineRows(d, c, at, band.top, band.bottom, everywhere);
            continue;
        }
        if (everywhere) {
            drawPiece(d, c, c.left, top, c.right, bottom);
            continue;
        }
        // A row's runs go left to right: only those from the first that
        // reaches past the command's left edge can meet it. A run's
        // rectangle has the run's columns, and is drawn in the first row
        // both it and the command reach.
        const int firstRow = top / kTile;
        for (int row = firstRow; row <= (bottom - 1) / kTile; ++row) {
            const CanvasRect* begin = gRuns.data() + gRowRuns[row];
            const CanvasRect* end = gRuns.data() + gRowRuns[row + 1];
            const CanvasRect* run =
                std::partition_point(begin, end,
                                     [&](const CanvasRect& r) { return r.x + r.w <= c.left; });
            for (; run != end && run->x < c.right; ++run) {
                const int k = gRunRect[static_cast<std::size_t>(run - gRuns.data())];
                const CanvasRect& rect = gDamage[k];
                if ((row > firstRow && rect.y < row * kTile) || at < gDamageLayers[k].from) continue;
                const int x0 = std::max(c.left, rect.x), x1 = std::min(c.right, rect.x + rect.w);
                const int y0 = std::max(top, rect.y), y1 = std::min(bottom, rect.y + rect.h);
                if (y0 < y1) drawPiece(d, c, x0, y0, x1, y1);
            }
        }
    }
    if (!everywhere) keepUpTo(static_cast<int>(gCommands.size()));
}

// Takes bands on offer until none is left.
void drawOfferedBands(Drawer& d) {
    for (;;) {
        const std::uint64_t offer = gOffer.fetch_add(1, std::memory_order_acq_rel);
        const auto next = static_cast<std::uint32_t>(offer);
        if (next >= offer >> 32) return;
        drawBand(d, gBands[next], gEverything);
        gBandsDone.fetch_add(1, std::memory_order_release);
        gBandsDone.notify_one();
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
    setUpDrawer(gDrawers[0], gBits);
    gThreads = 1;
    for (int i = 1; i < wanted; ++i) {
        Drawer& d = gDrawers[i];
        setUpDrawer(d, gBits);
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
    for (const Command& c : pendingCommands()) {
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
// works out a picture's properties on its first use, which is a write. Only
// frames drawn in bands need it, so it is done when a frame is handed out.
void readyForSharing(pixman_image_t* image) {
    if (image)
        pixman_image_composite32(PIXMAN_OP_OVER, image, nullptr, gScratch, 0, 0, 0, 0, 0, 0, 0, 0);
}

std::uint64_t mixed(std::uint64_t hash, std::uint64_t value) {
    hash ^= value + 0x9E3779B97F4A7C15ull + (hash << 6) + (hash >> 2);
    return hash * 0xFF51AFD7ED558CCDull;
}

std::uint64_t pair(int a, int b) {
    return std::uint64_t{static_cast<std::uint32_t>(a)} << 32 | static_cast<std::uint32_t>(b);
}

// Everything that decides a command's pixels, pictures by their versions.
std::uint64_t signature(const Command& c) {
    std::uint64_t h = mixed(static_cast<std::uint64_t>(c.kind), c.pixel);
    if (c.kind == Command::Kind::Line) h = mixed(mixed(h, pair(c.x1, c.y1)), pair(c.x2, c.y2));
    if (c.kind != Command::Kind::Composite)
        return mixed(mixed(h, pair(c.left, c.top)), pair(c.right, c.bottom));
    const CanvasDraw& d = c.draw;
    h = mixed(h, reinterpret_cast<std::uintptr_t>(d.source));
    h = mixed(h, d.sourceVersion);
    h = mixed(h, reinterpret_cast<std::uintptr_t>(d.mask));
    h = mixed(h, d.maskVersion);
    h = mixed(h, (std::uint64_t{d.sourceColour} << 32) | d.maskColour);
    h = mixed(h, (static_cast<std::uint64_t>(d.op) << 8) | static_cast<std::uint64_t>(d.maskKind));
    h = mixed(mixed(h, pair(d.srcX, d.srcY)), pair(d.maskX, d.maskY));
    return mixed(mixed(h, pair(d.x, d.y)), pair(d.w, d.h));
}

// Whether a command sets every pixel of its box whatever was there before.
bool coversItsBox(const Command& c) {
    if (c.kind != Command::Kind::Composite) return c.kind == Command::Kind::Fill;
    const CanvasDraw& d = c.draw;
    if (d.maskKind != MaskKind::None) return false;
    if (!d.source)
        return d.op == PIXMAN_OP_SRC || (d.op == PIXMAN_OP_OVER && d.sourceColour >> 24 == 0xFF);
    return d.op == PIXMAN_OP_SRC && d.srcX >= 0 && d.srcY >= 0 &&
           std::int64_t{d.srcX} + d.w <= pixman_image_get_width(d.source) &&
           std::int64_t{d.srcY} + d.h <= pixman_image_get_height(d.source);
}

// A draw as a tile keeps it: its signature, and the part of the tile its
// box covers, from x0, y0 to x1, y1 within the tile (0 to kTile), four bits
// each. Equal signatures mean equal boxes, so entries compare as draws do.
constexpr int kPartBits = 16;
static_assert(kTile == 16, "a tile's part is kept in four bits a side");
std::uint64_t tileEntry(std::uint64_t signature, int x0, int y0, int x1, int y1) {
    return signature << kPartBits | static_cast<std::uint64_t>(x0) | (y0 << 4) |
           ((x1 - 1) << 8) | ((y1 - 1) << 12);
}

struct TilePart {
    int x0 = 0, y0 = 0, x1 = 0, y1 = 0;  // within the tile
};

TilePart partOf(std::uint64_t entry) {
    return {static_cast<int>(entry & 15), static_cast<int>(entry >> 4 & 15),
            static_cast<int>((entry >> 8 & 15) + 1), static_cast<int>((entry >> 12 & 15) + 1)};
}

// Adds a draw to tile i, which it touches in x0..x1, y0..y1 within the tile;
// `coversTile`: it sets every pixel of the tile.
inline void markTile(int i, std::uint64_t sig, std::uint32_t at, bool coversTile, int x0, int y0,
                     int x1, int y1) {
    TileFrame& now = *gNow;
    // A tile whose first draw is a whole-canvas one starts as that did: its
    // own start stays Untouched (see startOf).
    if (now.start[i] == TileStart::Untouched && now.wideStart == TileStart::Untouched) {
        now.start[i] = coversTile ? TileStart::Covered : TileStart::Blended;
        now.blended |= !coversTile;
    }
    now.hash[i] = mixed(now.hash[i], sig);
    std::uint8_t& count = now.count[i];
    if (count < kTileDraws) {
        now.at[i][count] = at;
        now.entries[i][count++] = tileEntry(sig, x0, y0, x1, y1);
    } else
        count = kTooManyDraws;
}

// A line touches only the tiles it passes through, and of each only the box
// around its pixels there: a long slanting line changes far less than its
// box. Both its coordinates move one way only, so a tile it leaves it never
// comes back to. Lines too long to walk here mark their box.
constexpr std::int64_t kLongestWalk = 4 * (kCanvasWidth + kCanvasHeight);

bool markLineTiles(const Command& c, std::uint64_t sig, std::uint32_t at) {
    if (std::max(std::abs(std::int64_t{c.x2} - c.x1), std::abs(std::int64_t{c.y2} - c.y1)) >
        kLongestWalk)
        return false;
    int tile = -1;
    TilePart part;
    const auto flush = [&] {
        if (tile >= 0) markTile(tile, sig, at, false, part.x0, part.y0, part.x1, part.y1);
    };
    walkLine(c, 0, kCanvasHeight, [&](int x, int y) {
        const int i = y / kTile * kTilesX + x / kTile;
        const int lx = x % kTile, ly = y % kTile;
        if (i != tile) {
            flush();
            tile = i;
            part = {lx, ly, lx + 1, ly + 1};
            return;
        }
        part = {std::min(part.x0, lx), std::min(part.y0, ly), std::max(part.x1, lx + 1),
                std::max(part.y1, ly + 1)};
    });
    flush();
    return true;
}

void markTiles(const Command& c, std::uint64_t sig, std::uint32_t at) {
    if (c.kind == Command::Kind::Line && markLineTiles(c, sig, at)) return;
    const bool covers = c.covers;
    for (int ty = c.top / kTile; ty <= (c.bottom - 1) / kTile; ++ty) {
        const int tileTop = ty * kTile, tileBottom = std::min(tileTop + kTile, kCanvasHeight);
        const bool rowsCovered = c.top <= tileTop && c.bottom >= tileBottom;
        const int y0 = std::max(c.top, tileTop) - tileTop,
                  y1 = std::min(c.bottom, tileBottom) - tileTop;
        for (int tx = c.left / kTile; tx <= (c.right - 1) / kTile; ++tx) {
            const int tileLeft = tx * kTile, tileRight = std::min(tileLeft + kTile, kCanvasWidth);
            markTile(ty * kTilesX + tx, sig, at,
                     covers && rowsCovered && c.left <= tileLeft && c.right >= tileRight,
                     std::max(c.left, tileLeft) - tileLeft, y0,
                     std::min(c.right, tileRight) - tileLeft, y1);
        }
    }
}

// Marks the tiles of every draw of the frame.
void markFrame() {
    TileFrame& now = *gNow;
    for (std::uint32_t at = 0; at < gCommands.size(); ++at) {
        const Command& c = gCommands[at];
        if (c.kind != Command::Kind::Line && c.left == 0 && c.top == 0 &&
            c.right == kCanvasWidth && c.bottom == kCanvasHeight) {
            if (now.wide.empty()) {
                now.wideStart = c.covers ? TileStart::Covered : TileStart::Blended;
                now.blended |= !c.covers;
            }
            now.wide.push_back(c.signature);
            now.wideAt.push_back(at);
            continue;
        }
        markTiles(c, now.wide.empty() ? c.signature : mixed(c.signature, now.wide.size()), at);
    }
}

void forgetTiles() {
    gNow->wide.clear();
    gNow->wideAt.clear();
    gNow->wideStart = TileStart::Untouched;
    gNow->hash.fill(kNoDraws);
    gNow->start.fill(TileStart::Untouched);
    gNow->count.fill(0);
    gNow->blended = false;
}

void record(Command c) {
    gPixelsRecorded += (c.bottom - c.top) * drawnWidth(c);
    // Without damage tracking every frame is drawn whole: nothing compares.
    if (gTracking) {
        c.signature = signature(c);
        c.covers = coversItsBox(c);
    }
    gCommands.push_back(c);
}

void markEverythingDirty() {
    gEverything = true;
    gRedrawnPixels = std::int64_t{kCanvasWidth} * kCanvasHeight;
}

// The part of a tile whose draws changed that can hold other pixels than
// last frame: the box around the draws the two frames do not share, pairing
// equal draws in order (the k-th of equal draws in one frame with the k-th
// in the other). A pixel outside that box is drawn by the shared draws
// alone, in the same order in both frames when the shared draws keep their
// order, and the first of them covers the tile: it keeps its value. Where
// the order changed, or a frame had more draws than the tile keeps, the
// whole tile.
//
// The draws both frames begin with, `begin` of them (see sharedDraws), and
// those they end with pair up as they stand (most of a tile's draws: what
// lies beneath a moving thing and what lies over it); only those between
// are searched for their partners.
TilePart changedPart(int tile, int begin) {
    const TilePart whole{0, 0, kTile, kTile};
    int n = gNow->count[tile], m = gLast->count[tile];
    if (n > kTileDraws || m > kTileDraws) return whole;
    const std::array<std::uint64_t, kTileDraws>& now = gNow->entries[tile];
    const std::array<std::uint64_t, kTileDraws>& last = gLast->entries[tile];
    while (n > begin && m > begin && now[n - 1] == last[m - 1]) --n, --m;
    std::uint32_t lastShared = 0;  // a bit for each of last frame's draws
    int lastIndex = begin - 1;     // that of the shared draw seen last
    bool any = false;
    TilePart part{kTile, kTile, 0, 0};
    const auto add = [&](std::uint64_t entry) {
        const TilePart p = partOf(entry);
        part = {std::min(part.x0, p.x0), std::min(part.y0, p.y0), std::max(part.x1, p.x1),
                std::max(part.y1, p.y1)};
        any = true;
    };
    for (int i = begin; i < n; ++i) {
        int j = begin;
        while (j < m && ((lastShared >> j & 1) || last[j] != now[i])) ++j;
        if (j == m) {
            add(now[i]);
            continue;
        }
        if (j < lastIndex) return whole;
        lastShared |= 1u << j;
        lastIndex = j;
    }
    for (int j = begin; j < m; ++j)
        if (!(lastShared >> j & 1)) add(last[j]);
    // The same draws in the same order hash the same: only a hash that
    // collided could bring this here, and the tile is then drawn whole.
    return any ? part : whole;
}

// How many draws tile i begins with in both frames alike.
int sharedDraws(int tile) {
    const int n = gNow->count[tile], m = gLast->count[tile];
    if (n > kTileDraws || m > kTileDraws) return 0;
    int shared = 0;
    while (shared < n && shared < m &&
           gNow->entries[tile][shared] == gLast->entries[tile][shared])
        ++shared;
    return shared;
}

std::uint64_t firstDrawsHash(int tile, int count) {
    std::uint64_t h = kNoDraws;
    for (int k = 0; k < count; ++k) h = mixed(h, gNow->entries[tile][k]);
    return h;
}

// How the part of tile i drawn now uses the backdrop: it starts from there
// when the backdrop holds draws this frame begins with, and the backdrop
// takes up the `shared` draws both frames begin with when it holds fewer
// and they have held still (see kSteadyChanges). The whole tile is drawn
// then, so that all of it can be kept.
RunLayers backdropLayers(int tile, int shared, TilePart& part) {
    RunLayers layers;
    // A backdrop that does not fit this frame is kept all the same: a thing
    // that passes over a tile's still draws leaves them as they were.
    int held = gBackCount[tile];
    if (held > gNow->count[tile] || (held > 0 && firstDrawsHash(tile, held) != gBackHash[tile]))
        held = 0;
    if (held > 0) {
        // Up to the tile's next draw, or the next over the whole canvas.
        layers.from = static_cast<int>(gNow->at[tile][held - 1]) + 1;
        layers.upTo = held < gNow->count[tile] ? static_cast<int>(gNow->at[tile][held])
                                               : static_cast<int>(gCommands.size());
        for (const std::uint32_t at : gNow->wideAt)
            if (static_cast<int>(at) >= layers.from) {
                layers.upTo = std::min(layers.upTo, static_cast<int>(at));
                break;
            }
    }
    if (shared <= held) return layers;
    const std::uint64_t next = firstDrawsHash(tile, shared);
    if (next != gBackNext[tile]) {
        gBackNext[tile] = next;
        gBackNextSeen[tile] = 0;
    }
    if (++gBackNextSeen[tile] >= kSteadyChanges) {
        layers.keep = static_cast<int>(gNow->at[tile][shared - 1]) + 1;
        part = TilePart{0, 0, kTile, kTile};
        gBackCount[tile] = static_cast<std::uint8_t>(shared);
        gBackHash[tile] = next;
        gBackNextSeen[tile] = 0;
    }
    return layers;
}

// Adds the part x0..x1, y0..y1 of tile row `row` to the runs ending at
// `runs`: joined with the run before when at most `gap` apart in the row
// and the box around both holds at most `spare` pixels more than the two.
void addToRuns(std::array<CanvasRect, kTiles>& list, const std::array<int, kTilesY + 1>& rowRuns,
               int row, int& runs, int x0, int y0, int x1, int y1, int gap, std::int64_t spare) {
    CanvasRect* last = runs > rowRuns[row] ? &list[runs - 1] : nullptr;
    if (last && last->x + last->w >= x0 - gap) {
        const int top = std::min(last->y, y0), bottom = std::max(last->y + last->h, y1);
        const std::int64_t more = std::int64_t{x1 - last->x} * (bottom - top) -
                                  std::int64_t{last->w} * last->h -
                                  std::int64_t{x1 - x0} * (y1 - y0);
        if (more <= spare) {
            last->w = x1 - last->x;
            last->y = top;
            last->h = bottom - top;
            return;
        }
    }
    list[runs++] = CanvasRect{x0, y0, x1 - x0, y1 - y0};
}

// Joins runs down the rows where they line up, into `rects`. With `layers`:
// only where the runs' layers allow, the rectangles' layers in
// `rectLayers` and each run's rectangle in `runRect`.
int joinRuns(const std::array<CanvasRect, kTiles>& runs, const std::array<int, kTilesY + 1>& rowRuns,
             std::array<CanvasRect, kTiles>& rects, const RunLayers* layers = nullptr,
             RunLayers* rectLayers = nullptr, int* runRect = nullptr) {
    int count = 0;
    // The rectangles whose bottom is the top of the row at hand.
    static std::array<int, kTiles> listA, listB;
    int* reaching = listA.data();
    int* next = listB.data();
    int reachingCount = 0;
    for (int ty = 0; ty < kTilesY; ++ty) {
        int nextCount = 0;
        // Both lie left to right: the search goes on from where it stopped.
        int k = 0;
        for (int i = rowRuns[ty]; i < rowRuns[ty + 1]; ++i) {
            const CanvasRect& run = runs[i];
            int found = -1;
            while (k < reachingCount && rects[reaching[k]].x < run.x) ++k;
            if (k < reachingCount) {
                const CanvasRect& above = rects[reaching[k]];
                if (above.x == run.x && above.w == run.w && above.y + above.h == run.y)
                    found = reaching[k];
            }
            if (found >= 0 && layers) {
                const RunLayers& above = rectLayers[found];
                const RunLayers joined{std::max(above.from, layers[i].from),
                                       std::min(above.upTo, layers[i].upTo), -1};
                if (above.keep < 0 && layers[i].keep < 0 && joined.from <= joined.upTo)
                    rectLayers[found] = joined;
                else
                    found = -1;
            }
            if (found >= 0) {
                rects[found].h += run.h;
            } else {
                found = count;
                if (layers) rectLayers[count] = layers[i];
                rects[count++] = run;
            }
            if (runRect) runRect[i] = found;
            // Only a run that reaches the row's bottom can go on below.
            if (run.y + run.h == std::min((ty + 1) * kTile, kCanvasHeight)) next[nextCount++] = found;
        }
        std::swap(reaching, next);
        reachingCount = nextCount;
    }
    return count;
}

// How this frame's draws in tile i began.
TileStart startOf(int i) {
    return gNow->start[i] == TileStart::Untouched ? gNow->wideStart : gNow->start[i];
}

// The parts of tiles whose pixels can differ from the last frame's, as runs
// along each tile row; the changed tiles whole as the outline's runs.
void findDirtyTiles() {
    int runs = 0, outlineRuns = 0;
    gEverything = false;
    gRedrawnPixels = 0;
    gKeepCount = 0;
    if (gBackWide != gNow->wide) {
        gBackCount.fill(0);
        gBackNextSeen.fill(0);
        gBackWide = gNow->wide;
    }
    for (int ty = 0; ty < kTilesY; ++ty) {
        gRowRuns[ty] = runs;
        gOutlineRowRuns[ty] = outlineRuns;
        int lastTile = -2;  // the last changed tile of the row
        const int y = ty * kTile, h = std::min(kTile, kCanvasHeight - y);
        for (int tx = 0; tx < kTilesX; ++tx) {
            const int i = ty * kTilesX + tx;
            const TileStart start = startOf(i);
            const bool changed = start == TileStart::Blended ||
                                 (start == TileStart::Covered && gNow->hash[i] != gLast->hash[i]);
            if (!changed) continue;
            const int x = tx * kTile, w = std::min(kTile, kCanvasWidth - x);
            // A tile that began by blending with what was there is drawn
            // whole, over the last frame's pixels: no backdrop can hold it.
            TilePart part{0, 0, kTile, kTile};
            RunLayers layers;
            if (start == TileStart::Covered) {
                const int shared = sharedDraws(i);
                part = changedPart(i, shared);
                layers = backdropLayers(i, shared, part);
            }
            // A run that takes from the backdrop must not reach over a tile
            // that did not change: nothing says what its backdrop holds.
            RunLayers joined;
            bool joins = false;
            if (runs > gRowRuns[ty]) {
                const RunLayers& last = gRunLayers[runs - 1];
                joined = {std::max(last.from, layers.from), std::min(last.upTo, layers.upTo), -1};
                joins = last.keep < 0 && layers.keep < 0 && joined.from <= joined.upTo &&
                        (joined.from == 0 || lastTile == tx - 1);
            }
            lastTile = tx;
            const int before = runs;
            addToRuns(gRuns, gRowRuns, ty, runs, x + part.x0, y + part.y0,
                      x + std::min(part.x1, w), y + std::min(part.y1, h), joins ? kRunGap : -1,
                      kRunSpare);
            if (runs == before) {
                gRunLayers[runs - 1] = joined;
            } else {
                gRunLayers[before] = layers;
                if (layers.keep >= 0) gKeeps[gKeepCount++] = before;
            }
            // The display takes few large rectangles better than many small.
            addToRuns(gOutlineRuns, gOutlineRowRuns, ty, outlineRuns, x, y, x + w, y + h, kJoinGap,
                      std::int64_t{kCanvasWidth} * kCanvasHeight);
        }
    }
    gRowRuns[kTilesY] = runs;
    gOutlineRowRuns[kTilesY] = outlineRuns;
    for (int i = 0; i < runs; ++i) gRedrawnPixels += std::int64_t{gRuns[i].w} * gRuns[i].h;
    std::sort(gKeeps.begin(), gKeeps.begin() + gKeepCount,
              [](int a, int b) { return gRunLayers[a].keep < gRunLayers[b].keep; });
    gDamageRects =
        joinRuns(gRuns, gRowRuns, gDamage, gRunLayers.data(), gDamageLayers.data(), gRunRect.data());
}

// The frame's outline, and its damage when it is drawn whole.
void joinDamage() {
    if (gEverything) {
        gDamage[0] = gOutline[0] = CanvasRect{0, 0, kCanvasWidth, kCanvasHeight};
        gDamageRects = gOutlineRects = 1;
        return;
    }
    gOutlineRects = joinRuns(gOutlineRuns, gOutlineRowRuns, gOutline);
}

// Carries out every pending command, in bands on every core when it is worth
// it, in the runs drawn in now.
void carryOut() {
    // Draws are cut to the runs even when most of the canvas changed:
    // on the stress scene that still costs less than drawing clean tiles
    // again.
    const std::int64_t pixels =
        gPixelsRecorded * gRedrawnPixels / (std::int64_t{kCanvasWidth} * kCanvasHeight);
    const bool banded = gThreads > 1 && (gForcedThreads > 1 || pixels >= kBandedPixels);
    if (!banded) {
        drawBand(gDrawers[0], Band{0, kCanvasHeight}, gEverything);
    } else {
        for (const Command& c : pendingCommands()) {
            if (c.kind != Command::Kind::Composite) continue;
            readyForSharing(c.draw.source);
            if (c.draw.maskKind == MaskKind::Image) readyForSharing(c.draw.mask);
        }
        const int bands = placeBands(gThreads * kBandsPerThread);
        gBandsDone.store(0);
        gOffer.store(static_cast<std::uint64_t>(bands) << 32);
        gFrame.fetch_add(1);
        gFrame.notify_all();
        drawOfferedBands(gDrawers[0]);
        // Only bands a helper has begun are left: sleep until they are done
        // rather than spin through a helper's time slice.
        for (int done; (done = gBandsDone.load(std::memory_order_acquire)) < bands;)
            gBandsDone.wait(done, std::memory_order_acquire);
        gOffer.store(0);
    }
    if (gChecking) drawBand(gShadow, Band{0, kCanvasHeight}, true);
    gPending = gCommands.size();
    gPixelsRecorded = 0;
}

// Whether this frame's draws are the last frame's, one for one: then its
// pixels are too, unless a tile began by blending with what was beneath.
bool sameDrawsAsLast() {
    if (gLast->blended || gCommands.size() != gLastSignatures.size()) return false;
    for (std::size_t i = 0; i < gCommands.size(); ++i)
        if (gCommands[i].signature != gLastSignatures[i]) return false;
    return true;
}

void forgetCommands() {
    gCommands.clear();
    gPending = 0;
    gPixelsRecorded = 0;
}

}  // namespace

void initCanvas() {
    if (gCanvas) return;
    gBits.assign(static_cast<std::size_t>(kCanvasWidth) * kCanvasHeight, 0);
    gCanvas = pixman_image_create_bits(PIXMAN_x8r8g8b8, kCanvasWidth, kCanvasHeight, gBits.data(),
                                       kCanvasWidth * 4);
    gScratch = pixman_image_create_bits(PIXMAN_a8r8g8b8, 1, 1, &gScratchPixel, 4);
    gBackBits.assign(gBits.size(), 0);
    gBackCount.fill(0);
    gBackNextSeen.fill(0);
    gBackWide.reserve(64);
    gCommands.reserve(4096);
    gLastSignatures.reserve(4096);
    for (TileFrame& f : gTileFrames) {
        f.wide.reserve(64);
        f.wideAt.reserve(64);
    }
    forgetTiles();
    gLastKnown = false;
    startHelpers();
}

void shutdownCanvas() {
    if (!gCanvas) return;
    forgetCommands();
    stopHelpers();
    tearDownDrawer(gShadow);
    gShadowBits.clear();
    gChecking = false;
    pixman_image_unref(gCanvas);
    pixman_image_unref(gScratch);
    gCanvas = gScratch = nullptr;
    gBits.clear();
    gBackBits.clear();
    gBackWide.clear();
}

bool canvasReady() {
    return gCanvas != nullptr;
}

void drawOnCanvas(const CanvasDraw& d) {
    if (!gCanvas || outsideCanvas(d.x, d.y, d.w, d.h)) return;
    Command c;
    c.kind = Command::Kind::Composite;
    c.top = static_cast<int>(std::max<std::int64_t>(d.y, 0));
    c.bottom = static_cast<int>(std::min<std::int64_t>(std::int64_t{d.y} + d.h, kCanvasHeight));
    c.left = static_cast<int>(std::max<std::int64_t>(d.x, 0));
    c.right = static_cast<int>(std::min<std::int64_t>(std::int64_t{d.x} + d.w, kCanvasWidth));
    c.draw = d;
    record(c);
}

void finishDrawingNow() {
    if (pendingCommands().empty()) return;
    // The rest of the frame is not known yet: this part is drawn whole, and
    // so is the rest at the frame's end.
    gWholeFrame = true;
    markEverythingDirty();
    carryOut();
}

void finishFrame() {
    if (!gCanvas) return;
    const bool whole = gWholeFrame || !gLastKnown || !gTracking;
    if (!whole && sameDrawsAsLast()) {
        // Nothing to draw or show, and the tiles are as the last frame
        // left them.
        gEverything = false;
        gRedrawnPixels = 0;
        gDamageRects = gOutlineRects = 0;
        if (gChecking) drawBand(gShadow, Band{0, kCanvasHeight}, true);
    } else {
        // The tiles are marked now, when the frame's draws are all known,
        // so that a frame like the last costs no more than the comparison.
        if (gTracking) markFrame();
        if (whole || gNow->wide != gLast->wide)
            markEverythingDirty();
        else
            findDirtyTiles();
        if (!pendingCommands().empty()) carryOut();
        joinDamage();
        std::swap(gNow, gLast);
        forgetTiles();
        gLastSignatures.clear();
        for (const Command& c : gCommands) gLastSignatures.push_back(c.signature);
    }
    if (gChecking &&
        std::memcmp(gShadowBits.data(), gBits.data(), gBits.size() * sizeof gBits[0]) != 0)
        ++gMismatches;
    forgetCommands();
    gLastKnown = !gSpoiled && gTracking;
    gWholeFrame = gSpoiled = false;
}

std::span<const CanvasRect> frameDamage() {
    return {gDamage.data(), static_cast<std::size_t>(gDamageRects)};
}

std::span<const CanvasRect> frameDamageOutline() {
    return {gOutline.data(), static_cast<std::size_t>(gOutlineRects)};
}

std::uint64_t newPixelsVersion() {
    static std::uint64_t version = 0;
    return ++version;
}

void canvasDrawnDirectly() {
    gWholeFrame = gSpoiled = true;
    // The check's canvas cannot follow a draw it never saw: it starts again
    // from what the canvas holds.
    if (gChecking) gShadowBits = gBits;
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
    forgetCommands();
    Command c;
    c.kind = Command::Kind::Fill;
    c.top = 0;
    c.bottom = kCanvasHeight;
    c.right = kCanvasWidth;
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
    c.left = static_cast<int>(std::max<std::int64_t>(left, 0));
    c.right = static_cast<int>(std::min<std::int64_t>(left + w, kCanvasWidth));
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

void setDamageTracking(bool on) {
    finishDrawingNow();
    gTracking = on;
}

double redrawnShare() {
    return static_cast<double>(gRedrawnPixels) / (std::int64_t{kCanvasWidth} * kCanvasHeight);
}

void checkDamage(bool on) {
    if (!gCanvas || on == gChecking) return;
    finishDrawingNow();
    gChecking = on;
    if (on) {
        gShadowBits = gBits;
        setUpDrawer(gShadow, gShadowBits);
        gMismatches = 0;
    } else {
        tearDownDrawer(gShadow);
        gShadowBits.clear();
    }
}

long long damageMismatches() {
    return gMismatches;
}
