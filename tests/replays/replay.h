// Replays: a seed, the starting options and the input of every frame. Played
// back through the real program, headless, a replay must always end in the
// same state; its digest is kept in the file, so any change in behaviour
// shows up as a different digest.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "media/media_layer.h"

// The state at one moment of a replay, digested part by part, so that a
// replay that drifts can say where and in what it first went its own way.
// Taken every 250 game frames and once at the end (frame -1), where the
// score and options files join in.
struct Checkpoint {
    long long frame = 0;
    std::vector<std::pair<std::string, std::string>> parts;  // name, digest
    bool operator==(const Checkpoint&) const = default;
};

struct Replay {
    std::uint64_t seed = 1;
    int playerCount = 1;
    int difficulty = 0;
    int customPowerUps = 0;               // custom power-up files made for the run (on when > 0)
    std::string digest;                   // expected, as printed by playReplay
    std::vector<Checkpoint> checkpoints;  // expected
    std::vector<FrameInput> frames;
};

std::string formatReplay(const Replay& replay);
// False for a file that is not a replay.
bool parseReplay(const std::string& text, Replay& replay);

struct ReplayResult {
    std::string digest;
    std::vector<Checkpoint> checkpoints;
    long long frames = 0;  // frames shown
    double kills = 0, hits = 0;
    int formsTaken = 0, turretsPlaced = 0;
    // Why playback stopped before the end ("frame 750: opponents"); empty
    // when it played through.
    std::string stoppedBecause;
    // With rollbacks: how often saving and restoring snapshots allocated.
    long long snapshotAllocations = 0;
};

// Runs the whole program in a scratch folder under the given input. With
// `record` the input comes from a playing robot instead and is written into
// replay.frames. With a rollback depth, every frame is followed by a
// rollback of that many frames, simulated again undrawn, which must give the
// very same states (a mismatch stops the run and says where).
ReplayResult playReplay(Replay& replay, bool record, int rollbackDepth = 0);

// Where a played replay first differs from the expected checkpoints: "frame
// 750: opponents, shots" or "the end: scores". Empty when none differs.
std::string firstDrift(const std::vector<Checkpoint>& expected,
                       const std::vector<Checkpoint>& played);
