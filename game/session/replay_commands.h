// The replay commands of the game's command line.
#pragma once

#include <string>

// pomvex --replay FILE: plays the replay in the game's window, then ends.
// 0 when it played through as recorded.
int watchReplayFile(const std::string& path);

// pomvex --verify-replay FILE: plays the replay without a window, as fast
// as it goes, and prints its frames, its result and whether every
// checkpoint matched. 0 when all did, 1 otherwise.
int verifyReplayFile(const std::string& path);
