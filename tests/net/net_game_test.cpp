// Two real game processes on this machine's loopback, each with the robot
// at its player's keys, through the seeded relay between them.
#include "game/session/net_game.h"

#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <random>
#include <string>
#include <thread>

#include "game/shell/start_up.h"
#include "net/link.h"
#include "test_support/child_process.h"
#include "test_support/scratch_folder.h"
#include "test_support/udp_relay.h"

namespace {

using Clock = std::chrono::steady_clock;
const std::vector<std::string> kHeadless = {"SDL_VIDEODRIVER=dummy", "SDL_AUDIODRIVER=dummy"};

// A free UDP port on 127.0.0.1 for the host.
int freePort() {
    return UdpRelay(1, {}).port();
}

struct Machine {
    std::string out, record;
    std::unique_ptr<ChildProcess> process;
    std::map<std::string, std::string> figures;
    int status = -1;
    long long number(const std::string& name) { return std::atoll(figures[name].c_str()); }
};

Machine start(const std::string& dir, const char* side, int port, const char* frames,
              const std::vector<std::string>& more = {}) {
    Machine m;
    m.out = dir + "/" + side + ".out";
    m.record = dir + "/" + side + ".record";
    std::vector<std::string> args = {"net", side,    std::to_string(port), "7", "1", frames,
                                     "2",   m.record};
    args.insert(args.end(), more.begin(), more.end());
    m.process = std::make_unique<ChildProcess>(POMVEX_REPLAY, args, m.out, kHeadless);
    return m;
}

void finish(Machine& m, double seconds) {
    m.status = m.process->wait(seconds);
    m.figures = m.process->lines();
}

// A host and a guest straight on loopback, the guest's harness told
// `option`, played to their end.
std::pair<Machine, Machine> playPair(const ScratchFolder& dir, const char* frames,
                                     const std::string& option) {
    const int port = freePort();
    std::pair<Machine, Machine> both{start(dir.path(), "host", port, frames),
                                     start(dir.path(), "join", port, frames, {option})};
    finish(both.first, 60);
    finish(both.second, 10);
    return both;
}

std::string localFinal(const std::string& record) {
    ChildProcess local(POMVEX_REPLAY, {"net-local", record}, record + ".local", kHeadless);
    local.wait(60);
    return local.lines()["final"];
}

}  // namespace

// Through 50 ms of round trip, jitter, loss and duplicates, with the line
// cut for two seconds in the middle of the game: both machines end in the
// same state, and it is the state the same inputs give on one machine.
TEST(NetGame, TwoProcessesThroughABadLineEndInTheStateOfTheSameInputsPlayedLocally) {
    ScratchFolder dir;
    const int port = freePort();
    RelayConditions bad{25, 10, 0.02, 0.01, 0.01, 42};
    UdpRelay relay(port, bad, 0, 120);
    Machine host = start(dir.path(), "host", port, "900");
    Machine guest = start(dir.path(), "join", relay.port(), "900");
    // Two seconds into the game, nothing gets through for two. The game's
    // own traffic says when it is under way: a loaded machine may take
    // many seconds to start both processes and shake hands.
    const Clock::time_point launched = Clock::now();
    auto playing = [&] {
        const RelayCounts c = relay.counts();
        return c.packets[0] >= 60 && c.packets[1] >= 60;
    };
    while (!playing() && Clock::now() - launched < std::chrono::seconds(60))
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    ASSERT_TRUE(playing()) << "the game never got under way";
    RelayConditions cut = bad;
    cut.loss = 1;
    relay.setConditions(cut);
    std::this_thread::sleep_for(std::chrono::seconds(2));
    relay.setConditions(bad);
    finish(host, 90);
    finish(guest, 10);

    EXPECT_EQ(host.status, 0) << host.process->errors();
    EXPECT_EQ(guest.status, 0) << guest.process->errors();
    EXPECT_EQ(host.figures["ended"], "Der Gastgeber hat das Netzspiel beendet.");
    EXPECT_EQ(guest.figures["ended"], "Der Gastgeber hat das Netzspiel beendet.");
    EXPECT_EQ(host.number("desyncs") + guest.number("desyncs"), 0);
    EXPECT_GT(host.number("frames"), 900);
    EXPECT_GT(host.number("rollbacks"), 0);
    EXPECT_GT(host.number("stalled"), 30);  // the cut
    EXPECT_LE(host.number("depth-max"), 8);
    ASSERT_FALSE(host.figures["final"].empty());
    EXPECT_EQ(host.figures["final"], guest.figures["final"]);
    // Each machine's record of the session (they may differ by the frames
    // after its end) plays on one machine to that state.
    EXPECT_EQ(localFinal(host.record), host.figures["final"]);
    EXPECT_EQ(localFinal(guest.record), host.figures["final"]);
}

// A guest whose pictures differ is refused, and both machines say why.
TEST(NetGame, BothMachinesRefuseAPeerWithOtherPictures) {
    ScratchFolder dir;
    auto [host, guest] = playPair(dir, "600", "other-pictures");
    const std::string why = "Die Bilder des anderen Rechners sind andere als hier.";
    EXPECT_EQ(host.figures["ended"], why);
    EXPECT_EQ(guest.figures["ended"], why);
    EXPECT_EQ(host.number("frames"), 0);
}

