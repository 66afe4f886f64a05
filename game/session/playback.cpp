#include "game/session/playback.h"

#include "game/session/state_digest.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"

void Playback::begin(const ReplayFile& r) {
    *this = Playback{};
    replay_ = &r;
    totalFrames_ = r.frameCount();
    resetForNextGame();
    game.playerCount = r.playerCount;
    game.difficulty = r.difficulty;
    game.customPowerUpsEnabled = r.customPowerUps ? 1 : 0;
    firstPlayer().name = r.name1;
    secondPlayer().name = r.name2;
    for (int i = 0; i < 2; ++i)
        setPlayerValues(game.players[i], r.players[static_cast<std::size_t>(i)]);
    game.animations.clear();
    for (const auto& v : r.animations) {
        Animation* a = game.animations.append();
        a->x = v[0], a->y = v[1], a->frameWidth = v[2], a->frameCount = v[3], a->frame = v[4];
        a->image = v[5], a->tick = v[6], a->ticksPerFrame = v[7];
    }
    game.fadeAlpha = r.fadeAlpha;
    game.pauseChoice = r.pauseChoice;
    game.paused = 0;
    game.closeRequested = false;
    beginGame();
    RandomState random;
    std::copy(std::begin(r.random), std::end(r.random), random.words);
    random.seeded = r.randomSeeded;
    setRandomState(random);
    game.watching = true;
    game.phase = Phase::Playing;
}

bool Playback::useNextInput() {
    while (run_ < replay_->runs.size() && usedOfRun_ == replay_->runs[run_].frames) {
        ++run_;
        usedOfRun_ = 0;
    }
    if (over_ || run_ >= replay_->runs.size()) return false;
    FrameInput input;
    input.keys = replay_->keySets[replay_->runs[run_].keySet];
    ++usedOfRun_;
    useFrameInput(input);
    return true;
}

void Playback::compare(const Checkpoint& played) {
    const std::vector<Checkpoint>& expected = replay_->checkpoints;
    if (compared_ < expected.size() && expected[compared_] == played) {
        ++compared_;
        return;
    }
    drift_ = compared_ < expected.size() ? firstDrift({expected[compared_]}, {played})
                                         : firstDrift({}, {played});
    over_ = true;
}

void Playback::playUndrawn() {
    const bool drawing = drawingOn();
    setDrawing(false);
    while (useNextInput()) {
        stepFrame();
        if (!afterStep()) break;
    }
    setDrawing(drawing);
}

bool Playback::afterStep() {
    ++frames_;
    const bool going = game.phase == Phase::Playing || game.phase == Phase::Paused;
    if (going && frames_ % kCheckpointInterval == 0) compare(gameCheckpoint(frames_));
    if (over_) return false;
    if (!going) {
        Checkpoint end = gameCheckpoint(frames_);
        end.frame = -1;
        compare(end);
        over_ = true;
        return false;
    }
    if (frames_ >= totalFrames_) {
        drift_ = "the end: never reached, the game goes on after the recorded input";
        over_ = true;
        return false;
    }
    return true;
}
