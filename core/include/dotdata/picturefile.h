// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "dotdata/error.h"
#include "dotdata/picture.h"

#include <string>
#include <string_view>

namespace dotdata {

/// The text of a picture file for a table: for entries 0..1023 the number image,
/// one blank and CR LF. Entry 1024 is never written.
std::string pictureFileText(const Picture::Table &table);

/// The records of picture file text. A record ends at a comma or a line end (CR LF, LF or
/// CR; an empty line is an empty record). Blanks and tabs before a record are skipped; a
/// record beginning with a double quote runs to the next double quote (an unterminated one
/// to the end of the text). Only a record's first character counts: a digit gives its
/// value, anything else 0. More than kEntries records are TooManyRecords.
Result<PictureRecords> readPictureText(std::string_view text);

} // namespace dotdata
