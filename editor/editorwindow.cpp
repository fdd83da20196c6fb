// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "editorwindow.h"

#include "dotgrid.h"
#include "layout.h"
#include "picturebox.h"

#include "words.h"

#include "reading.h"

#include "dotdata/datatext.h"
#include "dotdata/fileio.h"
#include "dotdata/picturefile.h"

#include <QCloseEvent>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

namespace dotdata::editor {

namespace {

// The window's own texts. The captions, titles and messages are Japanese by design (the
// catalogue holds them), but for the English captions, which no language changes.
namespace texts {
constexpr char kForm1[] = "Form1";
constexpr char kMakeData[] = "MAKE DATA";
constexpr char kStartNumber[] = "5000";
constexpr char kStartNumberLabel[] = "Start Number";
constexpr char kSave[] = QT_TRANSLATE_NOOP("dotdata", "Save");
constexpr char kLoad[] = QT_TRANSLATE_NOOP("dotdata", "Load");
constexpr char kSaveTitle[] = QT_TRANSLATE_NOOP("dotdata", "Save the data");
constexpr char kLoadTitle[] = QT_TRANSLATE_NOOP("dotdata", "Choose a file to open");
// "*" rather than "*.*": a file name here need not hold a dot.
constexpr char kDataFiles[] = QT_TRANSLATE_NOOP("dotdata", "Data files (*.dat *.log)");
constexpr char kAllFiles[] = QT_TRANSLATE_NOOP("dotdata", "All files (*)");
//: %1 the start number as typed, %2 why it is refused
constexpr char kBadStartNumber[] = QT_TRANSLATE_NOOP("dotdata", "The start number \"%1\": %2");
//: %1 the file, %2 why (the file may be left out)
constexpr char kCannotSave[] = QT_TRANSLATE_NOOP("dotdata", "Cannot save the file %1:\n%2");
//: %1 the file, %2 why (the file may be left out)
constexpr char kCannotLoad[] = QT_TRANSLATE_NOOP("dotdata", "Cannot load the file %1:\n%2");
constexpr char kUnsaved[] = QT_TRANSLATE_NOOP(
    "dotdata", "The picture has changed.\nSave it before closing?");
// Each answer has a key of its own, so that it can be given without the mouse.
constexpr char kSaveFirst[] = QT_TRANSLATE_NOOP("dotdata", "&Save");
constexpr char kDiscard[] = QT_TRANSLATE_NOOP("dotdata", "Do&n't save");
constexpr char kCancel[] = QT_TRANSLATE_NOOP("dotdata", "Cancel");
} // namespace texts

// "/" is the root of the main drive here, as "C:\" is on a system with drive letters.
constexpr char kDialogStartFolder[] = "/";

} // namespace

template<typename Control>
Control *EditorWindow::place(Control *control, const Placement &placement)
{
    control->setObjectName(placement.objectName());
    control->setGeometry(placement.pixelRect());
    return control;
}

EditorWindow::EditorWindow(UserDialogs &dialogs, QWidget *parent)
    : QWidget(parent), m_dialogs(dialogs)
{
    setObjectName(QString::fromLatin1(plan::Form1.name));
    setWindowTitle(QString::fromLatin1(texts::kForm1));
    setFixedSize(plan::Form1.pixelRect().size());

    // The controls are made in tab order, which is their focus order. Making is stacking:
    // a swatch lies over the shared border pixel of the one before it, as a later cell
    // does in the grid.
    for (int k = 0; k < kPaletteSize; ++k) {
        m_swatches[k] = place(new ColorBox([k] { return k; }, this), plan::color[k]);
        connect(m_swatches[k], &ColorBox::clicked, this, [this, k] { selectColor(k); });
    }
    m_selectedColor = place(
        new ColorBox([this] { return m_picture.selectedColor(); }, this), plan::SELCOL);

    m_grid = place(new DotGrid(m_picture, this), plan::DOT);
    connect(m_grid, &DotGrid::cellClicked, this, [this](int cell) { paintCell(cell); });

    for (int r = 0; r < kRows; ++r)
        m_rowFields[r] = place(new QLineEdit(this), plan::DOTDATA[r]);

    m_makeData = place(
        new QPushButton(QString::fromLatin1(texts::kMakeData), this), plan::Command1);
    connect(m_makeData, &QPushButton::clicked, this, [this] { makeData(); });

    m_startNumber = place(
        new QLineEdit(QString::fromLatin1(texts::kStartNumber), this), plan::SNUM);

    m_startLabel = place(
        new QLabel(QString::fromLatin1(texts::kStartNumberLabel), this), plan::Label1);
    m_startLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_readout = place(new QPlainTextEdit(this), plan::DDATA);
    m_readout->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_readout->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // Tab moves on to the next control, as in every other text field of the window.
    m_readout->setTabChangesFocus(true);

    m_preview = place(new PreviewBox(m_picture, this), plan::PREV);

    m_save = place(new QPushButton(words::text(texts::kSave), this), plan::Command2);
    connect(m_save, &QPushButton::clicked, this, [this] { save(); });

    m_load = place(new QPushButton(words::text(texts::kLoad), this), plan::Command3);
    connect(m_load, &QPushButton::clicked, this, [this] { load(); });
}

void EditorWindow::selectColor(int index)
{
    m_picture.selectColor(index);
    m_selectedColor->update();
}

void EditorWindow::paintCell(int cell)
{
    m_picture.paint(cell);
    m_grid->update(DotGrid::cellRect(cell));
    m_preview->update(PreviewBox::pixelRect(cell));
}

void EditorWindow::makeData()
{
    // Full-width digits, as a Japanese input method types them, are taken as digits.
    const QString start = m_startNumber->text().normalized(QString::NormalizationForm_KC);
    const Result<RowLines> lines = makeRowLines(m_picture.table(), start.toStdString());
    if (!lines) {
        m_dialogs.showError(this, QString::fromLatin1(texts::kMakeData),
            words::text(texts::kBadStartNumber,
                {words::shown(m_startNumber->text().toStdString()),
                    words::errorText(lines.error())}));
        return;
    }
    for (int r = 0; r < kRows; ++r) {
        m_rowFields[r]->setText(QString::fromStdString(lines.value()[std::size_t(r)]));
        // A line is longer than its field; show where it begins, with the line number.
        m_rowFields[r]->setCursorPosition(0);
    }
    // The text widget keeps lines, not line-end bytes: each CR LF becomes a line break
    // and a copy carries the desktop's own line end.
    m_readout->setPlainText(QString::fromStdString(joinLines(lines.value())));
}

std::optional<QString> EditorWindow::chooseFile(
    const char *title, const char *selectedFilter, QFileDialog::AcceptMode mode)
{
    return m_dialogs.chooseFile(this,
        {words::text(title), QString::fromLatin1(kDialogStartFolder),
            {words::text(texts::kDataFiles), words::text(texts::kAllFiles)},
            words::text(selectedFilter), mode});
}

bool EditorWindow::save()
{
    const std::optional<QString> chosen = chooseFile(
        texts::kSaveTitle, texts::kAllFiles, QFileDialog::AcceptSave);
    if (!chosen)
        return false;
    const std::filesystem::path path = QFile::encodeName(*chosen).toStdString();
    const Status written = writeFileAtomically(path, pictureFileText(m_picture.table()));
    if (!written) {
        m_dialogs.showError(this, words::text(texts::kSave),
            words::text(
                texts::kCannotSave, {words::shownFile(path), words::errorText(written.error())}));
        return false;
    }
    m_keptTable = m_picture.table();
    return true;
}

void EditorWindow::closeEvent(QCloseEvent *event)
{
    // Only the table is saved, so a paint that left it as it was loses nothing.
    if (m_picture.table() == m_keptTable) {
        event->accept();
        return;
    }
    const SaveAnswer answer = m_dialogs.askToSave(this,
        {QString::fromLatin1(texts::kForm1), words::text(texts::kUnsaved),
            words::text(texts::kSaveFirst), words::text(texts::kDiscard),
            words::text(texts::kCancel)});
    event->setAccepted(answer == SaveAnswer::Discard || (answer == SaveAnswer::Save && save()));
}

void EditorWindow::load()
{
    const std::optional<QString> chosen = chooseFile(
        texts::kLoadTitle, texts::kDataFiles, QFileDialog::AcceptOpen);
    if (chosen)
        loadFile(QFile::encodeName(*chosen).toStdString());
}

void EditorWindow::loadFile(const std::filesystem::path &path, int sprite)
{
    // The whole file is read and checked before the table changes, so a bad file
    // leaves the picture as it was.
    const Result<PictureRecords> records = reading::readPicture(path, sprite);
    if (!records) {
        m_dialogs.showError(this, words::text(texts::kLoad),
            words::text(
                texts::kCannotLoad, {words::shownFile(path), words::errorText(records.error())}));
        return;
    }
    records.value().applyTo(m_picture);
    m_keptTable = m_picture.table();
    m_grid->update();
    m_preview->update();
}

} // namespace dotdata::editor
