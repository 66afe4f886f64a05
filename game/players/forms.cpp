#include "game/players/forms.h"

#include <cmath>

#include "game/shell/game_state.h"
#include "game/shell/sounds.h"

namespace {

// clang-format off
// The ghost and the LSD smiley are hit-tested with see-through stand-ins
// while their looks are drawn over them.
const FormRow kForms[] = {
    {.form = kFormWut, .name = "Wut", .image = kWutImage, .step = 1,
     .shotImage = kRedStoneShotImage, .damageBonusPerDamage = 1},
    {.form = kFormMoench, .name = "M\xF6nch", .image = kMoenchImage, .step = 1,
     .shotImage = kWaterShotImage, .damageBonusPerDamage = -0.9, .fireDelay = 0},
    {.form = kFormSchatten, .name = "Schatten", .image = kSchattenImage, .step = 1,
     .maxHealthBonusPerMaxHealth = 4},
    {.form = kFormZombie, .name = "Zombie", .image = kZombieImage, .step = 2,
     .shotImage = kBloodShotImage, .damageBonusPerDamage = 2, .fireDelay = 10},
    {.form = kFormAngsthase, .name = "Angsthase", .image = kAngsthaseImage, .step = 1,
     .speedBonusPerSpeed = 0.5},
    {.form = kFormGroovyboy, .name = "Groovyboy", .image = kGroovyboyImage, .step = 2,
     .fullHealth = true},
    {.form = kFormMiniboy, .name = "Miniboy", .image = kMiniboyImage, .step = 1,
     .speedBonusPerSpeed = 0.25},
    {.form = kFormBluttropfen, .name = "Bluttropfen", .image = kBluttropfenImage, .step = 1,
     .shotImage = kBloodDropShotImage, .damageBonusPerDamage = -0.99, .fireDelay = 0},
    {.form = kFormArzt, .name = "Arzt", .image = kArztImage, .step = 1,
     .shotImage = kHeartShotImage, .damageBonusPerDamage = -3, .fireDelay = 30},
    {.form = kFormRiese, .name = "Riese", .image = kRieseImage, .step = 1,
     .shotImage = kBigStoneShotImage, .damageBonusPerDamage = 20, .fireDelay = 100,
     .speedBonusPerSpeed = -0.5},
    {.form = kFormZeitaura, .name = "Zeitaura", .image = kOwnImage, .step = 1,
     .aura = kTimeAuraImage},
    {.form = kFormSchadensaura, .name = "Schadensaura", .image = kOwnImage, .step = 1,
     .aura = kDamageAuraImage},
    {.form = kFormIronman, .name = "Ironman", .image = kIronmanImage, .step = 4},
    {.form = kFormVampir, .name = "Vampir", .image = kVampirImage, .step = 1,
     .shotImage = kBloodShotImage, .speedBonusPerSpeed = 0.25},
    {.form = kFormStein, .name = "Stein", .image = kSteinImage, .step = 2.5,
     .speedBonusPerSpeed = -1, .fullHealth = true},
    {.form = kFormGeist, .name = "Geist", .image = kGeistStandInImage, .step = 2,
     .shotImage = kGhostShotImage, .overlay = kGeistImage},
    {.form = kFormEngel, .name = "Engel", .image = kEngelImage, .step = 1,
     .mends = true},
    {.form = kFormLsd, .name = "LSD-Smiley", .image = kLsdStandInImage, .step = 4,
     .fullHealth = true, .overlay = kLsdImage, .colourFlash = true},
    {.form = kFormNegativaura, .name = "Negativaura", .image = kOwnImage, .step = 4,
     .aura = kNegativeAuraImage},
    {.form = kFormSeher, .name = "Seher", .image = kSeherImage, .step = 0.5},
    {.form = kFormMrMoney, .name = "Mr Money", .image = kMrMoneyImage, .step = 2},
    {.form = kFormTransformfeld, .name = "Transformfeld", .image = kOwnImage, .step = 2,
     .aura = kTransformAuraImage},
    {.form = kFormSoldat, .name = "Soldat", .image = kSoldatImage, .step = 2,
     .shotImage = kMineShotImage, .damageBonus = 1.8, .fireDelay = 60, .shotSpeedFactor = 0},
    {.form = kFormPestleiche, .name = "Pestleiche", .image = kPestleicheImage, .step = 1,
     .shotImage = kPlagueShotImage},
    {.form = kFormSchneemann, .name = "Schneemann", .image = kSchneemannImage, .step = 1,
     .shotImage = kSnowballShotImage},
    {.form = kFormGrave, .name = "Grab", .image = kGraveImage, .step = 2,
     .inactive = true},
};
// clang-format on

// The end-of-form health rules, shared by a form running out and a form
// broken off by the next item.
void endFormHealth(Player& p) {
    if (p.form == kFormSchatten) p.health = std::ceil(p.health / 5);
    if (p.form == kFormZombie) p.health = p.maxHealth / 2;
}

void drawTimerBar(const Player& p) {
    const int x = roundToInt(p.x), y = roundToInt(p.y - 10);
    drawOpaque(kEmptyBarImage, x, y);
    // The fill is a copy of its own, so clipping it never disturbs the
    // opponents' green bar; a full timer of 2000 is 100 pixels.
    clip(kTimerBarFillImage, 0, 0, roundToInt(p.formTimer / 20), 5);
    drawOpaque(kTimerBarFillImage, x, y);
}

void applyFormRow(Player& p, const FormRow& row) {
    if (row.image != kOwnImage) p.image = row.image;
    if (row.shotImage) p.shotImage = *row.shotImage;
    if (row.damageBonusPerDamage) p.damageBonus = *row.damageBonusPerDamage * p.damage;
    if (row.damageBonus) p.damageBonus = *row.damageBonus;
    if (row.fireDelay) p.fireDelay = *row.fireDelay;
    if (row.speedBonusPerSpeed) p.speedBonus = *row.speedBonusPerSpeed * p.speed;
    if (row.maxHealthBonusPerMaxHealth)
        p.maxHealthBonus = *row.maxHealthBonusPerMaxHealth * p.maxHealth;
    if (row.shotSpeedFactor) p.shotSpeedFactor = *row.shotSpeedFactor;
    if (row.fullHealth) p.health = p.maxHealth;
    if (row.mends && p.health < p.maxHealth) p.health += 0.01;
    if (row.inactive) p.active = 0;

    const int x = roundToInt(p.x), y = roundToInt(p.y);
    if (row.aura) drawTransparent(row.aura, x - 200, y - 200);
    if (row.overlay) drawTransparent(row.overlay, x, y);
    if (row.colourFlash) {
        const int red = random(255);
        const int green = random(255);
        const int blue = random(255);
        fillAdditive(x, y, 100, 100, red, green, blue);
    }
    p.formTimer -= row.step;
}

void applyCustomForm(Player& p) {
    const CustomPowerUp* entry = findCustomPowerUp(game.customPowerUps, p.customIndex);
    // Without its power-up the form stands still: no bar, no countdown.
    if (!entry) return;
    drawTimerBar(p);
    p.formTimer -= entry->durationStep;
    if (entry->smileyImage > 0) p.image = entry->smileyImage;
    if (entry->shotImage > 0) p.shotImage = entry->shotImage;
    p.damageBonus = entry->damageBonus;
    p.fireDelay = entry->fireDelayOffset + 20;
    p.speedBonus = entry->walkBonus;
}

}  // namespace

