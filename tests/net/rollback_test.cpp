// The rollback logic on its own, between two sides in one process: a toy
// game whose state is a digest of every input it ran on, and a line that
// delays, jitters and drops from a seed.
#include "game/session/rollback.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <random>
#include <vector>

namespace {

std::uint64_t mix(std::uint64_t h, std::uint64_t v) {
    return (h ^ v) * 1099511628211ull;
}

struct ToySide {
    std::uint64_t state = 1469598103934665603ull;
    std::uint64_t slots[Rollback::kSnapshotSlots] = {};
    std::map<long long, std::uint64_t> confirmed;  // the state each confirmed frame left
    long long shown = 0;
    Rollback rollback;

    ToySide(int side, int delay)
        : rollback(
              side, delay, 60,
              {[](int s, void* c) {
                   auto* t = static_cast<ToySide*>(c);
                   t->slots[s] = t->state;
               },
               [](int s, void* c) {
                   auto* t = static_cast<ToySide*>(c);
                   t->state = t->slots[s];
               },
               [](const PeerInput (&in)[2], long long frame, bool shown, bool confirmed, void* c) {
                   auto* t = static_cast<ToySide*>(c);
                   t->state = mix(mix(t->state, in[0].buttons), in[1].buttons);
                   if (confirmed) t->confirmed[frame] = t->state;
                   if (shown) ++t->shown;
               },
               this}) {}
};

struct Packet {
    int due;
    long long first;
    std::vector<PeerInput> inputs;
};

// Both sides at 60 frames a second for `ticks` frames, each packet taking
// `latency` frames plus up to `jitter` more, a share `loss` of them lost.
// Returns the stalled frames (ticks in which a side could not advance).
long long play(ToySide& a, ToySide& b, int ticks, int latency, int jitter, double loss,
               std::vector<PeerInput> (&pressed)[2]) {
    std::mt19937 dice(7);
    std::deque<Packet> towards[2];  // [0]: to a, [1]: to b
    long long acked[2] = {0, 0};    // what each side knows the other has of its inputs
    long long stalls = 0;
    ToySide* sides[2] = {&a, &b};
    PeerInput holding[2];
    for (int tick = 0; tick < ticks; ++tick) {
        for (int s = 0; s < 2; ++s) {
            Rollback& r = sides[s]->rollback;
            // Arrivals, in order of their due time (jitter reorders them).
            auto& in = towards[s];
            for (auto it = in.begin(); it != in.end();) {
                if (it->due > tick) {
                    ++it;
                    continue;
                }
                for (std::size_t i = 0; i < it->inputs.size(); ++i)
                    r.addRemoteInput(it->first + static_cast<long long>(i), it->inputs[i]);
                acked[1 - s] = std::max(acked[1 - s], it->first);  // the sender's window start
                it = in.erase(it);
            }
            if (!r.canAdvance()) {
                ++stalls;
                continue;
            }
            if (dice() % 12 == 0) holding[s].buttons = static_cast<std::uint16_t>(dice() & 0xff);
            r.addLocalInput(holding[s]);
            pressed[s].push_back(holding[s]);
            r.advance();
            EXPECT_LE(r.figures().lastDepth, Rollback::kMaxPrediction);
            // Everything the other side may not have yet; it learns of
            // what it has through the remote frames known.
            Packet p;
            p.first = sides[1 - s]->rollback.remoteKnown();
            p.due = tick + latency + static_cast<int>(dice() % static_cast<unsigned>(jitter + 1));
            for (long long f = p.first; f < r.localKnown(); ++f)
                p.inputs.push_back(r.localInput(f));
            if (std::uniform_real_distribution<double>(0, 1)(dice) >= loss)
                towards[1 - s].push_back(p);
        }
    }
    return stalls;
}

}  // namespace

TEST(Rollback, BothSidesConfirmTheStatesThatTheInputsGivePlayedInOrder) {
    for (int latency : {0, 3, 6, 12}) {
        SCOPED_TRACE("latency " + std::to_string(latency));
        ToySide a(0, 2), b(1, 2);
        std::vector<PeerInput> pressed[2];
        const long long stalls = play(a, b, 3000, latency, 2, 0.05, pressed);
        // The game each side saw, played again in order without any network.
        std::uint64_t state = 1469598103934665603ull;
        long long compared = 0;
        const long long reached = std::min(a.rollback.frame(), b.rollback.frame()) - 60;
        EXPECT_GT(reached, 1500);
        for (long long f = 0; f < reached; ++f) {
            const auto input = [&](int s) {
                return f < 2 ? PeerInput{} : pressed[s][static_cast<std::size_t>(f - 2)];
            };
            state = mix(mix(state, input(0).buttons), input(1).buttons);
            // The frames to compare are always run on confirmed inputs; the
            // others only when a prediction was wrong or none was needed.
            if (f % 60 == 0) {
                ASSERT_TRUE(a.confirmed.count(f) && b.confirmed.count(f)) << f;
            }
            for (ToySide* side : {&a, &b}) {
                if (!side->confirmed.count(f)) continue;
                ASSERT_EQ(side->confirmed[f], state) << "frame " << f;
                ++compared;
            }
        }
        EXPECT_GE(compared, 2 * (reached / 60));
        // Far beyond the prediction limit the sides must wait for each other.
        if (latency == 6) {
            EXPECT_GT(a.rollback.figures().rollbacks, 0);
        }
        if (latency == 12) {
            EXPECT_GT(stalls, 0);
        }
        EXPECT_EQ(a.shown, a.rollback.frame());
    }
}

TEST(Rollback, RefusesInputsThatSkipFramesOrLieFarAhead) {
    ToySide a(0, 2);
    EXPECT_FALSE(a.rollback.addRemoteInput(1, PeerInput{}));  // frame 0 is missing
    EXPECT_FALSE(a.rollback.addRemoteInput(1'000'000, PeerInput{}));
    EXPECT_TRUE(a.rollback.addRemoteInput(0, PeerInput{5, 0, 0}));
    EXPECT_TRUE(a.rollback.addRemoteInput(0, PeerInput{9, 0, 0}));  // a duplicate: kept as it was
    EXPECT_EQ(a.rollback.remoteInput(0).buttons, 5);
    EXPECT_EQ(a.rollback.remoteKnown(), 1);
}
