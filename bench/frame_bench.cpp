// Measures what a frame costs: composing a game-like frame through the media
// layer, presenting it, and the same frame drawn the way a newcomer would,
// with SDL's own software renderer. Prints one table; asserts nothing.
//
// Run with SDL_VIDEODRIVER=dummy (make bench does) so presenting measures
// the upload and not a display's refresh.
#include <SDL.h>
#include <SDL_ttf.h>
#include <fontconfig/fontconfig.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/percentile.h"
#include "bench/stress_bench.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"
#include "game/shell/picture_catalogue.h"
#include "game/shell/start_up.h"
#include "media/media_layer.h"
#include "test_support/picture_files.h"
#include "test_support/scratch_folder.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFrames = 600;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

struct Stats {
    double median, p99;
};

Stats stats(const std::vector<double>& v) {
    return {percentile(v, 50), percentile(v, 99)};
}

// The frame's pictures, written once into a scratch folder.
void writePictures() {
    TestPicture back(kCanvasWidth, kCanvasHeight, 0xFF6A8F5A);
    for (int y = 0; y < kCanvasHeight; ++y)
        for (int x = 0; x < kCanvasWidth; ++x)
            if ((x / 64 + y / 64) % 2) back.at(x, y) = 0xFF5F8450;
    writeJpeg("back.jpg", back);
    writeJpeg("black.jpg", TestPicture(kCanvasWidth, kCanvasHeight, 0xFF000000));
    TestPicture smiley(100, 100, 0xFFFF00FF);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x)
            if ((x - 50) * (x - 50) + (y - 50) * (y - 50) < 48 * 48) smiley.at(x, y) = 0xFFFFD020;
    writeBmp24("smiley.bmp", smiley);
    TestPicture shot(30, 30, 0xFFFF00FF);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x)
            if ((x - 15) * (x - 15) + (y - 15) * (y - 15) < 12 * 12) shot.at(x, y) = 0xFF808080;
    writeBmp24("shot.bmp", shot);
    TestPicture arrow(30, 30, 0x00000000);
    for (int y = 2; y < 28; ++y)
        for (int x = 12; x < 18; ++x) arrow.at(x, y) = 0xFFC04020;
    writePng("arrow.png", arrow);
}

const char* kTexts[20] = {"Spieler 1's Treffer: 12 Kills: 3 (Tode: 0)   Uhrzeit: 12:34",
                          "Spieler 2's Treffer: 8 Kills: 1 (Tode: 1)",
                          "Spieler 1",
                          "Spieler 2",
                          "Wut",
                          "M\xF6nch",
                          "Schatten",
                          "Zombie",
                          "Angsthase",
                          "Groovyboy",
                          "Miniboy",
                          "Bluttropfen",
                          "Arzt",
                          "Seher",
                          "Riese",
                          "Ironman",
                          "Stein",
                          "Geist",
                          "Engel",
                          "50% Leben"};

// Positions that move a little each frame, like a running game.
int px(int i, int frame) {
    return (i * 137 + frame * 3) % (kCanvasWidth - 100);
}
int py(int i, int frame) {
    return (i * 71 + frame * 2) % (kCanvasHeight - 100);
}

void composeOurs(int frame) {
    drawOpaque(1, 0, 0);
    beginText();
    setTextTransparent();
    for (int i = 0; i < 7; ++i) drawTransparent(3, px(i, frame), py(i, frame));
    for (int i = 0; i < 100; ++i) drawTransparent(4, px(i + 7, frame), py(i + 7, frame));
    for (int i = 0; i < 20; ++i) drawTranslucent(3, px(i + 200, frame), py(i + 200, frame), 128);
    beginRotated();
    for (int i = 0; i < 5; ++i) {
        rotate(5, frame * 7.0 + i * 40, 0);
        drawRotatable(5, px(i + 300, frame), py(i + 300, frame), 255);
    }
    endRotated();
    useFont(6);
    for (int i = 0; i < 20; ++i) drawText(20 + (i % 4) * 330, 12 + (i / 4) * 20, kTexts[i]);
    endText();
    beginRotated();
    drawRotatable(2, 0, 0, 100);
    endRotated();
}

struct Baseline {
    SDL_Surface* target = nullptr;
    SDL_Renderer* renderer = nullptr;
    SDL_Texture *back = nullptr, *smiley = nullptr, *shot = nullptr, *arrow = nullptr;
    std::vector<SDL_Texture*> texts;
    TTF_Font* font = nullptr;
};

