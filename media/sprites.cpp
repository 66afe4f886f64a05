// Sprite slots and the canvas, composed with pixman.
//
// Pictures are kept premultiplied ARGB; the transparent colour becomes alpha
// 0 when a picture is loaded, so every draw is one pixman composite.
#include <algorithm>
#include <cmath>
#include <cstring>

#include "media/media_internal.h"

namespace media_internal {
namespace {

// A rectangle of a picture, in its own pixels.
struct Area {
    int x = 0, y = 0, w = 0, h = 0;
};

struct Sprite {
    std::vector<std::uint32_t> pixels;  // premultiplied 0xAARRGGBB
    // For a picture with clear parts: where it holds anything to see. For a
    // large one (the title screen's layers, the auras) the blocks that do,
    // joined along their rows; for a small one (a shot, an item) the box
    // around its visible pixels. Drawing over the canvas touches only these,
    // and so does the frame's damage; elsewhere the picture would leave the
    // canvas as it is anyway.
    bool sparse = false;
    std::vector<Area> visible;
    pixman_image_t* image = nullptr;
    int w = 0, h = 0;
    int clipX = 0, clipY = 0, clipW = 0, clipH = 0;
    int mode = 0;
    bool uniform = false;       // every pixel the same opaque colour
    std::uint64_t version = 0;  // changes whenever the pixels do
    bool pending = false;       // still decoding in the background
    std::size_t ticket = 0;     // its place in the picture queue
};

// A small picture turned to one whole degree, kept so that a shot flying at
// that angle costs a plain composite instead of a bilinear resampling.
struct Turn {
    std::vector<std::uint32_t> pixels;  // premultiplied, the turned picture's box
    pixman_image_t* image = nullptr;
    std::uint64_t version = 0;
    int dx = 0, dy = 0;  // box origin relative to the unturned picture's corner
    int w = 0, h = 0;
    Area shown;  // the box around its visible pixels, within the above
};

struct Rotatable {
    int slot = -1;
    double angle = 0;
    pixman_image_t* view = nullptr;  // shares the slot's pixels, carries the transform
    std::uint64_t viewVersion = 0;
    std::vector<Turn> turns;  // by whole degree, filled on first use; small pictures only
};

// Pictures up to this many pixels keep their turns (a 64 x 64 picture's 360
// turns take about 8 MB); larger ones are resampled every time.
constexpr int kTurnCacheMaxPixels = 64 * 64;

void dropTurns(Rotatable& r) {
    if (r.turns.empty()) return;
    finishDrawingNow();
    for (Turn& t : r.turns)
        if (t.image) pixman_image_unref(t.image);
    r.turns.clear();
}

std::vector<Sprite> gSprites;
std::vector<Rotatable> gRotatables;
std::uint32_t gTransparentRgb = 0xFF00FF;
bool gDrawing = true;

void attach(Sprite& s, int w, int h, int mode);

// Pictures from this size on are looked at for clear blocks.
constexpr std::int64_t kSparseFromPixels = 200 * 200;
constexpr int kBlock = 32;

// The smallest box around the pixels of a w x h picture that are not clear;
// empty when all of them are.
Area visibleBox(const std::vector<std::uint32_t>& pixels, int w, int h) {
    int left = w, right = 0, top = h, bottom = 0;
    for (int y = 0; y < h; ++y) {
        const std::uint32_t* row = &pixels[static_cast<std::size_t>(y) * w];
        int x = 0;
        while (x < w && (row[x] >> 24) == 0) ++x;
        if (x == w) continue;
        int end = w;
        while ((row[end - 1] >> 24) == 0) --end;
        left = std::min(left, x), right = std::max(right, end);
        top = std::min(top, y), bottom = y + 1;
    }
    return right > left ? Area{left, top, right - left, bottom - top} : Area{};
}

void findVisibleAreas(Sprite& s) {
    s.sparse = false;
    s.visible.clear();
    if (std::int64_t{s.w} * s.h < kSparseFromPixels) {
        const Area box = visibleBox(s.pixels, s.w, s.h);
        s.sparse = box.w != s.w || box.h != s.h;
        if (s.sparse && box.w > 0) s.visible.push_back(box);
        return;
    }
    const auto blockVisible = [&s](int bx, int by) {
        for (int y = by; y < std::min(by + kBlock, s.h); ++y)
            for (int x = bx; x < std::min(bx + kBlock, s.w); ++x)
                if (s.pixels[static_cast<std::size_t>(y) * s.w + x] >> 24) return true;
        return false;
    };
    std::int64_t covered = 0;
    std::vector<Area> areas;
    for (int by = 0; by < s.h; by += kBlock) {
        const int h = std::min(kBlock, s.h - by);
        for (int bx = 0; bx < s.w;) {
            if (!blockVisible(bx, by)) {
                bx += kBlock;
                continue;
            }
            int end = bx + kBlock;
            while (end < s.w && blockVisible(end, by)) end += kBlock;
            end = std::min(end, s.w);
            areas.push_back({bx, by, end - bx, h});
            covered += std::int64_t{end - bx} * h;
            bx = end;
        }
    }
    // Worth it only where a good part of the picture can be left out.
    if (covered * 4 > std::int64_t{s.w} * s.h * 3) return;
    s.sparse = true;
    s.visible = std::move(areas);
}

// Fills an empty slot with a prepared picture, handing its pixels over: a
// canvas-sized picture is not copied a second time.
void adopt(Sprite& s, DecodedImage& picture, int mode) {
    s.pixels = std::move(picture.pixels);
    attach(s, picture.width, picture.height, mode);
    s.uniform = picture.uniform;
    findVisibleAreas(s);
}

Sprite* sprite(int slot) {
    if (slot < 0 || slot >= static_cast<int>(gSprites.size())) return nullptr;
    Sprite& s = gSprites[slot];
    if (s.pending) {
        // First use of a picture still in the queue: wait for it here.
        s.pending = false;
        DecodedImage picture;
        if (takePicture(s.ticket, picture)) adopt(s, picture, s.mode);
    }
    return s.image ? &s : nullptr;
}

Sprite& slotForWriting(int slot) {
    if (slot >= static_cast<int>(gSprites.size())) gSprites.resize(slot + 1);
    return gSprites[slot];
}

void release(Sprite& s) {
    if (s.pending) abandonPicture(s.ticket);
    if (s.image) {
        finishDrawingNow();
        pixman_image_unref(s.image);
    }
    s = Sprite{};
}

void attach(Sprite& s, int w, int h, int mode) {
    s.image = pixman_image_create_bits(PIXMAN_a8r8g8b8, w, h, s.pixels.data(), w * 4);
    s.w = s.clipW = w;
    s.h = s.clipH = h;
    s.clipX = s.clipY = 0;
    s.mode = mode;
    s.uniform = false;
    s.sparse = false;
    s.visible.clear();
    s.version = newPixelsVersion();
}

// Draws a picture of one colour at the given opacity as a solid fill, which
// reads nothing but the canvas: the fade overlay covers the whole canvas
// every frame. Rounds like pixman's own IN with a solid mask.
bool composeUniform(const Sprite& s, int x, int y, int opacity) {
    if (!s.uniform) return false;
    const std::uint32_t colour = s.pixels.front();
    auto scale = [opacity](std::uint32_t c) {
        const std::uint32_t t = c * static_cast<std::uint32_t>(opacity) + 0x80;
        return ((t >> 8) + t) >> 8;
    };
    const std::uint32_t premultiplied = scale(colour >> 24) << 24 |
                                        scale((colour >> 16) & 0xFF) << 16 |
                                        scale((colour >> 8) & 0xFF) << 8 | scale(colour & 0xFF);
    CanvasDraw d = canvasDraw(PIXMAN_OP_OVER, nullptr, x, y, s.clipW, s.clipH);
    d.sourceColour = premultiplied;
    drawOnCanvas(d);
    return true;
}

// A draw of the displayed rectangle of a slot, without a mask.
CanvasDraw drawOf(const Sprite& s, pixman_op_t op, int x, int y) {
    CanvasDraw d = canvasDraw(op, s.image, x, y, s.clipW, s.clipH);
    d.sourceVersion = s.version;
    d.srcX = s.clipX;
    d.srcY = s.clipY;
    return d;
}

// Records `base`, a draw of a rectangle of the slot's picture. For an
// operation that leaves the canvas alone where the picture is clear (over,
// out-reverse, add), a sparse picture is drawn only where it has something
// to show.
void drawVisible(const Sprite& s, const CanvasDraw& base) {
    if (!s.sparse) {
        drawOnCanvas(base);
        return;
    }
    for (const Area& a : s.visible) {
        const int left = std::max(a.x, base.srcX), right = std::min(a.x + a.w, base.srcX + base.w);
        const int top = std::max(a.y, base.srcY), bottom = std::min(a.y + a.h, base.srcY + base.h);
        if (left >= right || top >= bottom) continue;
        const std::int64_t x = std::int64_t{base.x} + (left - base.srcX);
        const std::int64_t y = std::int64_t{base.y} + (top - base.srcY);
        if (outsideCanvas(x, y, right - left, bottom - top)) continue;
        CanvasDraw d = base;
        d.x = static_cast<int>(x);
        d.y = static_cast<int>(y);
        d.w = right - left;
        d.h = bottom - top;
        d.srcX = left;
        d.srcY = top;
        drawOnCanvas(d);
    }
}

// Opacity below 255 draws through a solid mask; at 255 pixman's path without
// a mask is the faster.
void setOpacity(CanvasDraw& d, int opacity) {
    if (opacity == 255) return;
    d.maskKind = MaskKind::Solid;
    d.maskColour = static_cast<std::uint32_t>(opacity) << 24;
}

}  // namespace

void shutdownSprites() {
    stopDecoding();
    for (Rotatable& r : gRotatables) {
        if (r.view) pixman_image_unref(r.view);
        dropTurns(r);
    }
    gRotatables.clear();
    for (Sprite& s : gSprites) release(s);
    gSprites.clear();
}

}  // namespace media_internal

