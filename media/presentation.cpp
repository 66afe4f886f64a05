// How the canvas reaches the screen.
//
// With a real graphics card the canvas goes up into one streaming texture and
// the accelerated renderer scales it into the window. Where "accelerated"
// means OpenGL drawn by the processor (llvmpipe and its kin: virtual
// machines, machines without a driver) that costs most of a core at 60
// frames a second, so there the canvas is copied straight into the window's
// own surface instead (X11 shared memory), scaled with pixman only when the
// window differs from the canvas. Either way the canvas keeps its shape, with
// black bands where the window's shape differs. Only what the frame drew
// anew (its damage) is scaled, copied and sent.
#include <SDL.h>
#include <dlfcn.h>
#include <link.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "media/media_internal.h"

namespace media_internal {
namespace {

SDL_Window* gWindow = nullptr;
SDL_Renderer* gRenderer = nullptr;
SDL_Texture* gTexture = nullptr;
bool gOnSurface = false;
std::string gPath = "none";

// The surface path's view of the window's pixels, made again whenever SDL
// hands out another surface (a new size).
SDL_Surface* gSurface = nullptr;
pixman_image_t* gSurfaceImage = nullptr;
// The canvas's pixels once more, scaled to the window: a view of its own, so
// the canvas itself is never seen through a transform.
pixman_image_t* gScaledCanvas = nullptr;
int gPlacedW = 0, gPlacedH = 0;  // the window size the transform was set for
// The window no longer shows the last frame whole: show everything next.
bool gShowAll = true;
// More rectangles than this go as the one box around them all.
constexpr std::size_t kMaxRects = 256;
std::vector<SDL_Rect> gRects;  // the window's rectangles to send
// The window's part the scaled damage reaches, as boxes, and their union.
std::vector<pixman_box32_t> gBoxes;
pixman_region32_t gScaledDamage;

const CanvasRect kWholeCanvas{0, 0, kCanvasWidth, kCanvasHeight};

// The frame's damage to copy or scale: exactly what was drawn anew.
std::span<const CanvasRect> damageToCopy() {
    if (gShowAll) return {&kWholeCanvas, 1};
    return frameDamage();
}

// The rectangles to send: the outline of the damage, or the whole canvas.
std::span<const CanvasRect> damageToShow() {
    static CanvasRect box;
    std::span<const CanvasRect> damage = frameDamageOutline();
    if (gShowAll) return {&kWholeCanvas, 1};
    if (damage.size() <= kMaxRects) return damage;
    int x0 = kCanvasWidth, y0 = kCanvasHeight, x1 = 0, y1 = 0;
    for (const CanvasRect& r : damage) {
        x0 = std::min(x0, r.x);
        y0 = std::min(y0, r.y);
        x1 = std::max(x1, r.x + r.w);
        y1 = std::max(y1, r.y + r.h);
    }
    box = CanvasRect{x0, y0, x1 - x0, y1 - y0};
    return {&box, 1};
}

// The OpenGL renderer string of the renderer just made, whose context is
// current; empty for renderers that are not OpenGL.
std::string glRendererName() {
    SDL_RendererInfo info;
    if (SDL_GetRendererInfo(gRenderer, &info) != 0 || std::strncmp(info.name, "opengl", 6) != 0)
        return "";
    using GetString = const unsigned char* (*)(unsigned int);
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    constexpr unsigned int kGlRenderer = 0x1F01;  // GL_RENDERER
    const unsigned char* name = getString ? getString(kGlRenderer) : nullptr;
    return name ? reinterpret_cast<const char*>(name) : "";
}

// The shared objects loaded in the process, by path.
std::vector<std::string> loadedObjects() {
    std::vector<std::string> names;
    dl_iterate_phdr(
        [](dl_phdr_info* info, std::size_t, void* list) {
            if (info->dlpi_name && info->dlpi_name[0])
                static_cast<std::vector<std::string>*>(list)->push_back(info->dlpi_name);
            return 0;
        },
        &names);
    return names;
}

// Finding out what draws OpenGL means making an OpenGL renderer, which loads
// the GL library and Mesa's driver; taking the renderer down again unloads
// them, and a driver that is gone leaves behind whatever it still held,
// under no name the leak checker could ever match. So everything the
// renderer brought in stays for the life of the process, as it does in any
// program that keeps its OpenGL: marked never to be unloaded, without
// loading anything anew.
void keepObjectsLoadedSince(const std::vector<std::string>& before) {
    for (const std::string& name : loadedObjects())
        if (std::find(before.begin(), before.end(), name) == before.end())
            dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
}

bool drawnByTheProcessor(const std::string& glName) {
    for (const char* software : {"llvmpipe", "softpipe", "swrast", "Software Rasterizer"})
        if (glName.find(software) != std::string::npos) return true;
    return false;
}

void forgetSurfaceImage() {
    if (gSurfaceImage) pixman_image_unref(gSurfaceImage);
    if (gScaledCanvas) pixman_image_unref(gScaledCanvas);
    gSurfaceImage = gScaledCanvas = nullptr;
    gSurface = nullptr;
    gPlacedW = gPlacedH = 0;
}

bool createTexture() {
    if (gTexture) SDL_DestroyTexture(gTexture);
    gTexture = SDL_CreateTexture(gRenderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STREAMING,
                                 kCanvasWidth, kCanvasHeight);
    return gTexture != nullptr;
}

void presentWithRenderer() {
    const std::uint32_t* bits = canvasBits();
    for (const CanvasRect& r : damageToShow()) {
        const SDL_Rect rect{r.x, r.y, r.w, r.h};
        SDL_UpdateTexture(gTexture, &rect,
                          bits + static_cast<std::ptrdiff_t>(r.y) * kCanvasWidth + r.x,
                          kCanvasWidth * 4);
    }
    gShowAll = false;
    SDL_SetRenderDrawColor(gRenderer, 0, 0, 0, 255);
    SDL_RenderClear(gRenderer);
    int w = 0, h = 0;
    SDL_GetWindowSize(gWindow, &w, &h);
    const CanvasPlacement p = canvasPlacement(w, h);
    const SDL_Rect target{p.x, p.y, p.width, p.height};
    SDL_RenderCopy(gRenderer, gTexture, nullptr, &target);
    SDL_RenderPresent(gRenderer);
}

// Points the surface's pixman view at the window's current surface and, for
// a window of another size than the canvas, sets the scaling and paints the
// bands black once; they stay black, since only the canvas's place is
// written afterwards.
bool readySurface() {
    SDL_Surface* surface = SDL_GetWindowSurface(gWindow);
    if (!surface || surface->format->BytesPerPixel != 4) return false;
    if (surface == gSurface && surface->w == gPlacedW && surface->h == gPlacedH) return true;
    forgetSurfaceImage();
    gSurfaceImage =
        pixman_image_create_bits(PIXMAN_x8r8g8b8, surface->w, surface->h,
                                 static_cast<std::uint32_t*>(surface->pixels), surface->pitch);
    gScaledCanvas = pixman_image_create_bits(PIXMAN_x8r8g8b8, kCanvasWidth, kCanvasHeight,
                                             canvasBits(), kCanvasWidth * 4);
    if (!gSurfaceImage || !gScaledCanvas) {
        forgetSurfaceImage();
        return false;
    }
    gSurface = surface;
    gShowAll = true;
    gPlacedW = surface->w;
    gPlacedH = surface->h;
    SDL_FillRect(surface, nullptr, 0);
    const CanvasPlacement p = canvasPlacement(surface->w, surface->h);
    pixman_transform_t scale;
    pixman_transform_init_scale(&scale, pixman_double_to_fixed(double(kCanvasWidth) / p.width),
                                pixman_double_to_fixed(double(kCanvasHeight) / p.height));
    pixman_image_set_transform(gScaledCanvas, &scale);
    pixman_image_set_filter(gScaledCanvas, PIXMAN_FILTER_BILINEAR, nullptr, 0);
    return true;
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) {
    return a / b - (a % b != 0 && (a < 0) != (b < 0));
}

// The window's pixels that canvas pixels x0..x1 reach when scaled from
// `from` to `to` pixels. Bilinear filtering gives window pixel X the canvas
// pixels on either side of ((X + 0.5) * from / to - 0.5), so it reads canvas
// pixel c for X from ((c - 0.5) * to / from - 0.5) up to before
// ((c + 1.5) * to / from - 0.5); a window pixel more on either side spares
// the rounding of pixman's fixed-point scale.
std::pair<int, int> scaledSpan(int x0, int x1, int from, int to) {
    const std::int64_t first = floorDiv((2 * std::int64_t{x0} - 1) * to - from, 2 * from) - 1;
    const std::int64_t last = floorDiv((2 * std::int64_t{x1} + 1) * to - from, 2 * from) + 2;
    return {static_cast<int>(std::max<std::int64_t>(0, first)),
            static_cast<int>(std::min<std::int64_t>(to, last))};
}

void presentOnSurface() {
    if (!readySurface()) return;
    const CanvasPlacement p = canvasPlacement(gSurface->w, gSurface->h);
    const std::span<const CanvasRect> damage = damageToCopy();
    if (damage.empty()) return;  // nothing changed: nothing to send
    const bool locked = SDL_MUSTLOCK(gSurface) ? SDL_LockSurface(gSurface) == 0 : true;
    if (!locked) return;
    gRects.clear();
    if (p.width == kCanvasWidth && p.height == kCanvasHeight) {
        const std::uint32_t* from = canvasBits();
        auto* to = static_cast<unsigned char*>(gSurface->pixels) +
                   static_cast<std::ptrdiff_t>(p.y) * gSurface->pitch + p.x * 4;
        for (const CanvasRect& r : damage)
            for (int row = r.y; row < r.y + r.h; ++row)
                std::memcpy(to + static_cast<std::ptrdiff_t>(row) * gSurface->pitch + r.x * 4,
                            from + static_cast<std::ptrdiff_t>(row) * kCanvasWidth + r.x, r.w * 4);
        for (const CanvasRect& r : damageToShow())
            gRects.push_back(SDL_Rect{p.x + r.x, p.y + r.y, r.w, r.h});
    } else {
        finishDrawingNow();
        // Every window pixel the damage reaches is scaled once, however many
        // of the damage's rectangles reach it: one draw clipped to their
        // union. The scaled canvas is placed at the window's (p.x, p.y).
        gBoxes.clear();
        for (const CanvasRect& r : damage) {
            const auto [x0, x1] = scaledSpan(r.x, r.x + r.w, kCanvasWidth, p.width);
            const auto [y0, y1] = scaledSpan(r.y, r.y + r.h, kCanvasHeight, p.height);
            gBoxes.push_back(pixman_box32_t{p.x + x0, p.y + y0, p.x + x1, p.y + y1});
        }
        pixman_region32_fini(&gScaledDamage);
        pixman_region32_init_rects(&gScaledDamage, gBoxes.data(), static_cast<int>(gBoxes.size()));
        pixman_image_set_clip_region32(gSurfaceImage, &gScaledDamage);
        pixman_image_composite32(PIXMAN_OP_SRC, gScaledCanvas, nullptr, gSurfaceImage, 0, 0, 0, 0,
                                 p.x, p.y, p.width, p.height);
        pixman_image_set_clip_region32(gSurfaceImage, nullptr);
        for (const CanvasRect& r : damageToShow()) {
            const auto [x0, x1] = scaledSpan(r.x, r.x + r.w, kCanvasWidth, p.width);
            const auto [y0, y1] = scaledSpan(r.y, r.y + r.h, kCanvasHeight, p.height);
            gRects.push_back(SDL_Rect{p.x + x0, p.y + y0, x1 - x0, y1 - y0});
        }
    }
    if (SDL_MUSTLOCK(gSurface)) SDL_UnlockSurface(gSurface);
    // A new surface's bands were painted black just now: send them too.
    if (gShowAll)
        SDL_UpdateWindowSurface(gWindow);
    else
        SDL_UpdateWindowSurfaceRects(gWindow, gRects.data(), static_cast<int>(gRects.size()));
    gShowAll = false;
}

}  // namespace

bool openPresentation(SDL_Window* window, bool headless) {
    gWindow = window;
    if (!headless) {
        // Vsync only where the display beats at 60 Hz: elsewhere it would set
        // the game's pace instead of the clock.
        SDL_DisplayMode mode;
        const bool sixty = SDL_GetCurrentDisplayMode(0, &mode) == 0 && mode.refresh_rate >= 59 &&
                           mode.refresh_rate <= 61;
        const std::vector<std::string> before = loadedObjects();
        gRenderer = SDL_CreateRenderer(
            window, -1, SDL_RENDERER_ACCELERATED | (sixty ? SDL_RENDERER_PRESENTVSYNC : 0));
        keepObjectsLoadedSince(before);
    }
    const std::string glName = gRenderer ? glRendererName() : "";
    if (gRenderer && !drawnByTheProcessor(glName) && createTexture()) {
        SDL_RendererInfo info;
        SDL_GetRendererInfo(gRenderer, &info);
        gPath = std::string("accelerated renderer ") + info.name +
                (glName.empty() ? "" : " (" + glName + ")");
        return true;
    }
    // No graphics card to speak of: the window's own surface.
    if (gTexture) SDL_DestroyTexture(gTexture);
    if (gRenderer) SDL_DestroyRenderer(gRenderer);
    gTexture = nullptr;
    gRenderer = nullptr;
    gOnSurface = true;
    // Left to itself SDL would back the window's surface with a renderer
    // again, OpenGL and all; the surface is to be X11's own shared memory.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    if (!readySurface()) {
        std::fprintf(stderr, "pomvex: %s\n", SDL_GetError());
        return false;
    }
    gPath = std::string("window surface (") + SDL_GetCurrentVideoDriver() + ")";
    if (!glName.empty()) gPath += ", instead of OpenGL by " + glName;
    return true;
}

void present() {
    if (gRenderer && gTexture)
        presentWithRenderer();
    else if (gOnSurface)
        presentOnSurface();
}

void presentationDeviceReset() {
    // The texture went with the device; the next flip uploads into a new one.
    if (gRenderer) createTexture();
    gShowAll = true;
}

void presentEverythingNext() {
    gShowAll = true;
}

void closePresentation() {
    forgetSurfaceImage();
    pixman_region32_fini(&gScaledDamage);
    pixman_region32_init(&gScaledDamage);
    if (gTexture) SDL_DestroyTexture(gTexture);
    if (gRenderer) SDL_DestroyRenderer(gRenderer);
    gTexture = nullptr;
    gRenderer = nullptr;
    gOnSurface = false;
    gShowAll = true;
    gWindow = nullptr;
    gPath = "none";
}

}  // namespace media_internal

std::string presentationPath() {
    return media_internal::gPath;
}
