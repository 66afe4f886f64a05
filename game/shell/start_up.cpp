#include "game/shell/start_up.h"

#include <cstdio>

#include "datafiles/options_file.h"
#include "game/session/replay_check.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"
#include "game/shell/picture_catalogue.h"
#include "game/shell/screens.h"
#include "game/shell/sounds.h"

GameState game;

namespace {

void showMessage(const char* title, const char* text) {
    messageBox(title, text);
}

}  // namespace

bool startUp() {
    game = GameState{};
    forgetGameDigests();
    if (!initMedia()) return false;
    game.versionText = "Alpha 1.5.1";
    game.playerCount = 1;
    loadScores(game.scoreTable);

    game.fadeAlpha = 254;
    const DisplaySize desktop = primaryDisplaySize();
    game.windowWidth = desktop.width;
    game.windowHeight = desktop.height;

    Options options;
    if (!readOptions(options, desktop.width, desktop.height, showMessage)) return false;
    firstPlayer().name = options.name1;
    secondPlayer().name = options.name2;
    game.playerCount = options.playerCount;
    game.difficulty = options.difficulty;
    game.windowWidth = options.windowWidth;
    game.windowHeight = options.windowHeight;
    game.customPowerUpsEnabled = options.customPowerUpsEnabled;

    givePlayerStartValues(firstPlayer(), 0);
    givePlayerStartValues(secondPlayer(), 1);

    if (!openScreen(roundToInt(game.windowWidth), roundToInt(game.windowHeight), "Pomvex"))
        return false;
    loadPictures();
    loadSounds();

    loadFont(1, "Arial", 60);
    loadFont(2, "Arial", 40);
    loadFont(3, "Arial", 30);
    loadFont(4, "Arial", 15);
    loadFont(6, "Arial", 13);

    game.customPowerUpCount = loadCustomPowerUps(
        game.customPowerUps,
        [](int slot, const std::string& path) { return loadSprite(slot, path, 0); });
    return true;
}

void reportUnwrittenFile(const std::string& path, const WriteResult& result) {
    if (!result)
        std::fprintf(stderr, "pomvex: %s could not be written: %s\n", path.c_str(),
                     result.reason.c_str());
}

void shutDown(bool saveOptions) {
    if (saveOptions)
        reportUnwrittenFile(kOptionsPath,
                            rewriteOptionsHead(firstPlayer().name, secondPlayer().name,
                                               game.playerCount, game.difficulty));
    shutdownMedia();
}

int runProgram() {
    if (!startUp()) {
        shutDown(false);
        return 0;
    }
    game.phase = Phase::Intro;
    runFrames();
    shutDown(game.phase == Phase::Quit);
    return 0;
}
