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

/// The records of the cell of the image (ARGB32 or RGB32) at left, top, side pixels
/// square; a block not one colour is named by its column and row in the whole image.
Result<PictureRecords> cellRecords(const QImage &image, int left0, int top0, int side)
{
    const int scale = side / kColumns;
    const QRgb opaque = image.format() == QImage::Format_RGB32 ? 0xFF000000 : 0;
    PictureRecords records;
    for (int n = 0; n < kCells; ++n) {
        const int left = left0 + columnOf(n) * scale, top = top0 + rowOf(n) * scale;
        const QRgb first = image.pixel(left, top) | opaque;
        const int index = nearestIndex(first);
        for (int y = top; y < top + scale; ++y) {
            const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y)) + left;
            for (int x = 0; x < scale; ++x) {
                const QRgb pixel = line[x] | opaque;
                if (pixel != first && nearestIndex(pixel) != index) {
                    return Error {.kind = ErrorKind::ImageBlock,
                        .line = top / scale,
                        .column = left / scale,
                        .value = scale};
                }
            }
        }
        records.values[std::size_t(n)] = std::int16_t(index);
    }
    records.count = kCells;
    return records;
}

/// Only other formats are converted: a copy of a 2048-pixel image takes 16 MiB.
QImage directImage(const QImage &source)
{
    const bool direct = source.format() == QImage::Format_RGB32
        || source.format() == QImage::Format_ARGB32;
    return direct ? source : source.convertToFormat(QImage::Format_ARGB32);
}

bool isPictureSide(int side)
{
    return side >= kColumns && side <= 64 * kColumns && side % kColumns == 0;
}

} // namespace

Result<std::vector<PictureRecords>> imagePictures(const QImage &source, int cellSide)
{
    const int width = source.width(), height = source.height();
    // A square image is one picture, unless the side given makes it a grid.
    int side = std::min(width, height);
    if (cellSide > 0 && width % cellSide == 0 && height % cellSide == 0)
        side = cellSide;
    else if (cellSide > 0 && width != height)
        return Error {
            .kind = ErrorKind::SheetSize, .line = height, .column = width, .value = cellSide};
    else if (std::max(width, height) % side != 0)
        return Error {.kind = ErrorKind::SheetSize, .line = height, .column = width};
    if (!isPictureSide(side))
        return Error {.kind = ErrorKind::ImageSize, .line = height, .column = width};
    const QImage image = directImage(source);
    std::vector<PictureRecords> pictures;
    pictures.reserve(std::size_t(width / side) * std::size_t(height / side));
    for (int top = 0; top < height; top += side) {
        for (int left = 0; left < width; left += side) {
            Result<PictureRecords> cell = cellRecords(image, left, top, side);
            if (!cell)
                return cell.error();
            pictures.push_back(cell.value());
        }
    }
    return pictures;
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

std::optional<Result<std::vector<PictureRecords>>> decodePictures(
    std::string_view bytes, int cellSide)
{
    using Pictures = Result<std::vector<PictureRecords>>;
    const std::optional<Result<QImage>> image = detail::readImage(bytes);
    if (!image || !*image)
        return image ? std::optional(Pictures(image->error())) : std::nullopt;
    return imagePictures(image->value(), cellSide);
}

std::optional<Result<QByteArray>> encodeSheet(
    std::span<const Picture::Table> tables, int scale, int columns, std::string_view suffix)
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
    const auto count = (long long)tables.size();
    const long long across = columns > 0 ? columns : count;
    const long long down = (count + across - 1) / across;
    // An icon holds one square picture; any image at most as many pixels as are read.
    int largest = format->largestScale;
    while (largest > 0
        && (across * down * kCells * largest * largest > detail::kMaxPixels
            || (!format->format && across * kColumns * largest > 65535)))
        --largest;
    if (scale > largest || (format->suffix == "ico" && across * down > 1)) {
        cannot.value = scale > largest ? largest : 0;
        return cannot;
    }
    const int side = kColumns * scale;
    QImage image(int(across) * side, int(down) * side, QImage::Format_RGB32);
    image.fill(imageColor(0));
    for (long long k = 0; k < count; ++k) {
        const QImage cell = pictureImage(tables[std::size_t(k)], scale);
        const int left = int(k % across) * side, top = int(k / across) * side;
        for (int y = 0; y < side; ++y)
            std::copy_n(reinterpret_cast<const QRgb *>(cell.constScanLine(y)), side,
                reinterpret_cast<QRgb *>(image.scanLine(top + y)) + left);
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
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
    // Read back through the reading path, the image is exactly the pictures or not made;
    // the cells past the last picture are colour 0.
    const auto back = decodePictures(
        std::string_view(bytes.constData(), bytes.size()), count > 1 ? side : 0);
    if (!back || !*back || (long long)back->value().size() != across * down)
        return cannot;
    const std::vector<PictureRecords> &read = back->value();
    for (long long k = 0; k < across * down; ++k) {
        const auto &cells = read[std::size_t(k)].values;
        const bool same = k < count
            ? std::equal(tables[std::size_t(k)].begin(), tables[std::size_t(k)].begin() + kCells,
                cells.begin())
            : std::all_of(cells.begin(), cells.begin() + kCells, [](auto v) { return v == 0; });
        if (!same)
            return cannot;
    }
    return bytes;
}

} // namespace dotdata::images
