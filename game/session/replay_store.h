// The games played on this machine, each saved as a replay when it ends, in
// Wiederholungen/ in the game folder. The last kKeptReplays games stay, and
// so does every game that has an entry in the score table, so that the
// table's games can be watched. Which entry's game is which file is kept in
// Wiederholungen/Bestenliste.txt, one line per entry of the table (a file
// name or nothing), beside the score file, which stays as it is.
#pragma once

#include <string>

#include "game/session/replay_file.h"
#include "game/shell/game_state.h"

inline const std::string kReplayFolder = "Wiederholungen/";
inline const std::string kReplayIndexPath = "Wiederholungen/Bestenliste.txt";
constexpr int kKeptReplays = 20;

// After each frame step of the program played here, given the phase the
// frame began in: a game that begins is recorded from its first frame to
// its last, and saved when it ends (a game left by closing the window is
// not).
void recordStep(Phase before);

// The replay as the game now running began: options, names, the random
// generator, what carries over from the game before. Called right after
// beginGame(); results and frames are left empty.
ReplayFile describeGameStart();

// The replay of a score-table entry, when it has one that belongs to it and
// that this game can play. `why` says what is wrong with one that exists.
bool loadEntryReplay(int entry, ReplayFile& replay, std::string* why = nullptr);

// Marks which entries of the table have a replay that can be watched
// (game.entryWatchable).
void findWatchableEntries();

// The saved replay with the most kills among the table's entries, for the
// demo; false when no entry has one.
bool bestEntryReplay(ReplayFile& replay);

// The local date and time now as in the names of the files the game keeps:
// 2026-12-09_18-30-05.
std::string localTimeStamp();

// Reads a replay file; false with the reason in `why`.
bool loadReplayFile(const std::string& path, ReplayFile& replay, std::string& why);
