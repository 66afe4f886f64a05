// The pictures the build draws, checked the way the game uses them: loaded
// from Data/ into slots with the game's load modes, measured against the
// places the game draws them at, and drawn onto the real canvas.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "media/media_layer.h"
#include "test_support/scratch_folder.h"

namespace {

// What the game needs of one file: its load mode and the size range its
// draw positions allow.
struct Expected {
    const char* file;
    int mode;
    int minWidth, maxWidth, minHeight, maxHeight;
};

constexpr int kScreenW = kCanvasWidth, kScreenH = kCanvasHeight;

// Smileys are hit-tested and centred as 100 x 100; shots start at the
// smiley's corner + 35, so a 30 x 30 shot leaves from its centre.
const Expected kPictures[] = {
    {"Spieler1.bmp", 0, 100, 100, 100, 100},
    {"Spieler2.bmp", 0, 100, 100, 100, 100},
    {"SpielerSpecial1.bmp", 0, 100, 100, 100, 100},
    {"SpielerSpecial2.bmp", 0, 100, 100, 100, 100},
    {"SpielerSpecial3.bmp", 0, 100, 100, 100, 100},
    {"SpielerSpecial4.bmp", 0, 100, 100, 100, 100},
    {"SpielerSpecial5.bmp", 0, 100, 100, 100, 100},
    {"SpielerSpecial6.bmp", 0, 100, 100, 100, 100},
    {"SpielerSpecial7.bmp", 0, 100, 100, 100, 100},
    {"Stein.bmp", 0, 30, 30, 30, 30},
    {"Böse.bmp", 0, 100, 100, 100, 100},
    {"LebenRotAktiv.bmp", 0, 140, 1000, 5, 5},
    {"LebenGruenAktiv.bmp", 0, 140, 1000, 5, 5},
    {"LebenGelbAktiv.bmp", 0, 140, 1000, 5, 5},
    {"LebenInaktiv.bmp", 0, 100, 100, 5, 5},
    {"PlayerLebenTot.bmp", 0, 500, 500, 41, 41},
    {"PlayerLeben.bmp", 0, 500, 500, 40, 40},
    {"PowerUp.bmp", 0, 100, 100, 100, 100},
    {"LifeUp.bmp", 0, 100, 100, 100, 100},
    {"Wasser.bmp", 12, 30, 30, 30, 30},
    {"SteinRot.bmp", 0, 30, 30, 30, 30},
    {"Blut.bmp", 0, 30, 30, 30, 30},
    {"Grab.bmp", 0, 100, 100, 100, 100},
    {"SpielerSpecial8.bmp", 0, 100, 100, 100, 100},
    {"SpielerSpecial9.bmp", 0, 100, 100, 100, 100},
    {"Blut2.bmp", 0, 30, 30, 30, 30},
    {"Herz.bmp", 0, 30, 30, 30, 30},
    {"SpielerSpecial10.bmp", 0, 100, 100, 100, 100},
    {"SpielerSpecial11.bmp", 0, 100, 200, 100, 200},  // the giant grows right and down
    {"GrosserStein.bmp", 0, 31, 100, 31, 100},
    {"Kreis1.bmp", 0, 500, 500, 500, 500},  // drawn at the smiley - 200: radius 250
    {"Kreis2.bmp", 0, 500, 500, 500, 500},
    {"SpielerSpecial12.bmp", 0, 100, 100, 100, 100},
    {"SpielerSpecial13.bmp", 0, 100, 100, 100, 100},
    {"SpielerSpecial14.bmp", 0, 100, 100, 100, 100},
    {"Nichts.bmp", 0, 100, 100, 100, 100},
    {"Durchsicht.bmp", 0, 30, 30, 30, 30},
    {"SpielerSpecial15.bmp", 0, 100, 100, 100, 100},
    {"SpielerSpecial16.bmp", 0, 100, 100, 100, 100},
    {"Nichts2.bmp", 0, 100, 100, 100, 100},
    {"Kreis3.bmp", 0, 500, 500, 500, 500},
    {"Heilung.bmp", 0, 30, 30, 30, 30},
    {"SpielerSpecial17.bmp", 0, 100, 100, 100, 100},
    {"GegnerShot.bmp", 0, 30, 30, 30, 30},
    {"Langsam.bmp", 0, 36, 36, 36, 36},  // a ring at the shot - 3
    {"SpielerSpecial18.bmp", 0, 100, 100, 100, 100},
    {"Kreis4.bmp", 0, 500, 500, 500, 500},
    {"Minishot.bmp", 0, 4, 29, 4, 29},
    {"LebenInsg.bmp", 0, 5 * 31 + 3, 1000, 36, 36},
    {"lebenInsgAus.bmp", 0, 5 * 31 + 3, 1000, 36, 36},
    {"Stern.bmp", 0, 7 * 51, 7 * 51, 50, 50},
    {"Schiessturm.bmp", 0, 100, 100, 100, 100},
    {"Pfeil.bmp", 12, 30, 30, 30, 30},
    {"Laser.bmp", 12, 30, 30, 30, 30},
    {"Rakete.bmp", 12, 30, 30, 30, 30},
    {"Sternschuss.bmp", 12, 30, 30, 30, 30},
    {"PowerUp - Grau.bmp", 12, 100, 100, 100, 100},
    {"PowerUp - Lila.bmp", 0, 100, 100, 100, 100},
    {"Plasma.bmp", 12, 30, 30, 30, 30},
    {"SpielerSpecial19.bmp", 0, 100, 100, 100, 100},
    {"Mine.bmp", 0, 30, 30, 30, 30},
    {"Gifttropfen.bmp", 0, 100, 100, 100, 100},
    {"Schneeflocke.bmp", 12, 30, 30, 30, 30},
    {"SpielerSpecial20.bmp", 0, 100, 100, 100, 100},
    {"SpielerSpecial21.bmp", 0, 100, 100, 100, 100},
    {"Schneeball.bmp", 0, 30, 30, 30, 30},
    {"Pest.bmp", 0, 30, 30, 30, 30},
    {"GiftturmSchuss.bmp", 12, 30, 30, 30, 30},
    {"EigenUp.bmp", 12, 100, 100, 100, 100},
    {"Paralysis.png", 12, 100, 100, 100, 100},
    {"Start.png", 12, kScreenW, kScreenW, kScreenH, kScreenH},
    {"Start1.png", 12, kScreenW, kScreenW, kScreenH, kScreenH},
    {"Start2.png", 12, kScreenW, kScreenW, kScreenH, kScreenH},
    {"Start3.png", 12, kScreenW, kScreenW, kScreenH, kScreenH},
    {"Start4.png", 12, kScreenW, kScreenW, kScreenH, kScreenH},
    {"Start5.png", 12, kScreenW, kScreenW, kScreenH, kScreenH},
    {"Start6.png", 12, kScreenW, kScreenW, kScreenH, kScreenH},
    {"GameOver.png", 12, kScreenW, kScreenW, kScreenH, kScreenH},
    {"Highscores.png", 12, kScreenW, kScreenW, kScreenH, kScreenH},
    // The marker must stay inside the smallest box it marks, from where the
    // game draws it: (1158, 583) in 1141..1199 x 571..639.
    {"Schwierigkeit.png", 12, 1, 42, 1, 57},
    {"Title.png", 12, kScreenW, kScreenW, kScreenH, kScreenH},
    {"HighscoresTitle.png", 12, kScreenW, kScreenW, kScreenH, kScreenH},
    {"GameOverTitle.png", 12, kScreenW, kScreenW, kScreenH, kScreenH},
    {"Pause1.png", 12, kScreenW, kScreenW, kScreenH, kScreenH},
    {"Pause2.png", 12, kScreenW, kScreenW, kScreenH, kScreenH},
    {"Start7.png", 12, kScreenW, kScreenW, kScreenH, kScreenH},
    {"Start8.png", 12, kScreenW, kScreenW, kScreenH, kScreenH},
    {"Logo.png", 12, 500, 500, 500, 500},  // drawn at (433, 134): centred
    {"Frost.png", 12, 100, 100, 100, 100},
    {"Tod1Anim.png", 12, 10 * 100, 10 * 100, 100, 100},
    {"SchussAnim.png", 12, 5 * 30, 5 * 30, 30, 30},
    {"PlayerTodAnim.png", 12, 5 * 100, 5 * 100, 100, 100},
    {"PowerUpAnim.png", 12, 6 * 100, 6 * 100, 100, 100},
    {"Black.jpg", 4, kScreenW, kScreenW, kScreenH, kScreenH},
    {"Back.jpg", 12, kScreenW, kScreenW, kScreenH, kScreenH},
};

// Pictures the game draws with drawOpaque, where a clear pixel would show as
// a hole: the bars and the empty lives strip.
bool drawnOpaque(const std::string& file) {
    return file == "LebenInaktiv.bmp" || file == "LebenGruenAktiv.bmp" ||
           file == "PlayerLeben.bmp" || file == "PlayerLebenTot.bmp" || file == "lebenInsgAus.bmp";
}

// Solid stripes, clipped to length: nothing to see through, however drawn.
bool solidBar(const std::string& file) {
    return drawnOpaque(file) || file == "LebenRotAktiv.bmp" || file == "LebenGelbAktiv.bmp";
}

bool isJpeg(const std::string& file) {
    return file.ends_with(".jpg");
}

// A colour no picture uses, so a canvas pixel that still has it was left clear.
constexpr int kGround = rgb(7, 131, 61);
constexpr std::uint32_t kGroundPixel = 0x07833D;

struct Region {
    int left, right, top, bottom;  // inclusive, as the title screen tests the mouse
    bool contains(int x, int y) const { return x >= left && x <= right && y >= top && y <= bottom; }
};

// The mouse areas of the title screen, by hover layer Start1..Start8.
const Region kButtons[] = {
    {221, 679, 356, 449},                              // 1 start a game
    {221, 629, 461, 559},                              // 2 high scores
    {981, 1039, 571, 639},                             // 3 Easy-Peasy
    {1061, 1119, 571, 639},                            // 4 Normal
    {1141, 1199, 571, 639},                            // 5 Krank
    {1111, kCanvasWidth - 1, 671, kCanvasHeight - 1},  // 6 quit: no upper bound
    {828, 886, 366, 434},                              // 7 one player
    {908, 966, 366, 434},                              // 8 two players
};

class Pictures : public ::testing::Test {
  protected:
    void SetUp() override {
        folder.linkPictures();
        ASSERT_TRUE(initMedia());
        setTransparentColour(rgb(255, 0, 255));
    }
    void TearDown() override { shutdownMedia(); }

