// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// Fuzzes what dotdata reads as an image: libpng, giflib and libjpeg-turbo as dotdata
// drives them, and the checks in front of Qt's other decoders and those decoders, from
// bytes as a file holds them. Any bytes with an image's
// signature give the 1024 cells of a picture, each 0 to 7, or fail with a reason an
// image can have. The test's limits on time and memory make a slow or huge decode a
// failure too.

#include "fuzzcheck.h"
#include "pictureio.h"

#include "dotdata/datatext.h"

#include <QCoreApplication>

#include <string_view>

extern "C" int LLVMFuzzerInitialize(int *argc, char ***argv)
{
    // As in the program: the application object finds Qt's image format plugins.
    static QCoreApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace dotdata;
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    // A sheet's cells, read with and without a grid's side given, are pictures too.
    for (const int cellSide : {0, 64}) {
        const auto read = images::decodePictures(bytes, cellSide);
        if (!read)
            return 0;
        if (!*read) {
            const ErrorKind k = read->error().kind;
            check(k == ErrorKind::ImageCutShort || k == ErrorKind::ImageDamaged
                    || k == ErrorKind::ImageUnsupported || k == ErrorKind::ImageSize
                    || k == ErrorKind::ImageBlock || k == ErrorKind::SheetSize,
                "a failure of a kind that an image cannot have");
            continue;
        }
        check(!read->value().empty() && read->value().size() <= std::size_t(kMaxPictures),
            "no cell, or more than 4096");
        for (const PictureRecords &cell : read->value()) {
            check(cell.count == kCells, "a cell not of 1024 cells");
            for (int n = 0; n < kCells; ++n)
                check(hasPaletteColor(cell.values[std::size_t(n)]), "a cell that is no colour");
        }
    }
    return 0;
}
