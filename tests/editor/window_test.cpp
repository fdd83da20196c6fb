// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// The window through its controls: the layout, painting with the mouse, MAKE DATA,
// and save and load through a fake file chooser.

#include "dotgrid.h"
#include "editorwindow.h"
#include "screenfit.h"
#include "words.h"

#include "dotdata/picturefile.h"

#include <QApplication>
#include <QBuffer>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include <sys/stat.h>

using namespace dotdata;
using namespace dotdata::editor;
using namespace Qt::StringLiterals;

namespace {

QPoint centre(int cell)
{
    return DotGrid::cellRect(cell).center();
}

/// Answers the file chooser with queued paths (a cancel when none is left) and
/// records every dialog it was shown and every message as "title: text".
struct FakeDialogs : UserDialogs
{
    std::optional<QString> chooseFile(QWidget *, const FileRequest &request) override
    {
        dialogs.push_back(request);
        return answers.isEmpty() ? std::nullopt : std::optional(answers.takeFirst());
    }
    void showError(QWidget *, const QString &title, const QString &t) override
    {
        messages << title + u": "_s + t;
    }
    SaveAnswer askToSave(QWidget *, const SaveQuestion &q) override
    {
        questions << QStringList {q.title, q.text, q.save, q.discard, q.cancel}.join(u'|');
        return saveAnswer;
    }

    QStringList answers;
    SaveAnswer saveAnswer = SaveAnswer::Cancel;
    QStringList questions;
    std::vector<FileRequest> dialogs;
    QStringList messages;
};

/// The window with its fake dialogs, and short ways to reach and click its controls.
struct Editor
{
    FakeDialogs fake;
    EditorWindow w {fake};

    QWidget *control(const QString &name) const { return w.findChild<QWidget *>(name); }
    DotGrid *grid() const { return static_cast<DotGrid *>(control(u"DOT"_s)); }
    void press(const QString &name) const { QTest::mouseClick(control(name), Qt::LeftButton); }
    void clickCell(int cell) const { QTest::mouseClick(grid(), Qt::LeftButton, {}, centre(cell)); }
    QString readout() const { return control(u"DDATA"_s)->property("plainText").toString(); }
    QStringList rowFields() const
    {
        QStringList lines;
        for (int r = 0; r < 32; ++r)
            lines << control(u"DOTDATA%1"_s.arg(r))->property("text").toString();
        return lines;
    }
    /// Blue, red, brown and green in the four corner cells.
    void paintCorners() const
    {
        for (auto [k, cell] : {std::pair {1, 0}, {2, 31}, {3, 992}, {4, 1023}}) {
            press(u"color%1"_s.arg(k));
            clickCell(cell);
        }
    }
    /// Palette index k as the window shows it; 7 is the theme's text-entry background.
    QColor shown(int k) const
    {
        static const QColor fixed[] = {{0, 0, 0}, {0, 0, 255}, {255, 0, 0}, {192, 64, 0},
            {0, 128, 0}, {0, 255, 255}, {255, 255, 0}};
        return k == 7 ? w.palette().color(QPalette::Base) : fixed[k];
    }
};

/// The table and what the grid and the preview show of it; by default the start-up picture.
struct Shown
{
    Picture::Table table {};
    std::vector<QColor> cells = std::vector<QColor>(kCells, QColor(Qt::black));
    QImage preview = QImage(97, 97, QImage::Format_RGB32);

    Shown() { preview.fill(Qt::black); }
    explicit Shown(const Editor &e) : table(e.w.picture().table())
    {
        const QImage image = e.grid()->grab().toImage();
        for (int n = 0; n < kCells; ++n)
            cells[std::size_t(n)] = image.pixelColor(DotGrid::cellRect(n).center());
        preview = e.control(u"PREV"_s)->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    void paint(int cell, int index, QColor colour)
    {
        table[std::size_t(cell)] = std::int16_t(index);
        cells[std::size_t(cell)] = colour;
        preview.setPixelColor(20 + cell % 32, 20 + cell / 32, colour);
    }
    bool operator==(const Shown &) const = default;
};

/// The area of a widget painted since it was made.
struct Repainted : QObject
{
    explicit Repainted(QWidget *widget) : m_widget(widget) { widget->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            m_region += static_cast<QPaintEvent *>(event)->region();
        return false;
    }
    bool all() const { return m_region.contains(m_widget->rect()); }

