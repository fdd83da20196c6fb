// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "arguments.h"
#include "commandline.h"
#include "run.h"

#include "editorwindow.h"
#include "screenfit.h"
#include "userdialogs.h"
#include "words.h"

#include <QApplication>
#include <QIcon>
#include <QStandardPaths>

#include <algorithm>
#include <cctype>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <variant>

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

using namespace dotdata::program;
using namespace Qt::StringLiterals;

namespace {

/// Qt's own messages, kept rather than printed: a command line says one line of its own.
QStringList g_qtMessages;
/// Where Qt's messages went before dotdata kept them.
QtMessageHandler g_standardHandler = nullptr;
/// The arguments, as Qt leaves them once it has taken its own.
int *g_argc = nullptr;
char **g_argv = nullptr;

/// What libraries print themselves while Qt starts (libwayland says why it cannot connect
/// on the standard error): held in a file of its own, to be said as part of one line or
/// not at all.
class StartOutput
{
public:
    void hold()
    {
        std::fflush(stderr);
        m_file = ::memfd_create("dotdata-start", MFD_CLOEXEC);
        m_stderr = ::fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 3);
        if (m_file < 0 || m_stderr < 0 || ::dup2(m_file, STDERR_FILENO) < 0)
            release(); // then it is printed as it comes
    }
    /// Puts the standard error back, and gives what was printed meanwhile.
    QString release()
    {
        std::string text;
        if (m_stderr >= 0) {
            std::fflush(stderr);
            ::dup2(m_stderr, STDERR_FILENO);
            ::close(m_stderr);
            char buffer[4096];
            for (ssize_t n; (n = ::pread(m_file, buffer, sizeof buffer, off_t(text.size()))) > 0;)
                text.append(buffer, std::size_t(n));
        }
        if (m_file >= 0)
            ::close(m_file);
        m_file = m_stderr = -1;
        return QString::fromLocal8Bit(text);
    }

private:
    int m_file = -1, m_stderr = -1;
};
StartOutput g_startOutput;

/// Says a usage error in one line and ends the program with status 2.
[[noreturn]] void usageError(const QString &error)
{
    const QString reason = error.endsWith(u'.') ? error.chopped(1) : error;
    std::fprintf(stderr, "dotdata: %s; see 'dotdata --help'\n", qPrintable(reason));
    // Also called while Qt is half made, where ending it through exit() is not safe.
    std::fflush(nullptr);
    std::_Exit(2);
}

/// Ends the program when Qt cannot start: a usage error is said as one, whether a display
/// could be opened or not; otherwise why the window cannot be shown, in one line.
[[noreturn]] void cannotStart()
{
    const QString printed = g_startOutput.release();
    CommandLine commandLine;
    auto parsed = commandLine.parse(decodeArguments(*g_argc, g_argv));
    // Qt has taken the options it reads before it opens the display, not those that its
    // platform plugin or widgets read later (-nograb, -style ...): a word of one dash and
    // letters may be one of those, and then only the display is known to be at fault.
    char **const end = std::find(g_argv + 1, g_argv + *g_argc, std::string_view("--"));
    const bool qtsLeft = std::any_of(g_argv + 1, end, [](const char *argument) {
        return argument[0] == '-' && std::isalpha(uchar(argument[1])) && argument[2] != '\0';
    });
    if (const QString *error = std::get_if<QString>(&parsed); error && !qtsLeft)
        usageError(*error);
    const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY")
        && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    QStringList lines = printed.split(u'\n', Qt::SkipEmptyParts);
    for (QString &line : lines)
        line = line.simplified();
    const QString said = (lines + g_qtMessages).join(u"; "_s).simplified();
    std::fprintf(stderr, "dotdata: %s\n",
        noDisplay ? "no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                    "start it from a graphical desktop session"
                  : qPrintable(u"cannot show the window: "_s + said));
    std::_Exit(1);
}

void keepMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    // Qt stops at a fatal message; the one it gives when there is no display to show the
    // window on is a page of plugin names, so dotdata says why in one line instead, with
    // what Qt said before it.
    if (type == QtFatalMsg && g_argc)
        cannotStart();
    g_qtMessages << message;
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "dotdata: %s\n", qPrintable(g_qtMessages.join(u"; "_s).simplified()));
        std::_Exit(1);
    }
}

