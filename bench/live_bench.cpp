// What a player's machine pays while the game runs at its own pace: the real
// program on a real (X) display, 20 seconds of the title screen and 20 of a
// game at its limits. Prints the CPU the process takes as a share of one
// core, how evenly frames come, and how the canvas reaches the screen.
// Asserts nothing. Run by bench/live.sh under an Xvfb of its own.
#include <sys/resource.h>
#include <time.h>
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
#include "bench/stress_scene.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"
#include "game/shell/screens.h"
#include "game/shell/sounds.h"
#include "game/shell/start_up.h"
#include "media/media_layer.h"
#include "test_support/scratch_folder.h"

namespace {

using Clock = std::chrono::steady_clock;

double seconds(Clock::duration d) {
    return std::chrono::duration<double>(d).count();
}

double cpuSeconds(int who) {
    rusage use{};
    getrusage(who, &use);
    return use.ru_utime.tv_sec + use.ru_stime.tv_sec +
           (use.ru_utime.tv_usec + use.ru_stime.tv_usec) / 1e6;
}

// CPU seconds of another process so far (the X server), or -1.
double processCpuSeconds(const char* pid) {
    if (!pid) return -1;
    FILE* f = std::fopen(("/proc/" + std::string(pid) + "/stat").c_str(), "r");
    if (!f) return -1;
    char text[1024] = {};
    const size_t n = std::fread(text, 1, sizeof text - 1, f);
    std::fclose(f);
    text[n] = '\0';
    // Fields 14 and 15, user and system ticks, come after the name in (...).
    const char* p = std::strrchr(text, ')');
    if (!p) return -1;
    unsigned long long user = 0, system = 0;
    if (std::sscanf(p + 2, "%*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %llu %llu", &user,
                    &system) != 2)
        return -1;
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

// CPU seconds of this process's audio thread (SDL names it SDLAudio...),
// which does all the mixing; 0 without one.
double mixerCpuSeconds() {
    std::error_code ec;
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task", ec)) {
        const std::string comm = readFileBytes(task.path().string() + "/comm");
        if (comm.rfind("SDLAudio", 0) != 0) continue;
        const std::string id = task.path().filename().string();
        return processCpuSeconds(("self/task/" + id).c_str());
    }
    return 0;
}

// The moments frames were shown, taken at the end of every flip.
std::vector<Clock::time_point> gShown;
// The share of the canvas each of those frames drew anew.
std::vector<double> gRedrawn;
Clock::time_point gStop;

struct Row {
    std::string name;
    double cpuShare = 0, serverShare = -1, mixerShare = 0;
    double median = 0, p99 = 0;
    double redrawn = -1;  // median share of the canvas drawn anew; -1: nothing drawn
    int frames = 0, late = 0;
};

Row measure(const std::string& name, void (*run)()) {
    gShown.clear();
    gShown.reserve(4000);
    gRedrawn.clear();
    gRedrawn.reserve(4000);
    const double cpuBefore = cpuSeconds(RUSAGE_SELF);
    const double serverBefore = processCpuSeconds(std::getenv("POMVEX_XSERVER_PID"));
    const double mixerBefore = mixerCpuSeconds();
    const auto begin = Clock::now();
    gStop = begin + std::chrono::seconds(20);
    run();
    const double wall = seconds(Clock::now() - begin);
    Row row;
    row.name = name;
    row.cpuShare = (cpuSeconds(RUSAGE_SELF) - cpuBefore) / wall;
    row.mixerShare = (mixerCpuSeconds() - mixerBefore) / wall;
    const double serverAfter = processCpuSeconds(std::getenv("POMVEX_XSERVER_PID"));
    if (serverBefore >= 0 && serverAfter >= 0)
        row.serverShare = (serverAfter - serverBefore) / wall;
    std::vector<double> intervals;
    for (std::size_t i = 1; i < gShown.size(); ++i)
        intervals.push_back(seconds(gShown[i] - gShown[i - 1]) * 1000);
    row.frames = static_cast<int>(intervals.size());
    row.median = percentile(intervals, 50);
    row.p99 = percentile(intervals, 99);
    if (!gRedrawn.empty()) row.redrawn = percentile(gRedrawn, 50);
    row.late = static_cast<int>(
        std::count_if(intervals.begin(), intervals.end(), [](double ms) { return ms > 17.5; }));
    return row;
}

void onFlip(void*) {
    gShown.push_back(Clock::now());
    gRedrawn.push_back(redrawnShare());
}

// The title screen until the time is up; then Escape, as a player leaving.
void titleScreen() {
    playMusic(kTitleMusic, true);
    setFlipHook(
        [](void*) {
            onFlip(nullptr);
            scriptMouse(600, 300, false);
            if (Clock::now() >= gStop) scriptKey(key::Escape, true);
        },
        nullptr);
    runTitleScreen();
    scriptedInput(true);
}

void stressGame() {
    setFlipHook(onFlip, nullptr);
    playMusic(kGameMusic, true);
    beginGame();
    buildStressScene();
    for (int frame = 0; Clock::now() < gStop; ++frame) {
        topUpStressScene(frame);
        runGameFrame();
    }
}

// What the machine gives a program that does nothing but sleep to the same
// deadlines: the floor under the frame intervals above, since a shared
// virtual machine wakes sleepers late now and then whatever they do.
void sleepOnly() {
    timespec begin{};
    clock_gettime(CLOCK_MONOTONIC, &begin);
    const long long start = begin.tv_sec * 1'000'000'000LL + begin.tv_nsec;
    for (long long frame = 1; Clock::now() < gStop; ++frame) {
        const long long due = start + frame * 1'000'000'000LL / 60;
        const timespec deadline{static_cast<time_t>(due / 1'000'000'000LL),
                                static_cast<long>(due % 1'000'000'000LL)};
        clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &deadline, nullptr);
        gShown.push_back(Clock::now());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::filesystem::path pictures = argc > 1 ? argv[1] : "Data";
    // The window the options ask for; the canvas's own size by default.
    const int width = argc > 3 ? std::atoi(argv[2]) : kCanvasWidth;
    const int height = argc > 3 ? std::atoi(argv[3]) : kCanvasHeight;
    const ScratchFolder folder;
    folder.linkPictures(pictures);
    writeFileBytes("Data/Optionen.txt", "Anna\r\nBen\r\n2\r\n2\r\n" + std::to_string(width) +
                                            "\r\n" + std::to_string(height) + "\r\n0");
    if (!startUp()) {
        std::fprintf(stderr, "live bench: the game did not start\n");
        return 1;
    }
    scriptedInput(true);
    seedRandom(5);
    // POMVEX_WHOLE_FRAMES=1: every frame drawn and shown whole, as before
    // frames drew only their damage, to compare with.
    if (std::getenv("POMVEX_WHOLE_FRAMES")) setDamageTracking(false);
    // A player reaches the title screen long after the pictures are decoded.
    for (int slot = 0; slot < 4096; ++slot) spriteLoaded(slot);
    // A game without its pictures draws next to nothing: its figures would
    // say nothing about the real one.
    if (!spriteLoaded(kBackgroundImage) || !spriteLoaded(kTitleImage)) {
        std::fprintf(stderr, "live bench: the game's pictures did not load from %s\n",
                     pictures.c_str());
        return 1;
    }

    // With a sound device the title plays its tune and the game its tune
    // and every effect; bench/live.sh gives one (SDL's disk driver into
    // /dev/null, which takes the samples at the real pace) for those rows.
    const std::string with = audioOpen() ? " + sound" : "";
    const Row rows[] = {measure("title screen" + with, titleScreen),
                        measure("stress game" + with, stressGame),
                        measure("sleeping only", sleepOnly)};
    const std::string path = presentationPath();
    setFlipHook(nullptr, nullptr);
    shutDown(false);

    std::printf("Window: %d x %d. Presentation: %s\n\n", width, height, path.c_str());
    std::printf(
        "| 20 s of                    | CPU, %% of a core | of it mixing | X server | "
        "redrawn | frame median ms | p99 ms | frames > 17.5 ms |\n");
    std::printf(
        "|----------------------------|------------------|--------------|----------|"
        "---------|-----------------|--------|------------------|\n");
    for (const Row& r : rows) {
        char server[16] = "-";
        if (r.serverShare >= 0)
            std::snprintf(server, sizeof server, "%.0f %%", r.serverShare * 100);
        char redrawn[16] = "-";
        if (r.redrawn >= 0) std::snprintf(redrawn, sizeof redrawn, "%.0f %%", r.redrawn * 100);
        std::printf("| %-26s | %14.1f %% | %10.2f %% | %8s | %7s | %15.2f | %6.2f | %5d of %6d |\n",
                    r.name.c_str(), r.cpuShare * 100, r.mixerShare * 100, server, redrawn, r.median,
                    r.p99, r.late, r.frames);
    }
    return 0;
}
