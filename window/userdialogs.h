// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace dotdata::window {

/// Option bits of the file dialog; they are only ever added, never removed.
namespace DialogFlag {
inline constexpr int OverwritePrompt = 0x2; ///< ask before replacing a file
inline constexpr int HideReadOnly = 0x4; ///< no "open read-only" check box
inline constexpr int NoChangeDir = 0x8; ///< the current folder stays as it was
inline constexpr int PathMustExist = 0x800; ///< only existing folders are accepted
inline constexpr int FileMustExist = 0x1000; ///< only existing files are accepted (open only)
} // namespace DialogFlag

/// The properties of the one file dialog object the window keeps for the whole run. A
/// dialog opens with no file name, so none is kept here.
struct FileDialogSettings
{
    QString title;
    QString initialDir;
    /// Entries "name|pattern;pattern" joined by "|", as the dialog is set up.
    QString filter;
    int filterIndex = 1; ///< 1-based entry of the filter shown first
    int flags = 0;
};

enum class FileDialogKind { Save, Open };

/// The filter string as Qt name filters: "データ ファイル (*.dat *.log)". "*.*" means
/// every file here, so it becomes "*" (a Unix file name need not hold a dot).
QStringList qtNameFilters(const QString &filter);

/// Everything the window asks of the user outside its own controls.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    /// The chosen path, or none when the user cancels.
    virtual std::optional<QString> chooseFile(
        QWidget *parent, FileDialogKind kind, const FileDialogSettings &settings) = 0;
    virtual void showError(QWidget *parent, const QString &title, const QString &text) = 0;
};

/// The dialogs of the desktop: QFileDialog and QMessageBox.
class QtUserDialogs final : public UserDialogs
{
public:
    std::optional<QString> chooseFile(
        QWidget *parent, FileDialogKind kind, const FileDialogSettings &settings) override;
    void showError(QWidget *parent, const QString &title, const QString &text) override;
};

} // namespace dotdata::window
