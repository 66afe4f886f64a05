// The on-screen display of a running game: health bars, the lives strip, the
// status lines and the players' name labels.
//
// The status line is rebuilt every frame (it shows the time of day); it is
// assembled in a buffer that keeps its capacity, so a frame allocates nothing.
#include "game/shell/display.h"

#include <charconv>
#include <string>

#include "game/shell/game_state.h"

namespace {

constexpr int kBarLength = 500;
constexpr int kStatusFont = 6;

std::string gLine;

void appendNumber(std::string& out, double value) {
    char digits[16];
    const auto end = std::to_chars(digits, digits + sizeof digits, roundToInt(value)).ptr;
    out.append(digits, end);
}

void appendTwoDigits(std::string& out, int value) {
    out += static_cast<char>('0' + value / 10 % 10);
    out += static_cast<char>('0' + value % 10);
}

int barFill(const Player& p) {
    return roundToInt(p.health / (p.maxHealth + p.maxHealthBonus) * kBarLength);
}

// The first player's line also carries the time of day.
void buildStatusLine(int playerIndex) {
    const Player& p = game.players[playerIndex];
    gLine.clear();
    gLine += p.name;
    gLine += "'s Treffer: ";
    appendNumber(gLine, p.hits);
    gLine += " Kills: ";
    appendNumber(gLine, p.kills);
    gLine += " (Tode: ";
    appendNumber(gLine, p.deaths);
    gLine += ")";
    if (playerIndex == 0) {
        const TimeOfDay now = localTimeOfDay();
        gLine += "   Uhrzeit: ";
        appendTwoDigits(gLine, now.hours);
        gLine += ':';
        appendTwoDigits(gLine, now.minutes);
    }
}

void drawNameLabel(const Player& p, int colour) {
    const int w = textWidth(p.name);
    drawText(roundToInt(p.x - w / 2.0 + 52), roundToInt(p.y - 28), p.name, rgb(0, 0, 0));
    drawText(roundToInt(p.x - w / 2.0 + 50), roundToInt(p.y - 30), p.name, colour);
}

}  // namespace

const std::string& statusLineText(int playerIndex) {
    buildStatusLine(playerIndex);
    return gLine;
}

void drawHealthBars() {
    clip(kFirstHealthBarImage, 0, 0, barFill(firstPlayer()), 20);
    if (twoPlayerGame()) {
        clip(kSecondHealthBarImage, 0, 20, barFill(secondPlayer()), 20);
        clip(kEmptyHealthBarsImage, 0, 0, fullWidth(kEmptyHealthBarsImage),
             fullHeight(kEmptyHealthBarsImage));
        drawOpaque(kEmptyHealthBarsImage, 10, 10);
        drawOpaque(kFirstHealthBarImage, 10, 10);
        drawOpaque(kSecondHealthBarImage, 10, 30);
    } else {
        clip(kEmptyHealthBarsImage, 0, 0, kBarLength, 21);
        drawOpaque(kEmptyHealthBarsImage, 10, 10);
        drawOpaque(kFirstHealthBarImage, 10, 10);
    }
}

void drawLivesStrip() {
    // 31 pixels a life, plus the strip's 3-pixel margin.
    const int y = twoPlayerGame() ? 60 : 40;
    clip(kEmptyLivesImage, 0, 0, roundToInt(game.livesTotal * 31 + 3), 36);
    drawOpaque(kEmptyLivesImage, 10, y);
    clip(kFullLivesImage, 0, 0, roundToInt(game.livesLeft * 31 + 3), 36);
    drawTransparent(kFullLivesImage, 10, y);
}

void drawStatusLines() {
    useFont(kStatusFont);
    setTextColour(rgb(0, 0, 0));
    buildStatusLine(0);
    drawText(520, 12, gLine);
    if (twoPlayerGame()) {
        buildStatusLine(1);
        drawText(520, 32, gLine);
    }
}

void drawNameLabels() {
    useFont(kStatusFont);
    if (twoPlayerGame()) drawNameLabel(secondPlayer(), rgb(100, 100, 255));
    drawNameLabel(firstPlayer(), rgb(255, 255, 0));
}