    QWidget *m_widget;
    QRegion m_region;
};

/// One of the two screens side by side that the test runs on (screens.json).
QScreen *screenNamed(const QString &name)
{
    const QList<QScreen *> screens = QGuiApplication::screens();
    const auto named = std::ranges::find(screens, name, &QScreen::name);
    return named == screens.end() ? nullptr : *named;
}

/// Rows of 2s as lines of a listing, numbered 10, 20 ...
QByteArray dataLines(int count)
{
    QByteArray lines;
    for (int r = 1; r <= count; ++r)
        lines += QByteArray::number(10 * r) + " DATA " + QByteArray(32, '2') + '\n';
    return lines;
}

QColor shownAt(QWidget *widget)
{
    return widget->grab().toImage().pixelColor(20, 20);
}

} // namespace

class WindowTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase();
    void texts();
    void layout();
    void tabOrder();
    void screens();
    void mouse_data();
    void mouse();
    void makeData();
    void saveAndLoad();
    void load_data();
    void load();
    void close_data();
    void close();
    void askToSave_data();
    void askToSave();
};

void WindowTest::initTestCase()
{
    // As the program does: the window speaks Japanese whatever the desktop's language.
    words::useJapanese();
}

void WindowTest::texts()
{
    Editor e;
    QCOMPARE(e.w.windowTitle(), u"Form1"_s);
    for (auto [name, caption] : {std::pair {"Command1", u"MAKE DATA"_s}, {"Command2", u"保存"_s},
             {"Command3", u"読込"_s}, {"Label1", u"Start Number"_s}, {"SNUM", u"5000"_s}})
        QCOMPARE(e.control(QString::fromLatin1(name))->property("text").toString(), caption);
    // Qt's own dialog texts are Japanese too: the file dialog's and the overwrite question.
    QCOMPARE(QCoreApplication::translate("QFileDialog", "Look in:"), u"アドレス:"_s);
    QCOMPARE(QCoreApplication::translate(
                 "QFileDialog", "%1 already exists.\nDo you want to replace it?"),
        u"%1 は既に存在します。\n置き換えますか?"_s);
}

void WindowTest::layout()
{
    Editor e;
    QCOMPARE(e.w.size(), QSize(1506, 921));
    // Twips to pixels, and the gap after row 15: left, top, width, height in twips.
    for (auto [name, x, y, width, height] :
        {std::tuple {"DOT", 240, 120, 11655, 11655}, {"DOTDATA16", 12000, 6000, 4215, 375},
            {"color7", 4440, 12600, 615, 615}, {"PREV", 16680, 10440, 1455, 1455}}) {
        QCOMPARE(e.control(QString::fromLatin1(name))->geometry(),
            QRect(x / 15, y / 15, width / 15, height / 15));
    }
    // Cells by the top-left corner in twips: 25 px at a 24 px pitch, the gaps after
    // cells 15 and 511.
    const QPoint origin = e.grid()->pos();
    for (auto [cell, x, y] :
        {std::tuple {0, 240, 120}, {16, 6120, 120}, {512, 240, 6000}, {1023, 11520, 11400}})
        QCOMPARE(DotGrid::cellRect(cell).translated(origin), QRect(x / 15, y / 15, 25, 25));
    // The border line of the grid's last column and row, and of a block's first cell.
    const QImage grid = e.grid()->grab().toImage();
    for (const QRect cell : {DotGrid::cellRect(31), DotGrid::cellRect(1023), DotGrid::cellRect(16)})
        for (const QPoint at :
            {cell.topLeft(), cell.bottomRight(), QPoint(cell.right(), cell.top() + 9)})
            QCOMPARE(grid.pixel(at), e.grid()->palette().color(QPalette::Mid).rgb());
    // Window points: a shared border pixel belongs to the later cell; the gaps to none.
    for (auto [x, y, cell] :
        {std::tuple {16, 8, 0}, {40, 20, 1}, {20, 32, 32}, {400, 20, 15}, {401, 20, -1},
            {407, 20, -1}, {408, 20, 16}, {20, 395, -1}, {792, 784, 1023}, {793, 784, -1}})
        QCOMPARE(DotGrid::cellAt(QPoint(x, y) - origin).value_or(-1), cell);
}

