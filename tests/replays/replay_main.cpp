// pomvex-replay: plays golden replays through the real program headless.
//
//   pomvex-replay check FILE...   fails when a replay's digest has changed,
//                                 naming the first checkpoint that differs
//   pomvex-replay rollback DEPTH FILE...
//                                 the same, with a rollback of DEPTH frames
//                                 after every frame, simulated again undrawn;
//                                 fails at the first state that differs
//   pomvex-replay record FILE SEED PLAYERS DIFFICULTY CUSTOM
//                                 lets a robot play and writes the replay
#include <cstdio>
#include <cstdlib>
#include <string>

#include "test_support/scratch_folder.h"
#include "tests/replays/replay.h"

namespace {

// Reads a replay file; false, after saying so, for one that is not.
bool load(const std::string& path, Replay& replay) {
    if (parseReplay(readFileBytes(path), replay)) return true;
    std::fprintf(stderr, "%s: not a replay\n", path.c_str());
    return false;
}

int check(const std::string& path, int rollbackDepth) {
    Replay replay;
    if (!load(path, replay)) return 1;
    const ReplayResult r = playReplay(replay, false, rollbackDepth);
    if (rollbackDepth > 0)
        std::printf(
            "%s: a rollback of %d after every frame; saving and restoring allocated %lld "
            "times\n",
            path.c_str(), rollbackDepth, r.snapshotAllocations);
    // Snapshots have room for every list a game holds: none may allocate.
    if (r.snapshotAllocations > 0) return 1;
    std::printf("%s: %lld frames, %.0f kills, %.0f hits, digest %s\n", path.c_str(), r.frames,
                r.kills, r.hits, r.digest.c_str());
    if (!r.stoppedBecause.empty()) {
        std::printf("%s: stopped at the first drift, at %s\n", path.c_str(),
                    r.stoppedBecause.c_str());
        return 1;
    }
    if (r.digest != replay.digest) {
        std::printf("%s: digest changed: expected %s, got %s\n", path.c_str(),
                    replay.digest.c_str(), r.digest.c_str());
        const std::string drift = firstDrift(replay.checkpoints, r.checkpoints);
        if (!drift.empty()) std::printf("%s: first drift at %s\n", path.c_str(), drift.c_str());
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "check" && argc > 2) {
        int failures = 0;
        for (int i = 2; i < argc; ++i) failures += check(argv[i], 0);
        return failures == 0 ? 0 : 1;
    }
    if (command == "rollback" && argc > 3 && std::atoi(argv[2]) > 0) {
        int failures = 0;
        for (int i = 3; i < argc; ++i) failures += check(argv[i], std::atoi(argv[2]));
        return failures == 0 ? 0 : 1;
    }
    if (command == "record" && argc == 7) {
        Replay replay;
        replay.seed = std::strtoull(argv[3], nullptr, 10);
        replay.playerCount = std::atoi(argv[4]);
        replay.difficulty = std::atoi(argv[5]);
        replay.customPowerUps = std::atoi(argv[6]);
        const ReplayResult recorded = playReplay(replay, true);
        // Play it back once: the digest in the file is the one playback gives.
        const ReplayResult played = playReplay(replay, false);
        if (played.digest != recorded.digest)
            std::fprintf(stderr, "warning: playback differs from the recording\n");
        replay.digest = played.digest;
        replay.checkpoints = played.checkpoints;
        writeFileBytes(argv[2], formatReplay(replay));
        std::printf("%s: %lld frames, %.0f kills, %.0f hits, %d forms, %d turrets, digest %s\n",
                    argv[2], played.frames, played.kills, played.hits, recorded.formsTaken,
                    recorded.turretsPlaced, played.digest.c_str());
        return 0;
    }
    std::fprintf(stderr,
                 "usage: pomvex-replay check FILE...\n"
                 "       pomvex-replay rollback DEPTH FILE...\n"
                 "       pomvex-replay record FILE SEED PLAYERS DIFFICULTY CUSTOM\n");
    return 2;
}
