// Data/Optionen.txt as the game and the options tool read it, and the game's
// rewrite of its first four lines, which must leave lines 5 to 7 alone, and
// the options tool's save, which must keep the names.
#include <cstddef>
#include <cstdint>
#include <string>

#include "datafiles/options_file.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const Options o = parseOptions(bytes);
    const Options rewritten = parseOptions(replaceOptionsHead(bytes, o.name1, o.name2, 2, 1));
    FUZZ_CHECK(rewritten.name1 == o.name1 && rewritten.name2 == o.name2);
    FUZZ_CHECK(rewritten.playerCount == 2 && rewritten.difficulty == 1);
    FUZZ_CHECK(rewritten.windowWidth == o.windowWidth);
    FUZZ_CHECK(rewritten.windowHeight == o.windowHeight);
    FUZZ_CHECK(rewritten.customPowerUpsEnabled == o.customPowerUpsEnabled);
    const Options saved = parseOptions(formatOptionsForTool(o));
    FUZZ_CHECK(saved.name1 == o.name1 && saved.name2 == o.name2);
    return 0;
}
