// Snapshots: everything that decides how a game goes on, saved and put back.
// That is the whole GameState, every list with its records, order and cursor,
// and the random generator. The rest of the media layer holds only what is
// drawn (pictures, their turns and clips, the text cache), which a frame sets
// afresh before it draws.
//
// After a restore the program goes on bit for bit as it would have from the
// moment of the save. A snapshot keeps its lists' nodes and its texts'
// buffers from save to save, and the game's lists keep theirs, so saving and
// restoring allocate nothing once the game is running.
#pragma once

#include "game/shell/game_state.h"

struct Snapshot {
    // Made with room for kSnapshotRecords records in each list.
    Snapshot();
    GameState state;
    RandomState random;
};

// Far more than a game ever holds in a list (the stress scene: 300 shots).
constexpr int kSnapshotRecords = 512;

void saveSnapshot(Snapshot& into);
void restoreSnapshot(const Snapshot& from);
