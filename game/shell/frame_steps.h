// The steps of one game frame, each owned by the part of the game it names.
// The frame calls them in a fixed order (see runGameFrame); each update draws
// its entities and moves them in the same pass.
#pragma once

#include <string>

// World (game/world/)
void updateTurrets();
void updatePowerUpItems();
void updateOpponents();
void updateTurretShots();  // between beginRotated and endRotated
void spawnOpponents();

// Players (game/players/)
void updateShots();
void playerPhase(int playerIndex);  // steering, fire, form update, drawing
void capHealth();

// On-screen display (game/shell/)
// The status line as drawn this frame, for player 0 or 1.
const std::string& statusLineText(int playerIndex);
void drawHealthBars();
void drawLivesStrip();
void drawStatusLines();
void drawNameLabels();

// Screens (game/shell/)
void runPauseScreen();
