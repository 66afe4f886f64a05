// pomvex-options: the small window that edits Data/Optionen.txt.
//
// One fixed-size window with the two player names, the game's window size and
// the custom power-up switch. "Speichern" writes the file and ends the tool
// (or, when the file cannot be written, says so and stays); "Abbrechen" or
// closing the window ends it without touching the file.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Check_Button.H>
#include <FL/Fl_Choice.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_Menu_Item.H>
#include <FL/x.H>
#include <X11/Xatom.h>

#include <array>
#include <cstdlib>
#include <string>

#include "base/encoding.h"
#include "base/numbers.h"
#include "datafiles/options_file.h"
#include "options_tool/display_scale.h"
#include "options_tool/resolutions.h"
#include "tool_window/save_failure.h"
#include "tool_window/tool_look.h"
#include "tool_window/window_frame.h"

namespace {

constexpr int kWindowX = 478;
constexpr int kWindowY = 416;
constexpr int kClientWidth = 370;
constexpr int kClientHeight = 160;
// The gadgets are sized for the small dialog font of the desktop the game
// comes from; Arial's metrics at 11 pixels fit every text into its gadget.
constexpr int kFontSize = 11;

// A push button that also answers Return and keypad Enter while it has the
// focus, as buttons in dialogs do. Return anywhere else (in a name field)
// presses nothing, so finishing a name never saves by accident.
class PushButton : public Fl_Button {
  public:
    using Fl_Button::Fl_Button;
    int handle(int event) override {
        if (event == FL_KEYBOARD && Fl::focus() == this &&
            (Fl::event_key() == FL_Enter || Fl::event_key() == FL_KP_Enter) &&
            !(Fl::event_state() & (FL_SHIFT | FL_CTRL | FL_ALT | FL_META))) {
            do_callback();
            return 1;
        }
        return Fl_Button::handle(event);
    }
};

struct OptionsTool {
    Options options;
    int desktopWidth = 0;
    int desktopHeight = 0;
    double scale = 1.0;

    // The list keeps its own entries: FLTK's add() would read "/", "&" and
    // "|" as menu syntax and merge entry 17 into an equal fixed entry.
    std::array<std::string, kFixedResolutionCount + 1> listTexts;
    std::array<Fl_Menu_Item, kFixedResolutionCount + 2> listItems{};

    Fl_Double_Window* window = nullptr;
    Fl_Input* name1 = nullptr;
    Fl_Input* name2 = nullptr;
    Fl_Check_Button* customPowerUps = nullptr;
    Fl_Choice* resolution = nullptr;

    // The frame a window manager puts around the window is only known once
    // it has been mapped; these drive the nudge that puts the frame's
    // top-left corner, not the client area's, at the required place.
};

OptionsTool tool;

void setCurrentResolutionEntry(double width, double height) {
    tool.listTexts[kCurrentResolutionEntry] = resolutionText(width, height);
    tool.listItems[kCurrentResolutionEntry].text = tool.listTexts[kCurrentResolutionEntry].c_str();
    tool.resolution->value(kCurrentResolutionEntry);
    tool.resolution->redraw();
}

void onNativeResolution(Fl_Widget*, void*) {
    tool.options.windowWidth = tool.desktopWidth;
    tool.options.windowHeight = tool.desktopHeight;
    setCurrentResolutionEntry(tool.options.windowWidth, tool.options.windowHeight);
}

void onSave(Fl_Widget*, void*) {
    const auto [width, height] = chosenResolution(
        tool.resolution->value(), tool.options.windowWidth, tool.options.windowHeight);
    tool.options.windowWidth = width;
    tool.options.windowHeight = height;
    tool.options.customPowerUpsEnabled = tool.customPowerUps->value() ? 1 : 0;
    tool.options.name1 = utf8ToCp1252(tool.name1->value());
    tool.options.name2 = utf8ToCp1252(tool.name2->value());
    // A save that did not take must not look like one that did: the user is
    // told, and the window stays open with everything in it for another go.
    if (const WriteResult saved = saveOptionsFromTool(tool.options); !saved) {
        showSaveFailure("Die Optionen konnten nicht gespeichert werden.", saved.reason);
        return;
    }
    tool.window->hide();
}

void onCancel(Fl_Widget*, void*) {
    tool.window->hide();
}

// Labels beside a field are centred on its line; labels on their own start
// at the top of their box, which matters for the maker's label whose box
// runs past the bottom edge of the window.
Fl_Box* addLabel(int x, int y, int w, int h, const char* text, Fl_Align vertical = 0) {
    const double s = tool.scale;
    auto* box = new Fl_Box(scaled(x, s), scaled(y, s), scaled(w, s), scaled(h, s), text);
    box->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE | FL_ALIGN_CLIP | vertical);
    return box;
}

