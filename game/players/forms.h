// The smiley's forms: the table of what each power-up form does, starting a
// form, and the once-a-frame form update that applies the table, draws the
// timer bar and overlays, counts the form down and ends it.
#pragma once

#include <optional>

#include "game/players/player.h"

// Form numbers the rest of the game tests for.
constexpr int kFormNormal = 0;
constexpr int kFormWut = 1;
constexpr int kFormMoench = 2;
constexpr int kFormSchatten = 3;
constexpr int kFormZombie = 4;
constexpr int kFormAngsthase = 5;
constexpr int kFormGroovyboy = 6;
constexpr int kFormMiniboy = 7;
constexpr int kFormBluttropfen = 8;
constexpr int kFormArzt = 9;
constexpr int kFormRiese = 10;
constexpr int kFormZeitaura = 11;
constexpr int kFormSchadensaura = 12;
constexpr int kFormIronman = 13;
constexpr int kFormVampir = 14;
constexpr int kFormStein = 15;
constexpr int kFormGeist = 16;
constexpr int kFormEngel = 17;
constexpr int kFormLsd = 18;
constexpr int kFormNegativaura = 19;
constexpr int kFormSeher = 20;
constexpr int kFormMrMoney = 21;
constexpr int kFormTransformfeld = 22;
constexpr int kFormSoldat = 24;  // 23 is the turret item, never a form
constexpr int kFormPestleiche = 25;
constexpr int kFormSchneemann = 26;
constexpr int kFormGrave = 100;
constexpr int kFormCustom = 1000;

// Every form starts with a full timer; its step per frame sets how long it lasts.
constexpr double kFullFormTimer = 2000;

// A picture column of kOwnImage leaves the player's own smiley in place.
constexpr int kOwnImage = -1;

// One form: its picture, its step and what it sets every frame while it
// lasts. Only the modifiers a row names are written; the others keep what
// they hold (their defaults, or for the grave those of the form it broke off).
struct FormRow {
    int form;
    const char* name;  // the item's name, Windows-1252
    int image;         // slot drawn and hit-tested, or kOwnImage
    double step;       // taken off formTimer each frame
    std::optional<int> shotImage = std::nullopt;
    std::optional<double> damageBonusPerDamage = std::nullopt;  // damageBonus = factor x damage
    std::optional<double> damageBonus = std::nullopt;           // damageBonus = value
    std::optional<double> fireDelay = std::nullopt;
    std::optional<double> speedBonusPerSpeed = std::nullopt;  // speedBonus = factor x speed
    // maxHealthBonus = factor x maxHealth
    std::optional<double> maxHealthBonusPerMaxHealth = std::nullopt;
    std::optional<double> shotSpeedFactor = std::nullopt;
    bool fullHealth = false;   // health = maxHealth
    bool mends = false;        // health += 0.01 while below maxHealth
    int aura = 0;              // circle drawn at (x - 200, y - 200), 0 for none
    int overlay = 0;           // picture drawn over the stand-in at (x, y), 0 for none
    bool colourFlash = false;  // a random colour added over the smiley's square
    bool inactive = false;     // active = 0
};

// The row of a form number (1..22, 24..26 or 100), or nullptr.
const FormRow* findFormRow(double form);

// Number of frames a form of the table lasts from a full timer.
double formDuration(const FormRow& row);

// Starts form 1..22, 24..26 or 1000 (with the custom power-up's number) with
// a full timer, as taking its item does: the old form ends first with its own
// end-of-form health rule, the modifiers go back to their defaults, and
// "Schatten" and "Zombie" apply their start rule. Returns false, changing
// nothing, for any other number.
bool startForm(Player& p, int playerIndex, int form, double customIndex = 0);

// The form update of one frame, run for each player in play whether it is
// active or not, after steering and firing and before the smiley is drawn.
void updateForm(Player& p, int playerIndex);