    // Draws the slot with transparency at (x, y) on a canvas of kGround and
    // returns the pixels of the w x h rectangle there.
    std::vector<std::uint32_t> drawnOnGround(int slot, int x, int y, int w, int h) {
        clearCanvas(kGround);
        drawTransparent(slot, x, y);
        std::vector<std::uint32_t> out;
        out.reserve(static_cast<std::size_t>(w) * h);
        const std::uint32_t* canvas = canvasPixels();
        for (int row = y; row < y + h; ++row)
            for (int col = x; col < x + w; ++col)
                out.push_back(canvas[row * kCanvasWidth + col] & 0xFFFFFF);
        return out;
    }

    int load(int slot, const std::string& file, int mode) {
        return loadSprite(slot, "Data/" + file, mode);
    }

    ScratchFolder folder;
};

TEST_F(Pictures, EveryFileLoadsInItsModeWithTheSizeTheGameDrawsItAt) {
    int slot = 1;
    for (const Expected& e : kPictures) {
        SCOPED_TRACE(e.file);
        ASSERT_NE(load(slot, e.file, e.mode), 0) << "missing or unreadable";
        EXPECT_GE(fullWidth(slot), e.minWidth);
        EXPECT_LE(fullWidth(slot), e.maxWidth);
        EXPECT_GE(fullHeight(slot), e.minHeight);
        EXPECT_LE(fullHeight(slot), e.maxHeight);
        ++slot;
    }
}

// Keyed pictures must be clear around their shape, without a pink fringe
// where an anti-aliased edge met the magenta. Pictures with their own alpha
// must really let the field through somewhere (a 32-bit BMP read as opaque
// would cover it), and the bars must have no hole at all.
TEST_F(Pictures, TransparencyIsWhereTheGameNeedsIt) {
    for (const Expected& e : kPictures) {
        const std::string file = e.file;
        if (isJpeg(file)) continue;
        SCOPED_TRACE(file);
        ASSERT_NE(load(1, file, e.mode), 0);
        const int w = fullWidth(1), h = fullHeight(1);
        const std::vector<std::uint32_t> px = drawnOnGround(1, 0, 0, w, h);
        clearCanvas(kGround);
        drawOpaque(1, 0, 0);
        int seeThrough = 0, untouched = 0, fringe = 0;
        for (int y = 0; y < h; ++y) {
            for (int x = 0; x < w; ++x) {
                const std::uint32_t p = px[y * w + x];
                seeThrough += p != (canvasPixel(x, y) & 0xFFFFFF);
                if (p == kGroundPixel) {
                    ++untouched;
                    continue;
                }
                const bool edge = (x > 0 && px[y * w + x - 1] == kGroundPixel) ||
                                  (x + 1 < w && px[y * w + x + 1] == kGroundPixel) ||
                                  (y > 0 && px[(y - 1) * w + x] == kGroundPixel) ||
                                  (y + 1 < h && px[(y + 1) * w + x] == kGroundPixel);
                const int r = p >> 16, g = (p >> 8) & 0xFF, b = p & 0xFF;
                if (e.mode == 0 && edge && r > 190 && b > 190 && g < 90) ++fringe;
            }
        }
        EXPECT_EQ(fringe, 0) << "magenta-looking pixels on the edge of the shape";
        EXPECT_LT(untouched, w * h) << "nothing drawn at all";
        if (solidBar(file)) {
            EXPECT_EQ(seeThrough, 0);
        } else {
            EXPECT_GT(seeThrough, 0);
        }
    }
}

TEST_F(Pictures, EachHoverLayerChangesOnlyItsOwnButton) {
    const int w = kCanvasWidth, h = kCanvasHeight;
    ASSERT_NE(load(54, "Start.png", 12), 0);
    const std::vector<std::uint32_t> idle = drawnOnGround(54, 0, 0, w, h);
    for (int k = 1; k <= 8; ++k) {
        const std::string file = "Start" + std::to_string(k) + ".png";
        SCOPED_TRACE(file);
        const Region& own = kButtons[k - 1];
        // The idle layer shows a button where the mouse is looked for.
        int button = 0;
        for (int y = own.top; y <= own.bottom; ++y)
            for (int x = own.left; x <= own.right; ++x) button += idle[y * w + x] != kGroundPixel;
        EXPECT_GT(button, 400);
        ASSERT_NE(load(55, file, 12), 0);
        const std::vector<std::uint32_t> hot = drawnOnGround(55, 0, 0, w, h);
        int inside = 0, outside = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                if (hot[y * w + x] != idle[y * w + x]) (own.contains(x, y) ? inside : outside)++;
        EXPECT_EQ(outside, 0);
        EXPECT_GT(inside, 100) << "the hovered button should light up";
    }
}

// The bars and strips are clipped at fixed steps; nothing may be cut in half
// at a step, and every frame of an animation strip must show something.
TEST_F(Pictures, StripsLineUpWithTheStepsTheGameClipsThemAt) {
    ASSERT_NE(load(52, "LebenInsg.bmp", 0), 0);
    const int livesW = fullWidth(52);
    const std::vector<std::uint32_t> lives = drawnOnGround(52, 0, 0, livesW, 36);
    // One life is 31 pixels from x = 3: the three columns before each icon
    // are the gap where the strip is cut.
    for (int n = 0; n * 31 + 3 <= livesW; ++n)
        for (int x = n * 31; x < n * 31 + 3; ++x)
            for (int y = 0; y < 36; ++y)
                ASSERT_EQ(lives[y * livesW + x], kGroundPixel) << "x " << x;
    for (int n = 0; n < 5; ++n)
        EXPECT_NE(lives[18 * livesW + n * 31 + 3 + 14], kGroundPixel) << "icon " << n;

    ASSERT_NE(load(68, "Stern.bmp", 0), 0);
    const std::vector<std::uint32_t> stars = drawnOnGround(68, 0, 0, 7 * 51, 50);
    for (int k = 1; k <= 7; ++k) {
        for (int y = 0; y < 50; ++y)
            ASSERT_EQ(stars[y * 357 + k * 51 - 1], kGroundPixel) << "star " << k;
        EXPECT_NE(stars[25 * 357 + k * 51 - 26], kGroundPixel) << "star " << k;
    }

    struct Strip {
        const char* file;
        int frameWidth, frames;
    };
    for (const Strip& s : {Strip{"Tod1Anim.png", 100, 10}, Strip{"SchussAnim.png", 30, 5},
                           Strip{"PlayerTodAnim.png", 100, 5}, Strip{"PowerUpAnim.png", 100, 6}}) {
        SCOPED_TRACE(s.file);
        ASSERT_NE(load(94, s.file, 12), 0);
        for (int f = 0; f < s.frames; ++f) {
            clip(94, f * s.frameWidth, 0, s.frameWidth, fullHeight(94));
            const std::vector<std::uint32_t> px =
                drawnOnGround(94, 0, 0, s.frameWidth, fullHeight(94));
            int drawn = 0;
            for (std::uint32_t p : px) drawn += p != kGroundPixel;
            EXPECT_GT(drawn, 0) << "frame " << f << " is empty";
        }
    }
}

TEST_F(Pictures, HealthBarsShowEachPlayerInItsOwnColour) {
    ASSERT_NE(load(16, "PlayerLeben.bmp", 0), 0);
    clearCanvas(kGround);
    drawOpaque(16, 0, 0);
    const std::uint32_t first = canvasPixel(250, 10), second = canvasPixel(250, 30);
    // Yellow like the first player's name, blue like the second's.
    EXPECT_GT(first >> 16 & 0xFF, first & 0xFF);
    EXPECT_GT(first >> 8 & 0xFF, first & 0xFF);
    EXPECT_GT(second & 0xFF, second >> 16 & 0xFF);
}

// The ghost and the rainbow smiley are hit through Nichts.bmp and
// Nichts2.bmp. An opponent lined up with a smiley fires along the middle of
// its row or column; the ghost must let such a shot pass, the rainbow smiley
// (a shield that heals every frame) must stop it like any smiley.
TEST_F(Pictures, GhostLetsALinedUpShotPassAndTheRainbowSmileyStopsIt) {
    ASSERT_NE(load(46, "GegnerShot.bmp", 0), 0);
    ASSERT_NE(load(0, "Spieler1.bmp", 0), 0);
    ASSERT_NE(load(38, "Nichts.bmp", 0), 0);
    ASSERT_NE(load(42, "Nichts2.bmp", 0), 0);
    const int px = 500, py = 300;
    for (int offset = -4; offset <= 4; ++offset) {
        bool hitsGhost = false, hitsRainbow = false, hitsPlayer = false;
        for (int step = -60; step <= 160; step += 10) {
            // across the row, then down the column
            const int sx[2] = {px + step - 15, px + 35 + offset};
            const int sy[2] = {py + 35 + offset, py + step - 15};
            for (int d = 0; d < 2; ++d) {
                hitsGhost |= collidePixels(46, sx[d], sy[d], 38, px, py);
                hitsRainbow |= collidePixels(46, sx[d], sy[d], 42, px, py);
                hitsPlayer |= collidePixels(46, sx[d], sy[d], 0, px, py);
            }
        }
        EXPECT_FALSE(hitsGhost) << "offset " << offset;
        EXPECT_TRUE(hitsRainbow) << "offset " << offset;
        EXPECT_TRUE(hitsPlayer) << "offset " << offset;
    }
    // The ghost can still be hit: a shot that flies through its eyes does.
    bool eyes = false;
    for (int step = -60; step <= 160; step += 10)
        eyes |= collidePixels(46, px + step - 15, py + 12, 38, px, py);
    EXPECT_TRUE(eyes);
}

}  // namespace
