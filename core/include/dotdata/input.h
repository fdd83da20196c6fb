// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "dotdata/error.h"
#include "dotdata/picture.h"

#include <string_view>
#include <vector>

namespace dotdata {

/// What the bytes of an input hold, told by their content, not by the file's name.
/// Images are told apart before this is asked.
enum class InputForm {
    PictureFile, ///< anything else: read by the picture file's record rules
    DataText, ///< text with at least one DATA line: "<line number> DATA <digits>"
    Binary, ///< a NUL byte: no text at all
};
InputForm recogniseInput(std::string_view text);

/// The records the text forms of an input hold, after a UTF-8 byte-order mark: DATA
/// text (picture `sprite` of several, from 1; see readDataText) or a picture file.
/// Binary data and UTF-16 or UTF-32 text fail.
Result<PictureRecords> readTextInput(std::string_view bytes, int sprite = 0);

/// Every picture the text forms of an input hold: all of DATA text's (see
/// readDataPictures), or a picture file's one.
Result<std::vector<PictureRecords>> readTextPictures(std::string_view bytes);

/// Fails with NoColor at the first record for a cell whose value has no palette colour.
Status checkColors(const PictureRecords &records);

} // namespace dotdata
