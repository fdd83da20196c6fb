// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "arguments.h"
#include "commandline.h"

#include "editorwindow.h"
#include "screenfit.h"
#include "userdialogs.h"
#include "words.h"

#include <QApplication>
#include <QIcon>
#include <QStandardPaths>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <variant>

using namespace dotdata::program;
using namespace Qt::StringLiterals;

namespace {

/// Qt's own messages, kept rather than printed: a command line says one line of its own.
QStringList g_qtMessages;

void keepMessage(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    // Qt stops at a fatal message; the one it gives when there is no display to show the
    // window on is a page of plugin names, so dotdata says why in one line instead, with
    // what Qt said before it.
    if (type == QtFatalMsg) {
        const bool noDisplay = qEnvironmentVariableIsEmpty("DISPLAY")
            && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
        const QString said = g_qtMessages.join(u"; "_s).simplified();
        std::fprintf(stderr, "dotdata: %s\n",
            noDisplay ? "no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); "
                        "start it from a graphical desktop session"
                      : qPrintable(u"cannot show the window: "_s + said));
        std::_Exit(1);
    }
    g_qtMessages << message;
}

/// Says a usage error in one line and ends the program with status 2.
Command commandOrExit(CommandLine &commandLine, int argc, char **argv)
{
    auto parsed = commandLine.parse(decodeArguments(argc, argv));
    if (const QString *error = std::get_if<QString>(&parsed)) {
        const QString reason = error->endsWith(u'.') ? error->chopped(1) : *error;
        std::fprintf(stderr, "dotdata: %s; see 'dotdata --help'\n", qPrintable(reason));
        std::exit(2);
    }
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
    // Qt takes its own options (-platform, -nograb ...) out of argc and argv.
    qInstallMessageHandler(keepMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
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
    return QApplication::exec();
}

} // namespace

int main(int argc, char **argv)
{
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