Fl_Input* addNameField(int x, int y, int w, int h, const std::string& name) {
    const double s = tool.scale;
    auto* input = new Fl_Input(scaled(x, s), scaled(y, s), scaled(w, s), scaled(h, s));
    input->box(FL_DOWN_BOX);
    input->value(cp1252ToUtf8(name).c_str());
    return input;
}

PushButton* addButton(int x, int y, int w, int h, const char* text, Fl_Callback* callback) {
    const double s = tool.scale;
    auto* button = new PushButton(scaled(x, s), scaled(y, s), scaled(w, s), scaled(h, s), text);
    button->callback(callback);
    return button;
}

// Gadgets in the order the Tab key walks them: FLTK moves the focus through
// a window's children in the order they were created.
void buildWindow() {
    const double s = tool.scale;
    tool.window =
        new Fl_Double_Window(scaled(kWindowX, s), scaled(kWindowY, s), scaled(kClientWidth, s),
                             scaled(kClientHeight, s), "Optionen");
    tool.window->callback(onCancel);

    addLabel(20, 20, 50, 20, "Spieler 1");
    tool.name1 = addNameField(80, 20, 240, 20, tool.options.name1);
    tool.customPowerUps = new Fl_Check_Button(scaled(240, s), scaled(115, s), scaled(200, s),
                                              scaled(20, s), "Eigene Power-Ups");
    addLabel(20, 50, 50, 20, "Spieler 2");
    tool.name2 = addNameField(80, 50, 240, 20, tool.options.name2);

    tool.resolution = new Fl_Choice(scaled(80, s), scaled(80, s), scaled(190, s), scaled(20, s));
    const auto texts = resolutionListTexts(tool.options.windowWidth, tool.options.windowHeight);
    for (int i = 0; i <= kCurrentResolutionEntry; ++i) {
        tool.listTexts[i] = texts[i];
        tool.listItems[i].text = tool.listTexts[i].c_str();
    }
    tool.resolution->menu(tool.listItems.data());

    addLabel(20, 80, 60, 20, "Aufl\xC3\xB6sung");
    addLabel(257, 147, 120, 20, "Tarnwick Software", FL_ALIGN_TOP);
    addButton(20, 120, 90, 30, "Speichern", onSave);
    addButton(120, 120, 90, 30, "Abbrechen", onCancel);
    addButton(275, 80, 90, 22, "Native Aufl\xC3\xB6sung", onNativeResolution);

    tool.window->end();
    // The gadgets sit at fixed places, so the window keeps its size.
    tool.window->size_range(tool.window->w(), tool.window->h(), tool.window->w(), tool.window->h());

    setCurrentResolutionEntry(tool.options.windowWidth, tool.options.windowHeight);
    tool.customPowerUps->value(roundToInt(tool.options.customPowerUpsEnabled) != 0 ? 1 : 0);
}

double xftDpi() {
    const char* dpi = XGetDefault(fl_display, "Xft", "dpi");
    return dpi ? std::strtod(dpi, nullptr) : 0.0;
}

}  // namespace

// Fontconfig, under FLTK's text drawing, keeps font patterns for the life of
// the process and never hands them back. The sanitizer build's leak checker
// is told so, and to keep quiet about it, so that it reports our own memory.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
extern "C" const char* __lsan_default_options() {
    return "print_suppressions=0";
}

int main(int argc, char** argv) {
    (void)argc;
    (void)argv;
    fl_open_display();
    useToolLook();
    // The primary screen's current mode; the defaults of a new file.
    int screenX = 0, screenY = 0;
    Fl::screen_xywh(screenX, screenY, tool.desktopWidth, tool.desktopHeight, 0);
    tool.scale = displayScale(std::getenv("GDK_SCALE"), xftDpi());

    tool.options = loadOptionsForTool(tool.desktopWidth, tool.desktopHeight);

    FL_NORMAL_SIZE = scaled(kFontSize, tool.scale);
    buildWindow();
    tool.window->show();
    requestCloseOnlyFrame(tool.window);
    placeOuterCorner(tool.window, scaled(kWindowX, tool.scale), scaled(kWindowY, tool.scale));

    Fl::run();
    return 0;
}
