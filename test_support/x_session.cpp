#include "test_support/x_session.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <thread>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// The test's own environment with the display (and anything that would
// change how a tool scales its window) replaced.
std::vector<std::string> childEnvironment(
    const std::string& display, const std::vector<std::pair<std::string, std::string>>& extra) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e) {
        const std::string entry = *e;
        const std::string name = entry.substr(0, entry.find('='));
        if (name == "DISPLAY" || name == "GDK_SCALE" || name == "XAUTHORITY") continue;
        bool replaced = false;
        for (const auto& [key, value] : extra) replaced |= key == name;
        if (!replaced) env.push_back(entry);
    }
    env.push_back("DISPLAY=" + display);
    for (const auto& [key, value] : extra) env.push_back(key + "=" + value);
    return env;
}

// fork + exec with stdout and stderr sent to outFd. The child dies with the
// test process, so a crashed test leaves no window or server behind.
int spawn(const std::vector<std::string>& args, const std::vector<std::string>& env, int outFd,
          int keepFd = -1) {
    std::vector<char*> argv;
    for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (const auto& e : env) envp.push_back(const_cast<char*>(e.c_str()));
    envp.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid != 0) return pid;
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    ::setpgid(0, 0);
    const int devNull = ::open("/dev/null", O_RDWR);
    ::dup2(devNull, 0);
    ::dup2(outFd >= 0 ? outFd : devNull, 1);
    ::dup2(outFd >= 0 ? outFd : devNull, 2);
    if (keepFd >= 0) ::fcntl(keepFd, F_SETFD, 0);
    ::execvpe(argv[0], argv.data(), envp.data());
    ::_exit(127);
}

// Waits for a child; returns its exit code, -1 after a signal, or -2 when
// it is still running after timeoutSeconds.
int waitChild(int pid, double timeoutSeconds) {
    const auto start = Clock::now();
    for (;;) {
        int status = 0;
        const pid_t r = ::waitpid(pid, &status, WNOHANG);
        if (r == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (r < 0) return -1;
        if (secondsSince(start) > timeoutSeconds) return -2;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

void stopChild(int pid) {
    ::kill(pid, SIGTERM);
    if (waitChild(pid, 3.0) == -2) {
        ::kill(pid, SIGKILL);
        waitChild(pid, 3.0);
    }
}

int ignoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

// A short-lived Xlib connection; errors (a window already gone) are ignored
// instead of ending the test program.
class XConnection {
  public:
    explicit XConnection(const std::string& display) : d_(XOpenDisplay(display.c_str())) {
        XSetErrorHandler(ignoreXErrors);
    }
    ~XConnection() {
        if (d_) XCloseDisplay(d_);
    }
    Display* get() const { return d_; }

  private:
    Display* d_;
};

}  // namespace

void pauseSeconds(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

XSession::XSession(int screenWidth, int screenHeight) : width_(screenWidth), height_(screenHeight) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return;
    const std::string screen =
        std::to_string(screenWidth) + "x" + std::to_string(screenHeight) + "x24";
    // -br: a black root window, so a grab shows exactly where windows are.
    pid_ = spawn({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", screen, "-nolisten",
                  "tcp", "-br", "-noreset"},
                 childEnvironment("", {}), -1, fds[1]);
    ::close(fds[1]);

    // Xvfb writes the display number it found free, then a line end.
    std::string number;
    const auto start = Clock::now();
    while (secondsSince(start) < 15) {
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, 100) <= 0) continue;
        char c;
        if (::read(fds[0], &c, 1) != 1) break;
        if (c == '\n') {
            display_ = ":" + number;
            break;
        }
        number += c;
    }
    ::close(fds[0]);
    if (display_.empty() && pid_ > 0) {
        stopChild(pid_);
        pid_ = -1;
    }
}

XSession::~XSession() {
    if (pid_ > 0) stopChild(pid_);
}

