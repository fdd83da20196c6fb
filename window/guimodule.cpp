#include "displaycheck.h"
#include "editorwindow.h"
#include "gui.h"
#include "pictureio.h"
#include "userdialogs.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstdio>

namespace {

using namespace dotdata::window;

int runEditor(int &argc, char **argv, const QString &file, int scale)
{
    if (const std::string problem = displayProblem(argc, argv); !problem.empty()) {
        std::fprintf(stderr, "dotdata: %s\n", problem.c_str());
        return 1;
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
    if (!file.isEmpty())
        window.loadFile(file, scale);
    return QApplication::exec();
}

} // namespace

extern "C" Q_DECL_EXPORT const Gui *dotdataGui()
{
    static const Gui gui {runEditor, decodeImage, encodeImage};
    return &gui;
}
