#include "game/players/power_ups.h"

#include "game/players/forms.h"
#include "game/shell/game_state.h"
#include "game/shell/sounds.h"
#include "game/world/items.h"
#include "game/world/turrets.h"

void takePowerUp(Player& p, int playerIndex, int kind, int x, int y, int customIndex) {
    playSound(kind == kItemLife     ? kSoundHealthTaken
              : kind == kItemTurret ? kSoundTurretTaken
              : kind == kItemCustom ? kSoundCustomTaken
                                    : kSoundFormTaken);
    if (kind == kItemLife) {
        // Half of the full cap, "Schatten" bonus included; whoever already
        // has that much is set to the plain maximum instead.
        const double half = (p.maxHealth + p.maxHealthBonus) / 2;
        if (p.health < half)
            p.health += half;
        else
            p.health = p.maxHealth;
        return;
    }
    if (kind == kItemTurret) {
        // The turret serves its owner; the player's own form runs on.
        const int turretType = random(8);
        addTurret(x, y, playerIndex == 0 ? 0 : 2, turretType);
        return;
    }
    // Every other item starts its form afresh; a kind no form knows does
    // nothing.
    startForm(p, playerIndex, kind, customIndex);
}
