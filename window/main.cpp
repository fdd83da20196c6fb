#include "commandline.h"
#include "displaycheck.h"
#include "editorwindow.h"
#include "userdialogs.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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
    // Only the editor starts an application object: nothing else needs a window system,
    // a font or a plugin.
    if (command.mode != Command::Mode::Editor)
        return runCommand(command);

    if (const std::string problem = displayProblem(argc, argv); !problem.empty()) {
        std::fprintf(stderr, "dotdata: %s\n", problem.c_str());
        return EXIT_FAILURE;
    }
    QApplication app(argc, argv);
    // The desktop entry's name: on Wayland the compositor takes the window icon from it.
    QApplication::setDesktopFileName(QStringLiteral("dotdata"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("dotdata")));
    // Qt's own texts (dialog buttons, the overwrite question) in the desktop's language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    QtUserDialogs dialogs;
    EditorWindow window(dialogs);
    window.show();
    if (!command.file.isEmpty())
        window.loadFile(command.file, command.scale);
    return QApplication::exec();
}
