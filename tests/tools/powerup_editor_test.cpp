// powerup-editor as a user meets it: the real program on a private Xvfb
// display, driven with xdotool at the gadgets' places and through its real
// file dialog, judged by the .cpup file it writes and by what the game's
// loader makes of that file.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "game/players/custom_powerups.h"
#include "media/media_layer.h"
#include "test_support/picture_files.h"
#include "test_support/scratch_folder.h"
#include "test_support/x_session.h"
#include "tool_window/save_failure.h"

namespace fs = std::filesystem;

namespace {

const std::string kFile0 = "Data/CustomPU/PowerUp0.cpup";
const std::string kStartValues = "0.0000000000\r\n4.0000000000\r\n0.0000000000\r\n0.0000000000";
const std::string kDialogTitle = "Smiley ausw\xC3\xA4hlen";

constexpr int kWindowX = 321;
constexpr int kWindowY = 403;

struct Point {
    int x, y;
};
// Centres of the gadgets in client coordinates.
constexpr Point kName{385, 30};
constexpr Point kChangeSmiley{80, 155};
constexpr Point kChangeShot{80, 235};
constexpr Point kSave{580, 25};
// The sliders run from x 270 to 500; their rows' middles.
constexpr int kDamageRow = 100;
constexpr int kWalkRow = 190;

struct Rect {
    int x, y, w, h;
};
constexpr Rect kSmileyBox{30, 20, 100, 100};
constexpr Rect kShotBox{30, 180, 30, 30};
constexpr Rect kDamageName{510, 90, 100, 20};

constexpr std::uint32_t kRed = 0xFF0000;
constexpr std::uint32_t kBlue = 0x0000FF;

// Left half red, right half blue: a preview that shows both halves side by
// side in its box was scaled to the box, not cut out of the middle.
TestPicture halfAndHalf(int size) {
    TestPicture p(size, size, 0xFFFF0000);
    for (int y = 0; y < size; ++y)
        for (int x = size / 2; x < size; ++x) p.at(x, y) = 0xFF0000FF;
    return p;
}

class PowerUpEditorTest : public ::testing::Test {
  protected:
    void SetUp() override {
        x_ = std::make_unique<XSession>(1280, 1024);
        ASSERT_TRUE(x_->running()) << "Xvfb did not start";
        // FLTK keeps its preferences under HOME; keep them in the scratch folder.
        home_ = folder_.path() + "/home";
        fs::create_directories(home_);
    }

    void startEditor(const std::string& title = "Power-Up 1") {
        editor_ = std::make_unique<ChildProgram>(
            POMVEX_POWERUP_EDITOR, *x_,
            std::vector<std::pair<std::string, std::string>>{{"HOME", home_}});
        ASSERT_TRUE(editor_->started());
        window_ = x_->waitForWindow(title, 15);
        ASSERT_NE(window_, 0u) << "no window titled " << title << "; output: " << editor_->output();
        ASSERT_TRUE(x_->raiseAndFocus(window_));
        pauseSeconds(0.3);
    }

    void xdo(const std::vector<std::string>& args) {
        const auto r = x_->xdotool(args);
        ASSERT_EQ(r.exitCode, 0) << r.output;
    }

    void click(Point p) {
        xdo({"mousemove", "--window", std::to_string(window_), std::to_string(p.x),
             std::to_string(p.y), "click", "1", "sleep", "0.3"});
    }

    void keys(std::vector<std::string> names) {
        names.insert(names.begin(), {"key", "--delay", "60"});
        names.insert(names.end(), {"sleep", "0.3"});
        xdo(names);
    }

    void type(const std::string& utf8) {
        ASSERT_TRUE(x_->type(utf8, 40));
        pauseSeconds(0.3);
    }