using namespace media_internal;

void setTransparentColour(int colour) {
    gTransparentRgb = colourToRgb(colour);
}

int loadSprite(int slot, const std::string& file, int mode) {
    if (slot < 0) return 0;
    Sprite& s = slotForWriting(slot);
    release(s);
    DecodedImage picture;
    if (!decodeImageFile(file, picture)) return 0;
    preparePicture(picture, mode, gTransparentRgb);
    adopt(s, picture, mode);
    return 1;
}

void loadSprites(const SpriteFile* files, int count) {
    // Decoding is most of the start-up's time and each file is independent:
    // queue them all in the order given and let each slot wait for its own
    // picture when it is first used.
    for (int i = 0; i < count; ++i) {
        if (files[i].slot < 0) continue;
        Sprite& s = slotForWriting(files[i].slot);
        release(s);
        s.ticket = queuePicture({files[i].file, files[i].mode, gTransparentRgb});
        s.pending = true;
        s.mode = files[i].mode;
    }
    startDecoding();
}

void freeSprite(int slot) {
    if (slot >= 0 && slot < static_cast<int>(gSprites.size())) release(gSprites[slot]);
}

bool spriteLoaded(int slot) {
    return sprite(slot) != nullptr;
}
int width(int slot) {
    return sprite(slot) ? sprite(slot)->clipW : 0;
}
int height(int slot) {
    return sprite(slot) ? sprite(slot)->clipH : 0;
}
int fullWidth(int slot) {
    return sprite(slot) ? sprite(slot)->w : 0;
}
int fullHeight(int slot) {
    return sprite(slot) ? sprite(slot)->h : 0;
}

