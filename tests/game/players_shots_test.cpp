#include <gtest/gtest.h>

#include "tests/game/players_fixture.h"

namespace {

using players_test::kSlowMarkColour;

TEST_F(PlayersTest, FirstHeldFireKeyWinsAndTheCoolDownCountsEveryFrame) {
    start(1);
    Player& p = firstPlayer();
    p.x = 200;
    p.y = 300.4;
    p.fireCooldown = -1;
    hold(key::Right);
    hold(key::Up);
    hold(key::D);  // the smiley moves first, then fires with its drift
    frame();
    ASSERT_EQ(game.shots.count(), 1);
    const Shot first = shotsNow()[0];
    EXPECT_EQ(first.x, 245);
    EXPECT_EQ(first.y, 335);  // 335.4 rounded
    EXPECT_EQ(first.vx, 3);
    EXPECT_EQ(first.vy, -15);
    EXPECT_EQ(first.kind, kShotOfFirstPlayer);
    EXPECT_EQ(first.damage, 1);
    EXPECT_EQ(first.image, 9);
    EXPECT_EQ(p.fireCooldown, 19);

    // A held key fires every 21st frame with the delay of 20.
    releaseAll();
    hold(key::Left);
    hold(key::S);
    int frames = 0;
    while (game.shots.count() == 1 && frames < 100) {
        frame();
        ++frames;
    }
    EXPECT_EQ(frames, 21);
    ASSERT_EQ(game.shots.count(), 2);
    EXPECT_EQ(shotsNow()[1].vx, -15);
    EXPECT_EQ(shotsNow()[1].vy, 3);             // down held: drift +3
    EXPECT_EQ(shotsNow()[0].y, 335 - 21 * 15);  // the first shot flew on

    // The cool-down runs without a key: from 5 to -1 in six frames, then
    // the first frame with a key fires.
    releaseAll();
    game.shots.clear();
    p.fireCooldown = 5;
    for (int i = 0; i < 6; ++i) frame();
    EXPECT_EQ(p.fireCooldown, -1);
    hold(key::Down);
    frame();
    ASSERT_EQ(game.shots.count(), 1);
    EXPECT_EQ(shotsNow()[0].vy, 15);
    EXPECT_EQ(shotsNow()[0].vx, 0);
}

TEST_F(PlayersTest, StoneAndLsdSmileyNeitherFireNorCountDown) {
    start(1);
    Player& p = firstPlayer();
    p.fireCooldown = 3;
    for (int form : {kFormStein, kFormLsd}) {
        ASSERT_TRUE(startForm(p, 0, form));
        hold(key::Up);
        for (int i = 0; i < 10; ++i) frame();
        EXPECT_EQ(p.fireCooldown, 3);
        EXPECT_EQ(game.shots.count(), 0);
    }
    // Once the form is over the count goes on and the key fires at -1.
    p.formTimer = 0;
    for (int i = 0; i < 5; ++i) frame();
    EXPECT_EQ(game.shots.count(), 0);
    frame();  // the key finds -1
    EXPECT_EQ(game.shots.count(), 1);
}

TEST_F(PlayersTest, HitsOnPlayersArePixelExactAndOnlyWhileInPlay) {
    start(1);
    Player& first = firstPlayer();
    Player& second = secondPlayer();
    first.x = second.x = 400;
    first.y = second.y = 300;
    // Inside the box but outside the round smiley: no hit.
    placeShot(375, 275, kShotOfOpponent);
    updateShots();
    EXPECT_EQ(first.health, 20);
    EXPECT_EQ(game.shots.count(), 1);
    game.shots.clear();

    // A hit: health goes down by the shot's damage, the shot leaves with
    // the hit strip at its position. The second record is no target alone.
    placeShot(430, 330, kShotOfOpponent);
    updateShots();
    EXPECT_EQ(first.health, 18.5);
    EXPECT_EQ(second.health, 20);
    EXPECT_EQ(game.shots.count(), 0);
    ASSERT_EQ(game.animations.count(), 1);
    const Animation* a = game.animations.select(0);
    EXPECT_EQ(a->x, 430);
    EXPECT_EQ(a->y, 330);
    EXPECT_EQ(a->image, kShotHitStrip);
    EXPECT_EQ(a->frameWidth, 30);
    EXPECT_EQ(a->frameCount, 5);
    EXPECT_EQ(a->ticksPerFrame, 3);

    // Inactive, in the grave or as a see-through ghost it is not hit, and
    // its own shots never hit it.
    first.active = 0;
    placeShot(430, 330, kShotOfOpponent);
    updateShots();
    first.active = 1;
    first.form = kFormGrave;
    updateShots();
    first.form = kFormGeist;
    first.image = 38;  // Nichts.bmp
    updateShots();
    EXPECT_EQ(first.health, 18.5);
    EXPECT_EQ(game.shots.count(), 1);
    game.shots.clear();
    first.form = 0;
    first.image = 0;
    placeShot(430, 330, kShotOfFirstPlayer);
    placeShot(430, 330, kHealShotOfFirst, 0, 0, -2);
    updateShots();
    EXPECT_EQ(first.health, 18.5);
    EXPECT_EQ(game.shots.count(), 2);
}

TEST_F(PlayersTest, AurasSlowShrinkAndTurnOpponentShotsOnTheRoundedCorner) {
    start(2);
    Player& first = firstPlayer();
    Player& second = secondPlayer();
    first.x = 400;
    first.y = 300;  // centre (450, 350)
    second.x = 410;
    second.y = 300;  // centre (460, 350)
    struct Case {
        int firstForm, secondForm;
        double kind;
        double wantVyStep;
        double wantDamage;
        int wantImage;
        bool slowMark;
    };
    const Case cases[] = {
        {kFormZeitaura, 0, kShotOfOpponent, 2, 1.5, 46, true},
        {0, kFormTransformfeld, kShotOfOpponent, 4, 0.5, kMiniShotImage, false},
        {kFormNegativaura, 0, kShotOfOpponent, 8, -0.5, kHealingShotImage, false},
        {kFormZeitaura, kFormTransformfeld, kShotOfOpponent, 2, 0.5, kMiniShotImage, true},
        {kFormNegativaura, kFormTransformfeld, kShotOfOpponent, 4, -0.5, kHealingShotImage, false},
        {kFormTransformfeld, kFormZeitaura, kShotOfOpponent, 2, 0.5, kMiniShotImage, true},
        // Players' shots are left alone by every aura.
        {kFormZeitaura, kFormNegativaura, kShotOfFirstPlayer, 8, 1.5, 46, false},
        {kFormTransformfeld, 0, kShotOfSecondPlayer, 8, 1.5, 46, false},
        // Other forms have no aura.
        {kFormSchadensaura, kFormIronman, kShotOfOpponent, 8, 1.5, 46, false},
    };
    for (const Case& c : cases) {
        game.shots.clear();
        first.form = c.firstForm;
        second.form = c.secondForm;
        placeShot(450, 450, c.kind, 0, 8);
        clearCanvas(0);
        updateShots();
        ASSERT_EQ(game.shots.count(), 1);
        const Shot s = shotsNow()[0];
        EXPECT_EQ(s.y, 450 + c.wantVyStep) << c.firstForm << "/" << c.secondForm;
        EXPECT_EQ(s.damage, c.wantDamage) << c.firstForm << "/" << c.secondForm;
        EXPECT_EQ(s.image, c.wantImage) << c.firstForm << "/" << c.secondForm;
        EXPECT_EQ(canvasPixel(447, 447) == (kSlowMarkColour & 0xFFFFFF), c.slowMark);
    }

    // The edge: the shot's corner rounded against 255 pixels from the centre.
    first.form = kFormTransformfeld;
    second.form = 0;
    second.x = 1000;
    for (double x : {705.0, 705.4, 705.5, 706.0}) {
        game.shots.clear();
        placeShot(x, 350, kShotOfOpponent);
        updateShots();
        EXPECT_EQ(shotsNow()[0].image, x < 705.5 ? kMiniShotImage : 46) << x;
    }
    // A shot that leaves the aura in this frame's move gets its own picture
    // and damage back at once; it moved at half speed from inside.
    game.shots.clear();
    Shot* s = placeShot(705, 350, kShotOfOpponent, 1, 0);
    s->image = kMiniShotImage;
    s->damage = 0.5;
    updateShots();
    EXPECT_EQ(shotsNow()[0].x, 705.5);
    EXPECT_EQ(shotsNow()[0].image, 46);
    EXPECT_EQ(shotsNow()[0].damage, 1.5);
}

TEST_F(PlayersTest, IronmanSendsShotsBackAsItsOwnAndTheyHitAtOnce) {
    start(2);
    for (int index : {0, 1}) {
        Player& p = game.players[index];
        Player& other = game.players[1 - index];
        const double ownKind = index == 0 ? kShotOfFirstPlayer : kShotOfSecondPlayer;
        game.shots.clear();
        game.opponents.clear();
        p.x = 400;
        p.y = 300;
        p.form = kFormIronman;
        p.image = 35;
        other.x = 1000;
        other.y = 300;
        other.form = 0;
        // Alone on the field: the shot turns round and stays, nobody is hurt.
        placeShot(430, 335, kShotOfOpponent, -10, 2);
        updateShots();
        ASSERT_EQ(game.shots.count(), 1);
        Shot s = shotsNow()[0];
        EXPECT_EQ(s.kind, ownKind);
        EXPECT_EQ(s.vx, 10);
        EXPECT_EQ(s.vy, -2);
        EXPECT_EQ(s.x, 420);
        EXPECT_EQ(p.health, 20);
        EXPECT_EQ(other.health, 20);

        // With an opponent under the smiley the turned shot hits it in the
        // same frame and counts for the reflecting player.
        game.shots.clear();
        Opponent* o = placeOpponent(350, 300);
        placeShot(430, 335, kShotOfOpponent, -10, 0);
        updateShots();
        EXPECT_EQ(game.shots.count(), 0);
        EXPECT_EQ(o->health, 3.5);
        EXPECT_EQ(o->lastHitter, ownKind);
        EXPECT_EQ(p.hits, 1);
        EXPECT_EQ(other.hits, 0);

        // The partner's heal shot comes back as the reflector's heal shot.
        game.opponents.clear();
        const double otherHeal = index == 0 ? kHealShotOfSecond : kHealShotOfFirst;
        placeShot(430, 335, otherHeal, -10, 0, -2);
        updateShots();
        ASSERT_EQ(game.shots.count(), 1);
        EXPECT_EQ(shotsNow()[0].kind, index == 0 ? kHealShotOfFirst : kHealShotOfSecond);
        EXPECT_EQ(p.health, 20);
        p.form = 0;
        p.hits = 0;
    }
}

TEST_F(PlayersTest, HealShotsPassTheirShooterAndOpponentsAndHealThePartner) {
    start(2);
    Player& first = firstPlayer();
    Player& second = secondPlayer();
    first.x = second.x = 400;
    first.y = second.y = 300;
    first.health = second.health = 10;
    Opponent* o = placeOpponent(400, 300);
    placeShot(435, 335, kHealShotOfFirst, 0, 0, -2);
    updateShots();
    EXPECT_EQ(first.health, 10);
    EXPECT_EQ(second.health, 12);
    EXPECT_EQ(o->health, 5);
    EXPECT_EQ(game.shots.count(), 0);
    placeShot(435, 335, kHealShotOfSecond, 0, 0, -2);
    updateShots();
    EXPECT_EQ(first.health, 12);
    EXPECT_EQ(second.health, 12);
    EXPECT_EQ(first.hits + second.hits, 0);

    // Alone, the first player's heal shots have nobody to heal.
    game.playerCount = 1;
    placeShot(435, 335, kHealShotOfFirst, 0, 0, -2);
    updateShots();
    EXPECT_EQ(second.health, 12);
    EXPECT_EQ(game.shots.count(), 1);
}

TEST_F(PlayersTest, PlayerShotsHitTheFirstOpponentInListOrderWithTheFormOfThatMoment) {
    start(2);
    Player& first = firstPlayer();
    Player& second = secondPlayer();
    Opponent* a = placeOpponent(500, 300);
    Opponent* b = placeOpponent(520, 300);
    placeShot(530, 330, kShotOfFirstPlayer, 0, 0, 1);
    placeShot(530, 330, kShotOfOpponent);  // opponents' shots pass opponents
    updateShots();
    EXPECT_EQ(a->health, 4);
    EXPECT_EQ(b->health, 5);
    EXPECT_EQ(a->lastHitter, 0);
    EXPECT_EQ(first.hits, 1);
    EXPECT_EQ(game.shots.count(), 1);
    EXPECT_EQ(game.animations.count(), 1);

    // The shooter's form when the shot lands decides plague, frost and the
    // vampire's bite.
    game.shots.clear();
    second.form = kFormPestleiche;
    placeShot(530, 330, kShotOfSecondPlayer, 0, 0, 1);
    updateShots();
    EXPECT_EQ(a->status, 1);
    EXPECT_EQ(a->lastHitter, 2);
    EXPECT_EQ(second.hits, 1);
    second.form = kFormSchneemann;
    placeShot(530, 330, kShotOfSecondPlayer, 0, 0, 1);
    updateShots();
    EXPECT_EQ(a->status, 2);
    second.form = kFormVampir;
    second.health = 15;
    placeShot(530, 330, kShotOfSecondPlayer, 0, 0, 1);
    updateShots();
    EXPECT_DOUBLE_EQ(second.health, 15.2);
    EXPECT_EQ(a->health, 1);
    EXPECT_EQ(second.hits, 3);

    // Fired in "Pestleiche", landing after the form ended: no plague.
    a->status = 0;
    first.form = kFormPestleiche;
    placeShot(505, 150, kShotOfFirstPlayer, 0, 10, 1);
    updateShots();
    first.form = 0;
    for (int i = 0; i < 30 && game.shots.count() > 0; ++i) updateShots();
    EXPECT_EQ(game.shots.count(), 0);
    EXPECT_EQ(a->status, 0);
    EXPECT_EQ(a->health, 0);
    EXPECT_EQ(b->health, 5);
}

TEST_F(PlayersTest, BluttropfenShotHurtsOneOpponentPerFrameAndFliesOn) {
    start(1);
    Player& p = firstPlayer();
    p.form = kFormBluttropfen;
    Opponent* a = placeOpponent(500, 300);
    Opponent* b = placeOpponent(500, 300);
    placeShot(520, 330, kShotOfFirstPlayer, 1, 0, 0.01);
    for (int i = 1; i <= 3; ++i) {
        updateShots();
        EXPECT_DOUBLE_EQ(a->health, 5 - 0.01 * i);
        EXPECT_EQ(b->health, 5);
        EXPECT_EQ(p.hits, i);
        ASSERT_EQ(game.shots.count(), 1);
    }
    EXPECT_EQ(game.animations.count(), 0);
    // Out of the first opponent's box it goes on to the second.
    a->x = 100;
    updateShots();
    EXPECT_EQ(b->health, 4.99);
    EXPECT_EQ(shotsNow()[0].x, 524);
}

TEST_F(PlayersTest, ShotsLeaveTheFieldOnlyPastItsLimits) {
    start(1);
    struct Case {
        double x, y;
        bool stays;
    };
    const Case cases[] = {
        {1633, 300, true},  {1633.5, 300, false}, {300, 768, true},  {300, 768.5, false},
        {-100, 300, true},  {-100.5, 300, false}, {300, -100, true}, {300, -100.5, false},
        {1633, -100, true}, {-101, 769, false},
    };
    for (const Case& c : cases) {
        game.shots.clear();
        game.animations.clear();
        placeShot(c.x - 2, c.y - 1, kShotOfFirstPlayer, 2, 1);
        updateShots();
        EXPECT_EQ(game.shots.count(), c.stays ? 1 : 0) << c.x << "," << c.y;
        EXPECT_EQ(game.animations.count(), c.stays ? 0 : 1);
        if (!c.stays) {
            EXPECT_EQ(game.animations.select(0)->x, roundToInt(c.x));
            EXPECT_EQ(game.animations.select(0)->y, roundToInt(c.y));
        }
    }
}

}  // namespace
