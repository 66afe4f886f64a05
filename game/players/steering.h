// The players' fixed keys, steering, and the player phase of a frame.
#pragma once

#include "game/players/player.h"

// The eight keys of one player, as DirectInput scan codes.
struct PlayerKeys {
    int up, down, left, right;
    int fireUp, fireLeft, fireDown, fireRight;
};

// The keys of player 0 (first) or 1 (second) in the current game mode: alone,
// the first player walks with W/A/S/D; in two, the second player takes those
// and the first walks with P/L/Ö/Ä. The arrows always fire for the first.
PlayerKeys playerKeys(int playerIndex);

// One frame of steering: a held key sets the drift for the player's shots
// and moves the smiley one step unless that step would cross a limit.
void steerPlayer(Player& p, int playerIndex);

// The frame step of one player (0 or 1): steering, firing, the form update
// and drawing the smiley.
void playerPhase(int playerIndex);
