#include "game/session/rollback.h"

#include <algorithm>

Rollback::Rollback(int side, int delay, int checkEvery, Hooks hooks)
    : side_(side),
      delay_(std::clamp(delay, 0, kMaxDelay)),
      checkEvery_(checkEvery > 0 ? checkEvery : 1),
      hooks_(hooks) {
    // Nobody pressed anything for the frames before the first input lands.
    localKnown_ = delay_;
    remoteKnown_ = 0;
}

void Rollback::addLocalInput(const PeerInput& input) {
    at(local_, localKnown_) = input;
    ++localKnown_;
}

bool Rollback::addRemoteInput(long long frame, const PeerInput& input) {
    if (frame < remoteKnown_) return true;
    // The other side can be at most this far ahead of what it has of ours,
    // and it never skips a frame.
    if (frame != remoteKnown_ || frame >= frame_ + kInputRing / 2) return false;
    at(remote_, frame) = input;
    ++remoteKnown_;
    if (frame < frame_) {
        const bool wrong = !(at(usedRemote_, frame) == input);
        const bool toCheck = frame % checkEvery_ == 0;
        if ((wrong || toCheck) && (firstWrong_ < 0 || frame < firstWrong_)) firstWrong_ = frame;
    }
    return true;
}

void Rollback::run(long long frame, bool shown) {
    // The remote input: the real one when it is known, else the last one
    // known, which is what a player most often still holds.
    const bool known = frame < remoteKnown_;
    const PeerInput remote = known              ? at(remote_, frame)
                             : remoteKnown_ > 0 ? at(remote_, remoteKnown_ - 1)
                                                : PeerInput{};
    at(usedRemote_, frame) = remote;
    const PeerInput local = frame < delay_ ? PeerInput{} : at(local_, frame);
    PeerInput both[2];
    both[side_] = local;
    both[1 - side_] = remote;
    hooks_.save(static_cast<int>(frame % kSnapshotSlots), hooks_.context);
    hooks_.step(both, frame, shown, known, hooks_.context);
}

void Rollback::advance() {
    figures_.lastDepth = 0;
    if (firstWrong_ >= 0 && firstWrong_ < frame_) {
        hooks_.load(static_cast<int>(firstWrong_ % kSnapshotSlots), hooks_.context);
        for (long long f = firstWrong_; f < frame_; ++f) run(f, false);
        figures_.lastDepth = static_cast<int>(frame_ - firstWrong_);
        figures_.resimulated += figures_.lastDepth;
        ++figures_.rollbacks;
    }
    firstWrong_ = -1;
    // The local input for this frame must be in (the caller adds one a
    // frame); without it the frame would run on a stale ring entry.
    if (frame_ >= localKnown_) addLocalInput(PeerInput{});
    run(frame_, true);
    ++frame_;
}
