// Animation strips: a row of equally wide frames in one picture, played once.
#pragma once

struct Animation {
    double x = 0, y = 0;
    double frameWidth = 0;
    double frameCount = 0;
    double frame = 0;
    double image = 0;
    double tick = 0;  // frames the current frame has been shown
    double ticksPerFrame = 0;
};

// Strips the game starts, with their slots and timing.
constexpr int kPlayerDeathStrip = 96;    // PlayerTodAnim.png: 5 frames of 100, 6 ticks
constexpr int kShotHitStrip = 95;        // SchussAnim.png: 5 frames of 30, 3 ticks
constexpr int kOpponentDeathStrip = 94;  // Tod1Anim.png: 10 frames of 100, 4 ticks
constexpr int kItemSparkleStrip = 97;    // PowerUpAnim.png: 6 frames of 100, 3 ticks

void startAnimation(int x, int y, int image, int frameWidth, int frameCount, int ticksPerFrame);
// Draws every running strip and moves it on by one game frame.
void updateAnimations();