void drawOpaque(int slot, int x, int y) {
    if (!gDrawing) return;
    if (Sprite* s = sprite(slot)) drawOnCanvas(drawOf(*s, PIXMAN_OP_SRC, x, y));
}

void drawTransparent(int slot, int x, int y) {
    if (!gDrawing) return;
    if (Sprite* s = sprite(slot)) drawVisible(*s, drawOf(*s, PIXMAN_OP_OVER, x, y));
}

void drawTinted(int slot, int x, int y, int colour) {
    if (!gDrawing) return;
    Sprite* s = sprite(slot);
    if (!s) return;
    // Each colour channel is scaled by the tint while the coverage stays the
    // picture's own: first cut the picture's shape out of the canvas, then
    // add the tinted colours into the hole.
    drawVisible(*s, drawOf(*s, PIXMAN_OP_OUT_REVERSE, x, y));
    CanvasDraw add = drawOf(*s, PIXMAN_OP_ADD, x, y);
    add.maskKind = MaskKind::SolidPerChannel;
    add.maskColour = 0xFF000000u | colourToRgb(colour);
    drawVisible(*s, add);
}

void drawTranslucent(int slot, int x, int y, int opacity) {
    if (!gDrawing) return;
    Sprite* s = sprite(slot);
    if (!s) return;
    opacity = std::clamp(opacity, 0, 255);
    if (opacity == 0) return;
    if (composeUniform(*s, x, y, opacity)) return;
    CanvasDraw d = drawOf(*s, PIXMAN_OP_OVER, x, y);
    setOpacity(d, opacity);
    drawVisible(*s, d);
}

