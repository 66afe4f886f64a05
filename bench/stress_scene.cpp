#include "bench/stress_scene.h"

#include "game/players/forms.h"
#include "game/players/shots.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"
#include "game/world/items.h"
#include "game/world/opponents.h"
#include "game/world/turrets.h"

// Keeps the scene at its limits: what died, left or ran out is put back,
// and nobody loses, so every frame carries the same load.
void topUpStressScene(int frame) {
    for (Player& p : game.players) {
        p.health = p.maxHealth;
        p.formTimer = 2000;
        p.fireCooldown = 1;  // the scene's shots are placed below
    }
    game.opponents.reset();
    while (Opponent* o = game.opponents.next()) o->health = 100;
    for (int i = game.opponents.count(); i < 7; ++i) {
        Opponent* o = addOpponent(200 + i * 150, 100 + (i % 3) * 250, 5, 5, 10);
        o->status = i % 4;  // none, plague, frost, paralysis
        o->health = 100;
    }
    for (int i = game.shots.count(); i < 300; ++i) {
        const int x = (i * 97 + frame * 13) % 1300, y = (i * 53 + frame * 7) % 740;
        addShot(x, y, 1, i % 3 == 0 ? 1 : 0, (i % 5) - 2, (i % 7) - 3, i % 3 == 0 ? 46 : 9);
    }
    game.turrets.reset();
    while (Turret* t = game.turrets.next()) t->life = 2000;
    game.items.reset();
    while (PowerUpItem* item = game.items.next()) item->fade = 255;
    for (int i = game.animations.count(); i < 40; ++i)
        startAnimation((i * 131) % 1266, (i * 71) % 668, kOpponentDeathStrip, 100, 10, 4);
    game.fadeAlpha = 128;
    game.gameOver = 0;
    game.livesLeft = game.livesTotal;
}

void buildStressScene() {
    game.playerCount = 2;
    game.difficulty = 2;
    grantLives();
    firstPlayer().x = 400, firstPlayer().y = 300;
    secondPlayer().x = 900, secondPlayer().y = 400;
    startForm(firstPlayer(), 0, kFormZeitaura);
    startForm(secondPlayer(), 1, kFormTransformfeld);
    const int types[10] = {0, 1, 2, 3, 4, 5, 6, 7, 7, 8};
    for (int i = 0; i < 10; ++i) addTurret(100 + i * 120, 600, i % 2 ? 2 : 0, types[i]);
    for (int i = 0; i < 60; ++i)
        addPowerUpItem(50 + (i % 12) * 105, 150 + (i / 12) * 90, 1 + i % 26, 0);
    topUpStressScene(0);
}
