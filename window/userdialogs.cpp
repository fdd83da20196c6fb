// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "userdialogs.h"

#include <QFileDialog>
#include <QMessageBox>

namespace dotdata::window {

QStringList qtNameFilters(const QString &filter)
{
    const QStringList parts = filter.split(QLatin1Char('|'));
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString &pattern : patterns) {
            pattern = pattern.trimmed();
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
        }
        filters << parts[i] + QLatin1String(" (") + patterns.join(QLatin1Char(' '))
                + QLatin1Char(')');
    }
    return filters;
}

std::optional<QString> QtUserDialogs::chooseFile(
    QWidget *parent, FileDialogKind kind, const FileDialogSettings &settings)
{
    QFileDialog dialog(parent, settings.title, settings.initialDir);
    const bool save = kind == FileDialogKind::Save;
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    // A save may always name a new file; the must-exist bit only binds the open dialog.
    const bool mustExist = !save && (settings.flags & DialogFlag::FileMustExist) != 0;
    dialog.setFileMode(mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (save && (settings.flags & DialogFlag::OverwritePrompt) == 0)
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
    // The other bits need no mapping: a Qt file dialog never changes the current
    // folder and has no read-only check box. A typed name in a folder that does not
    // exist gets through, and the save then reports that the folder is missing.

    const QStringList filters = qtNameFilters(settings.filter);
    dialog.setNameFilters(filters);
    const qsizetype preselected = settings.filterIndex - 1;
    if (preselected >= 0 && preselected < filters.size())
        dialog.selectNameFilter(filters[preselected]);

    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty() || chosen.first().isEmpty())
        return std::nullopt;
    return chosen.first();
}

void QtUserDialogs::showError(QWidget *parent, const QString &title, const QString &text)
{
    QMessageBox::critical(parent, title, text);
}

} // namespace dotdata::window