    // Presses the mouse on a slider and drags it to clientX, keeping the
    // button down so the caller can look at the window mid-drag.
    void dragSliderTo(int row, int fromX, int clientX) {
        const std::string w = std::to_string(window_);
        xdo({"mousemove",
             "--window",
             w,
             std::to_string(fromX),
             std::to_string(row),
             "mousedown",
             "1",
             "sleep",
             "0.1",
             "mousemove",
             "--window",
             w,
             std::to_string((fromX + clientX) / 2),
             std::to_string(row),
             "sleep",
             "0.1",
             "mousemove",
             "--window",
             w,
             std::to_string(clientX),
             std::to_string(row),
             "sleep",
             "0.4"});
    }

    void releaseMouse() { xdo({"mouseup", "1", "sleep", "0.3"}); }

    // Clicks a "... ändern" button and waits for the file dialog.
    unsigned long openDialog(Point button) {
        click(button);
        // xdotool's search sees the title through the C locale, where the
        // umlaut is not one character; the exact title is checked below.
        const unsigned long dialog = x_->waitForWindow("Smiley ausw.*hlen", 10);
        EXPECT_NE(dialog, 0u) << "no file dialog; output: " << editor_->output();
        if (dialog == 0) return 0;
        const auto name = x_->xdotool({"getwindowname", std::to_string(dialog)});
        EXPECT_EQ(name.output, kDialogTitle + "\n");
        EXPECT_TRUE(x_->raiseAndFocus(dialog));
        pauseSeconds(0.5);
        return dialog;
    }

    // Waits until the dialog is gone and the editor has its focus back.
    void dialogClosed(unsigned long dialog) {
        for (int i = 0; i < 50; ++i) {
            const auto r = x_->xdotool({"search", "--onlyvisible", "--name", "^Smiley ausw"});
            if (r.output.find(std::to_string(dialog)) == std::string::npos) break;
            pauseSeconds(0.1);
        }
        pauseSeconds(0.3);
        ASSERT_TRUE(x_->raiseAndFocus(window_));
        pauseSeconds(0.2);
    }

    // Types a file name into the dialog's name field, as a user does, and
    // takes it with Return. The field opens holding the shown folder's path,
    // selected: a bare name replaces it, while a relative path is typed
    // after it ("../Anderswo/x.png").
    void choosePicture(Point button, const std::string& typed, bool afterFolderPath = false) {
        const unsigned long dialog = openDialog(button);
        ASSERT_NE(dialog, 0u);
        if (afterFolderPath) keys({"End"});
        type(typed);
        keys({"Return"});
        dialogClosed(dialog);
    }

    void cancelDialog(Point button) {
        const unsigned long dialog = openDialog(button);
        ASSERT_NE(dialog, 0u);
        keys({"Escape"});
        dialogClosed(dialog);
    }

    void save() {
        click(kSave);
        pauseSeconds(0.3);
    }

    void closeEditor() {
        ASSERT_TRUE(x_->sendCloseRequest(window_));
        ASSERT_TRUE(editor_->waitForExit(10)) << "the editor is still running";
        EXPECT_EQ(editor_->exitCode(), 0);
        EXPECT_EQ(editor_->output(), "");
    }

    std::vector<std::uint32_t> grab(Rect r) const {
        return x_->grab(kWindowX + r.x, kWindowY + r.y, r.w, r.h);
    }

    std::uint32_t pixel(int clientX, int clientY) const {
        const auto p = x_->grab(kWindowX + clientX, kWindowY + clientY, 1, 1);
        return p.empty() ? 0xDEADBEEF : p[0];
    }

    // The editor draws and saves in its own time after a click; these wait
    // for the outcome instead of guessing how long that takes.
    void expectPixel(int clientX, int clientY, std::uint32_t colour) const {
        eventually([&] { return pixel(clientX, clientY) == colour; });
        EXPECT_EQ(pixel(clientX, clientY), colour) << "at " << clientX << "," << clientY;
    }

    static void expectSaved(const std::string& path, const std::string& bytes) {
        eventually([&] { return readFileBytes(path) == bytes; });
        EXPECT_EQ(readFileBytes(path), bytes);
    }

