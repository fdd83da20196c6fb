// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "pictureio.h"

#include "imagecheck.h"

#include "dotdata/fileio.h"

#include <QBuffer>
#include <QImageWriter>

#include <algorithm>
#include <climits>

namespace dotdata::images {

namespace {

/// Palette colour k as an image shows it: the system colour of entry 7 has no fixed
/// value, and white is what it is on nearly every desktop.
QRgb imageColor(int index)
{
    const ColorValue value = paletteColor(index);
    if (value == kSystemWindowBackground)
        return qRgb(255, 255, 255);
    const Rgb rgb = rgbOf(value);
    return qRgb(rgb.red, rgb.green, rgb.blue);
}

int nearestIndex(QRgb pixel)
{
    if (qAlpha(pixel) < 128)
        return 0;
    int best = 0;
    int bestDistance = INT_MAX;
    for (int k = 0; k < kPaletteSize; ++k) {
        const QRgb c = imageColor(k);
        const int r = qRed(pixel) - qRed(c), g = qGreen(pixel) - qGreen(c),
                  b = qBlue(pixel) - qBlue(c);
        if (const int distance = r * r + g * g + b * b; distance < bestDistance) {
            best = k;
            bestDistance = distance;
        }
    }
    return best;
}

} // namespace

Result<PictureRecords> imageRecords(const QImage &source)
{
    int side = 0;
    if (detail::Check wrong = detail::checkSide(source.width(), source.height(), side))
        return *wrong;
    const int scale = side / kColumns;
    // Only other formats are converted: a copy of a 2048-pixel image takes 16 MiB.
    const bool direct = source.format() == QImage::Format_RGB32
        || source.format() == QImage::Format_ARGB32;
    const QImage image = direct ? source : source.convertToFormat(QImage::Format_ARGB32);
    const QRgb opaque = image.format() == QImage::Format_RGB32 ? 0xFF000000 : 0;
    PictureRecords records;
    for (int n = 0; n < kCells; ++n) {
        const int left = columnOf(n) * scale, top = rowOf(n) * scale;
        const QRgb first = image.pixel(left, top) | opaque;
        const int index = nearestIndex(first);
        for (int y = top; y < top + scale; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y)) + left;
            for (int x = 0; x < scale; ++x) {
                const QRgb pixel = line[x] | opaque;
                if (pixel != first && nearestIndex(pixel) != index) {
                    return Error {.kind = ErrorKind::ImageBlock,
                        .line = rowOf(n),
                        .column = columnOf(n),
                        .value = scale};
                }
            }
        }
        records.values[std::size_t(n)] = std::int16_t(index);
    }
    records.count = kCells;
    return records;
}

QImage pictureImage(const Picture::Table &table, int scale)
{
    QImage image(kColumns * scale, kRows * scale, QImage::Format_RGB32);
    for (int y = 0; y < image.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x)
            line[x] = imageColor(table[std::size_t(cellIndex(y / scale, x / scale))]);
    }
    return image;
}

std::optional<Result<PictureRecords>> decodeImage(std::string_view bytes)
{
    const std::optional<Result<QImage>> image = detail::readImage(bytes);
    if (!image || !*image)
        return image ? std::optional(Result<PictureRecords>(image->error())) : std::nullopt;
    return imageRecords(image->value());
}

std::optional<Result<QByteArray>> encodeImage(
    const Picture::Table &table, int scale, std::string_view suffix)
{
    // The formats whose images read back as exactly the picture, and the largest scale at
    // which they do: Qt shrinks an icon to 256 pixels without a word.
    struct Written
    {
        std::string_view suffix;
        const char *format;
        int largestScale;
    };
    static constexpr Written written[] = {{"png", "png", 64}, {"bmp", "bmp", 64},
        {"ppm", "ppm", 64}, {"xpm", "xpm", 64}, {"ico", "ico", 8}, {"gif", nullptr, 64}};
    // Image suffixes whose images would not: lossy, grey or two colours, or formats that
    // dotdata does not read. Whatever Qt's plugins here may write, these are refused.
    static constexpr std::string_view notWritten[] = {"jpg", "jpeg", "jpe", "jfif", "pgm", "pbm",
        "pnm", "xbm", "webp", "tif", "tiff", "svg", "svgz", "tga", "icns", "wbmp", "cur", "jp2",
        "j2k", "heic", "heif", "avif", "jxl", "dds", "pcx", "psd"};

    Error cannot {.kind = ErrorKind::CannotWriteImage, .text = std::string(suffix)};
    const auto *format = std::ranges::find(written, suffix, &Written::suffix);
    if (format == std::end(written)) {
        if (std::ranges::find(notWritten, suffix) == std::end(notWritten))
            return std::nullopt;
        return cannot;
    }
    if (scale > format->largestScale) {
        cannot.value = format->largestScale;
        return cannot;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    const QImage image = pictureImage(table, scale);
    if (!format->format) { // Qt has no GIF writer
        // Without dithering, Qt indexes an image of 256 colours or fewer exactly.
        std::optional<QByteArray> gif = detail::writeGif(
            image.convertToFormat(QImage::Format_Indexed8, Qt::ThresholdDither));
        if (!gif)
            return cannot;
        bytes = std::move(*gif);
    } else if (!QImageWriter(&buffer, format->format).write(image)) {
        return cannot;
    }
    // Read back through the reading path, the image is exactly the picture or not made.
    const auto back = detail::readImage(std::string_view(bytes.constData(), bytes.size()));
    if (!back || !*back || back->value().width() != kColumns * scale)
        return cannot;
    const Result<PictureRecords> records = imageRecords(back->value());
    if (!records
        || !std::equal(table.begin(), table.begin() + kCells, records.value().values.begin()))
        return cannot;
    return bytes;
}

} // namespace dotdata::images
