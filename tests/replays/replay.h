// Replays: a seed, the starting options and the input of every frame. Played
// back through the real program, headless, a replay must always end in the
// same state; its digest is kept in the file, so any change in behaviour
// shows up as a different digest.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FrameInput {
    std::vector<int> keys;  // scan codes held
    int mouseX = 0, mouseY = 0;
    bool button = false;
    bool operator==(const FrameInput&) const = default;
};

struct Replay {
    std::uint64_t seed = 1;
    int playerCount = 1;
    int difficulty = 0;
    int customPowerUps = 0;  // custom power-up files made for the run (on when > 0)
    std::string digest;      // expected, as printed by playReplay
    std::vector<FrameInput> frames;
};

std::string formatReplay(const Replay& replay);
// False for a file that is not a replay.
bool parseReplay(const std::string& text, Replay& replay);

struct ReplayResult {
    std::string digest;
    long long frames = 0;  // frames shown
    double kills = 0, hits = 0;
    int formsTaken = 0, turretsPlaced = 0;
};

// Runs the whole program in a scratch folder under the given input. With
// `record` the input comes from a playing robot instead and is written into
// replay.frames.
ReplayResult playReplay(Replay& replay, bool record);
