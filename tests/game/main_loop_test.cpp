#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "datafiles/custom_powerup_file.h"
#include "game/players/health.h"
#include "game/shell/picture_catalogue.h"
#include "test_support/picture_files.h"
#include "tests/game/game_fixture.h"

namespace {

TEST_F(GameTest, StartUpReadsTheOptionsIntoTheGameState) {
    startGame(2, 1, 800, 450);
    EXPECT_EQ(game.versionText, "Alpha 1.5.1");
    EXPECT_EQ(game.playerCount, 2);
    EXPECT_EQ(game.difficulty, 1);
    EXPECT_EQ(game.windowWidth, 800);
    EXPECT_EQ(firstPlayer().name, "Eins");
    EXPECT_EQ(secondPlayer().name, "Zwei");
    EXPECT_EQ(game.fadeAlpha, 254);
    EXPECT_EQ(firstPlayer().image, kFirstPlayerImage);
    EXPECT_EQ(secondPlayer().image, kSecondPlayerImage);
    EXPECT_EQ(firstPlayer().health, 20);
    EXPECT_EQ(firstPlayer().active, 1);
}

TEST_F(GameTest, TooSmallWindowStopsBeforeTheScreenOpens) {
    writeFileBytes("Data/Optionen.txt", "a\r\nb\r\n1\r\n0\r\n99\r\n768\r\n0");
    EXPECT_FALSE(startUp());
    writeFileBytes("Data/Optionen.txt", "a\r\nb\r\n1\r\n0\r\n100\r\n100\r\n0");
    EXPECT_TRUE(startUp());
}

TEST_F(GameTest, LivesDependOnPlayersAndDifficulty) {
    startGame();
    const double expected[2][3] = {{4, 3, 2}, {5, 4, 3}};
    for (int players = 1; players <= 2; ++players)
        for (int d = 0; d <= 2; ++d) {
            game.playerCount = players;
            game.difficulty = d;
            grantLives();
            EXPECT_EQ(game.livesTotal, expected[players - 1][d]);
            EXPECT_EQ(game.livesLeft, game.livesTotal);
        }
}

TEST_F(GameTest, GameFadesInAndReachesBlackOnlyAfterTheLastLife) {
    startGame();
    beginGame();
    // The first frame is nearly black; the fade-in then runs down to 1.
    ASSERT_TRUE(runGameFrame());
    EXPECT_EQ(game.fadeAlpha, 253);
    EXPECT_LT(canvasPixel(683, 384) & 0xFF, 4u);
    for (int frame = 0; frame < 400; ++frame) ASSERT_TRUE(runGameFrame());
    EXPECT_EQ(game.fadeAlpha, 1);
    EXPECT_EQ(game.gameOver, 0);
    EXPECT_EQ(canvasPixel(683, 384), canvasPixel(683, 384));
    // The pool runs dry: the game is over from this frame and fades out.
    game.livesLeft = 0;
    int frames = 0;
    while (runGameFrame()) {
        ++frames;
        ASSERT_EQ(game.gameOver, 1);
        ASSERT_EQ(firstPlayer().active, 0);
        ASSERT_LT(frames, 300);
    }
    EXPECT_EQ(game.fadeAlpha, 255);
    EXPECT_EQ(frames, 253);  // 1 up to 255, the last frame ends the loop
    EXPECT_FALSE(game.closeRequested);
}

TEST_F(GameTest, GameOverDuringTheFadeInTurnsTheFadeAround) {
    startGame();
    beginGame();
    for (int frame = 0; frame < 100; ++frame) ASSERT_TRUE(runGameFrame());
    EXPECT_EQ(game.fadeAlpha, 154);
    game.livesLeft = -1;
    ASSERT_TRUE(runGameFrame());
    EXPECT_EQ(game.fadeAlpha, 155);
    runGame();
    EXPECT_EQ(game.fadeAlpha, 255);
    // The next game starts from black: the overlay is never reset.
    resetForNextGame();
    beginGame();
    ASSERT_TRUE(runGameFrame());
    EXPECT_EQ(game.fadeAlpha, 254);
    EXPECT_EQ(canvasPixel(10, 10), 0u);
}

TEST_F(GameTest, WindowCloseEndsTheGameAtOnce) {
    startGame();
    beginGame();
    ASSERT_TRUE(runGameFrame());
    const long long frames = game.frameNumber;
    scriptCloseRequest();
    EXPECT_FALSE(runGameFrame());
    EXPECT_TRUE(game.closeRequested);
    EXPECT_EQ(game.frameNumber, frames);  // nothing of that frame ran
    EXPECT_EQ(runOuterLoop(), LoopEnd::CloseWindow);
}

TEST_F(GameTest, ResetPutsPlayersBackAndEmptiesTheLists) {
    startGame(2, 2);
    beginGame();
    for (Player& p : game.players) {
        p.x = 500;
        p.y = 300;
        p.health = 3;
        p.kills = 4;
        p.form = 5;
        p.speedBonus = 7;
        p.active = 0;
    }
    game.shots.add();
    game.opponents.add();
    game.items.add();
    game.turrets.add();
    game.turretShots.add();
    game.animations.add();
    game.livesLeft = 0;
    resetForNextGame();
    for (const Player& p : game.players) {
        EXPECT_EQ(p.x, 0);
        EXPECT_EQ(p.y, 0);
        EXPECT_EQ(p.health, 20);
        EXPECT_EQ(p.kills, 0);
        EXPECT_EQ(p.form, 0);
        EXPECT_EQ(p.speedBonus, 0);
        EXPECT_EQ(p.active, 1);
    }
    EXPECT_EQ(game.shots.count() + game.opponents.count() + game.items.count() +
                  game.turrets.count() + game.turretShots.count(),
              0);
    EXPECT_EQ(game.animations.count(), 1);  // strips run on into the next game
    EXPECT_EQ(game.livesLeft, 3);
}

TEST_F(GameTest, HealthCapHoldsHealthAtTheEffectiveMaximum) {
    startGame();
    firstPlayer().health = 21.9;
    secondPlayer().health = -4;
    secondPlayer().maxHealthBonus = 80;
    capHealth();
    EXPECT_EQ(firstPlayer().health, 20);
    EXPECT_EQ(secondPlayer().health, -4);
    secondPlayer().health = 150;
    capHealth();
    EXPECT_EQ(secondPlayer().health, 100);
}

TEST_F(GameTest, AnimationStripsLastTheirFramesEvenWithoutAPicture) {
    startGame();
    freeSprite(kShotHitStrip);  // a strip whose picture is missing
    startAnimation(10, 10, kShotHitStrip, 30, 5, 3);
    startAnimation(10, 10, kPlayerDeathStrip, 100, 5, 6);
    int frames = 0;
    while (game.animations.count() == 2) {
        updateAnimations();
        ++frames;
    }
    EXPECT_EQ(frames, 5 * (3 + 1));
    while (game.animations.count() == 1) {
        updateAnimations();
        ++frames;
    }
    EXPECT_EQ(frames, 35);  // the player's death strip
}

TEST_F(GameTest, HeadlessGameRunsHundredsOfFrames) {
    startGame(2, 2, 1366, 768);
    beginGame();
    for (int frame = 0; frame < 600; ++frame) {
        scriptKey(key::D, frame % 40 < 20);
        ASSERT_TRUE(runGameFrame());
    }
    EXPECT_EQ(game.frameNumber, 600);
    EXPECT_EQ(game.gameOver, 0);
}

}  // namespace