void WindowTest::tabOrder()
{
    // In a window smaller than the editor (on the 800 x 800 screen), which scrolls to
    // show the control that takes the focus.
    Editor e;
    ScreenFit fit(e.w);
    fit.move(screenNamed(u"small"_s)->geometry().topLeft());
    fit.show();
    QVERIFY(fit.height() < e.w.height());
    QApplication::setActiveWindow(&fit);
    QVERIFY(QTest::qWaitForWindowActive(&fit));

    QStringList expected;
    for (int k = 0; k < 8; ++k)
        expected << u"color%1"_s.arg(k);
    expected << u"SELCOL"_s << u"DOT"_s;
    for (int r = 0; r < 32; ++r)
        expected << u"DOTDATA%1"_s.arg(r);
    // Tab passes over the label and wraps after the last control.
    expected += u"Command1 SNUM DDATA PREV Command2 Command3 color0"_s.split(u' ');
    e.control(u"color0"_s)->setFocus(Qt::TabFocusReason);
    QStringList visited {u"color0"_s};
    while (visited.size() < expected.size()) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        const QWidget *focus = QApplication::focusWidget();
        visited << focus->objectName();
        QVERIFY(fit.viewport()->rect().contains(focus->mapTo(fit.viewport(), QPoint())));
    }
    QCOMPARE(visited, expected);
}

void WindowTest::screens()
{
    // The window is the editor's own size where the screen holds it, even where the
    // screen just holds it and its frame, and refits as it moves to one that does not.
    Editor e;
    ScreenFit fit(e.w);
    QScreen *small = screenNamed(u"small"_s);
    fit.show();
    QVERIFY(QTest::qWaitForWindowExposed(&fit));
    for (const QString &name : {u"just wide enough"_s, u"small"_s, u"just tall enough"_s}) {
        QScreen *screen = screenNamed(name);
        fit.move(screen->geometry().topLeft());
        QTRY_COMPARE(fit.screen(), screen);
        if (screen == small)
            QVERIFY(fit.height() < e.w.height()
                && small->availableGeometry().contains(fit.frameGeometry()));
        else
            QCOMPARE(fit.size(), e.w.size());
    }
    // The DATA read-out shows its scroll bar before it holds any text.
    QVERIFY(e.w.findChild<QPlainTextEdit *>(u"DDATA"_s)->verticalScrollBar()->isVisible());
}

void WindowTest::mouse_data()
{
    // A swatch click, then a press and a release on the grid: the cell painted, or -1.
    QTest::addColumn<int>("swatch");
    QTest::addColumn<QPoint>("press");
    QTest::addColumn<QPoint>("release");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<int>("painted");
    QTest::newRow("first cell") << 2 << centre(0) << centre(0) << Qt::LeftButton << 0;
    QTest::newRow("end of the first row") << 3 << centre(31) << centre(31) << Qt::LeftButton << 31;
    QTest::newRow("second row") << 5 << centre(32) << centre(32) << Qt::LeftButton << 32;
    QTest::newRow("the system colour")
        << 7 << centre(1023) << centre(1023) << Qt::LeftButton << 1023;
    QTest::newRow("the gap between the blocks")
        << 2 << QPoint(388, 10) << QPoint(388, 10) << Qt::LeftButton << -1;
    QTest::newRow("a drag to the next cell") << 2 << centre(5) << centre(6) << Qt::LeftButton << -1;
    QTest::newRow("the right button") << 2 << centre(5) << centre(5) << Qt::RightButton << -1;
}

