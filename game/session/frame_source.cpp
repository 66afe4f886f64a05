#include "game/session/frame_source.h"

#include "game/shell/sounds.h"

namespace {

FrameSource gSource = nullptr;
void* gContext = nullptr;
bool gTyping = false;

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
    // M belongs to no screen: it mutes and unmutes everywhere, once a press.
    static bool muteHeld = false;
    if (input.held(key::M) && !muteHeld && !gTyping) toggleMute();
    muteHeld = input.held(key::M);
    return input;
}

void takeFrameInput(PadUse use) {
    useFrameInput(gSource ? gSource(use, gContext) : deviceFrameInput(use));
}

std::string deviceTypedText() {
    return takeTypedText();
}

TypingText::TypingText() {
    gTyping = true;
}

TypingText::~TypingText() {
    gTyping = false;
}
