// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "dotdata/datatext.h"
#include "dotdata/error.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QString>
#include <QStringList>

#include <filesystem>
#include <string>
#include <variant>
#include <vector>

namespace dotdata::program {

/// What the command line asks for.
struct Command
{
    enum class Mode { Editor, Data, Export, Help, Version };
    Mode mode = Mode::Editor;
    /// FILE and OUT as the file system takes them: the bytes they were given as.
    std::filesystem::path file, output;
    /// Every FILE, for --data and --export: the first is `file`.
    std::vector<std::filesystem::path> files;
    std::string start = "5000";
    DataStyle style;
    int scale = 1;
    /// Whether --scale was given: it then also tells the cells' side of a sheet read.
    bool scaleGiven = false;
    /// Pictures a row of an exported sheet; 0 for all in one row.
    int columns = 0;
    /// Which picture of DATA text holding several, from 1; 0 for the only one.
    int sprite = 0;
    bool crlf = false;
};

/// Whether the arguments ask for what needs no window: --data, --export, --help or
/// --version. Told before Qt sees them, so that such a command makes no application
/// object that would need a display.
bool needsNoWindow(int argc, char **argv);

/// The program's options, parsed as Qt's own tools parse theirs.
class CommandLine
{
public:
    CommandLine();

    /// The command the arguments (the program's name first, as decodeArguments gives
    /// them) ask for, or why they ask for none.
    std::variant<Command, QString> parse(const QStringList &arguments);
    QString helpText() const { return m_parser.helpText(); }

private:
    QCommandLineParser m_parser;
    QCommandLineOption m_data, m_export, m_start, m_step, m_quote, m_crlf, m_scale, m_sprite,
        m_columns, m_help, m_version;
};

} // namespace dotdata::program