const FormRow* findFormRow(double form) {
    for (const FormRow& row : kForms)
        if (row.form == form) return &row;
    return nullptr;
}

double formDuration(const FormRow& row) {
    return kFullFormTimer / row.step;
}

bool startForm(Player& p, int playerIndex, int form, double customIndex) {
    const bool known = form == kFormCustom || (form != kFormGrave && findFormRow(form));
    if (!known) return false;
    endFormHealth(p);
    applyDefaultModifiers(p, playerIndex);
    p.form = form;
    if (form == kFormSchatten) p.health = p.health * 5;
    if (form == kFormZombie) p.health = 1;
    p.formTimer = kFullFormTimer;
    p.customIndex = customIndex;
    return true;
}

void updateForm(Player& p, int playerIndex) {
    if (p.formTimer <= 0) {
        if (p.form != kFormNormal) playSound(p.form == kFormGrave ? kSoundReturn : kSoundFormEnds);
        endFormHealth(p);
        if (p.form == kFormGrave) p.health = p.maxHealth;
        applyDefaultModifiers(p, playerIndex);
    }
    if (p.form == kFormNormal) return;
    if (p.form == kFormCustom) {
        applyCustomForm(p);
        return;
    }
    // A number outside the table (none is ever started) does nothing.
    const FormRow* row = findFormRow(p.form);
    if (!row) return;
    drawTimerBar(p);
    applyFormRow(p, *row);
}
