#include "tests/install/x_dialog.h"

#include <X11/Xlib.h>

unsigned long findDialog(const XSession& x, const std::string& title, double timeoutSeconds) {
    Display* d = XOpenDisplay(x.display().c_str());
    if (!d) return 0;
    const Atom netName = XInternAtom(d, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(d, "UTF8_STRING", False);
    unsigned long found = 0;
    for (double waited = 0; found == 0 && waited < timeoutSeconds; waited += 0.1) {
        Window root, parent, *children = nullptr;
        unsigned count = 0;
        if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count)) {
            for (unsigned i = 0; i < count && found == 0; ++i) {
                Atom type;
                int format;
                unsigned long items, after;
                unsigned char* name = nullptr;
                if (XGetWindowProperty(d, children[i], netName, 0, 256, False, utf8, &type, &format,
                                       &items, &after, &name) == Success &&
                    name) {
                    if (title == reinterpret_cast<const char*>(name)) found = children[i];
                    XFree(name);
                }
            }
            if (children) XFree(children);
        }
        if (found == 0) pauseSeconds(0.1);
    }
    XCloseDisplay(d);
    return found;
}
