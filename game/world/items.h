// Power-up items left by dead opponents: the drop rule, the items' names and
// pictures, and the per-frame update in which players take them.
#pragma once

#include <string>

// Item kinds that are not forms; kinds 1..22 and 24..26 are the forms of the
// same numbers.
constexpr int kItemLife = 0;       // "50% Leben"
constexpr int kItemTurret = 23;    // "Geschützturm"
constexpr int kItemCustom = 1000;  // a custom power-up, carrying its number

// A fresh item's veil: it fades by 2 a frame and the item can be taken once
// it has reached 0 or less, in its 129th update.
constexpr double kFreshItemVeil = 255;

// The picture slot of an item of this kind.
int itemImage(int kind);
// The name shown above an item of this kind to a player in form "Seher"
// (Windows-1252); for a custom power-up the name of the power-up with that
// number. Empty for kinds no item knows.
std::string itemName(int kind, int customIndex);

// Adds an item after the current element of the items list and makes it
// current.
void addPowerUpItem(int x, int y, int kind, int customIndex);

// Called when an opponent dies, with its rounded position: may leave an item
// there.
void dropOnDeath(int x, int y);

// The frame step: every item fades in, draws itself and may be taken.
void updatePowerUpItems();
