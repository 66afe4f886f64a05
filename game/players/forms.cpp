#include "game/players/forms.h"

#include <cmath>

#include "game/shell/game_state.h"

namespace {

// clang-format off
// Smiley pictures are the SpielerSpecial slots, except 38 and 42 (Nichts,
// Nichts2): see-through stand-ins that the ghost and the LSD smiley are
// hit-tested with while their looks are drawn over them.
const FormRow kForms[] = {
    {.form = kFormWut, .name = "Wut", .image = 6, .step = 1,
     .shotImage = 23 /* SteinRot */, .damageBonusPerDamage = 1},
    {.form = kFormMoench, .name = "M\xF6nch", .image = 2, .step = 1,
     .shotImage = 22 /* Wasser */, .damageBonusPerDamage = -0.9, .fireDelay = 0},
    {.form = kFormSchatten, .name = "Schatten", .image = 4, .step = 1,
     .maxHealthBonusPerMaxHealth = 4},
    {.form = kFormZombie, .name = "Zombie", .image = 5, .step = 2,
     .shotImage = 24 /* Blut */, .damageBonusPerDamage = 2, .fireDelay = 10},
    {.form = kFormAngsthase, .name = "Angsthase", .image = 3, .step = 1,
     .speedBonusPerSpeed = 0.5},
    {.form = kFormGroovyboy, .name = "Groovyboy", .image = 7, .step = 2,
     .fullHealth = true},
    {.form = kFormMiniboy, .name = "Miniboy", .image = 26, .step = 1,
     .speedBonusPerSpeed = 0.25},
    {.form = kFormBluttropfen, .name = "Bluttropfen", .image = 45, .step = 1,
     .shotImage = 28 /* Blut2 */, .damageBonusPerDamage = -0.99, .fireDelay = 0},
    {.form = kFormArzt, .name = "Arzt", .image = 30, .step = 1,
     .shotImage = 29 /* Herz */, .damageBonusPerDamage = -3, .fireDelay = 30},
    {.form = kFormRiese, .name = "Riese", .image = 31, .step = 1,
     .shotImage = 32 /* GrosserStein */, .damageBonusPerDamage = 20, .fireDelay = 100,
     .speedBonusPerSpeed = -0.5},
    {.form = kFormZeitaura, .name = "Zeitaura", .image = kOwnImage, .step = 1,
     .aura = 33 /* Kreis1 */},
    {.form = kFormSchadensaura, .name = "Schadensaura", .image = kOwnImage, .step = 1,
     .aura = 34 /* Kreis2 */},
    {.form = kFormIronman, .name = "Ironman", .image = 35, .step = 4},
    {.form = kFormVampir, .name = "Vampir", .image = 8, .step = 1,
     .shotImage = 24 /* Blut */, .speedBonusPerSpeed = 0.25},
    {.form = kFormStein, .name = "Stein", .image = 36, .step = 2.5,
     .speedBonusPerSpeed = -1, .fullHealth = true},
    {.form = kFormGeist, .name = "Geist", .image = 38, .step = 2,
     .shotImage = 39 /* Durchsicht */, .overlay = 37},
    {.form = kFormEngel, .name = "Engel", .image = 40, .step = 1,
     .mends = true},
    {.form = kFormLsd, .name = "LSD-Smiley", .image = 42, .step = 4,
     .fullHealth = true, .overlay = 41, .colourFlash = true},
    {.form = kFormNegativaura, .name = "Negativaura", .image = kOwnImage, .step = 4,
     .aura = 43 /* Kreis3 */},
    {.form = kFormSeher, .name = "Seher", .image = 27, .step = 0.5},
    {.form = kFormMrMoney, .name = "Mr Money", .image = 48, .step = 2},
    {.form = kFormTransformfeld, .name = "Transformfeld", .image = kOwnImage, .step = 2,
     .aura = 49 /* Kreis4 */},
    {.form = kFormSoldat, .name = "Soldat", .image = 82, .step = 2,
     .shotImage = 83 /* Mine */, .damageBonus = 1.8, .fireDelay = 60, .shotSpeedFactor = 0},
    {.form = kFormPestleiche, .name = "Pestleiche", .image = 86, .step = 1,
     .shotImage = 89 /* Pest */},
    {.form = kFormSchneemann, .name = "Schneemann", .image = 87, .step = 1,
     .shotImage = 88 /* Schneeball */},
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
    drawOpaque(kTimerBarEmpty, x, y);
    // The fill is a copy of its own, so clipping it never disturbs the
    // opponents' green bar; a full timer of 2000 is 100 pixels.
    clip(kTimerBarFill, 0, 0, roundToInt(p.formTimer / 20), 5);
    drawOpaque(kTimerBarFill, x, y);
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
