// The stress scene: a game at its own limits. Seven opponents with statuses,
// two players in aura forms, ten turrets, sixty items under their veil, 300
// shots, forty animations and the fade overlay.
#pragma once

// The options the scene plays with: two players, "Krank", the canvas's size.
constexpr const char* kStressOptions = "Anna\r\nBen\r\n2\r\n2\r\n1366\r\n768\r\n0";

// Sets the scene up in a started game.
void buildStressScene();
// Puts back what died, left or ran out, and lets nobody lose, so that every
// frame carries the same load. Call before each frame.
void topUpStressScene(int frame);