CommandResult XSession::run(std::vector<std::string> args, double timeoutSeconds) const {
    CommandResult result;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return result;
    const int pid = spawn(args, childEnvironment(display_, {}), fds[1]);
    ::close(fds[1]);
    const auto start = Clock::now();
    for (;;) {
        const double left = timeoutSeconds - secondsSince(start);
        if (left <= 0) break;
        pollfd p{fds[0], POLLIN, 0};
        if (::poll(&p, 1, static_cast<int>(left * 1000) + 1) <= 0) continue;
        char buffer[4096];
        const ssize_t n = ::read(fds[0], buffer, sizeof buffer);
        if (n <= 0) break;
        result.output.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fds[0]);
    const double left = std::max(0.1, timeoutSeconds - secondsSince(start));
    result.exitCode = waitChild(pid, left);
    if (result.exitCode == -2) {
        ::kill(pid, SIGKILL);
        waitChild(pid, 3.0);
        result.exitCode = -1;
    }
    return result;
}

CommandResult XSession::xdotool(std::vector<std::string> args, double timeoutSeconds) const {
    args.insert(args.begin(), "xdotool");
    return run(std::move(args), timeoutSeconds);
}

namespace {

// The code points of UTF-8 text; a broken sequence counts as its bytes.
std::vector<std::uint32_t> codePoints(const std::string& utf8) {
    std::vector<std::uint32_t> points;
    for (std::size_t i = 0; i < utf8.size();) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        const int length = c < 0x80         ? 1
                           : (c >> 5) == 6  ? 2
                           : (c >> 4) == 14 ? 3
                           : (c >> 3) == 30 ? 4
                                            : 1;
        if (length == 1 || i + length > utf8.size()) {
            points.push_back(c);
            ++i;
            continue;
        }
        std::uint32_t point = c & (0x7F >> length);
        for (int k = 1; k < length; ++k) point = (point << 6) | (utf8[i + k] & 0x3F);
        points.push_back(point);
        i += length;
    }
    return points;
}

// Gives every character of the text a key of its own: an unused key code
// carries its keysym on both levels (xdotool adds Shift for capitals).
void mapKeysFor(Display* d, const std::string& utf8) {
    int low = 0, high = 0;
    XDisplayKeycodes(d, &low, &high);
    int perCode = 0;
    KeySym* map = XGetKeyboardMapping(d, static_cast<KeyCode>(low), high - low + 1, &perCode);
    if (!map) return;
    int code = high;
    std::vector<KeySym> mapped;
    for (std::uint32_t point : codePoints(utf8)) {
        if (point < 0x80) continue;
        // Latin-1 keysyms are the code points themselves; the rest of
        // Unicode lives at 0x01000000 + code point.
        const KeySym sym = point <= 0xFF ? point : 0x01000000 + point;
        if (XKeysymToKeycode(d, sym) != 0 ||
            std::find(mapped.begin(), mapped.end(), sym) != mapped.end())
            continue;
        for (; code >= low; --code) {
            const KeySym* entry = map + static_cast<std::size_t>(code - low) * perCode;
            if (std::all_of(entry, entry + perCode, [](KeySym k) { return k == NoSymbol; })) break;
        }
        if (code < low) break;
        KeySym both[2] = {sym, sym};
        XChangeKeyboardMapping(d, code, 2, both, 1);
        XSync(d, False);
        mapped.push_back(sym);
        --code;
    }
    XFree(map);
}

}  // namespace

bool XSession::type(const std::string& utf8, int delayMs) const {
    {
        XConnection x(display_);
        if (!x.get()) return false;
        mapKeysFor(x.get(), utf8);
    }
    // "type" takes all its arguments as text, so nothing can follow it.
    return xdotool({"type", "--delay", std::to_string(delayMs), utf8}).exitCode == 0;
}

