#include "game/session/replay_commands.h"

#include <cstdio>
#include <cstdlib>

#include "game/session/playback.h"
#include "game/session/replay_store.h"
#include "game/session/watching.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"
#include "game/shell/start_up.h"

namespace {

bool load(const std::string& path, ReplayFile& replay, bool window) {
    std::string why;
    if (loadReplayFile(path, replay, why)) return true;
    if (window)
        messageBox("Pomvex", why);
    else
        std::fprintf(stderr, "pomvex: %s\n", why.c_str());
    return false;
}

std::string counts(const char* who, int player) {
    const Player& p = game.players[player];
    return std::string(who) + " " + std::to_string(roundToInt(p.kills)) + " kills, " +
           std::to_string(roundToInt(p.hits)) + " hits";
}

}  // namespace

int watchReplayFile(const std::string& path) {
    if (!startUp()) {
        shutDown(false);
        return 1;
    }
    ReplayFile replay;
    if (!load(path, replay, true)) {
        shutDown(false);
        return 1;
    }
    startWatching(std::move(replay), WatchKind::CommandLine);
    runFrames();
    shutDown(false);
    return lastWatchDrift().empty() ? 0 : 1;
}

int verifyReplayFile(const std::string& path) {
    // Nothing is shown, so no window is needed: the pictures still load,
    // for the collisions.
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    if (!startUp()) {
        shutDown(false);
        return 1;
    }
    ReplayFile replay;
    if (!load(path, replay, false)) {
        shutDown(false);
        return 1;
    }
    Playback playback;
    playback.begin(replay);
    playback.playUndrawn();
    std::printf("%s: %lld frames\n", path.c_str(), playback.frames());
    std::printf("result: %s",
                counts(replay.playerCount == 2 ? "first player" : "player", 0).c_str());
    if (replay.playerCount == 2) std::printf("; %s", counts("second player", 1).c_str());
    std::printf("\n");
    const bool matched = playback.matched();
    if (matched)
        std::printf("checkpoints: all %zu matched\n", playback.checkpointsCompared());
    else
        std::printf("checkpoints: %zu of %zu matched, then it went its own way at %s\n",
                    playback.checkpointsCompared(), replay.checkpoints.size(),
                    playback.drift().c_str());
    shutDown(false);
    return matched ? 0 : 1;
}
