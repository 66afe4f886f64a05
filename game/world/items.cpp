#include "game/world/items.h"

#include "game/players/forms.h"
#include "game/players/power_ups.h"
#include "game/shell/animation.h"
#include "game/shell/game_state.h"
#include "game/shell/sounds.h"

namespace {

// After a sparkle, the next chance comes this many updates later.
constexpr double kSparklePause = 200;

// Only an exact 1 lets custom power-ups into play: any other value, which
// only a hand-edited options file can give, counts as switched off rather
// than dropping items that no form knows.
bool customPowerUpsOn() {
    return game.customPowerUpsEnabled == 1;
}

bool somePlayerIs(int form) {
    return firstPlayer().form == form || secondPlayer().form == form;
}

// A fifth of all drops: the heal or the turret, half and half.
int lifeOrTurret() {
    return random(1) == 0 ? kItemLife : kItemTurret;
}

// The doctor heals only a partner, so alone he would be a wasted item:
// "Wut" comes instead.
int withoutLoneDoctor(int kind) {
    return kind == kFormArzt && !twoPlayerGame() ? kFormWut : kind;
}

// "Mr Money" makes every kill pay, but never with a custom power-up.
void dropForMrMoney(int x, int y) {
    int kind;
    if (random(4) == 0)
        kind = lifeOrTurret();
    else
        kind = withoutLoneDoctor(random(25) + 1);
    addPowerUpItem(x, y, kind, 0);
}

void dropByChance(int x, int y) {
    // One in four, five or six by difficulty.
    if (random(3 + difficultyIndex()) != 0) return;
    if (random(4) == 0) {
        addPowerUpItem(x, y, lifeOrTurret(), 0);
        return;
    }
    // Each loaded custom power-up counts like one more kind above 26.
    const int customCount = roundToInt(game.customPowerUpCount);
    int kind = random(customCount + 25) + 1;
    if (kind > 26) kind = customPowerUpsOn() ? kItemCustom : random(25) + 1;
    kind = withoutLoneDoctor(kind);
    const int customIndex = kind == kItemCustom ? random(customCount - 1) : 0;
    addPowerUpItem(x, y, kind, customIndex);
}

// The text above an item while a player is a "Seher": centred over the
// 100-pixel item, in a blue that flickers from frame to frame.
void showName(const PowerUpItem& item) {
    const int w = textWidth(item.name);
    const int blue = random(255);
    drawText(roundToInt(item.x + 50 - w / 2.0), roundToInt(item.y - 20), item.name,
             rgb(0, 0, blue));
}

bool touches(const Player& p, const PowerUpItem& item) {
    return collide(roundToInt(p.image), roundToInt(p.x), roundToInt(p.y), roundToInt(item.image),
                   roundToInt(item.x), roundToInt(item.y)) &&
           p.active == 1;
}

}  // namespace

int itemImage(int kind) {
    if (kind == kItemLife) return kLifeItemImage;
    if (kind == kItemTurret) return kTurretItemImage;
    if (kind == kItemCustom) return kCustomItemImage;
    return kPowerUpItemImage;
}

std::string itemName(int kind, int customIndex) {
    if (kind == kItemLife) return "50% Leben";
    if (kind == kItemTurret) return "Gesch\xFCtzturm";
    if (kind == kItemCustom) {
        const CustomPowerUp* entry = findCustomPowerUp(game.customPowerUps, customIndex);
        return entry ? entry->name : std::string();
    }
    // The forms' items carry the forms' names; the grave is no item.
    const FormRow* row = kind >= 1 && kind <= 26 ? findFormRow(kind) : nullptr;
    return row ? row->name : std::string();
}

void addPowerUpItem(int x, int y, int kind, int customIndex) {
    playSound(kSoundItemAppears);
    PowerUpItem* item = game.items.add();
    item->x = x;
    item->y = y;
    item->kind = kind;
    item->image = itemImage(kind);
    item->name = itemName(kind, customIndex);
    item->fade = kFreshItemVeil;
    item->sparkle = 0;
    item->customIndex = customIndex;
}

void dropOnDeath(int x, int y) {
    if (somePlayerIs(kFormMrMoney))
        dropForMrMoney(x, y);
    else
        dropByChance(x, y);
}

void updatePowerUpItems() {
    EntityList<PowerUpItem>& list = game.items;
    list.reset();
    while (PowerUpItem* item = list.next()) {
        const int x = roundToInt(item->x), y = roundToInt(item->y);
        drawTransparent(roundToInt(item->image), x, y);
        if (item->sparkle == kSparklePause && random(50) == 0) {
            startAnimation(x, y, kItemSparkleStrip, 100, 6, 3);
            item->sparkle = 0;
        }
        if (item->sparkle < kSparklePause) item->sparkle += 1;
        if (item->fade > 0) drawTranslucent(kItemVeilImage, x, y, roundToInt(item->fade));
        // Asked item by item: a "Seher" taken earlier in this walk already
        // reads the names of the items after his.
        if (somePlayerIs(kFormSeher)) showName(*item);

        // Still veiled: nobody can take it yet.
        if (item->fade > 0) {
            item->fade -= 2;
            continue;
        }
        // The first player wins a tie; the absent second player of a
        // one-player game never takes anything.
        int taker = -1;
        if (touches(firstPlayer(), *item))
            taker = 0;
        else if (twoPlayerGame() && touches(secondPlayer(), *item))
            taker = 1;
        if (taker < 0) continue;
        takePowerUp(game.players[taker], taker, roundToInt(item->kind), x, y,
                    roundToInt(item->customIndex));
        list.remove();
    }
}
