#include "game/session/snapshot.h"

Snapshot::Snapshot() {
    state.customPowerUps.reserve(kSnapshotRecords);
    state.animations.reserve(kSnapshotRecords);
    state.items.reserve(kSnapshotRecords);
    state.turrets.reserve(kSnapshotRecords);
    state.turretShots.reserve(kSnapshotRecords);
    state.opponents.reserve(kSnapshotRecords);
    state.shots.reserve(kSnapshotRecords);
}

void saveSnapshot(Snapshot& into) {
    into.state = game;
    into.random = randomState();
}

void restoreSnapshot(const Snapshot& from) {
    game = from.state;
    setRandomState(from.random);
}
