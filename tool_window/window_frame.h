// How a tool window meets the window manager: a caption with a close box
// only, and the frame's outer corner (not the client area's) at a fixed
// place on the screen. Shared by the options tool and the power-up editor.
#pragma once

class Fl_Window;

// Call once the window is shown.
void requestCloseOnlyFrame(Fl_Window* window);

// Call once the window is shown; nudges it for a second or so until the
// outermost frame's top-left corner sits at (x, y).
void placeOuterCorner(Fl_Window* window, int x, int y);
