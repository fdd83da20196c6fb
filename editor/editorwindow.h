// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "userdialogs.h"

#include "dotdata/picture.h"

#include <QWidget>

#include <array>
#include <filesystem>
#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace dotdata::editor {

class ColorBox;
class DotGrid;
class PreviewBox;
struct Placement;

/// The one window, "Form1". It owns the picture; the grid, the preview and the
/// selected-colour box draw from it, and the window tells them what changed. Each control
/// carries its name in the window's plan as objectName.
class EditorWindow : public QWidget
{
    Q_OBJECT

public:
    explicit EditorWindow(UserDialogs &dialogs, QWidget *parent = nullptr);

    const Picture &picture() const { return m_picture; }

    /// Loads a picture file, DATA text (picture `sprite` of several, from 1) or image as
    /// the load command does (an image may be scaled by a whole factor, told by its size);
    /// a failure is shown and changes nothing.
    void loadFile(const std::filesystem::path &path, int sprite = 0);

protected:
    /// A picture changed since the last save or load (or since the start) is not closed
    /// before the user has chosen to save it, with a save that succeeds, or to discard it.
    void closeEvent(QCloseEvent *event) override;

private:
    /// Names and places a new control.
    template<typename Control>
    Control *place(Control *control, const Placement &placement);

    void selectColor(int index);
    void paintCell(int cell);
    void makeData();
    /// Whether the picture was written.
    bool save();
    void load();
    /// Shows the file chooser; none when the user cancels.
    std::optional<QString> chooseFile(
        const char *title, const char *selectedFilter, QFileDialog::AcceptMode mode);

    UserDialogs &m_dialogs;
    Picture m_picture;
    /// The table as last saved or loaded: closing asks only when the picture differs.
    Picture::Table m_keptTable {};

    std::array<ColorBox *, kPaletteSize> m_swatches {};
    ColorBox *m_selectedColor = nullptr;
    DotGrid *m_grid = nullptr;
    std::array<QLineEdit *, kRows> m_rowFields {};
    QPushButton *m_makeData = nullptr;
    QLineEdit *m_startNumber = nullptr;
    QLabel *m_startLabel = nullptr;
    QPlainTextEdit *m_readout = nullptr;
    PreviewBox *m_preview = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_load = nullptr;
};

} // namespace dotdata::editor
