// A replay that drifts says where: the first checkpoint that differs, with
// the parts of the state that changed there. It stops right there, too: a
// drifting game might never end.
#include <gtest/gtest.h>

#include "game/shell/game_state.h"
#include "test_support/scratch_folder.h"
#include "tests/replays/replay.h"

TEST(Replay, ADriftIsReportedAtItsFirstCheckpointWithThePartsThatChanged) {
    Replay replay;
    ASSERT_TRUE(parseReplay(
        readFileBytes(POMVEX_SOURCE_DIR "/tests/replays/one_player_easy.replay"), replay));
    ASSERT_GT(replay.checkpoints.size(), 4u);

    // Halfway through, where the recording steers again, the smiley walks
    // right for five seconds on top of whatever the recording does.
    std::size_t from = replay.frames.size() / 2;
    while (replay.frames.at(from).keys == FrameInput{}.keys) ++from;
    for (std::size_t i = from; i < from + 300; ++i) replay.frames[i].hold(key::D);
    const ReplayResult played = playReplay(replay, false);

    EXPECT_NE(played.digest, replay.digest);
    const std::string drift = firstDrift(replay.checkpoints, played.checkpoints);
    ASSERT_FALSE(drift.empty());
    // Everything before the first reported checkpoint was played alike.
    std::size_t same = 0;
    while (same < played.checkpoints.size() && played.checkpoints[same] == replay.checkpoints[same])
        ++same;
    ASSERT_GT(same, 0u) << "the change came late; the start must still agree";
    ASSERT_LT(same, replay.checkpoints.size());
    EXPECT_EQ(drift.rfind("frame " + std::to_string(replay.checkpoints[same].frame) + ": ", 0), 0u)
        << drift;
    EXPECT_NE(drift.find("players"), std::string::npos) << drift;
    EXPECT_EQ(played.stoppedBecause, drift);
    EXPECT_EQ(played.checkpoints.size(), same + 2) << "the drifted one and the end";
    EXPECT_LT(played.frames, static_cast<long long>(from + 300 + 251));
}
