// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "userdialogs.h"

#include "dotdata/picture.h"

#include <QWidget>

#include <array>
#include <initializer_list>
#include <optional>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

namespace dotdata::window {

class ColorBox;
class DotGrid;
class PreviewBox;
struct Placement;

/// The one window, "Form1". It owns the picture; the grid, the preview and the
/// selected-colour box draw from it, and the window tells them what changed. Controls
/// carry their plan names as objectName.
class EditorWindow : public QWidget
{
    Q_OBJECT

public:
    explicit EditorWindow(UserDialogs &dialogs, QWidget *parent = nullptr);

    const Picture &picture() const { return m_picture; }

    /// Loads a picture file, DATA text or image as the load command does (an image may
    /// be scaled by a whole factor); a failure is shown and changes nothing.
    void loadFile(const QString &path, int scale = 1);

private:
    /// Names and places a new control and puts it next in the tab order.
    template<typename Control>
    Control *place(Control *control, const Placement &placement);

    void selectColor(int index);
    void paintCell(int cell);
    void makeData();
    /// Sets up the one file dialog, adding the option bits in order, and shows it;
    /// none when the user cancels.
    std::optional<QString> chooseFile(
        FileDialogKind kind, const char *title, int filterIndex, std::initializer_list<int> flags);
    void save();
    void load();

    UserDialogs &m_dialogs;
    Picture m_picture;
    QWidget *m_lastInTabOrder = nullptr;

    std::array<ColorBox *, kPaletteSize> color {};
    ColorBox *SELCOL = nullptr;
    DotGrid *DOT = nullptr;
    std::array<QLineEdit *, kRows> DOTDATA {};
    QPushButton *Command1 = nullptr;
    QLineEdit *SNUM = nullptr;
    QLabel *Label1 = nullptr;
    QPlainTextEdit *DDATA = nullptr;
    PreviewBox *PREV = nullptr;
    QPushButton *Command2 = nullptr;
    QPushButton *Command3 = nullptr;
    /// One dialog object for both commands, so its option bits build up over the run.
    FileDialogSettings CommonDialog1;
};

} // namespace dotdata::window
