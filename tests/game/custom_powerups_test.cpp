// The game's loader of custom power-ups: records and pictures from the files
// the editor writes.
#include "game/players/custom_powerups.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <vector>

#include "base/text_file.h"
#include "datafiles/custom_powerup_file.h"
#include "test_support/scratch_folder.h"

namespace {

struct LoadCall {
    int slot;
    std::string path;
};

// Stands in for the media layer: a picture "loads" when its file exists.
struct FakePictures {
    std::vector<LoadCall> calls;
    CustomPictureLoader loader() {
        return [this](int slot, const std::string& path) {
            calls.push_back({slot, path});
            return fileExists(path) ? 1 : 0;
        };
    }
};

}  // namespace

TEST(CustomPowerUps, GameLoadsUpToTheFirstGapWithItsPictures) {
    ScratchFolder scratch;
    FakePictures pictures;
    EntityList<CustomPowerUp> list;
    EXPECT_EQ(loadCustomPowerUps(list, pictures.loader()), 0);
    EXPECT_EQ(list.count(), 0);

    writeFileBytes("Eigene Smileys/Held.png", "png");
    writeFileBytes("Data/secret.png", "png");
    writeCustomPowerUp(0, "Erster", "A", "Held.png", "Fehlt.png", -0.75, 4, 0, 0);
    writeFileBytes(customPowerUpPath(1),
                   "Zweiter\nB\n../Data/secret.png\n..\n 2.5\n-1x\n");  // LF only, cut short
    writeCustomPowerUp(3, "Vierter", "D", "Held.png", "Held.png", 0, 4, 0, 0);
    EXPECT_EQ(chooseCustomPowerUpNumber(), 2);

    EXPECT_EQ(loadCustomPowerUps(list, pictures.loader()), 2);
    ASSERT_EQ(list.count(), 2);
    const CustomPowerUp* first = list.select(0);
    EXPECT_EQ(first->name, "Erster");
    EXPECT_EQ(first->index, 0);
    EXPECT_EQ(first->smileyImage, 1000);
    EXPECT_EQ(first->shotImage, 0);  // missing picture
    EXPECT_EQ(first->damageBonus, -0.75);
    EXPECT_EQ(first->durationStep, 4);
    const CustomPowerUp* second = list.select(1);
    EXPECT_EQ(second->author, "B");
    EXPECT_EQ(second->index, 1);
    EXPECT_EQ(second->smileyImage, 0);  // outside the folder, even though it exists
    EXPECT_EQ(second->shotImage, 0);
    EXPECT_EQ(second->damageBonus, 2.5);
    EXPECT_EQ(second->durationStep, -1);
    EXPECT_EQ(second->fireDelayOffset, 0);
    EXPECT_EQ(second->walkBonus, 0);
    // Names that leave the folder never reach the picture loader.
    ASSERT_EQ(pictures.calls.size(), 2u);
    EXPECT_EQ(pictures.calls[0].slot, 1000);
    EXPECT_EQ(pictures.calls[0].path, "Eigene Smileys/Held.png");
    EXPECT_EQ(pictures.calls[1].slot, 2000);

    // findCustomPowerUp leaves the list's cursor where a running walk put it.
    list.select(0);
    EXPECT_EQ(findCustomPowerUp(list, 1), second);
    EXPECT_EQ(findCustomPowerUp(list, 0.9), second);
    EXPECT_EQ(findCustomPowerUp(list, 3), nullptr);
    EXPECT_EQ(list.current(), first);
}

TEST(CustomPowerUps, HostileFilesLoadAsFarAsTheyMakeSense) {
    ScratchFolder scratch;
    std::string binary;
    std::mt19937 rng(3);
    for (int i = 0; i < 300000; ++i) binary += static_cast<char>(rng());
    writeFileBytes(customPowerUpPath(0), binary);
    writeFileBytes(customPowerUpPath(1), std::string(3u << 20, '7') + "\r\nx");
    std::filesystem::create_directory(customPowerUpPath(2));  // a folder is no file
    FakePictures pictures;
    EntityList<CustomPowerUp> list;
    EXPECT_EQ(loadCustomPowerUps(list, pictures.loader()), 2);
    EXPECT_EQ(chooseCustomPowerUpNumber(), 2);
    EXPECT_EQ(list.select(1)->name.size(), 3u << 20);
    EXPECT_EQ(list.select(1)->author, "x");
}
