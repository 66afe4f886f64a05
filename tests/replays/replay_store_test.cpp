// Every game the program plays is saved; the table's games stay watchable.
#include "game/session/replay_store.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "game/session/playback.h"
#include "game/session/watching.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"
#include "game/shell/screens.h"
#include "game/shell/start_up.h"
#include "test_support/scratch_folder.h"
#include "tests/replays/replay.h"

// The second game of a run starts from what the first left behind (the
// fade, the pause choice, the smileys' cool-downs): its replay must carry
// all of it to play out the same in a program that just started.
TEST(ReplayStore, EveryGameOfARunIsSavedAndPlaysOutTheSameInAFreshProgram) {
    RobotGame robot;
    robot.seed = 5;
    robot.playerCount = 2;
    robot.difficulty = 1;
    robot.games = 2;
    const RobotResult run = playRobot(robot);
    ASSERT_EQ(run.saved.size(), 2u);
    EXPECT_EQ(run.saved[0].fadeAlpha, 254);
    EXPECT_EQ(run.saved[1].fadeAlpha, 255) << "the second game fades in from black";
    EXPECT_EQ(run.saved[1].pauseChoice, 1) << "the first game ended from the pause";

    ScratchFolder folder;
    folder.linkPictures();
    ASSERT_TRUE(startUp());
    for (const ReplayFile& replay : run.saved) {
        Playback played;
        played.begin(replay);
        played.playUndrawn();
        EXPECT_TRUE(played.matched()) << played.drift();
        EXPECT_EQ(played.frames(), replay.frameCount());
    }
    shutDown(false);
}

// The folder keeps the newest twenty of the game's own replays and every
// one the table links to; a game that enters the table moves the links
// below it down; files of other names are never touched.
TEST(ReplayStore, KeepsTheLastTwentyAndTheTablesGames) {
    ScratchFolder folder;
    folder.linkPictures();
    std::filesystem::create_directory("Wiederholungen");
    for (int n = 0; n < 25; ++n) {
        char name[64];
        std::snprintf(name, sizeof name, "Wiederholungen/2020-01-%02d_10-00-00.replay", n + 1);
        writeFileBytes(name, "pomvex-replay 3\n");
    }
    writeFileBytes("Wiederholungen/von Anna.replay", "pomvex-replay 3\n");
    // The one-player Easy-Peasy list is entries 12 to 15; its first place
    // links to the oldest file, its second to the second oldest.
    std::string index;
    for (int entry = 0; entry < kScoreEntryCount; ++entry)
        index += entry == 12   ? "2020-01-01_10-00-00.replay\r\n"
                 : entry == 13 ? "2020-01-02_10-00-00.replay\r\n"
                               : "\r\n";
    writeFileBytes(kReplayIndexPath, index);

    ASSERT_TRUE(startUp());
    game.playerCount = 1;
    game.difficulty = 0;
    game.phase = Phase::Playing;
    recordStep(Phase::Title);  // a game begins
    firstPlayer().kills = 3;
    FrameInput input;
    useFrameInput(input);
    for (int frame = 0; frame < 10; ++frame) recordStep(Phase::Playing);
    recordResult();  // enters the empty table's first place
    game.phase = Phase::GameOver;
    recordStep(Phase::Playing);
    shutDown(false);

    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator("Wiederholungen"))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    // The new one and 2020-01-07 to -25 are the newest twenty; -01 and -02
    // stay for the table; -03 to -06 go.
    EXPECT_EQ(std::count(names.begin(), names.end(), "von Anna.replay"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "2020-01-01_10-00-00.replay"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "2020-01-02_10-00-00.replay"), 1);
    EXPECT_EQ(std::count(names.begin(), names.end(), "2020-01-06_10-00-00.replay"), 0);
    EXPECT_EQ(std::count(names.begin(), names.end(), "2020-01-07_10-00-00.replay"), 1);
    EXPECT_EQ(names.size(), 2u + 20u + 1u + 1u) << "two linked, twenty newest, the index, Anna's";

    LineReader links = LineReader::open(kReplayIndexPath);
    for (int entry = 0; entry < 12; ++entry) links.readLine();
    const std::string newest = links.readLine();
    EXPECT_NE(newest.find(".replay"), std::string::npos);
    EXPECT_EQ(newest.rfind("2020", 0), std::string::npos) << "the new game is first";
    EXPECT_EQ(links.readLine(), "2020-01-01_10-00-00.replay");
    EXPECT_EQ(links.readLine(), "2020-01-02_10-00-00.replay");
}
