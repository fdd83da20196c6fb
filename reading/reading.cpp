// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "reading.h"

#include "pictureio.h"

#include "dotdata/fileio.h"
#include "dotdata/input.h"

#include <optional>
#include <string>

#include <unistd.h>

namespace dotdata::reading {

Result<PictureRecords> readPicture(const std::filesystem::path &path, int sprite)
{
    const Result<std::string> bytes = path == "-" ? readStream(STDIN_FILENO, path)
                                                  : readInputFile(path);
    if (!bytes)
        return bytes.error();
    std::optional<Result<PictureRecords>> records = images::decodeImage(bytes.value());
    if (!records)
        records = readTextInput(bytes.value(), sprite);
    if (*records) {
        if (Status colors = checkColors(records->value()); !colors)
            *records = colors.error();
    }
    if (!*records)
        records->error().file = path;
    return std::move(*records);
}

} // namespace dotdata::reading
