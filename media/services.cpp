// Random numbers and the time of day.
#include <algorithm>
#include <chrono>
#include <ctime>

#include "media/media_layer.h"

namespace {

// xoshiro256**: small, fast, and the same sequence on every compiler and
// standard library, so a seeded replay plays the same game everywhere.
struct Generator {
    std::uint64_t s[4];
    bool seeded = false;

    static std::uint64_t rotl(std::uint64_t x, int k) { return (x << k) | (x >> (64 - k)); }

    void seed(std::uint64_t value) {
        // splitmix64 spreads one number over the whole state.
        for (auto& word : s) {
            value += 0x9E3779B97F4A7C15ull;
            std::uint64_t z = value;
            z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
            z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
            word = z ^ (z >> 31);
        }
        seeded = true;
    }

    std::uint64_t next() {
        const std::uint64_t result = rotl(s[1] * 5, 7) * 9;
        const std::uint64_t t = s[1] << 17;
        s[2] ^= s[0];
        s[3] ^= s[1];
        s[1] ^= s[2];
        s[0] ^= s[3];
        s[2] ^= t;
        s[3] = rotl(s[3], 45);
        return result;
    }
};

Generator gGenerator;
int gFixedHours = -1, gFixedMinutes = 0;

}  // namespace

void seedRandom(std::uint64_t seed) {
    gGenerator.seed(seed);
}

RandomState randomState() {
    RandomState state;
    std::copy(std::begin(gGenerator.s), std::end(gGenerator.s), state.words);
    state.seeded = gGenerator.seeded;
    return state;
}

void setRandomState(const RandomState& state) {
    std::copy(std::begin(state.words), std::end(state.words), gGenerator.s);
    gGenerator.seeded = state.seeded;
}

int random(int max) {
    if (!gGenerator.seeded)
        gGenerator.seed(static_cast<std::uint64_t>(
            std::chrono::steady_clock::now().time_since_epoch().count() ^
            std::chrono::system_clock::now().time_since_epoch().count()));
    if (max <= 0) return 0;
    // Rejection keeps every value equally likely.
    const std::uint64_t range = static_cast<std::uint64_t>(max) + 1;
    const std::uint64_t limit = UINT64_MAX - UINT64_MAX % range;
    std::uint64_t value;
    do {
        value = gGenerator.next();
    } while (value >= limit);
    return static_cast<int>(value % range);
}

TimeOfDay localTimeOfDay() {
    if (gFixedHours >= 0) return {gFixedHours, gFixedMinutes};
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return {local.tm_hour, local.tm_min};
}

void scriptTimeOfDay(int hours, int minutes) {
    gFixedHours = hours;
    gFixedMinutes = minutes;
}
