// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// Images read right or refused: files that Qt writes, cut or damaged, and a few that lie
// in their headers, made here byte by byte. The command-line test writes every export.

#include "pictureio.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QImageWriter>
#include <QtEndian>

#include <gtest/gtest.h>
#include <zlib.h>

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

QByteArray chunk(const char *type, const QByteArray &data)
{
    const QByteArray body = type + data;
    return be32(quint32(data.size())) + body
        + be32(quint32(crc32(0, reinterpret_cast<const Bytef *>(body.data()), uInt(body.size()))));
}

/// A black 32 x 32 grey PNG whose compressed data holds `surplus` bytes more than it needs.
QByteArray surplusPng(int surplus)
{
    return "\x89PNG\r\n\x1A\n" + chunk("IHDR", be32(32) + be32(32) + QByteArray("\x08\0\0\0\0", 5))
        + chunk("IDAT", qCompress(QByteArray(32 * 33 + surplus, '\0')).mid(4)) + chunk("IEND", {});
}

/// The all-colours picture as a real GIF encoder wrote it (ImageMagick's; Qt has none).
QByteArray allColoursGif()
{
    QFile file(QStringLiteral(IMAGES_TEST_DIR "/allcolours.gif"));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(Images, ReadRightOrRefused)
{
    const Picture::Table table = allColours(), black {};
    Picture::Table red {}, white {};
    red.fill(2);
    white.fill(7);
    const QImage picture = pictureImage(table, 1);
    const QByteArray png = written(picture, "png"), bmp = written(pictureImage(table, 3), "bmp"),
                     ppm = written(picture, "ppm"), xpm = written(picture, "xpm"),
                     ico = written(picture, "ico"), gifFile = allColoursGif(),
                     jpeg = written(picture, "jpeg", 100);
    QByteArray damaged = png, scrambled = jpeg;
    damaged[png.indexOf("IDAT") + 10] = char(damaged[png.indexOf("IDAT") + 10] ^ 1);
    for (qsizetype i = jpeg.indexOf("\xFF\xDA") + 40; i < jpeg.size() - 200; i += 7)
        scrambled[i] = jpeg.mid(i - 1, 2).contains('\xFF') || uchar(jpeg[i]) == 0xAA
            ? jpeg[i]
            : char(jpeg[i] ^ 0x55);
    // An icon whose directory says 32 x 32, holding a 64 x 64 PNG.
    const QByteArray png64 = written(pictureImage(table, 2), "png");
    const QByteArray lyingIco = QByteArray("\0\0\1\0\1\0\x20\x20\0\0\1\0\x20\0", 14)
        + le32(quint32(png64.size())) + le32(22) + png64;
    // A bitmap stored top-down, as a negative height says.
    const QByteArray topDown = written(picture.mirrored(), "bmp")
                                   .replace(22, 4, le32(quint32(-32)));
    // One byte more where a file must end, one sample above the maximum, one more byte,
    // row or column than the size says, a checksum that does not match.
    QByteArray plain = "P3 32 32 255\n" + QByteArray("0 0 0 ").repeated(kCells);
    plain.replace(13, 5, "256 0 0");
    const QByteArray xbm = written(picture, "xbm");
    // All red: an XPM with two characters a pixel, and a run-length BMP whose runs fill
    // each row to its right edge.
    const QByteArray xpm2 = "/* XPM */\nstatic char *x[]={\n\"32 32 1 2\",\n\"ab c #ff0000\",\n"
        + QByteArray("\"" + QByteArray("ab").repeated(32) + "\",\n").repeated(32) + "};\n";
    const QByteArray rle = "BM" + le32(0) + le32(0) + le32(62) + le32(40) + le32(32) + le32(32)
        + QByteArray("\1\0\x08\0\1\0\0\0", 8) + QByteArray(12, '\0') + le32(2) + le32(0) + le32(0)
        + le32(0x00FF0000) + QByteArray("\x20\1\0\0", 4).repeated(32) + QByteArray("\0\1", 2);
    const qsizetype row = xpm.lastIndexOf("c #") + 13; // a row: its string, ',' and '\n'
    QByteArray longRow = xpm;
    longRow.insert(row + 1, '.');
    QByteArray badCrc = chunk("tEXt", "a\0b"); // in a chunk a decoder may pass over
    badCrc[badCrc.size() - 1] = char(badCrc[badCrc.size() - 1] ^ 1);
    badCrc.prepend(png.left(33)).append(png.mid(33));
    // A header field set to a value no encoder writes, or a move below the last row.
    const auto patched = [](QByteArray bytes, qsizetype at, const QByteArray &with) {
        return bytes.replace(at, with.size(), with);
    };
    const qsizetype sof = jpeg.indexOf("\xFF\xC0");
    QImage deep(2048, 2048, QImage::Format_RGBA64);
    deep.fill(Qt::red);
    // clang-format off
    const struct { QByteArray bytes; std::optional<K> kind; const char *name; const Picture::Table *cells = nullptr; } cases[] = {
        {png, {}, "", &table}, {bmp, {}, "", &table}, {ppm, {}, "", &table}, {xpm, {}, "", &table},
        {ico, {}, "", &table}, {gifFile, {}, "", &table}, {xpm2, {}, "", &red}, {rle, {}, "", &red},
        {written(picture.convertToFormat(QImage::Format_Indexed8), "png"), {}, "", &table}, {QByteArray(xpm).replace("{", "{ /* w h colours chars */"), {}, "", &table},
        {QByteArray(gifFile).replace(0, 6, "GIF87a"), {}, "", &table}, {"P6 32 32 65535\n" + QByteArray(6 * kCells, '\0'), {}, "", &black},
        {"P3\n#\n32 #\n32\n# max\n255\n" + QByteArray("255 255 255 ").repeated(kCells), {}, "", &white}, {topDown, {}, "", &table}, {surplusPng(0), {}, "", &black}, {jpeg, {}, "", nullptr},
        {png.left(png.size() / 2), K::ImageCutShort, "PNG"}, {png.chopped(1), K::ImageCutShort, "PNG"},
        {bmp.left(bmp.size() / 2), K::ImageCutShort, "BMP"}, {gifFile.left(gifFile.size() / 2), K::ImageCutShort, "GIF"},
        {gifFile.chopped(1), K::ImageCutShort, "GIF"}, {jpeg.chopped(2), K::ImageCutShort, "JPEG"},
        {ppm.chopped(1), K::ImageCutShort, "PPM"}, {xpm.left(200), K::ImageCutShort, "XPM"},
        {ico.left(ico.size() / 2), K::ImageCutShort, "ICO"}, {"GIF89a", K::ImageCutShort, "GIF"},
        {written(picture, "xbm").left(300), K::ImageCutShort, "XBM"},
        {bmp.chopped(96 * 3), K::ImageCutShort, "BMP"},
        {damaged, K::ImageDamaged, "PNG"}, {surplusPng(1), K::ImageDamaged, "PNG"},
        {badCrc, K::ImageDamaged, "PNG"}, {png + '\0', K::ImageDamaged, "PNG"},
        {gifFile + '\0', K::ImageDamaged, "GIF"}, {jpeg + '\0', K::ImageDamaged, "JPEG"},
        {plain, K::ImageDamaged, "PPM"}, {QByteArray(xbm).replace("}", ", 0x00 }"), K::ImageDamaged, "XBM"},
        {QByteArray(xpm).insert(row, xpm.mid(row, 36)), K::ImageDamaged, "XPM"}, {longRow, K::ImageDamaged, "XPM"},
        {lyingIco, K::ImageDamaged, "ICO"}, {scrambled, K::ImageDamaged, "JPEG"},
        {ppm + '\n', K::ImageDamaged, "PPM"}, {QByteArray(xpm).replace("\"a", "\"b"), K::ImageDamaged, "XPM"},
        {"#define x_width 32\n#define x_height 32\nstatic char x_bits[] = { 0x00 };\n", K::ImageDamaged, "XBM"},
        {written(deep, "png"), K::ImageUnsupported, "PNG"},
        {"P6\n20000 20000\n255\nxyz", K::ImageSize, ""}, {"P1 64 32\n", K::ImageSize, ""},
        {"P1 48 48\n", K::ImageSize, ""}, {QByteArray(ico).replace(6, 2, "\x40\x40"), K::ImageDamaged, "ICO"},
        {patched(bmp, 14, le32(41)), K::ImageUnsupported, "BMP"}, {patched(bmp, 28, "\2"), K::ImageUnsupported, "BMP"},
        {patched(bmp, 10, le32(10)), K::ImageDamaged, "BMP"}, {patched(bmp, 10, le32(20)), K::ImageDamaged, "BMP"},
        {patched(rle, 22, le32(quint32(-32))), K::ImageDamaged, "BMP"}, {patched(rle, 62, QByteArray("\0\2\0\x40\0\1", 6)), K::ImageDamaged, "BMP"},
        {patched(ico, 18, le32(10)), K::ImageDamaged, "ICO"}, {patched(ico, 22, le32(108)), K::ImageUnsupported, "ICO"},
        {patched(jpeg, sof + 4, "\x0C"), K::ImageUnsupported, "JPEG"}, {patched(jpeg, sof + 9, "\2"), K::ImageUnsupported, "JPEG"},
        {patched(jpeg, sof + 1, "\xC3"), K::ImageUnsupported, "JPEG"},
    };
    // clang-format on
    for (const auto &[bytes, kind, name, cells] : cases) {
        const std::optional<Result<PictureRecords>> read = decodeImage(
            std::string_view(bytes.data(), std::size_t(bytes.size())));
        ASSERT_TRUE(read) << bytes.left(12).toHex().data();
        if (kind) {
            ASSERT_FALSE(*read) << name << " " << bytes.size();
            EXPECT_EQ(read->error().kind, *kind) << name << " " << bytes.size();
            EXPECT_EQ(read->error().text, name);
        } else {
            ASSERT_TRUE(*read) << int(read->error().kind) << " " << bytes.left(12).toHex().data();
            EXPECT_EQ(read->value().count, kCells);
            EXPECT_TRUE(!cells
                || std::equal(
                    cells->begin(), cells->begin() + kCells, read->value().values.begin()))
                << bytes.left(12).toHex().data();
        }
    }
    const Error huge = decodeImage("P6\n20000 20000\n255\nxyz")->error();
    EXPECT_TRUE(huge.column == 20000 && huge.line == 20000);
    for (const char *text : {" 0 \r\n", "10 DATA 0\n", "P7\n", "GIF88a", ""})
        EXPECT_FALSE(decodeImage(text)) << text;
}

TEST(Images, NearestColoursAndBlocks)
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
    const Error size = imageRecords(scaled.copy(0, 0, 64, 63)).error();
    EXPECT_TRUE(size.kind == K::ImageSize && size.column == 64 && size.line == 63);
}

} // namespace
} // namespace dotdata::images

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv); // finds Qt's image format plugins
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
