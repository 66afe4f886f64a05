#include "game/players/player.h"

#include "game/shell/pictures.h"

void applyDefaultModifiers(Player& p, int playerIndex) {
    p.form = 0;
    p.image = playerIndex == 0 ? kFirstPlayerImage : kSecondPlayerImage;
    p.damageBonus = 0;
    p.shotImage = kStoneShotImage;
    p.fireDelay = 20;
    p.maxHealthBonus = 0;
    p.speedBonus = 0;
    p.shotSpeedFactor = 1;
    p.active = 1;
}

void givePlayerStartValues(Player& p, int playerIndex) {
    std::string name = std::move(p.name);
    p = Player{};
    p.name = std::move(name);
    applyDefaultModifiers(p, playerIndex);
}

void resetPlayerForNextGame(Player& p, int playerIndex) {
    // formTimer, fireCooldown and customIndex keep their values: with form 0
    // they do nothing.
    applyDefaultModifiers(p, playerIndex);
    p.x = 0;
    p.y = 0;
    p.maxHealth = 20;
    p.health = 20;
    p.hits = 0;
    p.kills = 0;
    p.deaths = 0;
}