void WindowTest::mouse()
{
    QFETCH(int, swatch);
    QFETCH(QPoint, press);
    QFETCH(QPoint, release);
    QFETCH(Qt::MouseButton, button);
    QFETCH(int, painted);
    Editor e;
    QCOMPARE(shownAt(e.control(u"SELCOL"_s)), QColor(Qt::black));
    QVERIFY(Shown(e) == Shown()); // the start-up picture: every cell 0 and black
    e.press(u"color%1"_s.arg(swatch));
    QTest::mousePress(e.grid(), button, {}, press);
    QTest::mouseMove(e.grid(), release);
    QTest::mouseRelease(e.grid(), button, {}, release);

    QCOMPARE(e.w.picture().selectedColor(), swatch);
    // Then once more under another theme: only the system colour follows it.
    for (const QColor base : {e.w.palette().color(QPalette::Base), QColor(30, 40, 50)}) {
        QPalette palette = e.w.palette();
        palette.setColor(QPalette::Base, base);
        e.w.setPalette(palette);
        QCOMPARE(shownAt(e.control(u"color%1"_s.arg(swatch))), e.shown(swatch));
        QCOMPARE(shownAt(e.control(u"SELCOL"_s)), e.shown(swatch));
        Shown expected;
        if (painted >= 0)
            expected.paint(painted, swatch, e.shown(swatch));
        QVERIFY2(Shown(e) == expected, qPrintable(u"cell %1"_s.arg(painted)));
    }
}

void WindowTest::makeData()
{
    Editor e;
    const QString zeros(30, u'0');
    e.paintCorners();
    e.press(u"Command1"_s);
    QCOMPARE(e.rowFields()[0], u" 5000 DATA 1"_s + zeros + u'2');
    // A line is longer than its field, which shows its start, the line number.
    for (int r = 0; r < 32; ++r)
        QCOMPARE(static_cast<QLineEdit *>(e.control(u"DOTDATA%1"_s.arg(r)))->cursorPosition(), 0);
    QCOMPARE(e.rowFields()[31], u" 5310 DATA 3"_s + zeros + u'4');
    // Each statement follows a line end, so the first line is empty.
    QCOMPARE(e.readout(), u'\n' + e.rowFields().join(u'\n'));

    // Another start number, and edits that the next click writes over.
    auto *start = static_cast<QLineEdit *>(e.control(u"SNUM"_s));
    start->setText(u"０"_s); // full-width, as an input method types it
    static_cast<QLineEdit *>(e.control(u"DOTDATA31"_s))->setText(u"edited"_s);
    e.press(u"Command1"_s);
    QCOMPARE(e.rowFields()[31], u" 310 DATA 3"_s + zeros + u'4');
    QCOMPARE(e.fake.messages, QStringList());

    // A start number that is no number changes no field.
    const QStringList lines = e.rowFields();
    const QString text = e.readout();
    e.clickCell(40);
    start->setText(u"１２x"_s);
    e.press(u"Command1"_s);
    QCOMPARE(e.fake.messages,
        QStringList(u"MAKE DATA: 開始番号「１２x」は数値ではありません。\n"
                    u"数値を入力してください。"_s));
    QCOMPARE(e.rowFields(), lines);
    QCOMPARE(e.readout(), text);
}

