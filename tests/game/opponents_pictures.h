// Plain stand-ins for the pictures the opponents are drawn, hit-tested and
// aimed with, so that tests can read the canvas and hits happen as in play.
// Written into Data/ of the scratch folder before the game starts.
#pragma once

#include <cstdint>

namespace opponent_pictures {

// Canvas colours (0xRRGGBB) of the stand-ins.
constexpr std::uint32_t kBody = 0xFF0000;      // Böse.bmp, 100 x 100
constexpr std::uint32_t kBarEmpty = 0x808080;  // LebenInaktiv.bmp, 100 x 5
// The coloured bars are 150 wide, so a bar above 100 % shows.
constexpr std::uint32_t kBarGreen = 0x00FF00;
constexpr std::uint32_t kBarYellow = 0xFFFF00;
constexpr std::uint32_t kBarRed = 0xC00000;
constexpr std::uint32_t kPlague = 0x00FF00;     // Gifttropfen.bmp, 100 x 100
constexpr std::uint32_t kFrost = 0x0000FF;      // Frost.png, 100 x 100
constexpr std::uint32_t kParalysis = 0xFFFFFF;  // Paralysis.png, 100 x 100

}  // namespace opponent_pictures

// Writes the opponents' pictures, both smileys (a round face on magenta) and
// the two shot pictures.
void writeOpponentTestPictures();
