// MAKE DATA, save and load, through the buttons, a fake file chooser and the real one.

#include "support.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QFileInfo>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>

using namespace dotdata;
using namespace dotdata::window;
using namespace dotdata::window::test;

namespace {

enum class Drawing { Blank, Row0Cycle, Corners };

void draw(const QWidget &w, Drawing drawing)
{
    if (drawing == Drawing::Row0Cycle) {
        for (int c = 0; c < 32; ++c) {
            clickSwatch(w, c % 8);
            clickCell(w, c);
        }
    } else if (drawing == Drawing::Corners) {
        for (auto [k, cell] : {std::pair{1, 0}, {2, 31}, {3, 992}, {4, 1023}}) {
            clickSwatch(w, k);
            clickCell(w, cell);
        }
    }
}

QStringList rowFields(const QWidget &w)
{
    QStringList lines;
    for (int r = 0; r < 32; ++r)
        lines << control<QLineEdit>(w, u"DOTDATA%1"_s.arg(r))->text();
    return lines;
}
QString readout(const QWidget &w) { return control<QPlainTextEdit>(w, u"DDATA"_s)->toPlainText(); }
void setStartNumber(const QWidget &w, const QString &text) { control<QLineEdit>(w, u"SNUM"_s)->setText(text); }

QByteArray records(const char *line, int count) { return QByteArray(line).repeated(count); }

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

/// All that a load changes, to compare before and after.
struct Shown {
    explicit Shown(const EditorWindow &w)
        : table(w.picture().table()), cells(shownCells(w)), previewImage(preview(w)->grab().toImage())
    {
    }
    bool operator==(const Shown &) const = default;

    Picture::Table table;
    std::vector<QColor> cells;
    QImage previewImage;
};

} // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void makeData_data();
    void makeData();
    void badStartNumberChangesNoField_data();
    void badStartNumberChangesNoField();
    void dialogSettingsAccumulate_data();
    void dialogSettingsAccumulate();
    void qtDialogFollowsTheSettings_data();
    void qtDialogFollowsTheSettings();
    void saveThenLoad();
    void loads_data();
    void loads();
    void failedLoadChangesNothing_data();
    void failedLoadChangesNothing();
    void failedSaveIsReported_data();
    void failedSaveIsReported();
};

void CommandsTest::makeData_data()
{
    QTest::addColumn<Drawing>("drawing");
    QTest::addColumn<QString>("start");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("line");
    const QString zeros(32, u'0');
    QTest::newRow("start-up, row 0") << Drawing::Blank << "5000" << 0 << u" 5000 DATA "_s + zeros;
    QTest::newRow("start-up, row 31") << Drawing::Blank << "5000" << 31 << u" 5310 DATA "_s + zeros;
    QTest::newRow("start 0, row 31") << Drawing::Blank << "0" << 31 << u" 310 DATA "_s + zeros;
    QTest::newRow("start -20, row 0") << Drawing::Blank << "-20" << 0 << u"-20 DATA "_s + zeros;
    QTest::newRow("start -20, row 2") << Drawing::Blank << "-20" << 2 << u" 0 DATA "_s + zeros;
    QTest::newRow("blanks round 100") << Drawing::Blank << "  100 " << 31 << u" 410 DATA "_s + zeros;
    QTest::newRow("palette cycle") << Drawing::Row0Cycle << "5000" << 0 << u" 5000 DATA 01234567012345670123456701234567"_s;
    QTest::newRow("corners, top") << Drawing::Corners << "5000" << 0 << u" 5000 DATA 10000000000000000000000000000002"_s;
    QTest::newRow("corners, bottom") << Drawing::Corners << "5000" << 31 << u" 5310 DATA 30000000000000000000000000000004"_s;
}

