#pragma once
// What the window tests share: the window with fake dialogs, short ways to reach and
// click its controls, and a snapshot of what the picture shows.

#include "dotgrid.h"
#include "editorwindow.h"

#include <QImage>
#include <QLineEdit>
#include <QTest>

#include <vector>

namespace dotdata::window::test {

using namespace Qt::StringLiterals;

/// Answers the file chooser with queued paths (a cancel when none is left) and
/// records every dialog it was shown and every message as "title: text".
struct FakeDialogs : UserDialogs
{
    std::optional<QString> chooseFile(
        QWidget *, FileDialogKind kind, const FileDialogSettings &settings) override
    {
        dialogs.push_back({kind, settings});
        return answers.isEmpty() ? std::nullopt : std::optional(answers.takeFirst());
    }
    void showError(QWidget *, const QString &title, const QString &t) override
    {
        messages << title + u": "_s + t;
    }
    /// Whether exactly one message was shown, with this title and naming `part`.
    bool oneMessage(const QString &title, const QString &part) const
    {
        return messages.size() == 1 && messages[0].startsWith(title + u": "_s)
            && messages[0].contains(part);
    }

    QStringList answers;
    std::vector<std::pair<FileDialogKind, FileDialogSettings>> dialogs;
    QStringList messages;
};

/// The window with its own fake dialogs.
struct Editor : FakeDialogs, EditorWindow
{
    Editor() : EditorWindow(static_cast<FakeDialogs &>(*this)) { }
};

template<typename T = QWidget>
T *control(const QWidget &w, const QString &name)
{
    return w.findChild<T *>(name, Qt::FindDirectChildrenOnly);
}
inline DotGrid *grid(const QWidget &w)
{
    return control<DotGrid>(w, u"DOT"_s);
}
inline QLineEdit *field(const QWidget &w, const QString &name)
{
    return control<QLineEdit>(w, name);
}

inline void click(QWidget *widget, QPoint at = {5, 5})
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, at);
}
inline void clickSwatch(const QWidget &w, int k)
{
    click(control(w, u"color%1"_s.arg(k)));
}
inline void clickCell(const QWidget &w, int cell)
{
    click(grid(w), DotGrid::cellRect(cell).center());
}
inline void press(const QWidget &w, const QString &button)
{
    click(control(w, button));
}

/// What a widget's paint code draws at a point.
inline QColor shownAt(QWidget *widget, QPoint at = {20, 20})
{
    return widget->grab().toImage().pixelColor(at);
}

/// Palette index k as the window shows it; 7 is the theme's text-entry background.
inline QColor paletteShown(const QWidget &w, int k)
{
    static const QColor fixed[] = {{0, 0, 0}, {0, 0, 255}, {255, 0, 0}, {192, 64, 0}, {0, 128, 0},
        {0, 255, 255}, {255, 255, 0}};
    return k == 7 ? w.palette().color(QPalette::Base) : fixed[k];
}

/// The table and what the grid and the preview show of it; by default the start-up picture.
struct Shown
{
    Picture::Table table {};
    std::vector<QColor> cells = std::vector<QColor>(kCells, QColor(Qt::black));
    QImage preview = QImage(97, 97, QImage::Format_RGB32);

    Shown() { preview.fill(Qt::black); }
    explicit Shown(const EditorWindow &w) : table(w.picture().table())
    {
        const QImage image = grid(w)->grab().toImage();
        for (int n = 0; n < kCells; ++n)
            cells[std::size_t(n)] = image.pixelColor(DotGrid::cellRect(n).center());
        preview = control(w, u"PREV"_s)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    void paint(int cell, int index, QColor colour)
    {
        table[std::size_t(cell)] = std::int16_t(index);
        cells[std::size_t(cell)] = colour;
        preview.setPixelColor(20 + cell % 32, 20 + cell / 32, colour);
    }
    bool operator==(const Shown &) const = default;
};

/// Blue, red, brown and green in the four corner cells.
inline void paintCorners(const QWidget &w)
{
    for (auto [k, cell] : {std::pair {1, 0}, {2, 31}, {3, 992}, {4, 1023}}) {
        clickSwatch(w, k);
        clickCell(w, cell);
    }
}

} // namespace dotdata::window::test
