// The four effect scales of a custom power-up: the steps the editor's sliders
// offer, the German step names it shows beside them and the value each step
// writes into the .cpup file. The editor, the file code and the tests all take
// them from here, so a step can never mean two different things.
//
// Texts are Windows-1252 bytes, like every text the programs keep in memory.
#pragma once

#include <cstddef>
#include <span>

struct ScaleStep {
    const char* name;
    double value;
};

struct PowerUpScale {
    std::span<const ScaleStep> steps;
    int startStep;  // where the editor's slider stands when it opens
};

// clang-format off
// Added to a shot's base damage of 1.
inline constexpr ScaleStep kDamageSteps[] = {
    {"Kein Schaden", -1.0},
    {"1/4 Schaden", -0.75},
    {"Halbierter Schaden", -0.5},
    {"3/4 Schaden", -0.25},
    {"Normaler Schaden", 0.0},
    {"1,5 fachen Schaden", 0.5},
    {"Doppelter Schaden", 1.0},
    {"Dreifacher Schaden", 2.0},
    {"Vierfacher Schaden", 3.0},
    {"F\xFC" "nffacher Schaden", 4.0},
};

// Taken off the power-up's timer (which starts at 2000) every frame.
inline constexpr ScaleStep kDurationSteps[] = {
    {"Sehr kurz", 10.0},
    {"Kurz", 8.0},
    {"K\xFC" "rzer", 5.0},
    {"Normal", 4.0},
    {"L\xE4" "nger", 2.0},
    {"Lang", 1.0},
    {"Sehr lang", 0.5},
};

// Added to the base delay of 20 frames between two shots.
inline constexpr ScaleStep kFireDelaySteps[] = {
    {"1/4 Geschwindigkeit", 60.0},
    {"1/3 Geschwindigkeit", 40.0},
    {"Halbe Geschw.", 20.0},
    {"2/3 Geschwindigkeit", 10.0},
    {"Normale Geschw.", 0.0},
    {"4/3 Geschwindigkeit", -5.0},
    {"Doppelte Geschw.", -10.0},
    {"Vierfache Geschw.", -15.0},
    {"Pausenlos", -20.0},
};

// Added to the base walking step of 10 pixels per frame. The two fastest
// steps really add 20 and 30: the fast walkers were meant to feel fast.
inline constexpr ScaleStep kWalkSteps[] = {
    {"1/4 Geschwindigkeit", -7.5},
    {"Halbe Geschw.", -5.0},
    {"3/4 Geschw.", -2.5},
    {"Normale Geschw.", 0.0},
    {"1,5 fache Geschw.", 5.0},
    {"Doppelte Geschw.", 20.0},
    {"Dreifache Geschw.", 30.0},
};

// clang-format on

inline constexpr PowerUpScale kDamageScale{kDamageSteps, 4};
inline constexpr PowerUpScale kDurationScale{kDurationSteps, 3};
inline constexpr PowerUpScale kFireDelayScale{kFireDelaySteps, 4};
inline constexpr PowerUpScale kWalkScale{kWalkSteps, 3};

// The step a slider position stands for; positions off the ends are held at
// the nearest end, so a stray slider value can never read past a table.
inline constexpr const ScaleStep& scaleStep(const PowerUpScale& scale, int step) {
    const int last = static_cast<int>(scale.steps.size()) - 1;
    if (step < 0) step = 0;
    if (step > last) step = last;
    return scale.steps[static_cast<std::size_t>(step)];
}
