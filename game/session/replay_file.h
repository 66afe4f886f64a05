// The replay file: one finished game, enough to play it again exactly.
//
// A replay holds what the game began from (the options that change how it
// plays, the random generator, the values that carry over from the game
// before), the keys held in each of its frames and, every few seconds, a
// digest of the state, so that a replay that would play out differently is
// caught at the first checkpoint instead of showing a game that never was.
// It also names the version, a digest of how this version behaves and of
// the pictures the game collides with, so an incompatible replay is refused
// before it starts.
//
// The file is text, lines read by the line-reader rules. The keys are kept
// as runs: every distinct set of keys once, then "frames.set" pairs.
//
//   pomvex-replay 3
//   version Alpha 1.5.1
//   behaviour <16 hex>        pictures <16 hex>
//   custom <files> <16 hex>   the custom power-up files and their digest
//   options <players> <difficulty> <custom power-ups on>
//   name1 <text>              name2 <text>
//   result <kills1> <hits1> <kills2> <hits2>
//   random <4 x 16 hex> <seeded>
//   fade <alpha>              pause-choice <0 or 1>
//   player <index> <values>   animation <values>
//   keys <set> <codes,... or ->
//   runs <frames>.<set> ...
//   checkpoint <frame or end> <part>:<8 hex> ...
//
// Replays travel between players, so the reader treats every file as
// hostile: numbers are bounded, counts are capped, and a damaged file is
// refused with the line it broke on.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

using KeySet = std::array<std::uint8_t, 32>;  // one bit per key code

// The state at one moment of a replay, digested part by part, so that a
// replay that drifts can say where and in what it first went its own way.
struct Checkpoint {
    long long frame = 0;                                     // -1: the end of the game
    std::vector<std::pair<std::string, std::string>> parts;  // name, digest
    bool operator==(const Checkpoint&) const = default;
};

// Frames in a row on which the same keys were held.
struct InputRun {
    std::uint32_t frames = 0;
    std::uint32_t keySet = 0;  // index into ReplayFile::keySets
    bool operator==(const InputRun&) const = default;
};

// A player's numbers at the start of the game, in the order of the Player
// record's numeric fields.
constexpr int kPlayerValueCount = 23;
constexpr int kAnimationValueCount = 8;

struct ReplayFile {
    std::string version;
    std::string behaviour;  // 16 hex digits
    std::string pictures;   // 16 hex digits
    int customFiles = 0;    // the custom power-up files the game loaded
    std::string customDigest = "0000000000000000";

    int playerCount = 1;  // 1 or 2
    int difficulty = 0;   // 0 to 2
    bool customPowerUps = false;
    std::string name1, name2;
    double kills[2] = {0, 0}, hits[2] = {0, 0};

    std::uint64_t random[4] = {0, 0, 0, 0};
    bool randomSeeded = false;
    double fadeAlpha = 0;
    int pauseChoice = 0;
    std::array<std::array<double, kPlayerValueCount>, 2> players{};
    std::vector<std::array<double, kAnimationValueCount>> animations;

    std::vector<KeySet> keySets;
    std::vector<InputRun> runs;
    std::vector<Checkpoint> checkpoints;

    long long frameCount() const;
};

// Checkpoints are taken every this many frames of a game, and at its end.
constexpr long long kCheckpointInterval = 300;

// Limits of what a reader takes: about four hours of play, and far more key
// sets and animations than a game ever has.
constexpr long long kMaxReplayFrames = 60LL * 60 * 60 * 4;
constexpr std::size_t kMaxKeySets = 4096;
constexpr std::size_t kMaxAnimations = 4096;

std::string formatReplay(const ReplayFile& replay);

// Reads a replay. False for a file that is not one or is damaged; `error`
// then says why ("line 7: a run of no frames").
bool parseReplay(std::string_view bytes, ReplayFile& replay, std::string& error);

// Appends one frame's keys to the runs, adding the key set when it is new.
// False, with nothing appended, when there are kMaxKeySets sets already.
// (Keeping to kMaxReplayFrames is the caller's part.)
bool appendFrame(ReplayFile& replay, const KeySet& keys);

// Where two lists of checkpoints first differ: "frame 750: opponents,
// shots" or "the end: players". Empty when none differs.
std::string firstDrift(const std::vector<Checkpoint>& expected,
                       const std::vector<Checkpoint>& played);
