// Where each frame's input comes from. Before every frame the one source in
// charge fills the frame-input record, and the media layer answers the
// game's questions about keys and the pointer from that record alone: the
// devices by default, or whatever a replay or a network peer installs.
#pragma once

#include <string>

#include "game/shell/pads.h"
#include "media/media_layer.h"

// A source's next record; `use` tells what the screen uses the pads for, for
// the sources that read real pads.
using FrameSource = FrameInput (*)(PadUse use, void* context);
// nullptr gives the devices back.
void setFrameSource(FrameSource source, void* context);

// The devices' record for a frame: keyboard, mouse, the pads mapped onto
// them for the screen's use, and the window's close request.
FrameInput deviceFrameInput(PadUse use);

// Asks the source for the next frame's record and puts it in use.
void takeFrameInput(PadUse use);

// What the user typed on the keyboard since the last call (see
// takeTypedText), for the screens that ask for a text outside any game.
std::string deviceTypedText();
// While one lives, the keys are typing: M does not mute.
struct TypingText {
    TypingText();
    ~TypingText();
    TypingText(const TypingText&) = delete;
    TypingText& operator=(const TypingText&) = delete;
};
