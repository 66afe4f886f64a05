// The screens around a game: intro, title, high scores, pause and game over.
// Each frame of a screen runs on the frame input in use and ends with
// flip(); a screen's run... function takes the input of each frame and runs
// frames until the screen is over. A window close request sets
// game.closeRequested and leaves the screen at once (the intro and the pause
// do not look at it: the window waits until the title screen or the game).
#pragma once

#include <string>

// Title-screen regions, in the order they are tested.
constexpr int kMenuNone = 0;
constexpr int kMenuStart = 1;
constexpr int kMenuHighScores = 2;
constexpr int kMenuEasy = 3;
constexpr int kMenuNormal = 4;
constexpr int kMenuKrank = 5;
constexpr int kMenuQuit = 6;
constexpr int kMenuOnePlayer = 7;
constexpr int kMenuTwoPlayers = 8;

// The region under a point of the canvas; the first that contains it wins.
int menuRegionAt(int x, int y);

void runIntro();
void runTitleScreen();
void runHighScoreScreen();
void runGameOverScreen();

// Single frames. Those that return a value return false once their screen
// is over; the intro is over once game.introDone is set.
void introFrame();
bool titleFrame();
// A click on a row whose game was saved (game.entryWatchable), or Return on
// the row chosen with the up and down keys, asks for that game in
// game.watchEntry; the screen goes on meanwhile.
bool highScoreFrame();
void enterGameOver();  // before the first frame of the game-over screen
bool gameOverFrame();

// One row of the high-score screen (place 0 to 3 of the current list), as drawn.
std::string highScoreRowText(int place);

// Draws the blinking "Enter drücken!" at (x, y) and moves the blink on.
void drawBlinkingPrompt(int x, int y);

// The frame step that pauses a running game when Escape is held.
void runPauseScreen();
// Its parts: the pause begins on the picture last shown, and each frame
// of it ends the pause by clearing game.paused.
void enterPause();
void pauseFrame();