SDL_Texture* loadTexture(SDL_Renderer* r, const char* file, bool key) {
    SDL_Surface* s = SDL_LoadBMP(file);
    if (!s) return nullptr;
    if (key) SDL_SetColorKey(s, SDL_TRUE, SDL_MapRGB(s->format, 255, 0, 255));
    SDL_Texture* t = SDL_CreateTextureFromSurface(r, s);
    SDL_FreeSurface(s);
    return t;
}

std::string arialPath() {
    FcInit();
    FcPattern* p = FcNameParse(reinterpret_cast<const FcChar8*>("Arial"));
    FcConfigSubstitute(nullptr, p, FcMatchPattern);
    FcDefaultSubstitute(p);
    FcResult result;
    FcPattern* m = FcFontMatch(nullptr, p, &result);
    FcChar8* file = nullptr;
    std::string path;
    if (m && FcPatternGetString(m, FC_FILE, 0, &file) == FcResultMatch) path = (const char*)file;
    if (m) FcPatternDestroy(m);
    FcPatternDestroy(p);
    return path;
}

Baseline makeBaseline() {
    Baseline b;
    b.target = SDL_CreateRGBSurfaceWithFormat(0, kCanvasWidth, kCanvasHeight, 32,
                                              SDL_PIXELFORMAT_ARGB8888);
    b.renderer = SDL_CreateSoftwareRenderer(b.target);
    // The same pictures as the layer draws; the background is filled in
    // from the layer's own canvas before the run.
    b.back = SDL_CreateTexture(b.renderer, SDL_PIXELFORMAT_RGB888, SDL_TEXTUREACCESS_STATIC,
                               kCanvasWidth, kCanvasHeight);
    b.smiley = loadTexture(b.renderer, "smiley.bmp", true);
    b.shot = loadTexture(b.renderer, "shot.bmp", true);
    b.arrow = loadTexture(b.renderer, "smiley.bmp", true);
    TTF_Init();
    b.font = TTF_OpenFont(arialPath().c_str(), 13);
    for (const char* t : kTexts) {
        SDL_Surface* s = TTF_RenderText_Blended(b.font, t, SDL_Color{0, 0, 0, 255});
        b.texts.push_back(SDL_CreateTextureFromSurface(b.renderer, s));
        SDL_FreeSurface(s);
    }
    return b;
}

void composeBaseline(Baseline& b, int frame) {
    SDL_Renderer* r = b.renderer;
    SDL_RenderCopy(r, b.back, nullptr, nullptr);
    SDL_Rect d{0, 0, 100, 100};
    SDL_SetTextureAlphaMod(b.smiley, 255);
    for (int i = 0; i < 7; ++i) {
        d = {px(i, frame), py(i, frame), 100, 100};
        SDL_RenderCopy(r, b.smiley, nullptr, &d);
    }
    for (int i = 0; i < 100; ++i) {
        d = {px(i + 7, frame), py(i + 7, frame), 30, 30};
        SDL_RenderCopy(r, b.shot, nullptr, &d);
    }
    SDL_SetTextureAlphaMod(b.smiley, 128);
    for (int i = 0; i < 20; ++i) {
        d = {px(i + 200, frame), py(i + 200, frame), 100, 100};
        SDL_RenderCopy(r, b.smiley, nullptr, &d);
    }
    for (int i = 0; i < 5; ++i) {
        d = {px(i + 300, frame), py(i + 300, frame), 100, 100};
        SDL_RenderCopyEx(r, b.arrow, nullptr, &d, frame * 7.0 + i * 40, nullptr, SDL_FLIP_NONE);
    }
    for (int i = 0; i < 20; ++i) {
        int w, h;
        SDL_QueryTexture(b.texts[i], nullptr, nullptr, &w, &h);
        d = {20 + (i % 4) * 330, 12 + (i / 4) * 20, w, h};
        SDL_RenderCopy(r, b.texts[i], nullptr, &d);
    }
    SDL_SetRenderDrawBlendMode(r, SDL_BLENDMODE_BLEND);
    SDL_SetRenderDrawColor(r, 0, 0, 0, 100);
    SDL_RenderFillRect(r, nullptr);
}

// The clock both the bench and its child read; steady_clock is system-wide.
long long monotonicNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now().time_since_epoch())
        .count();
}

// The child of timeToFirstFlip: runs the real program in the current folder
// and, at its first flip, prints the monotonic clock and leaves.
int runToFirstFlip() {
    setFlipHook(
        [](void*) {
            std::printf("%lld\n", monotonicNs());
            std::fflush(stdout);
            std::_Exit(0);
        },
        nullptr);
    return runProgram();
}

constexpr int kStartUpRuns = 7;