void CommandsTest::makeData()
{
    QFETCH(Drawing, drawing);
    QFETCH(QString, start);
    QFETCH(int, row);
    QFETCH(QString, line);
    FakeDialogs dialogs;
    EditorWindow w(dialogs);
    draw(w, drawing);
    setStartNumber(w, start);

    pressButton(w, u"Command1"_s);

    QCOMPARE(rowFields(w).at(row), line);
    // Each statement follows a line end, so the first line is empty. The text widget
    // keeps lines, not line-end bytes: each CR LF reads back (and copies) as "\n".
    const QString text = readout(w);
    QCOMPARE(text, u'\n' + rowFields(w).join(u'\n'));

    // A second click rewrites the user's edits with the same text.
    control<QLineEdit>(w, u"DOTDATA%1"_s.arg(row))->setText(u"edited"_s);
    control<QPlainTextEdit>(w, u"DDATA"_s)->setPlainText(u"edited"_s);
    pressButton(w, u"Command1"_s);
    QCOMPARE(rowFields(w).at(row), line);
    QCOMPARE(readout(w), text);
    QVERIFY(dialogs.errors.empty());
}

void CommandsTest::badStartNumberChangesNoField_data()
{
    QTest::addColumn<QString>("start");
    QTest::newRow("empty") << "";
    QTest::newRow("letters") << "abc";
    QTest::newRow("trailing letters") << "100x";
}

void CommandsTest::badStartNumberChangesNoField()
{
    QFETCH(QString, start);
    FakeDialogs dialogs;
    EditorWindow w(dialogs);
    pressButton(w, u"Command1"_s);
    const QStringList lines = rowFields(w);
    const QString text = readout(w);

    draw(w, Drawing::Corners);
    setStartNumber(w, start);
    pressButton(w, u"Command1"_s);

    QCOMPARE(dialogs.errors.size(), std::size_t{1});
    QCOMPARE(dialogs.errors[0].title, u"MAKE DATA"_s);
    QVERIFY(dialogs.errors[0].text.contains(u"「%1」"_s.arg(start)));
    QCOMPARE(rowFields(w), lines);
    QCOMPARE(readout(w), text);
}

void CommandsTest::dialogSettingsAccumulate_data()
{
    QTest::addColumn<QString>("commands"); // S save, L load; every dialog is cancelled
    QTest::addColumn<int>("flags");        // of the last dialog
    QTest::newRow("first save") << "S" << 0x80E;
    QTest::newRow("first load") << "L" << 0x180C;
    QTest::newRow("save after a load") << "LS" << 0x180E;
    QTest::newRow("load after a save") << "SL" << 0x180E;
    QTest::newRow("second save") << "SS" << 0x80E;
}

void CommandsTest::dialogSettingsAccumulate()
{
    QFETCH(QString, commands);
    QFETCH(int, flags);
    FakeDialogs dialogs;
    EditorWindow w(dialogs);
    draw(w, Drawing::Corners);
    const Shown before(w);

    for (QChar command : commands)
        pressButton(w, command == u'S' ? u"Command2"_s : u"Command3"_s);

    QCOMPARE(dialogs.shown.size(), std::size_t(commands.size()));
    const FakeDialogs::Shown &last = dialogs.shown.back();
    const bool save = commands.endsWith(u'S');
    QCOMPARE(last.kind, save ? FileDialogKind::Save : FileDialogKind::Open);
    QCOMPARE(last.settings.title, save ? u"データを保存する"_s : u"開くファイルを選択下さい"_s);
    QCOMPARE(last.settings.initialDir, u"/"_s);
    QCOMPARE(last.settings.fileName, QString());
    QCOMPARE(last.settings.filter, u"データ ファイル|*.dat;*.log|すべてのファイル|*.*"_s);
    QCOMPARE(last.settings.filterIndex, save ? 2 : 1);
    QCOMPARE(last.settings.flags, flags);
    // A cancel ends the command quietly.
    QVERIFY(dialogs.errors.empty());
    QVERIFY(Shown(w) == before);
}

