// Rollback: both machines run the game at once, each on its own player's
// input as soon as it is pressed and on a prediction of the other's (the
// last input it has of it). When the other's real input arrives and differs
// from the prediction, the game goes back to the snapshot of that frame and
// simulates again, undrawn, up to the frame it had reached. The game stays a
// step function: this part decides which frames to run on which inputs and
// hands them to three hooks, and never sees a packet.
#pragma once

#include <array>
#include <cstdint>

#include "game/session/net_protocol.h"

class Rollback {
  public:
    // The other side's input is predicted at most this many frames ahead;
    // beyond that the game waits (a stall) rather than run away.
    static constexpr int kMaxPrediction = 8;
    static constexpr int kMaxDelay = 8;
    // Inputs of both sides are kept for this many frames (a power of two).
    static constexpr int kInputRing = 128;

    struct Hooks {
        void (*save)(int slot, void* context);  // the state before a frame, into a slot
        void (*load)(int slot, void* context);  // and back
        // One frame on both sides' inputs (index 0: the host's). `shown` is
        // false for the frames simulated again after a rollback; `confirmed`
        // when both inputs are the real ones, so the state it leaves is final.
        void (*step)(const PeerInput (&inputs)[2], long long frame, bool shown, bool confirmed,
                     void* context);
        void* context;
    };
    static constexpr int kSnapshotSlots = kMaxPrediction + 2;

    // `side` 0 is the host, 1 the guest. Frames whose input nobody could
    // have sent yet (the first `delay`) are empty on both sides. Every
    // `checkEvery` frames one frame is simulated on confirmed inputs even
    // when the prediction was right, so the two sides can compare it.
    Rollback(int side, int delay, int checkEvery, Hooks hooks);

    // The local player's input now; it acts `delay` frames later. Once per
    // frame, before advance().
    void addLocalInput(const PeerInput& input);
    // The other side's input for a frame. Inputs it already had are ignored;
    // one that would leave a gap, or lies beyond what it could have sent, is
    // refused (false).
    bool addRemoteInput(long long frame, const PeerInput& input);

    // Whether the next frame may run without predicting too far.
    bool canAdvance() const { return frame_ < remoteKnown_ + kMaxPrediction; }
    // Rolls back if a prediction turned out wrong, then runs the next frame,
    // shown.
    void advance();

    long long frame() const { return frame_; }              // the next frame to run
    long long remoteKnown() const { return remoteKnown_; }  // remote inputs known before this
    long long localKnown() const { return localKnown_; }    // local inputs known before this
    // A local input, for frames in [localKnown() - kInputRing / 2, localKnown()).
    const PeerInput& localInput(long long frame) const { return at(local_, frame); }
    const PeerInput& remoteInput(long long frame) const { return at(remote_, frame); }
    int side() const { return side_; }

    struct Figures {
        long long rollbacks = 0, resimulated = 0;
        int lastDepth = 0;  // frames simulated again by the last advance()
    };
    const Figures& figures() const { return figures_; }

  private:
    using Ring = std::array<PeerInput, kInputRing>;
    static const PeerInput& at(const Ring& ring, long long frame) {
        return ring[static_cast<std::size_t>(frame & (kInputRing - 1))];
    }
    static PeerInput& at(Ring& ring, long long frame) {
        return ring[static_cast<std::size_t>(frame & (kInputRing - 1))];
    }
    void run(long long frame, bool shown);

    int side_, delay_, checkEvery_;
    Hooks hooks_;
    long long frame_ = 0, localKnown_ = 0, remoteKnown_ = 0;
    long long firstWrong_ = -1;  // the earliest frame run on a wrong prediction, or -1
    Ring local_{}, remote_{};
    Ring usedRemote_{};  // the remote input each frame last ran on
    Figures figures_;
};
