// Pomvex: a full-screen action game for one or two players on one keyboard.
#include <cstdio>
#include <cstring>

#include "game/session/replay_commands.h"
#include "game/shell/start_up.h"

int main(int argc, char** argv) {
    if (argc == 1) return runProgram();
    if (argc == 3 && std::strcmp(argv[1], "--replay") == 0) return watchReplayFile(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--verify-replay") == 0) return verifyReplayFile(argv[2]);
    std::fprintf(stderr,
                 "usage: pomvex                        play\n"
                 "       pomvex --replay FILE          watch a replay\n"
                 "       pomvex --verify-replay FILE   check a replay without a window\n");
    return 2;
}
