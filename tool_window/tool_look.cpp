#include "tool_window/tool_look.h"

#include <FL/Fl.H>
#include <FL/fl_ask.H>

#include <clocale>

void useToolLook() {
    // The system's reasons for a failed save, in the user's language.
    std::setlocale(LC_MESSAGES, "");
    // Shaded buttons and fields on a light ground, as on today's desktops,
    // instead of FLTK's flat grey of old. The scheme changes only how the
    // gadgets are drawn, never where they sit.
    Fl::scheme("gtk+");
    Fl::background(0xEF, 0xEF, 0xEF);
    Fl::visible_focus(1);
    Fl::set_font(FL_HELVETICA, " Liberation Sans");  // leading blank: regular
    fl_close =
        "Schlie\xC3\x9F"
        "en";
}
