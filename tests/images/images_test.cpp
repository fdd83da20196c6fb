// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// Images read right or refused, one named row a case: files that Qt, libjpeg and giflib
// write, cut or damaged, files that lie in their headers or bury a picture in metadata,
// made here byte by byte. Each row is also decoded in a child process of its own, whose
// peak memory must stay under 64 MiB. The command-line test writes every export.

#include "../rows.h"
#include "pictureio.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImageWriter>
#include <QtEndian>

#include <gtest/gtest.h>
#include <zlib.h>

#include <cstdio> // before jpeglib.h
#include <fstream>
#include <functional>
#include <jpeglib.h>
#include <map>
#include <string>
#include <variant>
#include <vector>

#include <sys/wait.h>
#include <unistd.h>

namespace dotdata::images {
namespace {

using K = ErrorKind;

// The palette as images show it, colour 7 as white.
const QRgb kColours[] = {
    0xFF000000, 0xFF0000FF, 0xFFFF0000, 0xFFC04000, 0xFF008000, 0xFF00FFFF, 0xFFFFFF00, 0xFFFFFFFF};

Picture::Table allColours()
{
    Picture::Table table {};
    for (int n = 0; n < kCells; ++n)
        table[std::size_t(n)] = std::int16_t((n * 5 + n / 32) % 8);
    return table;
}

Picture::Table filled(int colour)
{
    Picture::Table table {};
    table.fill(std::int16_t(colour));
    return table;
}

std::string_view view(const QByteArray &bytes)
{
    return {bytes.constData(), std::size_t(bytes.size())};
}

QByteArray written(const QImage &image, const char *format, int quality = -1)
{
    QBuffer buffer;
    QImageWriter writer(&buffer, format);
    writer.setQuality(quality);
    EXPECT_TRUE(writer.write(image)) << format;
    return buffer.data();
}

QByteArray le32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToLittleEndian(value, bytes.data());
    return bytes;
}

QByteArray be32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray patched(QByteArray bytes, qsizetype at, const QByteArray &with)
{
    return bytes.replace(at, with.size(), with);
}

QByteArray chunk(const char *type, const QByteArray &data)
{
    const QByteArray body = type + data;
    return be32(quint32(data.size())) + body
        + be32(quint32(crc32(0, reinterpret_cast<const Bytef *>(body.data()), uInt(body.size()))));
}

/// zlib data of n zero bytes.
QByteArray deflated(qsizetype n)
{
    return qCompress(QByteArray(n, '\0'), 9).mid(4);
}

/// The PNG with chunks put after its header.
QByteArray withChunks(const QByteArray &png, const QByteArray &chunks)
{
    return png.left(33) + chunks + png.mid(33);
}

/// A black 32 x 32 grey PNG whose compressed data holds `surplus` bytes more than it needs.
QByteArray surplusPng(int surplus)
{
    return "\x89PNG\r\n\x1A\n" + chunk("IHDR", be32(32) + be32(32) + QByteArray("\x08\0\0\0\0", 5))
        + chunk("IDAT", deflated(32 * 33 + surplus)) + chunk("IEND", {});
}

/// An icon of the images given, each (side, bytes): a PNG, or a bitmap as in an icon.
QByteArray icon(const std::vector<std::pair<int, QByteArray>> &images)
{
    const auto count = quint32(images.size());
    QByteArray directory = QByteArray("\0\0\1\0", 4) + le32(count).left(2), data;
    for (const auto &[side, bytes] : images) {
        directory += QByteArray(1, char(side % 256)) + char(side % 256) + QByteArray(2, '\0')
            + QByteArray("\1\0\x20\0", 4) + le32(quint32(bytes.size()))
            + le32(quint32(6 + 16 * count + data.size()));
        data += bytes;
    }
    return directory + data;
}

/// The bitmap of an icon as Qt writes it.
QByteArray iconBitmap(const QImage &image)
{
    return written(image, "ico").mid(22);
}

struct JpegOptions
{
    bool arithmetic = false, progressive = false;
    int orientation = 0; // an EXIF orientation to write, 1..8
    bool intel = false; // its EXIF little-endian
    qsizetype comments = 0; // bytes of comments to write, in segments of 65533
};

/// The image as libjpeg writes it at quality 100 with no subsampling.
QByteArray jpegOf(const QImage &source, const JpegOptions &options)
{
    const QImage image = source.convertToFormat(QImage::Format_RGB888);
    jpeg_compress_struct c {};
    jpeg_error_mgr errors {};
    c.err = jpeg_std_error(&errors);
    jpeg_create_compress(&c);
    unsigned char *out = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&c, &out, &size);
    c.image_width = JDIMENSION(image.width());
    c.image_height = JDIMENSION(image.height());
    c.input_components = 3;
    c.in_color_space = JCS_RGB;
    jpeg_set_defaults(&c);
    jpeg_set_quality(&c, 100, TRUE);
    c.comp_info[0].h_samp_factor = c.comp_info[0].v_samp_factor = 1;
    c.arith_code = options.arithmetic;
    if (options.progressive)
        jpeg_simple_progression(&c);
    jpeg_start_compress(&c, TRUE);
    if (options.orientation) {
        const QByteArray exif = options.intel
            ? QByteArray("Exif\0\0II\x2A\0\x08\0\0\0\x01\0\x12\x01\x03\0\x01\0\0\0", 24)
                + char(options.orientation) + QByteArray(7, '\0')
            : QByteArray("Exif\0\0MM\0\x2A\0\0\0\x08\0\x01\x01\x12\0\x03\0\0\0\x01\0", 25)
                + char(options.orientation) + QByteArray(6, '\0');
        jpeg_write_marker(&c, JPEG_APP0 + 1, reinterpret_cast<const JOCTET *>(exif.data()),
            unsigned(exif.size()));
    }
    const QByteArray comment(65533, 'c');
    for (qsizetype left = options.comments; left > 0; left -= comment.size())
        jpeg_write_marker(&c, JPEG_COM, reinterpret_cast<const JOCTET *>(comment.data()),
            unsigned(std::min(left, comment.size())));
    while (c.next_scanline < c.image_height) {
        JSAMPROW row = const_cast<uchar *>(image.constScanLine(int(c.next_scanline)));
        jpeg_write_scanlines(&c, &row, 1);
    }
    jpeg_finish_compress(&c);
    jpeg_destroy_compress(&c);
    const QByteArray bytes(reinterpret_cast<const char *>(out), qsizetype(size));
    std::free(out);
    return bytes;
}