void fillAdditive(int x, int y, int w, int h, int red, int green, int blue) {
    if (!gDrawing) return;
    if (outsideCanvas(x, y, w, h)) return;
    const std::int64_t x0 = std::max<std::int64_t>(x, 0), y0 = std::max<std::int64_t>(y, 0);
    const std::int64_t x1 = std::min<std::int64_t>(std::int64_t{x} + w, kCanvasWidth);
    const std::int64_t y1 = std::min<std::int64_t>(std::int64_t{y} + h, kCanvasHeight);
    CanvasDraw d = canvasDraw(PIXMAN_OP_ADD, nullptr, static_cast<int>(x0), static_cast<int>(y0),
                              static_cast<int>(x1 - x0), static_cast<int>(y1 - y0));
    d.sourceColour = 0xFF000000u | (std::clamp(red, 0, 255) << 16) |
                     (std::clamp(green, 0, 255) << 8) | std::clamp(blue, 0, 255);
    drawOnCanvas(d);
}

void clip(int slot, int x, int y, int w, int h) {
    Sprite* s = sprite(slot);
    if (!s) return;
    x = std::clamp(x, 0, s->w);
    y = std::clamp(y, 0, s->h);
    w = std::clamp(w, 0, s->w - x);
    h = std::clamp(h, 0, s->h - y);
    s->clipX = x;
    s->clipY = y;
    s->clipW = w;
    s->clipH = h;
}

bool collide(int slotA, int xA, int yA, int slotB, int xB, int yB) {
    const Sprite* a = sprite(slotA);
    const Sprite* b = sprite(slotB);
    if (!a || !b) return false;
    const std::int64_t ax = xA, ay = yA, bx = xB, by = yB;
    return bx < ax + a->clipW && ax < bx + b->clipW && ay < by + b->clipH && by < ay + a->clipH;
}