// From just before the process is started to its first flip, as a player
// waits for it: loading the program and its libraries included. Runs in the
// current folder; the median of a few runs.
double timeToFirstFlip(const char* self) {
    std::vector<double> runs;
    for (int i = 0; i < kStartUpRuns; ++i) {
        int out[2];
        if (pipe(out) != 0) return -1;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addclose(&actions, out[0]);
        char* const args[] = {const_cast<char*>(self), const_cast<char*>("--first-flip"), nullptr};
        const long long beginNs = monotonicNs();
        pid_t child = 0;
        const int failed = posix_spawn(&child, self, &actions, nullptr, args, environ);
        posix_spawn_file_actions_destroy(&actions);
        close(out[1]);
        char text[64] = {};
        const ssize_t got = failed ? 0 : read(out[0], text, sizeof text - 1);
        close(out[0]);
        if (!failed) waitpid(child, nullptr, 0);
        if (got <= 0) return -1;
        runs.push_back((std::atoll(text) - beginNs) / 1e6);
    }
    return stats(runs).median;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--first-flip") == 0) return runToFirstFlip();
    const std::filesystem::path home = std::filesystem::current_path();
    {
        // Start-up to the first flip, with the game's own pictures where the
        // run folder has them.
        const ScratchFolder folder;
        folder.linkPictures(home / "Data");
        writeFileBytes("Data/Optionen.txt", "Eins\r\nZwei\r\n1\r\n0\r\n1366\r\n768\r\n0");
        // For comparison: start-up with every picture of the catalogue decoded,
        // which the first flip no longer waits for.
        const auto startUpBegin = Clock::now();
        startUp();
        for (int i = 0; i < kPictureCount; ++i) spriteLoaded(kPictureTable[i].slot);
        const double allPicturesMs = msSince(startUpBegin);
        shutDown(false);
        const double firstFlipMs = timeToFirstFlip("/proc/self/exe");

        initMedia();
        openScreen(kCanvasWidth, kCanvasHeight, "Pomvex bench");
        writePictures();
        setTransparentColour(rgb(255, 0, 255));
        loadSprite(1, "back.jpg", 12);
        loadSprite(2, "black.jpg", 4);
        makeRotatable(2, 2);
        loadSprite(3, "smiley.bmp", 0);
        loadSprite(4, "shot.bmp", 0);
        loadSprite(5, "arrow.png", 12);
        makeRotatable(5, 5);
        loadFont(6, "Arial", 13);

        std::vector<double> ours, flips, baseline;
        for (int frame = 0; frame < kFrames + 30; ++frame) {
            auto t = Clock::now();
            composeOurs(frame);
            finishDrawing();
            const double compose = msSince(t);
            t = Clock::now();
            flip();
            const double present = msSince(t);
            if (frame >= 30) {  // after the text cache and the caches of the CPU have settled
                ours.push_back(compose);
                flips.push_back(present);
            }
        }

        Baseline b = makeBaseline();
        // Give the baseline the same background picture.
        drawOpaque(1, 0, 0);
        SDL_UpdateTexture(b.back, nullptr, canvasPixels(), kCanvasWidth * 4);
        for (int frame = 0; frame < kFrames + 30; ++frame) {
            const auto t = Clock::now();
            composeBaseline(b, frame);
            if (frame >= 30) baseline.push_back(msSince(t));
        }

        const Stats o = stats(ours), f = stats(flips), base = stats(baseline);
        std::printf("\nPomvex frame benchmark (%d frames, %s video driver)\n\n", kFrames,
                    SDL_GetCurrentVideoDriver());
        std::printf("| measure                                   | median ms | p99 ms |\n");
        std::printf("|-------------------------------------------|-----------|--------|\n");
        std::printf("| game-like frame, media layer (pixman)     | %9.3f | %6.3f |\n", o.median, o.p99);
        std::printf("| flip: upload and present                  | %9.3f | %6.3f |\n", f.median, f.p99);
        std::printf("| same frame, SDL software renderer         | %9.3f | %6.3f |\n", base.median,
                    base.p99);
        std::printf("\nbaseline / ours (median): %.1fx\n", base.median / o.median);
        std::printf("start-up, process start to the first flip (median of %d): %.1f ms\n", kStartUpRuns,
                    firstFlipMs);
        std::printf("start-up with every picture decoded (in process): %.1f ms\n\n", allPicturesMs);

        for (SDL_Texture* t : b.texts) SDL_DestroyTexture(t);
        SDL_DestroyRenderer(b.renderer);
        SDL_FreeSurface(b.target);
        TTF_CloseFont(b.font);
        shutdownMedia();
    }
    runStressBench(home / "Data");
    return 0;
}
