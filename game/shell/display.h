// The on-screen display of a running game, drawn as frame steps: health
// bars, the lives strip, the status lines and the players' name labels.
#pragma once

#include <string>

void drawHealthBars();
void drawLivesStrip();
void drawStatusLines();
void drawNameLabels();

// The status line as drawn this frame, for player 0 or 1.
const std::string& statusLineText(int playerIndex);
