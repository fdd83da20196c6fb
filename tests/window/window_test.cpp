// The window through its controls: the layout and the start-up state, painting with
// the mouse, MAKE DATA, and save and load through a fake file chooser.

#include "screenfit.h"
#include "support.h"

#include <QApplication>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include <optional>

using namespace dotdata;
using namespace dotdata::window;
using namespace dotdata::window::test;

namespace {

/// Collects the region of every paint event a widget receives.
struct PaintRecorder : QObject
{
    explicit PaintRecorder(QWidget *widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            painted += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
    QRegion painted;
};

QPoint centre(int cell)
{
    return DotGrid::cellRect(cell).center();
}

QStringList rowFields(const QWidget &w)
{
    QStringList lines;
    for (int r = 0; r < 32; ++r)
        lines << field(w, u"DOTDATA%1"_s.arg(r))->text();
    return lines;
}
QPlainTextEdit *readout(const QWidget &w)
{
    return control<QPlainTextEdit>(w, u"DDATA"_s);
}

void writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
}
QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

const QString kFilter = u"データ ファイル|*.dat;*.log|すべてのファイル|*.*"_s;

} // namespace

class WindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void geometry();
    void cells();
    void tabOrder_data();
    void tabOrder();
    void startUp();
    void mouse_data();
    void mouse();
    void clickRepaintsOnlyTheCellAndItsPixel();
    void makeData();
    void dialogSettingsAccumulate();
    void saveAndLoad();
    void load_data();
    void load();
};

void WindowTest::geometry()
{
    // Left, top, width and height in twips, 15 to the pixel.
    const struct
    {
        const char *name;
        int left, top, width, height;
    } plan[] = {
        {"DOT", 240, 120, 11655, 11655}, // cell 0's top-left to cell 1023's bottom-right
        {"SELCOL", 240, 11760, 615, 615},
        {"color0", 240, 12600, 615, 615},
        {"color7", 4440, 12600, 615, 615},
        {"DOTDATA0", 12000, 120, 4215, 375},
        {"DOTDATA15", 12000, 5520, 4215, 375},
        {"DOTDATA16", 12000, 6000, 4215, 375},
        {"DOTDATA31", 12000, 11400, 4215, 375},
        {"Command1", 12000, 12000, 1695, 615},
        {"SNUM", 14040, 12000, 2295, 375},
        {"Label1", 14280, 12480, 1935, 375},
        {"DDATA", 16560, 120, 5655, 10095},
        {"PREV", 16680, 10440, 1455, 1455},
        {"Command2", 19080, 10560, 2055, 495},
        {"Command3", 19080, 11400, 2055, 495},
    };
    Editor w;
    QCOMPARE(w.windowTitle(), u"Form1"_s);
    QCOMPARE(w.minimumSize(), QSize(1506, 921));
    QCOMPARE(w.maximumSize(), QSize(1506, 921));
    for (const auto &p : plan) {
        const QWidget *c = control(w, QString::fromLatin1(p.name));
        QVERIFY2(c && c->geometry() == QRect(p.left / 15, p.top / 15, p.width / 15, p.height / 15),
            p.name);
    }
}

void WindowTest::cells()
{
    Editor w;
    const QPoint origin = grid(w)->pos();
    // 25 px at a 24 px pitch, by the top-left corner in twips; the gaps follow cells 15 and 511.
    for (auto [cell, x, y] :
        {std::tuple {0, 240, 120}, {16, 6120, 120}, {512, 240, 6000}, {1023, 11520, 11400}})
        QCOMPARE(DotGrid::cellRect(cell).translated(origin), QRect(x / 15, y / 15, 25, 25));
    // Window points: a shared border pixel belongs to the later cell; the gaps to none.
    for (auto [x, y, cell] :
        {std::tuple {16, 8, 0}, {40, 20, 1}, {20, 32, 32}, {400, 20, 15}, {401, 20, -1},
            {407, 20, -1}, {408, 20, 16}, {20, 395, -1}, {792, 784, 1023}, {793, 784, -1}})
        QCOMPARE(DotGrid::cellAt(QPoint(x, y) - origin).value_or(-1), cell);
}