unsigned long XSession::waitForWindow(const std::string& title, double timeoutSeconds) const {
    // Two things can hand back a window that is gone a moment later: xdotool
    // gives up with BadWindow when a window it looks at closes under it (a
    // dialog going away), and SDL may destroy its first window and make
    // another with the same title when the renderer wants a different
    // visual. So search until the same window is found twice in a row, a
    // little apart.
    const auto start = Clock::now();
    unsigned long candidate = 0;
    for (;;) {
        const double left = timeoutSeconds - secondsSince(start);
        if (left <= 0) return 0;
        const CommandResult r =
            xdotool({"search", "--sync", "--onlyvisible", "--name", "^" + title + "$"}, left);
        if (r.exitCode == -1) return 0;
        const unsigned long found =
            r.exitCode == 0 ? std::strtoul(r.output.c_str(), nullptr, 10) : 0;
        if (found != 0 && found == candidate) return found;
        candidate = found;
        pauseSeconds(0.25);
    }
}

bool XSession::raiseAndFocus(unsigned long window) const {
    const std::string id = std::to_string(window);
    return xdotool({"windowraise", id, "windowfocus", "--sync", id}, 5).exitCode == 0;
}

bool XSession::sendCloseRequest(unsigned long window) const {
    XConnection x(display_);
    if (!x.get()) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(x.get(), "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(x.get(), "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    const bool sent = XSendEvent(x.get(), window, False, NoEventMask, &event) != 0;
    XSync(x.get(), False);
    return sent;
}

SizeLimits XSession::sizeLimits(unsigned long window) const {
    SizeLimits limits;
    XConnection x(display_);
    XSizeHints hints{};
    long supplied = 0;
    if (!x.get() || !XGetWMNormalHints(x.get(), window, &hints, &supplied)) return limits;
    if (hints.flags & PMinSize) {
        limits.minWidth = hints.min_width;
        limits.minHeight = hints.min_height;
    }
    if (hints.flags & PMaxSize) {
        limits.maxWidth = hints.max_width;
        limits.maxHeight = hints.max_height;
    }
    return limits;
}

std::vector<std::uint32_t> XSession::grab(int x, int y, int w, int h) const {
    std::vector<std::uint32_t> pixels;
    XConnection conn(display_);
    if (!conn.get() || w <= 0 || h <= 0 || x < 0 || y < 0 || x + w > width_ || y + h > height_)
        return pixels;
    XImage* image =
        XGetImage(conn.get(), DefaultRootWindow(conn.get()), x, y, static_cast<unsigned>(w),
                  static_cast<unsigned>(h), AllPlanes, ZPixmap);
    if (!image) return pixels;
    pixels.reserve(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int row = 0; row < h; ++row)
        for (int col = 0; col < w; ++col)
            pixels.push_back(static_cast<std::uint32_t>(XGetPixel(image, col, row)) & 0xFFFFFFu);
    XDestroyImage(image);
    return pixels;
}

bool XSession::saveScreenshot(const std::string& path) const {
    const auto pixels = grab(0, 0, width_, height_);
    if (pixels.empty()) return false;
    std::ofstream out(path, std::ios::binary);
    out << "P6\n" << width_ << " " << height_ << "\n255\n";
    for (std::uint32_t p : pixels) {
        const char rgb[3] = {static_cast<char>(p >> 16), static_cast<char>(p >> 8),
                             static_cast<char>(p)};
        out.write(rgb, 3);
    }
    return static_cast<bool>(out);
}

ChildProgram::ChildProgram(const std::string& program, const XSession& session,
                           const std::vector<std::pair<std::string, std::string>>& environment) {
    char path[] = "/tmp/pomvex-child-output-XXXXXX";
    const int fd = ::mkstemp(path);
    if (fd < 0) return;
    outputPath_ = path;
    pid_ = spawn({program}, childEnvironment(session.display(), environment), fd);
    ::close(fd);
}

ChildProgram::~ChildProgram() {
    if (pid_ > 0 && !ended_) stopChild(pid_);
    if (!outputPath_.empty()) std::remove(outputPath_.c_str());
}

bool ChildProgram::waitForExit(double timeoutSeconds) {
    if (ended_ || pid_ <= 0) return ended_;
    const int code = waitChild(pid_, timeoutSeconds);
    if (code == -2) return false;
    ended_ = true;
    exitCode_ = code;
    return true;
}

bool ChildProgram::stillRunning() {
    return pid_ > 0 && !waitForExit(0);
}

std::string ChildProgram::output() const {
    std::ifstream in(outputPath_, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}
