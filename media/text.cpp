// Text through SDL_ttf, faces found by fontconfig ("Arial" resolves to the
// metric-compatible Liberation Sans). Each distinct text is rendered once into
// an alpha mask and then composed in any colour; the status line changes a
// few times a second at most, everything else hardly ever.
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <unordered_map>

#include "base/encoding.h"
#include "media/media_internal.h"

namespace media_internal {
namespace {

struct Font {
    TTF_Font* ttf = nullptr;
};

struct RenderedText {
    std::vector<std::uint8_t> alpha;
    pixman_image_t* mask = nullptr;
    std::uint64_t version = 0;  // of the mask's pixels
    int w = 0, h = 0;
    std::uint64_t lastUse = 0;
};

// Font 0 is the default used before useFont; the game numbers its own 1 to 6.
constexpr int kFontSlots = 8;
constexpr const char* kDefaultFace = "Arial";
constexpr int kDefaultSize = 16;
// Beyond this many cached texts, those not drawn lately are dropped.
constexpr std::size_t kCacheLimit = 2048;

std::array<Font, kFontSlots> gFonts;
int gCurrentFont = 0;
std::uint32_t gTextRgb = 0;
bool gTextTransparent = false;
std::uint64_t gUseCounter = 0;
std::unordered_map<std::string, RenderedText> gCache;
std::string gKey;  // reused lookup key: no allocation per drawn text
bool gTtfReady = false;
bool gFontconfigReady = false;

std::string resolveFace(const std::string& face) {
    std::string path;
    if (!gFontconfigReady) gFontconfigReady = FcInit();
    if (!gFontconfigReady) return path;
    FcPattern* pattern = FcNameParse(reinterpret_cast<const FcChar8*>(face.c_str()));
    if (!pattern) return path;
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    if (match) {
        FcChar8* file = nullptr;
        if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
            path = reinterpret_cast<const char*>(file);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return path;
}

void openFont(int id, const std::string& face, int size) {
    if (!gTtfReady) gTtfReady = TTF_Init() == 0;
    if (!gTtfReady) return;
    Font& f = gFonts[id];
    if (f.ttf) TTF_CloseFont(f.ttf);
    f.ttf = nullptr;
    const std::string path = resolveFace(face);
    if (!path.empty()) f.ttf = TTF_OpenFont(path.c_str(), std::max(size, 1));
    // Texts rendered with the old face are stale now.
    finishDrawingNow();
    for (auto it = gCache.begin(); it != gCache.end();) {
        if (static_cast<unsigned char>(it->first[0]) == id) {
            if (it->second.mask) pixman_image_unref(it->second.mask);
            it = gCache.erase(it);
        } else {
            ++it;
        }
    }
}

TTF_Font* currentFont() {
    if (!gFonts[gCurrentFont].ttf && gCurrentFont == 0) openFont(0, kDefaultFace, kDefaultSize);
    return gFonts[gCurrentFont].ttf;
}

void trimCache() {
    if (gCache.size() < kCacheLimit) return;
    finishDrawingNow();
    const std::uint64_t keepAfter = gUseCounter - kCacheLimit / 2;
    for (auto it = gCache.begin(); it != gCache.end();) {
        if (it->second.lastUse < keepAfter) {
            if (it->second.mask) pixman_image_unref(it->second.mask);
            it = gCache.erase(it);
        } else {
            ++it;
        }
    }
}

const RenderedText* rendered(std::string_view text) {
    TTF_Font* font = currentFont();
    if (!font || text.empty()) return nullptr;
    gKey.assign(1, static_cast<char>(gCurrentFont));
    gKey.append(text);
    ++gUseCounter;
    auto found = gCache.find(gKey);
    if (found != gCache.end()) {
        found->second.lastUse = gUseCounter;
        return &found->second;
    }
    trimCache();
    RenderedText entry;
    entry.lastUse = gUseCounter;
    const std::string utf8 = cp1252ToUtf8(text);
    SDL_Surface* surface =
        TTF_RenderUTF8_Blended(font, utf8.c_str(), SDL_Color{255, 255, 255, 255});
    if (surface) {
        SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(surface);
        if (argb) {
            entry.w = argb->w;
            entry.h = argb->h;
            const int stride = (argb->w + 3) & ~3;
            entry.alpha.assign(static_cast<std::size_t>(stride) * argb->h, 0);
            SDL_LockSurface(argb);
            for (int y = 0; y < argb->h; ++y) {
                const auto* row = reinterpret_cast<const std::uint32_t*>(
                    static_cast<const std::uint8_t*>(argb->pixels) + y * argb->pitch);
                for (int x = 0; x < argb->w; ++x)
                    entry.alpha[static_cast<std::size_t>(y) * stride + x] =
                        static_cast<std::uint8_t>(row[x] >> 24);
            }
            SDL_UnlockSurface(argb);
            SDL_FreeSurface(argb);
            entry.mask = pixman_image_create_bits(
                PIXMAN_a8, entry.w, entry.h, reinterpret_cast<std::uint32_t*>(entry.alpha.data()),
                stride);
            entry.version = newPixelsVersion();
        }
    } else {
        // Nothing to draw (a text of blanks in some faces), but it still has a width.
        int w = 0, h = 0;
        TTF_SizeUTF8(font, utf8.c_str(), &w, &h);
        entry.w = w;
        entry.h = h;
    }
    auto placed = gCache.emplace(gKey, std::move(entry));
    return &placed.first->second;
}

}  // namespace

void shutdownText() {
    for (auto& [key, entry] : gCache)
        if (entry.mask) pixman_image_unref(entry.mask);
    gCache.clear();
    for (Font& f : gFonts) {
        if (f.ttf) TTF_CloseFont(f.ttf);
        f.ttf = nullptr;
    }
    if (gTtfReady) TTF_Quit();
    gTtfReady = false;
    if (gFontconfigReady) FcFini();
    gFontconfigReady = false;
}

}  // namespace media_internal

using namespace media_internal;

void beginText() {
    gTextRgb = 0;
    gTextTransparent = false;
    gCurrentFont = 0;
}

void endText() {
    gCurrentFont = 0;
}

void loadFont(int id, const std::string& face, int size) {
    if (id < 1 || id >= kFontSlots) return;
    openFont(id, face, size);
}

void useFont(int id) {
    if (id >= 1 && id < kFontSlots && gFonts[id].ttf) gCurrentFont = id;
}

void setTextColour(int colour) {
    gTextRgb = colourToRgb(colour);
}
void setTextTransparent() {
    gTextTransparent = true;
}

namespace {

void drawTextIn(int x, int y, std::string_view text, std::uint32_t rgb) {
    const RenderedText* t = rendered(text);
    if (!drawingOn()) return;
    if (!t || outsideCanvas(x, y, t->w, t->h)) return;
    if (!gTextTransparent) {
        CanvasDraw box = canvasDraw(PIXMAN_OP_SRC, nullptr, x, y, t->w, t->h);
        box.sourceColour = 0xFFFFFFFFu;
        drawOnCanvas(box);
    }
    if (t->mask) {
        CanvasDraw d = canvasDraw(PIXMAN_OP_OVER, nullptr, x, y, t->w, t->h);
        d.sourceColour = 0xFF000000u | rgb;
        d.mask = t->mask;
        d.maskVersion = t->version;
        d.maskKind = MaskKind::Image;
        drawOnCanvas(d);
    }
}

}  // namespace

void drawText(int x, int y, std::string_view text, int colour) {
    drawTextIn(x, y, text, colourToRgb(colour));
}

void drawText(int x, int y, std::string_view text) {
    drawTextIn(x, y, text, gTextRgb);
}

int textWidth(std::string_view text) {
    const RenderedText* t = rendered(text);
    return t ? t->w : 0;
}
