// A network game: two machines, one game. The host waits for a guest, the
// two agree on what they play with, and from then on both run the very same
// program, frame for frame, on both players' inputs: the title screen (the
// host's mouse chooses), the games, game over and the score table. Each
// frame runs at once on this machine's input and a prediction of the
// other's, and again when the real input arrives (see rollback.h).
#pragma once

#include <array>
#include <string>

#include "game/session/frame_source.h"
#include "game/session/net_protocol.h"
#include "game/session/rollback.h"
#include "net/link.h"

struct NetGameConfig {
    bool hosting = true;
    std::string address;  // the host to join; empty: asked for on a screen
    int port = net::kDefaultPort;
    int delay = 2;            // frames between a press and the frame it acts on, 0..8
    std::string bindAddress;  // where the host listens; empty: every interface
    // This machine's player, once a frame: the devices, or for tests and the
    // benchmark a robot.
    FrameSource localSource = nullptr;
    void* localContext = nullptr;
    // Tests and the benchmark: no message screens, and the program ends with
    // the session instead of going on alone.
    bool unattended = false;
};

struct NetGameFigures {
    long long frames = 0;  // frames shown
    long long stalledFrames = 0;
    long long rollbacks = 0, resimulated = 0;
    // Shown frames by the depth of the rollback before them.
    std::array<long long, Rollback::kMaxPrediction + 1> depths{};
    long long desyncs = 0;
    long long bytesSent = 0, bytesReceived = 0;
    double seconds = 0;  // from the first frame of the session to its end
    // How far this machine ran ahead of the other, in frames, on average
    // over the frames (its frame against its estimate of the other's).
    double meanAhead = 0;
    long long noticeFrames = 0;  // frames shown with the notice of a silent peer
    std::string ended;           // why the session ended, for the player
    bool windowClosed = false;
    std::string finalState;  // a digest of the shared state at the end
    std::string record;      // the session's start and inputs (see net_report.h)
};

// What this game tells the other machine first, for it to check.
HelloMessage helloOfThisGame();
// Why a game that says `mine` cannot play with one that says `theirs`, in a
// sentence for the player; empty when they can.
std::string whyRefused(const HelloMessage& mine, const HelloMessage& theirs);

// The figures of the last session of this process.
const NetGameFigures& lastSessionFigures();

// pomvex --host / --join: the whole program, start to end, as one machine
// of a network game, then on alone from the title screen.
int runNetworkProgram(const NetGameConfig& config);

// The state both machines start a session from (and a session record is
// played from): a fresh program's, on the title screen, with the host's
// settings and both names.
void beginSharedGame(const StartMessage& start, const std::string& hostName,
                     const std::string& guestName);

// "ADDRESS[:PORT]" into its parts; false (with a reason) for what cannot be
// joined.
bool splitAddress(const std::string& text, std::string& address, int& port, std::string& why);
