#include "powerup_editor/editor_logic.h"

#include <cmath>
#include <cstdint>
#include <fstream>

#include "base/encoding.h"
#include "datafiles/custom_powerup_file.h"

namespace {

constexpr std::array<const PowerUpScale*, kEditorSliderCount> kScales = {
    &kDamageScale, &kDurationScale, &kFireDelayScale, &kWalkScale};

constexpr std::uint32_t kLargestPngSide = 8192;

std::uint32_t bigEndian32(const unsigned char* bytes) {
    return std::uint32_t{bytes[0]} << 24 | std::uint32_t{bytes[1]} << 16 |
           std::uint32_t{bytes[2]} << 8 | std::uint32_t{bytes[3]};
}

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

bool pngWorthLoading(const std::string& path) {
    static constexpr unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    std::ifstream in(path, std::ios::binary);
    unsigned char head[24] = {};
    if (!in.read(reinterpret_cast<char*>(head), sizeof head)) return false;
    for (int i = 0; i < 8; ++i)
        if (head[i] != kSignature[i]) return false;
    if (head[12] != 'I' || head[13] != 'H' || head[14] != 'D' || head[15] != 'R') return false;
    const std::uint32_t w = bigEndian32(head + 16);
    const std::uint32_t h = bigEndian32(head + 20);
    return w >= 1 && h >= 1 && w <= kLargestPngSide && h <= kLargestPngSide;
}

WriteResult saveEditor(const EditorState& state, const std::string& nameUtf8,
                       const std::string& authorUtf8) {
    return writeCustomPowerUp(state.n, utf8ToCp1252(nameUtf8), utf8ToCp1252(authorUtf8),
                              state.smileyFile, state.shotFile, stepValue(state, kDamageSlider),
                              stepValue(state, kDurationSlider), stepValue(state, kFireDelaySlider),
                              stepValue(state, kWalkSlider));
}
