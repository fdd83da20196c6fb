// Choosing a colour and painting cells, through mouse and key events on the controls.

#include "support.h"

#include <QApplication>
#include <QPaintEvent>

#include <algorithm>

using namespace dotdata;
using namespace dotdata::window;
using namespace dotdata::window::test;

namespace {

const QColor kRed(255, 0, 0);
const QColor kBlue(0, 0, 255);

/// Collects the region of every paint event a widget receives.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget *widget) { widget->installEventFilter(this); }
    QRegion painted;
    int events = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            painted += static_cast<QPaintEvent *>(event)->region();
            ++events;
        }
        return false;
    }
};

enum class Gesture { DragToNeighbour, RightClick, GapClick, Keys, SwatchDragOff, SwatchRightClick };

} // namespace

class EditingTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void click_data();
    void click();
    void gesturesThatChangeNothing_data();
    void gesturesThatChangeNothing();
    void clickRepaintsOnlyTheCellAndItsPixel();
    void systemColourFollowsTheTheme();
};

void EditingTest::click_data()
{
    QTest::addColumn<int>("earlier"); // swatch the cell was painted with before, or -1
    QTest::addColumn<int>("swatch");  // -1: none clicked
    QTest::addColumn<int>("cell");
    QTest::addColumn<QPoint>("pixel");
    QTest::addColumn<QColor>("colour"); // invalid: the theme's text-entry background
    QTest::newRow("cell 0") << -1 << 2 << 0 << QPoint(20, 20) << kRed;
    QTest::newRow("cell 31") << -1 << 2 << 31 << QPoint(51, 20) << kRed;
    QTest::newRow("cell 32") << -1 << 3 << 32 << QPoint(20, 21) << QColor(192, 64, 0);
    QTest::newRow("cell 528, lower-right block") << -1 << 4 << 528 << QPoint(36, 36) << QColor(0, 128, 0);
    QTest::newRow("cell 1023") << -1 << 6 << 1023 << QPoint(51, 51) << QColor(255, 255, 0);
    QTest::newRow("over a red cell") << 2 << 1 << 33 << QPoint(21, 21) << kBlue;
    QTest::newRow("swatch 7") << -1 << 7 << 40 << QPoint(28, 21) << QColor();
    // Black both stored and shown: the selected colour is index 0 from the start.
    QTest::newRow("before any swatch") << -1 << -1 << 40 << QPoint(28, 21) << QColor(Qt::black);
}

void EditingTest::click()
{
    QFETCH(int, earlier);
    QFETCH(int, swatch);
    QFETCH(int, cell);
    QFETCH(QPoint, pixel);
    QFETCH(QColor, colour);
    FakeDialogs dialogs;
    EditorWindow w(dialogs);
    if (!colour.isValid())
        colour = base(w);
    if (earlier >= 0) {
        clickSwatch(w, earlier);
        clickCell(w, cell);
    }

    if (swatch >= 0) {
        clickSwatch(w, swatch);
        clickSwatch(w, swatch);
    }
    QCOMPARE(w.picture().selectedColor(), std::max(swatch, 0));
    QCOMPARE(selectedShown(w), swatch >= 0 ? colour : QColor(Qt::black));
    clickCell(w, cell);

    QCOMPARE(w.picture().table()[static_cast<std::size_t>(cell)], std::max(swatch, 0));
    const std::vector<QColor> cells = shownCells(w);
    for (int n = 0; n < kCells; ++n)
        QCOMPARE(cells[static_cast<std::size_t>(n)], n == cell ? colour : QColor(Qt::black));
    const QImage shown = preview(w)->grab().toImage();
    for (int y = 0; y < 97; ++y) {
        for (int x = 0; x < 97; ++x)
            QCOMPARE(shown.pixelColor(x, y), QPoint(x, y) == pixel ? colour : QColor(Qt::black));
    }
    QVERIFY(dialogs.errors.empty());
}

