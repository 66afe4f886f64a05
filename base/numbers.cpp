#include "base/numbers.h"

bool skipBlanksAndSign(std::string_view line, std::size_t& i) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) ++i;
    if (i < line.size() && (line[i] == '-' || line[i] == '+')) return line[i++] == '-';
    return false;
}

std::int64_t parseNumber(std::string_view line) {
    std::size_t i = 0;
    const bool negative = skipBlanksAndSign(line, i);
    unsigned base = 10;
    if (i < line.size() && line[i] == '$') {
        base = 16;
        ++i;
    } else if (i < line.size() && line[i] == '%') {
        base = 2;
        ++i;
    }
    // Unsigned arithmetic: an absurdly long number wraps instead of invoking
    // undefined behaviour.
    std::uint64_t value = 0;
    for (; i < line.size(); ++i) {
        const char c = line[i];
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (base == 16 && c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (base == 16 && c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            break;
        if (digit >= base) break;
        value = value * base + digit;
    }
    if (negative) value = ~value + 1;
    return static_cast<std::int64_t>(value);
}

std::string formatWhole(double value) {
    return std::to_string(roundToInt(value));
}
