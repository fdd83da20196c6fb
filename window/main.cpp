#include "displaycheck.h"
#include "editorwindow.h"
#include "screenfit.h"
#include "userdialogs.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>
#include <cstdlib>

int main(int argc, char **argv)
{
    if (const std::string problem = dotdata::window::displayProblem(argc, argv); !problem.empty()) {
        std::fprintf(stderr, "dotdata: %s\n", problem.c_str());
        return EXIT_FAILURE;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("dotdata"));
    QApplication::setApplicationVersion(QStringLiteral(DOTDATA_VERSION));
    // The desktop entry's name: on Wayland the compositor takes the window icon from it.
    QApplication::setDesktopFileName(QStringLiteral("dotdata"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("dotdata")));
    // Qt's own texts (dialog buttons, the overwrite question) in the desktop's language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    dotdata::window::QtUserDialogs dialogs;
    dotdata::window::EditorWindow window(dialogs);
    dotdata::window::ScreenFit shown(window);
    shown.show();
    return QApplication::exec();
}
