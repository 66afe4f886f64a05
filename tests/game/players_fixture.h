// A game started headless with test pictures for every smiley, shot and
// form picture, so pixel-exact hits and drawings have real pixels to test.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/players/forms.h"
#include "game/players/shots.h"
#include "game/players/steering.h"
#include "test_support/picture_files.h"
#include "tests/game/game_fixture.h"

namespace players_test {

constexpr std::uint32_t kMagenta = 0xFFFF00FF;
constexpr std::uint32_t kSmileyColour = 0xFFFFD800;
constexpr std::uint32_t kShotColour = 0xFF804020;
constexpr std::uint32_t kAuraColour = 0xFF2040C0;
constexpr std::uint32_t kBarEmptyColour = 0xFF404040;
constexpr std::uint32_t kBarFillColour = 0xFF00C000;
constexpr std::uint32_t kSlowMarkColour = 0xFF10E0E0;

// A disc of radius r in a square of 2r on magenta (the transparent colour).
inline TestPicture disc(int r, std::uint32_t colour) {
    TestPicture p(2 * r, 2 * r, kMagenta);
    for (int y = 0; y < 2 * r; ++y)
        for (int x = 0; x < 2 * r; ++x) {
            const double dx = x + 0.5 - r, dy = y + 0.5 - r;
            if (dx * dx + dy * dy <= double(r) * r) p.at(x, y) = colour;
        }
    return p;
}

inline void writePlayerPictures() {
    const TestPicture smiley = disc(50, kSmileyColour);
    for (const char* name :
         {"Spieler1", "Spieler2", "Grab", "SpielerSpecial14", "SpielerSpecial16"})
        writeBmp24(std::string("Data/") + name + ".bmp", smiley);
    for (int n = 1; n <= 21; ++n)
        if (n != 14 && n != 16)
            writeBmp24("Data/SpielerSpecial" + std::to_string(n) + ".bmp", smiley);
    // The ghost's and the LSD smiley's stand-ins are all see-through here.
    writeBmp24("Data/Nichts.bmp", TestPicture(100, 100, kMagenta));
    writeBmp24("Data/Nichts2.bmp", TestPicture(100, 100, kMagenta));
    for (const char* name :
         {"Stein", "SteinRot", "Wasser", "Blut", "Blut2", "Herz", "GrosserStein", "Durchsicht",
          "Heilung", "GegnerShot", "Minishot", "Mine", "Schneeball", "Pest"})
        writeBmp24(std::string("Data/") + name + ".bmp", TestPicture(30, 30, kShotColour));
    writeBmp24("Data/Langsam.bmp", TestPicture(40, 40, kSlowMarkColour));
    writeBmp24("Data/B\xC3\xB6se.bmp", TestPicture(100, 100, 0xFF808080));
    writeBmp24("Data/LebenInaktiv.bmp", TestPicture(100, 5, kBarEmptyColour));
    writeBmp24("Data/LebenGruenAktiv.bmp", TestPicture(100, 5, kBarFillColour));
    for (int n = 1; n <= 4; ++n)
        writeBmp24("Data/Kreis" + std::to_string(n) + ".bmp", disc(200, kAuraColour));
}

}  // namespace players_test

class PlayersTest : public GameTest {
  protected:
    // A game of one or two players on Easy-Peasy, past its fade-in.
    void start(int playerCount) {
        players_test::writePlayerPictures();
        startPlaying(playerCount, 0);
    }
    void hold(int code, bool down = true) { scriptKey(code, down); }
    void releaseAll() { scriptedInput(true); }
    Shot* placeShot(double x, double y, double kind, double vx = 0, double vy = 0,
                    double damage = 1.5, int image = 46) {
        addShot(0, 0, damage, static_cast<int>(kind), vx, vy, image);
        Shot* s = game.shots.current();
        s->x = x;
        s->y = y;
        return s;
    }
    static std::vector<Shot> shotsNow() {
        std::vector<Shot> out;
        game.shots.forEach([&](const Shot& s) { out.push_back(s); });
        return out;
    }
};
