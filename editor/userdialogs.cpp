// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "userdialogs.h"

#include <QMessageBox>
#include <QPushButton>

namespace dotdata::editor {

void setUpFileDialog(QFileDialog &dialog, const FileRequest &request)
{
    dialog.setWindowTitle(request.title);
    dialog.setDirectory(request.folder);
    dialog.setAcceptMode(request.mode);
    dialog.setFileMode(
        request.mode == QFileDialog::AcceptOpen ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setNameFilters(request.filters);
    dialog.selectNameFilter(request.selectedFilter);
}

std::optional<QString> QtUserDialogs::chooseFile(QWidget *parent, const FileRequest &request)
{
    QFileDialog dialog(parent);
    setUpFileDialog(dialog, request);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().value(0).isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first();
}

void QtUserDialogs::showError(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::critical(parent, title, text);
}

SaveAnswer QtUserDialogs::askToSave(QWidget *parent, const SaveQuestion &question)
{
    QMessageBox box(
        QMessageBox::Warning, question.title, question.text, QMessageBox::NoButton, parent);
    QPushButton *save = box.addButton(question.save, QMessageBox::AcceptRole);
    const QPushButton *discard = box.addButton(question.discard, QMessageBox::DestructiveRole);
    QPushButton *cancel = box.addButton(question.cancel, QMessageBox::RejectRole);
    // Enter keeps the work; Escape, or closing the question, keeps the window.
    box.setDefaultButton(save);
    box.setEscapeButton(cancel);
    box.exec();
    if (box.clickedButton() == save)
        return SaveAnswer::Save;
    return box.clickedButton() == discard ? SaveAnswer::Discard : SaveAnswer::Cancel;
}

} // namespace dotdata::editor
