// The game's loops: one game frame, one whole game, and the outer loop that
// runs game after game until the player quits.
#pragma once

// How the outer loop ended.
enum class LoopEnd {
    Quit,         // left from the title screen: save the options head, then end
    CloseWindow,  // the window's close request: end at once, nothing saved
};

// Lives of a game by player count and difficulty, into livesTotal and livesLeft.
void grantLives();

// Everything the outer loop sets up before a game: the game-over flag
// cleared, the spawner's first wait by difficulty, the lives granted.
void beginGame();

// One frame of a running game. Returns false when the game is over (the fade
// reached black) or the window was asked to close.
bool runGameFrame();

// Frames until the game ends.
void runGame();

// Enters the finished game into the score table and saves it (neither while
// custom power-ups are on).
void recordResult();

// Puts players and lists back for the next game.
void resetForNextGame();

LoopEnd runOuterLoop();