// A guest made by hand in this test's process, at a real host: set up
// connected and past the handshake.
class HandMadeGuest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_.linkPictures();
        writeFileBytes("Data/Optionen.txt", "Mallory\r\nX\r\n1\r\n0\r\n1366\r\n768\r\n0");
        ASSERT_TRUE(startUp());
        host = start(folder_.path(), "host", port_, "100000");
        std::string error;
        for (int attempt = 0; attempt < 50 && !link; ++attempt) {
            link = net::Link::connect("127.0.0.1", port_, error);
            for (int n = 0; n < 50 && link && !link->connected(); ++n) link->poll(20);
            if (link && !link->connected()) link.reset();
        }
        ASSERT_TRUE(link) << error;
        writeHello(helloOfThisGame(), bytes);
        sendBytes(net::Channel::Reliable);
        for (int n = 0; n < 200 && start_.session == 0; ++n) {
            const net::LinkEvent e = link->poll(10);
            if (e.kind == net::LinkEvent::Message) readStart(e.data, e.size, start_);
        }
        ASSERT_NE(start_.session, 0u);
    }
    void TearDown() override { shutDown(false); }

    void sendBytes(net::Channel c) { link->send(c, bytes.data(), bytes.size()); }
    // Neutral keys for `frame`, with every frame before it that may be lost.
    InputsMessage inputsUpTo(std::uint32_t frame) {
        InputsMessage m;
        m.session = start_.session, m.frame = frame, m.first = frame > 200 ? frame - 200 : 0;
        m.runCount = 1, m.runs[0] = {static_cast<std::uint8_t>(frame - m.first + 1), {}};
        return m;
    }
    // The host's game, until it ends or `seconds` pass; the link is polled
    // all the while, so only the game hears nothing.
    void playOutTheHost(double seconds) {
        const auto since = Clock::now();
        while (host.process->running() &&
               Clock::now() - since < std::chrono::duration<double>(seconds))
            link->poll(20);
        finish(host, 5);
    }

    ScratchFolder folder_;
    const int port_ = freePort();
    StartMessage start_;
    Machine host;
    std::unique_ptr<net::Link> link;
    std::vector<std::uint8_t> bytes;
};

// A peer that floods the host with every kind of malformed or foreign
// message while it also sends real inputs, then goes silent: the host plays
// on through the flood, shows the notice, and ends after ten seconds.
TEST_F(HandMadeGuest, AHostilePeerNeitherCrashesNorStallsTheHostAndItsSilenceEndsTheGame) {
    std::mt19937 dice(3);
    for (std::uint32_t frame = 0; frame < 180; ++frame) {
        const InputsMessage real = inputsUpTo(frame);
        writeInputs(real, bytes);
        sendBytes(net::Channel::Unreliable);
        for (int n = 0; n < 40; ++n) {
            InputsMessage bad = real;
            switch (n % 5) {
                case 0:
                    bad.session ^= 1;
                    break;  // a foreign session
                case 1:
                    bad.first = 1'000'000'000;
                    break;  // absurd frames
                case 2:
                    bad.runs[0].input.buttons = 0xFFFF;
                    break;  // no such buttons
                case 3:
                    bad.first = frame + 50;
                    break;  // a gap
                default:
                    bad.runs[0].frames = 0;
                    break;
            }
            writeInputs(bad, bytes);
            if (n % 7 == 0) bytes.resize(dice() % bytes.size());  // cut short
            if (n % 11 == 0)
                for (auto& b : bytes) b = static_cast<std::uint8_t>(dice());
            sendBytes(n % 2 ? net::Channel::Reliable : net::Channel::Unreliable);
        }
        link->poll(16);
    }
    // Then only ENet's own keep-alive: the game hears nothing any more.
    playOutTheHost(20);
    EXPECT_EQ(host.status, 0) << host.process->errors();
    EXPECT_EQ(host.figures["ended"],
              "Der andere Rechner antwortet seit zehn Sekunden nicht mehr; "
              "das Spiel ist beendet.");
    EXPECT_GT(host.number("frames"), 150);  // it played on through the flood
    EXPECT_GT(host.number("notice-frames"), 60);
    EXPECT_EQ(host.number("desyncs"), 0);
}

// A guest that says its goodbye while the host waits for its inputs: the
// host hears no more of them, yet ends soon and does not wait for silence.
TEST_F(HandMadeGuest, AGoodbyeEndsAHostThatWaitsForInputs) {
    for (std::uint32_t frame = 0; frame < 60; ++frame) {
        writeInputs(inputsUpTo(frame), bytes);
        sendBytes(net::Channel::Unreliable);
        link->poll(16);
    }
    writeGoodbye({start_.session, GoodbyeReason::Ended}, bytes);
    sendBytes(net::Channel::Reliable);
    const auto said = Clock::now();
    playOutTheHost(20);
    EXPECT_EQ(host.status, 0) << host.process->errors();
    EXPECT_EQ(host.figures["ended"], "Der andere Rechner hat das Netzspiel beendet.");
    EXPECT_LT(Clock::now() - said, std::chrono::seconds(8));
}

// A fault planted in one machine's state: both notice it at the next
// comparison, end the game and say so, and the reports hold the parts that
// differ and the session's record.
TEST(NetGame, AStateThatPartsEndsTheGameOnBothWithAReport) {
    ScratchFolder dir;
    auto [host, guest] = playPair(dir, "3000", "desync");
    for (Machine* m : {&host, &guest}) {
        EXPECT_EQ(m->figures["ended"].rfind("Die beiden Rechner sind", 0), 0u)
            << m->figures["ended"];
        EXPECT_LT(m->number("frames"), 1500);  // ended soon after the fault, not by the robot
    }
    EXPECT_GE(host.number("desyncs") + guest.number("desyncs"), 1);
    EXPECT_EQ(host.number("report-differs") + guest.number("report-differs"),
              host.number("desyncs") + guest.number("desyncs"));
    EXPECT_GE(host.number("report-has-record") + guest.number("report-has-record"), 1);
}
