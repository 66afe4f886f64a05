// A network game's inputs: each machine's player as one small record, and
// the one frame-input record both machines build from the two and run the
// frame on.
#pragma once

#include "game/session/net_protocol.h"
#include "game/shell/game_state.h"
#include "media/media_layer.h"

// This machine's player, from a record of its devices as a one-player game
// reads them: W A S D walk, the arrows fire (and choose), Escape, Return
// and the mouse.
PeerInput peerInputOf(const FrameInput& devices);

// The record of a frame of the shared game on the screen `phase`: the host
// steers the first player and the guest the second, with the keys a
// two-player game gives them. Either may pause, choose in the pause and go
// on from the prompts; the title and the score table answer the host alone
// (its mouse, its Escape). A window's close request is each machine's own
// and never in here.
FrameInput sharedFrameInput(const PeerInput& host, const PeerInput& guest, Phase phase);
