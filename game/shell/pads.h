// The gamepads, mapped onto the keyboard and the mouse in this one place:
// each screen says what it uses them for, and a pad press then counts exactly
// as the matching key (or the mouse) would, so every rule of the game about
// those keys (which wins, cool-downs) holds for the pads too.
//
//   first pad     the first player      (in a one-player game every pad
//   second pad    the second player      steers the one player)
#pragma once

enum class PadUse {
    Pointer,  // intro and title: the left stick moves the pointer, A clicks, Back is Escape
    Game,     // a game: d-pad and left stick walk, face buttons and right stick fire, Start pauses
    Pause,    // the pause: d-pad or stick up and down choose, A confirms
    Prompt,   // high scores and game over: A or Start goes on, d-pad or stick up and down choose
    Watch,    // watching a replay: A or Start pauses, B or Back leaves, d-pad left and right
              // change the speed; every button counts as some key
};

// Call right after the keyboard and the mouse have been read.
void applyPads(PadUse use);

// A short rumble on the pads of a player who is hit, a longer one at a death.
void rumbleForHit(int playerIndex, bool death);
