#include "game/shell/picture_catalogue.h"

#include <cstring>
#include <vector>

#include "game/shell/game_state.h"

namespace {

bool endsWith(const char* text, const char* ending) {
    const std::size_t n = std::strlen(text), m = std::strlen(ending);
    return n >= m && std::strcmp(text + n - m, ending) == 0;
}

void loadRowsEndingIn(const char* ending) {
    std::vector<SpriteFile> files;
    for (int i = 0; i < kPictureCount; ++i)
        if (endsWith(kPictureTable[i].file, ending))
            files.push_back({kPictureTable[i].slot, kPictureTable[i].file, kPictureTable[i].mode});
    loadSprites(files.data(), static_cast<int>(files.size()));
}

}  // namespace

void loadPictures() {
    setTransparentColour(rgb(255, 0, 255));
    loadRowsEndingIn(".bmp");
    // The turrets' projectiles and the monk's water turn as they fly; each
    // rotatable sprite takes the number of its slot.
    for (int number : {kArrowImage, kPoisonShotImage, kSnowflakeImage, kLaserImage, kMissileImage,
                       kStarShotImage, kPlasmaImage, kWaterShotImage})
        makeRotatable(number, number);
    loadRowsEndingIn(".png");
    loadRowsEndingIn(".jpg");
    makeRotatable(kBlackImage, kBlackImage);
}

void startAnimation(int x, int y, int image, int frameWidth, int frameCount, int ticksPerFrame) {
    // A new strip is drawn after the running ones.
    Animation* a = game.animations.append();
    a->x = x;
    a->y = y;
    a->image = image;
    a->frameWidth = frameWidth;
    a->frameCount = frameCount;
    a->ticksPerFrame = ticksPerFrame;
}

void updateAnimations() {
    EntityList<Animation>& list = game.animations;
    list.reset();
    while (Animation* a = list.next()) {
        // Clip and draw back to back: two strips on one picture each show
        // their own frame.
        const int image = roundToInt(a->image);
        clip(image, roundToInt(a->frame * a->frameWidth), 0, roundToInt(a->frameWidth),
             height(image));
        drawTransparent(image, roundToInt(a->x), roundToInt(a->y));
        if (a->tick == a->ticksPerFrame) {
            a->tick = 0;
            a->frame += 1;
            if (a->frame == a->frameCount) list.remove();
        } else {
            a->tick += 1;
        }
    }
}
