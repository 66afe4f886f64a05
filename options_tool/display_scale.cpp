#include "options_tool/display_scale.h"

#include <cmath>
#include <cstdlib>

#include "base/numbers.h"

double displayScale(const char* gdkScale, double xftDpi) {
    if (gdkScale && *gdkScale) {
        char* end = nullptr;
        const long factor = std::strtol(gdkScale, &end, 10);
        if (*end == '\0' && factor >= 1 && factor <= 4) return static_cast<double>(factor);
    }
    if (!(xftDpi > 96.0)) return 1.0;
    // Quarter steps keep odd DPI values (120, 144, 192) on the factors that
    // desktops offer; anything past 4 is not a real screen.
    const double scale = std::round(xftDpi / 96.0 * 4.0) / 4.0;
    return scale < 1.0 ? 1.0 : scale > 4.0 ? 4.0 : scale;
}

int scaled(int pixels, double scale) {
    return roundToInt(pixels * scale);
}
