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

void startAnimation(int x, int y, int image, int frameWidth, int frameCount, int ticksPerFrame);
// Draws every running strip and moves it on by one game frame.
void updateAnimations();
