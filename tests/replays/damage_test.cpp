// Each frame draws only where its pixels can differ from the last frame's.
// That must never show in a single pixel: a second canvas drawn whole every
// frame, as it would be without damage, is compared with the real one at
// every frame's end, over whole games played in the window and over the
// stress scene, where everything changes all the time.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "bench/stress_scene.h"
#include "game/session/playback.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"
#include "game/shell/start_up.h"
#include "media/media_layer.h"
#include "test_support/scratch_folder.h"
#include "tests/replays/replay.h"

namespace {

class DamageTest : public ::testing::TestWithParam<const char*> {};

}  // namespace

TEST_P(DamageTest, DrawingOnlyWhatChangedGivesThePixelsOfDrawingEverything) {
    ReplayFile replay;
    std::string why;
    ASSERT_TRUE(
        parseReplay(readFileBytes(std::string(POMVEX_SOURCE_DIR "/") + GetParam()), replay, why))
        << why;
    ScratchFolder folder;
    prepareFolderFor(folder, replay);
    ASSERT_TRUE(startUp());
    checkDamage(true);
    Playback playback;
    playback.begin(replay);
    double least = 1;
    while (playback.useNextInput()) {
        stepFrame();
        least = std::min(least, redrawnShare());
        if (!playback.afterStep()) break;
    }
    EXPECT_EQ(damageMismatches(), 0) << "of " << playback.frames() << " frames";
    checkDamage(false);
    shutDown(false);
    EXPECT_TRUE(playback.matched()) << playback.drift();
    EXPECT_LT(least, 0.5) << "no frame was drawn in part: the check checked nothing";
}

INSTANTIATE_TEST_SUITE_P(GoldenReplays, DamageTest,
                         ::testing::Values("tests/replays/one_player_easy.replay",
                                           "tests/replays/custom_powerups.replay",
                                           "game/session/demo.replay"),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             return std::filesystem::path(info.param).stem().string();
                         });

// The title screen, with the pointer going over its regions, and the stress
// scene.
TEST(Damage, TheTitleAndTheStressSceneDrawThePixelsOfDrawingEverything) {
    ScratchFolder folder;
    folder.linkPictures();
    writeFileBytes("Data/Optionen.txt", kStressOptions);
    ASSERT_TRUE(startUp());
    scriptedInput(true);
    checkDamage(true);
    game.phase = Phase::Title;
    for (int frame = 0; frame < 600; ++frame) {
        scriptMouse(frame * 7 % kCanvasWidth, frame * 3 % kCanvasHeight, false);
        programFrame();
    }
    EXPECT_EQ(game.phase, Phase::Title);
    EXPECT_EQ(damageMismatches(), 0) << "of 600 frames of the title";
    checkDamage(false);
    beginGame();
    buildStressScene();
    checkDamage(true);
    for (int frame = 0; frame < 600; ++frame) {
        topUpStressScene(frame);
        runGameFrame();
    }
    EXPECT_EQ(damageMismatches(), 0) << "of 600 frames of the stress scene";
    checkDamage(false);
    shutDown(false);
}
