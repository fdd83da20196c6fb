// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "dotdata/error.h"
#include "dotdata/picture.h"

#include <QByteArray>
#include <QImage>

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace dotdata::images {

/// The picture a file holds, told by its content: an image of any format Qt reads, DATA
/// text, or a picture file (read by its record rules). An image is 32 x 32 pixels, or
/// 32 * scale pixels square with each scale x scale block one colour. Every cell's value
/// has a palette colour. Every error names the file.
Result<PictureRecords> readPicture(const std::filesystem::path &path, int scale = 1);

/// The records of an image in any format Qt reads, told by its signature; none when the
/// bytes are no image.
std::optional<Result<PictureRecords>> decodeImage(std::string_view bytes, int scale);

/// The picture as an image file of the given format (a suffix: "png", "bmp" ...), or none
/// when Qt knows no such image format.
std::optional<Result<std::string>> encodeImage(
    const Picture::Table &table, int scale, const QByteArray &format);

/// The records of an image: each pixel the nearest palette colour (colour 7 as white; a
/// tie goes to the lower index), a mostly transparent one colour 0.
Result<PictureRecords> imageRecords(const QImage &image, int scale);

/// The picture as an image with scale x scale pixels a cell, colour 7 as white.
QImage pictureImage(const Picture::Table &table, int scale);

} // namespace dotdata::images
