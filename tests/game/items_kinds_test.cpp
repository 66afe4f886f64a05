#include <gtest/gtest.h>

#include "tests/game/items_fixture.h"

namespace {

// Health a smiley of 12 has at the end of the frame in which it took an
// item of this kind.
double healthAfterTaking(int kind) {
    switch (kind) {
        case kItemLife:
            return 20;  // 12 is not below half of 20
        case kFormSchatten:
            return 60;
        case kFormZombie:
            return 1;
        case kFormGroovyboy:
        case kFormStein:
        case kFormLsd:
            return 20;  // kept full every frame
        case kFormEngel:
            return 12.01;
        default:
            return 12;
    }
}

// Every item kind once, dropped on a smiley of a seeded two-player game and
// taken after its veil, in turns by the first and the second player.
TEST_F(ItemsTest, EveryItemKindDoesWhatItsNameSays) {
    items_test::writeCustomFiles({{"Eigen", "Held.bmp", 1, 4, 0, 0}});
    startItems(2);
    std::vector<int> kinds;
    for (int kind = 0; kind <= 26; ++kind) kinds.push_back(kind);
    kinds.push_back(kItemCustom);

    for (int kind : kinds) {
        SCOPED_TRACE(kind);
        const int taker = kind % 2;
        Player& p = game.players[taker];
        Player& other = game.players[1 - taker];
        resetPlayerForNextGame(p, taker);
        resetPlayerForNextGame(other, 1 - taker);
        p.x = 400;
        p.y = 300;
        p.health = 12;
        other.x = 1000;
        other.y = 600;
        const int turrets = game.turrets.count();

        placeItem(420, 320, kind);
        ASSERT_EQ(framesUntilTaken(1), 129);
        EXPECT_EQ(game.items.count(), 0);
        EXPECT_DOUBLE_EQ(p.health, healthAfterTaking(kind));
        EXPECT_EQ(other.form, kFormNormal);

        if (kind == kItemLife || kind == kItemTurret) {
            EXPECT_EQ(p.form, kFormNormal);
            EXPECT_EQ(game.turrets.count(), turrets + (kind == kItemTurret ? 1 : 0));
            if (kind == kItemTurret) {
                const Turret* t = game.turrets.current();
                EXPECT_EQ(t->x, 420);
                EXPECT_EQ(t->y, 320);
                EXPECT_EQ(t->owner, taker == 0 ? 0 : 2);
                EXPECT_GE(t->turretType, 0);
                EXPECT_LE(t->turretType, 8);
            }
            continue;
        }
        EXPECT_EQ(game.turrets.count(), turrets);
        EXPECT_EQ(p.form, kind);
        const int ownImage = taker == 0 ? kFirstPlayerImage : kSecondPlayerImage;
        if (kind == kItemCustom) {
            EXPECT_EQ(p.customIndex, 0);
            EXPECT_EQ(p.image, kCustomSmileySlotBase);
            EXPECT_EQ(p.damageBonus, 1);
            EXPECT_EQ(p.formTimer, 1996);
        } else {
            // The form's first update ran in the same frame.
            const FormRow* row = findFormRow(kind);
            ASSERT_NE(row, nullptr);
            EXPECT_EQ(p.image, row->image == kOwnImage ? ownImage : row->image);
            EXPECT_EQ(p.formTimer, 2000 - row->step);
        }
    }
}

}  // namespace