void WindowTest::tabOrder_data()
{
    QTest::addColumn<bool>("scrolling"); // in a window smaller than it: the offscreen 800 x 600
    QTest::newRow("own window") << false;
    QTest::newRow("scrolling") << true;
}

void WindowTest::tabOrder()
{
    QFETCH(bool, scrolling);
    Editor w;
    std::optional<ScreenFit> fit;
    if (scrolling)
        fit.emplace(w);
    QWidget *shown = fit ? static_cast<QWidget *>(&*fit) : &w;
    QVERIFY(!fit || fit->height() < w.height());
    shown->show();
    QApplication::setActiveWindow(shown);
    QVERIFY(QTest::qWaitForWindowActive(shown));

    QStringList expected;
    for (int k = 0; k < 8; ++k)
        expected << u"color%1"_s.arg(k);
    expected << u"SELCOL"_s << u"DOT"_s;
    for (int r = 0; r < 32; ++r)
        expected << u"DOTDATA%1"_s.arg(r);
    // Tab passes over the label and wraps after the last control.
    expected << u"Command1"_s << u"SNUM"_s << u"DDATA"_s << u"PREV"_s << u"Command2"_s
             << u"Command3"_s << u"color0"_s;

    control(w, u"color0"_s)->setFocus(Qt::TabFocusReason);
    QStringList visited {QApplication::focusWidget()->objectName()};
    while (visited.size() < expected.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const QWidget *focus = QApplication::focusWidget();
        visited << focus->objectName();
        // The window scrolls to show the control that takes the focus.
        QVERIFY(!fit || fit->viewport()->rect().contains(focus->mapTo(fit->viewport(), QPoint())));
    }
    QCOMPARE(visited, expected);
}

void WindowTest::startUp()
{
    Editor w;
    QVERIFY(Shown(w) == Shown()); // every cell 0 and black, the preview black
    QCOMPARE(w.picture().selectedColor(), 0);
    QCOMPARE(shownAt(control(w, u"SELCOL"_s)), QColor(Qt::black));
    for (int k = 0; k < 8; ++k)
        QCOMPARE(shownAt(control(w, u"color%1"_s.arg(k))), paletteShown(w, k));
    const std::pair<const char *, QString> texts[] = {
        {"Command1", u"MAKE DATA"_s},
        {"Command2", u"保存"_s},
        {"Command3", u"読込"_s},
        {"Label1", u"Start Number"_s},
        {"SNUM", u"5000"_s},
        {"DOTDATA0", {}},
        {"DOTDATA31", {}},
    };
    for (const auto &[name, text] : texts)
        QCOMPARE(control(w, QString::fromLatin1(name))->property("text").toString(), text);
    QCOMPARE(control<QPlainTextEdit>(w, u"DDATA"_s)->toPlainText(), QString());
}

void WindowTest::mouse_data()
{
    // A swatch click, then a press and a release on the grid.
    QTest::addColumn<int>("swatch");
    QTest::addColumn<QPoint>("pressAt");
    QTest::addColumn<QPoint>("releaseAt");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("painted"); // -1: none
    QTest::newRow("cell 0") << 2 << centre(0) << centre(0) << Qt::LeftButton << 0;
    QTest::newRow("cell 31") << 3 << centre(31) << centre(31) << Qt::LeftButton << 31;
    QTest::newRow("cell 32") << 5 << centre(32) << centre(32) << Qt::LeftButton << 32;
    QTest::newRow("cell 1023, system colour")
        << 7 << centre(1023) << centre(1023) << Qt::LeftButton << 1023;
    QTest::newRow("gap between the blocks")
        << 2 << QPoint(388, 10) << QPoint(388, 10) << Qt::LeftButton << -1;
    QTest::newRow("drag to the next cell") << 2 << centre(5) << centre(6) << Qt::LeftButton << -1;
    QTest::newRow("right button") << 2 << centre(5) << centre(5) << Qt::RightButton << -1;
}

