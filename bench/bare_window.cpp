// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// The yardsticks for dotdata's start-up: an empty Qt Widgets window of the editor's
// size, built with the same compiler, flags and Qt. With --text it also holds one push
// button with a Japanese caption, as the editor's own buttons have, so that Qt's font
// system (fontconfig, FreeType, HarfBuzz and the Japanese font) starts as it does in
// the editor; an empty window never draws text and so never starts it.
//   bare_window [--text]     window title "Bare", or "Bare text" with --text

#include "layout.h"

#include <QApplication>
#include <QPushButton>
#include <QWidget>

#include <cstring>

int main(int argc, char **argv)
{
    using namespace dotdata::editor;
    QApplication app(argc, argv);
    const bool text = argc > 1 && std::strcmp(argv[1], "--text") == 0;
    QWidget window;
    window.setWindowTitle(text ? QStringLiteral("Bare text") : QStringLiteral("Bare"));
    window.setFixedSize(plan::Form1.pixelRect().size());
    if (text)
        new QPushButton(QStringLiteral("保存"), &window);
    window.show();
    return QApplication::exec();
}
