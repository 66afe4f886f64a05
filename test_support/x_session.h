// End-to-end tests of the tools' windows: a private Xvfb display, the tool
// started on it as a child process, and xdotool to click and type like a
// user. Xvfb has no window manager, so nothing moves or focuses windows but
// the test itself.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

struct CommandResult {
    int exitCode = -1;  // -1 when the command did not finish in time
    std::string output;
};

// The smallest and largest size a window asks its window manager for; 0
// where it names none.
struct SizeLimits {
    int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
};

// A display of its own: Xvfb picks a free number itself (-displayfd), so
// tests running side by side never share one. Stopped in the destructor.
class XSession {
  public:
    XSession(int screenWidth, int screenHeight);
    ~XSession();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool running() const { return pid_ > 0 && !display_.empty(); }
    const std::string& display() const { return display_; }

    // Runs a program with DISPLAY set to this session; its output is
    // gathered and it is killed after timeoutSeconds.
    CommandResult run(std::vector<std::string> args, double timeoutSeconds = 10) const;
    // xdotool with the given arguments (several commands may be chained).
    CommandResult xdotool(std::vector<std::string> args, double timeoutSeconds = 10) const;
    // Types UTF-8 text into the focused window, delayMs between keys. Every
    // character gets a key of its own in the keymap first: xdotool would
    // otherwise lend a spare key for a character the keymap lacks and take
    // it back at once, and a program that reads the key press only after
    // that (a busy machine) sees no character at all.
    bool type(const std::string& utf8, int delayMs) const;

    // The id of a mapped top-level window with exactly this title, or 0.
    unsigned long waitForWindow(const std::string& title, double timeoutSeconds = 10) const;
    // Raises the window and gives it the keyboard focus, as a window manager
    // would on a click into it.
    bool raiseAndFocus(unsigned long window) const;
    // The same request a window manager sends when the close box is clicked.
    bool sendCloseRequest(unsigned long window) const;

    SizeLimits sizeLimits(unsigned long window) const;

    // The screen's pixels in a rectangle, 0xRRGGBB, row by row.
    std::vector<std::uint32_t> grab(int x, int y, int w, int h) const;
    // The whole screen as a binary PPM file.
    bool saveScreenshot(const std::string& path) const;

    int screenWidth() const { return width_; }
    int screenHeight() const { return height_; }

  private:
    int pid_ = -1;
    int width_;
    int height_;
    std::string display_;
};

// A program started on an XSession, in the current working folder, with
// its output captured. Killed in the destructor if it is still running.
class ChildProgram {
  public:
    ChildProgram(const std::string& program, const XSession& session,
                 const std::vector<std::pair<std::string, std::string>>& environment = {});
    ~ChildProgram();
    ChildProgram(const ChildProgram&) = delete;
    ChildProgram& operator=(const ChildProgram&) = delete;

    bool started() const { return pid_ > 0; }
    // True once the program has ended; waits at most timeoutSeconds.
    bool waitForExit(double timeoutSeconds);
    bool stillRunning();
    // The exit code, or -1 when it ended through a signal or has not ended.
    int exitCode() const { return exitCode_; }
    // Everything the program wrote to stdout and stderr so far.
    std::string output() const;

  private:
    int pid_ = -1;
    int exitCode_ = -1;
    bool ended_ = false;
    std::string outputPath_;
};

// A pause between user actions, for the program to take in the last one.
void pauseSeconds(double seconds);

// Asks again and again until the answer is true or the time is up; returns
// the last answer. For what a program does in its own time (a file saved, a
// picture redrawn), which no fixed pause can wait for on a busy machine.
template <class Condition>
bool eventually(Condition condition, double timeoutSeconds = 10) {
    for (double waited = 0;; waited += 0.05) {
        if (condition()) return true;
        if (waited >= timeoutSeconds) return false;
        pauseSeconds(0.05);
    }
}
