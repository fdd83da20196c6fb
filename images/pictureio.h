// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "dotdata/error.h"
#include "dotdata/picture.h"

#include <QByteArray>
#include <QImage>

#include <filesystem>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

namespace dotdata::images {

/// The pictures of an image: one if it is square; the cells left to right, or top to
/// bottom, of an image that is one row or one column of square cells, their side its
/// shorter side; with cellSide (32 K pixels, given) the cells of a grid, left to right,
/// then top to bottom. Anything else is refused (SheetSize): cells are never guessed. A
/// cell 32 K pixels square, K = 1..64, is read when its K x K blocks are each one colour:
/// each block the nearest palette colour (colour 7 as white; a tie goes to the lower
/// index), a mostly transparent one colour 0.
Result<std::vector<PictureRecords>> imagePictures(const QImage &image, int cellSide = 0);

/// The pictures of an image's bytes as imagePictures reads them: the image in a format
/// dotdata reads (PNG, BMP, GIF, JPEG, PBM, PGM, PPM, XBM, XPM, ICO), told by its
/// signature; none when the bytes begin with no such signature. An image that has one but
/// is cut short, damaged or of no picture's size is refused, never read as text. Decoding
/// any file of up to 16 MiB takes well under a second and 64 MB.
std::optional<Result<std::vector<PictureRecords>>> decodePictures(
    std::string_view bytes, int cellSide = 0);

/// The pictures as one image file, scale x scale pixels a cell, `columns` cells a row (0:
/// all in one row), cells past the last picture colour 0, for an output's suffix (in lower
/// case, without the dot); none when the suffix names no image format. Only images that
/// read back through decodePictures as exactly the pictures are made: every other image
/// suffix is refused (CannotWriteImage).
std::optional<Result<QByteArray>> encodeSheet(
    std::span<const Picture::Table> tables, int scale, int columns, std::string_view suffix);

/// The picture as an image with scale x scale pixels a cell, colour 7 as white.
QImage pictureImage(const Picture::Table &table, int scale);

} // namespace dotdata::images