void WindowTest::saveAndLoad()
{
    // Each dialog cancelled: the command ends quietly and changes nothing.
    Editor e;
    e.paintCorners();
    const Shown saved(e);
    e.press(u"Command2"_s);
    e.press(u"Command3"_s);
    QCOMPARE(e.fake.messages, QStringList());
    QVERIFY(Shown(e) == saved);
    QCOMPARE(e.fake.dialogs.size(), 2u);
    const FileRequest &save = e.fake.dialogs[0], &open = e.fake.dialogs[1];
    QVERIFY(save.mode == QFileDialog::AcceptSave && open.mode == QFileDialog::AcceptOpen);
    QCOMPARE(save.title, u"データを保存する"_s);
    QCOMPARE(open.title, u"開くファイルを選択下さい"_s);
    QVERIFY(save.folder == u"/"_s && open.folder == u"/"_s);
    const QStringList filters = {u"データ ファイル (*.dat *.log)"_s, u"すべてのファイル (*)"_s};
    QVERIFY(save.filters == filters && open.filters == filters);
    QVERIFY(save.selectedFilter == filters[1] && open.selectedFilter == filters[0]);
    // As the desktop's dialog shows them.
    for (const FileRequest &request : {save, open}) {
        QFileDialog dialog;
        setUpFileDialog(dialog, request);
        const bool saving = request.mode == QFileDialog::AcceptSave;
        QVERIFY(dialog.windowTitle() == request.title && dialog.directory() == QDir(u"/"_s));
        QVERIFY(dialog.fileMode() == (saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile));
        QVERIFY(dialog.acceptMode() == request.mode
            && !dialog.testOption(QFileDialog::DontConfirmOverwrite));
        QVERIFY(dialog.nameFilters() == filters
            && dialog.selectedNameFilter() == request.selectedFilter);
    }

    // A save, a save over a folder that fails and names it, and a load that undoes what
    // was painted since the save, in the preview too.
    QTemporaryDir dir;
    const QString path = dir.filePath(u"絵.dat"_s), folder = dir.filePath(u"folder.dat"_s),
                  fifo = dir.filePath(u"fi\nfo"_s);
    QVERIFY(QDir(dir.path()).mkdir(u"folder.dat"_s) && ::mkfifo(qPrintable(fifo), 0600) == 0);
    e.fake.answers = {path, folder, fifo, fifo, path};
    e.press(u"Command2"_s);
    QCOMPARE(QFileInfo(path).size(), 5120);
    e.press(u"Command2"_s);
    e.press(u"Command2"_s); // a FIFO is neither saved to nor read, and nothing waits on it
    e.press(u"Command3"_s);
    QCOMPARE(e.fake.messages.size(), 3);
    QCOMPARE(e.fake.messages[0],
        u"保存: ファイルを保存できません: "_s + folder + u"\nファイルを置き換えられません。\n"_s
            + QString::fromLocal8Bit(std::strerror(EISDIR)));
    // A name holding a line end is shown quoted, on one line.
    const QString shownFifo = u"'"_s + dir.path() + u"/fi'$'\\n''fo'"_s;
    QCOMPARE(e.fake.messages[1],
        u"保存: ファイルを保存できません: "_s + shownFifo + u"\n通常のファイルではありません。"_s);
    QCOMPARE(e.fake.messages[2],
        u"読込: ファイルを読み込めません: "_s + shownFifo + u"\n通常のファイルではありません。"_s);
    e.press(u"color6"_s);
    e.clickCell(0);
    e.clickCell(500);
    // On the screen, the grid and the preview are drawn anew after the load.
    e.w.show();
    QVERIFY(QTest::qWaitForWindowExposed(&e.w));
    QCoreApplication::processEvents();
    Repainted grid(e.grid()), preview(e.control(u"PREV"_s));
    e.press(u"Command3"_s);
    QTRY_VERIFY(grid.all() && preview.all());
    QVERIFY(Shown(e) == saved);
}

