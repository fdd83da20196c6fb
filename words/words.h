// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "dotdata/error.h"

#include <QString>
#include <QStringList>

#include <filesystem>
#include <string_view>

class QTranslator;

namespace dotdata::words {

/// The one context of every message: the sources are English, dotdata_ja.ts holds the
/// Japanese.
inline constexpr char kContext[] = "dotdata";

/// A source text (marked with QT_TRANSLATE_NOOP("dotdata", ...)) in the language
/// installed, with %1, %2 ... each replaced by its argument wherever the translation
/// puts it, or left out where the translation leaves it out.
QString text(const char *source, const QStringList &arguments = {});

/// Bytes as they are shown in a message on one line: as they are when they are text
/// without control characters, else quoted as the shell quotes them, with each control
/// character or byte that is not UTF-8 escaped ('a'$'\n''b').
QString shown(std::string_view bytes);
QString shownFile(const std::filesystem::path &path);

/// Why something failed, in the language installed. In English it is one line that
/// names the file, as the command line prints it; the window's Japanese leaves the file
/// to the message around it and puts the system's own reason on a line of its own.
QString errorText(const Error &error);

/// Loads the Japanese catalogue built into the program.
bool loadJapanese(QTranslator &translator);

/// Installs the Japanese catalogue, and Qt's own Japanese for its dialogs, for the rest
/// of the program's run.
void useJapanese();

} // namespace dotdata::words
