#include "editorwindow.h"
#include "userdialogs.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <xcb/xcb.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

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

/// Whether Qt can start at all. Without this check a missing display ends the
/// program inside Qt with an abort and a page of plugin diagnostics.
bool displayAvailable(std::string_view platform)
{
    for (std::string_view name : {"offscreen", "minimal", "vnc", "eglfs", "linuxfb", "minimalegl",
                                  "vkkhrdisplay"}) {
        if (platform.starts_with(name))
            return true;
    }
    return isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

/// Qt aborts when the X server it is told to use does not answer; asking first lets
/// the program say so in one line instead.
bool xServerAnswers(std::string_view platform)
{
    if (!(platform.empty() || platform.starts_with("xcb")) || !isSet("DISPLAY"))
        return true;
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    const bool answers = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return answers;
}

} // namespace

int main(int argc, char **argv)
{
    const std::string_view platform = requestedPlatform(argc, argv);
    if (!displayAvailable(platform)) {
        std::fputs("dotdata: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                   "start it from a graphical desktop session\n",
                   stderr);
        return EXIT_FAILURE;
    }
    if (!xServerAnswers(platform)) {
        std::fprintf(stderr, "dotdata: cannot connect to the X display %s\n", std::getenv("DISPLAY"));
        return EXIT_FAILURE;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dotdata"));
    // Qt's own texts (dialog buttons, the overwrite question) in the desktop's language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
                     QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    dotdata::window::QtUserDialogs dialogs;
    dotdata::window::EditorWindow window(dialogs);
    window.show();
    return QApplication::exec();
}
