// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include <QString>
#include <QStringList>

#include <string>

namespace dotdata::program {

/// The arguments as text that keeps every byte. A file name need not be valid UTF-8: each
/// byte that is no part of a valid UTF-8 sequence becomes the lone surrogate U+DC80..U+DCFF
/// (U+DC00 + the byte), which valid text never holds, so encodeArgument gives it back.
QStringList decodeArguments(int argc, char **argv);

/// The bytes of an argument, or of a part of one, decoded by decodeArguments.
std::string encodeArgument(const QString &text);

} // namespace dotdata::program
