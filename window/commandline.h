// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QStringList>

#include <filesystem>
#include <variant>

namespace dotdata::window {

/// What the command line asks for.
struct Command
{
    enum class Mode { Editor, Data, Export, Help, Version };
    Mode mode = Mode::Editor;
    QString file; ///< the picture to read; for the editor, none or the one to open
    QString output; ///< the file an export writes
    /// FILE and OUT as the file system takes them: the bytes they were given as.
    std::filesystem::path filePath, outputPath;
    QString start = QStringLiteral("5000");
    int scale = 1;
    bool crlf = false;
};

/// The arguments without the options Qt's application object takes for itself
/// (-platform NAME, -style=NAME, -reverse ...), which it takes out before the program sees them.
QStringList withoutQtOptions(const QStringList &arguments);

/// The command the arguments (the program's name first) give, or why they give none.
std::variant<Command, QString> parseCommandLine(const QStringList &arguments);

/// The bytes of the argument that gave a value, with argv as the arguments were decoded
/// from: a file name that is no valid text in the locale's encoding stays the name it
/// was, rather than becoming another with a replacement character.
std::filesystem::path argumentPath(const QString &value, const QStringList &arguments, char **argv);

/// Runs a command other than the editor: help, the version and DATA text go to the
/// standard output, a failure to the standard error as one line naming the file.
/// Returns the exit status: 0 on success, 1 on a failure.
int runCommand(const Command &command);

struct ImageModule;
struct EditorModule;
/// The parts of the program that need Qt's GUI libraries, loaded on first use; a program
/// that cannot load one says why and ends with status 1.
const ImageModule &imageModule();
const EditorModule &editorModule();

/// The usage lines, shown after a usage error.
QString usage();

} // namespace dotdata::window