    // For a look by eye: POMVEX_SCREENSHOT_DIR names a folder to put it in.
    void saveScreenshot(const std::string& name) const {
        if (const char* dir = std::getenv("POMVEX_SCREENSHOT_DIR")) {
            EXPECT_TRUE(x_->saveScreenshot(std::string(dir) + "/" + name + ".ppm"));
        }
    }

    // The power-up files in Data/CustomPU.
    static std::vector<std::string> powerUpFiles() {
        std::vector<std::string> names;
        for (const auto& e : fs::directory_iterator("Data/CustomPU"))
            names.push_back(e.path().filename().string());
        return names;
    }

    ScratchFolder folder_;
    std::string home_;
    std::unique_ptr<XSession> x_;
    std::unique_ptr<ChildProgram> editor_;
    unsigned long window_ = 0;
};

// The game's start, as far as custom power-ups go: its loader with its own
// picture loading.
class GameLoad {
  public:
    GameLoad() {
        ok_ = initMedia();
        if (ok_)
            count_ = loadCustomPowerUps(
                list_, [](int slot, const std::string& path) { return loadSprite(slot, path, 0); });
    }
    ~GameLoad() {
        list_.clear();
        if (ok_) shutdownMedia();
    }
    bool ok() const { return ok_; }
    int count() const { return count_; }
    CustomPowerUp* record(int i) { return list_.select(i); }

