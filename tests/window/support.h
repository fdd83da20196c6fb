#pragma once

#include "dotgrid.h"
#include "editorwindow.h"
#include "previewbox.h"
#include "userdialogs.h"

#include <QImage>
#include <QStringList>
#include <QTest>

#include <vector>

namespace dotdata::window::test {

using namespace Qt::StringLiterals;

/// Stands in for the file chooser and the message box: answers with queued paths
/// (a cancel for an empty path or when none is left) and records all it was shown.
class FakeDialogs : public UserDialogs {
public:
    struct Shown {
        FileDialogKind kind;
        FileDialogSettings settings;
    };
    struct Message {
        QString title;
        QString text;
    };

    std::optional<QString> chooseFile(QWidget *, FileDialogKind kind, const FileDialogSettings &settings) override
    {
        shown.push_back({kind, settings});
        const QString answer = answers.isEmpty() ? QString() : answers.takeFirst();
        if (answer.isEmpty())
            return std::nullopt;
        return answer;
    }
    void showError(QWidget *, const QString &title, const QString &text) override { errors.push_back({title, text}); }

    QStringList answers;
    std::vector<Shown> shown;
    std::vector<Message> errors;
};

template <typename T = QWidget>
T *control(const QWidget &window, const QString &name)
{
    return window.findChild<T *>(name, Qt::FindDirectChildrenOnly);
}
inline DotGrid *grid(const QWidget &w) { return control<DotGrid>(w, u"DOT"_s); }
inline PreviewBox *preview(const QWidget &w) { return control<PreviewBox>(w, u"PREV"_s); }

inline void clickSwatch(const QWidget &w, int k)
{
    QTest::mouseClick(control(w, u"color%1"_s.arg(k)), Qt::LeftButton, {}, QPoint(20, 20));
}
inline void clickCell(const QWidget &w, int cell)
{
    QTest::mouseClick(grid(w), Qt::LeftButton, {}, DotGrid::cellRect(cell).center());
}
inline void pressButton(const QWidget &w, const QString &name)
{
    QTest::mouseClick(control(w, name), Qt::LeftButton, {}, QPoint(5, 5));
}

/// What a widget shows at a point, as its paint code draws it.
inline QColor shownAt(QWidget *widget, QPoint pos) { return widget->grab().toImage().pixelColor(pos); }
inline QColor selectedShown(const QWidget &w) { return shownAt(control(w, u"SELCOL"_s), QPoint(20, 20)); }
inline QColor base(const QWidget &w) { return w.palette().color(QPalette::Base); }

/// The colour every cell shows, from one rendering of the grid.
inline std::vector<QColor> shownCells(const QWidget &w)
{
    const QImage image = grid(w)->grab().toImage();
    std::vector<QColor> cells;
    for (int n = 0; n < kCells; ++n)
        cells.push_back(image.pixelColor(DotGrid::cellRect(n).center()));
    return cells;
}

} // namespace dotdata::window::test
