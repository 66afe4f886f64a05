// Watching saved games in the window: from the score table, and as the demo
// of an idle title screen.
#include "game/session/watching.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "game/session/frame_source.h"
#include "game/session/replay_store.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"
#include "game/shell/start_up.h"
#include "test_support/scratch_folder.h"

namespace {

// A game folder whose score table has the one-player golden replay's game
// in first place of the one-player Easy-Peasy list (entry 12), linked to
// its file, and a game without a replay in second place.
class WatchingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.linkPictures();
        std::filesystem::create_directory("Wiederholungen");
        writeFileBytes("Wiederholungen/2026-12-01_10-00-00.replay",
                       readFileBytes(POMVEX_SOURCE_DIR "/tests/replays/one_player_easy.replay"));
        std::string index;
        for (int entry = 0; entry < kScoreEntryCount; ++entry)
            index += entry == 12 ? "2026-12-01_10-00-00.replay\r\n" : "\r\n";
        writeFileBytes(kReplayIndexPath, index);
        ScoreTable table;
        table[12] = {"Anna", "", 18, 90};
        table[13] = {"Ben", "", 5, 20};
        writeFileBytes(kScoresPath, formatScores(table));
        writeFileBytes("Data/Optionen.txt", "Anna\r\nBen\r\n1\r\n0\r\n683\r\n384\r\n0");
        ASSERT_TRUE(startUp());
        scriptedInput(true);
    }
    void TearDown() override { shutDown(false); }

    ScratchFolder folder;
};

}  // namespace

TEST_F(WatchingTest, AnEntryOfTheTablePlaysItsGameAndTheTableComesBack) {
    const std::string scores = readFileBytes(kScoresPath);
    game.phase = Phase::HighScores;
    offerReplays(Phase::Title);  // the screen opens
    EXPECT_TRUE(game.entryWatchable[12]);
    EXPECT_FALSE(game.entryWatchable[13]) << "no replay";

    // A click on the second row, which has no game, does nothing; one on
    // the first plays its game.
    scriptMouse(600, 470, true);
    programFrame();
    scriptMouse(600, 470, false);
    programFrame();
    EXPECT_FALSE(watchingReplay());
    scriptMouse(600, 375, true);
    programFrame();
    scriptMouse(600, 375, false);
    ASSERT_TRUE(watchingReplay());
    EXPECT_EQ(game.phase, Phase::Playing);

    // Twice faster is four times: the game's 6768 frames in a quarter.
    long long shown = 0;
    while (watchingReplay() && shown < 10000) {
        scriptKey(key::Right, shown == 2 || shown == 4);
        programFrame();
        ++shown;
    }
    EXPECT_FALSE(watchingReplay());
    EXPECT_TRUE(lastWatchDrift().empty()) << lastWatchDrift();
    EXPECT_LT(shown, 6768 / 4 + 10);
    EXPECT_EQ(game.phase, Phase::HighScores);
    EXPECT_EQ(firstPlayer().kills, 0) << "the program as it was before";
    EXPECT_EQ(readFileBytes(kScoresPath), scores) << "a watched game enters nothing";

    // Chosen with the keys: Down marks the one row with a game, Return plays it.
    scriptKey(key::Down, true);
    programFrame();
    scriptKey(key::Down, false);
    EXPECT_EQ(game.chosenRow, 0);
    scriptKey(key::Return, true);
    programFrame();
    scriptKey(key::Return, false);
    EXPECT_TRUE(watchingReplay());
    scriptKey(key::Escape, true);
    programFrame();
    EXPECT_FALSE(watchingReplay()) << "Escape leaves";
    EXPECT_EQ(game.phase, Phase::HighScores);
}

TEST_F(WatchingTest, AnIdleTitleScreenShowsTheTablesBestGameUntilAKeyIsPressed) {
    game.phase = Phase::Title;
    scriptMouse(400, 300, false);
    int frames = 0;
    while (!watchingReplay() && frames < kDemoAfterFrames + 10) {
        programFrame();
        ++frames;
    }
    ASSERT_TRUE(watchingReplay());
    // The first frame still sees the pointer arrive.
    EXPECT_NEAR(frames, kDemoAfterFrames, 1);
    EXPECT_EQ(game.playerCount, 1) << "the table's game, not the built-in two-player one";
    for (int frame = 0; frame < 100; ++frame) programFrame();
    EXPECT_TRUE(watchingReplay());
    scriptKey(key::W, true);
    programFrame();
    EXPECT_FALSE(watchingReplay());
    EXPECT_EQ(game.phase, Phase::Title);
}

// The golden replay that make test checks is the very demo in the program.
TEST(Watching, TheBuiltInDemoIsTheCheckedReplay) {
    EXPECT_EQ(std::string(kBuiltInDemo),
              readFileBytes(POMVEX_SOURCE_DIR "/game/session/demo.replay"));
}
