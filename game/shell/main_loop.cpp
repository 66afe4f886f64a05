#include "game/shell/main_loop.h"

#include "game/players/health.h"
#include "game/players/shots.h"
#include "game/players/steering.h"
#include "game/session/frame_source.h"
#include "game/session/replay_store.h"
#include "game/session/watching.h"
#include "game/shell/display.h"
#include "game/shell/game_state.h"
#include "game/shell/pads.h"
#include "game/shell/picture_catalogue.h"
#include "game/shell/screens.h"
#include "game/shell/sounds.h"
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
        if (game.gameOver == 0) playSound(kSoundFadeOut);
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

bool playFrame() {
    if (inputAsksToClose()) {
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
    drawWatchBanner();
    flip();
    return true;
}

bool afterPlayFrame() {
    spawnOpponents();
    return game.fadeAlpha != 255 && !game.closeRequested;
}

bool runGameFrame() {
    takeFrameInput(PadUse::Game);
    if (!playFrame()) return false;
    if (keyHeld(key::Escape)) runPauseScreen();
    return afterPlayFrame();
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
    if (game.placementMark >= 1 && game.placementMark <= kScoreListLength)
        playSound(kSoundNewEntry);
    // A network game's frame may still be simulated again on the other
    // player's real input: its session saves the table once the frame is
    // final.
    if (game.networkGame) {
        game.scoresUnsaved = true;
        return;
    }
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

namespace {

// Between the screens, as each one ends: the player leaves from the title
// screen with Escape or the exit region, and otherwise sees it again.
void leaveOrTitle() {
    const bool leave = keyHeld(key::Escape) || (mouseButtonHeld(1) && game.menuHover == kMenuQuit);
    game.phase = leave ? Phase::Quit : Phase::Title;
}

void startOrLeave() {
    if (game.menuHover == kMenuStart && !keyHeld(key::Escape)) {
        beginGame();
        game.phase = Phase::Playing;
        return;
    }
    leaveOrTitle();
}

void afterTitle() {
    if (game.closeRequested) {
        game.phase = Phase::Closed;
    } else if (game.menuHover == kMenuHighScores && !keyHeld(key::Escape)) {
        game.phase = Phase::HighScores;
        // The click that chose the screen does not also choose a row.
        game.pointerWasHeld = true;
        game.chosenRow = -1;
    } else {
        startOrLeave();
    }
}

void afterGameFrame() {
    if (afterPlayFrame()) {
        game.phase = Phase::Playing;
    } else if (game.closeRequested) {
        game.phase = Phase::Closed;
    } else {
        if (!game.watching) recordResult();
        enterGameOver();
        game.phase = Phase::GameOver;
    }
}

}  // namespace

PadUse padUseOf(Phase phase) {
    switch (phase) {
        case Phase::Playing:
            return PadUse::Game;
        case Phase::Paused:
            return PadUse::Pause;
        case Phase::HighScores:
        case Phase::GameOver:
            return PadUse::Prompt;
        default:
            return PadUse::Pointer;
    }
}

bool programOver() {
    return game.phase == Phase::Quit || game.phase == Phase::Closed;
}

void stepFrame() {
    switch (game.phase) {
        case Phase::Intro:
            introFrame();
            if (game.introDone) game.phase = Phase::Title;
            break;
        case Phase::Title:
            if (!titleFrame()) afterTitle();
            break;
        case Phase::HighScores:
            if (highScoreFrame()) break;
            if (game.closeRequested)
                game.phase = Phase::Closed;
            else
                startOrLeave();
            break;
        case Phase::Playing:
            if (!playFrame()) {
                game.phase = Phase::Closed;
            } else if (keyHeld(key::Escape)) {
                enterPause();
                game.phase = Phase::Paused;
            } else {
                afterGameFrame();
            }
            break;
        case Phase::Paused:
            pauseFrame();
            if (game.paused == 0) afterGameFrame();
            break;
        case Phase::GameOver:
            if (gameOverFrame()) break;
            if (game.closeRequested) {
                game.phase = Phase::Closed;
            } else {
                resetForNextGame();
                leaveOrTitle();
            }
            break;
        case Phase::Quit:
        case Phase::Closed:
            break;
    }
}

// The title's tune plays on the title and the score table, the game's in a
// game and its pause, the jingle once at game over.
void musicFor(Phase phase) {
    switch (phase) {
        case Phase::Title:
        case Phase::HighScores:
            playMusic(kTitleMusic, true);
            break;
        case Phase::Playing:
        case Phase::Paused:
            playMusic(kGameMusic, true);
            break;
        case Phase::GameOver:
            playMusic(kGameOverJingle, false);
            break;
        default:
            break;
    }
}

void programFrame() {
    if (watchingReplay()) {
        watchFrame();
        return;
    }
    takeFrameInput(padUseOf(game.phase));
    const Phase before = game.phase;
    stepFrame();
    if (game.phase != before) musicFor(game.phase);
    recordStep(before);
    offerReplays(before);
}

void runFrames() {
    while (!programOver()) programFrame();
}

LoopEnd runOuterLoop() {
    game.phase = Phase::Title;
    runFrames();
    return game.phase == Phase::Quit ? LoopEnd::Quit : LoopEnd::CloseWindow;
}
