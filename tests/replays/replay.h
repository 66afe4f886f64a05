// The golden replays' harness. A robot plays the whole program, headless,
// from the intro to its exit; the program saves each game it plays as a
// replay, as it does for every player. Golden replays are such files,
// checked by the program's own reader and player.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/session/replay_file.h"
#include "test_support/scratch_folder.h"

struct RobotGame {
    std::uint64_t seed = 1;
    int playerCount = 1;
    int difficulty = 0;
    int customPowerUps = 0;  // custom power-up files made for the run (on when > 0)
    int games = 1;           // games in a row; the later ones end early from the pause
};

struct RobotResult {
    std::vector<ReplayFile> saved;  // the replays the program saved, oldest first
    long long frames = 0;           // frames shown
    int formsTaken = 0, turretsPlaced = 0;
    // With rollbacks: the first state that differed, and how often saving
    // and restoring snapshots allocated.
    std::string stoppedBecause;
    long long snapshotAllocations = 0;
};

// Runs the whole program in a scratch folder with the robot at the keys.
// With a rollback depth, every frame is followed by a rollback of that many
// frames, simulated again undrawn, which must give the very same states (a
// mismatch stops the run and says where); no replay is saved then.
RobotResult playRobot(const RobotGame& game, int rollbackDepth = 0);

// Writes the custom power-up files and pictures a robot game of that many
// custom power-ups has, into the working folder.
void prepareCustomPowerUps(int count);

// Readies a scratch folder to play a replay in: the pictures, and the
// options and custom power-ups it was made with.
void prepareFolderFor(const ScratchFolder& folder, const ReplayFile& replay);

// The program's own check of a replay file (pomvex --verify-replay), in a
// scratch folder with the pictures and the custom power-ups it was made with.
int verifyInScratchFolder(const std::string& path);
