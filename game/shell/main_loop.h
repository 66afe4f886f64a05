// The game's loops: one game frame, one whole game, and the outer loop that
// runs game after game until the player quits.
#pragma once

#include "game/shell/game_state.h"
#include "game/shell/pads.h"

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

// One frame of a running game, taking its input and playing through a pause
// it opens. Returns false when the game is over (the fade reached black) or
// the window was asked to close.
bool runGameFrame();
// Its parts. playFrame runs the frame on the input in use, up to and
// including flip(), and returns false (having done nothing) when the window
// is to close; then the frame may open the pause; afterPlayFrame comes after
// the frame and any pause it opened: the spawner, and whether the game goes on.
bool playFrame();
bool afterPlayFrame();

// Frames until the game ends.
void runGame();

// Enters the finished game into the score table and saves it (neither while
// custom power-ups are on).
void recordResult();

// Puts players and lists back for the next game.
void resetForNextGame();

// From the title screen on: frames until the player quits or the window closes.
LoopEnd runOuterLoop();

// The program as a function of its input: one frame of the screen
// game.phase names, on the frame input in use, then whatever comes between
// that screen's end and the next screen's first frame. Everything it reads
// is in `game`, the media layer's state and the frame input.
void stepFrame();
// What the screen of a phase uses the pads for.
PadUse padUseOf(Phase phase);
// Whether game.phase is Quit or Closed.
bool programOver();
// Frames, each on the input its source gives, until the program is over;
// games are recorded and saved as they end, and the saved ones watched
// when the score table or the idle title screen asks for them.
void runFrames();
// One frame of runFrames.
void programFrame();
// The tune of a screen, started as the program enters it.
void musicFor(Phase phase);