void WindowTest::load_data()
{
    // The file's content, and the reason the window gives, or none when it loads: a row
    // for each way a file is read; each reason's wording is words_test's.
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    const QByteArray twos = QByteArray(" 2 \r\n").repeated(1023);
    QImage red(32, 32, QImage::Format_RGB32);
    red.fill(Qt::red);
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    red.save(&png, "png");
    const QString system = QString::fromLocal8Bit(std::strerror(ENOENT));
    // clang-format off
    QTest::newRow("no file at all") << QByteArray() << u"ファイルを開けません。\n"_s + system;
    QTest::newRow("too many records") << twos + " 2 \r\n 2 \r\n 2 \r\n" << u"レコードが多すぎます (最大 1025 件)。"_s;
    QTest::newRow("a first record without a colour") << " 8 \r\n" + twos
        << u"1 番目のレコードの値 8 に対応する色がありません (使える値は 0 から 7)。"_s;
    QTest::newRow("a last cell without a colour") << twos + " 9 \r\n"
        << u"1024 番目のレコードの値 9 に対応する色がありません (使える値は 0 から 7)。"_s;
    QTest::newRow("a PNG cut short") << png.data().chopped(20) << u"PNG 画像が途中で切れています。"_s;
    QTest::newRow("a sheet of two") << "P1 64 32\n" + QByteArray("0 ").repeated(2048) << u"2 枚の絵があります。"_s;
    QTest::newRow("a 9 that belongs to no cell") << twos + " 2 \r\n 9 \r\n" << QString();
    QTest::newRow("ten records") << QByteArray(" 2 \r\n").repeated(10) << QString(); // the other cells keep theirs
    QTest::newRow("two pictures") << dataLines(64) << u"2 枚の絵の DATA があります (最初の行番号: 10、330)。"_s;
    // clang-format on
}

void WindowTest::load()
{
    // A failed load names the file and changes nothing the window shows.
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"絵.dat"_s);
    QFile file(path);
    QVERIFY(content.isNull() || (file.open(QIODevice::WriteOnly) && file.write(content) > 0));
    file.close();
    Editor e;
    e.paintCorners();
    Shown expected(e);
    const int records = reason.isEmpty() ? int(content.count("\r\n")) : 0;
    for (int n = 0; n < std::min(records, kCells); ++n)
        expected.paint(n, 2, e.shown(2));
    expected.table[kCells] = records > kCells ? 9 : 0;

    e.fake.answers = {path};
    e.press(u"Command3"_s);
    QVERIFY(Shown(e) == expected);
    if (reason.isEmpty())
        QCOMPARE(e.fake.messages, QStringList());
    else
        QCOMPARE(e.fake.messages,
            QStringList(u"読込: ファイルを読み込めません: "_s + path + u'\n' + reason));
}

void WindowTest::close_data()
{
    // What is done before the window is closed: "paint" paints cell 0 blue and "unpaint"
    // black again; "save" and "load" are the commands with a file chosen, "badload" a load
    // that fails. Then how the question is answered, and what the save dialog answers if
    // the close saves: a new file, a folder (the save fails) or a cancel.
    QTest::addColumn<QString>("before");
    QTest::addColumn<SaveAnswer>("answer");
    QTest::addColumn<QString>("saveTo");
    QTest::addColumn<bool>("asks");
    QTest::addColumn<bool>("closes");
    const auto save = SaveAnswer::Save, discard = SaveAnswer::Discard, cancel = SaveAnswer::Cancel;
    // clang-format off
    QTest::newRow("unchanged") << u""_s << cancel << u""_s << false << true;
    QTest::newRow("changed, discard") << u"paint"_s << discard << u""_s << true << true;
    QTest::newRow("changed, cancel") << u"paint"_s << cancel << u""_s << true << false;
    QTest::newRow("changed, save") << u"paint"_s << save << u"file"_s << true << true;
    QTest::newRow("changed, save cancelled") << u"paint"_s << save << u""_s << true << false;
    QTest::newRow("changed, save fails") << u"paint"_s << save << u"folder"_s << true << false;
    QTest::newRow("changed, saved") << u"paint save"_s << cancel << u""_s << false << true;
    QTest::newRow("changed, loaded") << u"paint load"_s << cancel << u""_s << false << true;
    QTest::newRow("changed, load failed") << u"paint badload"_s << cancel << u""_s << true << false;
    QTest::newRow("saved, changed") << u"save paint"_s << cancel << u""_s << true << false;
    QTest::newRow("changed back") << u"paint unpaint"_s << cancel << u""_s << false << true;
    QTest::newRow("loaded, changed back") << u"load paint unpaint"_s << cancel << u""_s << true << false;
    // clang-format on
}

