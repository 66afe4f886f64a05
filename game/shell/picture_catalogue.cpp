#include "game/shell/picture_catalogue.h"

#include <cstring>
#include <vector>

#include "game/shell/game_state.h"

const PictureRow kPictureTable[] = {
    {0, "Data/Spieler1.bmp", 0},
    {1, "Data/Spieler2.bmp", 0},
    {2, "Data/SpielerSpecial1.bmp", 0},
    {3, "Data/SpielerSpecial2.bmp", 0},
    {4, "Data/SpielerSpecial3.bmp", 0},
    {5, "Data/SpielerSpecial4.bmp", 0},
    {6, "Data/SpielerSpecial5.bmp", 0},
    {7, "Data/SpielerSpecial6.bmp", 0},
    {8, "Data/SpielerSpecial7.bmp", 0},
    {9, "Data/Stein.bmp", 0},
    {10, "Data/Böse.bmp", 0},
    {11, "Data/LebenRotAktiv.bmp", 0},
    {12, "Data/LebenGruenAktiv.bmp", 0},
    {13, "Data/LebenGelbAktiv.bmp", 0},
    {14, "Data/LebenInaktiv.bmp", 0},
    {15, "Data/PlayerLebenTot.bmp", 0},
    {16, "Data/PlayerLeben.bmp", 0},
    {17, "Data/PlayerLeben.bmp", 0},
    {18, "Data/PowerUp.bmp", 0},
    {19, "Data/LifeUp.bmp", 0},
    {20, "Data/LebenGruenAktiv.bmp", 0},
    {22, "Data/Wasser.bmp", 12},
    {23, "Data/SteinRot.bmp", 0},
    {24, "Data/Blut.bmp", 0},
    {25, "Data/Grab.bmp", 0},
    {26, "Data/SpielerSpecial8.bmp", 0},
    {27, "Data/SpielerSpecial9.bmp", 0},
    {28, "Data/Blut2.bmp", 0},
    {29, "Data/Herz.bmp", 0},
    {30, "Data/SpielerSpecial10.bmp", 0},
    {31, "Data/SpielerSpecial11.bmp", 0},
    {32, "Data/GrosserStein.bmp", 0},
    {33, "Data/Kreis1.bmp", 0},
    {34, "Data/Kreis2.bmp", 0},
    {35, "Data/SpielerSpecial12.bmp", 0},
    {36, "Data/SpielerSpecial13.bmp", 0},
    {37, "Data/SpielerSpecial14.bmp", 0},
    {38, "Data/Nichts.bmp", 0},
    {39, "Data/Durchsicht.bmp", 0},
    {40, "Data/SpielerSpecial15.bmp", 0},
    {41, "Data/SpielerSpecial16.bmp", 0},
    {42, "Data/Nichts2.bmp", 0},
    {43, "Data/Kreis3.bmp", 0},
    {44, "Data/Heilung.bmp", 0},
    {45, "Data/SpielerSpecial17.bmp", 0},
    {46, "Data/GegnerShot.bmp", 0},
    {47, "Data/Langsam.bmp", 0},
    {48, "Data/SpielerSpecial18.bmp", 0},
    {49, "Data/Kreis4.bmp", 0},
    {50, "Data/Minishot.bmp", 0},
    {52, "Data/LebenInsg.bmp", 0},
    {53, "Data/lebenInsgAus.bmp", 0},
    {68, "Data/Stern.bmp", 0},
    {74, "Data/Schiessturm.bmp", 0},
    {75, "Data/Pfeil.bmp", 12},
    {76, "Data/Laser.bmp", 12},
    {77, "Data/Rakete.bmp", 12},
    {78, "Data/Sternschuss.bmp", 12},
    {79, "Data/PowerUp - Grau.bmp", 12},
    {80, "Data/PowerUp - Lila.bmp", 0},
    {81, "Data/Plasma.bmp", 12},
    {82, "Data/SpielerSpecial19.bmp", 0},
    {83, "Data/Mine.bmp", 0},
    {84, "Data/Gifttropfen.bmp", 0},
    {85, "Data/Schneeflocke.bmp", 12},
    {86, "Data/SpielerSpecial20.bmp", 0},
    {87, "Data/SpielerSpecial21.bmp", 0},
    {88, "Data/Schneeball.bmp", 0},
    {89, "Data/Pest.bmp", 0},
    {90, "Data/GiftturmSchuss.bmp", 12},
    {98, "Data/EigenUp.bmp", 12},
    {91, "Data/Paralysis.png", 12},
    {54, "Data/Start.png", 12},
    {55, "Data/Start1.png", 12},
    {56, "Data/Start2.png", 12},
    {57, "Data/Start3.png", 12},
    {58, "Data/Start4.png", 12},
    {59, "Data/Start5.png", 12},
    {60, "Data/Start6.png", 12},
    {61, "Data/GameOver.png", 12},
    {62, "Data/Highscores.png", 12},
    {63, "Data/Schwierigkeit.png", 12},
    {64, "Data/Title.png", 12},
    {66, "Data/HighscoresTitle.png", 12},
    {67, "Data/GameOverTitle.png", 12},
    {69, "Data/Pause1.png", 12},
    {70, "Data/Pause2.png", 12},
    {72, "Data/Start7.png", 12},
    {73, "Data/Start8.png", 12},
    {92, "Data/Logo.png", 12},
    {93, "Data/Frost.png", 12},
    {94, "Data/Tod1Anim.png", 12},
    {95, "Data/SchussAnim.png", 12},
    {96, "Data/PlayerTodAnim.png", 12},
    {97, "Data/PowerUpAnim.png", 12},
    {65, "Data/Black.jpg", 4},
    {51, "Data/Back.jpg", 12},
};
const int kPictureCount = static_cast<int>(sizeof kPictureTable / sizeof kPictureTable[0]);

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
    for (int number : {75, 90, 85, 76, 77, 78, 81, 22}) makeRotatable(number, number);
    loadRowsEndingIn(".png");
    loadRowsEndingIn(".jpg");
    makeRotatable(kBlackSlot, kBlackSlot);
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
