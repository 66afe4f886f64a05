// What a network game keeps for a bug report: a record of the session (how
// it began and both players' inputs of every final frame), which plays
// again on one machine to the very same state, and the report written when
// the two machines' states part.
#pragma once

#include <string>
#include <vector>

#include "game/session/net_protocol.h"
#include "game/session/replay_file.h"

// Both sides' inputs, frame by frame from the session's first, as runs.
class InputLog {
  public:
    // Room for an hour of lively play, so that logging allocates nothing
    // from frame to frame.
    void reserve() { runs_.reserve(1 << 16); }
    // The inputs of the next frame (frames come in order, each once).
    void add(const PeerInput (&inputs)[2]);
    long long frames() const { return frames_; }
    // One line per run: frames, then the host's buttons, x and y, then the guest's.
    std::string text() const;

  private:
    struct Run {
        long long frames;
        PeerInput host, guest;
    };
    std::vector<Run> runs_;
    long long frames_ = 0;
};

// A session as text: this game's version and behaviour, the start, both
// names, then the inputs.
std::string sessionRecord(const StartMessage& start, const std::string& hostName,
                          const std::string& guestName, const InputLog& log);

// Plays a session record on this machine, undrawn, from the shared start
// state (the game must have started up). False, with the reason, for a
// record this game cannot play.
bool playSessionRecord(const std::string& record, std::string& why);

// A digest of the state both machines share, in 16 hex digits.
std::string sharedStateDigest();

constexpr const char* kNetReportFolder = "Netzspiel/";

// Writes Netzspiel/Abweichung_<date>.txt: the frame, the parts of the state
// with both sides' digests and which differ, then the session record.
// Returns the file's path, or empty when it could not be written (said on
// stderr).
std::string writeDesyncReport(long long frame, const Checkpoint& mine, const DigestMessage& theirs,
                              const std::vector<std::string>& differing, bool hosting,
                              const std::string& record);
