#include "commandline.h"
#include "gui.h"

#include <QCoreApplication>

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
    QCoreApplication::setApplicationName(QStringLiteral("dotdata"));
    QCoreApplication::setApplicationVersion(QStringLiteral(DOTDATA_VERSION));
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const Command command = commandOrExit(withoutQtOptions(arguments));
    if (command.mode != Command::Mode::Editor)
        return runCommand(command);
    return loadGui().runEditor(argc, argv, command.file, command.scale);
}
