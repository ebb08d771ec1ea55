// Time from starting a program to its first window on the screen and to its icon in the
// notification area, measured on a live X server with a tray host (run it through
// bench/run-start.sh). Each run starts the program afresh and watches the root window:
//   - the window: the first window of the started process (by _NET_WM_PID) mapped as a child
//     of the root on the screen (x >= 0), which skips the pop-up strip parked off-screen;
//   - the tray icon: a window of the process reparented out of the root (the tray host
//     embeds it) and then mapped inside the tray.
// Programs under test run in turns, run after run, so that both see the same machine noise.
//
// Usage: bench_start_latency RUNS NAME=COMMAND [NAME=COMMAND...]
// Prints, per program, NAME_window_ms=MEDIAN and NAME_tray_ms=MEDIAN (key=value lines; "n/a"
// when the program never showed that within the time allowed), details on standard error.

#include "../common/WaitForFd.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/select.h>
#include <sys/wait.h>
#include <thread>
#include <vector>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
constexpr auto kTimeout = std::chrono::seconds(10);
// Once the window is up, how long to go on waiting for a tray icon that may never come.
constexpr auto kTrayGrace = std::chrono::seconds(3);

[[noreturn]] void die(const std::string& message)
{
    std::fprintf(stderr, "bench_start_latency: %s\n", message.c_str());
    std::exit(1);
}

// The windows watched belong to other processes and vanish when those end (or sooner, for
// short-lived windows): a request about a window that is gone is no fault here.
int ignoreErrors(Display*, XErrorEvent*)
{
    return 0;
}

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

struct Program {
    std::string name;
    std::string command;
    std::vector<double> window;
    std::vector<double> tray;
};

// Milliseconds from the start, each when it was seen.
struct Seen {
    std::optional<double> window;
    std::optional<double> tray;
    std::string where; // the window's geometry, so that a reader can tell which window it was
};

class Watcher {
public:
    explicit Watcher(Display* dpy) : m_dpy(dpy), m_root(DefaultRootWindow(dpy))
    {
        m_pidAtom = XInternAtom(dpy, "_NET_WM_PID", False);
        m_screenWidth = DisplayWidth(dpy, DefaultScreen(dpy));
        XSelectInput(dpy, m_root, SubstructureNotifyMask);
        XSync(dpy, False);
    }

    // Starts COMMAND through the shell (so that it may carry its own environment) and
    // watches until both are seen or the time is up; the process is ended before returning.
    Seen run(const std::string& command)
    {
        drain();
        const char* argv[] = {"/bin/sh", "-c", nullptr, nullptr};
        const std::string exec = "exec " + command;
        argv[2] = exec.c_str();
        pid_t pid = -1;
        const auto start = Clock::now();
        if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0)
            die("cannot start " + command);
        std::optional<Clock::time_point> window, tray;
        Window icon = 0;
        std::string where;
        const auto end = start + kTimeout;
        const int fd = ConnectionNumber(m_dpy);
        while (!(window && tray)) {
            while (XPending(m_dpy)) {
                XEvent event;
                XNextEvent(m_dpy, &event);
                const auto now = Clock::now();
                if (event.type == MapNotify && event.xmap.event == m_root && !window
                    && belongsTo(event.xmap.window, pid) && onScreen(event.xmap.window, &where)) {
                    window = now;
                } else if (event.type == ReparentNotify && event.xreparent.parent != m_root && !icon
                           && belongsTo(event.xreparent.window, pid)) {
                    icon = event.xreparent.window;
                    XSelectInput(m_dpy, icon, StructureNotifyMask);
                    XWindowAttributes attributes{};
                    if (XGetWindowAttributes(m_dpy, icon, &attributes) && attributes.map_state == IsViewable)
                        tray = Clock::now();
                } else if (event.type == MapNotify && icon && event.xmap.window == icon && !tray) {
                    tray = now;
                }
            }
            if (window && tray)
                break;
            auto limit = end;
            if (window)
                limit = std::min(end, *window + kTrayGrace);
            const auto left = limit - Clock::now();
            if (left <= Clock::duration::zero())
                break;
            zarvik::bench::waitForFd(fd, left);
        }
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
        if (icon)
            XSelectInput(m_dpy, icon, NoEventMask);
        XSync(m_dpy, False);
        Seen seen;
        seen.where = where;
        if (window)
            seen.window = ms(*window - start);
        if (tray)
            seen.tray = ms(*tray - start);
        return seen;
    }

private:
    bool belongsTo(Window window, pid_t pid)
    {
        Atom type = 0;
        int format = 0;
        unsigned long items = 0, after = 0;
        unsigned char* data = nullptr;
        bool match = false;
        if (XGetWindowProperty(m_dpy, window, m_pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after,
                               &data)
                == Success
            && data) {
            match = items == 1 && format == 32 && pid_t(*reinterpret_cast<unsigned long*>(data)) == pid;
            XFree(data);
        }
        return match;
    }

    bool onScreen(Window window, std::string* where)
    {
        XWindowAttributes a{};
        if (!XGetWindowAttributes(m_dpy, window, &a) || a.x < 0 || a.x >= m_screenWidth)
            return false;
        *where = std::to_string(a.width) + "x" + std::to_string(a.height) + "+" + std::to_string(a.x) + "+"
            + std::to_string(a.y);
        return true;
    }

    void drain()
    {
        XSync(m_dpy, False);
        while (XPending(m_dpy)) {
            XEvent event;
            XNextEvent(m_dpy, &event);
        }
    }

    Display* m_dpy;
    Window m_root;
    Atom m_pidAtom = 0;
    int m_screenWidth = 0;
};

std::string median(std::vector<double> v, size_t runs)
{
    // A figure from fewer than half of the runs would hide a program that mostly fails.
    if (v.empty() || v.size() * 2 < runs)
        return "n/a";
    std::sort(v.begin(), v.end());
    const size_t n = v.size();
    const double m = n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", m);
    return text;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3)
        die("usage: bench_start_latency RUNS NAME=COMMAND [NAME=COMMAND...]");
    const int runs = std::max(1, std::atoi(argv[1]));
    std::vector<Program> programs;
    for (int i = 2; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto eq = arg.find('=');
        if (eq == std::string::npos || eq == 0)
            die("not NAME=COMMAND: " + arg);
        programs.push_back({arg.substr(0, eq), arg.substr(eq + 1), {}, {}});
    }
    Display* dpy = XOpenDisplay(nullptr);
    if (!dpy)
        die("cannot open the display");
    XSetErrorHandler(ignoreErrors);
    Watcher watcher(dpy);

    // One unmeasured start each first: it brings the files into the page cache.
    for (int run = 0; run <= runs; ++run) {
        for (auto& program : programs) {
            const Seen seen = watcher.run(program.command);
            std::fprintf(stderr, "%s run %d: window %.1f ms (%s), tray icon %.1f ms (-1: not seen)\n",
                         program.name.c_str(), run, seen.window.value_or(-1), seen.where.c_str(),
                         seen.tray.value_or(-1));
            if (run == 0)
                continue;
            if (seen.window)
                program.window.push_back(*seen.window);
            if (seen.tray)
                program.tray.push_back(*seen.tray);
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
        }
    }
    XCloseDisplay(dpy);
    for (const auto& program : programs) {
        std::printf("%s_window_ms=%s\n", program.name.c_str(), median(program.window, runs).c_str());
        std::printf("%s_tray_ms=%s\n", program.name.c_str(), median(program.tray, runs).c_str());
    }
    return 0;
}
