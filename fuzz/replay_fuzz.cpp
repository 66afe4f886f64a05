// A replay is shared between players, so any bytes may arrive as one. The
// reader refuses damage with a reason and never crashes; what it takes, it
// writes back in a form it reads again to the same replay.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/fuzz_check.h"
#include "game/session/replay_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReplayFile replay;
    std::string error;
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    if (!parseReplay(bytes, replay, error)) {
        FUZZ_CHECK(!error.empty());
        return 0;
    }
    FUZZ_CHECK(replay.frameCount() > 0 && replay.frameCount() <= kMaxReplayFrames);
    for (const InputRun& run : replay.runs) FUZZ_CHECK(run.keySet < replay.keySets.size());
    ReplayFile again;
    FUZZ_CHECK(parseReplay(formatReplay(replay), again, error));
    FUZZ_CHECK(formatReplay(again) == formatReplay(replay));
    return 0;
}
