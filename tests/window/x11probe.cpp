// A small X client for the smoke test.
//   x11probe expect WINDOW SECONDS X,Y=RRGGBB...  waits until the window shows every pixel
//   x11probe close WINDOW                         asks it to close, as a title-bar button does

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

int main(int argc, char **argv)
{
    const std::string command = argc >= 3 ? argv[1] : "";
    Display *display = command == "close" || (command == "expect" && argc >= 5)
        ? XOpenDisplay(nullptr)
        : nullptr;
    if (!display) {
        std::fputs("usage (with DISPLAY set): x11probe expect WINDOW SECONDS X,Y=RRGGBB... | close "
                   "WINDOW\n",
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
            int x = 0, y = 0;
            unsigned long rgb = 0;
            if (std::sscanf(argv[i], "%d,%d=%lx", &x, &y, &rgb) != 3)
                return 2;
            // The server's visual is 24-bit true colour: a pixel value is its RGB.
            XImage *image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
            unsigned long got = ~0UL;
            char shown[16] = "nothing";
            if (image) {
                got = XGetPixel(image, 0, 0) & 0xffffff;
                std::snprintf(shown, sizeof shown, "%06lx", got);
                XDestroyImage(image);
            }
            if (got != rgb)
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
