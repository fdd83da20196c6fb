// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// A small X client for the smoke test.
//   x11probe expect WINDOW SECONDS CHECK...  waits until the window passes every check:
//       X,Y=RRGGBB         the pixel has that colour
//       X,Y,WxH=RRGGBB     every pixel of the rectangle has it
//       X,Y,WxH!=RRGGBB    some pixel of the rectangle has another (text was drawn there)
//   x11probe close WINDOW  asks it to close, as a title-bar button does

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <thread>

namespace {

struct Check
{
    int x = 0, y = 0, width = 1, height = 1;
    bool same = true;
    unsigned long rgb = 0;
};

std::optional<Check> parse(const char *text)
{
    Check check;
    char op[3] = {};
    int end = 0;
    if (std::sscanf(text, "%d,%d,%dx%d%2[!=]%lx%n", &check.x, &check.y, &check.width, &check.height,
            op, &check.rgb, &end)
            != 6
        && std::sscanf(text, "%d,%d%2[!=]%lx%n", &check.x, &check.y, op, &check.rgb, &end) != 4)
        return {};
    check.same = std::strcmp(op, "=") == 0;
    if (text[end] != '\0' || (!check.same && std::strcmp(op, "!=") != 0))
        return {};
    return check;
}

/// What the window shows against a failed check, or empty when it passes.
std::string failure(Display *display, Window window, const Check &check)
{
    XImage *image = XGetImage(
        display, window, check.x, check.y, check.width, check.height, AllPlanes, ZPixmap);
    if (!image)
        return "nothing";
    std::optional<unsigned long> other;
    for (int i = 0; i < check.width * check.height && !other; ++i) {
        // The server's visual is 24-bit true colour: a pixel value is its RGB.
        const unsigned long got = XGetPixel(image, i % check.width, i / check.width) & 0xffffff;
        if (got != check.rgb)
            other = got;
    }
    XDestroyImage(image);
    char shown[16];
    std::snprintf(shown, sizeof shown, other ? "%06lx" : "only %06lx", other.value_or(check.rgb));
    return other.has_value() == check.same ? shown : "";
}

} // namespace

int main(int argc, char **argv)
{
    const std::string command = argc >= 3 ? argv[1] : "";
    Display *display = command == "close" || (command == "expect" && argc >= 5)
        ? XOpenDisplay(nullptr)
        : nullptr;
    if (!display) {
        std::fputs(
            "usage (with DISPLAY set): x11probe expect WINDOW SECONDS CHECK... | close WINDOW\n",
            stderr);
        return 2;
    }
    // Reading a window that is not mapped yet fails: that is a pixel not shown yet.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    const Window window = std::strtoul(argv[2], nullptr, 0);
    if (command == "close") {
        XEvent event {};
        event.xclient = {ClientMessage, 0, False, display, window,
            XInternAtom(display, "WM_PROTOCOLS", False), 32, {}};
        event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
        XSendEvent(display, window, False, NoEventMask, &event);
        XCloseDisplay(display); // sends the event
        return 0;
    }
    const auto deadline = std::chrono::steady_clock::now()
        + std::chrono::seconds(std::atoi(argv[3]));
    for (std::string differences;; differences.clear()) {
        for (int i = 4; i < argc; ++i) {
            const std::optional<Check> check = parse(argv[i]);
            if (!check)
                return 2;
            if (const std::string shown = failure(display, window, *check); !shown.empty())
                differences += std::string(" ") + argv[i] + " shows " + shown;
        }
        if (differences.empty())
            return 0;
        if (std::chrono::steady_clock::now() >= deadline) {
            std::fprintf(stderr, "x11probe: pixels differ:%s\n", differences.c_str());
            return 1;
        }
        // The program may not have painted yet; look again shortly.
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}
