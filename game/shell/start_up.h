// Program start and end.
#pragma once

#include <string>

#include "base/text_file.h"

// Start-up in its fixed order: state, scores, desktop size, options, players,
// screen, pictures, fonts, lists, custom power-ups. False when the game must
// stop before it opens (a window below 100 pixels, no video at all).
bool startUp();

// Tells on stderr that a file could not be written, with the system's
// reason. The game has no window for it and plays on.
void reportUnwrittenFile(const std::string& path, const WriteResult& result);

// Shutdown. With saveOptions the names, player count and difficulty are
// written back into the head of the options file first (quitting from the
// title screen); a window close skips that.
void shutDown(bool saveOptions);

// The whole program: start-up, intro, the screens and games until the player
// quits or closes the window, shutdown. Returns the exit code (0).
int runProgram();
