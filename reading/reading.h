// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "dotdata/error.h"
#include "dotdata/picture.h"

#include <filesystem>
#include <vector>

namespace dotdata::reading {

/// How an input is read.
struct ReadOptions
{
    /// Which picture of several, from 1; 0 for all of them.
    int sprite = 0;
    /// The side in pixels of a grid sheet's cells (32 K for --scale K); 0 when not given.
    int cellSide = 0;
};

/// Every picture a file holds, told by its content: an image (one if square, else a sheet
/// of cells, see images::imagePictures), DATA text (all its pictures, in the order of
/// their line numbers), or a picture file (one, read by its record rules); only the one
/// `sprite` picks when it is given. A path of "-" is the standard input. Every cell's
/// value has a palette colour. Every error names the file.
Result<std::vector<PictureRecords>> readPictures(
    const std::filesystem::path &path, ReadOptions options = {});

/// The one picture a file holds, or picture `sprite` (from 1) of several; several and
/// none chosen are refused (Sprites).
Result<PictureRecords> readPicture(const std::filesystem::path &path, int sprite = 0);

} // namespace dotdata::reading
