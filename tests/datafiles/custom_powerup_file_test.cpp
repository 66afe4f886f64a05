#include "datafiles/custom_powerup_file.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <random>
#include <vector>

#include "datafiles/powerup_scales.h"
#include "base/text_file.h"
#include "tests/test_support.h"

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

std::string toCharsTen(double v) {
    char buffer[400];
    const auto r = std::to_chars(buffer, buffer + sizeof buffer, v, std::chars_format::fixed, 10);
    return std::string(buffer, r.ptr);
}

}  // namespace

TEST(CustomPowerUpFile, TenDecimalFormIsExact) {
    EXPECT_EQ(formatTenDecimals(-0.75), "-0.7500000000");
    EXPECT_EQ(formatTenDecimals(60), "60.0000000000");
    EXPECT_EQ(formatTenDecimals(-1e-12), "0.0000000000");
    // 2^-11 = 0.00048828125 and 3 * 2^-11 = 0.00146484375 are exact ties at
    // the eleventh decimal: to even, down and up.
    EXPECT_EQ(formatTenDecimals(std::ldexp(1, -11)), "0.0004882812");
    EXPECT_EQ(formatTenDecimals(std::ldexp(3, -11)), "0.0014648438");
    // Every step of every scale survives the trip through the file form.
    for (const PowerUpScale* scale :
         {&kDamageScale, &kDurationScale, &kFireDelayScale, &kWalkScale})
        for (const ScaleStep& step : scale->steps) {
            EXPECT_EQ(parseDecimal(formatTenDecimals(step.value)), step.value) << step.name;
            EXPECT_EQ(formatTenDecimals(step.value), toCharsTen(step.value)) << step.name;
        }
    // Any other double is rounded exactly too: the standard library's exact
    // conversion must agree digit for digit.
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> exponent(-34, 45);
    for (int i = 0; i < 20000; ++i) {
        const double v = (i % 2 ? -1 : 1) * std::pow(2.0, exponent(rng));
        ASSERT_EQ(formatTenDecimals(v), toCharsTen(v)) << v;
    }
    for (double extreme : {1e300, 5e-324})
        EXPECT_EQ(formatTenDecimals(extreme), toCharsTen(extreme));
}

TEST(CustomPowerUpFile, DecimalReaderTakesTheLeadingNumber) {
    EXPECT_EQ(parseDecimal(" \t-0.75abc"), -0.75);
    EXPECT_EQ(parseDecimal("+4."), 4);
    EXPECT_EQ(parseDecimal(".5"), 0.5);
    EXPECT_EQ(parseDecimal("12.9 und mehr"), 12.9);
    EXPECT_EQ(parseDecimal("1e5"), 1);
    for (const char* none : {"", "abc", "--5", "- 5", ".", "-."}) EXPECT_EQ(parseDecimal(none), 0);
    EXPECT_EQ(parseDecimal("1" + std::string(400, '0')), 0);
}

TEST(CustomPowerUpFile, EditorWritesTheExactBytes) {
    ScratchFolder scratch;
    ASSERT_EQ(chooseCustomPowerUpNumber(), 0);
    ASSERT_TRUE(writeCustomPowerUp(0, "Bl\xE4ser", "Ich", "/home/ich/Bilder/Held.png",
                                   "C:\\Bilder\\Schuss.png",
                                   scaleStep(kDamageScale, kDamageScale.startStep).value,
                                   scaleStep(kDurationScale, kDurationScale.startStep).value,
                                   scaleStep(kFireDelayScale, kFireDelayScale.startStep).value,
                                   scaleStep(kWalkScale, kWalkScale.startStep).value));
    EXPECT_EQ(readFileBytes("Data/CustomPU/PowerUp0.cpup"),
              "Bl\xE4ser\r\nIch\r\nHeld.png\r\nSchuss.png\r\n0.0000000000\r\n4.0000000000\r\n"
              "0.0000000000\r\n0.0000000000");

    // The extreme steps, saved again into the same file.
    ASSERT_TRUE(writeCustomPowerUp(0, "", "", "", "", kDamageSteps[1].value,
                                   scaleStep(kDurationScale, 99).value, kFireDelaySteps[0].value,
                                   scaleStep(kWalkScale, -3).value));
    EXPECT_EQ(readFileBytes("Data/CustomPU/PowerUp0.cpup"),
              "\r\n\r\n\r\n\r\n-0.7500000000\r\n0.5000000000\r\n60.0000000000\r\n-7.5000000000");
    EXPECT_STREQ(scaleStep(kDamageScale, 9).name, "F\xFCnffacher Schaden");
    EXPECT_EQ(formatTenDecimals(scaleStep(kDamageScale, 9).value), "4.0000000000");

    // Without the folder nothing is written and nothing is reported.
    std::filesystem::remove_all("Data/CustomPU");
    EXPECT_FALSE(writeCustomPowerUp(0, "a", "b", "", "", 0, 4, 0, 0));
}

TEST(CustomPowerUpFile, GameLoadsUpToTheFirstGapWithItsPictures) {
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

TEST(CustomPowerUpFile, HostileFilesLoadAsFarAsTheyMakeSense) {
    EXPECT_FALSE(isPlainFileName(""));
    EXPECT_FALSE(isPlainFileName("."));
    EXPECT_FALSE(isPlainFileName("a\\b.png"));
    EXPECT_TRUE(isPlainFileName("..Held.png"));

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