void EditingTest::gesturesThatChangeNothing_data()
{
    QTest::addColumn<Gesture>("gesture");
    QTest::newRow("press on one cell, release on the next") << Gesture::DragToNeighbour;
    QTest::newRow("right button") << Gesture::RightClick;
    QTest::newRow("click on the gap") << Gesture::GapClick;
    QTest::newRow("keys on the grid") << Gesture::Keys;
    QTest::newRow("press on a swatch, release off it") << Gesture::SwatchDragOff;
    QTest::newRow("right button on a swatch") << Gesture::SwatchRightClick;
}

void EditingTest::gesturesThatChangeNothing()
{
    QFETCH(Gesture, gesture);
    FakeDialogs dialogs;
    EditorWindow w(dialogs);
    clickSwatch(w, 2);
    DotGrid *g = grid(w);
    const QPoint cell5 = DotGrid::cellRect(5).center();
    QWidget *swatch5 = control(w, u"color5"_s);

    switch (gesture) {
    case Gesture::DragToNeighbour:
        QTest::mousePress(g, Qt::LeftButton, {}, cell5);
        QTest::mouseMove(g, DotGrid::cellRect(6).center());
        QTest::mouseRelease(g, Qt::LeftButton, {}, DotGrid::cellRect(6).center());
        break;
    case Gesture::RightClick:
        QTest::mouseClick(g, Qt::RightButton, {}, cell5);
        break;
    case Gesture::GapClick:
        QTest::mouseClick(g, Qt::LeftButton, {}, QPoint(388, 10));
        break;
    case Gesture::Keys:
        g->setFocus();
        for (Qt::Key key : {Qt::Key_Space, Qt::Key_Return, Qt::Key_Enter, Qt::Key_5})
            QTest::keyClick(g, key);
        break;
    case Gesture::SwatchDragOff:
        QTest::mousePress(swatch5, Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseRelease(swatch5, Qt::LeftButton, {}, QPoint(60, 20));
        break;
    case Gesture::SwatchRightClick:
        QTest::mouseClick(swatch5, Qt::RightButton, {}, QPoint(20, 20));
        break;
    }

    QCOMPARE(w.picture().selectedColor(), 2);
    QCOMPARE(selectedShown(w), kRed);
    QVERIFY(std::ranges::all_of(w.picture().table(), [](auto v) { return v == 0; }));
    for (const QColor &c : shownCells(w))
        QCOMPARE(c, QColor(Qt::black));
    QCOMPARE(preview(w)->image().pixelColor(25, 20), QColor(Qt::black));
}

void EditingTest::clickRepaintsOnlyTheCellAndItsPixel()
{
    FakeDialogs dialogs;
    EditorWindow w(dialogs);
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    clickSwatch(w, 2);
    QApplication::processEvents();

    PaintRecorder gridPaints(grid(w));
    PaintRecorder previewPaints(preview(w));
    PaintRecorder selectedPaints(control(w, u"SELCOL"_s));
    clickCell(w, 33);
    QVERIFY(QTest::qWaitFor([&] { return gridPaints.events > 0 && previewPaints.events > 0; }));
    QApplication::processEvents();

    QCOMPARE(gridPaints.painted, QRegion(DotGrid::cellRect(33)));
    QCOMPARE(previewPaints.painted, QRegion(21, 21, 1, 1));
    QCOMPARE(selectedPaints.events, 0);
}

void EditingTest::systemColourFollowsTheTheme()
{
    FakeDialogs dialogs;
    EditorWindow w(dialogs);
    clickSwatch(w, 7);
    clickCell(w, 0);

    QPalette palette = w.palette();
    const QColor themed(30, 40, 50);
    palette.setColor(QPalette::Base, themed);
    w.setPalette(palette);

    QCOMPARE(shownCells(w)[0], themed);
    QCOMPARE(shownAt(control(w, u"color7"_s), QPoint(20, 20)), themed);
    QCOMPARE(selectedShown(w), themed);
    QCOMPARE(preview(w)->grab().toImage().pixelColor(20, 20), themed);
}

QTEST_MAIN(EditingTest)
#include "editing_test.moc"
