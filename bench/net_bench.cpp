// make bench-net: two real game processes play through the seeded relay on
// this machine's loopback, headless, the robot at each player's keys, for a
// while at each of four round trips with jitter and loss. It measures; it
// asserts nothing.
//
//   pomvex-net-bench PROGRAM [SECONDS [TRIPS]]
//       PROGRAM: the replay harness (pomvex-replay); SECONDS a row (120);
//       TRIPS: the round trips of the rows in ms, as 0,50,100,200 (those)
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "test_support/child_process.h"
#include "test_support/udp_relay.h"

namespace {

const std::vector<std::string> kHeadless = {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"};

double number(std::map<std::string, std::string>& m, const char* name) {
    return std::atof(m[name].c_str());
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: pomvex-net-bench PROGRAM [SECONDS]\n");
        return 2;
    }
    const std::string program = argv[1];
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 120;
    const std::string frames = std::to_string(seconds * 60);
    char dir[] = "/tmp/pomvex-net-bench-XXXXXX";
    if (!mkdtemp(dir)) return 1;

    // The same robots' game on one machine at the same pace, for the CPU a
    // process of a network game is measured against.
    ChildProcess alone(program, {"paced", "7", "2", "1", "0"}, std::string(dir) + "/alone.out",
                       kHeadless);
    alone.wait(400);
    const double aloneCpu = 100 * alone.cpuSeconds() / alone.wallSeconds();
    std::printf("one machine, both robots, paced: %.1f %% of a core over %.0f s\n\n", aloneCpu,
                alone.wallSeconds());
    std::printf(
        "| round trip | frames | desyncs | stalled | rollback depth p50 / p95 / max | "
        "re-simulated / s | CPU host | CPU guest | host -> guest | guest -> host |\n"
        "|---|---|---|---|---|---|---|---|---|---|\n");
    std::vector<int> trips;
    for (const char* t = argc > 3 ? argv[3] : "0,50,100,200"; *t;) {
        char* end = nullptr;
        trips.push_back(static_cast<int>(std::strtol(t, &end, 10)));
        t = *end == ',' ? end + 1 : end;
        if (end == t && *t) break;
    }
    for (int trip : trips) {
        const int port = UdpRelay(1, {}).port();  // free until the host takes it
        RelayConditions line{trip / 2, 10, 0.02, 0, 0, 1000u + static_cast<unsigned>(trip)};
        UdpRelay relay(port, line, 0, seconds * 3 + 60);
        const std::string row = std::string(dir) + "/" + std::to_string(trip);
        ChildProcess host(
            program,
            {"net", "host", std::to_string(port), "7", "1", frames, "2", row + ".host.record"},
            row + ".host.out", kHeadless);
        usleep(300000);
        ChildProcess guest(program,
                           {"net", "join", std::to_string(relay.port()), "7", "1", frames, "2",
                            row + ".guest.record"},
                           row + ".guest.out", kHeadless);
        const int hostStatus = host.wait(seconds * 3 + 60), guestStatus = guest.wait(30);
        auto h = host.lines(), g = guest.lines();
        const double s = number(h, "seconds") > 0 ? number(h, "seconds") : 1;
        const double shown = number(h, "frames");
        std::printf(
            "| %d ms | %.0f | %.0f | %.0f (%.2f %%) | %.0f / %.0f / %.0f | %.1f / %.1f | %.1f %% | "
            "%.1f %% | %.0f B/s | %.0f B/s |%s\n",
            trip, shown, number(h, "desyncs") + number(g, "desyncs"),
            number(h, "stalled") + number(g, "stalled"),
            100 * (number(h, "stalled") + number(g, "stalled")) / (2 * (shown > 0 ? shown : 1)),
            std::max(number(h, "depth-p50"), number(g, "depth-p50")),
            std::max(number(h, "depth-p95"), number(g, "depth-p95")),
            std::max(number(h, "depth-max"), number(g, "depth-max")), number(h, "resimulated") / s,
            number(g, "resimulated") / s, 100 * host.cpuSeconds() / host.wallSeconds(),
            100 * guest.cpuSeconds() / guest.wallSeconds(), number(h, "bytes-sent") / s,
            number(g, "bytes-sent") / s,
            hostStatus == 0 && guestStatus == 0 && h["final"] == g["final"] && !h["final"].empty()
                ? ""
                : "  (the two did not end alike: see the logs)");
        std::fflush(stdout);
    }
    std::printf("\nlogs in %s\n", dir);
    return 0;
}