void WindowTest::mouse()
{
    QFETCH(int, swatch);
    QFETCH(QPoint, pressAt);
    QFETCH(QPoint, releaseAt);
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, painted);
    Editor w;
    clickSwatch(w, swatch);
    QTest::mousePress(grid(w), button, {}, pressAt);
    QTest::mouseMove(grid(w), releaseAt);
    QTest::mouseRelease(grid(w), button, {}, releaseAt);

    QCOMPARE(w.picture().selectedColor(), swatch);
    // Then once more under another theme: only the system colour follows it.
    for (const QColor base : {w.palette().color(QPalette::Base), QColor(30, 40, 50)}) {
        QPalette palette = w.palette();
        palette.setColor(QPalette::Base, base);
        w.setPalette(palette);
        QCOMPARE(shownAt(control(w, u"SELCOL"_s)), paletteShown(w, swatch));
        Shown expected;
        if (painted >= 0)
            expected.paint(painted, swatch, paletteShown(w, swatch));
        QVERIFY(Shown(w) == expected);
    }
}

void WindowTest::clickRepaintsOnlyTheCellAndItsPixel()
{
    Editor w;
    w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&w));
    clickSwatch(w, 2);
    QApplication::processEvents();

    PaintRecorder cells(grid(w)), preview(control(w, u"PREV"_s)), selected(control(w, u"SELCOL"_s));
    clickCell(w, 33);
    QVERIFY(
        QTest::qWaitFor([&] { return !cells.painted.isEmpty() && !preview.painted.isEmpty(); }));
    QApplication::processEvents();
    QCOMPARE(cells.painted, QRegion(DotGrid::cellRect(33)));
    QCOMPARE(preview.painted, QRegion(21, 21, 1, 1));
    QCOMPARE(selected.painted, QRegion());
}

void WindowTest::makeData()
{
    Editor w;
    const QString zeros(30, u'0');
    paintCorners(w);
    press(w, u"Command1"_s);
    QCOMPARE(rowFields(w)[0], u" 5000 DATA 1"_s + zeros + u'2');
    QCOMPARE(rowFields(w)[31], u" 5310 DATA 3"_s + zeros + u'4');

    // The palette over row 0, another start number, and edits that the next click writes over.
    for (int c = 0; c < 32; ++c) {
        clickSwatch(w, c % 8);
        clickCell(w, c);
    }
    field(w, u"SNUM"_s)->setText(u"０"_s); // full-width, as an input method types it
    field(w, u"DOTDATA0"_s)->setText(u"edited"_s);
    readout(w)->setPlainText(u"edited"_s);
    press(w, u"Command1"_s);
    QCOMPARE(rowFields(w)[0], u" 0 DATA 01234567012345670123456701234567"_s);
    QCOMPARE(rowFields(w)[31], u" 310 DATA 3"_s + zeros + u'4');
    // Each statement follows a line end, so the first line is empty.
    const QString text = readout(w)->toPlainText();
    QCOMPARE(text, u'\n' + rowFields(w).join(u'\n'));
    QCOMPARE(w.messages, QStringList());

    // A start number that is no number changes no field.
    const QStringList lines = rowFields(w);
    clickCell(w, 40);
    field(w, u"SNUM"_s)->setText(u"12x"_s);
    press(w, u"Command1"_s);
    QVERIFY2(w.oneMessage(u"MAKE DATA"_s, u"「12x」"_s), qPrintable(w.messages.join(u'|')));
    QCOMPARE(rowFields(w), lines);
    QCOMPARE(readout(w)->toPlainText(), text);
}