/// The picture as stored in a file whose EXIF orientation is o: what a viewer turns into
/// the picture. For each orientation, the stored cell that the picture's (x, y) shows.
Picture::Table storedFor(const Picture::Table &picture, int o)
{
    Picture::Table stored {};
    const int n = kColumns - 1;
    for (int y = 0; y <= n; ++y) {
        for (int x = 0; x <= n; ++x) {
            const std::pair<int, int> from[] = {{x, y}, {x, y}, {n - x, y}, {n - x, n - y},
                {x, n - y}, {y, x}, {y, n - x}, {n - y, n - x}, {n - y, x}};
            stored[std::size_t(cellIndex(from[o].second, from[o].first))] =
                picture[std::size_t(cellIndex(y, x))];
        }
    }
    return stored;
}

// The images the rows share, made once they are needed (Qt's plugins need the
// application object).
const QImage &picture()
{
    static const QImage image = pictureImage(allColours(), 1);
    return image;
}
/// The all-colours picture as Qt writes it, each format once: BMP at scale 3, JPEG at
/// quality 100.
const QByteArray &qtWritten(const std::string &format)
{
    static std::map<std::string, QByteArray> cache;
    const auto [at, isNew] = cache.try_emplace(format);
    if (isNew)
        at->second = written(format == "bmp" ? pictureImage(allColours(), 3) : picture(),
            format.c_str(), format == "jpeg" ? 100 : -1);
    return at->second;
}
const auto png = [] { return qtWritten("png"); };
const auto jpeg = [] { return qtWritten("jpeg"); };
const auto bmp = [] { return qtWritten("bmp"); };
const auto ico = [] { return qtWritten("ico"); };
const auto xpm = [] { return qtWritten("xpm"); };
const auto ppm = [] { return qtWritten("ppm"); };
const auto xbm = [] { return qtWritten("xbm"); };
/// The all-colours picture as a real GIF encoder wrote it (ImageMagick's).
const QByteArray &gif()
{
    static const QByteArray bytes = [] {
        QFile file(QStringLiteral(IMAGES_TEST_DIR "/allcolours.gif"));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }();
    return bytes;
}
/// The picture as dotdata exports it; nothing if it does not.
QByteArray exported(std::string_view suffix, int scale, const Picture::Table &table = allColours())
{
    const std::optional<Result<QByteArray>> bytes = encodeSheet({&table, 1}, scale, 1, suffix);
    return bytes && *bytes ? bytes->value() : QByteArray();
}
/// Each row y in colour row(y) % 8.
Picture::Table byRow(int (*row)(int))
{
    Picture::Table table {};
    for (int n = 0; n < kCells; ++n)
        table[std::size_t(n)] = std::int16_t(row(n / 32) % 8);
    return table;
}
/// The GIF of rows stored in the order of an interlaced frame's passes, so marked.
QByteArray interlacedGif()
{
    // Row y is colour y + y / 8, so that no two rows of a pass look alike.
    QByteArray bytes = exported("gif", 1, byRow([](int i) {
        const int y = i < 4 ? 8 * i : i < 8 ? 8 * i - 28 : i < 16 ? 4 * i - 30 : 2 * i - 31;
        return y + y / 8;
    }));
    const qsizetype flags = bytes.indexOf(QByteArray(",\0\0\0\0\x20\0\x20\0", 9)) + 9;
    bytes[flags] = char(bytes[flags] | 0x40);
    return bytes;
}
/// An all-red bitmap whose runs fill each row to its right edge.
QByteArray runLengths()
{
    return "BM" + le32(0) + le32(0) + le32(62) + le32(40) + le32(32) + le32(32)
        + QByteArray("\1\0\x08\0\1\0\0\0", 8) + QByteArray(12, '\0') + le32(2) + le32(0) + le32(0)
        + le32(0x00FF0000) + QByteArray("\x20\1\0\0", 4).repeated(32) + QByteArray("\0\1", 2);
}
/// An all-black bitmap of 256 colours, and one of 16 bits a pixel with its masks.
QByteArray paletteBmp()
{
    return "BM" + le32(0) + le32(0) + le32(1078) + le32(40) + le32(32) + le32(32)
        + QByteArray("\1\0\x08\0", 4) + QByteArray(24 + 1024 + 1024, '\0');
}
QByteArray bitfieldsBmp()
{
    return "BM" + le32(0) + le32(0) + le32(66) + le32(40) + le32(32) + le32(32)
        + QByteArray("\1\0\x10\0\3", 5) + QByteArray(23, '\0') + le32(0xF800) + le32(0x07E0)
        + le32(0x1F) + QByteArray(2048, '\0');
}
/// A JPEG with an EXIF orientation, and where its APP1 segment starts.
QByteArray exifJpeg()
{
    return jpegOf(pictureImage(storedFor(allColours(), 6), 8), {.orientation = 6});
}
qsizetype app1()
{
    return exifJpeg().indexOf("\xFF\xE1");
}
/// Where an XPM's first row starts: its string, ',' and '\n'.
qsizetype xpmRow()
{
    return xpm().lastIndexOf("c #") + 13;
}
/// A plain PBM as netpbm writes it: no blanks between pixels, lines of 70 at most.
QByteArray plainPbm()
{
    QByteArray pbm = "P1\n32 32\n";
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x)
            pbm += allColours()[std::size_t(cellIndex(y, x))] % 2 ? '1' : '0';
        pbm += '\n';
    }
    return pbm;
}
Picture::Table plainPbmCells()
{
    Picture::Table table = allColours();
    for (auto &cell : table)
        cell = std::int16_t(cell % 2 ? 0 : 7);
    return table;
}
/// n zTXt chunks (or compressed iTXt ones) of `inflated` bytes each.
QByteArray texts(int n, qsizetype inflated, bool international = false)
{
    const QByteArray text = (international ? QByteArray("Comment\0\1\0\0\0", 12)
                                           : QByteArray("Comment\0\0", 9))
        + deflated(inflated);
    return chunk(international ? "iTXt" : "zTXt", text).repeated(n);
}

