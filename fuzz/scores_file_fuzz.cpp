// What loadScores makes of a damaged or hostile Data/Scores.txt: it must come
// back, and whatever names it read must survive being saved and read again.
#include <cstddef>
#include <cstdint>
#include <string>

#include "datafiles/score_table.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const ScoreTable table = parseScores(std::string(reinterpret_cast<const char*>(data), size));
    const ScoreTable again = parseScores(formatScores(table));
    for (int i = 0; i < kScoreEntryCount; ++i) {
        FUZZ_CHECK(again[i].name1 == table[i].name1);
        FUZZ_CHECK(again[i].name2 == table[i].name2);
    }
    return 0;
}
