#include "game/shell/screens.h"

#include "game/session/frame_source.h"
#include "game/session/watching.h"
#include "game/shell/game_state.h"
#include "game/shell/pads.h"
#include "game/shell/picture_catalogue.h"
#include "game/shell/sounds.h"

namespace {

struct Region {
    int id;
    int left, right, top, bottom;  // inclusive
    int image;
    const char* label;
    int dx, dy;  // where the label stands relative to the pointer
};

constexpr int kOpenEnd = 1 << 30;

constexpr Region kRegions[] = {
    {kMenuStart, 221, 679, 356, 449, kTitleStartImage, nullptr, 0, 0},
    {kMenuHighScores, 221, 629, 461, 559, kTitleHighScoresImage, nullptr, 0, 0},
    {kMenuEasy, 981, 1039, 571, 639, kTitleEasyImage, "Easy-Peasy", -36, -50},
    {kMenuNormal, 1061, 1119, 571, 639, kTitleNormalImage, "Normal", -23, -50},
    {kMenuKrank, 1141, 1199, 571, 639, kTitleKrankImage, "Krank", -23, -50},
    {kMenuQuit, 1111, kOpenEnd, 671, kOpenEnd, kTitleQuitImage, nullptr, 0, 0},
    {kMenuOnePlayer, 828, 886, 366, 434, kTitleOnePlayerImage, "Einspieler", -31, -50},
    {kMenuTwoPlayers, 908, 966, 366, 434, kTitleTwoPlayersImage, "Zweispieler", -34, -50},
};

const Region* regionAt(int x, int y) {
    for (const Region& r : kRegions)
        if (x >= r.left && x <= r.right && y >= r.top && y <= r.bottom) return &r;
    return nullptr;
}

void drawPointer() {
    drawTransparent(kStoneShotImage, mouseX() - 15, mouseY() - 15);
}

void drawVersion() {
    drawText(5, 750, "V. " + game.versionText);
}

// Whether a menu frame goes ahead on its input: false when the window is to
// close.
bool menuFrameGoesAhead() {
    if (inputAsksToClose()) game.closeRequested = true;
    return !game.closeRequested;
}

int grey(double level) {
    const int l = roundToInt(level < 0 ? 0 : level > 255 ? 255 : level);
    return rgb(l, l, l);
}

}  // namespace

int menuRegionAt(int x, int y) {
    const Region* r = regionAt(x, y);
    return r ? r->id : kMenuNone;
}

void introFrame() {
    drawTinted(kLogoImage, 433, 134, grey(game.logoLevel));
    if (game.logoPhase == 0) {
        game.logoLevel += 3;
        if (game.logoLevel == 255) game.logoPhase = 1;
    }
    if (game.logoPhase == 1) {
        game.logoHold += 1;
        if (game.logoHold == 100) game.logoPhase = 2;
    }
    if (game.logoPhase == 2) {
        game.logoLevel -= 3;
        if (game.logoLevel < 0) game.introDone = 1;
    }
    // Skipping happens on the release, so the key or click that skips the
    // intro does not also act on the title screen.
    if (keyHeld(key::Escape)) game.escapeSeen = 1;
    if (game.escapeSeen && !keyHeld(key::Escape)) game.introDone = 1;
    if (mouseButtonHeld(1)) game.clickSeen = 1;
    if (game.clickSeen && !mouseButtonHeld(1)) game.introDone = 1;
    flip();
    clearCanvas(0);
}

void runIntro() {
    while (!game.introDone) {
        takeFrameInput(PadUse::Pointer);
        introFrame();
    }
}