constexpr const char *kDisplayLost =
    "dotdata: the connection to the display was lost; the window closed without saving";
/// Whether the window's event loop has ended: the program ends as it should.
bool g_windowDone = false;

/// Qt ends the program itself, with a message of its own, when the display goes away under
/// the window; dotdata says so in its own line instead.
void messageInWindow(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    if (message.contains(u"connection broke"_s)
        || message.contains(u"Wayland connection experienced a fatal error"_s)) {
        std::fprintf(stderr, "%s\n", kDisplayLost);
        std::_Exit(1);
    }
    if (g_standardHandler)
        g_standardHandler(type, context, message);
}

/// Any other way Qt has of ending the program under the window.
void endedUnderWindow()
{
    if (!g_windowDone)
        std::fprintf(stderr, "%s\n", kDisplayLost);
}

/// The command the arguments ask for, or the usage error said and the program ended.
Command commandOrExit(CommandLine &commandLine, int argc, char **argv)
{
    auto parsed = commandLine.parse(decodeArguments(argc, argv));
    if (const QString *error = std::get_if<QString>(&parsed))
        usageError(*error);
    return std::get<Command>(parsed);
}

/// The program's icon, from the files it installs in the hicolor theme. Asking the icon
/// theme for it by name would first read the theme's whole index, which takes longer
/// than building the window.
QIcon programIcon()
{
    QIcon icon;
    for (const char *size : {"32x32", "64x64"}) {
        const QString file = QStandardPaths::locate(QStandardPaths::GenericDataLocation,
            QStringLiteral("icons/hicolor/%1/apps/dotdata.png").arg(QLatin1String(size)));
        if (!file.isEmpty())
            icon.addFile(file);
    }
    return icon;
}

int runEditor(int &argc, char **argv)
{
    // Qt takes its own options (-platform, -nograb ...) out of argc and argv; what is left
    // is checked once Qt has started, or when it cannot start (see cannotStart).
    g_argc = &argc;
    g_argv = argv;
    g_standardHandler = qInstallMessageHandler(keepMessage);
    g_startOutput.hold();
    QApplication app(argc, argv);
    g_startOutput.release();
    qInstallMessageHandler(messageInWindow);
    CommandLine commandLine;
    const Command command = commandOrExit(commandLine, argc, argv);
    if (command.mode != Command::Mode::Editor)
        return runCommand(command, commandLine.helpText());

    // The desktop entry's name: on Wayland the compositor takes the window icon from it.
    QApplication::setDesktopFileName(QStringLiteral("dotdata"));
    QApplication::setWindowIcon(programIcon());
    // The window speaks Japanese whatever the desktop's language; the command line English.
    dotdata::words::useJapanese();

    dotdata::editor::QtUserDialogs dialogs;
    dotdata::editor::EditorWindow window(dialogs);
    dotdata::editor::ScreenFit shown(window);
    shown.show();
    if (!command.file.empty())
        window.loadFile(command.file, command.sprite);
    std::atexit(endedUnderWindow);
    const int status = QApplication::exec();
    g_windowDone = true;
    return status;
}

} // namespace

int main(int argc, char **argv)
{
    // Before Qt opens anything that could take the number of a closed standard stream.
    holdClosedStandardStreams();
    // Under a file size limit (ulimit -f) a write past it would kill the program with
    // SIGXFSZ, losing the picture; ignored, the write fails with EFBIG and the save
    // reports it like any other failure.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication::setApplicationName(QStringLiteral("dotdata"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DOTDATA_VERSION));

    if (!needsNoWindow(argc, argv))
        return runEditor(argc, argv);
    // No display is needed: images need no more than the core application object, which
    // also gives the help its program name. Qt's messages are kept, not printed.
    qInstallMessageHandler(keepMessage);
    QCoreApplication app(argc, argv);
    CommandLine commandLine;
    return runCommand(commandOrExit(commandLine, argc, argv), commandLine.helpText());
}
