// Numbers as the game's files and screens see them.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// Rounds half away from zero: the one rounding rule of the game wherever a
// double becomes a pixel, a slot, an opacity or a number in a file. Values
// beyond the int range saturate instead of overflowing.
inline int roundToInt(double value) {
    if (!(value == value)) return 0;  // NaN
    if (value >= 2147483647.0) return 2147483647;
    if (value <= -2147483648.0) return -2147483647 - 1;
    double r = value < 0 ? value - 0.5 : value + 0.5;
    if (r >= 2147483647.0) return 2147483647;
    if (r <= -2147483648.0) return -2147483647 - 1;
    return static_cast<int>(r);
}

// The number parse shared by all three programs: leading blanks and tabs,
// an optional sign, then "$" hexadecimal, "%" binary or decimal digits up to
// the first character that does not fit. No digits give 0. Digits beyond
// 64 bits wrap around rather than trap.
std::int64_t parseNumber(std::string_view line);

// The start every number in a file shares: skips the blanks and tabs before
// it and reads an optional sign, leaving `i` on what follows; true for "-".
bool skipBlanksAndSign(std::string_view line, std::size_t& i);

// A whole number as the files write it: optional "-", digits, no padding.
std::string formatWhole(double value);
