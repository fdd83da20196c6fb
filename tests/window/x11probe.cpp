// A small X client for the smoke test.
//   x11probe expect WINDOW SECONDS X,Y=RRGGBB...  waits until the window shows every pixel
//   x11probe close WINDOW                         asks it to close, as a title-bar button does

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

namespace {

/// The window's colour at (x, y) as 0xRRGGBB, or -1 while it cannot be read.
long pixelAt(Display *display, Window window, int x, int y)
{
    XWindowAttributes attributes;
    if (!XGetWindowAttributes(display, window, &attributes) || attributes.map_state != IsViewable)
        return -1;
    XImage *image = XGetImage(display, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return -1;
    XColor colour{};
    colour.pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    XQueryColor(display, attributes.colormap, &colour);
    return long((colour.red >> 8) << 16 | (colour.green >> 8) << 8 | colour.blue >> 8);
}

int expect(Display *display, Window window, int seconds, char **pixels, int count)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    for (;;) {
        std::string differences;
        for (int i = 0; i < count; ++i) {
            int x = 0, y = 0;
            unsigned long rgb = 0;
            if (std::sscanf(pixels[i], "%d,%d=%lx", &x, &y, &rgb) != 3)
                return 2;
            if (const long got = pixelAt(display, window, x, y); got != long(rgb)) {
                char shown[16] = "nothing";
                if (got >= 0)
                    std::snprintf(shown, sizeof shown, "%06lx", static_cast<unsigned long>(got));
                differences += std::string(" ") + pixels[i] + " shows " + shown;
            }
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

void close(Display *display, Window window)
{
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = long(XInternAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    XSendEvent(display, window, False, NoEventMask, &event);
    XSync(display, False);
}

} // namespace

int main(int argc, char **argv)
{
    const bool isClose = argc == 3 && std::strcmp(argv[1], "close") == 0;
    const bool isExpect = argc >= 5 && std::strcmp(argv[1], "expect") == 0;
    Display *display = isClose || isExpect ? XOpenDisplay(nullptr) : nullptr;
    if (!display) {
        std::fputs("usage (with DISPLAY set): x11probe expect WINDOW SECONDS X,Y=RRGGBB... | close WINDOW\n", stderr);
        return 2;
    }
    // A window unmapped between the check and the read fails the read; that is a pixel
    // not shown yet, not a reason to end the probe.
    XSetErrorHandler([](Display *, XErrorEvent *) { return 0; });
    const Window window = std::strtoul(argv[2], nullptr, 0);
    int result = 0;
    if (isClose)
        close(display, window);
    else
        result = expect(display, window, std::atoi(argv[3]), argv + 4, argc - 4);
    XCloseDisplay(display);
    return result;
}