void WindowTest::dialogSettingsAccumulate()
{
    // S save, L load, each dialog cancelled; the option bits of each dialog.
    const std::pair<QString, QList<int>> runs[] = {
        {u"SL"_s, {0x80E, 0x180E}}, {u"LS"_s, {0x180C, 0x180E}}};
    for (const auto &[commands, flags] : runs) {
        Editor w;
        paintCorners(w);
        const Shown before(w);
        QList<int> seen;
        for (QChar command : commands) {
            const bool save = command == u'S';
            press(w, save ? u"Command2"_s : u"Command3"_s);
            QCOMPARE(w.dialogs.size(), std::size_t(seen.size() + 1));
            const auto &[kind, settings] = w.dialogs.back();
            QCOMPARE(kind, save ? FileDialogKind::Save : FileDialogKind::Open);
            QCOMPARE(settings.title, save ? u"データを保存する"_s : u"開くファイルを選択下さい"_s);
            QCOMPARE(settings.initialDir, u"/"_s);
            QCOMPARE(settings.filter, kFilter);
            QCOMPARE(settings.filterIndex, save ? 2 : 1);
            seen << settings.flags;
        }
        QCOMPARE(seen, flags);
        // A cancel ends the command quietly.
        QCOMPARE(w.messages, QStringList());
        QVERIFY(Shown(w) == before);
    }
    // The file chooser gets the filter as Qt name filters, "*.*" being every file.
    const QStringList qtFilters {u"データ ファイル (*.dat *.log)"_s, u"すべてのファイル (*)"_s};
    QCOMPARE(qtNameFilters(kFilter), qtFilters);
}

void WindowTest::saveAndLoad()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"絵.dat"_s);
    // A folder cannot be replaced by a file: the save fails and the folder keeps its file.
    const QString folder = dir.filePath(u"folder.dat"_s);
    QVERIFY(QDir(dir.path()).mkdir(u"folder.dat"_s));
    const QByteArray old = QByteArray(" 5 \r\n").repeated(1024);
    writeFile(folder + u"/kept.dat"_s, old);
    Editor w;
    paintCorners(w);
    const Shown saved(w);

    w.answers = {path, folder, path};
    press(w, u"Command2"_s);
    QCOMPARE(w.messages, QStringList());
    QCOMPARE(readFile(path).size(), 5120);
    press(w, u"Command2"_s);
    QVERIFY2(w.oneMessage(u"保存"_s, folder), qPrintable(w.messages.join(u'|')));
    QCOMPARE(readFile(folder + u"/kept.dat"_s), old);
    QCOMPARE(QDir(dir.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        QStringList({u"folder.dat"_s, u"絵.dat"_s}));

    // The load undoes what was painted since the save, in the preview too.
    clickSwatch(w, 6);
    clickCell(w, 0);
    clickCell(w, 500);
    press(w, u"Command3"_s);
    QCOMPARE(w.messages.size(), 1);
    QVERIFY(Shown(w) == saved);
}

void WindowTest::load_data()
{
    QTest::addColumn<QByteArray>("content"); // null: no file at all
    QTest::addColumn<QString>("reason"); // empty: the file loads
    const QByteArray twos = QByteArray(" 2 \r\n").repeated(1023);
    QTest::newRow("missing file") << QByteArray() << u"ファイルを開けません。"_s;
    QTest::newRow("1026 records") << twos + " 2 \r\n 2 \r\n 2 \r\n" << u"レコードが多すぎます"_s;
    QTest::newRow("8 in the first cell") << " 8 \r\n" + twos << u"1 番目のレコードの値 8"_s;
    QTest::newRow("9 in the last cell") << twos + " 9 \r\n" << u"1024 番目のレコードの値 9"_s;
    QTest::newRow("9 after the cells") << twos + " 2 \r\n 9 \r\n" << QString();
}

void WindowTest::load()
{
    // A failed load names the file and changes nothing the window shows.
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    const bool loads = reason.isEmpty();
    QTemporaryDir dir;
    const QString path = dir.filePath(u"絵.dat"_s);
    if (!content.isNull())
        writeFile(path, content);
    Editor w;
    paintCorners(w);
    Shown expected(w);
    for (int n = 0; loads && n < kCells; ++n)
        expected.paint(n, 2, paletteShown(w, 2));
    expected.table[kCells] = loads ? 9 : 0;

    w.answers = {path};
    press(w, u"Command3"_s);
    QVERIFY(Shown(w) == expected);
    QVERIFY2(loads ? w.messages.isEmpty()
                   : w.oneMessage(u"読込"_s, path) && w.messages[0].contains(reason),
        qPrintable(w.messages.join(u'|')));
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
