// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// The signatures of the formats dotdata reads, the checks of BMP and ICO, and Qt's
// decoders behind the checks. The text formats are in textcheck.cpp; PNG, GIF and JPEG
// go through their libraries (png.cpp, gif.cpp, jpeg.cpp).

#include "imagecheck.h"

#include <QBuffer>
#include <QImageReader>

namespace dotdata::images::detail {

Check checkSide(long long width, long long height, Checked &out)
{
    if (width < 32 || height < 32 || width % 32 != 0 || height % 32 != 0
        || width > kMaxPixels / height)
        return Error {.kind = ErrorKind::ImageSize, .line = height, .column = width};
    out.width = int(width);
    out.height = int(height);
    return std::nullopt;
}

namespace {

// ---- BMP, and the bitmap of an icon

/// Run-length coded pixels (4 or 8 bits a pixel) must stay inside the image and end with
/// the end-of-bitmap code.
Check walkRunLengths(Bytes data, std::size_t width, std::size_t height, bool fourBits)
{
    std::size_t x = 0, y = 0, at = 0;
    for (;;) {
        if (!has(data, at, 2))
            return kCutShort;
        const std::size_t count = u8(data, at), code = u8(data, at + 1);
        at += 2;
        if (count > 0 || code > 2) { // a run of one value, or count literal ones
            if ((x += count + (count ? 0 : code)) > width || y >= height)
                return kDamaged;
            const std::size_t bytes = count ? 0 : fourBits ? (code + 1) / 2 : code;
            if (!has(data, at, bytes + bytes % 2))
                return kCutShort;
            at += bytes + bytes % 2;
        } else if (code == 0) { // end of line
            x = 0;
            ++y;
        } else if (code == 1) { // end of bitmap
            return std::nullopt;
        } else { // a move right and down
            if (!has(data, at, 2))
                return kCutShort;
            x += u8(data, at);
            y += u8(data, at + 1);
            at += 2;
            if (x > width || y >= height)
                return kDamaged;
        }
    }
}

/// A device-independent bitmap: its header at the start of dib, its pixels at offset
/// pixelsAt. An icon's bitmap has its pixels right after its colour table, and is twice
/// as high as its image, for the mask that follows them.
Check checkBitmap(Bytes dib, std::size_t pixelsAt, bool icon, Checked &out)
{
    if (!has(dib, 0, 16))
        return kCutShort;
    const std::uint32_t header = le32(dib, 0);
    const bool old = header == 12;
    if (!old && header != 40 && header != 52 && header != 56 && header != 108 && header != 124)
        return kUnsupported;
    if (icon && header != 40)
        return kUnsupported;
    if (!has(dib, 0, header))
        return kCutShort;
    // Signed: a negative height is a bitmap stored top-down.
    const long long width = old ? le16(dib, 4) : std::int64_t(std::int32_t(le32(dib, 4)));
    const long long height = old ? le16(dib, 6) : std::int64_t(std::int32_t(le32(dib, 8)));
    const std::uint32_t bits = le16(dib, old ? 10 : 14), compression = old ? 0 : le32(dib, 16);
    if (Check wrong = checkSide(width, icon ? height / 2 : height < 0 ? -height : height, out))
        return wrong;
    if ((icon && height != 2 * width) || le16(dib, old ? 8 : 12) != 1)
        return kDamaged;
    const bool runs = (compression == 1 && bits == 8) || (compression == 2 && bits == 4);
    const bool fields = compression == 3 && (bits == 16 || bits == 32);
    const bool plain = compression == 0
        && (bits == 1 || bits == 4 || bits == 8 || (bits == 16 && !icon) || bits == 24
            || bits == 32);
    if (!runs && !fields && !plain)
        return kUnsupported;
    if (runs && height < 0)
        return kDamaged;
    const std::size_t used = old ? 0 : le32(dib, 32);
    const std::size_t colors = bits <= 8 ? (used ? used : std::size_t(1) << bits) : used;
    if (bits <= 8 && colors > std::size_t(1) << bits)
        return kDamaged;
    const std::size_t tables = header + (fields && header == 40 ? 12 : 0) + colors * (old ? 3 : 4);
    if (icon) // its pixels follow its colour table
        pixelsAt = tables;
    if (pixelsAt < tables)
        return kDamaged;
    // Pixels past the end are cut short, as the walk or the size below finds.
    const Bytes pixels = dib.substr(std::min(pixelsAt, dib.size()));
    const auto w = std::size_t(out.width), h = std::size_t(out.height);
    if (runs)
        return walkRunLengths(pixels, w, h, bits == 4);
    // Rows of whole 32-bit words; an icon's mask has one bit a pixel.
    const std::size_t rowBytes = (w * bits + 31) / 32 * 4 + (icon ? (w + 31) / 32 * 4 : 0);
    return has(pixels, 0, rowBytes * h) ? Check() : kCutShort;
}

Check checkBmp(Bytes b, Checked &out)
{
    if (!has(b, 0, 14))
        return kCutShort;
    const std::uint32_t offset = le32(b, 10);
    return offset < 14 ? kDamaged : checkBitmap(b.substr(14), offset - 14, false, out);
}

/// Of an icon's images, the largest whose size is a picture's: Qt shrinks an icon it
/// writes to 256 pixels, and a PNG inside is read as a PNG, not trusted to Qt.
Check checkIco(Bytes b, Checked &out)
{
    if (!has(b, 0, 6))
        return kCutShort;
    const std::size_t count = le16(b, 4), directory = 6 + 16 * count;
    if (count == 0)
        return kDamaged;
    if (!has(b, 0, directory))
        return kCutShort;
    const auto sideOf = [&](std::size_t at) { return u8(b, at) ? u8(b, at) : 256; };
    std::size_t entry = 6;
    for (std::size_t at = 6, best = 0; at < directory; at += 16) {
        Checked side;
        if (sideOf(at) == sideOf(at + 1) && !checkSide(sideOf(at), sideOf(at + 1), side)
            && std::size_t(side.width) > best) {
            best = std::size_t(side.width);
            entry = at;
        }
    }
    if (Check wrong = checkSide(sideOf(entry), sideOf(entry + 1), out))
        return wrong;
    if (out.width != out.height) // an icon holds one picture
        return Error {.kind = ErrorKind::ImageSize, .line = out.height, .column = out.width};
    out.index = int(entry - 6) / 16;
    const std::size_t bytes = le32(b, entry + 8), offset = le32(b, entry + 12);
    if (offset < directory)
        return kDamaged;
    if (!has(b, offset, bytes))
        return kCutShort;
    const Bytes image = b.substr(offset, bytes);
    Checked inner;
    if (Check wrong = image.starts_with("\x89PNG\r\n\x1A\n") ? readPng(image, inner)
                                                             : checkBitmap(image, 0, true, inner))
        return wrong->kind == ErrorKind::ImageSize ? kDamaged : *wrong;
    out.image = std::move(inner.image); // Qt decodes a bitmap
    return inner.width == out.width && inner.height == out.height ? Check() : kDamaged;
}

void dropMessage(QtMsgType, const QMessageLogContext &, const QString &) { }

/// Qt's decoder of the format, for an image that passed its check.
Check readWithQt(Bytes b, const char *format, Checked &out)
{
    QByteArray data = QByteArray::fromRawData(b.data(), qsizetype(b.size()));
    QBuffer buffer(&data);
    buffer.open(QIODevice::ReadOnly);
    // Only this format's decoder is loaded: detecting the format would load them all.
    QImageReader reader(&buffer, format);
    reader.setAutoDetectImageFormat(false);
    // A 2048-pixel picture at 4 bytes a pixel, and no more: the checks refuse what would
    // need more, so this is only a second line.
    QImageReader::setAllocationLimit(16);
    if (out.index > 0)
        reader.jumpToImage(out.index);
    // Qt's messages repeat what the refusal says, or concern metadata.
    const QtMessageHandler kept = qInstallMessageHandler(dropMessage);
    out.image = reader.read();
    qInstallMessageHandler(kept);
    return out.image.size() == QSize(out.width, out.height) ? Check() : kDamaged;
}

} // namespace

std::optional<Result<QImage>> readImage(Bytes b)
{
    struct Format
    {
        const char *format, *name;
        bool matches;
        Check (*check)(Bytes, Checked &);
    };
    static constexpr const char *pnmNames[] = {"PBM", "PGM", "PPM"}; // P1 to P6, twice
    const bool pnm = b.size() > 2 && b[0] == 'P' && b[1] >= '1' && b[1] <= '6' && isPnmSpace(b[2]);
    const Format formats[] = {
        {"png", "PNG", b.starts_with("\x89PNG\r\n\x1A\n"), readPng},
        {"bmp", "BMP", b.starts_with("BM"), checkBmp},
        {"gif", "GIF", b.starts_with("GIF87a") || b.starts_with("GIF89a"), readGif},
        {"jpeg", "JPEG", b.starts_with("\xFF\xD8\xFF"), readJpeg},
        {"ppm", pnmNames[pnm ? (b[1] - '1') % 3 : 0], pnm, checkPnm},
        {"xbm", "XBM", b.starts_with("#define"), checkXbm},
        {"xpm", "XPM", b.starts_with("/* XPM */"), checkXpm},
        // Icons only: a cursor (type 2) holds no picture.
        {"ico", "ICO", b.starts_with(Bytes("\0\0\1\0", 4)), checkIco},
    };
    for (const Format &f : formats) {
        if (!f.matches)
            continue;
        Checked checked;
        Check wrong = f.check(b, checked);
        if (!wrong && checked.image.isNull())
            wrong = readWithQt(b, f.format, checked);
        if (wrong) {
            if (wrong->kind != ErrorKind::ImageSize)
                wrong->text = f.name;
            return Result<QImage>(*wrong);
        }
        return Result<QImage>(std::move(checked.image));
    }
    return std::nullopt;
}

} // namespace dotdata::images::detail
