// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "dotdata/picturefile.h"
#include "dotdata/result.h"

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace dotdata {

/// What the bytes of an input file hold, told by their content, not by the file's name.
/// Images are told apart by the caller, which can decode them, before this is asked.
enum class InputForm {
    PictureFile, ///< anything else: read by the picture file's record rules
    DataText, ///< text with at least one DATA line: "<line number> DATA <digits>"
    Binary, ///< a NUL byte: no text at all
};
InputForm recogniseInput(std::string_view bytes);

/// The picture held by DATA statement text, such as the program's own: exactly 32 lines
/// "<line number> DATA <32 digits 0..7>", with blanks or tabs around the parts and any
/// line ends, the rows in file order. Other lines (REM, a loader, DATA lines that are
/// no single run of digits) are passed over. Gives 1024 records; errors name the line.
Result<PictureRecords> readDataText(std::string_view text);

/// The records the text forms of an input hold, after a UTF-8 byte-order mark: DATA
/// text or a picture file. Binary data and UTF-16 or UTF-32 text fail.
Result<PictureRecords> readTextInput(std::string_view bytes);

/// Whether bytes can be an image at all: every binary image format has a NUL byte in its
/// header, and the text ones (PBM, PGM, PPM, XBM, XPM) begin with their own mark. Only
/// such bytes are worth offering to an image decoder.
bool mayBeImage(std::string_view bytes);

/// Decodes an image's records, or gives none when the bytes are no image it knows.
using ImageDecoder = std::function<std::optional<Result<PictureRecords>>(std::string_view bytes)>;

/// The picture a file holds, told by its content: an image (when the decoder takes it),
/// DATA text, or a picture file. Every cell's value has a palette colour. Each message
/// names the file.
Result<PictureRecords> readPictureInput(
    const std::filesystem::path &path, const ImageDecoder &decodeImage);

/// Fails with NoColor at the first record for a cell whose value has no palette colour.
Status checkColors(const PictureRecords &records);

} // namespace dotdata
