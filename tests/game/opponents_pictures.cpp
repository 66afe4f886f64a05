#include "tests/game/opponents_pictures.h"

#include <string>

#include "test_support/picture_files.h"

namespace {

constexpr std::uint32_t kMagenta = 0xFFFF00FF;

std::uint32_t opaque(std::uint32_t rgb) {
    return 0xFF000000u | rgb;
}

void writeFilled(const std::string& file, int w, int h, std::uint32_t rgb) {
    writeBmp24("Data/" + file, TestPicture(w, h, opaque(rgb)));
}

// A round face: opaque inside the circle, magenta (transparent) outside, so
// pixel-exact hits behave as on a real smiley.
void writeFace(const std::string& file, std::uint32_t rgb) {
    TestPicture face(100, 100, kMagenta);
    for (int y = 0; y < 100; ++y)
        for (int x = 0; x < 100; ++x) {
            const int dx = x - 50, dy = y - 50;
            if (dx * dx + dy * dy <= 48 * 48) face.at(x, y) = opaque(rgb);
        }
    writeBmp24("Data/" + file, face);
}

}  // namespace

void writeOpponentTestPictures() {
    using namespace opponent_pictures;
    writeFilled("Böse.bmp", 100, 100, kBody);
    writeFilled("LebenInaktiv.bmp", 100, 5, kBarEmpty);
    writeFilled("LebenGruenAktiv.bmp", 150, 5, kBarGreen);
    writeFilled("LebenGelbAktiv.bmp", 150, 5, kBarYellow);
    writeFilled("LebenRotAktiv.bmp", 150, 5, kBarRed);
    writeFilled("Gifttropfen.bmp", 100, 100, kPlague);
    writePng("Data/Frost.png", TestPicture(100, 100, opaque(kFrost)));
    writePng("Data/Paralysis.png", TestPicture(100, 100, opaque(kParalysis)));
    writeFace("Spieler1.bmp", 0xFFD000);
    writeFace("Spieler2.bmp", 0x40A0FF);
    writeFilled("GegnerShot.bmp", 30, 30, 0x202060);
    writeFilled("Stein.bmp", 30, 30, 0x606060);
}
