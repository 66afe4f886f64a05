#include "game/session/watching.h"

#include <cstdio>
#include <memory>

#include "game/session/frame_source.h"
#include "game/session/playback.h"
#include "game/session/replay_check.h"
#include "game/session/replay_store.h"
#include "game/session/snapshot.h"
#include "game/shell/game_state.h"
#include "game/shell/main_loop.h"

namespace {

// The font the game's own frames end on, so the banner leaves the text
// settings as the next frame expects them.
constexpr int kBannerFont = 6;
constexpr int kPauseFont = 2;

struct Watch {
    bool on = false;
    WatchKind kind = WatchKind::Entry;
    ReplayFile replay;
    Playback playback;
    std::unique_ptr<Snapshot> saved;
    FrameInput lastViewer;
    int speed = 1;
    bool paused = false;
    std::string drift;
} gWatch;

bool pressed(const FrameInput& now, const FrameInput& before, int key) {
    return now.held(key) && !before.held(key);
}

bool anyInput(const FrameInput& now, const FrameInput& before) {
    for (std::uint8_t bits : now.keys)
        if (bits != 0) return true;
    return now.mouseButton || now.mouseX != before.mouseX || now.mouseY != before.mouseY;
}

void stopWatching(bool windowClosed) {
    Watch& w = gWatch;
    w.drift = w.playback.drift();
    if (!w.drift.empty())
        std::fprintf(stderr, "pomvex: the replay went its own way at %s and was stopped\n",
                     w.drift.c_str());
    setDrawing(true);
    restoreSnapshot(*w.saved);
    if (windowClosed || w.kind == WatchKind::CommandLine) {
        game.phase = Phase::Closed;
        game.closeRequested = windowClosed;
    }
    w.on = false;
}

// Dark on a light rim, like the status lines, so it reads on the light
// field and on the black of a fade alike.
void drawShadowedText(int x, int y, const std::string& text) {
    drawText(x + 1, y + 1, text, rgb(255, 255, 255));
    drawText(x, y, text, rgb(20, 20, 20));
}

}  // namespace

void startWatching(ReplayFile replay, WatchKind kind) {
    Watch& w = gWatch;
    if (!w.saved) w.saved = std::make_unique<Snapshot>();
    game.watchEntry = -1;
    game.chosenRow = -1;
    saveSnapshot(*w.saved);
    w.on = true;
    w.kind = kind;
    w.replay = std::move(replay);
    w.lastViewer = frameInputInUse();
    w.speed = 1;
    w.paused = false;
    w.drift.clear();
    w.playback.begin(w.replay);
}

bool watchingReplay() {
    return gWatch.on;
}

void watchFrame() {
    Watch& w = gWatch;
    const FrameInput viewer = deviceFrameInput(PadUse::Watch);
    const FrameInput before = w.lastViewer;
    w.lastViewer = viewer;
    if (viewer.closeRequested || pressed(viewer, before, key::Escape) ||
        (w.kind == WatchKind::Demo && anyInput(viewer, before))) {
        stopWatching(viewer.closeRequested);
        return;
    }
    if (pressed(viewer, before, key::Right) && w.speed < 4) w.speed *= 2;
    if (pressed(viewer, before, key::Left) && w.speed > 1) w.speed /= 2;
    if (pressed(viewer, before, key::Space) || pressed(viewer, before, key::Return)) {
        w.paused = !w.paused;
        if (w.paused) {
            // Once, over the last picture, which stays on the screen.
            beginText();
            setTextTransparent();
            useFont(kPauseFont);
            drawShadowedText(620, 340, "Pause");
            useFont(kBannerFont);
            endText();
        }
    }
    if (w.paused) {
        flip();
        return;
    }
    for (int frame = 1; frame <= w.speed; ++frame) {
        setDrawing(frame == w.speed);
        if (!w.playback.useNextInput()) break;
        stepFrame();
        if (!w.playback.afterStep()) break;
    }
    setDrawing(true);
    if (w.playback.over()) stopWatching(false);
}

void drawWatchBanner() {
    const Watch& w = gWatch;
    if (!w.on) return;
    beginText();
    setTextTransparent();
    useFont(kBannerFont);
    if (w.kind == WatchKind::Demo) {
        drawShadowedText(470, 748,
                         "Demo  -  eine beliebige Taste f\xFChrt zur\xFC"
                         "ck zum Titelbild");
    } else {
        drawShadowedText(380, 748,
                         "Wiederholung (" + std::to_string(w.speed) +
                             "x)  -  Leertaste: Pause  -  Pfeil links/rechts: Tempo  -  "
                             "Escape: zur\xFC"
                             "ck");
    }
    endText();
}

void offerReplays(Phase before) {
    static int idleFrames = 0;
    static FrameInput lastInput;
    if (game.phase == Phase::HighScores && before != Phase::HighScores) findWatchableEntries();
    if (game.watchEntry >= 0) {
        ReplayFile replay;
        std::string why;
        if (loadEntryReplay(game.watchEntry, replay, &why)) {
            startWatching(std::move(replay), WatchKind::Entry);
        } else {
            game.watchEntry = -1;
            if (!why.empty()) std::fprintf(stderr, "pomvex: %s\n", why.c_str());
        }
        return;
    }
    const FrameInput& input = frameInputInUse();
    const bool idle =
        game.phase == Phase::Title && before == Phase::Title && !anyInput(input, lastInput);
    lastInput = input;
    idleFrames = idle ? idleFrames + 1 : 0;
    if (idleFrames < kDemoAfterFrames) return;
    idleFrames = 0;
    ReplayFile demo;
    std::string error;
    if (!bestEntryReplay(demo) &&
        !(parseReplay(kBuiltInDemo, demo, error) && whyNotPlayable(demo).empty()))
        return;
    startWatching(std::move(demo), WatchKind::Demo);
}

const std::string& lastWatchDrift() {
    return gWatch.drift;
}