bool titleFrame() {
    if (!menuFrameGoesAhead()) return false;
    drawOpaque(kBackgroundImage, 0, 0);
    drawTransparent(kTitleImage, 0, 0);
    if (game.playerCount == 1) drawTransparent(kChoiceMarkImage, 841, 379);
    if (game.playerCount == 2) drawTransparent(kChoiceMarkImage, 922, 379);
    if (game.difficulty == 0) drawTransparent(kChoiceMarkImage, 996, 583);
    if (game.difficulty == 1) drawTransparent(kChoiceMarkImage, 1077, 583);
    if (game.difficulty == 2) drawTransparent(kChoiceMarkImage, 1158, 583);
    beginText();
    setTextTransparent();
    drawVersion();
    if (const Region* r = regionAt(mouseX(), mouseY())) {
        drawTransparent(r->image, 0, 0);
        if (r->label) drawText(mouseX() + r->dx, mouseY() + r->dy, r->label);
        if (game.menuHover != r->id) playSound(kSoundMenuHover);
        game.menuHover = r->id;
        if (mouseButtonHeld(1) && !game.pointerWasHeld) playSound(kSoundMenuClick);
    } else {
        drawTransparent(kTitlePlainImage, 0, 0);
        game.menuHover = kMenuNone;
    }
    endText();
    game.pointerWasHeld = mouseButtonHeld(1);
    if (mouseButtonHeld(1)) {
        // Held, not clicked: sweeping over the icons switches as it passes.
        if (game.menuHover == kMenuEasy) game.difficulty = 0;
        if (game.menuHover == kMenuNormal) game.difficulty = 1;
        if (game.menuHover == kMenuKrank) game.difficulty = 2;
        // A network game has a player on each machine.
        if (game.menuHover == kMenuOnePlayer && !game.networkGame) game.playerCount = 1;
        if (game.menuHover == kMenuTwoPlayers) game.playerCount = 2;
    }
    drawPointer();
    flip();
    if (keyHeld(key::Escape)) return false;
    return !(mouseButtonHeld(1) &&
             (game.menuHover == kMenuStart || game.menuHover == kMenuHighScores ||
              game.menuHover == kMenuQuit));
}

void runTitleScreen() {
    do takeFrameInput(PadUse::Pointer);
    while (titleFrame());
}

void drawBlinkingPrompt(int x, int y) {
    drawText(x, y,
             "Enter dr\xFC"
             "cken!",
             grey(game.blinkLevel));
    if (game.blinkFalling == 0) {
        game.blinkLevel += 5;
        if (game.blinkLevel == 255) game.blinkFalling = 1;
    }
    if (game.blinkFalling == 1) {
        game.blinkLevel -= 5;
        if (game.blinkLevel == 0) game.blinkFalling = 0;
    }
}

std::string highScoreRowText(int place) {
    const int start = scoreListStart(game.playerCount, game.difficulty);
    if (start < 0 || place < 0 || place >= kScoreListLength) return {};
    const ScoreEntry& e = game.scoreTable[start + place];
    std::string row = std::to_string(roundToInt(e.kills)) + " Kills, " +
                      std::to_string(roundToInt(e.hits)) + " Hits! (von " + e.name1;
    if (game.playerCount == 2) row += " und " + e.name2;
    return row + ")";
}

namespace {

// Where the rows stand; a click on a row whose game was saved plays it.
constexpr int kRowX = 420, kRowTop = 360, kRowStep = 95, kRowHeight = 40;
constexpr int kRowRight = 1340;

bool rowWatchable(int start, int place) {
    return start >= 0 && place >= 0 && place < kScoreListLength &&
           game.entryWatchable[start + place];
}

int rowUnderPointer() {
    for (int place = 0; place < kScoreListLength; ++place) {
        const int top = kRowTop + kRowStep * place - 5;
        if (mouseX() >= kRowX - 40 && mouseX() <= kRowRight && mouseY() >= top &&
            mouseY() < top + kRowHeight + 10)
            return place;
    }
    return -1;
}

// The next row in a direction that has a game to watch, round the list;
// -1 when none has.
int nextWatchableRow(int start, int from, int step) {
    for (int n = 1; n <= kScoreListLength; ++n) {
        const int place = ((from < 0 ? (step > 0 ? -1 : kScoreListLength) : from) + step * n +
                           2 * kScoreListLength) %
                          kScoreListLength;
        if (rowWatchable(start, place)) return place;
    }
    return -1;
}

// The keys and the pointer choose among the rows with a saved game.
void chooseRow(int start, int hovered) {
    const bool up = keyHeld(key::Up), down = keyHeld(key::Down), button = mouseButtonHeld(1);
    if (down && !game.downWasHeld) game.chosenRow = nextWatchableRow(start, game.chosenRow, 1);
    if (up && !game.upWasHeld) game.chosenRow = nextWatchableRow(start, game.chosenRow, -1);
    if (button && !game.pointerWasHeld && rowWatchable(start, hovered))
        game.watchEntry = start + hovered;
    game.upWasHeld = up;
    game.downWasHeld = down;
    game.pointerWasHeld = button;
}

void drawRow(int start, int place, bool marked) {
    const int y = kRowTop + kRowStep * place;
    const std::string text = highScoreRowText(place);
    drawText(kRowX, y, text);
    if (!rowWatchable(start, place)) return;
    const int right = kRowX + textWidth(text);
    drawText(right + 20, y, "\xBB ansehen");
    if (marked)
        for (int line = 0; line < 3; ++line)
            drawLine(kRowX, y + 38 + line, right, y + 38 + line, rgb(255, 200, 0));
}

}  // namespace