void CommandsTest::qtDialogFollowsTheSettings_data()
{
    QTest::addColumn<FileDialogKind>("kind");
    QTest::addColumn<int>("flags");
    QTest::addColumn<int>("filterIndex");
    QTest::addColumn<bool>("confirmOverwrite");
    QTest::addColumn<bool>("mustExist");
    QTest::newRow("first save") << FileDialogKind::Save << 0x80E << 2 << true << false;
    QTest::newRow("save after a load") << FileDialogKind::Save << 0x180E << 2 << true << false;
    QTest::newRow("save without the prompt bit") << FileDialogKind::Save << 0x80C << 2 << false << false;
    QTest::newRow("load") << FileDialogKind::Open << 0x180C << 1 << true << true;
}

void CommandsTest::qtDialogFollowsTheSettings()
{
    QFETCH(FileDialogKind, kind);
    QFETCH(int, flags);
    QFETCH(int, filterIndex);
    QFETCH(bool, confirmOverwrite);
    QFETCH(bool, mustExist);
    const QStringList filters{u"データ ファイル (*.dat *.log)"_s, u"すべてのファイル (*)"_s};
    FileDialogSettings settings{u"題"_s, u"/"_s, QString(), u"データ ファイル|*.dat;*.log|すべてのファイル|*.*"_s,
                                filterIndex, flags, true};
    QTemporaryDir dir;
    const QString chosen = dir.filePath(u"new.dat"_s);
    if (mustExist)
        writeFile(chosen, "");

    // Read while the dialog runs and compared after it has closed, so that a
    // mismatch cannot leave a modal dialog open.
    QStringList seen;
    QTimer::singleShot(0, this, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        if (!dialog)
            return;
        seen << dialog->windowTitle() << dialog->directory().absolutePath() << dialog->nameFilters()
             << dialog->selectedNameFilter() << (dialog->acceptMode() == QFileDialog::AcceptSave ? u"save"_s : u"open"_s)
             << (dialog->fileMode() == QFileDialog::ExistingFile ? u"existing"_s : u"any"_s)
             << (dialog->testOption(QFileDialog::DontConfirmOverwrite) ? u"no prompt"_s : u"prompt"_s);
        dialog->selectFile(chosen);
        static_cast<QDialog *>(dialog)->accept(); // QFileDialog checks the choice here
    });
    const std::optional<QString> path = QtUserDialogs().chooseFile(nullptr, kind, settings);

    QCOMPARE(seen, QStringList({u"題"_s, u"/"_s}) + filters
                       + QStringList({filters[filterIndex - 1], kind == FileDialogKind::Save ? u"save"_s : u"open"_s,
                                      mustExist ? u"existing"_s : u"any"_s, confirmOverwrite ? u"prompt"_s : u"no prompt"_s}));
    QCOMPARE(path.value_or(QString()), chosen);
}

void CommandsTest::saveThenLoad()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(u"絵.dat"_s);
    FakeDialogs dialogs;
    EditorWindow w(dialogs);
    draw(w, Drawing::Corners);
    const Shown saved(w);

    dialogs.answers = {path, path};
    pressButton(w, u"Command2"_s);
    const QByteArray bytes = readFile(path);
    QCOMPARE(bytes.size(), 5120);
    QVERIFY(bytes.startsWith(" 1 \r\n 0 \r\n") && bytes.endsWith(" 0 \r\n 4 \r\n"));

    clickSwatch(w, 6);
    clickCell(w, 0);
    clickCell(w, 500);
    pressButton(w, u"Command3"_s);

    QVERIFY(dialogs.errors.empty());
    QCOMPARE(dialogs.shown.back().settings.fileName, QString());
    // The preview shows the loaded table too, not the cells painted since the save.
    QVERIFY(Shown(w) == saved);
    QCOMPARE(w.picture().selectedColor(), 6);
    QCOMPARE(selectedShown(w), QColor(255, 255, 0));
}

