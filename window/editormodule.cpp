// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "displaycheck.h"
#include "editorwindow.h"
#include "modules.h"
#include "pictureio.h"
#include "screenfit.h"
#include "userdialogs.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QStandardPaths>
#include <QTranslator>

#include <cstdio>

namespace {

using namespace dotdata::window;

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

int runEditor(int &argc, char **argv, const QString &file, int scale)
{
    if (const std::string problem = displayProblem(argc, argv); !problem.empty()) {
        std::fprintf(stderr, "dotdata: %s\n", problem.c_str());
        return 1;
    }
    QApplication app(argc, argv);
    // The desktop entry's name: on Wayland the compositor takes the window icon from it.
    QApplication::setDesktopFileName(QStringLiteral("dotdata"));
    QApplication::setWindowIcon(programIcon());
    // Qt's own texts (dialog buttons, the overwrite question) in the desktop's language.
    QTranslator qtTexts;
    if (qtTexts.load(QLocale(), QStringLiteral("qtbase"), QStringLiteral("_"),
            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTexts);

    QtUserDialogs dialogs;
    EditorWindow window(dialogs);
    ScreenFit shown(window);
    shown.show();
    if (!file.isEmpty())
        window.loadFile(file, scale);
    return QApplication::exec();
}

} // namespace

extern "C" Q_DECL_EXPORT const EditorModule *dotdataEditorModule()
{
    static const EditorModule module {runEditor};
    return &module;
}
