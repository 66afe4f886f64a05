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
    bool paced = false;      // at 60 frames a second, as a player's machine runs it
};

struct RobotResult {
    std::vector<ReplayFile> saved;  // the replays the program saved, oldest first
    long long frames = 0;           // frames shown
    int formsTaken = 0, turretsPlaced = 0;
    // With rollbacks: the first state that differed, and how often saving
    // and restoring snapshots allocated.
    std::string stoppedBecause;
    long long snapshotAllocations = 0;
    double cpuSeconds = 0;  // of the whole process so far
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

// One machine of a network game on loopback, the robot at its player's keys:
// the whole program, headless, until the host's robot ends the session once
// it has run `frames` frames (a game lasts at most a minute). Prints the session's figures, one
// "name value" a line, and writes the session record to recordPath.
struct NetRobotRun {
    bool hosting = true;
    int port = 0;  // the host's; the guest's host (or a relay in front of it) on 127.0.0.1
    std::uint64_t seed = 1;
    int difficulty = 1;
    long long frames = 600;
    int delay = 2;
    std::string recordPath;
    bool otherPictures = false;  // one picture of another size than the game's
    bool plantDesync = false;    // this machine's state is changed behind the game's back
};
int playNetRobot(const NetRobotRun& run);

// Plays a session record on this machine and prints "final DIGEST".
int playRecordLocally(const std::string& path);
