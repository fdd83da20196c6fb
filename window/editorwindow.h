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

/// The one window, "Form1": it owns the picture and keeps the grid and the preview
/// in step with the picture's table. Controls carry their plan names as objectName.
class EditorWindow : public QWidget {
    Q_OBJECT

public:
    explicit EditorWindow(UserDialogs &dialogs, QWidget *parent = nullptr);

    const Picture &picture() const { return m_picture; }

private:
    void createControls();
    void placeControls();
    void resetPicture();

    void selectColor(int index);
    void paintCell(int cell);
    void makeData();
    /// Sets up the one file dialog, adding the option bits in order, and shows it;
    /// none when the user cancels.
    std::optional<QString> chooseFile(FileDialogKind kind, const QString &title, int filterIndex,
                                      std::initializer_list<int> flags);
    void save();
    void load();
    /// Redraws every cell and the preview from the table.
    void showTable();

    UserDialogs &m_dialogs;
    Picture m_picture;

    std::array<ColorBox *, 8> color{};
    ColorBox *SELCOL = nullptr;
    DotGrid *DOT = nullptr;
    std::array<QLineEdit *, kRows> DOTDATA{};
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
