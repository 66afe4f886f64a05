// A damaged .cpup reads without harm; its texts come through a rewrite
// unchanged and every number is written in the ten-decimal form.
#include <cstddef>
#include <cstdint>
#include <string>

#include "datafiles/custom_powerup_file.h"
#include "fuzz/fuzz_check.h"

namespace {

bool isTenDecimalForm(const std::string& text) {
    std::size_t i = text.size() > 0 && text[0] == '-' ? 1 : 0;
    const std::size_t point = text.find('.');
    if (point == std::string::npos || point == i || text.size() - point != 11) return false;
    for (; i < text.size(); ++i)
        if (i != point && (text[i] < '0' || text[i] > '9')) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const CustomPowerUpFile f =
        parseCustomPowerUpFile(std::string(reinterpret_cast<const char*>(data), size));
    const CustomPowerUpFile again = parseCustomPowerUpFile(formatCustomPowerUpFile(f));
    FUZZ_CHECK(again.name == f.name && again.author == f.author);
    FUZZ_CHECK(again.smileyFile == f.smileyFile && again.shotFile == f.shotFile);
    for (double v : {f.damageBonus, f.durationStep, f.fireDelayOffset, f.walkBonus})
        FUZZ_CHECK(isTenDecimalForm(formatTenDecimals(v)));
    return 0;
}