bool collidePixels(int slotA, int xA, int yA, int slotB, int xB, int yB) {
    const Sprite* a = sprite(slotA);
    const Sprite* b = sprite(slotB);
    if (!a || !b) return false;
    const std::int64_t left = std::max<std::int64_t>(xA, xB);
    const std::int64_t top = std::max<std::int64_t>(yA, yB);
    const std::int64_t right =
        std::min<std::int64_t>(std::int64_t{xA} + a->clipW, std::int64_t{xB} + b->clipW);
    const std::int64_t bottom =
        std::min<std::int64_t>(std::int64_t{yA} + a->clipH, std::int64_t{yB} + b->clipH);
    for (std::int64_t y = top; y < bottom; ++y) {
        const std::uint32_t* rowA = &a->pixels[(y - yA + a->clipY) * a->w + a->clipX];
        const std::uint32_t* rowB = &b->pixels[(y - yB + b->clipY) * b->w + b->clipX];
        for (std::int64_t x = left; x < right; ++x)
            if ((rowA[x - xA] >> 24) != 0 && (rowB[x - xB] >> 24) != 0) return true;
    }
    return false;
}

std::uint64_t pictureShape(int slot) {
    const Sprite* s = sprite(slot);
    if (!s) return 0;
    std::uint64_t h = 1469598103934665603ull;
    const auto mix = [&h](std::uint64_t v) { h = (h ^ v) * 1099511628211ull; };
    mix(static_cast<std::uint64_t>(s->w));
    mix(static_cast<std::uint64_t>(s->h));
    // Sixty-four pixels to a word: a whole canvas-sized picture takes a
    // millisecond or two.
    std::uint64_t bits = 0;
    int filled = 0;
    for (std::uint32_t pixel : s->pixels) {
        bits = (bits << 1) | ((pixel >> 24) != 0 ? 1 : 0);
        if (++filled == 64) mix(bits), bits = 0, filled = 0;
    }
    mix(bits);
    return h;
}

void grabCanvas(int slot, int x, int y, int w, int h) {
    if (slot < 0 || !canvasReady() || !gDrawing) return;
    x = std::clamp(x, 0, kCanvasWidth);
    y = std::clamp(y, 0, kCanvasHeight);
    w = std::clamp(w, 0, kCanvasWidth - x);
    h = std::clamp(h, 0, kCanvasHeight - y);
    Sprite& s = slotForWriting(slot);
    if (w == 0 || h == 0) {
        release(s);
        return;
    }
    // The pause screen grabs the same size every time: keep the storage.
    if (!s.image || s.w != w || s.h != h) {
        release(s);
        s.pixels.resize(static_cast<std::size_t>(w) * h);
        attach(s, w, h, 4);
    }
    const std::uint32_t* bits = canvasBits();
    for (int row = 0; row < h; ++row) {
        const std::uint32_t* src = &bits[static_cast<std::size_t>(y + row) * kCanvasWidth + x];
        std::uint32_t* dst = &s.pixels[static_cast<std::size_t>(row) * w];
        for (int col = 0; col < w; ++col) dst[col] = src[col] | 0xFF000000u;
    }
    s.clipX = s.clipY = 0;
    s.clipW = w;
    s.clipH = h;
    s.uniform = false;
    // Every grabbed pixel is opaque, whatever the slot held before.
    s.sparse = false;
    s.visible.clear();
    s.version = newPixelsVersion();
}

void makeRotatable(int number, int slot) {
    if (number < 0) return;
    Sprite* s = sprite(slot);
    if (!s || (s->mode != 4 && s->mode != 12)) return;
    if (number >= static_cast<int>(gRotatables.size())) gRotatables.resize(number + 1);
    Rotatable& r = gRotatables[number];
    r.slot = slot;
    r.angle = 0;
}

void rotate(int number, double degrees, int add) {
    if (number < 0 || number >= static_cast<int>(gRotatables.size())) return;
    Rotatable& r = gRotatables[number];
    if (r.slot < 0) return;
    r.angle = add == 1 ? r.angle + degrees : degrees;
}

double rotation(int number) {
    if (number < 0 || number >= static_cast<int>(gRotatables.size())) return 0;
    return gRotatables[number].angle;
}

