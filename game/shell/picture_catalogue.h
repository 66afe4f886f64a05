// The numbered picture slots. Records of the game store slot numbers; this is
// the one place that knows which file goes into which slot.
#pragma once

struct PictureRow {
    int slot;
    const char* file;  // relative to the working folder, UTF-8
    int mode;          // load mode: 0 plain, 4 texture, 12 texture with own alpha
};

// Every picture the game loads, in load-table order.
extern const PictureRow kPictureTable[];
extern const int kPictureCount;

// The slot that takes a snapshot of the canvas when the game pauses. Custom
// power-ups bring their own pictures into slots 1000 + n and 2000 + n.
constexpr int kPauseSnapshotSlot = 71;

// Frequently drawn slots, named where the game draws them.
constexpr int kBackgroundSlot = 51;  // Back.jpg
constexpr int kBlackSlot = 65;       // Black.jpg, rotatable: the fade overlay

// Loads every picture with magenta as the transparent colour and makes the
// rotatable sprites. A picture that does not load leaves its slot empty.
void loadPictures();
