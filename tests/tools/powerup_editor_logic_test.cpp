// The power-up editor's plain logic: what the window shows and what a save
// puts into the file, without a window.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "datafiles/custom_powerup_file.h"
#include "powerup_editor/editor_logic.h"
#include "test_support/picture_files.h"
#include "test_support/scratch_folder.h"

namespace {

TEST(PowerUpEditorLogic, StartTakesTheLowestFreeNumberAndTheStartSteps) {
    ScratchFolder scratch;
    EditorState first = startEditor();
    EXPECT_EQ(first.n, 0);
    EXPECT_EQ(editorTitle(first.n), "Power-Up 1");
    EXPECT_EQ(first.steps[kDamageSlider], 4);
    EXPECT_EQ(first.steps[kDurationSlider], 3);
    EXPECT_EQ(first.steps[kFireDelaySlider], 4);
    EXPECT_EQ(first.steps[kWalkSlider], 3);
    EXPECT_TRUE(first.smileyFile.empty() && first.shotFile.empty());

    // The number goes up to the first gap, not past the highest file.
    writeFileBytes(customPowerUpPath(0), "a");
    writeFileBytes(customPowerUpPath(1), "b");
    writeFileBytes(customPowerUpPath(3), "d");
    EXPECT_EQ(startEditor().n, 2);
    EXPECT_EQ(editorTitle(11), "Power-Up 12");
}

TEST(PowerUpEditorLogic, SliderPositionsBecomeStepsAndUtf8Names) {
    EXPECT_EQ(sliderStep(kDamageSlider, 9), 9);
    EXPECT_EQ(sliderStep(kDamageSlider, 12), 9);
    EXPECT_EQ(sliderStep(kDurationSlider, 6.4), 6);
    EXPECT_EQ(sliderStep(kDurationSlider, 2.6), 3);
    EXPECT_EQ(sliderStep(kWalkSlider, -3), 0);
    EXPECT_EQ(sliderStep(kFireDelaySlider, 8), 8);
    EXPECT_EQ(sliderStep(kFireDelaySlider, 9), 8);

    // The names the window shows next to the sliders at start.
    EXPECT_EQ(stepLabel(kDamageSlider, 4), "Normaler Schaden");
    EXPECT_EQ(stepLabel(kDurationSlider, 3), "Normal");
    EXPECT_EQ(stepLabel(kFireDelaySlider, 4), "Normale Geschw.");
    EXPECT_EQ(stepLabel(kWalkSlider, 3), "Normale Geschw.");
    // Umlauts reach FLTK as UTF-8, not as the code page's single bytes.
    EXPECT_EQ(stepLabel(kDamageSlider, 9), "F\xC3\xBCnffacher Schaden");
    EXPECT_EQ(stepLabel(kDurationSlider, 2), "K\xC3\xBCrzer");
    EXPECT_EQ(stepLabel(kDurationSlider, 4), "L\xC3\xA4nger");
    EXPECT_EQ(stepLabel(kFireDelaySlider, 8), "Pausenlos");
    EXPECT_EQ(stepLabel(kWalkSlider, 6), "Dreifache Geschw.");
}

TEST(PowerUpEditorLogic, SaveWritesCodePageNamesAndStepValues) {
    ScratchFolder scratch;
    EditorState state = startEditor();
    state.smileyFile = "Held.png";
    state.steps[kDamageSlider] = 1;
    state.steps[kDurationSlider] = 6;
    state.steps[kFireDelaySlider] = 0;
    state.steps[kWalkSlider] = 5;
    ASSERT_TRUE(saveEditor(state, "Gr\xC3\xBCner Blitz \xE2\x82\xAC", "J\xC3\xBCrgen"));
    EXPECT_EQ(readFileBytes("Data/CustomPU/PowerUp0.cpup"),
              "Gr\xFCner Blitz \x80\r\nJ\xFCrgen\r\nHeld.png\r\n\r\n"
              "-0.7500000000\r\n0.5000000000\r\n60.0000000000\r\n20.0000000000");

    // Saving again in the same run replaces the file; untouched sliders
    // write the start values.
    state = startEditor();
    state.n = 0;
    ASSERT_TRUE(saveEditor(state, "", ""));
    EXPECT_EQ(readFileBytes("Data/CustomPU/PowerUp0.cpup"),
              "\r\n\r\n\r\n\r\n0.0000000000\r\n4.0000000000\r\n0.0000000000\r\n0.0000000000");

    // Without the folder nothing is written, and nothing breaks.
    std::filesystem::remove_all("Data/CustomPU");
    EXPECT_FALSE(saveEditor(state, "x", "y"));
    EXPECT_FALSE(std::filesystem::exists("Data/CustomPU"));
}

TEST(PowerUpEditorLogic, OnlySensiblePngsAreDecoded) {
    ScratchFolder scratch;
    writePng("gut.png", TestPicture(40, 30, 0xFF00FF00));
    EXPECT_TRUE(pngWorthLoading("gut.png"));
    EXPECT_FALSE(pngWorthLoading("fehlt.png"));
    EXPECT_FALSE(pngWorthLoading("Eigene Smileys"));  // a folder
    writeFileBytes("kaputt.png", "kein Bild, nur Text, aber lang genug");
    EXPECT_FALSE(pngWorthLoading("kaputt.png"));
    writeFileBytes("kurz.png", "\x89PNG\r\n\x1A\n");
    EXPECT_FALSE(pngWorthLoading("kurz.png"));

    // A header promising a picture too large to hold, or none at all, and
    // one whose data is not all there; those two say why.
    std::string head = readFileBytes("gut.png").substr(0, 33);
    const auto withSize = [&](char w0, char w1, char h0, char h1) {
        std::string bytes = head;
        bytes.replace(16, 8, std::string{0, 0, w0, w1, 0, 0, h0, h1});
        return bytes;
    };
    std::string why;
    writeFileBytes("riesig.png", withSize(0x20, 0x01, 0x00, 0x10));  // 8193 x 16
    EXPECT_FALSE(pngWorthLoading("riesig.png", &why));
    EXPECT_NE(why.find("zu gro"), std::string::npos) << why;
    why.clear();
    writeFileBytes("flaeche.png", withSize(0x20, 0x00, 0x20, 0x00));  // 8192 x 8192
    EXPECT_FALSE(pngWorthLoading("flaeche.png", &why));
    EXPECT_NE(why.find("zu gro"), std::string::npos) << why;
    why.clear();
    writeFileBytes("hohl.png", withSize(0x08, 0x00, 0x08, 0x00));  // 2048 x 2048, no data
    EXPECT_FALSE(pngWorthLoading("hohl.png", &why));
    EXPECT_NE(why.find("unvollst"), std::string::npos) << why;
    writeFileBytes("leer.png", withSize(0x00, 0x00, 0x00, 0x10));  // 0 x 16
    EXPECT_FALSE(pngWorthLoading("leer.png"));
}

}  // namespace
