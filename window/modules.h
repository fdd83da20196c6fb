// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

// The parts of the program that need Qt's GUI libraries, each a module the program loads
// only when a command needs it: images need QtGui, the editor Qt Widgets too. So the
// command line on picture files and DATA text starts as fast as a plain Qt program, and
// an image export as fast as a plain QtGui one.

#include "dotdata/picturefile.h"

#include <QByteArray>
#include <QString>

#include <optional>
#include <string>
#include <string_view>

namespace dotdata::window {

/// dotdata-image.so: reading and writing images.
struct ImageModule
{
    /// The records of an image, or none for bytes that are no image.
    std::optional<Result<PictureRecords>> (*decodeImage)(std::string_view bytes, int scale);
    /// The picture as an image file of a format named by its suffix, or none for a
    /// suffix that names no image format.
    std::optional<Result<std::string>> (*encodeImage)(
        const Picture::Table &table, int scale, const QByteArray &format);
};

/// dotdata-editor.so: the editor window.
struct EditorModule
{
    /// Shows the editor, with FILE loaded when given, until it is closed; the exit status.
    int (*runEditor)(int &argc, char **argv, const QString &file, int scale);
};

/// The names of the modules' entry points, functions returning the module.
inline constexpr char kImageEntry[] = "dotdataImageModule";
inline constexpr char kEditorEntry[] = "dotdataEditorModule";

} // namespace dotdata::window
