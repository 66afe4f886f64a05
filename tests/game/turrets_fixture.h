// A game started headless for turret tests: the opponents' stand-in
// pictures, a turret, plain projectiles and a black background, so shots hit
// boxes of known size and beams and bars can be read off the canvas.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "game/world/opponents.h"
#include "game/world/turrets.h"
#include "test_support/picture_files.h"
#include "tests/game/game_fixture.h"
#include "tests/game/opponents_pictures.h"

namespace turret_test {

constexpr std::uint32_t kTurretColour = 0x3060A0;
constexpr std::uint32_t kShotColour = 0xFFA000;
// Projectile pictures are 10 x 30, drawn pointing up.
constexpr int kShotWidth = 10, kShotHeight = 30;
// A slot without a picture: an opponent drawn with it can be aimed at but
// never hit, so every shot flies on.
constexpr int kNoPicture = 999;

inline void writeTurretPictures() {
    writeOpponentTestPictures();
    writeBmp24("Data/Schiessturm.bmp", TestPicture(100, 100, 0xFF000000u | kTurretColour));
    for (const char* name :
         {"Pfeil", "Laser", "Rakete", "Sternschuss", "Plasma", "Schneeflocke", "GiftturmSchuss"})
        writeBmp24(std::string("Data/") + name + ".bmp",
                   TestPicture(kShotWidth, kShotHeight, 0xFF000000u | kShotColour));
    writePng("Data/SchussAnim.png", TestPicture(150, 30, 0xFFFFFFFF));
    writeJpeg("Data/Back.jpg", TestPicture(kCanvasWidth, kCanvasHeight, 0xFF000000));
}

}  // namespace turret_test

class TurretTest : public GameTest {
  protected:
    // A game on Easy-Peasy past its fade-in.
    void start(int playerCount = 1) {
        turret_test::writeTurretPictures();
        startPlaying(playerCount, 0);
    }
    // A tough opponent that holds its fire, drawn with the given picture
    // and walking at the given speed.
    static Opponent* placeOpponent(double x, double y, int image = kOpponentImage,
                                   double speed = 0) {
        Opponent* o = GameTest::placeOpponent(x, y, 100);
        o->maxHealth = 100;
        o->speed = o->baseSpeed = speed;
        o->image = image;
        return o;
    }
    static Turret* placeTurret(int x, int y, double type, int owner = 0) {
        addTurret(x, y, owner, static_cast<int>(type));
        return game.turrets.current();
    }
    static TurretShot* placeShot(int x, int y, int tx, int ty, int effect, int speed,
                                 int image = kArrowImage, int owner = 0, double damage = 1,
                                 int homing = 0) {
        addTurretShot(x, y, tx, ty, effect, speed, owner, image, damage, homing);
        return game.turretShots.current();
    }
    static std::vector<TurretShot> shotsNow() {
        std::vector<TurretShot> out;
        game.turretShots.forEach([&](const TurretShot& s) { out.push_back(s); });
        return out;
    }
    // Shots that left the muzzle at (x, y) in this frame: they have made
    // exactly one step of their speed.
    static int newShots(double x, double y) {
        int n = 0;
        game.turretShots.forEach([&](const TurretShot& s) {
            if (std::abs(std::hypot(s.x - x, s.y - y) - s.speed) < 1e-6) ++n;
        });
        return n;
    }
    // Whether a pixel of the given pure colour channel (16 red, 8 green,
    // 0 blue) at 100 or more, the others 0, lies in the column x between
    // top and bottom: the trace of a beam line.
    static bool beamPixelInColumn(int x, int top, int bottom, int shift) {
        for (int y = top; y <= bottom; ++y) {
            const std::uint32_t p = canvasPixel(x, y) & 0xFFFFFF;
            const std::uint32_t glow = (p >> shift) & 0xFF;
            if (glow >= 100 && (p & ~(0xFFu << shift)) == 0) return true;
        }
        return false;
    }
};
