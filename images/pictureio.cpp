// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "pictureio.h"

#include "dotdata/fileio.h"
#include "dotdata/input.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include <climits>
#include <string>

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

/// Why an image of that size is no picture at that scale, or none when it is one. A
/// picture-sized image is the picture itself at any scale.
std::optional<Error> wrongSize(QSize size, int scale)
{
    if (size == QSize(kColumns, kRows) || size == QSize(kColumns * scale, kRows * scale))
        return std::nullopt;
    return Error {.kind = ErrorKind::ImageSize,
        .line = size.height(),
        .column = size.width(),
        .value = scale};
}

} // namespace

Result<PictureRecords> imageRecords(const QImage &source, int scale)
{
    if (std::optional<Error> wrong = wrongSize(source.size(), scale))
        return *wrong;
    // A picture-sized image is the picture itself at any scale.
    if (source.size() == QSize(kColumns, kRows))
        scale = 1;
    const QImage image = source.convertToFormat(QImage::Format_ARGB32);
    PictureRecords records;
    for (int n = 0; n < kCells; ++n) {
        const int left = columnOf(n) * scale, top = rowOf(n) * scale;
        const int index = nearestIndex(image.pixel(left, top));
        for (int y = top; y < top + scale; ++y) {
            for (int x = left; x < left + scale; ++x) {
                if (nearestIndex(image.pixel(x, y)) != index) {
                    return Error {
                        .kind = ErrorKind::ImageBlock, .line = rowOf(n), .column = columnOf(n)};
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

std::optional<Result<PictureRecords>> decodeImage(std::string_view bytes, int scale)
{
    QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    QImageReader reader(&buffer);
    if (!reader.canRead()) // an image is told by its signature
        return std::nullopt;
    // Told by the header, a wrong size is refused before a large image is decoded.
    if (const QSize size = reader.size(); size.isValid()) {
        if (std::optional<Error> wrong = wrongSize(size, scale))
            return *wrong;
    }
    const QImage image = reader.read();
    if (image.isNull())
        return Error {.kind = ErrorKind::NotAnImage, .text = reader.errorString().toStdString()};
    return imageRecords(image, scale);
}

std::optional<Result<std::string>> encodeImage(
    const Picture::Table &table, int scale, const QByteArray &format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    QImageWriter writer(&buffer, format);
    // Asks only for this format: listing them all would load every image format plugin.
    if (!writer.canWrite()) {
        // An image that Qt reads but cannot write is no picture file either.
        if (!QImageReader::supportedImageFormats().contains(format))
            return std::nullopt;
        return Error {.kind = ErrorKind::CannotWriteImage, .text = format.toStdString()};
    }
    if (!writer.write(pictureImage(table, scale)))
        return Error {.kind = ErrorKind::CannotWriteImage, .text = format.toStdString()};
    return bytes.toStdString();
}

Result<PictureRecords> readPicture(const std::filesystem::path &path, int scale)
{
    const Result<std::string> bytes = readInputFile(path);
    if (!bytes)
        return bytes.error();
    std::optional<Result<PictureRecords>> records;
    if (mayBeImage(bytes.value()))
        records = decodeImage(bytes.value(), scale);
    if (!records)
        records = readTextInput(bytes.value());
    if (*records) {
        if (Status colors = checkColors(records->value()); !colors)
            *records = colors.error();
    }
    if (!*records)
        records->error().file = path;
    return std::move(*records);
}

} // namespace dotdata::images
