// Starts a program and reports how long it took until its window, found by title, was
// mapped on the X display, how long until the program first drew into it, and the
// program's peak resident memory (VmHWM) a moment later. The program is then ended.
//
//   startup_probe TITLE SETTLE_MS PROGRAM [ARGS...]
// prints "<ms to map> <ms to first drawing> <VmHWM in KiB>".

#include "benchsupport.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xdamage.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

using Clock = std::chrono::steady_clock;

bool hasTitle(Display *display, Window window, const char *title)
{
    char *name = nullptr;
    const bool same = XFetchName(display, window, &name) != 0 && name != nullptr
        && std::strcmp(name, title) == 0;
    if (name != nullptr)
        XFree(name);
    return same;
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
        std::fprintf(stderr, "usage: startup_probe TITLE SETTLE_MS PROGRAM [ARGS...]\n");
        return 2;
    }
    const char *title = argv[1];
    const int settleMs = std::atoi(argv[2]);
    Display *display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return fail(0, "cannot open the display");
    int damageEvent = 0, damageError = 0;
    if (!XDamageQueryExtension(display, &damageEvent, &damageError))
        return fail(0, "the display has no DAMAGE extension");
    // Without a window manager a top-level window is a child of the root window, so its
    // creation and mapping are reported to anyone watching the root's substructure.
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);

    const Clock::time_point spawned = Clock::now();
    pid_t pid = 0;
    if (::posix_spawn(&pid, argv[3], nullptr, nullptr, argv + 3, environ) != 0)
        return fail(0, "cannot start the program");

    // Every new top-level window is watched for drawing from its creation on, before its
    // title is known, so that no drawing can slip past; drawing into a window counts
    // only once it is mapped.
    Window target = None;
    Clock::time_point mapped, drawn;
    const Clock::time_point deadline = spawned + std::chrono::seconds(30);
    while (drawn == Clock::time_point()) {
        while (XPending(display) == 0) {
            if (::waitpid(pid, nullptr, WNOHANG) == pid)
                return fail(0, "the program ended before it drew its window");
            if (Clock::now() > deadline)
                return fail(pid, "no window with that title was mapped and drawn within 30 s");
            pollfd fd {ConnectionNumber(display), POLLIN, 0};
            ::poll(&fd, 1, 10);
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type == CreateNotify) {
            XDamageCreate(display, event.xcreatewindow.window, XDamageReportNonEmpty);
        } else if (event.type == MapNotify && target == None
            && hasTitle(display, event.xmap.window, title)) {
            mapped = Clock::now();
            target = event.xmap.window;
        } else if (event.type == damageEvent + XDamageNotify && target != None
            && reinterpret_cast<XDamageNotifyEvent &>(event).drawable == target) {
            drawn = Clock::now();
        }
    }
    const std::chrono::duration<double, std::milli> toMap = mapped - spawned,
                                                    toDraw = drawn - spawned;

    std::this_thread::sleep_for(std::chrono::milliseconds(settleMs));
    const long peak = dotdata::bench::peakResidentKiB(std::to_string(pid));
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    XCloseDisplay(display);
    std::printf("%.1f %.1f %ld\n", toMap.count(), toDraw.count(), peak);
    return peak > 0 ? 0 : 1;
}
