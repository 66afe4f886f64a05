#include "tool_window/window_frame.h"

#include <FL/Fl.H>
#include <FL/Fl_Window.H>
#include <FL/x.H>
#include <X11/Xatom.h>

namespace {

struct Placement {
    Fl_Window* window = nullptr;
    int wantX = 0;
    int wantY = 0;
    int requestedX = 0;
    int requestedY = 0;
    int tries = 0;
};

Placement placement;

// The top-left corner of the outermost window that holds ours: the window
// manager's frame, or our own window where there is none (framed says which).
bool outerTopLeft(Fl_Window* window, int& x, int& y, bool& framed) {
    Window w = fl_xid(window);
    framed = false;
    for (;;) {
        Window root = 0, parent = 0, *children = nullptr;
        unsigned int count = 0;
        if (!XQueryTree(fl_display, w, &root, &parent, &children, &count)) return false;
        if (children) XFree(children);
        if (parent == root || parent == 0) break;
        w = parent;
        framed = true;
    }
    Window child = 0;
    return XTranslateCoordinates(fl_display, w, DefaultRootWindow(fl_display), 0, 0, &x, &y,
                                 &child) != 0;
}

// Window managers differ in whether a requested position means the frame or
// the client area, and the frame arrives late. Look a few times and shift
// the request by whatever the frame is off by; once it sits right, stop, so
// a user who moves the window is not fought.
void nudge(void*) {
    Fl_Window* window = placement.window;
    int x = 0, y = 0;
    bool framed = false;
    if (window->shown() && outerTopLeft(window, x, y, framed)) {
        if (framed && x == placement.wantX && y == placement.wantY) return;
        if (x != placement.wantX || y != placement.wantY) {
            placement.requestedX += placement.wantX - x;
            placement.requestedY += placement.wantY - y;
            window->position(placement.requestedX, placement.requestedY);
        }
    }
    if (++placement.tries < 10) Fl::repeat_timeout(0.1, nudge);
}

}  // namespace

void requestCloseOnlyFrame(Fl_Window* window) {
    // Motif hints: may move and close; border, title and window menu, but no
    // resize handles and no minimise or maximise buttons.
    struct {
        unsigned long flags, functions, decorations;
        long inputMode;
        unsigned long status;
    } hints = {1 | 2, 4 | 32, 2 | 8 | 16, 0, 0};
    const Atom motif = XInternAtom(fl_display, "_MOTIF_WM_HINTS", False);
    XChangeProperty(fl_display, fl_xid(window), motif, motif, 32, PropModeReplace,
                    reinterpret_cast<unsigned char*>(&hints), 5);
}

void placeOuterCorner(Fl_Window* window, int x, int y) {
    placement = Placement{window, x, y, window->x(), window->y(), 0};
    Fl::add_timeout(0.1, nudge);
}