struct Row
{
    const char *name;
    std::function<QByteArray()> bytes;
    std::optional<K> kind; // none: read right
    const char *text = ""; // the refusal's
    std::function<Picture::Table()> cells = {}; // the picture read, where known
};

// A failing row looks for its printer in the row's own namespace.
using dotdata::PrintTo;

// clang-format off
const Row kRows[] = {
    // Files as their writers write them.
    {"Png", png, {}, "", allColours},
    {"PngPalette", [] { return written(picture().convertToFormat(QImage::Format_Indexed8), "png"); }, {}, "", allColours},
    {"PngExactData", [] { return surplusPng(0); }, {}, "", [] { return filled(0); }},
    {"PngSixteenBits2048", [] { QImage deep(2048, 2048, QImage::Format_RGBA64); deep.fill(Qt::red); return written(deep, "png"); }, {}, "", [] { return filled(2); }},
    {"Bmp", bmp, {}, "", allColours},
    {"BmpTopDown", [] { return written(picture().mirrored(), "bmp").replace(22, 4, le32(quint32(-32))); }, {}, "", allColours},
    {"BmpPaletteAllColoursUsed", paletteBmp, {}, "", [] { return filled(0); }},
    {"BmpOs2Palette", [] { return "BM" + le32(0) + le32(0) + le32(794) + le32(12) + QByteArray("\x20\0\x20\0\1\0\x08\0\0\0\xFF", 11) + QByteArray(765 + 1024, '\0'); }, {}, "", [] { return filled(2); }},
    {"BmpV5Header", [] { return "BM" + le32(0) + le32(0) + le32(138) + le32(124) + le32(32) + le32(32) + QByteArray("\1\0\x18\0", 4) + QByteArray(108 + 32 * 96, '\0'); }, {}, "", [] { return filled(0); }},
    {"BmpSixteenBits", [] { return "BM" + le32(0) + le32(0) + le32(54) + le32(40) + le32(32) + le32(32) + QByteArray("\1\0\x10\0", 4) + QByteArray(24 + 2048, '\0'); }, {}, "", [] { return filled(0); }},
    {"BmpRunLengths", runLengths, {}, "", [] { return filled(2); }},
    {"BmpRunLengthsLiterals", [] { return runLengths().left(62) + QByteArray("\0\3\1\1\1\0\x1D\1\0\0", 10).repeated(32) + QByteArray("\0\1", 2); }, {}, "", [] { return filled(2); }},
    {"BmpRunLengthsFourBits", [] { return patched(runLengths().left(62), 28, QByteArray("\4\0\2", 3)) + QByteArray("\0\5\x11\x11\x10\0\x1B\x11\0\0", 10).repeated(32) + QByteArray("\0\1", 2); }, {}, "", [] { return filled(2); }},
    {"BmpRunMoveToRightEdge", [] { return QByteArray(runLengths()).replace(62, 2, QByteArray("\x10\1\0\2\x10\0", 6)); }, {}, ""},
    {"BmpBitfields16", bitfieldsBmp, {}, "", [] { return filled(0); }},
    {"BmpBitfields32", [] { return patched(bitfieldsBmp(), 28, "\x20") + QByteArray(2048, '\0'); }, {}, "", [] { return filled(0); }},
    {"Gif", gif, {}, "", allColours},
    {"Gif87a", [] { return QByteArray(gif()).replace(0, 6, "GIF87a"); }, {}, "", allColours},
    {"GifTwoFrames", [] { return gif().chopped(1) + gif().mid(0x2D, gif().size() - 0x2E) + ';'; }, {}, "", allColours},
    {"GifInterlaced", interlacedGif, {}, "", [] { return byRow([](int y) { return y + y / 8; }); }},
    {"GifOnePixelFrame", [] { return QByteArray::fromHex("474946383961" "20002000800000" "000000FFFFFF" "2C050005000100010000" "02024C0100" "3B"); }, {}, "", [] { Picture::Table t = filled(0); t[std::size_t(cellIndex(5, 5))] = 7; return t; }},
    {"GifTransparentPixel", [] { return QByteArray::fromHex("474946383961" "20002000800000" "000000FFFFFF" "21F9040100000100" "2C050005000100010000" "02024C0100" "3B"); }, {}, "", [] { return filled(0); }},
    {"GifWritten", [] { return exported("gif", 1); }, {}, "", allColours},
    {"GifWrittenScale64", [] { return exported("gif", 64); }, {}, "", allColours},
    {"Jpeg", jpeg, {}, "", {}},
    {"JpegArithmetic", [] { return jpegOf(pictureImage(allColours(), 8), {.arithmetic = true}); }, {}, "", allColours},
    {"JpegArithmeticProgressive", [] { return jpegOf(pictureImage(allColours(), 8), {.arithmetic = true, .progressive = true}); }, {}, "", allColours},
    {"JpegExifOrientation2", [] { return jpegOf(pictureImage(storedFor(allColours(), 2), 8), {.orientation = 2}); }, {}, "", allColours},
    {"JpegExifOrientation3", [] { return jpegOf(pictureImage(storedFor(allColours(), 3), 8), {.orientation = 3}); }, {}, "", allColours},
    {"JpegExifOrientation4", [] { return jpegOf(pictureImage(storedFor(allColours(), 4), 8), {.orientation = 4}); }, {}, "", allColours},
    {"JpegExifOrientation5", [] { return jpegOf(pictureImage(storedFor(allColours(), 5), 8), {.orientation = 5}); }, {}, "", allColours},
    {"JpegExifOrientation6", exifJpeg, {}, "", allColours},
    {"JpegExifIntelOrder", [] { return jpegOf(pictureImage(storedFor(allColours(), 6), 8), {.orientation = 6, .intel = true}); }, {}, "", allColours},
    {"JpegExifOrientation7", [] { return jpegOf(pictureImage(storedFor(allColours(), 7), 8), {.orientation = 7}); }, {}, "", allColours},
    {"JpegExifOrientation8", [] { return jpegOf(pictureImage(storedFor(allColours(), 8), 8), {.orientation = 8}); }, {}, "", allColours},
    {"JpegExifSecondEntry", [] { return jpegOf(pictureImage(storedFor(allColours(), 6), 8), {}).insert(2, QByteArray::fromHex("FFE1002E" "457869660000" "49492A0008000000" "0200" "000103000100000005000000" "120103000100000006000000" "00000000")); }, {}, "", allColours},
    {"JpegExifOrientationFirstCounts", [] { const QByteArray one = jpegOf(picture(), {.orientation = 1}); QByteArray six = jpegOf(pictureImage(storedFor(allColours(), 6), 8), {.orientation = 6}); return six.insert(six.indexOf("\xFF\xE1") + 36, one.mid(one.indexOf("\xFF\xE1"), 36)); }, {}, "", allColours},
    {"JpegEmptyApp1", [] { return QByteArray(jpeg()).insert(2, QByteArray("\xFF\xE1\0\2", 4)); }, {}, "", {}},
    {"JpegSomeComments", [] { return jpegOf(pictureImage(allColours(), 8), {.comments = 200000}); }, {}, "", allColours},
    {"Ppm", ppm, {}, "", allColours},
    {"Ppm16Bit", [] { return "P6 32 32 65535\n" + QByteArray(6 * kCells, '\0'); }, {}, "", [] { return filled(0); }},
    {"Pgm16BitMaximum256", [] { return "P5 32 32 256\n" + QByteArray(2 * kCells, '\0'); }, {}, "", [] { return filled(0); }},
    {"PlainPpmComments", [] { return "P3\n#\n32 #\n32\n# max\n255\n" + QByteArray("255 255 255 ").repeated(kCells); }, {}, "", [] { return filled(7); }},
    {"PlainPbmNetpbm", plainPbm, {}, "", plainPbmCells},
    {"PlainPbmBlanks", [] { return plainPbm().replace("1", " 1 ").replace("0", "0 ").replace("P 1 ", "P1"); }, {}, "", plainPbmCells},
    {"Xpm", xpm, {}, "", allColours},
    {"XpmComment", [] { return QByteArray(xpm()).replace("{", "{ /* w h colours chars */"); }, {}, "", allColours},
    {"Xpm256Colours", [] { const qsizetype c = xpm().indexOf("c #") - 5; return QByteArray(xpm()).insert(c, xpm().mid(c, 15).repeated(248)).replace("32 8 ", "32 256 "); }, {}, "", allColours},
    {"XpmTwoCharacters", [] { return "/* XPM */\nstatic char *x[]={\n\"32 32 1 2\",\n\"ab c #ff0000\",\n" + QByteArray("\"" + QByteArray("ab").repeated(32) + "\",\n").repeated(32) + "};\n"; }, {}, "", [] { return filled(2); }},
    {"Ico", ico, {}, "", allColours},
    {"Ico256", [] { return written(pictureImage(allColours(), 8), "ico"); }, {}, "", allColours},
    {"IcoSeveralPngs", [] { return icon({{16, written(pictureImage(filled(1), 1).scaled(16, 16), "png")}, {32, png()}, {48, written(pictureImage(filled(2), 1).scaled(48, 48), "png")}}); }, {}, "", allColours},
    {"IcoSeveralBitmaps", [] { return icon({{32, iconBitmap(pictureImage(filled(1), 1))}, {64, iconBitmap(pictureImage(allColours(), 2))}, {48, iconBitmap(pictureImage(filled(2), 1).scaled(48, 48))}}); }, {}, "", allColours},

    // Metadata: passed over, never inflated, and only so much of it.
    {"PngZtxtFlood", [] { return withChunks(png(), texts(8, 7900000)); }, {}, "", allColours},
    {"PngZtxtMany", [] { return withChunks(png(), texts(130, 7900000)); }, {}, "", allColours},
    {"PngItxtFlood", [] { return withChunks(png(), texts(40, 7900000, true)); }, {}, "", allColours},
    {"IcoPngZtxtFlood", [] { return icon({{32, withChunks(png(), texts(8, 7900000))}}); }, {}, "", allColours},
    {"PngMetadataPastLimit", [] { return withChunks(png(), chunk("tEXt", "Comment\0" + QByteArray(600000, 'x')).repeated(2)); }, K::ImageUnsupported, "PNG"},
    {"PngMetadataOnly", [] { return withChunks(png(), chunk("tEXt", QByteArray(8000000, 'x')).repeated(2)); }, K::ImageUnsupported, "PNG"},
    {"GifCommentFlood", [] { return QByteArray(gif()).insert(0x2D, "\x21\xFE" + ("\xFF" + QByteArray(255, 'c')).repeated(4200) + '\0'); }, K::ImageUnsupported, "GIF"},
    {"JpegApp1Flood", [] { return jpeg().left(2) + ("\xFF\xE1\xFF\xFF" + QByteArray(65533, 'x')).repeated(20) + jpeg().mid(2); }, K::ImageUnsupported, "JPEG"},
    {"JpegCommentFlood", [] { return jpegOf(picture(), {.comments = 16 << 20}).left(16 << 20); }, K::ImageUnsupported, "JPEG"},

    // Cut short, told apart from damaged.
    {"PngCutHalf", [] { return png().left(png().size() / 2); }, K::ImageCutShort, "PNG"},
    {"PngCutLastByte", [] { return png().chopped(1); }, K::ImageCutShort, "PNG"},
    {"BmpCutRows", [] { return bmp().chopped(96 * 3); }, K::ImageCutShort, "BMP"},
    {"BmpOffsetPastEnd", [] { return patched(bmp(), 10, le32(quint32(bmp().size() + 10))); }, K::ImageCutShort, "BMP"},
    {"GifCutHalf", [] { return gif().left(gif().size() / 2); }, K::ImageCutShort, "GIF"},
    {"GifCutLastByte", [] { return gif().chopped(1); }, K::ImageCutShort, "GIF"},
    {"GifSignatureOnly", [] { return QByteArray("GIF89a"); }, K::ImageCutShort, "GIF"},
    {"JpegCutHalf", [] { return jpeg().left(jpeg().size() / 2); }, K::ImageCutShort, "JPEG"},
    {"JpegCutEnd", [] { return jpeg().chopped(2); }, K::ImageCutShort, "JPEG"},
    {"PpmCutLastByte", [] { return ppm().chopped(1); }, K::ImageCutShort, "PPM"},
    {"PbmSignatureOnly", [] { return QByteArray("P1\n"); }, K::ImageCutShort, "PBM"},
    {"PpmCutInHeader", [] { return QByteArray("P6\n32 "); }, K::ImageCutShort, "PPM"},
    {"Pgm16BitOneByteSamples", [] { return "P5 32 32 256\n" + QByteArray(kCells, '\0'); }, K::ImageCutShort, "PGM"},
    {"XpmCut", [] { return xpm().left(200); }, K::ImageCutShort, "XPM"},
    {"XbmCut", [] { return xbm().left(300); }, K::ImageCutShort, "XBM"},
    {"IcoMaskMissing", [] { return patched(ico().chopped(128), 14, le32(quint32(ico().size() - 22 - 128))); }, K::ImageCutShort, "ICO"},
    {"IcoCutHalf", [] { return ico().left(ico().size() / 2); }, K::ImageCutShort, "ICO"},
    {"IcoCutInHeader", [] { return ico().left(4); }, K::ImageCutShort, "ICO"},
    {"IcoCutInDirectory", [] { return ico().left(12); }, K::ImageCutShort, "ICO"},
    {"BmpCutInFileHeader", [] { return bmp().left(10); }, K::ImageCutShort, "BMP"},
    {"BmpCutInInfoHeader", [] { return bmp().left(20); }, K::ImageCutShort, "BMP"},
    {"BmpCutInHeader", [] { return bmp().left(40); }, K::ImageCutShort, "BMP"},
    {"BmpRunsWithoutEnd", [] { return runLengths().chopped(2); }, K::ImageCutShort, "BMP"},
    {"BmpLiteralRunCut", [] { return runLengths().left(62) + QByteArray("\0\x20", 2) + QByteArray(10, '\1'); }, K::ImageCutShort, "BMP"},
    {"BmpMoveCut", [] { return runLengths().left(62) + QByteArray("\0\2", 2); }, K::ImageCutShort, "BMP"},
    {"JpegCutAfterApp1Marker", [] { return exifJpeg().left(app1() + 3); }, K::ImageCutShort, "JPEG"},
    {"JpegCutInExif", [] { return exifJpeg().left(app1() + 10); }, K::ImageCutShort, "JPEG"},
    {"PgmEndsAfterHeader", [] { return QByteArray("P5 32 32 255"); }, K::ImageCutShort, "PGM"},
    {"XbmCutBeforeArray", [] { return xbm().left(xbm().indexOf('{')); }, K::ImageCutShort, "XBM"},
    {"XbmCutAfterComma", [] { return xbm().left(xbm().indexOf(',') + 1); }, K::ImageCutShort, "XBM"},
    {"XbmCutInValue", [] { return xbm().left(xbm().indexOf("0x") + 1); }, K::ImageCutShort, "XBM"},
    {"XbmEndsAtBrace", [] { return xbm().left(xbm().indexOf('}') + 1); }, K::ImageCutShort, "XBM"},
    {"XpmCutBeforeArray", [] { return xpm().left(xpm().indexOf('{')); }, K::ImageCutShort, "XPM"},
    {"XpmCutInString", [] { return xpm().left(xpm().indexOf('{') + 5); }, K::ImageCutShort, "XPM"},

    // Damaged.
    {"PngFlippedBit", [] { const qsizetype at = png().indexOf("IDAT") + 10; return patched(png(), at, QByteArray(1, char(png()[at] ^ 1))); }, K::ImageDamaged, "PNG"},
    {"PngSurplusData", [] { return surplusPng(1); }, K::ImageDamaged, "PNG"},
    {"PngTextChecksum", [] { QByteArray text = chunk("tEXt", QByteArray("a\0b", 3)); text[text.size() - 1] = char(text[text.size() - 1] ^ 1); return withChunks(png(), text); }, K::ImageDamaged, "PNG"},
    {"PngTrailingByte", [] { return png() + '\0'; }, K::ImageDamaged, "PNG"},
    {"GifBadCodes", [] { return patched(gif(), 0x3B, QByteArray(5, '\xFF')); }, K::ImageDamaged, "GIF"},
    {"GifTrailingByte", [] { return gif() + '\0'; }, K::ImageDamaged, "GIF"},
    {"GifPixelPastColourMap", [] { Picture::Table t = filled(0); t[1] = 1; t[2] = 2; QByteArray g = exported("gif", 1, t); g[10] = char(g[10] & ~7); return g.remove(19, 18); }, K::ImageDamaged, "GIF"},
    {"GifNoFrame", [] { return gif().left(0x25) + ';'; }, K::ImageDamaged, "GIF"},
    {"GifFrameOffScreen", [] { QByteArray g = exported("gif", 1); g[g.indexOf(QByteArray(",\0\0\0\0", 5)) + 1] = 1; return g; }, K::ImageDamaged, "GIF"},
    {"GifNoColourMap", [] { QByteArray g = exported("gif", 1); g[10] = char(g[10] & 0x7F); return g.remove(13, 24); }, K::ImageDamaged, "GIF"},
    {"GifUnknownRecord", [] { return gif().chopped(1) + "x;"; }, K::ImageDamaged, "GIF"},
    {"JpegExifLengthOne", [] { return patched(exifJpeg(), app1() + 2, QByteArray("\0\1", 2)); }, K::ImageDamaged, "JPEG"},
    {"JpegScrambled", [] { QByteArray s = jpeg(); for (qsizetype i = s.indexOf("\xFF\xDA") + 40; i < s.size() - 200; i += 7) s[i] = jpeg().mid(i - 1, 2).contains('\xFF') || uchar(jpeg()[i]) == 0xAA ? jpeg()[i] : char(jpeg()[i] ^ 0x55); return s; }, K::ImageDamaged, "JPEG"},
    {"JpegTrailingByte", [] { return jpeg() + '\0'; }, K::ImageDamaged, "JPEG"},
    {"PlainPpmSampleTooLarge", [] { return patched("P3 32 32 255\n" + QByteArray("0 0 0 ").repeated(kCells), 13, "256 0 0"); }, K::ImageDamaged, "PPM"},
    {"PpmTrailingByte", [] { return ppm() + '\n'; }, K::ImageDamaged, "PPM"},
    {"PpmHeightNotNumber", [] { return QByteArray("P6\n32 x\n"); }, K::ImageDamaged, "PPM"},
    {"PgmMaximumZero", [] { return "P5 32 32 0\n" + QByteArray(kCells, '\0'); }, K::ImageDamaged, "PGM"},
    {"PgmNoBlankAfterHeader", [] { return "P5 32 32 255x" + QByteArray(kCells, '\0'); }, K::ImageDamaged, "PGM"},
    {"XbmNoHeight", [] { return QByteArray(xbm()).replace("_height", "_depth"); }, K::ImageDamaged, "XBM"},
    {"XbmBadValue", [] { return QByteArray(xbm()).replace("0x", "zz"); }, K::ImageDamaged, "XBM"},
    {"XbmBraceThenComma", [] { return QByteArray(xbm()).replace("};", "},"); }, K::ImageDamaged, "XBM"},
    {"XbmByteMore", [] { return QByteArray(xbm()).replace("}", ", 0x00 }"); }, K::ImageDamaged, "XBM"},
    {"XbmThreeDigitValues", [] { return QByteArray(xbm()).replace("0x", "0x0"); }, K::ImageDamaged, "XBM"},
    {"XbmUpperCaseHex", [] { return QByteArray(xbm()).replace("0x", "0X"); }, K::ImageUnsupported, "XBM"},
    {"XbmOneDigitValues", [] { return "#define x_width 32\n#define x_height 32\nstatic char x_bits[] = {" + QByteArray("0xff,0x0,").repeated(64) + "};"; }, K::ImageUnsupported, "XBM"},
    {"XbmX10Values", [] { return QByteArray(xbm()).replace("0x", "0x00"); }, K::ImageUnsupported, "XBM"},
    {"Xpm257Colours", [] { const qsizetype c = xpm().indexOf("c #") - 5; return QByteArray(xpm()).insert(c, xpm().mid(c, 15).repeated(249)).replace("32 8 ", "32 257 "); }, K::ImageDamaged, "XPM"},
    {"XpmRowMore", [] { return QByteArray(xpm()).insert(xpmRow(), xpm().mid(xpmRow(), 36)); }, K::ImageDamaged, "XPM"},
    {"XpmLongRow", [] { return QByteArray(xpm()).insert(xpmRow() + 1, '.'); }, K::ImageDamaged, "XPM"},
    {"XpmUndefinedKey", [] { return QByteArray(xpm()).replace("\"a", "\"b"); }, K::ImageDamaged, "XPM"},
    {"XpmNotString", [] { return QByteArray(xpm()).insert(xpm().indexOf('{') + 1, 'x'); }, K::ImageDamaged, "XPM"},
    {"XpmNoStrings", [] { return QByteArray("/* XPM */\nstatic char *x[]={};\n"); }, K::ImageDamaged, "XPM"},
    {"XpmHeaderShort", [] { return QByteArray(xpm()).replace("\"32 32 8 1\"", "\"32 32 8\""); }, K::ImageDamaged, "XPM"},
    {"XpmColourWithoutValue", [] { return QByteArray(xpm()).replace(". c #000000", "."); }, K::ImageDamaged, "XPM"},
    {"IcoLyingDirectory", [] { return icon({{32, written(pictureImage(allColours(), 2), "png")}}); }, K::ImageDamaged, "ICO"},
    {"IcoDirectory64", [] { return QByteArray(ico()).replace(6, 2, "\x40\x40"); }, K::ImageDamaged, "ICO"},
    {"IcoOffsetInDirectory", [] { return patched(ico(), 18, le32(10)); }, K::ImageDamaged, "ICO"},
    {"IcoNoImages", [] { return patched(ico(), 4, QByteArray(1, '\0')); }, K::ImageDamaged, "ICO"},
    {"BmpOffsetInHeader", [] { return patched(bmp(), 10, le32(10)); }, K::ImageDamaged, "BMP"},
    {"BmpOffsetInTable", [] { return patched(bmp(), 10, le32(20)); }, K::ImageDamaged, "BMP"},
    {"BmpBitfieldsOffsetInMasks", [] { return patched(bitfieldsBmp(), 10, le32(54)); }, K::ImageDamaged, "BMP"},
    {"BmpTwoPlanes", [] { return patched(bmp(), 26, "\2"); }, K::ImageDamaged, "BMP"},
    {"BmpPaletteTooManyColours", [] { return patched(paletteBmp(), 46, le32(257)); }, K::ImageDamaged, "BMP"},
    {"BmpRunPastRowEnd", [] { return patched(runLengths(), 62, "\x21"); }, K::ImageDamaged, "BMP"},
    {"BmpRunLengthsTopDown", [] { return patched(runLengths(), 22, le32(quint32(-32))); }, K::ImageDamaged, "BMP"},
    {"BmpRunBelowLastRow", [] { return patched(runLengths(), 62, QByteArray("\0\2\0\x40\0\1", 6)); }, K::ImageDamaged, "BMP"},
    {"BmpRunPastLastRow", [] { return runLengths().chopped(2) + QByteArray("\x20\1\0\1", 4); }, K::ImageDamaged, "BMP"},
    {"BmpRunMoveToRowPastLast", [] { return patched(runLengths(), 66, QByteArray("\0\2\0\x1F\0\1", 6)); }, K::ImageDamaged, "BMP"},

    // Forms dotdata does not read, and sizes of no picture.
    {"BmpHeader41", [] { return patched(bmp(), 14, le32(41)); }, K::ImageUnsupported, "BMP"},
    {"BmpTwoBits", [] { return patched(bmp(), 28, "\2"); }, K::ImageUnsupported, "BMP"},
    {"BmpBitfields24", [] { return patched(bitfieldsBmp(), 28, "\x18"); }, K::ImageUnsupported, "BMP"},
    {"XpmThreeCharacters", [] { return QByteArray(xpm()).replace("32 32 8 1", "32 32 8 3"); }, K::ImageUnsupported, "XPM"},
    {"IcoBitmapHeader108", [] { return patched(ico(), 22, le32(108)); }, K::ImageUnsupported, "ICO"},
    {"JpegTwelveBits", [] { return patched(jpeg(), jpeg().indexOf("\xFF\xC0") + 4, "\x0C"); }, K::ImageUnsupported, "JPEG"},
    {"JpegComponentCountWrong", [] { return patched(jpeg(), jpeg().indexOf("\xFF\xC0") + 9, "\2"); }, K::ImageDamaged, "JPEG"},
    {"JpegLossless", [] { return patched(jpeg(), jpeg().indexOf("\xFF\xC0") + 1, "\xC3"); }, K::ImageUnsupported, "JPEG"},
    {"PpmHuge", [] { return QByteArray("P6\n20000 20000\n255\nxyz"); }, K::ImageSize},
    {"PbmWide", [] { return QByteArray("P1 64 48\n"); }, K::ImageSize},
    {"PbmSide48", [] { return QByteArray("P1 48 48\n"); }, K::ImageSize},
    {"PngSide33", [] { return written(picture().scaled(33, 33), "png"); }, K::ImageSize},
    {"JpegSide40", [] { return jpegOf(picture().scaled(40, 40), {}); }, K::ImageSize},
    {"IcoNotSquare", [] { return patched(ico(), 6, "\x40"); }, K::ImageSize},
};
// clang-format on

