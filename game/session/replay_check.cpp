#include "game/session/replay_check.h"

#include <memory>

#include "game/players/steering.h"
#include "game/session/snapshot.h"
#include "game/session/state_digest.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"
#include "game/shell/pictures.h"

namespace {

// Ten seconds of a two-player game of the hardest kind, both smileys
// walking and shooting on keys that change every few frames.
constexpr int kBehaviourFrames = 600;

std::string digestOfBuiltInGame() {
    auto saved = std::make_unique<Snapshot>();
    saveSnapshot(*saved);
    const FrameInput input = frameInputInUse();
    const bool drawing = drawingOn();
    setDrawing(false);

    resetForNextGame();
    game.playerCount = 2;
    game.difficulty = 2;
    game.customPowerUpsEnabled = 0;
    givePlayerStartValues(firstPlayer(), 0);
    givePlayerStartValues(secondPlayer(), 1);
    game.animations.clear();
    game.fadeAlpha = 254;
    game.pauseChoice = 0;
    game.paused = 0;
    beginGame();
    seedRandom(20261209);

    std::uint32_t dice = 12345;
    FrameInput f;
    for (int frame = 0; frame < kBehaviourFrames; ++frame) {
        if (frame % 6 == 0) {
            f = FrameInput{};
            for (int player = 0; player < 2; ++player) {
                const PlayerKeys k = playerKeys(player);
                const int keys[] = {k.up,     k.down,     k.left,     k.right,
                                    k.fireUp, k.fireLeft, k.fireDown, k.fireRight};
                for (int n = 0; n < 3; ++n) {
                    dice = dice * 1664525u + 1013904223u;
                    f.hold(keys[(dice >> 24) % 8]);
                }
            }
        }
        useFrameInput(f);
        playFrame();
        afterPlayFrame();
    }
    const Checkpoint end = gameCheckpoint(kBehaviourFrames);
    Digest d;
    for (const auto& [name, value] : end.parts) d.text(name), d.text(value);

    restoreSnapshot(*saved);
    setDrawing(drawing);
    useFrameInput(input);
    return d.hex();
}

// Worked out once per start of the game, on first use.
struct Known {
    std::string behaviour, pictures, custom;
} gKnown;

}  // namespace

void forgetGameDigests() {
    gKnown = Known{};
}

const std::string& behaviourDigest() {
    if (gKnown.behaviour.empty()) gKnown.behaviour = digestOfBuiltInGame();
    return gKnown.behaviour;
}

const std::string& pictureDigest() {
    if (gKnown.pictures.empty()) {
        Digest d;
        for (const PictureRow& row : kPictureTable) {
            const std::uint64_t shape = pictureShape(row.slot);
            d.bytes(&row.slot, sizeof row.slot);
            d.bytes(&shape, sizeof shape);
        }
        gKnown.pictures = d.hex();
    }
    return gKnown.pictures;
}

const std::string& customPowerUpDigest() {
    if (gKnown.custom.empty()) {
        Digest d;
        game.customPowerUps.forEach([&](const CustomPowerUp& p) {
            d.text(p.name);
            for (double v : {p.damageBonus, p.durationStep, p.fireDelayOffset, p.walkBonus, p.index,
                             p.smileyImage, p.shotImage})
                d.number(v);
            for (double slot : {p.smileyImage, p.shotImage}) {
                const std::uint64_t shape = pictureShape(roundToInt(slot));
                d.bytes(&shape, sizeof shape);
            }
        });
        gKnown.custom = d.hex();
    }
    return gKnown.custom;
}

void describeThisGame(ReplayFile& r) {
    r.version = game.versionText;
    r.behaviour = behaviourDigest();
    r.pictures = pictureDigest();
    r.customFiles = roundToInt(game.customPowerUpCount);
    r.customDigest = customPowerUpDigest();
}

std::string whyNotPlayable(const ReplayFile& r) {
    if (r.version != game.versionText)
        return "Diese Wiederholung stammt aus der Version " + r.version +
               ", dieses Spiel ist die Version " + game.versionText + ".";
    if (r.behaviour != behaviourDigest())
        return "Diese Wiederholung stammt aus einem Spiel, das anders spielt als dieses.";
    if (r.pictures != pictureDigest())
        return "Diese Wiederholung wurde mit anderen Bildern gespielt, als hier im Ordner Data "
               "liegen.";
    if (r.customPowerUps && (r.customFiles != roundToInt(game.customPowerUpCount) ||
                             r.customDigest != customPowerUpDigest()))
        return "Diese Wiederholung braucht eigene Power-ups, die hier fehlen oder anders sind.";
    return "";
}
