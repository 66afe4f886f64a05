// pomvex-replay: the golden replays, headless.
//
//   pomvex-replay check FILE...   plays each replay with the program's own
//                                 check (pomvex --verify-replay) in a folder
//                                 made like the recording's
//   pomvex-replay rollback DEPTH SEED PLAYERS DIFFICULTY CUSTOM
//                                 lets the robot play the whole program with
//                                 a rollback of DEPTH frames after every
//                                 frame, simulated again undrawn; fails at
//                                 the first state that differs
//   pomvex-replay record FILE SEED PLAYERS DIFFICULTY CUSTOM
//                                 lets the robot play and writes the replay
//                                 the program saved
//   pomvex-replay net host|join PORT SEED DIFFICULTY FRAMES DELAY RECORD [other-pictures|desync]
//                                 one machine of a network game on loopback
//                                 with the robot at its keys (see replay.h)
//   pomvex-replay net-local RECORD
//                                 plays a session record on one machine
//   pomvex-replay paced SEED PLAYERS DIFFICULTY CUSTOM
//                                 the robot's game at 60 frames a second,
//                                 headless; prints its frames and CPU time
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "test_support/scratch_folder.h"
#include "tests/replays/replay.h"

namespace {

RobotGame robotGame(char** args) {
    RobotGame g;
    g.seed = std::strtoull(args[0], nullptr, 10);
    g.playerCount = std::atoi(args[1]);
    g.difficulty = std::atoi(args[2]);
    g.customPowerUps = std::atoi(args[3]);
    return g;
}

int rollback(int depth, const RobotGame& g) {
    const RobotResult r = playRobot(g, depth);
    std::printf(
        "a rollback of %d after each of %lld frames; saving and restoring allocated %lld "
        "times\n",
        depth, r.frames, r.snapshotAllocations);
    if (!r.stoppedBecause.empty()) std::printf("stopped: %s\n", r.stoppedBecause.c_str());
    // Snapshots have room for every list a game holds: none may allocate.
    return r.stoppedBecause.empty() && r.snapshotAllocations == 0 ? 0 : 1;
}

int record(const std::string& path, const RobotGame& g) {
    const RobotResult r = playRobot(g);
    if (r.saved.size() != 1) {
        std::fprintf(stderr, "the program saved %zu replays instead of one\n", r.saved.size());
        return 1;
    }
    writeFileBytes(path, formatReplay(r.saved[0]));
    std::printf("%s: %lld frames, %d forms, %d turrets, %zu bytes\n", path.c_str(),
                r.saved[0].frameCount(), r.formsTaken, r.turretsPlaced,
                formatReplay(r.saved[0]).size());
    return verifyInScratchFolder(path);
}

}  // namespace

int main(int argc, char** argv) {
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "check" && argc > 2) {
        int failures = 0;
        for (int i = 2; i < argc; ++i) failures += verifyInScratchFolder(argv[i]);
        return failures == 0 ? 0 : 1;
    }
    if (command == "rollback" && argc == 7 && std::atoi(argv[2]) > 0)
        return rollback(std::atoi(argv[2]), robotGame(argv + 3));
    if (command == "record" && argc == 7) return record(argv[2], robotGame(argv + 3));
    const std::string option = argc == 10 ? argv[9] : "";
    if (command == "net" && (argc == 9 || option == "other-pictures" || option == "desync")) {
        NetRobotRun run;
        run.hosting = std::string(argv[2]) == "host";
        run.port = std::atoi(argv[3]);
        run.seed = std::strtoull(argv[4], nullptr, 10);
        run.difficulty = std::atoi(argv[5]);
        run.frames = std::atoll(argv[6]);
        run.delay = std::atoi(argv[7]);
        run.recordPath = argv[8];
        run.otherPictures = option == "other-pictures";
        run.plantDesync = option == "desync";
        return playNetRobot(run);
    }
    if (command == "net-local" && argc == 3) return playRecordLocally(argv[2]);
    if (command == "paced" && argc == 6) {
        RobotGame g = robotGame(argv + 2);
        g.paced = true;
        const auto begun = std::chrono::steady_clock::now();
        const RobotResult r = playRobot(g);
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begun).count();
        std::printf("frames %lld\nseconds %.2f\ncpu-seconds %.3f\n", r.frames, seconds,
                    r.cpuSeconds);
        return 0;
    }
    std::fprintf(stderr,
                 "usage: pomvex-replay check FILE...\n"
                 "       pomvex-replay rollback DEPTH SEED PLAYERS DIFFICULTY CUSTOM\n"
                 "       pomvex-replay record FILE SEED PLAYERS DIFFICULTY CUSTOM\n"
                 "       pomvex-replay net host|join PORT SEED DIFFICULTY FRAMES DELAY RECORD "
                 "[other-pictures|desync]\n"
                 "       pomvex-replay net-local RECORD\n"
                 "       pomvex-replay paced SEED PLAYERS DIFFICULTY CUSTOM\n");
    return 2;
}
