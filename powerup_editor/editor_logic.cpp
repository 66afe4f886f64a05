#include "powerup_editor/editor_logic.h"

#include <cmath>
#include <cstdint>
#include <fstream>

#include "base/encoding.h"
#include "base/picture_check.h"
#include "datafiles/custom_powerup_file.h"

namespace {

constexpr std::array<const PowerUpScale*, kEditorSliderCount> kScales = {
    &kDamageScale, &kDurationScale, &kFireDelayScale, &kWalkScale};

double stepValue(const EditorState& state, int slider) {
    return scaleStep(editorScale(slider), state.steps[slider]).value;
}

}  // namespace

const PowerUpScale& editorScale(int slider) {
    if (slider < 0 || slider >= kEditorSliderCount) slider = kDamageSlider;
    return *kScales[slider];
}

EditorState startEditor() {
    EditorState state;
    state.n = chooseCustomPowerUpNumber();
    for (int i = 0; i < kEditorSliderCount; ++i) state.steps[i] = editorScale(i).startStep;
    return state;
}

std::string editorTitle(int n) {
    return "Power-Up " + std::to_string(n + 1);
}

int sliderStep(int slider, double position) {
    const int last = static_cast<int>(editorScale(slider).steps.size()) - 1;
    if (!(position > 0)) return 0;  // NaN included
    if (position >= last) return last;
    return static_cast<int>(std::lround(position));
}

std::string stepLabel(int slider, int step) {
    return cp1252ToUtf8(scaleStep(editorScale(slider), step).name);
}

bool pngWorthLoading(const std::string& path, std::string* why) {
    PictureHeader header;
    const PictureVerdict verdict = checkPictureFile(path, &header);
    if (header.format != PictureHeader::Png) return false;
    if (why && verdict == PictureVerdict::TooLarge)
        *why =
            "Das Bild ist zu gro\xC3\x9F: h\xC3\xB6"
            "chstens 8192 Pixel je Seite und 16 "
            "Megapixel insgesamt.";
    if (why && verdict == PictureVerdict::Truncated)
        *why =
            "Das Bild ist unvollst\xC3\xA4ndig: Die Datei enth\xC3\xA4lt weniger "
            "Bilddaten, als ihr Kopf verspricht.";
    return verdict == PictureVerdict::Plausible;
}

WriteResult saveEditor(const EditorState& state, const std::string& nameUtf8,
                       const std::string& authorUtf8) {
    return writeCustomPowerUp(state.n, utf8ToCp1252(nameUtf8), utf8ToCp1252(authorUtf8),
                              state.smileyFile, state.shotFile, stepValue(state, kDamageSlider),
                              stepValue(state, kDurationSlider), stepValue(state, kFireDelaySlider),
                              stepValue(state, kWalkSlider));
}
