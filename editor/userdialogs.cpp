// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "userdialogs.h"

#include <QMessageBox>

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

} // namespace dotdata::editor
