#include "game/shell/main_loop.h"

#include "game/players/health.h"
#include "game/players/shots.h"
#include "game/players/steering.h"
#include "game/shell/display.h"
#include "game/shell/game_state.h"
#include "game/shell/pads.h"
#include "game/shell/picture_catalogue.h"
#include "game/shell/screens.h"
#include "game/shell/start_up.h"
#include "game/world/items.h"
#include "game/world/opponents.h"
#include "game/world/turrets.h"

namespace {

void drawFadeOverlay() {
    beginRotated();
    drawRotatable(kBlackImage, 0, 0, roundToInt(game.fadeAlpha));
    endRotated();
}

// The black overlay: fades a game in from black and, once the lives are
// gone, out to black again, which ends the game.
void fadeStep() {
    if (game.livesLeft <= 0) {
        game.gameOver = 1;
        drawFadeOverlay();
        game.fadeAlpha += 1;
        firstPlayer().active = 0;
        secondPlayer().active = 0;
    }
    if (game.fadeAlpha > 1 && game.gameOver == 0) {
        drawFadeOverlay();
        game.fadeAlpha -= 1;
    }
}

}  // namespace

void grantLives() {
    static constexpr double lives[2][3] = {{4, 3, 2}, {5, 4, 3}};
    const int players = twoPlayerGame() ? 1 : 0;
    game.livesTotal = lives[players][difficultyIndex()];
    game.livesLeft = game.livesTotal;
}

void beginGame() {
    // The first pair comes a shorter while into the game the harder it is.
    static constexpr double spawnTimers[3] = {400, 200, 100};
    game.gameOver = 0;
    game.spawnTimer = spawnTimers[difficultyIndex()];
    grantLives();
}

bool runGameFrame() {
    readMouse();
    readKeyboard();
    applyPads(PadUse::Game);
    if (pollWindowEvents()) {
        game.closeRequested = true;
        return false;
    }
    ++game.frameNumber;
    drawOpaque(kBackgroundImage, 0, 0);
    for (Player& p : game.players) p.driftX = p.driftY = 0;

    beginText();
    updateTurrets();
    setTextTransparent();
    updatePowerUpItems();
    updateOpponents();
    updateAnimations();
    updateShots();
    playerPhase(0);
    if (twoPlayerGame()) playerPhase(1);
    capHealth();
    beginRotated();
    updateTurretShots();
    endRotated();
    drawHealthBars();
    drawLivesStrip();
    drawStatusLines();
    drawNameLabels();
    endText();

    fadeStep();
    flip();
    if (keyHeld(key::Escape)) runPauseScreen();
    spawnOpponents();
    return game.fadeAlpha != 255 && !game.closeRequested;
}

void runGame() {
    while (runGameFrame()) {
    }
}

void recordResult() {
    GameResult result;
    result.playerCount = game.playerCount;
    result.difficulty = game.difficulty;
    result.customPowerUpsEnabled = game.customPowerUpsEnabled;
    result.name1 = firstPlayer().name;
    result.name2 = secondPlayer().name;
    result.kills1 = firstPlayer().kills;
    result.hits1 = firstPlayer().hits;
    result.kills2 = secondPlayer().kills;
    result.hits2 = secondPlayer().hits;
    enterResult(game.scoreTable, game.placementMark, result);
    reportUnwrittenFile(kScoresPath, saveScores(game.scoreTable, game.customPowerUpsEnabled));
}

void resetForNextGame() {
    resetPlayerForNextGame(firstPlayer(), 0);
    resetPlayerForNextGame(secondPlayer(), 1);
    game.shots.clear();
    game.opponents.clear();
    game.items.clear();
    game.turrets.clear();
    game.turretShots.clear();
    game.livesLeft = game.livesTotal;
}

LoopEnd runOuterLoop() {
    for (;;) {
        runTitleScreen();
        if (game.closeRequested) return LoopEnd::CloseWindow;
        if (game.menuHover == kMenuHighScores && !keyHeld(key::Escape)) {
            runHighScoreScreen();
            if (game.closeRequested) return LoopEnd::CloseWindow;
        }
        if (game.menuHover == kMenuStart && !keyHeld(key::Escape)) {
            beginGame();
            runGame();
            if (game.closeRequested) return LoopEnd::CloseWindow;
            recordResult();
            runGameOverScreen();
            if (game.closeRequested) return LoopEnd::CloseWindow;
            resetForNextGame();
        }
        if (keyHeld(key::Escape) || (mouseButtonHeld(1) && game.menuHover == kMenuQuit))
            return LoopEnd::Quit;
    }
}
