// A replay that drifts says where: the first checkpoint that differs, with
// the parts of the state that changed there. It stops right there, too: a
// drifting game might never end.
#include <gtest/gtest.h>

#include "game/session/playback.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"
#include "game/shell/start_up.h"
#include "test_support/scratch_folder.h"
#include "tests/replays/replay.h"

TEST(Replay, ADriftIsReportedAtItsFirstCheckpointWithThePartsThatChanged) {
    ReplayFile replay;
    std::string why;
    ASSERT_TRUE(parseReplay(
        readFileBytes(POMVEX_SOURCE_DIR "/tests/replays/one_player_easy.replay"), replay, why))
        << why;
    // Early on, while the smiley is alive, it walks right for five seconds,
    // whatever the recording does.
    ReplayFile changed = replay;
    changed.runs.clear();
    changed.keySets.clear();
    const long long from = 1000;
    long long frame = 0;
    for (const InputRun& run : replay.runs)
        for (std::uint32_t n = 0; n < run.frames; ++n, ++frame) {
            KeySet keys = replay.keySets[run.keySet];
            if (frame >= from && frame < from + 300) {
                keys[key::D >> 3] |= 1 << (key::D & 7);
                keys[key::A >> 3] &= ~(1 << (key::A & 7));
            }
            ASSERT_TRUE(appendFrame(changed, keys));
        }

    ScratchFolder folder;
    folder.linkPictures();
    ASSERT_TRUE(startUp());
    Playback playback;
    playback.begin(changed);
    playback.playUndrawn();
    shutDown(false);

    EXPECT_FALSE(playback.matched());
    // The first checkpoint after the change, or the one after it if the
    // recording walked right there anyway.
    const long long first = (from / kCheckpointInterval + 1) * kCheckpointInterval;
    const std::string& drift = playback.drift();
    EXPECT_TRUE(drift.rfind("frame " + std::to_string(first) + ": ", 0) == 0 ||
                drift.rfind("frame " + std::to_string(first + kCheckpointInterval) + ": ", 0) == 0)
        << drift;
    EXPECT_NE(drift.find("players"), std::string::npos) << drift;
    EXPECT_EQ(playback.checkpointsCompared() * kCheckpointInterval + kCheckpointInterval,
              static_cast<std::size_t>(playback.frames()))
        << "stopped at the checkpoint that differed";
}