void CommandsTest::loads_data()
{
    // Before the load, cell 20 is painted blue (index 1).
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("entry");
    QTest::addColumn<int>("index");
    QTest::addColumn<QColor>("colour"); // invalid: the theme's text-entry background
    QTest::newRow("10 records, the last") << records(" 3 \r\n", 10) << 9 << 3 << QColor(192, 64, 0);
    QTest::newRow("10 records, a cell after them") << records(" 3 \r\n", 10) << 20 << 1 << QColor(0, 0, 255);
    QTest::newRow("all 7") << records(" 7 \r\n", 1024) << 1023 << 7 << QColor();
    QTest::newRow("a 9 after the cells") << records("2\n", 1024) + "9" << 1024 << 9 << QColor();
}

void CommandsTest::loads()
{
    QFETCH(QByteArray, content);
    QFETCH(int, entry);
    QFETCH(int, index);
    QFETCH(QColor, colour);
    QTemporaryDir dir;
    const QString path = dir.filePath(u"picture.log"_s);
    writeFile(path, content);
    FakeDialogs dialogs;
    EditorWindow w(dialogs);
    clickSwatch(w, 1);
    clickCell(w, 20);

    dialogs.answers = {path};
    pressButton(w, u"Command3"_s);

    QVERIFY(dialogs.errors.empty());
    QCOMPARE(w.picture().table()[static_cast<std::size_t>(entry)], index);
    if (entry < kCells) {
        const QColor expected = colour.isValid() ? colour : base(w);
        QCOMPARE(shownCells(w)[static_cast<std::size_t>(entry)], expected);
        QCOMPARE(preview(w)->image().pixelColor(20 + entry % 32, 20 + entry / 32), expected);
    }
}

void CommandsTest::failedLoadChangesNothing_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("content"); // null: no file at all
    QTest::newRow("missing file") << "missing.dat" << QByteArray();
    QTest::newRow("a folder") << "folder.dat" << QByteArray("<folder>");
    QTest::newRow("1026 records") << "long.dat" << records(" 2 \r\n", 1026);
    QTest::newRow("8 in the first record") << "eight.dat" << " 8 \r\n" + records(" 2 \r\n", 1023);
    QTest::newRow("9 in the last cell") << "nine.dat" << records(" 2 \r\n", 1023) + " 9 \r\n";
}

void CommandsTest::failedLoadChangesNothing()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, content);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (content == "<folder>")
        QVERIFY(QDir(dir.path()).mkdir(name));
    else if (!content.isNull())
        writeFile(path, content);
    FakeDialogs dialogs;
    EditorWindow w(dialogs);
    draw(w, Drawing::Corners);
    const Shown before(w);

    dialogs.answers = {path};
    pressButton(w, u"Command3"_s);

    QCOMPARE(dialogs.errors.size(), std::size_t{1});
    QCOMPARE(dialogs.errors[0].title, u"読込"_s);
    QVERIFY2(dialogs.errors[0].text.contains(path), qPrintable(dialogs.errors[0].text));
    QVERIFY(Shown(w) == before);
}

void CommandsTest::failedSaveIsReported_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("path is a folder") << "folder.dat";
    QTest::newRow("folder does not exist") << "no/such.dat";
    // The new file is written beside the old one under a longer name, so a name near
    // the length limit fails before the old file is touched.
    QTest::newRow("old file, name at the length limit") << QString(250, u'n');
}

void CommandsTest::failedSaveIsReported()
{
    QFETCH(QString, name);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    const QByteArray old = records(" 5 \r\n", 1024);
    const bool folder = name == u"folder.dat"_s;
    if (folder)
        QVERIFY(QDir(dir.path()).mkdir(name));
    else if (!name.contains(u'/'))
        writeFile(path, old);
    FakeDialogs dialogs;
    EditorWindow w(dialogs);
    draw(w, Drawing::Corners);

    dialogs.answers = {path};
    pressButton(w, u"Command2"_s);

    QCOMPARE(dialogs.errors.size(), std::size_t{1});
    QCOMPARE(dialogs.errors[0].title, u"保存"_s);
    QVERIFY2(dialogs.errors[0].text.contains(path), qPrintable(dialogs.errors[0].text));
    QCOMPARE(QFileInfo(path).isDir(), folder);
    if (!folder && !name.contains(u'/'))
        QCOMPARE(readFile(path), old);
}

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"
