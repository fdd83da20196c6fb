// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// Asks an X window to close, as its title-bar button does; the smoke test's window
// manager is absent, so nothing else would.
// usage (with DISPLAY set): x11close WINDOW

#include <X11/Xlib.h>

#include <cstdlib>

int main(int argc, char **argv)
{
    Display *display = argc == 2 ? XOpenDisplay(nullptr) : nullptr;
    if (!display)
        return 2; // no window given, or no display to send to
    XEvent event {};
    event.xclient = {ClientMessage, 0, False, display, std::strtoul(argv[1], nullptr, 0),
        XInternAtom(display, "WM_PROTOCOLS", False), 32, {}};
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    XSendEvent(display, event.xclient.window, False, NoEventMask, &event);
    XCloseDisplay(display); // sends the event
}
