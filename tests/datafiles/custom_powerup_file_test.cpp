#include "datafiles/custom_powerup_file.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cmath>
#include <filesystem>
#include <random>
#include <vector>

#include "datafiles/powerup_scales.h"
#include "test_support/scratch_folder.h"

namespace {

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

TEST(CustomPowerUpFile, OnlyBareNamesArePlainFileNames) {
    EXPECT_FALSE(isPlainFileName(""));
    EXPECT_FALSE(isPlainFileName("."));
    EXPECT_FALSE(isPlainFileName("a\\b.png"));
    EXPECT_TRUE(isPlainFileName("..Held.png"));
}
