// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "editorwindow.h"

#include "dotgrid.h"
#include "layout.h"
#include "picturebox.h"
#include "pictureio.h"

#include "dotdata/datatext.h"
#include "dotdata/picturefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include <cstring>

namespace dotdata::window {

namespace {

// Every text the window shows. The captions, titles and messages are Japanese by
// design, but for the two English labels.
namespace texts {
constexpr char kForm1[] = QT_TRANSLATE_NOOP("EditorWindow", "Form1");
constexpr char kMakeData[] = QT_TRANSLATE_NOOP("EditorWindow", "MAKE DATA");
constexpr char kStartNumber[] = QT_TRANSLATE_NOOP("EditorWindow", "5000");
constexpr char kStartNumberLabel[] = QT_TRANSLATE_NOOP("EditorWindow", "Start Number");
constexpr char kSave[] = QT_TRANSLATE_NOOP("EditorWindow", "保存");
constexpr char kLoad[] = QT_TRANSLATE_NOOP("EditorWindow", "読込");
constexpr char kSaveTitle[] = QT_TRANSLATE_NOOP("EditorWindow", "データを保存する");
constexpr char kLoadTitle[] = QT_TRANSLATE_NOOP("EditorWindow", "開くファイルを選択下さい");
constexpr char kFilter[] = QT_TRANSLATE_NOOP(
    "EditorWindow", "データ ファイル|*.dat;*.log|すべてのファイル|*.*");
constexpr char kBadStartNumber[] = QT_TRANSLATE_NOOP("EditorWindow", "開始番号「%1」は%2");
constexpr char kCannotSave[] = QT_TRANSLATE_NOOP(
    "EditorWindow", "ファイルを保存できません: %1\n%2");
constexpr char kCannotLoad[] = QT_TRANSLATE_NOOP(
    "EditorWindow", "ファイルを読み込めません: %1\n%2");
constexpr char kNoColor[] = QT_TRANSLATE_NOOP(
    "EditorWindow", "%1 番目のレコードの値 %2 に対応する色がありません (使える値は 0 から 7)。");
constexpr char kBinaryData[] = QT_TRANSLATE_NOOP(
    "EditorWindow", "画像でも文字でもないバイナリ データです。");
constexpr char kTooFewDataLines[] = QT_TRANSLATE_NOOP(
    "EditorWindow", "DATA 行が %1 行しかありません (32 行必要です)。");
constexpr char kTooManyDataLines[] = QT_TRANSLATE_NOOP(
    "EditorWindow", "%1 行目は 33 行目の DATA 行です (32 行までです)。");
constexpr char kDataLineLength[] = QT_TRANSLATE_NOOP(
    "EditorWindow", "%1 行目の DATA の数字が %2 桁です (32 桁必要です)。");
constexpr char kDataDigit[] = QT_TRANSLATE_NOOP(
    "EditorWindow", "%1 行目の DATA の数字 %2 に対応する色がありません (使える数字は 0 から 7)。");
constexpr char kNotAnImage[] = QT_TRANSLATE_NOOP("EditorWindow", "画像を読み込めません。");
constexpr char kImageSize[] = QT_TRANSLATE_NOOP("EditorWindow",
    "画像の大きさが %1 × %2 です (32 × 32 か、--scale "
    "で指定した倍率の大きさでなければなりません)。");
constexpr char kImageBlock[] = QT_TRANSLATE_NOOP(
    "EditorWindow", "%1 列 %2 行のブロックが一色ではありません。");
constexpr char kCannotOpen[] = QT_TRANSLATE_NOOP("EditorWindow", "ファイルを開けません。");
constexpr char kCannotRead[] = QT_TRANSLATE_NOOP(
    "EditorWindow", "ファイルの読み込み中にエラーが発生しました。");
constexpr char kCannotWrite[] = QT_TRANSLATE_NOOP("EditorWindow", "ファイルに書き込めません。");
constexpr char kNotAFile[] = QT_TRANSLATE_NOOP("EditorWindow", "通常のファイルではありません。");
constexpr char kTooManyRecords[] = QT_TRANSLATE_NOOP(
    "EditorWindow", "レコードが多すぎます (最大 %1 件)。");
constexpr char kTooLarge[] = QT_TRANSLATE_NOOP(
    "EditorWindow", "ファイルが大きすぎます (最大 %1 MiB)。\n絵のファイルは 5120 バイトです。");
constexpr char kWideText[] = QT_TRANSLATE_NOOP("EditorWindow",
    "UTF-16 か UTF-32 のファイルです。\nASCII か UTF-8 のファイルを選んでください。");
constexpr char kNotANumber[] = QT_TRANSLATE_NOOP(
    "EditorWindow", "数値ではありません。\n数値を入力してください。");
constexpr char kLineNumbersRepeat[] = QT_TRANSLATE_NOOP("EditorWindow",
    "桁数が多すぎて、32 行の行番号が重複します。\n桁数の少ない数値を入力してください。");
} // namespace texts

QString text(const char *source)
{
    return QCoreApplication::translate("EditorWindow", source);
}

// "/" is the root of the main drive here, as "C:\" is on a system with drive letters.
constexpr char kDialogStartFolder[] = "/";

QString reasonText(const Error &error)
{
    const auto &n = error.numbers;
    QString reason;
    switch (error.kind) {
    case ErrorKind::CannotOpen:
        reason = text(texts::kCannotOpen);
        break;
    case ErrorKind::CannotRead:
        reason = text(texts::kCannotRead);
        break;
    case ErrorKind::CannotWrite:
        reason = text(texts::kCannotWrite);
        break;
    case ErrorKind::NotAFile:
        reason = text(texts::kNotAFile);
        break;
    case ErrorKind::TooManyRecords:
        reason = text(texts::kTooManyRecords).arg(kEntries);
        break;
    case ErrorKind::TooLarge:
        reason = text(texts::kTooLarge).arg(kMaxInputBytes / (1024 * 1024));
        break;
    case ErrorKind::WideText:
        reason = text(texts::kWideText);
        break;
    case ErrorKind::NotANumber:
        reason = text(texts::kNotANumber);
        break;
    case ErrorKind::BinaryData:
        reason = text(texts::kBinaryData);
        break;
    case ErrorKind::DataLineCount:
        reason = n[1] == 0 ? text(texts::kTooFewDataLines).arg(n[0])
                           : text(texts::kTooManyDataLines).arg(n[1]);
        break;
    case ErrorKind::DataLineLength:
        reason = text(texts::kDataLineLength).arg(n[0]).arg(n[1]);
        break;
    case ErrorKind::DataDigit:
        reason = text(texts::kDataDigit).arg(n[0]).arg(n[1]);
        break;
    case ErrorKind::NoColor:
        reason = text(texts::kNoColor).arg(n[0]).arg(n[1]);
        break;
    case ErrorKind::NotAnImage:
        reason = text(texts::kNotAnImage);
        break;
    case ErrorKind::ImageSize:
        reason = text(texts::kImageSize).arg(n[0]).arg(n[1]);
        break;
    case ErrorKind::ImageBlock:
        reason = text(texts::kImageBlock).arg(n[0]).arg(n[1]);
        break;
    case ErrorKind::LineNumbersRepeat:
        reason = text(texts::kLineNumbersRepeat);
        break;
    }
    // The system's own wording of its reason follows the user's language setting.
    if (error.systemError != 0)
        reason += QLatin1Char('\n') + QString::fromLocal8Bit(std::strerror(error.systemError));
    return reason;
}

} // namespace

template<typename Control>
Control *EditorWindow::place(Control *control, const Placement &placement)
{
    control->setObjectName(placement.objectName());
    control->setGeometry(placement.pixelRect());
    // A label takes no focus, so Tab passes over it.
    if (control->focusPolicy() != Qt::NoFocus) {
        if (m_lastInTabOrder)
            setTabOrder(m_lastInTabOrder, control);
        m_lastInTabOrder = control;
    }
    return control;
}

EditorWindow::EditorWindow(UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent), m_dialogs(dialogs)
{
    setObjectName(QString::fromLatin1(plan::Form1.name));
    setWindowTitle(text(texts::kForm1));
    setFixedSize(plan::Form1.pixelRect().size());

    // The controls are made in tab order. Making is stacking: a swatch lies over the
    // shared border pixel of the one before it, as a later cell does in the grid.
    for (int k = 0; k < kPaletteSize; ++k) {
        color[k] = place(new ColorBox([k] { return k; }, this), plan::color[k]);
        connect(color[k], &ColorBox::clicked, this, [this, k] { selectColor(k); });
    }
    SELCOL = place(new ColorBox([this] { return m_picture.selectedColor(); }, this), plan::SELCOL);

    DOT = place(new DotGrid(m_picture, this), plan::DOT);
    connect(DOT, &DotGrid::cellClicked, this, [this](int cell) { paintCell(cell); });

    for (int r = 0; r < kRows; ++r)
        DOTDATA[r] = place(new QLineEdit(this), plan::DOTDATA[r]);

    Command1 = place(new QPushButton(text(texts::kMakeData), this), plan::Command1);
    connect(Command1, &QPushButton::clicked, this, [this] { makeData(); });

    SNUM = place(new QLineEdit(text(texts::kStartNumber), this), plan::SNUM);

    Label1 = place(new QLabel(text(texts::kStartNumberLabel), this), plan::Label1);
    Label1->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    DDATA = place(new QPlainTextEdit(this), plan::DDATA);
    DDATA->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    DDATA->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab moves on to the next control, as in every other text field of the window.
    DDATA->setTabChangesFocus(true);

    PREV = place(new PreviewBox(m_picture, this), plan::PREV);

    Command2 = place(new QPushButton(text(texts::kSave), this), plan::Command2);
    connect(Command2, &QPushButton::clicked, this, [this] { save(); });

    Command3 = place(new QPushButton(text(texts::kLoad), this), plan::Command3);
    connect(Command3, &QPushButton::clicked, this, [this] { load(); });
}

void EditorWindow::selectColor(int index)
{
    m_picture.selectColor(index);
    SELCOL->update();
}

void EditorWindow::paintCell(int cell)
{
    m_picture.paint(cell);
    DOT->update(DotGrid::cellRect(cell));
    PREV->update(PreviewBox::pixelRect(cell));
}

void EditorWindow::makeData()
{
    // Full-width digits, as a Japanese input method types them, are taken as digits.
    const QString start = SNUM->text().normalized(QString::NormalizationForm_KC);
    const Result<RowLines> lines = makeRowLines(m_picture.table(), start.toStdString());
    if (!lines) {
        m_dialogs.showError(this, text(texts::kMakeData),
            text(texts::kBadStartNumber).arg(SNUM->text(), reasonText(lines.error())));
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

std::optional<QString> EditorWindow::chooseFile(
    FileDialogKind kind, const char *title, int filterIndex, std::initializer_list<int> flags)
{
    CommonDialog1.title = text(title);
    CommonDialog1.initialDir = QString::fromLatin1(kDialogStartFolder);
    CommonDialog1.filter = text(texts::kFilter);
    CommonDialog1.filterIndex = filterIndex;
    // The one dialog object keeps its option bits from earlier uses; they are only added.
    for (const int flag : flags)
        CommonDialog1.flags |= flag;
    return m_dialogs.chooseFile(this, kind, CommonDialog1);
}

void EditorWindow::save()
{
    const std::optional<QString> path = chooseFile(FileDialogKind::Save, texts::kSaveTitle, 2,
        {DialogFlag::NoChangeDir, DialogFlag::OverwritePrompt, DialogFlag::PathMustExist,
            DialogFlag::HideReadOnly});
    if (!path)
        return;
    const Status written = writePictureFile(toPath(*path), m_picture.table());
    if (!written) {
        m_dialogs.showError(this, text(texts::kSave),
            text(texts::kCannotSave)
                .arg(QDir::toNativeSeparators(*path), reasonText(written.error())));
    }
}

void EditorWindow::load()
{
    const std::optional<QString> path = chooseFile(FileDialogKind::Open, texts::kLoadTitle, 1,
        {DialogFlag::FileMustExist, DialogFlag::PathMustExist, DialogFlag::NoChangeDir,
            DialogFlag::HideReadOnly});
    if (!path)
        return;
    loadFile(*path);
}

void EditorWindow::loadFile(const QString &path, int scale)
{
    // The whole file is read and checked before the table changes, so a bad file
    // leaves the picture as it was.
    const Result<PictureRecords> records = readPicture(path, scale);
    if (!records) {
        m_dialogs.showError(this, text(texts::kLoad),
            text(texts::kCannotLoad)
                .arg(QDir::toNativeSeparators(path), reasonText(records.error())));
        return;
    }
    records.value().applyTo(m_picture);
    DOT->update();
    PREV->update();
}

} // namespace dotdata::window
