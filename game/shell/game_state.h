// GameState: the one global record of the game. Every part of the game reads
// and writes the fields it needs here directly; there is no other channel
// between them. It is filled with start values at program start and lives
// until the process ends.
#pragma once

#include <string>

#include "datafiles/score_table.h"
#include "game/players/custom_powerups.h"
#include "game/players/player.h"
#include "game/players/shot.h"
#include "game/shell/animation.h"
#include "game/shell/pictures.h"
#include "game/world/item.h"
#include "game/world/opponent.h"
#include "game/world/turret.h"
#include "media/media_layer.h"

// Which screen the next frame belongs to. Quit and Closed end the program:
// Quit from the title screen (the options head is saved), Closed by the
// window's close request (nothing is saved).
enum class Phase { Intro, Title, HighScores, Playing, Paused, GameOver, Quit, Closed };

struct GameState {
    // ---- settings, from Data/Optionen.txt --------------------------------
    double playerCount = 1;  // 1 or 2
    double difficulty = 0;   // 0 "Easy-Peasy", 1 "Normal", 2 "Krank"
    double windowWidth = 0, windowHeight = 0;
    double customPowerUpsEnabled = 0;

    // ---- run-time values ---------------------------------------------------
    std::string versionText;
    double livesTotal = 0;  // lives granted for a game
    double livesLeft = 0;   // the shared pool: each death of either player takes one
    double gameOver = 0;    // 1 in every frame in which the pool is empty
    double fadeAlpha = 0;   // opacity of the black overlay; never reset between games
    double spawnTimer = 0;  // counted by the opponent spawner
    double customPowerUpCount = 0;

    // ---- screens -------------------------------------------------------------
    Phase phase = Phase::Intro;
    int logoLevel = 0, logoPhase = 0, logoHold = 0;  // intro fade: grey level, phase, hold
    int introDone = 0, escapeSeen = 0, clickSeen = 0;
    double menuHover = 0;   // id of the title-screen region under the mouse
    double blinkLevel = 0;  // grey level of the blinking "Enter drücken!"
    int blinkFalling = 0;
    int paused = 0;
    int pauseChoice = 0;       // 0 continue, 1 end the game; kept from pause to pause
    double placementMark = 0;  // stars after a game, set by enterResult
    // The high-score screen's replays: which entries have one this game can
    // show, the row chosen with the keys (-1: none), the entry whose game is
    // to be watched (-1: none), and last frame's buttons, so that a press
    // acts once.
    bool entryWatchable[kScoreEntryCount] = {};
    int chosenRow = -1;
    int watchEntry = -1;
    bool pointerWasHeld = false, upWasHeld = false, downWasHeld = false;
    bool watching = false;  // a replay plays: its game's end enters nothing anywhere

    // ---- score table -------------------------------------------------------------
    ScoreTable scoreTable;

    // ---- players ---------------------------------------------------------------
    Player players[2];  // first and second player

    // ---- entity lists, created empty at start-up in this order ------------------
    EntityList<CustomPowerUp> customPowerUps;  // loaded once at start-up
    EntityList<Animation> animations;          // not cleared between games
    EntityList<PowerUpItem> items;
    EntityList<Turret> turrets;
    EntityList<TurretShot> turretShots;
    EntityList<Opponent> opponents;
    EntityList<Shot> shots;

    // ---- platform ----------------------------------------------------------------
    bool closeRequested = false;  // the window's close request: end at once, no saving
    long long frameNumber = 0;    // game frames run since start-up
    // A game shared with another machine; its finished games are entered
    // into the table at once but saved only when their frame is final.
    bool networkGame = false;
    bool scoresUnsaved = false;
};

extern GameState game;

inline Player& firstPlayer() {
    return game.players[0];
}
inline Player& secondPlayer() {
    return game.players[1];
}
inline bool twoPlayerGame() {
    return game.playerCount == 2;
}

// The difficulty as an index into the game's tables. A hand-edited value
// outside 0..2 plays like the nearest one rather than reading past a table.
inline int difficultyIndex() {
    const int d = roundToInt(game.difficulty);
    return d < 0 ? 0 : d > 2 ? 2 : d;
}
