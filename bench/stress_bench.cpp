// The stress scene: a frame at the game's own limits, timed through the real
// game frame and split into game logic, composition and flip.
#include "bench/stress_bench.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/percentile.h"
#include "bench/stress_scene.h"
#include "game/session/frame_source.h"
#include "game/session/snapshot.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"
#include "game/shell/pictures.h"
#include "game/shell/start_up.h"
#include "test_support/allocation_count.h"
#include "test_support/scratch_folder.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kFrames = 2400;

double msSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

long peakRssKb() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
    return 0;
}

}  // namespace

void runStressBench(const std::filesystem::path& pictures) {
    const ScratchFolder folder;
    folder.linkPictures(pictures);
    writeFileBytes("Data/Optionen.txt", kStressOptions);
    startUp();
    // A game starts long after the intro, by when every picture is decoded;
    // threads still decoding would take a core from the frame.
    for (int slot = 0; slot < 4096; ++slot) spriteLoaded(slot);
    scriptedInput(true);
    seedRandom(5);
    // POMVEX_WHOLE_FRAMES=1: every frame drawn and shown whole, as before
    // frames drew only their damage, to compare with.
    if (std::getenv("POMVEX_WHOLE_FRAMES")) setDamageTracking(false);
    buildStressScene();

    // Warm up: caches of the CPU and of the text renderer, lists at size.
    for (int i = 0; i < 60; ++i) {
        topUpStressScene(i);
        runGameFrame();
    }

    // Undrawn frames skip flip() as well: they are the logic alone.
    std::vector<double> logicOnly, fullFrame, flipOnly;
    for (int i = 0; i < kFrames; ++i) {
        topUpStressScene(i);
        setDrawing(i % 2 == 0);
        const auto t = Clock::now();
        runGameFrame();
        (i % 2 == 0 ? fullFrame : logicOnly).push_back(msSince(t));
    }
    setDrawing(true);

    // What a rollback of a network game costs: a snapshot saved and put
    // back, and eight frames simulated again undrawn from it.
    Snapshot snapshot;
    game.phase = Phase::Playing;
    std::vector<double> saveRestore, eightUndrawn;
    long long snapshotAllocations = 0;
    for (int i = 0; i < kFrames / 4; ++i) {
        topUpStressScene(i);
        runGameFrame();
        const long long before = allocationCount();
        auto t = Clock::now();
        saveSnapshot(snapshot);
        restoreSnapshot(snapshot);
        const double ms = msSince(t);
        // Only a list longer than it ever was before needs a node more.
        if (i >= 10) snapshotAllocations += allocationCount() - before;
        saveRestore.push_back(ms);
        setDrawing(false);
        t = Clock::now();
        for (int k = 0; k < 8; ++k) {
            topUpStressScene(i);
            takeFrameInput(PadUse::Game);
            stepFrame();
        }
        eightUndrawn.push_back(msSince(t));
        setDrawing(true);
        restoreSnapshot(snapshot);
    }
    for (int i = 0; i < kFrames / 2; ++i) {
        const auto t = Clock::now();
        flip();
        flipOnly.push_back(msSince(t));
    }
    const long rss = peakRssKb();

    // A frame that draws just what the frame before drew: the game's
    // background, opponents and 300 stones where they were, text. Only
    // telling that nothing changed is left to pay for.
    std::vector<double> staticFrames;
    for (int i = 0; i < 400; ++i) {
        const auto t = Clock::now();
        clearCanvas(0);
        drawOpaque(kBackgroundImage, 0, 0);
        for (int k = 0; k < 300; ++k)
            drawTransparent(kStoneShotImage, (k * 37) % 1300, (k * 53) % 700);
        for (int k = 0; k < 7; ++k) drawTransparent(kOpponentImage, 100 + k * 150, 300);
        drawText(20, 20, "Anna: 12 Kills", 0xFFFFFF);
        flip();
        if (i >= 2) staticFrames.push_back(msSince(t));
    }

    // The floor a frame's pixel traffic is measured against.
    std::vector<std::uint32_t> copy(static_cast<std::size_t>(kCanvasWidth) * kCanvasHeight);
    std::vector<double> copies;
    for (int i = 0; i < 200; ++i) {
        const auto t = Clock::now();
        std::memcpy(copy.data(), canvasPixels(), copy.size() * 4);
        copies.push_back(msSince(t));
    }
    const double flipMedian = percentile(flipOnly, 50);
    const double logicMedian = percentile(logicOnly, 50);
    const double logicP99 = percentile(logicOnly, 99);
    const double fullMedian = percentile(fullFrame, 50) - flipMedian;
    const double fullP99 = percentile(fullFrame, 99) - flipMedian;
    const double copyMs = percentile(copies, 50);

    std::printf(
        "Stress scene: 7 opponents with statuses, two players in aura forms, %d shots,\n"
        "%d turrets, %d items under the veil, %d animations, display and fade overlay\n\n",
        game.shots.count(), game.turrets.count(), game.items.count(), game.animations.count());
    std::printf("| part of the frame                          | median ms | p99 ms |\n");
    std::printf("|--------------------------------------------|-----------|--------|\n");
    std::printf("| game logic (drawing switched off)          | %9.3f | %6.3f |\n", logicMedian,
                logicP99);
    std::printf("| composition (full frame minus logic)       | %9.3f | %6.3f |\n",
                fullMedian - logicMedian, fullP99 - logicMedian);
    std::printf("| logic + composition                        | %9.3f | %6.3f |\n", fullMedian,
                fullP99);
    std::printf("| flip (upload and present)                  | %9.3f | %6.3f |\n", flipMedian,
                percentile(flipOnly, 99));
    std::printf("| static frame: drawn as before, shown        | %9.3f | %6.3f |\n",
                percentile(staticFrames, 50), percentile(staticFrames, 99));
    std::printf("| snapshot saved and restored                | %9.3f | %6.3f |\n",
                percentile(saveRestore, 50), percentile(saveRestore, 99));
    std::printf("| eight frames simulated again, undrawn      | %9.3f | %6.3f |\n",
                percentile(eightUndrawn, 50), percentile(eightUndrawn, 99));
    std::printf("\nallocations while saving and restoring, after the first ten of %d: %lld\n",
                kFrames / 4, snapshotAllocations);
    std::printf("\nmemcpy of one canvas: %.3f ms; logic + composition = %.1f canvas copies\n",
                copyMs, fullMedian / copyMs);
    std::printf("peak memory (VmHWM): %.1f MB\n\n", rss / 1024.0);

    shutDown(false);
}
