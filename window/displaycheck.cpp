// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "displaycheck.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <string_view>

namespace dotdata::window {

namespace {

bool isSet(const char *name)
{
    const char *value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

/// The platform Qt will try: "-platform NAME" on the command line wins over
/// QT_QPA_PLATFORM, which may list several names separated by ";".
std::string_view requestedPlatform(int argc, char **argv)
{
    for (int i = 1; i + 1 < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return argv[i + 1];
    }
    const char *env = std::getenv("QT_QPA_PLATFORM");
    return env != nullptr ? env : "";
}

} // namespace

std::string displayProblem(int argc, char **argv)
{
    const std::string_view platform = requestedPlatform(argc, argv);
    for (std::string_view name :
        {"offscreen", "minimal", "vnc", "eglfs", "linuxfb", "minimalegl", "vkkhrdisplay"}) {
        if (platform.starts_with(name))
            return {};
    }
    if (!isSet("DISPLAY") && !isSet("WAYLAND_DISPLAY"))
        return "no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); "
               "start it from a graphical desktop session";
    // Qt aborts when the X server it is told to use does not answer.
    if ((platform.empty() || platform.starts_with("xcb")) && isSet("DISPLAY")) {
        xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
        const bool answers = xcb_connection_has_error(connection) == 0;
        xcb_disconnect(connection);
        if (!answers)
            return std::string("cannot connect to the X display ") + std::getenv("DISPLAY");
    }
    return {};
}

} // namespace dotdata::window