namespace {

// The box a picture of w x h covers when turned about its centre, placed at
// (x, y) unturned, and the transform that maps canvas points back into the
// picture: p -> R(-angle)(p - c) + c'. Positive angles turn clockwise on
// screen (y points down).
struct TurnedBox {
    std::int64_t x, y, w, h;
    pixman_transform_t transform;
};

TurnedBox turnedBox(double degrees, std::int64_t x, std::int64_t y, int w, int h) {
    const double radians = degrees * M_PI / 180.0;
    const double c = std::cos(radians), sn = std::sin(radians);
    const double cx = static_cast<double>(x) + w / 2.0, cy = static_cast<double>(y) + h / 2.0;
    const double hw = w / 2.0, hh = h / 2.0;
    const double extentX = std::fabs(c) * hw + std::fabs(sn) * hh;
    const double extentY = std::fabs(sn) * hw + std::fabs(c) * hh;
    TurnedBox box;
    box.x = static_cast<std::int64_t>(std::floor(cx - extentX)) - 1;
    box.y = static_cast<std::int64_t>(std::floor(cy - extentY)) - 1;
    box.w = static_cast<std::int64_t>(std::ceil(2 * extentX)) + 3;
    box.h = static_cast<std::int64_t>(std::ceil(2 * extentY)) + 3;
    pixman_transform_t& t = box.transform;
    pixman_transform_init_identity(&t);
    t.matrix[0][0] = pixman_double_to_fixed(c);
    t.matrix[0][1] = pixman_double_to_fixed(sn);
    t.matrix[0][2] = pixman_double_to_fixed(hw - (c * cx + sn * cy));
    t.matrix[1][0] = pixman_double_to_fixed(-sn);
    t.matrix[1][1] = pixman_double_to_fixed(c);
    t.matrix[1][2] = pixman_double_to_fixed(hh - (-sn * cx + c * cy));
    return box;
}

// The view shares the slot's pixels and carries the transform; the picture
// may have been loaded again or painted over by a grab since it was made,
// and then the kept turns are stale too.
void refreshView(Rotatable& r, Sprite& s) {
    if (r.view && r.viewVersion == s.version) return;
    if (r.view) pixman_image_unref(r.view);
    dropTurns(r);
    r.view = pixman_image_create_bits(PIXMAN_a8r8g8b8, s.w, s.h, s.pixels.data(), s.w * 4);
    pixman_image_set_filter(r.view, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    r.viewVersion = s.version;
}

// The picture turned by a whole number of degrees, resampled once. Turned
// at the origin: the turned picture only moves with x and y, since the
// centre sits at the same fraction of a pixel wherever it is drawn.
const Turn& turnFor(Rotatable& r, Sprite& s, int degrees) {
    if (r.turns.empty()) r.turns.resize(360);
    Turn& turn = r.turns[degrees];
    if (turn.image) return turn;
    const TurnedBox box = turnedBox(degrees, 0, 0, s.w, s.h);
    turn.dx = static_cast<int>(box.x);
    turn.dy = static_cast<int>(box.y);
    turn.w = static_cast<int>(box.w);
    turn.h = static_cast<int>(box.h);
    turn.pixels.assign(static_cast<std::size_t>(turn.w) * turn.h, 0);
    turn.image =
        pixman_image_create_bits(PIXMAN_a8r8g8b8, turn.w, turn.h, turn.pixels.data(), turn.w * 4);
    turn.version = newPixelsVersion();
    pixman_image_set_transform(r.view, &box.transform);
    pixman_image_composite32(PIXMAN_OP_SRC, r.view, nullptr, turn.image, turn.dx, turn.dy, 0, 0, 0,
                             0, turn.w, turn.h);
    turn.shown = visibleBox(turn.pixels, turn.w, turn.h);
    return turn;
}

}  // namespace

void drawRotatable(int number, int x, int y, int opacity) {
    if (!gDrawing) return;
    if (number < 0 || number >= static_cast<int>(gRotatables.size())) return;
    Rotatable& r = gRotatables[number];
    Sprite* s = sprite(r.slot);
    if (!s) return;
    opacity = std::clamp(opacity, 0, 255);
    if (opacity == 0) return;

    double turns = std::fmod(r.angle, 360.0);
    if (turns < 0) turns += 360.0;
    // Small pictures (the shots) turn by whole degrees, a step far below a
    // pixel at their size, so that each angle is resampled only once.
    const bool keepTurns = static_cast<std::int64_t>(s->w) * s->h <= kTurnCacheMaxPixels;
    if (keepTurns && std::isfinite(turns)) {
        turns = std::round(turns);
        if (turns >= 360.0) turns = 0;
    }
    if (!std::isfinite(r.angle) || turns == 0.0) {
        // The common case (the fade overlay, shots flying straight up) needs
        // no resampling at all.
        if (outsideCanvas(x, y, s->w, s->h)) return;
        if (s->clipW == s->w && s->clipH == s->h && composeUniform(*s, x, y, opacity)) return;
        CanvasDraw d = canvasDraw(PIXMAN_OP_OVER, s->image, x, y, s->w, s->h);
        d.sourceVersion = s->version;
        setOpacity(d, opacity);
        drawVisible(*s, d);
        return;
    }
    refreshView(r, *s);

    if (keepTurns) {
        const Turn& turn = turnFor(r, *s, static_cast<int>(turns));
        const Area& shown = turn.shown;
        const std::int64_t tx = std::int64_t{x} + turn.dx + shown.x;
        const std::int64_t ty = std::int64_t{y} + turn.dy + shown.y;
        if (shown.w == 0 || outsideCanvas(tx, ty, shown.w, shown.h)) return;
        CanvasDraw d = canvasDraw(PIXMAN_OP_OVER, turn.image, static_cast<int>(tx),
                                  static_cast<int>(ty), shown.w, shown.h);
        d.srcX = shown.x;
        d.srcY = shown.y;
        d.sourceVersion = turn.version;
        setOpacity(d, opacity);
        drawOnCanvas(d);
        return;
    }

    const TurnedBox box = turnedBox(turns, x, y, s->w, s->h);
    if (outsideCanvas(box.x, box.y, box.w, box.h)) return;
    // A large picture is resampled on the spot, after what is drawn beneath
    // it: its view carries one transform at a time, so this draw cannot wait
    // for the bands. The game turns only the small shots.
    pixman_image_t* target = canvas();
    pixman_image_set_transform(r.view, &box.transform);
    // Source coordinates are canvas coordinates here, so pass the box origin
    // as both source and destination position.
    const std::int64_t x0 = std::max<std::int64_t>(box.x, 0), y0 = std::max<std::int64_t>(box.y, 0);
    const std::int64_t x1 = std::min<std::int64_t>(box.x + box.w, kCanvasWidth);
    const std::int64_t y1 = std::min<std::int64_t>(box.y + box.h, kCanvasHeight);
    pixman_color_t alpha{0, 0, 0, static_cast<std::uint16_t>(opacity * 0x101)};
    pixman_image_t* mask = opacity == 255 ? nullptr : pixman_image_create_solid_fill(&alpha);
    pixman_image_composite32(PIXMAN_OP_OVER, r.view, mask, target, static_cast<int>(x0),
                             static_cast<int>(y0), 0, 0, static_cast<int>(x0), static_cast<int>(y0),
                             static_cast<int>(x1 - x0), static_cast<int>(y1 - y0));
    if (mask) pixman_image_unref(mask);
    canvasDrawnDirectly();
}

void setDrawing(bool on) {
    gDrawing = on;
}
bool drawingOn() {
    return gDrawing;
}

void beginRotated() {}
void endRotated() {}
