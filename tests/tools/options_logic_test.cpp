// The options tool's logic beside its window: the resolution list and what
// a selection saves, and the scale of the window on dense screens.
#include <gtest/gtest.h>

#include "options_tool/display_scale.h"
#include "options_tool/resolutions.h"

TEST(OptionsResolutionList, FixedEntriesThenTheCurrentResolution) {
    const auto texts = resolutionListTexts(1600, 900);
    ASSERT_EQ(texts.size(), 18u);
    EXPECT_EQ(texts[0], "640*480");
    EXPECT_EQ(texts[1], "720*480");
    EXPECT_EQ(texts[5], "1200*800");
    EXPECT_EQ(texts[11], "1280*1024");
    EXPECT_EQ(texts[12], "1366*768");
    EXPECT_EQ(texts[14], "1600*900");
    EXPECT_EQ(texts[16], "1920*1080");
    // The extra entry repeats a fixed one here, and still stands on its own.
    EXPECT_EQ(texts[17], "1600*900");

    // Every fixed entry reads as the size it stands for.
    for (int i = 0; i < kFixedResolutionCount; ++i) {
        const Resolution& r = kFixedResolutions[i];
        EXPECT_EQ(texts[i], std::to_string(r.width) + "*" + std::to_string(r.height)) << i;
    }
}

TEST(OptionsResolutionList, CurrentEntryTextFromAnyValues) {
    // A damaged file gives 0 by 0; hand-edited values show as they are.
    EXPECT_EQ(resolutionText(0, 0), "0*0");
    EXPECT_EQ(resolutionText(-5, 7), "-5*7");
    EXPECT_EQ(resolutionText(2560, 1440), "2560*1440");
    // Values are whole numbers on screen, rounded like everywhere else.
    EXPECT_EQ(resolutionText(1023.5, 767.4), "1024*767");
    EXPECT_EQ(resolutionListTexts(0, 0).back(), "0*0");
}

TEST(OptionsResolutionList, SelectionDecidesTheSavedSize) {
    using Size = std::pair<double, double>;
    EXPECT_EQ(chosenResolution(0, 1600, 900), Size(640, 480));
    EXPECT_EQ(chosenResolution(2, 1920, 1080), Size(800, 600));
    EXPECT_EQ(chosenResolution(14, 333, 444), Size(1600, 900));
    EXPECT_EQ(chosenResolution(16, 0, 0), Size(1920, 1080));
    // The current entry, or nothing selected, keeps what the tool holds.
    EXPECT_EQ(chosenResolution(17, 1601, 899), Size(1601, 899));
    EXPECT_EQ(chosenResolution(-1, 1601, 899), Size(1601, 899));
    EXPECT_EQ(chosenResolution(18, 0, 0), Size(0, 0));
}

TEST(OptionsDisplayScale, FromDesktopDensity) {
    EXPECT_EQ(displayScale(nullptr, 0), 1.0);  // no Xft.dpi at all
    EXPECT_EQ(displayScale(nullptr, 96), 1.0);
    EXPECT_EQ(displayScale(nullptr, 72), 1.0);  // never smaller than the table
    EXPECT_EQ(displayScale(nullptr, 120), 1.25);
    EXPECT_EQ(displayScale(nullptr, 144), 1.5);
    EXPECT_EQ(displayScale(nullptr, 192), 2.0);
    EXPECT_EQ(displayScale(nullptr, 190), 2.0);
    EXPECT_EQ(displayScale(nullptr, 5000), 4.0);
    // A whole GDK_SCALE wins over the density; anything else is ignored.
    EXPECT_EQ(displayScale("2", 96), 2.0);
    EXPECT_EQ(displayScale("1", 192), 1.0);
    EXPECT_EQ(displayScale("", 192), 2.0);
    EXPECT_EQ(displayScale("0", 144), 1.5);
    EXPECT_EQ(displayScale("9", 0), 1.0);
    EXPECT_EQ(displayScale("2x", 0), 1.0);
}

TEST(OptionsDisplayScale, ScaledLengthsRoundHalfAway) {
    EXPECT_EQ(scaled(478, 1.0), 478);
    EXPECT_EQ(scaled(478, 2.0), 956);
    EXPECT_EQ(scaled(45, 1.5), 68);
    EXPECT_EQ(scaled(257, 1.25), 321);
    EXPECT_EQ(scaled(370, 1.25), 463);
}
