#include "options_tool/resolutions.h"

#include "base/numbers.h"

const Resolution kFixedResolutions[kFixedResolutionCount] = {
    {640, 480},  {720, 480},  {800, 600},  {960, 720},   {1024, 768},  {1200, 800},
    {1200, 900}, {1280, 720}, {1280, 768}, {1280, 800},  {1280, 960},  {1280, 1024},
    {1366, 768}, {1600, 768}, {1600, 900}, {1600, 1200}, {1920, 1080},
};

std::string resolutionText(double width, double height) {
    return formatWhole(width) + "*" + formatWhole(height);
}

std::vector<std::string> resolutionListTexts(double currentWidth, double currentHeight) {
    std::vector<std::string> texts;
    texts.reserve(kFixedResolutionCount + 1);
    for (const Resolution& r : kFixedResolutions)
        texts.push_back(resolutionText(r.width, r.height));
    texts.push_back(resolutionText(currentWidth, currentHeight));
    return texts;
}

std::pair<double, double> chosenResolution(int selectedIndex, double currentWidth,
                                           double currentHeight) {
    if (selectedIndex >= 0 && selectedIndex < kFixedResolutionCount) {
        const Resolution& r = kFixedResolutions[selectedIndex];
        return {r.width, r.height};
    }
    return {currentWidth, currentHeight};
}
