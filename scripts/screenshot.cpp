// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// Paints a small sample picture into the window with the mouse, presses MAKE DATA and
// saves what the window shows; scripts/screenshot.sh makes docs/screenshot.png with it.
// usage: QT_QPA_PLATFORM=offscreen window_screenshot FILE.png

#include "dotgrid.h"
#include "editorwindow.h"
#include "words.h"

#include <QApplication>
#include <QTest>

#include <cstdio>

using namespace dotdata::editor;

namespace {

/// A file chooser that is never asked, and messages that end the program.
struct NoDialogs : UserDialogs
{
    std::optional<QString> chooseFile(QWidget *, const FileRequest &) override
    {
        return std::nullopt;
    }
    void showError(QWidget *, const QString &, const QString &text) override
    {
        std::fprintf(stderr, "window_screenshot: %s\n", qPrintable(text));
        std::exit(1);
    }
    // The picture is drawn only to be shown: nothing to keep.
    SaveAnswer askToSave(QWidget *, const SaveQuestion &) override { return SaveAnswer::Discard; }
};

void click(QWidget *widget, QPoint at)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}

} // namespace

namespace {

// A heart with a highlight and two sparkles: palette indexes, "." for a cell left black.
constexpr const char *kSample[] = {
    "............6",
    "...........666",
    "..222...222.6",
    ".22222.22222",
    "2277222222222",
    "2272222222222",
    "2222222222222",
    ".22222222222",
    "..222222222",
    "...2222222",
    ".5..22222",
    "555..222",
    ".5....2",
};
constexpr int kTop = 2, kLeft = 1;

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: window_screenshot FILE.png\n", stderr);
        return 2;
    }
    // As the program shows it: in Japanese.
    dotdata::words::useJapanese();
    NoDialogs dialogs;
    EditorWindow w(dialogs);
    auto *grid = w.findChild<DotGrid *>(QStringLiteral("DOT"));
    for (int r = 0; r < int(std::size(kSample)); ++r) {
        for (int c = 0; kSample[r][c] != '\0'; ++c) {
            if (kSample[r][c] == '.')
                continue;
            click(
                w.findChild<QWidget *>(QStringLiteral("color%1").arg(kSample[r][c] - '0')), {5, 5});
            click(grid, DotGrid::cellRect((kTop + r) * 32 + kLeft + c).center());
        }
    }
    click(w.findChild<QWidget *>(QStringLiteral("Command1")), {5, 5});
    if (!w.grab().save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "window_screenshot: cannot make %s\n", argv[1]);
        return 1;
    }
    return 0;
}
