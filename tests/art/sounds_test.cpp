// Every sound the game names is rendered, and loads through the mixer.
#include "game/shell/sounds.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "media/media_layer.h"
#include "test_support/scratch_folder.h"

TEST(Sounds, EveryEffectAndTuneOfTheTableIsThereAndLoads) {
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    ScratchFolder folder;
    folder.linkPictures();
    ASSERT_TRUE(initMedia());
    ASSERT_TRUE(openAudio()) << "the dummy driver always opens";
    for (const SoundFile& s : kSoundTable) EXPECT_TRUE(loadSound(s.slot, s.file)) << s.file;
    for (const char* tune : {kTitleMusic, kGameMusic, kGameOverJingle}) {
        EXPECT_EQ(readFileBytes(tune).substr(0, 4), "RIFF") << tune;
        EXPECT_LT(std::filesystem::file_size(tune), 4u << 20) << tune << ": too big to ship";
    }
    shutdownMedia();
}
