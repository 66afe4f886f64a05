// A game started headless with stand-in pictures for the items, their veil,
// the sparkle strip and a plain white background, on top of the players'
// stand-ins, so that tests can read what the item update draws.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "datafiles/custom_powerup_file.h"
#include "game/players/power_ups.h"
#include "game/world/items.h"
#include "tests/game/players_fixture.h"

namespace items_test {

constexpr std::uint32_t kItemColour = 0xFF20A040;    // PowerUp.bmp
constexpr std::uint32_t kLifeColour = 0xFFE02020;    // LifeUp.bmp
constexpr std::uint32_t kTurretColour = 0xFF9030C0;  // PowerUp - Lila.bmp
constexpr std::uint32_t kCustomColour = 0xFF20C0C0;  // EigenUp.bmp
constexpr std::uint32_t kVeilColour = 0xFF808080;    // PowerUp - Grau.bmp
constexpr std::uint32_t kBackColour = 0xFFFFFFFF;    // Back.jpg

inline void writeItemPictures() {
    writeBmp24("Data/PowerUp.bmp", TestPicture(100, 100, kItemColour));
    writeBmp24("Data/LifeUp.bmp", TestPicture(100, 100, kLifeColour));
    writeBmp24("Data/PowerUp - Lila.bmp", TestPicture(100, 100, kTurretColour));
    writeBmp24("Data/EigenUp.bmp", TestPicture(100, 100, kCustomColour));
    writeBmp24("Data/PowerUp - Grau.bmp", TestPicture(100, 100, kVeilColour));
    writePng("Data/PowerUpAnim.png", TestPicture(600, 100, 0xFFFFFF80));
    writeJpeg("Data/Back.jpg", TestPicture(kCanvasWidth, kCanvasHeight, kBackColour));
}

// One custom power-up file as the editor writes it; its smiley picture, when
// named, is a disc in "Eigene Smileys/".
struct CustomFile {
    std::string name;
    std::string smiley;  // file name in "Eigene Smileys/", or empty
    double damageBonus, durationStep, fireDelayOffset, walkBonus;
};

inline void writeCustomFiles(const std::vector<CustomFile>& files) {
    for (std::size_t n = 0; n < files.size(); ++n) {
        const CustomFile& f = files[n];
        CustomPowerUpFile file;
        file.name = f.name;
        file.author = "Tester";
        file.smileyFile = f.smiley;
        file.damageBonus = f.damageBonus;
        file.durationStep = f.durationStep;
        file.fireDelayOffset = f.fireDelayOffset;
        file.walkBonus = f.walkBonus;
        writeFileBytes(customPowerUpPath(static_cast<int>(n)), formatCustomPowerUpFile(file));
        if (!f.smiley.empty())
            writeBmp24("Eigene Smileys/" + f.smiley, players_test::disc(50, 0xFF3060FF));
    }
}

// The items on the field, in list order.
inline std::vector<PowerUpItem> itemsNow() {
    std::vector<PowerUpItem> out;
    game.items.forEach([&](const PowerUpItem& item) { out.push_back(item); });
    return out;
}

}  // namespace items_test

class ItemsTest : public PlayersTest {
  protected:
    // A game begun past its fade-in, with both smileys parked where no item
    // lies.
    void startItems(int playerCount) {
        items_test::writeItemPictures();
        start(playerCount);
        for (Player& p : game.players) {
            p.x = 1200;
            p.y = 650;
        }
    }
    // Places an item and returns it; it is the current element of the list.
    PowerUpItem* placeItem(int x, int y, int kind, int customIndex = 0) {
        addPowerUpItem(x, y, kind, customIndex);
        return game.items.current();
    }
    // Plays frames until the item list has fewer than `count` items or the
    // limit is reached; returns the frames played.
    int framesUntilTaken(int count, int limit = 400) {
        int frames = 0;
        while (game.items.count() >= count && frames < limit) {
            frame();
            ++frames;
        }
        return frames;
    }
};
