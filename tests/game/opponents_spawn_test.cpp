#include <gtest/gtest.h>

#include <vector>

#include "game/players/shots.h"
#include "game/world/opponents.h"
#include "tests/game/game_fixture.h"
#include "tests/game/opponents_pictures.h"

namespace {

// What the outer loop sets before a game, and the spawn period, by difficulty.
constexpr double kTimerAtStart[3] = {400, 200, 100};
constexpr double kPeriod[3] = {600, 400, 300};

class OpponentSpawnTest : public GameTest {
  protected:
    void start(int players, int difficulty) {
        writeOpponentTestPictures();
        startGame(players, difficulty);
        beginGame();
        EXPECT_EQ(game.spawnTimer, kTimerAtStart[difficulty]);
    }
    static void addStanding(int n) {
        for (int i = 0; i < n; ++i) addOpponent(500 + 10 * i, 300, 5, 5, kOpponentImage);
    }
};

bool onAnEdge(const Opponent& o) {
    const bool side = (o.x == 0 || o.x == 1266) && o.y >= 0 && o.y <= 668;
    const bool topOrBottom = (o.y == 0 || o.y == 668) && o.x >= 0 && o.x <= 1266;
    return side || topOrBottom;
}

TEST_F(OpponentSpawnTest, FirstPairComesTwoHundredFramesInOnEveryDifficultyThenEveryPeriod) {
    start(1, 0);
    for (int d = 0; d <= 2; ++d) {
        SCOPED_TRACE(d);
        game.difficulty = d;
        game.opponents.clear();
        game.shots.clear();
        firstPlayer().health = 20;
        game.spawnTimer = kTimerAtStart[d];
        for (int frame = 1; frame <= 200; ++frame) {
            ASSERT_TRUE(runGameFrame());
            ASSERT_EQ(game.opponents.count(), 0) << frame;
        }
        ASSERT_TRUE(runGameFrame());
        ASSERT_EQ(game.opponents.count(), 2);
        EXPECT_EQ(game.spawnTimer, 1);
        std::vector<Opponent> pair;
        game.opponents.forEach([&](const Opponent& o) { pair.push_back(o); });
        EXPECT_TRUE(onAnEdge(pair[0]));
        EXPECT_TRUE(onAnEdge(pair[1]));
        for (int frame = 1; frame < kPeriod[d]; ++frame) {
            ASSERT_TRUE(runGameFrame());
            ASSERT_EQ(game.opponents.count(), 2) << frame;
        }
        ASSERT_TRUE(runGameFrame());
        EXPECT_EQ(game.opponents.count(), 4);
    }
}

TEST_F(OpponentSpawnTest, FiveBecomeSevenWhileSixHoldTheTimerAtThePeriod) {
    start(1, 1);
    addStanding(5);
    game.spawnTimer = 400;
    spawnOpponents();
    EXPECT_EQ(game.opponents.count(), 7);
    EXPECT_EQ(game.spawnTimer, 1);

    game.opponents.select(0);
    game.opponents.remove();
    game.spawnTimer = 400;
    for (int i = 0; i < 5; ++i) spawnOpponents();
    EXPECT_EQ(game.opponents.count(), 6);
    EXPECT_EQ(game.spawnTimer, 400);
    // One falls: the held pair comes at the very next call.
    game.opponents.select(0);
    game.opponents.remove();
    spawnOpponents();
    EXPECT_EQ(game.opponents.count(), 7);
    EXPECT_EQ(game.spawnTimer, 1);
}

TEST_F(OpponentSpawnTest, NoPairWhileTheOnlyPlayerLiesInItsGraveThenTheFirstFrameAfter) {
    start(1, 2);
    Player& p = firstPlayer();
    p.form = 100;
    p.formTimer = 2000;
    p.active = 0;
    secondPlayer().form = 0;  // does not count in a one-player game
    game.spawnTimer = 290;
    for (int frame = 0; frame < 30; ++frame) ASSERT_TRUE(runGameFrame());
    EXPECT_EQ(game.opponents.count(), 0);
    EXPECT_EQ(game.spawnTimer, 300);  // held at the period
    p.form = 0;
    p.active = 1;
    ASSERT_TRUE(runGameFrame());
    EXPECT_EQ(game.opponents.count(), 2);
}

TEST_F(OpponentSpawnTest, TwoPlayerGameSpawnsWhileEitherPlayerIsInPlay) {
    start(2, 0);
    Player& first = firstPlayer();
    Player& second = secondPlayer();
    first.form = 100;
    game.spawnTimer = 600;
    spawnOpponents();
    EXPECT_EQ(game.opponents.count(), 2);

    first.form = 0;
    second.form = 100;
    game.spawnTimer = 600;
    spawnOpponents();
    EXPECT_EQ(game.opponents.count(), 4);

    first.form = 100;
    game.spawnTimer = 600;
    spawnOpponents();
    EXPECT_EQ(game.opponents.count(), 4);
    EXPECT_EQ(game.spawnTimer, 600);

    // Through real frames too: the second player alone keeps them coming.
    second.form = 0;
    game.opponents.clear();
    ASSERT_TRUE(runGameFrame());
    EXPECT_EQ(game.opponents.count(), 2);
}

TEST_F(OpponentSpawnTest, NothingComesOnceTheGameIsOver) {
    start(2, 1);
    // The timer stood at the period, held by a full field, when the pool ran dry.
    addStanding(5);
    game.spawnTimer = 400;
    game.gameOver = 1;
    for (int i = 0; i < 500; ++i) spawnOpponents();
    EXPECT_EQ(game.opponents.count(), 5);
    EXPECT_EQ(game.spawnTimer, 0);

    // Through real frames: six hold the timer at the period; in the frame the
    // pool runs dry one of them dies, yet no pair follows.
    game.opponents.clear();
    game.gameOver = 0;
    game.fadeAlpha = 1;
    addStanding(6);
    game.opponents.select(2)->health = 0;
    game.spawnTimer = 400;
    game.livesLeft = 0;
    int frames = 0;
    while (runGameFrame()) ASSERT_LT(++frames, 1000);
    EXPECT_EQ(frames, 253);
    EXPECT_EQ(game.opponents.count(), 5);
}

TEST_F(OpponentSpawnTest, ValuesFollowDifficultyAndPlayerCountAtCreation) {
    start(1, 0);
    const double health[3] = {5, 6, 7};
    const double interval[3] = {90, 60, 40};
    for (int players = 1; players <= 2; ++players)
        for (int d = 0; d <= 2; ++d) {
            SCOPED_TRACE(players * 10 + d);
            game.playerCount = players;
            game.difficulty = d;
            const Opponent* o = addOpponent(12, 34, 5, 5, kOpponentImage);
            EXPECT_EQ(o->x, 12);
            EXPECT_EQ(o->y, 34);
            EXPECT_EQ(o->health, health[d]);
            EXPECT_EQ(o->maxHealth, 5);
            EXPECT_EQ(o->fireInterval, interval[d]);
            EXPECT_EQ(o->shotDamage, players == 1 ? 0.75 : 1.5);
            EXPECT_EQ(o->speed, 5);
            EXPECT_EQ(o->baseSpeed, 5);
            EXPECT_EQ(o->image, kOpponentImage);
            EXPECT_EQ(o->shotImage, kOpponentShotImage);
            EXPECT_EQ(o->statusTimer, 1000);
            EXPECT_EQ(o->fireCountdown + o->status + o->pulse + o->lastHitter, 0);
        }
    // An opponent keeps what it got when the settings change afterwards.
    game.difficulty = 0;
    game.playerCount = 1;
    const Opponent* last = game.opponents.select(game.opponents.count() - 1);
    EXPECT_EQ(last->health, 7);
    EXPECT_EQ(last->shotDamage, 1.5);
    // A difficulty edited by hand beyond the three plays like the nearest.
    game.difficulty = 7;
    EXPECT_EQ(addOpponent(0, 0, 5, 5, kOpponentImage)->health, 7);
    EXPECT_EQ(spawnPeriod(), 300);
}

TEST_F(OpponentSpawnTest, SpawnPointsFollowTheDrawsInOrder) {
    start(1, 1);
    // The draws the rules make: edge, then the free coordinate, for each of
    // the pair in turn.
    seedRandom(99);
    std::vector<double> expected;
    for (int pair = 0; pair < 300; ++pair)
        for (int one = 0; one < 2; ++one) {
            const int edge = random(3);
            const int free = random(edge < 2 ? 668 : 1266);
            const double xs[4] = {1266, 0, static_cast<double>(free), static_cast<double>(free)};
            const double ys[4] = {static_cast<double>(free), static_cast<double>(free), 0, 668};
            expected.push_back(xs[edge]);
            expected.push_back(ys[edge]);
        }
    seedRandom(99);
    std::vector<double> got;
    int edges[4] = {0, 0, 0, 0};
    for (int pair = 0; pair < 300; ++pair) {
        game.opponents.clear();
        game.spawnTimer = 400;
        spawnOpponents();
        game.opponents.forEach([&](const Opponent& o) {
            got.push_back(o.x);
            got.push_back(o.y);
            ASSERT_TRUE(onAnEdge(o)) << o.x << "," << o.y;
            edges[o.x == 1266 ? 0 : o.x == 0 ? 1 : o.y == 0 ? 2 : 3] += 1;
        });
    }
    EXPECT_EQ(got, expected);
    for (int n : edges) EXPECT_GT(n, 100);
}

// Every walk leaves the list's cursor where it stopped, and a new pair lands
// right after it: here a player's shot hitting the first opponent stops the
// shot update's walk there, so the pair comes second and third.
TEST_F(OpponentSpawnTest, PairAddedAfterAWalkStoppedMidListIsDrawnAndHitInListOrder) {
    start(1, 1);
    firstPlayer().x = 1200;
    firstPlayer().y = 600;
    for (int i = 0; i < 3; ++i) {
        Opponent* o = addOpponent(300 + 100 * i, 300, 5, 0, kOpponentImage);
        o->fireCountdown = 1000;  // no opponent shot walks the list after ours
    }
    addShot(340, 340, 1, 0, 0, 0, 9);  // a standing stone in the first opponent
    game.spawnTimer = 400;
    ASSERT_TRUE(runGameFrame());
    ASSERT_EQ(game.opponents.count(), 2 + 3);
    std::vector<bool> fresh;
    game.opponents.forEach(
        [&](const Opponent& o) { fresh.push_back(o.fireInterval == 60 && o.fireCountdown == 0); });
    EXPECT_EQ(fresh, (std::vector<bool>{false, true, true, false, false}));
    EXPECT_EQ(game.opponents.select(0)->health, 5);  // the stone hit the first

    // Drawing order: A, then the first new one, then B, each bar over the one
    // before it. A full green 140 % bar, N1 a short red one, B a green one.
    Opponent* a = game.opponents.select(0);
    Opponent* n1 = game.opponents.select(1);
    Opponent* n2 = game.opponents.select(2);
    Opponent* b = game.opponents.select(3);
    a->x = 300, a->y = 300, a->health = 7;
    n1->x = 350, n1->y = 300, n1->health = 1, n1->baseSpeed = 0, n1->fireCountdown = 1000;
    b->x = 400, b->y = 300, b->health = 7;
    n2->x = 400, n2->y = 300, n2->baseSpeed = 0, n2->fireCountdown = 1000;
    game.opponents.select(4)->x = 900;
    clearCanvas(0);
    updateOpponents();
    using namespace opponent_pictures;
    EXPECT_EQ(canvasPixel(380, 292), kBarEmpty);  // N1's empty bar covers A's green
    EXPECT_EQ(canvasPixel(355, 292), kBarRed);
    EXPECT_EQ(canvasPixel(420, 292), kBarGreen);  // B's bar covers N1's

    // Hit order: a shot in both the second new one and B damages the new one.
    game.shots.clear();
    addShot(460, 320, 1, 0, 0, 0, 9);  // clear of N1, which ends at 449
    updateShots();
    EXPECT_EQ(n2->health, 5);
    EXPECT_EQ(n2->lastHitter, 0);
    EXPECT_EQ(b->health, 7);
}

}  // namespace
