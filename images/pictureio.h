// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "dotdata/error.h"
#include "dotdata/picture.h"

#include <QByteArray>
#include <QImage>

#include <filesystem>
#include <optional>
#include <string_view>

namespace dotdata::images {

/// The records of an image in a format dotdata reads (PNG, BMP, GIF, JPEG, PBM, PGM, PPM,
/// XBM, XPM, ICO), told by its signature; none when the bytes begin with no such
/// signature. An image that has one but is cut short, damaged or of no picture's size is
/// refused, never read as text. Decoding any file of up to 16 MiB takes well under a
/// second and 64 MB.
std::optional<Result<PictureRecords>> decodeImage(std::string_view bytes);

/// The picture as an image file, scale x scale pixels a cell, for an output's suffix (in
/// lower case, without the dot); none when the suffix names no image format. Only images
/// that read back through decodeImage as exactly the picture at that scale are made:
/// every other image suffix is refused (CannotWriteImage).
std::optional<Result<QByteArray>> encodeImage(
    const Picture::Table &table, int scale, std::string_view suffix);

/// The records of an image 32 K pixels square, K = 1..64, whose K x K blocks are each one
/// colour: each block the nearest palette colour (colour 7 as white; a tie goes to the
/// lower index), a mostly transparent one colour 0.
Result<PictureRecords> imageRecords(const QImage &image);

/// The picture as an image with scale x scale pixels a cell, colour 7 as white.
QImage pictureImage(const Picture::Table &table, int scale);

} // namespace dotdata::images
