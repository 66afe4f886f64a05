// powerup-editor: the small window in which a user makes one custom
// power-up - a name, an author, a smiley and a shot picture from
// "Eigene Smileys/" and four effects on sliders. "Speichern" writes
// Data/CustomPU/PowerUp<n>.cpup for the lowest free n and leaves the window
// open; saving again rewrites the same file. Closing the window ends it.
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Button.H>
#include <FL/Fl_Double_Window.H>
#include <FL/Fl_File_Chooser.H>
#include <FL/Fl_Hor_Nice_Slider.H>
#include <FL/Fl_Input.H>
#include <FL/Fl_PNG_Image.H>
#include <FL/fl_ask.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <memory>
#include <string>

#include "datafiles/custom_powerup_file.h"
#include "powerup_editor/editor_logic.h"
#include "tool_window/save_failure.h"
#include "tool_window/tool_look.h"
#include "tool_window/window_frame.h"

namespace {

constexpr int kWindowX = 321;
constexpr int kWindowY = 403;
constexpr int kClientWidth = 650;
constexpr int kClientHeight = 300;
constexpr int kSmileyPreviewSize = 100;
constexpr int kShotPreviewSize = 30;
// Sized for the small dialog font of the desktop the editor comes from;
// Arial's metrics at 11 pixels fit the texts into their gadgets.
constexpr int kFontSize = 11;
constexpr const char* kDialogTitle = "Smiley ausw\xC3\xA4hlen";
constexpr const char* kDialogFilter = "PNG (*.png)";

// An image box with a sunken border; it owns the picture it shows.
class PreviewBox : public Fl_Box {
  public:
    PreviewBox(int x, int y, int w, int h) : Fl_Box(FL_DOWN_BOX, x, y, w, h, nullptr) {}

    void show(std::unique_ptr<Fl_Image> picture) {
        picture_ = std::move(picture);
        redraw();
    }

  protected:
    void draw() override {
        draw_box();
        if (picture_) {
            // The picture fills the box; the sunken edge stays on top of it.
            fl_push_clip(x(), y(), w(), h());
            picture_->draw(x(), y());
            fl_pop_clip();
            draw_box(FL_DOWN_FRAME, color());
        }
    }

