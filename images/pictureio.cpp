// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "pictureio.h"

#include "imagecheck.h"

#include "dotdata/fileio.h"

#include <QBuffer>
#include <QImageReader>
#include <QImageWriter>

#include <algorithm>
#include <climits>
#include <cstring>

namespace dotdata::images {

namespace {

/// The most memory Qt may take for a decoded image, in MiB: a 2048-pixel picture at 4
/// bytes a pixel, and no more. The checks refuse what would need more, so this is only a
/// second line.
constexpr int kDecodedLimitMiB = 16;

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

int g_decoderMessages = 0;

void countMessage(QtMsgType, const QMessageLogContext &, const QString &)
{
    ++g_decoderMessages;
}

/// An image's records, and its side in pixels.
struct Decoded
{
    PictureRecords records;
    int side;
};

std::optional<Result<Decoded>> decode(std::string_view bytes)
{
    const std::optional<Result<detail::CheckedImage>> checked = detail::checkImage(bytes);
    if (!checked)
        return std::nullopt;
    if (!*checked)
        return checked->error();
    const detail::CheckedImage image = checked->value();
    const auto refused = [&](ErrorKind kind) { return Error {.kind = kind, .text = image.name}; };

    QByteArray data = QByteArray::fromRawData(bytes.data(), qsizetype(bytes.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    // Only this format's decoder is loaded: detecting the format would load them all.
    QImageReader reader(&buffer, image.format);
    reader.setAutoDetectImageFormat(false);
    QImageReader::setAllocationLimit(kDecodedLimitMiB);
    g_decoderMessages = 0;
    const QtMessageHandler kept = qInstallMessageHandler(countMessage);
    const QImage decoded = reader.read();
    qInstallMessageHandler(kept);
    // libjpeg reports damage in the coded data only by a warning, and decodes on. Other
    // decoders' warnings are not taken as damage: libpng's concern metadata (an old
    // colour profile ...), while the checks have vouched for the data itself.
    if (decoded.size() != QSize(image.side, image.side)
        || (std::strcmp(image.format, "jpeg") == 0 && g_decoderMessages > 0))
        return refused(ErrorKind::ImageDamaged);
    Result<PictureRecords> records = imageRecords(decoded);
    if (!records)
        return records.error();
    return Decoded {std::move(records).value(), image.side};
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
    std::optional<Result<Decoded>> decoded = decode(bytes);
    if (!decoded)
        return std::nullopt;
    if (!*decoded)
        return decoded->error();
    return decoded->value().records;
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
        {"ppm", "ppm", 64}, {"xpm", "xpm", 64}, {"ico", "ico", 8}};
    // Image suffixes whose images would not: lossy, grey or two colours, or formats that
    // dotdata does not read. Whatever Qt's plugins here may write, these are refused.
    static constexpr std::string_view notWritten[] = {"jpg", "jpeg", "jpe", "jfif", "pgm", "pbm",
        "pnm", "xbm", "gif", "webp", "tif", "tiff", "svg", "svgz", "tga", "icns", "wbmp", "cur",
        "jp2", "j2k", "heic", "heif", "avif", "jxl", "dds", "pcx", "psd"};

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
    if (!QImageWriter(&buffer, format->format).write(pictureImage(table, scale)))
        return cannot;
    // Read back through the reading path, the image is exactly the picture or not made.
    const std::optional<Result<Decoded>> back = decode(
        std::string_view(bytes.constData(), std::size_t(bytes.size())));
    if (!back || !*back || back->value().side != kColumns * scale
        || !std::equal(table.begin(), table.begin() + kCells, back->value().records.values.begin()))
        return cannot;
    return bytes;
}

} // namespace dotdata::images
