#include "game/session/frame_source.h"

namespace {

FrameSource gSource = nullptr;
void* gContext = nullptr;

}  // namespace

void setFrameSource(FrameSource source, void* context) {
    gSource = source;
    gContext = context;
}

FrameInput deviceFrameInput(PadUse use) {
    readMouse();
    readKeyboard();
    applyPads(use);
    FrameInput input = frameInputInUse();
    input.closeRequested = pollWindowEvents();
    return input;
}

void takeFrameInput(PadUse use) {
    useFrameInput(gSource ? gSource(use, gContext) : deviceFrameInput(use));
}
