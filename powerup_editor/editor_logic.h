// What the power-up editor knows apart from its window: its number, the two
// chosen pictures, where the four sliders stand, and how that becomes a
// .cpup file. Plain functions without FLTK, so the tests can call them.
#pragma once

#include <array>
#include <string>

#include "base/text_file.h"
#include "datafiles/powerup_scales.h"

// The four sliders, top to bottom.
enum EditorSlider { kDamageSlider, kDurationSlider, kFireDelaySlider, kWalkSlider };
inline constexpr int kEditorSliderCount = 4;

const PowerUpScale& editorScale(int slider);

struct EditorState {
    int n = 0;               // the file number of this run, fixed at start
    std::string smileyFile;  // file name parts of the chosen pictures, as the
    std::string shotFile;    // file system spells them
    std::array<int, kEditorSliderCount> steps{};
};

// n chosen from the files present and every slider on its start step.
EditorState startEditor();

// "Power-Up " and n + 1: the first file, PowerUp0.cpup, is power-up 1.
std::string editorTitle(int n);

// The slider's position as a step of its scale, held inside the scale.
int sliderStep(int slider, double position);

// The step's name in UTF-8, for the label beside the slider.
std::string stepLabel(int slider, int step);

// Whether a file is a PNG of sensible size that holds the data its header
// promises, read from its headers before the picture is decoded, so that a
// hostile picture cannot make the editor allocate gigabytes. A PNG refused
// for its size or its missing data gets the reason in `why`, in the
// editor's words (UTF-8); other files are simply not previewed.
bool pngWorthLoading(const std::string& path, std::string* why = nullptr);

// "Speichern": the two texts of the name fields (UTF-8, as the fields hold
// them) go into the file as Windows-1252, the sliders as their steps'
// values. When the file could not be written, the result says why.
WriteResult saveEditor(const EditorState& state, const std::string& nameUtf8,
                       const std::string& authorUtf8);
