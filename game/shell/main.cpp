// Pomvex: a full-screen action game for one or two players on one keyboard,
// or two machines.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/session/net_game.h"
#include "game/session/replay_commands.h"
#include "game/shell/start_up.h"

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: pomvex                          play\n"
                 "       pomvex --replay FILE            watch a replay\n"
                 "       pomvex --verify-replay FILE     check a replay without a window\n"
                 "       pomvex --host [PORT] [--delay N]\n"
                 "                                       wait for a second player on UDP PORT "
                 "(28760)\n"
                 "       pomvex --join [ADDRESS[:PORT]] [--delay N]\n"
                 "                                       play on another machine's game; "
                 "without an\n"
                 "                                       address the game asks for it\n"
                 "       --delay N: frames from a press to its effect, 0 to 8 (2)\n");
    return 2;
}

bool number(const char* text, int low, int high, int& value) {
    char* end = nullptr;
    const long v = std::strtol(text, &end, 10);
    if (!*text || *end || v < low || v > high) return false;
    value = static_cast<int>(v);
    return true;
}

// --host [PORT] | --join [ADDRESS[:PORT]], then --delay N.
int network(int argc, char** argv) {
    NetGameConfig config;
    config.hosting = std::strcmp(argv[1], "--host") == 0;
    int next = 2;
    if (next < argc && std::strcmp(argv[next], "--delay") != 0) {
        if (config.hosting) {
            if (!number(argv[next], 1, 65535, config.port)) return usage();
        } else {
            std::string why;
            if (!splitAddress(argv[next], config.address, config.port, why)) {
                std::fprintf(stderr, "pomvex: %s\n", why.c_str());
                return 2;
            }
        }
        ++next;
    }
    if (next < argc) {
        if (next + 2 != argc || std::strcmp(argv[next], "--delay") != 0 ||
            !number(argv[next + 1], 0, 8, config.delay))
            return usage();
    }
    return runNetworkProgram(config);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 1) return runProgram();
    if (argc == 3 && std::strcmp(argv[1], "--replay") == 0) return watchReplayFile(argv[2]);
    if (argc == 3 && std::strcmp(argv[1], "--verify-replay") == 0) return verifyReplayFile(argv[2]);
    if (std::strcmp(argv[1], "--host") == 0 || std::strcmp(argv[1], "--join") == 0)
        return network(argc, argv);
    return usage();
}