  private:
    std::unique_ptr<Fl_Image> picture_;
};

struct SliderRow {
    Fl_Slider* slider = nullptr;
    Fl_Box* stepName = nullptr;
};

struct Editor {
    EditorState state;
    std::string title;
    Fl_Double_Window* window = nullptr;
    Fl_Input* name = nullptr;
    Fl_Input* author = nullptr;
    PreviewBox* smileyPreview = nullptr;
    PreviewBox* shotPreview = nullptr;
    std::array<SliderRow, kEditorSliderCount> rows;
};

Editor editor;

// Every slider's step and the name beside it, read after each move so the
// names follow a dragged knob, not only its release.
void refreshSliders() {
    for (int i = 0; i < kEditorSliderCount; ++i) {
        SliderRow& row = editor.rows[i];
        const int step = sliderStep(i, row.slider->value());
        const std::string label = stepLabel(i, step);
        editor.state.steps[i] = step;
        if (!row.stepName->label() || label != row.stepName->label())
            row.stepName->copy_label(label.c_str());
    }
}

// A picture scaled to size x size with a smooth filter, or nothing when the
// file is not a PNG that can be decoded. A PNG refused for its size or its
// missing data says why.
std::unique_ptr<Fl_Image> loadPreview(const std::string& path, int size) {
    std::string why;
    if (path.empty() || !pngWorthLoading(path, &why)) {
        if (!why.empty()) {
            fl_message_title("Bild nicht geladen");
            fl_alert("%s", why.c_str());
        }
        return nullptr;
    }
    Fl_PNG_Image png(path.c_str());
    if (png.fail() || png.w() <= 0 || png.h() <= 0) return nullptr;
    Fl_Image::RGB_scaling(FL_RGB_SCALING_BILINEAR);
    return std::unique_ptr<Fl_Image>(png.copy(size, size));
}

// The file-open dialog; the chosen path, or an empty text when cancelled.
// FLTK's own chooser, so it looks and behaves the same on every desktop.
//
// The chooser resolves a name typed into its field against the working
// folder, not against the folder it shows, and then jumps to the wrong
// folder mid-word. So while it is open the working folder follows the shown
// one; afterwards it is put back, and the editor's own paths stay valid.
std::string askForPicture() {
    const int workingFolder = ::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    Fl_File_Chooser chooser(kCustomSmileyFolder.c_str(), kDialogFilter, Fl_File_Chooser::SINGLE,
                            kDialogTitle);
    chooser.show();
    std::string shownFolder;
    while (chooser.shown()) {
        if (workingFolder >= 0 && chooser.directory() && shownFolder != chooser.directory()) {
            shownFolder = chooser.directory();
            if (::chdir(shownFolder.c_str()) != 0) shownFolder.clear();
        }
        Fl::wait();
    }
    const char* chosen = chooser.count() > 0 ? chooser.value() : nullptr;
    std::string path = chosen ? chosen : "";
    if (workingFolder >= 0) {
        // Held open, the folder cannot vanish; were the way back refused all
        // the same, a path picked from another folder would be misleading.
        if (::fchdir(workingFolder) != 0) path.clear();
        ::close(workingFolder);
    }
    return path;
}

// The file name is kept even when the picture does not load: the user may
// put a loadable one of that name into "Eigene Smileys/" later.
void changePicture(std::string& fileName, PreviewBox* preview, int size) {
    const std::string path = askForPicture();
    fileName = fileNamePart(path);
    preview->show(loadPreview(path, size));
}

void onChangeSmiley(Fl_Widget*, void*) {
    changePicture(editor.state.smileyFile, editor.smileyPreview, kSmileyPreviewSize);
}

void onChangeShot(Fl_Widget*, void*) {
    changePicture(editor.state.shotFile, editor.shotPreview, kShotPreviewSize);
}

void onSave(Fl_Widget*, void*) {
    refreshSliders();
    // A power-up that did not reach its file must not look saved.
    if (const WriteResult saved =
            saveEditor(editor.state, editor.name->value(), editor.author->value());
        !saved)
        showSaveFailure("Das Power-Up konnte nicht gespeichert werden.", saved.reason);
}

void onSliderMoved(Fl_Widget*, void*) {
    refreshSliders();
}

// Only the close box ends the editor; Escape, which FLTK takes as a close
// request too, would throw away an unsaved power-up by a slip of the finger.
void onClose(Fl_Widget*, void*) {
    if (Fl::event() == FL_SHORTCUT && Fl::event_key() == FL_Escape) return;
    editor.window->hide();
}

Fl_Box* addLabel(int x, int y, int w, int h, const char* text) {
    auto* box = new Fl_Box(x, y, w, h, text);
    box->align(FL_ALIGN_LEFT | FL_ALIGN_INSIDE);
    return box;
}

Fl_Input* addTextField(int x, int y, int w, int h) {
    auto* input = new Fl_Input(x, y, w, h);
    input->box(FL_DOWN_BOX);
    return input;
}

Fl_Button* addButton(int x, int y, int w, int h, const char* text, Fl_Callback* callback) {
    auto* button = new Fl_Button(x, y, w, h, text);
    button->callback(callback);
    return button;
}

Fl_Slider* addSlider(int x, int y, int w, int h, int slider) {
    auto* s = new Fl_Hor_Nice_Slider(x, y, w, h);
    const PowerUpScale& scale = editorScale(slider);
    s->bounds(0, static_cast<double>(scale.steps.size() - 1));
    s->step(1);
    s->value(scale.startStep);
    s->callback(onSliderMoved);
    s->when(FL_WHEN_CHANGED);
    return s;
}

// The gadgets in the order Tab walks them: FLTK moves the focus through a
// window's children in the order they were created.
void buildWindow() {
    editor.title = editorTitle(editor.state.n);
    editor.window = new Fl_Double_Window(kWindowX, kWindowY, kClientWidth, kClientHeight);
    editor.window->label(editor.title.c_str());
    editor.window->callback(onClose);

    editor.smileyPreview = new PreviewBox(30, 20, 100, 100);
    addLabel(150, 20, 110, 20, "Name des Power-Ups");
    editor.name = addTextField(270, 20, 230, 20);
    addLabel(150, 50, 100, 20, "Name des Autors");
    editor.author = addTextField(270, 50, 230, 20);
    addButton(30, 140, 100, 30, "Smiley \xC3\xA4ndern", onChangeSmiley);
    editor.shotPreview = new PreviewBox(30, 180, 30, 30);
    addButton(30, 220, 100, 30, "Schuss \xC3\xA4ndern", onChangeShot);
    addButton(530, 10, 100, 30, "Speichern", onSave);

    editor.rows[kDamageSlider].slider = addSlider(270, 90, 230, 20, kDamageSlider);
    addLabel(150, 90, 110, 20, "Schaden");
    editor.rows[kDamageSlider].stepName = addLabel(510, 90, 100, 20, nullptr);
    addLabel(150, 120, 110, 20, "Dauer");
    editor.rows[kDurationSlider].slider = addSlider(270, 120, 230, 20, kDurationSlider);
    editor.rows[kDurationSlider].stepName = addLabel(510, 120, 100, 20, nullptr);
    addLabel(150, 150, 110, 20, "Schie\xC3\x9Fgeschwindigkeit");
    editor.rows[kFireDelaySlider].slider = addSlider(270, 150, 230, 20, kFireDelaySlider);
    editor.rows[kFireDelaySlider].stepName = addLabel(510, 150, 100, 20, nullptr);
    addLabel(150, 180, 110, 20, "Laufgeschwindigkeit");
    editor.rows[kWalkSlider].slider = addSlider(270, 180, 230, 20, kWalkSlider);
    editor.rows[kWalkSlider].stepName = addLabel(510, 180, 100, 20, nullptr);
    addLabel(480, 280, 160, 20, "Tarnwick Software");

    editor.window->end();
    // The gadgets sit at fixed places, so the window keeps its size.
    editor.window->size_range(kClientWidth, kClientHeight, kClientWidth, kClientHeight);
    refreshSliders();
}

// The file dialog in the editor's language.
void germanDialogTexts() {
    Fl_File_Chooser::filename_label = "Dateiname:";
    Fl_File_Chooser::show_label = "Dateityp:";
    Fl_File_Chooser::all_files_label = "Alle Dateien (*)";
    Fl_File_Chooser::custom_filter_label = "Eigener Filter";
    Fl_File_Chooser::preview_label = "Vorschau";
    Fl_File_Chooser::hidden_label = "Versteckte Dateien";
    Fl_File_Chooser::favorites_label = "Favoriten";
    Fl_File_Chooser::add_favorites_label = "Zu Favoriten hinzuf\xC3\xBCgen";
    Fl_File_Chooser::manage_favorites_label = "Favoriten verwalten";
    Fl_File_Chooser::filesystems_label = "Dateisysteme";
    Fl_File_Chooser::new_directory_label = "Neuer Ordner?";
    Fl_File_Chooser::new_directory_tooltip = "Neuen Ordner anlegen.";
    Fl_File_Chooser::existing_file_label = "Bitte eine vorhandene Datei w\xC3\xA4hlen!";
    fl_cancel = "Abbrechen";
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

int main() {
    editor.state = startEditor();

    fl_open_display();
    useToolLook();
    FL_NORMAL_SIZE = kFontSize;
    germanDialogTexts();

    buildWindow();
    editor.window->show();
    requestCloseOnlyFrame(editor.window);
    placeOuterCorner(editor.window, kWindowX, kWindowY);

    Fl::run();
    return 0;
}