namespace {

TEST_F(GameTest, FinishedGameIsScoredAndSavedUnlessCustomPowerUpsAreOn) {
    startGame(1, 1);
    beginGame();
    firstPlayer().kills = 7;
    firstPlayer().hits = 12;
    game.livesLeft = 0;
    runGame();
    recordResult();
    EXPECT_EQ(game.placementMark, 4);  // first place
    ScoreTable saved;
    loadScores(saved);
    const int first = scoreListStart(1, 1);
    EXPECT_EQ(saved[first].name1, "Eins");
    EXPECT_EQ(saved[first].kills, 7);
    EXPECT_EQ(saved[first].hits, 12);

    const std::string before = readFileBytes(kScoresPath);
    game.customPowerUpsEnabled = 1;
    firstPlayer().kills = 50;
    recordResult();
    EXPECT_EQ(game.placementMark, kPlacementCustomPowerUps);
    EXPECT_EQ(readFileBytes(kScoresPath), before);

    // A score file that cannot be written is told on stderr; the game goes on.
    game.customPowerUpsEnabled = 0;
    std::filesystem::remove(kScoresPath);
    std::filesystem::create_directories(kScoresPath + "/im-Weg");
    testing::internal::CaptureStderr();
    recordResult();
    EXPECT_EQ(testing::internal::GetCapturedStderr(),
              "pomvex: Data/Scores.txt could not be written: " +
                  std::string(std::strerror(EISDIR)) + "\n");
}

TEST_F(GameTest, CustomPowerUpsAreLoadedAtStartWithTheirPictures) {
    writeFileBytes(customPowerUpPath(0),
                   "Held\r\nIch\r\nHeld.bmp\r\nfehlt.bmp\r\n1.0000000000\r\n1.0000000000\r\n"
                   "0.0000000000\r\n0.0000000000");
    writeFileBytes(customPowerUpPath(2), readFileBytes(customPowerUpPath(0)));
    writeBmp24("Eigene Smileys/Held.bmp", TestPicture(100, 100, 0xFFFFFF00));
    startGame();
    EXPECT_EQ(game.customPowerUpCount, 1);  // number 1 is missing: the search stops
    ASSERT_EQ(game.customPowerUps.count(), 1);
    const CustomPowerUp* held = findCustomPowerUp(game.customPowerUps, 0);
    ASSERT_NE(held, nullptr);
    EXPECT_EQ(held->name, "Held");
    EXPECT_EQ(held->smileyImage, 1000);
    EXPECT_EQ(held->shotImage, 0);  // its shot picture does not exist
    EXPECT_TRUE(spriteLoaded(1000));
}

}  // namespace
