// Digests of the game's state: the checkpoints of replays, and the whole
// state after a frame for the rollback checks. A digest is FNV-1a over the
// values' bytes, so any change in any value changes it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "game/session/replay_file.h"
#include "game/shell/game_state.h"

struct Digest {
    std::uint64_t h = 1469598103934665603ull;
    void bytes(const void* p, std::size_t n) {
        const auto* b = static_cast<const unsigned char*>(p);
        for (std::size_t i = 0; i < n; ++i) h = (h ^ b[i]) * 1099511628211ull;
    }
    void number(double v) { bytes(&v, sizeof v); }
    void text(std::string_view s) { bytes(s.data(), s.size()); }
    std::string hex() const;
};

// A player's numeric fields in the order the replay file keeps them.
std::array<double, kPlayerValueCount> playerValues(const Player& p);
void setPlayerValues(Player& p, const std::array<double, kPlayerValueCount>& values);

// Everything that moves in a game, part by part, `frame` frames into it.
Checkpoint gameCheckpoint(long long frame);

// Everything a frame step leaves behind, for the rollback checks: what the
// checkpoints take, and the screens and the random generator too.
Checkpoint fullStateCheckpoint();
// The same without what each machine of a network game has of its own (the
// place its own score table gave the last game), which both must agree on.
Checkpoint sharedStateCheckpoint();
