// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QFileDialog>
#include <QString>
#include <QStringList>

#include <optional>

class QWidget;

namespace dotdata::editor {

/// What a file chooser shows: its title, start folder and filters, and how it asks.
struct FileRequest
{
    QString title;
    QString folder;
    QStringList filters;
    QString selectedFilter;
    /// A save asks before it replaces a file; an open takes only an existing file.
    QFileDialog::AcceptMode mode = QFileDialog::AcceptOpen;
};

/// Sets up a file dialog as the request says: a save asks before it replaces a file and
/// takes a new name; an open takes only an existing file.
void setUpFileDialog(QFileDialog &dialog, const FileRequest &request);

/// A question whether to save the picture first, with the captions of its three answers.
struct SaveQuestion
{
    QString title;
    QString text;
    QString save;
    QString discard;
    QString cancel;
};
enum class SaveAnswer { Save, Discard, Cancel };

/// Everything the window asks of the user outside its own controls.
class UserDialogs
{
public:
    virtual ~UserDialogs() = default;

    /// The chosen path, or none when the user cancels.
    virtual std::optional<QString> chooseFile(QWidget *parent, const FileRequest &request) = 0;
    virtual void showError(QWidget *parent, const QString &title, const QString &text) = 0;
    /// Cancel also when the user closes the question itself.
    virtual SaveAnswer askToSave(QWidget *parent, const SaveQuestion &question) = 0;
};

/// The dialogs of the desktop: QFileDialog and QMessageBox.
class QtUserDialogs final : public UserDialogs
{
public:
    std::optional<QString> chooseFile(QWidget *parent, const FileRequest &request) override;
    void showError(QWidget *parent, const QString &title, const QString &text) override;
    SaveAnswer askToSave(QWidget *parent, const SaveQuestion &question) override;
};

} // namespace dotdata::editor
