// Watching a replay in the window: an entry of the high-score screen, the
// demo of an idle title screen, or a file named on the command line. The
// program's state is saved when watching begins and put back when it ends,
// so the screen it was on comes back as it was.
//
// The viewer's keys: Space (or Return) pauses and goes on, the arrows
// left and right halve and double the speed (up to four times), Escape
// leaves. Any key, click or pad button ends the demo.
#pragma once

#include "game/session/replay_file.h"
#include "game/shell/game_state.h"

enum class WatchKind { Entry, Demo, CommandLine };

// Starts watching; for CommandLine the program ends with the replay.
void startWatching(ReplayFile replay, WatchKind kind);
bool watchingReplay();
// One frame on the screen: the viewer's keys, then one, two or four frames
// of the replayed game, of which only the last is drawn.
void watchFrame();
// The banner over the game while it is watched; the game's frames draw it
// last, before they are shown.
void drawWatchBanner();

// After each frame step of the program played here, given the phase the
// frame began in: finds the table's watchable games when the high-score
// screen opens, starts the game it asks for, and starts the demo once the
// title screen has been left alone for kDemoAfterFrames frames: the best
// game of the table, or the built-in one when the table has none.
void offerReplays(Phase before);
constexpr int kDemoAfterFrames = 30 * 60;

// The built-in demo's replay file.
extern const char* const kBuiltInDemo;

// The last replay watched went its own way at a checkpoint ("frame 900:
// players"), or "" when it played as recorded.
const std::string& lastWatchDrift();
