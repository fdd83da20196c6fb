// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// Starts a program and reports how long it took until the server mapped its window,
// found by title, until the program first drew into it, and until it finished drawing
// it: the last drawing before the window stayed unchanged for QUIET_MS. Then it reads the
// program's peak resident memory (VmHWM) and ends the program.
//
//   startup_probe TITLE QUIET_MS PROGRAM [ARGS...]
// prints "<ms to mapped> <ms to first drawing> <ms to finished drawing> <VmHWM in KiB>".
// Every drawing is seen: the server reports each rectangle drawn (DAMAGE).

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

bool hasTitle(Display *display, Window window, const char *title)
{
    char *name = nullptr;
    const bool same = XFetchName(display, window, &name) != 0 && std::strcmp(name, title) == 0;
    XFree(name);
    return same;
}

// VmHWM, the peak resident set of a running process, in KiB; -1 when it cannot be read.
long peakResidentKiB(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:"))
            return std::stol(line.substr(6));
    }
    return -1;
}

int fail(pid_t pid, const char *why)
{
    std::fprintf(stderr, "startup_probe: %s\n", why);
    if (pid > 0) {
        ::kill(pid, SIGKILL);
        ::waitpid(pid, nullptr, 0);
    }
    return 1;
}

} // namespace

int main(int argc, char **argv)
{
    if (argc < 4) {
        std::fprintf(stderr, "usage: startup_probe TITLE QUIET_MS PROGRAM [ARGS...]\n");
        return 2;
    }
    const char *title = argv[1];
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return fail(0, "cannot open the display");
    int damageEvent = 0, damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError))
        return fail(0, "the display has no DAMAGE extension");
    // A window may be gone by the time it is looked at; that is no reason to stop.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    // Without a window manager a top-level window is a child of the root window, so its
    // creation and mapping are reported to anyone watching the root's substructure.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const Clock::time_point spawned = Clock::now();
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[3], nullptr, nullptr, argv + 3, environ) != 0)
        return fail(0, "cannot start the program");

    // Every new top-level window, with the times of its first and latest drawing. Each is
    // watched for drawing from its creation on, before its title is known, so no drawing
    // slips past.
    struct Drawing
    {
        Clock::time_point first, last;
    };
    std::map<Window, Drawing> drawn;
    const auto quiet = std::chrono::milliseconds(std::atoi(argv[2]));
    Window target = None;
    Clock::time_point mapped;
    for (;;) {
        const Clock::time_point now = Clock::now();
        if (target != None && drawn[target].last != Clock::time_point()
            && now - drawn[target].last >= quiet)
            break;
        if (XPending(display) == 0) {
            if (::waitpid(pid, nullptr, WNOHANG) == pid)
                return fail(0, "the program ended before it drew its window");
            if (now > spawned + std::chrono::seconds(30))
                return fail(
                    pid, "no window with that title was mapped and finished drawing within 30 s");
            pollfd fd {ConnectionNumber(display), POLLIN, 0};
            ::poll(&fd, 1, 1);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == CreateNotify) {
            XDamageCreate(display, event.xcreatewindow.window, XDamageReportRawRectangles);
            drawn[event.xcreatewindow.window];
        } else if (event.type == MapNotify && target == None
            && hasTitle(display, event.xmap.window, title)) {
            target = event.xmap.window;
            mapped = now;
        } else if (event.type == damageEvent + XDamageNotify) {
            Drawing &drawing = drawn[reinterpret_cast<XDamageNotifyEvent &>(event).drawable];
            drawing.last = Clock::now();
            if (drawing.first == Clock::time_point())
                drawing.first = drawing.last;
        }
    }
    const auto ms = [&](Clock::time_point at) {
        return std::chrono::duration<double, std::milli>(at - spawned).count();
    };

    const long peak = peakResidentKiB(pid);
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    XCloseDisplay(display);
    std::printf(
        "%.1f %.1f %.1f %ld\n", ms(mapped), ms(drawn[target].first), ms(drawn[target].last), peak);
    return peak > 0 ? 0 : 1;
}
