// The opponents: adding them, the spawner that brings them in pairs, and the
// once-a-frame update that draws them, chases and shoots the players, runs
// their statuses and lets them die.
#pragma once

#include "game/world/opponent.h"

// Values of status.
constexpr double kStatusNone = 0;
constexpr double kStatusPlague = 1;
constexpr double kStatusFrost = 2;
constexpr double kStatusParalysis = 3;

// The spawn period of the current difficulty: frames between two pairs.
double spawnPeriod();

// Adds an opponent after the list's current element and makes it current.
// Toughness, fire rate and shot damage come from the difficulty and the
// number of players at this moment and stay for the opponent's whole life.
Opponent* addOpponent(int x, int y, double maxHealth, double speed, int image);

// Which player an opponent at (x, y) goes after: 0 first, 1 second.
int chooseTarget(double x, double y);

// The frame steps: every opponent draws itself, chases, fires and dies; the
// spawner brings the next pair when its time has come.
void updateOpponents();
void spawnOpponents();
