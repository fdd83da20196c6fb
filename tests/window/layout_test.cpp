// The window as it opens: every control's place, the grid's geometry, the focus
// order and the start-up state.

#include "support.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

using namespace dotdata;
using namespace dotdata::window;
using namespace dotdata::window::test;

class LayoutTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void geometry_data();
    void geometry();
    void cellRects();
    void cellAt_data();
    void cellAt();
    void tabOrder();
    void startUp();
};

void LayoutTest::geometry_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QRect>("twips");
    const auto row = [](const char *name, int left, int top, int width, int height) {
        QTest::newRow(name) << QString::fromLatin1(name) << QRect(left, top, width, height);
    };
    row("DOT", 240, 120, 11520 + 375 - 240, 11400 + 375 - 120);
    row("SELCOL", 240, 11760, 615, 615);
    row("color0", 240, 12600, 615, 615);
    row("color1", 840, 12600, 615, 615);
    row("color7", 4440, 12600, 615, 615);
    row("DOTDATA0", 12000, 120, 4215, 375);
    row("DOTDATA15", 12000, 5520, 4215, 375);
    row("DOTDATA16", 12000, 6000, 4215, 375);
    row("DOTDATA31", 12000, 11400, 4215, 375);
    row("Command1", 12000, 12000, 1695, 615);
    row("SNUM", 14040, 12000, 2295, 375);
    row("Label1", 14280, 12480, 1935, 375);
    row("DDATA", 16560, 120, 5655, 10095);
    row("PREV", 16680, 10440, 1455, 1455);
    row("Command2", 19080, 10560, 2055, 495);
    row("Command3", 19080, 11400, 2055, 495);
}

void LayoutTest::geometry()
{
    QFETCH(QString, name);
    QFETCH(QRect, twips);
    FakeDialogs dialogs;
    EditorWindow w(dialogs);
    const auto found = w.findChildren<QWidget *>(name, Qt::FindDirectChildrenOnly);
    QCOMPARE(found.size(), 1);
    QCOMPARE(found.front()->geometry(), QRect(twips.topLeft() / 15, twips.size() / 15));
}

void LayoutTest::cellRects()
{
    FakeDialogs dialogs;
    EditorWindow w(dialogs);
    // Top-left corners in twips: the block corners on both sides of the gaps.
    for (auto [cell, twips] : {std::pair{0, QPoint(240, 120)}, {15, QPoint(5640, 120)}, {16, QPoint(6120, 120)},
                               {511, QPoint(11520, 5520)}, {512, QPoint(240, 6000)}, {1023, QPoint(11520, 11400)}})
        QCOMPARE(DotGrid::cellRect(cell).translated(grid(w)->pos()), QRect(twips / 15, QSize(25, 25)));
}

void LayoutTest::cellAt_data()
{
    QTest::addColumn<QPoint>("point"); // in the window; the grid begins at (16, 8)
    QTest::addColumn<int>("cell");     // -1: no cell
    QTest::newRow("top-left pixel of cell 0") << QPoint(16, 8) << 0;
    QTest::newRow("border of cells 0 and 1") << QPoint(40, 20) << 1;
    QTest::newRow("border of cells 0 and 32") << QPoint(20, 32) << 32;
    QTest::newRow("right border of cell 15") << QPoint(400, 20) << 15;
    QTest::newRow("gap between the blocks") << QPoint(401, 20) << -1;
    QTest::newRow("last gap pixel") << QPoint(407, 20) << -1;
    QTest::newRow("left border of cell 16") << QPoint(408, 20) << 16;
    QTest::newRow("gap between block rows") << QPoint(20, 395) << -1;
    QTest::newRow("bottom-right pixel of cell 1023") << QPoint(792, 784) << 1023;
    QTest::newRow("right of the grid") << QPoint(793, 784) << -1;
    QTest::newRow("below the grid") << QPoint(792, 785) << -1;
}

void LayoutTest::cellAt()
{
    QFETCH(QPoint, point);
    QFETCH(int, cell);
    FakeDialogs dialogs;
    EditorWindow w(dialogs);
    QCOMPARE(DotGrid::cellAt(point - grid(w)->pos()).value_or(-1), cell);
}

void LayoutTest::tabOrder()
{
    FakeDialogs dialogs;
    EditorWindow w(dialogs);
    w.show();
    QApplication::setActiveWindow(&w);
    QVERIFY(QTest::qWaitForWindowActive(&w));

    QStringList expected;
    for (int k = 0; k < 8; ++k)
        expected << u"color%1"_s.arg(k);
    expected << u"SELCOL"_s << u"DOT"_s;
    for (int r = 0; r < 32; ++r)
        expected << u"DOTDATA%1"_s.arg(r);
    // The label takes no focus; Tab passes over it, and after the last control it wraps.
    expected << u"Command1"_s << u"SNUM"_s << u"DDATA"_s << u"PREV"_s << u"Command2"_s << u"Command3"_s << u"color0"_s;

    control(w, u"color0"_s)->setFocus(Qt::TabFocusReason);
    QStringList visited{QApplication::focusWidget()->objectName()};
    while (visited.size() < expected.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        visited << QApplication::focusWidget()->objectName();
    }
    QCOMPARE(visited, expected);
}

void LayoutTest::startUp()
{
    FakeDialogs dialogs;
    EditorWindow w(dialogs);
    QCOMPARE(w.windowTitle(), u"Form1"_s);
    QCOMPARE(w.minimumSize(), QSize(1506, 921));
    QCOMPARE(w.maximumSize(), QSize(1506, 921));

    QVERIFY(std::ranges::all_of(w.picture().table(), [](auto v) { return v == 0; }));
    QCOMPARE(w.picture().selectedColor(), 0);
    for (const QColor &c : shownCells(w))
        QCOMPARE(c, QColor(Qt::black));
    QCOMPARE(selectedShown(w), QColor(Qt::black));
    QImage black(97, 97, QImage::Format_RGB32);
    black.fill(Qt::black);
    QCOMPARE(preview(w)->grab().toImage().convertToFormat(QImage::Format_RGB32), black);

    const QColor swatches[] = {{0, 0, 0},     {0, 0, 255},   {255, 0, 0},   {192, 64, 0},
                               {0, 128, 0},   {0, 255, 255}, {255, 255, 0}, base(w)};
    for (int k = 0; k < 8; ++k)
        QCOMPARE(shownAt(control(w, u"color%1"_s.arg(k)), QPoint(20, 20)), swatches[k]);

    QCOMPARE(control<QLineEdit>(w, u"SNUM"_s)->text(), u"5000"_s);
    for (int r = 0; r < 32; ++r)
        QVERIFY(control<QLineEdit>(w, u"DOTDATA%1"_s.arg(r))->text().isEmpty());
    QVERIFY(control<QPlainTextEdit>(w, u"DDATA"_s)->toPlainText().isEmpty());
    QCOMPARE(control<QPushButton>(w, u"Command1"_s)->text(), u"MAKE DATA"_s);
    QCOMPARE(control<QPushButton>(w, u"Command2"_s)->text(), u"保存"_s);
    QCOMPARE(control<QPushButton>(w, u"Command3"_s)->text(), u"読込"_s);
    QCOMPARE(control<QLabel>(w, u"Label1"_s)->text(), u"Start Number"_s);
}

QTEST_MAIN(LayoutTest)
#include "layout_test.moc"
