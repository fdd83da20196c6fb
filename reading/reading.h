// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "dotdata/error.h"
#include "dotdata/picture.h"

#include <filesystem>

namespace dotdata::reading {

/// The picture a file holds, told by its content: an image (see images::decodeImage), DATA
/// text (picture `sprite` of several, from 1), or a picture file (read by its record
/// rules). A path of "-" is the standard input. Every cell's value has a palette colour.
/// Every error names the file.
Result<PictureRecords> readPicture(const std::filesystem::path &path, int sprite = 0);

} // namespace dotdata::reading