/// The peak memory in MiB that decoding the bytes takes, in a child process of its own.
int decodingMiB(const QByteArray &bytes)
{
    const auto kib = [](const char *field) {
        std::ifstream status("/proc/self/status");
        for (std::string line; std::getline(status, line);) {
            if (line.starts_with(field))
                return std::stol(line.substr(std::strlen(field)));
        }
        return 0L;
    };
    const pid_t child = fork();
    if (child == 0) {
        const long start = kib("VmRSS:");
        decodePictures(view(bytes));
        _exit(int(std::clamp((kib("VmHWM:") - start) / 1024, 0L, 255L)));
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 255;
}

class Images : public testing::TestWithParam<Row>
{ };

TEST_P(Images, ReadRightOrRefused)
{
    const Row &row = GetParam();
    const QByteArray bytes = row.bytes();
    const std::optional<Result<std::vector<PictureRecords>>> read = decodePictures(view(bytes));
    ASSERT_TRUE(read);
    if (row.kind) {
        ASSERT_FALSE(*read);
        EXPECT_EQ(read->error().kind, *row.kind);
        EXPECT_EQ(read->error().text, row.text);
    } else {
        ASSERT_TRUE(*read) << "refused: " << read->error();
        ASSERT_EQ(read->value().size(), 1u);
        EXPECT_EQ(read->value()[0].count, kCells);
        if (row.cells) {
            const Picture::Table cells = row.cells();
            EXPECT_TRUE(
                std::equal(cells.begin(), cells.begin() + kCells, read->value()[0].values.begin()));
        }
    }
    EXPECT_LT(decodingMiB(bytes), 64);
}

INSTANTIATE_TEST_SUITE_P(Rows, Images, testing::ValuesIn(kRows), rowName<Row>);

TEST(ImageSize, HeaderSizeNamed)
{
    const Error huge = decodePictures("P6\n20000 20000\n255\nxyz")->error();
    EXPECT_EQ(huge.column, 20000);
    EXPECT_EQ(huge.line, 20000);
    for (const char *text : {" 0 \r\n", "10 DATA 0\n", "P7\n", "GIF88a", ""})
        EXPECT_FALSE(decodePictures(text)) << text;
}
/// The one picture of a square image.
Result<PictureRecords> imageRecords(const QImage &image)
{
    const Result<std::vector<PictureRecords>> read = imagePictures(image);
    return read ? Result<PictureRecords>(read.value().at(0)) : read.error();
}

TEST(ImageRecords, NearestColoursAndBlocks)
{
    // The nearest palette colour, 7 counting as white; a tie takes the lower index and a
    // mostly transparent pixel is colour 0.
    const std::pair<QRgb, int> pixels[] = {{qRgb(200, 60, 10), 3}, {qRgb(0, 0, 130), 1},
        {qRgb(0, 64, 0), 0}, {qRgb(230, 230, 200), 7}, {qRgba(255, 0, 0, 127), 0},
        {qRgba(255, 0, 0, 128), 2}};
    QImage image(32, 32, QImage::Format_ARGB32);
    image.fill(Qt::black);
    for (int k = 0; k < 8; ++k)
        image.setPixel(k, 1, kColours[k]);
    for (int x = 0; x < int(std::size(pixels)); ++x)
        image.setPixel(x, 0, pixels[x].first);
    const PictureRecords mapped = imageRecords(image).value();
    for (int x = 0; x < int(std::size(pixels)); ++x)
        EXPECT_EQ(mapped.values[x], pixels[x].second) << x;
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(mapped.values[32 + k], k);
    // And the other way: each colour as an image shows it.
    for (int k = 0; k < 8; ++k)
        EXPECT_EQ(pictureImage(Picture::Table {std::int16_t(k)}, 1).pixel(0, 0), kColours[k]);

    // A scaled image is read at its scale, unless a block is not one colour.
    const Picture::Table table = allColours();
    QImage scaled = pictureImage(table, 2).convertToFormat(QImage::Format_Indexed8);
    EXPECT_TRUE(std::ranges::equal(imageRecords(scaled).value().values, table));
    scaled = scaled.convertToFormat(QImage::Format_RGB32);
    scaled.setPixel(2 * 5 + 1, 2 * 7 + 1, qRgb(255, 255, 255)); // column 5, row 7 holds 4
    const Error block = imageRecords(scaled).error();
    EXPECT_TRUE(
        block.kind == K::ImageBlock && block.column == 5 && block.line == 7 && block.value == 2);
    QImage nearBlack(64, 64, QImage::Format_RGB32);
    nearBlack.fill(Qt::black);
    nearBlack.setPixel(3, 3, qRgb(1, 1, 1)); // the nearest colour is the block's
    EXPECT_TRUE(std::ranges::equal(imageRecords(nearBlack).value().values, filled(0)));
    const Error size = imageRecords(scaled.copy(0, 0, 48, 48)).error();
    EXPECT_TRUE(size.kind == K::ImageSize && size.column == 48 && size.line == 48);
}

struct Sheet
{
    const char *name;
    std::function<QImage()> image;
    int cellSide;
    std::variant<std::size_t, Error> outcome; // the pictures read, or the refusal
};

class Sheets : public testing::TestWithParam<Sheet>
{ };

TEST_P(Sheets, CellsReadOrRefused)
{
    const auto &[name, image, cellSide, outcome] = GetParam();
    const Result<std::vector<PictureRecords>> read = imagePictures(image(), cellSide);
    if (const Error *error = std::get_if<Error>(&outcome)) {
        ASSERT_FALSE(read);
        EXPECT_EQ(read.error(), *error);
    } else {
        ASSERT_TRUE(read) << read.error();
        EXPECT_EQ(read.value().size(), std::get<std::size_t>(outcome));
    }
}

// clang-format off
const Sheet kSheets[] = {
    // A block is named by its column in the whole image, not in its cell.
    {"BlockInSecondCell", [] { QImage i(128, 64, QImage::Format_RGB32); i.fill(Qt::black); i.setPixel(71, 11, kColours[7]); return i; }, 0, Error {.kind = K::ImageBlock, .line = 5, .column = 35, .value = 2}},
    // A square image smaller than the cell side given is one picture.
    {"SquareSmallerThanCell", picture, 64, std::size_t(1)},
    // A long side not a whole number of short ones is no sheet.
    {"LongSideNotWhole", [] { return picture().copy(0, 0, 64, 48); }, 0, Error {.kind = K::SheetSize, .line = 48, .column = 64}},
    {"SquareTooSmall", [] { return picture().copy(0, 0, 16, 16); }, 0, Error {.kind = K::ImageSize, .line = 16, .column = 16}},
    // ... and by its row in the whole image.
    {"BlockInLowerCell", [] { QImage i(64, 128, QImage::Format_RGB32); i.fill(Qt::black); i.setPixel(3, 75, kColours[7]); return i; }, 0, Error {.kind = K::ImageBlock, .line = 37, .column = 1, .value = 2}},
};
// clang-format on
INSTANTIATE_TEST_SUITE_P(Images, Sheets, testing::ValuesIn(kSheets), rowName<Sheet>);

} // namespace
} // namespace dotdata::images

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // finds Qt's image format plugins
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