bool highScoreFrame() {
    const int start = scoreListStart(game.playerCount, game.difficulty);
    const bool hasList = start >= 0;
    if (!menuFrameGoesAhead()) return false;
    const int hovered = hasList ? rowUnderPointer() : -1;
    if (hasList) chooseRow(start, hovered);
    drawOpaque(kBackgroundImage, 0, 0);
    drawTransparent(kHighScoresTitleImage, 0, 0);
    drawTransparent(kHighScoresImage, 0, 0);
    beginText();
    setTextTransparent();
    drawVersion();
    useFont(3);
    if (hasList)
        for (int place = 0; place < kScoreListLength; ++place)
            drawRow(start, place, place == hovered || place == game.chosenRow);
    drawBlinkingPrompt(1100, 720);
    endText();
    drawPointer();
    flip();
    clearCanvas(0);
    if (game.watchEntry >= 0) return true;
    if (keyHeld(key::Return)) {
        // Return plays the row chosen with the keys, and otherwise goes on.
        if (rowWatchable(start, game.chosenRow)) {
            game.watchEntry = start + game.chosenRow;
            return true;
        }
        game.menuHover = kMenuNone;
        return false;
    }
    return true;
}

void runHighScoreScreen() {
    do takeFrameInput(PadUse::Prompt);
    while (highScoreFrame());
}

void enterPause() {
    game.paused = 1;
    playSound(kSoundPause);
    grabCanvas(kPauseSnapshotImage, 0, 0, kCanvasWidth, kCanvasHeight);
}

void pauseFrame() {
    // Only the keys: the mouse and the window wait until play resumes.
    drawOpaque(kPauseSnapshotImage, 0, 0);
    if (game.pauseChoice == 0) {
        drawTransparent(kPauseContinueImage, 0, 0);
        if (keyHeld(key::Return)) game.paused = 0;
    } else {
        drawTransparent(kPauseEndImage, 0, 0);
        if (keyHeld(key::Return)) {
            game.paused = 0;
            game.livesLeft = 0;  // ends like a game whose last life is gone
        }
    }
    if (keyHeld(key::Up))
        game.pauseChoice = 0;
    else if (keyHeld(key::Down))
        game.pauseChoice = 1;
    drawWatchBanner();
    flip();
}

void runPauseScreen() {
    enterPause();
    while (game.paused == 1) {
        takeFrameInput(PadUse::Pause);
        pauseFrame();
    }
}

void enterGameOver() {
    game.menuHover = kMenuNone;
}

bool gameOverFrame() {
    if (!menuFrameGoesAhead()) return false;
    drawOpaque(kBackgroundImage, 0, 0);
    drawTransparent(kGameOverTitleImage, 0, 0);
    drawTransparent(kGameOverImage, 0, 0);
    beginText();
    setTextTransparent();
    useFont(1);
    drawText(680, 390, std::to_string(roundToInt(firstPlayer().kills + secondPlayer().kills)));
    drawText(680, 490, std::to_string(roundToInt(firstPlayer().hits + secondPlayer().hits)));
    useFont(2);
    if (twoPlayerGame())
        drawText(680, 600, firstPlayer().name + " und " + secondPlayer().name);
    else
        drawText(680, 600, firstPlayer().name);
    useFont(3);
    drawBlinkingPrompt(1100, 720);
    endText();
    // One star for a game that entered no list, up to five for first
    // place; the custom power-up mark shows as many as the strip holds.
    clip(kStarsImage, 0, 0, roundToInt((game.placementMark + 1) * 51), 50);
    drawTransparent(kStarsImage, 600, 310);
    drawPointer();
    flip();
    clearCanvas(0);
    return !keyHeld(key::Return);
}

void runGameOverScreen() {
    enterGameOver();
    do takeFrameInput(PadUse::Prompt);
    while (gameOverFrame());
}
