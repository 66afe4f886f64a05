// Any line decodes to a text of known characters, and any text survives the
// scramble once its unknown characters are mended.
#include <cstddef>
#include <cstdint>
#include <string>

#include "datafiles/score_table.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    for (char c : decodeScoreLine(bytes))
        FUZZ_CHECK(isScoreCharacter(static_cast<unsigned char>(c)));

    const std::string line = encodeScoreLine(bytes);
    FUZZ_CHECK(line.size() == 11 * (size / 2) + 5 * (size % 2));
    FUZZ_CHECK(decodeScoreLine(line) == scoreSafeText(bytes));
    return 0;
}