void WindowTest::close()
{
    QFETCH(QString, before);
    QFETCH(SaveAnswer, answer);
    QFETCH(QString, saveTo);
    QFETCH(bool, asks);
    QFETCH(bool, closes);
    QTemporaryDir dir;
    const QString saved = dir.filePath(u"saved.dat"_s), closing = dir.filePath(u"closing.dat"_s),
                  loaded = dir.filePath(u"loaded.dat"_s);
    Picture::Table threes {};
    threes.fill(3);
    QFile file(loaded);
    QVERIFY(file.open(QIODevice::WriteOnly)
        && file.write(QByteArray::fromStdString(pictureFileText(threes))) == 5120);
    file.close();
    QVERIFY(QDir(dir.path()).mkdir(u"folder"_s));

    // Closed as the program's window is, and as the editor alone.
    for (const bool fitted : {false, true}) {
        Editor e;
        QFile::remove(closing);
        for (const QString &step : before.split(u' ', Qt::SkipEmptyParts)) {
            if (step == u"paint"_s || step == u"unpaint"_s) {
                e.press(step == u"paint"_s ? u"color1"_s : u"color0"_s);
                e.clickCell(0);
            } else {
                const bool saving = step == u"save"_s;
                e.fake.answers = {saving ? saved : step == u"load"_s ? loaded : closing};
                e.press(saving ? u"Command2"_s : u"Command3"_s);
            }
        }
        e.fake.messages.clear();
        e.fake.saveAnswer = answer;
        e.fake.answers.clear();
        if (saveTo == u"file"_s)
            e.fake.answers = {closing};
        else if (saveTo == u"folder"_s)
            e.fake.answers = {dir.filePath(u"folder"_s)};
        const auto dialogs = e.fake.dialogs.size();

        ScreenFit fit(e.w);
        const bool closed = fitted ? fit.close() : e.w.close();
        QCOMPARE(closed, closes);
        QCOMPARE(e.fake.questions,
            asks ? QStringList(
                u"Form1|絵が変更されています。\n閉じる前に保存しますか？|保存する(&S)|保存しない(&N)|キャンセル"_s)
                 : QStringList());
        // Only the answer Save opens the save dialog, the window's own.
        const bool saving = asks && answer == SaveAnswer::Save;
        QCOMPARE(e.fake.dialogs.size(), dialogs + (saving ? 1 : 0));
        if (saving)
            QCOMPARE(e.fake.dialogs.back().title, u"データを保存する"_s);
        QCOMPARE(e.fake.messages.size(), saveTo == u"folder"_s ? 1 : 0);
        // The file saved on closing holds the picture as it was closed.
        QFile written(closing);
        QCOMPARE(written.exists(), saving && closed);
        if (written.exists()) {
            QVERIFY(written.open(QIODevice::ReadOnly));
            QCOMPARE(written.readAll(),
                QByteArray::fromStdString(pictureFileText(e.w.picture().table())));
            QCOMPARE(e.w.picture().entry(0), 1);
        }
    }
}

void WindowTest::askToSave_data()
{
    QTest::addColumn<int>("key"); // none: the question is closed
    QTest::addColumn<SaveAnswer>("answer");
    QTest::newRow("Return") << int(Qt::Key_Return) << SaveAnswer::Save;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << SaveAnswer::Cancel;
    QTest::newRow("closed") << 0 << SaveAnswer::Cancel;
}

// The desktop's question itself, answered from the keyboard or closed.
void WindowTest::askToSave()
{
    QFETCH(int, key);
    QFETCH(SaveAnswer, answer);
    QTimer::singleShot(0, [key] {
        QWidget *question = QApplication::activeModalWidget();
        key ? QTest::keyClick(question, Qt::Key(key)) : void(question->close());
    });
    QtUserDialogs dialogs;
    QCOMPARE(dialogs.askToSave(nullptr, {u"t"_s, u"?"_s, u"s"_s, u"n"_s, u"c"_s}), answer);
}

QTEST_MAIN(WindowTest)
#include "window_test.moc"
