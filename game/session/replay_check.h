// What a replay is checked against before it plays: this game's version,
// how this build behaves, the pictures its collisions see and the custom
// power-ups it loaded. A replay that differs in any of them would play out
// differently, so it is refused rather than shown wrongly.
#pragma once

#include <string>

#include "game/session/replay_file.h"

// A digest of a short built-in game played undrawn on fixed input: any
// change in how the game plays changes it. Worked out on first use (a few
// hundredths of a second) with the running game saved and put back.
const std::string& behaviourDigest();
// The shapes of every picture of the game's table.
const std::string& pictureDigest();
// The custom power-ups as loaded: their values and the shapes of their pictures.
const std::string& customPowerUpDigest();

// The start of the game forgets the digests of the last start: its
// pictures and power-ups may be others.
void forgetGameDigests();

// Fills in the head of a replay made by this game: version and digests.
void describeThisGame(ReplayFile& replay);

// Empty when this game plays the replay exactly as it was played;
// otherwise why not, in a sentence for the player.
std::string whyNotPlayable(const ReplayFile& replay);
