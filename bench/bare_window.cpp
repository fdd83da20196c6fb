// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// The yardsticks dotdata is measured against: a Qt Widgets program built as dotdata is
// (qt_add_executable, the same compiler, flags and Qt) that does the least each measure
// needs.
//   bare_window              an empty window of the editor's size, titled "Bare"
//   bare_window --text       the same with one push button captioned "保存", titled
//                            "Bare text": it starts Qt's font system (fontconfig, FreeType,
//                            HarfBuzz, the Japanese font) as the editor's buttons do
//   bare_window --print      no window, as dotdata --data: a QCoreApplication prints a line
//   bare_window --png OUT    no window, as dotdata --export: it saves a 32 x 32 PNG with QImage

#include "layout.h"

#include <QApplication>
#include <QImage>
#include <QPushButton>
#include <QWidget>

#include <cstdio>
#include <cstring>

int main(int argc, char **argv)
{
    const char *mode = argc > 1 ? argv[1] : "";
    const bool png = std::strcmp(mode, "--png") == 0;
    if (png || std::strcmp(mode, "--print") == 0) {
        QCoreApplication app(argc, argv);
        if (png) {
            QImage image(32, 32, QImage::Format_RGB32);
            image.fill(Qt::red);
            if (argc < 3 || !image.save(QString::fromLocal8Bit(argv[2])))
                return 1;
        }
        return std::puts("floor") < 0 ? 1 : 0;
    }
    QApplication app(argc, argv);
    const bool text = std::strcmp(mode, "--text") == 0;
    QWidget window;
    window.setWindowTitle(text ? QStringLiteral("Bare text") : QStringLiteral("Bare"));
    window.setFixedSize(dotdata::editor::plan::Form1.pixelRect().size());
    if (text)
        new QPushButton(QStringLiteral("保存"), &window);
    window.show();
    return QApplication::exec();
}
