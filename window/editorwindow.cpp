#include "editorwindow.h"

#include "colorbox.h"
#include "dotgrid.h"
#include "layout.h"
#include "previewbox.h"

#include "dotdata/datatext.h"
#include "dotdata/picturefile.h"

#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <optional>

namespace dotdata::window {

namespace {

constexpr ColorValue kBlack = 0x00000000;
/// The preview plots picture column c, row r at pixel (20 + c, 20 + r).
constexpr int kPreviewMargin = 20;

const QString kDialogFilter = QStringLiteral("データ ファイル|*.dat;*.log|すべてのファイル|*.*");
// "/" is the root of the main drive here, as "C:\" is on a system with drive letters.
const QString kDialogStartFolder = QStringLiteral("/");

ColorValue colorOfIndex(int index)
{
    const Result<ColorValue> value = paletteColor(index);
    // Only a loaded table could hold an index without a colour, and a load rejects it.
    return value ? value.value() : kBlack;
}

QString reasonText(const Error &error)
{
    QString reason;
    switch (error.kind) {
    case ErrorKind::CannotOpen:
        reason = QStringLiteral("ファイルを開けません。");
        break;
    case ErrorKind::CannotRead:
        reason = QStringLiteral("ファイルの読み込み中にエラーが発生しました。");
        break;
    case ErrorKind::CannotWrite:
        reason = QStringLiteral("ファイルに書き込めません。");
        break;
    case ErrorKind::NotAFile:
        reason = QStringLiteral("通常のファイルではありません。");
        break;
    case ErrorKind::TooManyRecords:
        reason = QStringLiteral("レコードが多すぎます (最大 %1 件)。").arg(kEntries);
        break;
    case ErrorKind::NotANumber:
        reason = QStringLiteral("数値ではありません。");
        break;
    case ErrorKind::IndexOutOfRange:
        reason = QStringLiteral("値が範囲外です。");
        break;
    }
    // The system's own wording of its reason follows the user's language setting.
    if (error.systemError != 0)
        reason += QLatin1Char('\n') + QString::fromLocal8Bit(std::strerror(error.systemError));
    return reason;
}

/// The first record that would give a cell an index without a palette colour.
std::optional<int> firstRecordWithoutColor(const PictureRecords &records)
{
    const int cellRecords = std::min(records.count, kCells);
    for (int i = 0; i < cellRecords; ++i) {
        if (!paletteColor(records.values[static_cast<std::size_t>(i)]))
            return i;
    }
    return std::nullopt;
}

std::filesystem::path toPath(const QString &path)
{
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

} // namespace

EditorWindow::EditorWindow(UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent), m_dialogs(dialogs)
{
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Form1"));
    setFixedSize(pixels(kClientWidthTwips), pixels(kClientHeightTwips));

    createControls();
    placeControls();
    resetPicture();
}

void EditorWindow::createControls()
{
    // Creation order is stacking order: a swatch lies over the shared border pixel
    // of the one before it, as a later cell does in the grid.
    for (int k = 0; k < kSwatches; ++k) {
        color[k] = new ColorBox(colorOfIndex(k), this);
        color[k]->setObjectName(objectNameOf("color", k));
        connect(color[k], &ColorBox::clicked, this, [this, k] { selectColor(k); });
    }

    // The selected colour box always shows the colour that painting stores.
    SELCOL = new ColorBox(colorOfIndex(m_picture.selectedColor()), this);
    SELCOL->setObjectName(QStringLiteral("SELCOL"));

    DOT = new DotGrid(this);
    DOT->setObjectName(QStringLiteral("DOT"));
    connect(DOT, &DotGrid::cellClicked, this, [this](int cell) { paintCell(cell); });

    for (int r = 0; r < kRows; ++r) {
        DOTDATA[r] = new QLineEdit(this);
        DOTDATA[r]->setObjectName(objectNameOf("DOTDATA", r));
    }

    Command1 = new QPushButton(QStringLiteral("MAKE DATA"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    connect(Command1, &QPushButton::clicked, this, [this] { makeData(); });

    SNUM = new QLineEdit(QStringLiteral("5000"), this);
    SNUM->setObjectName(QStringLiteral("SNUM"));

    Label1 = new QLabel(QStringLiteral("Start Number"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    DDATA = new QPlainTextEdit(this);
    DDATA->setObjectName(QStringLiteral("DDATA"));
    DDATA->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DDATA->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab moves on to the next control, as in every other text field of the window.
    DDATA->setTabChangesFocus(true);

    PREV = new PreviewBox(this);
    PREV->setObjectName(QStringLiteral("PREV"));

    Command2 = new QPushButton(QStringLiteral("保存"), this);
    Command2->setObjectName(QStringLiteral("Command2"));
    connect(Command2, &QPushButton::clicked, this, [this] { save(); });

    Command3 = new QPushButton(QStringLiteral("読込"), this);
    Command3->setObjectName(QStringLiteral("Command3"));
    connect(Command3, &QPushButton::clicked, this, [this] { load(); });
}

void EditorWindow::placeControls()
{
    QWidget *previous = nullptr;
    for (const Placement &placement : kLayout) {
        auto *control = findChild<QWidget *>(objectNameOf(placement), Qt::FindDirectChildrenOnly);
        Q_ASSERT(control);
        control->setGeometry(pixelRect(placement));
        // The plan lists the controls in tab order; a label takes no focus and is passed.
        if (control->focusPolicy() == Qt::NoFocus)
            continue;
        if (previous)
            setTabOrder(previous, control);
        previous = control;
    }
}

void EditorWindow::resetPicture()
{
    m_picture.reset();
    std::array<ColorValue, kCells> black{};
    black.fill(kBlack);
    DOT->setCellColors(black);
}

void EditorWindow::selectColor(int index)
{
    if (!m_picture.selectColor(index))
        return;
    SELCOL->setColorValue(colorOfIndex(index));
}

void EditorWindow::paintCell(int cell)
{
    if (!m_picture.paint(cell))
        return;
    const ColorValue value = colorOfIndex(m_picture.table()[static_cast<std::size_t>(cell)]);
    DOT->setCellColor(cell, value);
    PREV->plot(kPreviewMargin + columnOf(cell), kPreviewMargin + rowOf(cell), value);
}

void EditorWindow::showTable()
{
    std::array<ColorValue, kCells> values{};
    for (int n = 0; n < kCells; ++n) {
        values[static_cast<std::size_t>(n)] = colorOfIndex(m_picture.table()[static_cast<std::size_t>(n)]);
        PREV->plot(kPreviewMargin + columnOf(n), kPreviewMargin + rowOf(n), values[static_cast<std::size_t>(n)]);
    }
    DOT->setCellColors(values);
}

void EditorWindow::makeData()
{
    // Full-width digits, as a Japanese input method types them, are taken as digits.
    const QString start = SNUM->text().normalized(QString::NormalizationForm_KC);
    const Result<RowLines> lines = makeRowLines(m_picture.table(), start.toStdString());
    if (!lines) {
        m_dialogs.showError(this, QStringLiteral("MAKE DATA"),
                            QStringLiteral("開始番号「%1」は数値ではありません。\n数値を入力してください。")
                                .arg(SNUM->text()));
        return;
    }
    for (int r = 0; r < kRows; ++r) {
        DOTDATA[r]->setText(QString::fromStdString(lines.value()[static_cast<std::size_t>(r)]));
        // A line is longer than its field; show where it begins, with the line number.
        DOTDATA[r]->setCursorPosition(0);
    }
    // The text widget keeps lines, not line-end bytes: each CR LF becomes a line break
    // and a copy carries the desktop's own line end.
    DDATA->setPlainText(QString::fromStdString(joinLines(lines.value())));
}

std::optional<QString> EditorWindow::chooseFile(FileDialogKind kind, const QString &title, int filterIndex,
                                                std::initializer_list<int> flags)
{
    CommonDialog1.title = title;
    CommonDialog1.initialDir = kDialogStartFolder;
    CommonDialog1.fileName.clear();
    CommonDialog1.filter = kDialogFilter;
    CommonDialog1.filterIndex = filterIndex;
    // The one dialog object keeps its option bits from earlier uses; they are only added.
    for (const int flag : flags)
        CommonDialog1.flags |= flag;
    CommonDialog1.cancelError = true;

    const std::optional<QString> path = m_dialogs.chooseFile(this, kind, CommonDialog1);
    if (path)
        CommonDialog1.fileName = *path;
    return path;
}

void EditorWindow::save()
{
    const std::optional<QString> path =
        chooseFile(FileDialogKind::Save, QStringLiteral("データを保存する"), 2,
                   {DialogFlag::NoChangeDir, DialogFlag::OverwritePrompt, DialogFlag::PathMustExist,
                    DialogFlag::HideReadOnly});
    if (!path)
        return;

    const Status written = writePictureFile(toPath(*path), m_picture.table());
    if (!written) {
        m_dialogs.showError(this, QStringLiteral("保存"),
                            QStringLiteral("ファイルを保存できません: %1\n%2")
                                .arg(QDir::toNativeSeparators(*path), reasonText(written.error())));
    }
}

void EditorWindow::load()
{
    const std::optional<QString> path =
        chooseFile(FileDialogKind::Open, QStringLiteral("開くファイルを選択下さい"), 1,
                   {DialogFlag::FileMustExist, DialogFlag::PathMustExist, DialogFlag::NoChangeDir,
                    DialogFlag::HideReadOnly});
    if (!path)
        return;

    const auto fail = [&](const QString &reason) {
        m_dialogs.showError(this, QStringLiteral("読込"),
                            QStringLiteral("ファイルを読み込めません: %1\n%2")
                                .arg(QDir::toNativeSeparators(*path), reason));
    };
    // The whole file is read and checked before the table changes, so a bad file
    // leaves the picture, the grid and the preview as they were.
    const Result<PictureRecords> records = readPictureFile(toPath(*path));
    if (!records) {
        fail(reasonText(records.error()));
        return;
    }
    if (const std::optional<int> bad = firstRecordWithoutColor(records.value())) {
        const auto value = records.value().values[static_cast<std::size_t>(*bad)];
        fail(QStringLiteral("%1 番目のレコードの値 %2 に対応する色がありません (使える値は 0 から 7)。")
                 .arg(*bad + 1)
                 .arg(value));
        return;
    }
    records.value().applyTo(m_picture);
    showTable();
}

} // namespace dotdata::window
