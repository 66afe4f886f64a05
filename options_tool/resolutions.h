// The resolution drop-down of the options tool, without any toolkit: the
// entry texts and which width and height a selection stands for.
#pragma once

#include <string>
#include <utility>
#include <vector>

struct Resolution {
    int width;
    int height;
};

// The fixed entries 0 to 16, in list order.
inline constexpr int kFixedResolutionCount = 17;
extern const Resolution kFixedResolutions[kFixedResolutionCount];

// The extra entry after the fixed ones shows the resolution in use.
inline constexpr int kCurrentResolutionEntry = kFixedResolutionCount;

// "W*H" with whole numbers and no blanks, as every entry reads.
std::string resolutionText(double width, double height);

// All 18 entry texts: the fixed table, then the current resolution.
std::vector<std::string> resolutionListTexts(double currentWidth, double currentHeight);

// The width and height to save for a selected entry: a fixed entry gives its
// own size; the current-resolution entry, or no selection at all (-1), keeps
// the values the tool already holds.
std::pair<double, double> chosenResolution(int selectedIndex, double currentWidth,
                                           double currentHeight);