  private:
    bool ok_ = false;
    int count_ = 0;
    EntityList<CustomPowerUp> list_;
};

TEST_F(PowerUpEditorTest, FirstRunShowsTheWindowAndSavesTheStartValues) {
    startEditor("Power-Up 1");

    // Where the window sits and that it cannot change size.
    const auto r = x_->xdotool({"getwindowgeometry", "--shell", std::to_string(window_)});
    EXPECT_NE(r.output.find("X=321\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("Y=403\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("WIDTH=650\n"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("HEIGHT=300\n"), std::string::npos) << r.output;
    const SizeLimits limits = x_->sizeLimits(window_);
    EXPECT_EQ(limits.minWidth, 650);
    EXPECT_EQ(limits.maxWidth, 650);
    EXPECT_EQ(limits.minHeight, 300);
    EXPECT_EQ(limits.maxHeight, 300);
    // On screen the window ends exactly at 321..970 x 403..702 (black root).
    EXPECT_EQ(x_->grab(320, 500, 1, 1).at(0), 0u);
    EXPECT_NE(x_->grab(321, 500, 1, 1).at(0), 0u);
    EXPECT_NE(x_->grab(970, 702, 1, 1).at(0), 0u);
    EXPECT_EQ(x_->grab(971, 702, 1, 1).at(0), 0u);
    EXPECT_EQ(x_->grab(970, 703, 1, 1).at(0), 0u);
    saveScreenshot("powerup-editor");

    // Escape is no way to lose a power-up: the window stays.
    keys({"Escape"});
    EXPECT_TRUE(editor_->stillRunning());

    save();
    expectSaved(kFile0, "\r\n\r\n\r\n\r\n" + kStartValues);
    // The editor stays open after saving and ends with code 0 when closed.
    EXPECT_TRUE(editor_->stillRunning());
    closeEditor();
    EXPECT_EQ(powerUpFiles(), std::vector<std::string>{"PowerUp0.cpup"});

    // The next run works on the next number.
    startEditor("Power-Up 2");
    save();
    closeEditor();
    EXPECT_EQ(readFileBytes("Data/CustomPU/PowerUp1.cpup"), "\r\n\r\n\r\n\r\n" + kStartValues);

    GameLoad game;
    ASSERT_TRUE(game.ok());
    EXPECT_EQ(game.count(), 2);
}

TEST_F(PowerUpEditorTest, DamageSliderAtItsRightEnd) {
    startEditor();
    const auto before = grab(kDamageName);
    // While the knob is still held, the name beside it has already changed.
    dragSliderTo(kDamageRow, 280, 640);
    eventually([&] { return grab(kDamageName) != before; });
    const auto whileHeld = grab(kDamageName);
    releaseMouse();
    const auto after = grab(kDamageName);
    EXPECT_NE(whileHeld, before);
    EXPECT_EQ(whileHeld, after);
    saveScreenshot("powerup-editor-damage");

    save();
    closeEditor();
    EXPECT_EQ(readFileBytes(kFile0),
              "\r\n\r\n\r\n\r\n4.0000000000\r\n4.0000000000\r\n0.0000000000\r\n0.0000000000");

    GameLoad game;
    ASSERT_TRUE(game.ok());
    ASSERT_EQ(game.count(), 1);
    EXPECT_EQ(game.record(0)->damageBonus, 4.0);
    EXPECT_EQ(game.record(0)->durationStep, 4.0);
}

TEST_F(PowerUpEditorTest, SavingTwiceLeavesOneFileWithTheSecondState) {
    startEditor();
    click(kName);
    type("Erster");
    save();
    expectSaved(kFile0, "Erster\r\n\r\n\r\n\r\n" + kStartValues);

    // Walking speed to its left end, the name changed, saved again.
    dragSliderTo(kWalkRow, 490, 200);
    releaseMouse();
    click(kName);
    keys({"ctrl+a"});
    type("Zweiter");
    save();
    EXPECT_TRUE(editor_->stillRunning());
    closeEditor();

    EXPECT_EQ(powerUpFiles(), std::vector<std::string>{"PowerUp0.cpup"});
    EXPECT_EQ(readFileBytes(kFile0),
              "Zweiter\r\n\r\n\r\n\r\n0.0000000000\r\n4.0000000000\r\n0.0000000000\r\n-7."
              "5000000000");
    GameLoad game;
    ASSERT_TRUE(game.ok());
    ASSERT_EQ(game.count(), 1);
    EXPECT_EQ(game.record(0)->name, "Zweiter");
    EXPECT_EQ(game.record(0)->walkBonus, -7.5);
}

TEST_F(PowerUpEditorTest, PicturesChosenInTheDialog) {
    writePng("Eigene Smileys/Held.png", halfAndHalf(200));
    fs::create_directories("Anderswo");
    writePng("Anderswo/Schuss.png", halfAndHalf(64));
    startEditor();
    const std::uint32_t empty = pixel(kSmileyBox.x + 50, kSmileyBox.y + 50);
    EXPECT_EQ(pixel(kShotBox.x + 15, kShotBox.y + 15), empty);

    // The dialog opens in Eigene Smileys, so the bare name is enough there.
    choosePicture(kChangeSmiley, "Held.png");
    expectPixel(kSmileyBox.x + 25, kSmileyBox.y + 50, kRed);
    expectPixel(kSmileyBox.x + 75, kSmileyBox.y + 50, kBlue);
    // A file from another folder, reached from the shown one.
    choosePicture(kChangeShot, "../Anderswo/Schuss.png", true);
    expectPixel(kShotBox.x + 7, kShotBox.y + 15, kRed);
    expectPixel(kShotBox.x + 22, kShotBox.y + 15, kBlue);
    saveScreenshot("powerup-editor-pictures");
    save();
    expectSaved(kFile0, "\r\n\r\nHeld.png\r\nSchuss.png\r\n" + kStartValues);
    {
        // The game finds the smiley in Eigene Smileys, the shot not.
        GameLoad game;
        ASSERT_TRUE(game.ok());
        ASSERT_EQ(game.count(), 1);
        EXPECT_EQ(game.record(0)->smileyImage, 1000);
        EXPECT_EQ(game.record(0)->shotImage, 0);
        EXPECT_EQ(game.record(0)->damageBonus, 0);
        EXPECT_EQ(game.record(0)->durationStep, 4);
        EXPECT_EQ(game.record(0)->index, 0);
    }

    // Cancelling forgets the picture and empties its box.
    cancelDialog(kChangeSmiley);
    expectPixel(kSmileyBox.x + 25, kSmileyBox.y + 50, empty);
    expectPixel(kSmileyBox.x + 75, kSmileyBox.y + 50, empty);
    // A file that is no picture leaves its box empty; its name is kept.
    writeFileBytes("Eigene Smileys/kaputt.png", "\x89PNG\r\n\x1A\nnichts weiter");
    choosePicture(kChangeShot, "kaputt.png");
    expectPixel(kShotBox.x + 7, kShotBox.y + 15, empty);
    expectPixel(kShotBox.x + 22, kShotBox.y + 15, empty);
    ASSERT_TRUE(editor_->stillRunning());
    save();
    closeEditor();
    EXPECT_EQ(readFileBytes(kFile0), "\r\n\r\n\r\nkaputt.png\r\n" + kStartValues);
    // The working folder was not changed by the dialog: the file went to
    // the right place, and nothing else appeared beside it.
    EXPECT_EQ(powerUpFiles(), std::vector<std::string>{"PowerUp0.cpup"});
}

TEST_F(PowerUpEditorTest, AFailedSaveSaysSoAndKeepsEverythingForTheNextTry) {
    startEditor();
    click(kName);
    type("Gerettet");
    dragSliderTo(kDamageRow, 280, 640);
    releaseMouse();
    // A file stands where the power-ups' folder belongs: no save can get
    // through, whoever runs the editor.
    fs::remove("Data/CustomPU");
    writeFileBytes("Data/CustomPU", "kein Ordner");
    save();
    const unsigned long box = x_->waitForWindow(kSaveFailureTitle, 10);
    ASSERT_NE(box, 0u) << "no message box; output: " << editor_->output();
    EXPECT_EQ(readFileBytes("Data/CustomPU"), "kein Ordner");
    ASSERT_TRUE(x_->raiseAndFocus(box));
    saveScreenshot("powerup-editor-save-failed");
    keys({"Return"});
    ASSERT_TRUE(eventually([&] {
        return x_->xdotool({"search", "--onlyvisible", "--name", kSaveFailureTitle}).exitCode != 0;
    })) << "the message box stays";
    ASSERT_TRUE(editor_->stillRunning());

    // Once the folder is back, the same window saves what was entered.
    fs::remove("Data/CustomPU");
    fs::create_directory("Data/CustomPU");
    ASSERT_TRUE(x_->raiseAndFocus(window_));
    save();
    expectSaved(kFile0,
                "Gerettet\r\n\r\n\r\n\r\n4.0000000000\r\n4.0000000000\r\n0.0000000000\r\n0."
                "0000000000");
    closeEditor();
}

TEST_F(PowerUpEditorTest, TabOrderKeyboardAndUmlauts) {
    startEditor();
    click(kName);
    type("Gr\xC3\xBCner Blitz");  // Grüner Blitz
    // name -> author
    keys({"Tab"});
    type("J\xC3\xBCrgen \xE2\x82\xAC");  // Jürgen €
    // -> Smiley ändern -> Schuss ändern -> Speichern -> damage slider: two
    // steps left; -> duration slider: one step right; -> shooting speed ->
    // walking speed: one step right.
    keys({"Tab", "Tab", "Tab", "Tab", "Left", "Left", "Tab", "Right", "Tab", "Tab", "Right"});
    // Back to Speichern and press it with the space bar.
    keys({"shift+Tab", "shift+Tab", "shift+Tab", "shift+Tab", "space"});
    expectSaved(kFile0,
                "Gr\xFCner Blitz\r\nJ\xFCrgen \x80\r\n\r\n\r\n-0.5000000000\r\n2.0000000000\r\n0."
                "0000000000\r\n5.0000000000");
    closeEditor();

    GameLoad game;
    ASSERT_TRUE(game.ok());
    ASSERT_EQ(game.count(), 1);
    EXPECT_EQ(game.record(0)->name, "Gr\xFCner Blitz");
    EXPECT_EQ(game.record(0)->author, "J\xFCrgen \x80");
    EXPECT_EQ(game.record(0)->fireDelayOffset, 0);
}

}  // namespace
