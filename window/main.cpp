// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "commandline.h"
#include "modules.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <variant>

using namespace dotdata::window;

namespace {

/// Parses the arguments; on a usage error says so and ends the program with status 2.
Command commandOrExit(const QStringList &arguments)
{
    auto parsed = parseCommandLine(arguments);
    if (const QString *error = std::get_if<QString>(&parsed)) {
        std::fprintf(stderr, "dotdata: %s\n%sTry 'dotdata --help' for more.\n", qPrintable(*error),
            qPrintable(usage()));
        std::exit(2);
    }
    return std::get<Command>(parsed);
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
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    Command command = commandOrExit(withoutQtOptions(arguments));
    command.filePath = argumentPath(command.file, arguments, argv);
    command.outputPath = argumentPath(command.output, arguments, argv);
    if (command.mode != Command::Mode::Editor)
        return runCommand(command);
    return editorModule().runEditor(argc, argv, command.file, command.scale);
}
