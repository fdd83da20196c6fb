// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "reading.h"

#include "pictureio.h"

#include "dotdata/datatext.h"
#include "dotdata/fileio.h"
#include "dotdata/input.h"

#include <optional>
#include <string>

#include <unistd.h>

namespace dotdata::reading {

namespace {

using Pictures = Result<std::vector<PictureRecords>>;

Pictures readAll(const std::filesystem::path &path, ReadOptions options, bool one)
{
    const Result<std::string> bytes = path == "-" ? readStream(STDIN_FILENO, path)
                                                  : readInputFile(path);
    if (!bytes)
        return bytes.error();
    std::optional<Pictures> image = images::decodePictures(bytes.value(), options.cellSide);
    if (!image) {
        // Text read for one picture says which ones it holds when it holds several.
        if (options.sprite > 0 || one) {
            const Result<PictureRecords> one = readTextInput(bytes.value(), options.sprite);
            return one ? Pictures(std::vector {one.value()}) : Pictures(one.error());
        }
        return readTextPictures(bytes.value());
    }
    if (!*image || options.sprite == 0)
        return std::move(*image);
    const auto count = (long long)image->value().size();
    if (options.sprite > count) {
        return Error {.kind = ErrorKind::NoSuchSprite, .line = options.sprite, .value = count};
    }
    return Pictures(std::vector {image->value()[std::size_t(options.sprite - 1)]});
}

Pictures readChecked(const std::filesystem::path &path, ReadOptions options, bool one)
{
    Pictures pictures = readAll(path, options, one);
    if (pictures && (long long)pictures.value().size() > kMaxPictures) {
        pictures = Error {.kind = ErrorKind::TooManyPictures,
            .line = kMaxPictures,
            .value = (long long)pictures.value().size()};
    }
    if (pictures) {
        for (const PictureRecords &records : pictures.value()) {
            if (Status colors = checkColors(records); !colors) {
                pictures = colors.error();
                break;
            }
        }
    }
    if (!pictures)
        pictures.error().file = path;
    return pictures;
}

} // namespace

Pictures readPictures(const std::filesystem::path &path, ReadOptions options)
{
    return readChecked(path, options, false);
}

Result<PictureRecords> readPicture(const std::filesystem::path &path, int sprite)
{
    Pictures pictures = readChecked(path, {.sprite = sprite}, true);
    if (!pictures)
        return pictures.error();
    if (pictures.value().size() > 1) {
        // Only a sheet comes here: DATA text with several has said so while it was read.
        return Error {
            .kind = ErrorKind::Sprites, .file = path, .value = (long long)pictures.value().size()};
    }
    return pictures.value().front();
}

} // namespace dotdata::reading
