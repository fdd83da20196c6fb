// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

// The part of the program that needs Qt's GUI libraries: the editor window, and reading
// and writing images. The program loads it only when a command needs it, so that the
// command line on picture files and DATA text starts as fast as a plain Qt program.

#include "dotdata/picturefile.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace dotdata::window {

struct Gui
{
    /// Shows the editor, with FILE loaded when given, until it is closed; the exit status.
    int (*runEditor)(int &argc, char **argv, const QString &file, int scale);
    /// The records of an image, or none for bytes that are no image.
    std::optional<Result<PictureRecords>> (*decodeImage)(std::string_view bytes, int scale);
    /// The picture as an image file of a format named by its suffix, or none for a
    /// suffix that names no image format.
    std::optional<Result<std::string>> (*encodeImage)(
        const Picture::Table &table, int scale, const QByteArray &format);
};

/// The name of the module's one entry point, a function returning its Gui.
inline constexpr char kGuiEntry[] = "dotdataGui";

} // namespace dotdata::window
