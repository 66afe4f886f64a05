// Power-up items that dead opponents leave on the field.
#pragma once

#include <string>

struct PowerUpItem {
    double x = 0, y = 0;
    double kind = 0;  // 0..26, or 1000 for a custom power-up
    double image = 0;
    std::string name;
    double fade = 0;  // opacity of the grey veil; takeable once <= 0
    double sparkle = 0;
    double customIndex = 0;
};
