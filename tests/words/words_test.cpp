// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// Every refusal's wording, in English as the command line prints it and in Japanese as
// the window shows it, and file names as both show them.

#include "words.h"

#include <QCoreApplication>
#include <QTranslator>

#include "rows.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <ostream>
#include <set>

using namespace Qt::StringLiterals;

// A failed comparison shows the texts themselves.
void PrintTo(const QString &text, std::ostream *out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace dotdata {
namespace {

// A failing row looks for its printer in the row's own namespace.
using dotdata::PrintTo;

struct Wording
{
    const char *name;
    Error error;
    /// "{system}" stands for the system's own wording of ENOENT.
    const char *english, *japanese;
};

Error withSystem(ErrorKind kind)
{
    return {.kind = kind, .file = "dir/pic.dat", .systemError = ENOENT};
}

Error inFile(ErrorKind kind, long long line = 0, long long value = 0, std::string text = {})
{
    return {.kind = kind, .file = "dir/pic.dat", .line = line, .value = value, .text = text};
}

// clang-format off
const Wording kWordings[] = {
    {"CannotOpen", withSystem(ErrorKind::CannotOpen),
        "cannot open dir/pic.dat: {system}", "ファイルを開けません。\n{system}"},
    {"CannotRead", withSystem(ErrorKind::CannotRead),
        "cannot read dir/pic.dat: {system}", "ファイルの読み込み中にエラーが発生しました。\n{system}"},
    {"NotAFile", inFile(ErrorKind::NotAFile), "dir/pic.dat: not a regular file", "通常のファイルではありません。"},
    {"TooLarge", inFile(ErrorKind::TooLarge),
        "dir/pic.dat: the file is larger than 16 MiB, the most an input is read to: a picture file as written "
        "is 5120 bytes, and the largest image dotdata writes is 12 MiB",
        "ファイルが大きすぎます (最大 16 MiB)。\n絵のファイルは 5120 バイト、dotdata が書き出す最大の画像は 12 MiB です。"},
    {"CannotFollowLink", withSystem(ErrorKind::CannotFollowLink),
        "cannot follow the link dir/pic.dat: {system}", "シンボリック リンクをたどれません。\n{system}"},
    {"LinkChanged", inFile(ErrorKind::LinkChanged),
        "cannot write through the link dir/pic.dat: it changed during the save", "保存中にシンボリック リンクが変わりました。"},
    {"CannotCreate", withSystem(ErrorKind::CannotCreate),
        "cannot create a file in dir/pic.dat: {system}", "フォルダーにファイルを作れません。\n{system}"},
    {"CannotWrite", withSystem(ErrorKind::CannotWrite),
        "cannot write dir/pic.dat: {system}", "ファイルに書き込めません。\n{system}"},
    {"CannotReplace", withSystem(ErrorKind::CannotReplace),
        "cannot replace dir/pic.dat: {system}", "ファイルを置き換えられません。\n{system}"},
    {"OutputNotAFile", inFile(ErrorKind::OutputNotAFile),
        "cannot replace dir/pic.dat: not a regular file; an output must be one", "通常のファイルではありません。"},
    {"WideText", inFile(ErrorKind::WideText, 0, 0, "UTF-16"),
        "dir/pic.dat: the file is UTF-16 text (it begins with a byte-order mark); dotdata reads ASCII text",
        "UTF-16 のファイルです。\nASCII か UTF-8 のファイルを選んでください。"},
    {"BinaryData", inFile(ErrorKind::BinaryData),
        "dir/pic.dat: binary data, no picture file, DATA text or image", "画像でも文字でもないバイナリ データです。"},
    {"TooManyRecords", inFile(ErrorKind::TooManyRecords),
        "dir/pic.dat: the file has more than 1025 records", "レコードが多すぎます (最大 1025 件)。"},
    {"NoColor", inFile(ErrorKind::NoColor, 3, 9),
        "dir/pic.dat: record 3 holds 9, which has no palette colour (0 to 7)",
        "3 番目のレコードの値 9 に対応する色がありません (使える値は 0 から 7)。"},
    {"DataItem", inFile(ErrorKind::DataItem, 3),
        "dir/pic.dat: line 3: the DATA item is not 32 digits 0 to 7", "3 行目の DATA が 0 から 7 の 32 桁の数字ではありません。"},
    {"DataLineLength", inFile(ErrorKind::DataLineLength, 3, 31),
        "dir/pic.dat: line 3: 31 digits after DATA, not 32", "3 行目の DATA の数字が 31 桁です (32 桁必要です)。"},
    {"DataDigit", inFile(ErrorKind::DataDigit, 3, 8),
        "dir/pic.dat: line 3: the digit 8 has no palette colour (0 to 7)",
        "3 行目の DATA の数字 8 に対応する色がありません (使える数字は 0 から 7)。"},
    {"DataLineCount", inFile(ErrorKind::DataLineCount, 0, 31),
        "dir/pic.dat: 31 DATA lines, not 32 for each picture", "DATA 行が 31 行あります (絵 1 枚に 32 行必要です)。"},
    {"Sprites", inFile(ErrorKind::Sprites, 0, 3, "5000 6000 7000"),
        "dir/pic.dat: 3 pictures, from lines 5000, 6000, 7000; choose one with --sprite",
        "3 枚の絵の DATA があります (最初の行番号: 5000、6000、7000)。"},
    {"NoSuchSprite", inFile(ErrorKind::NoSuchSprite, 4, 2, "5000 6000"),
        "dir/pic.dat: no picture 4: the DATA holds 2, from lines 5000, 6000",
        "4 枚目の絵はありません (DATA にある絵は 2 枚、最初の行番号: 5000、6000)。"},
    {"SheetSprites", inFile(ErrorKind::Sprites, 0, 4096),
        "dir/pic.dat: 4096 pictures; choose one with --sprite", "4096 枚の絵があります。"},
    {"NoSuchSpriteOfSheet", inFile(ErrorKind::NoSuchSprite, 5, 4),
        "dir/pic.dat: no picture 5: the image holds 4", "5 枚目の絵はありません (画像にある絵は 4 枚)。"},
    {"TooManyPictures", inFile(ErrorKind::TooManyPictures, 4096, 4097),
        "dir/pic.dat: 4097 pictures or more; one run takes 4096 at most",
        "絵が 4097 枚以上あります (一度に扱える絵は 4096 枚までです)。"},
    {"DataLineRepeated", inFile(ErrorKind::DataLineRepeated, 33, 32, "5310"),
        "dir/pic.dat: line 33: the line number 5310 is also that of line 32; BASIC keeps only one line of a number",
        "33 行目の行番号 5310 は 32 行目と同じです (BASIC は同じ番号の行を 1 行しか残しません)。"},
    {"ImageCutShort", inFile(ErrorKind::ImageCutShort, 0, 0, "PNG"),
        "dir/pic.dat: the PNG image is cut short", "PNG 画像が途中で切れています。"},
    {"ImageDamaged", inFile(ErrorKind::ImageDamaged, 0, 0, "PBM"),
        "dir/pic.dat: the PBM image is damaged", "PBM 画像が壊れています。"},
    {"ImageUnsupported", inFile(ErrorKind::ImageUnsupported, 0, 0, "JPEG"),
        "dir/pic.dat: the JPEG image is of a kind dotdata does not read", "この種類の JPEG 画像は読み込めません。"},
    {"ImageSize", {.kind = ErrorKind::ImageSize, .file = "dir/pic.dat", .line = 32, .column = 64},
        "dir/pic.dat: an image of 64 × 32 pixels; a picture's is square, 32 × K pixels a side for K from 1 to 64",
        "画像の大きさが 64 × 32 です。\n画像は正方形で、一辺が 32 × K ピクセル (K は 1 から 64) でなければなりません。"},
    {"SheetSize", {.kind = ErrorKind::SheetSize, .file = "dir/pic.dat", .line = 64, .column = 96},
        "dir/pic.dat: an image of 96 × 64 pixels is neither square nor one row or column of square pictures; --scale tells a grid's",
        "画像の大きさが 96 × 64 です。\n画像は正方形か、正方形の絵を横一列または縦一列に並べたものでなければなりません。"},
    {"SheetSizeOfGrid", {.kind = ErrorKind::SheetSize, .file = "dir/pic.dat", .line = 64, .column = 96, .value = 64},
        "dir/pic.dat: an image of 96 × 64 pixels is no grid of pictures 64 pixels a side",
        "画像の大きさ 96 × 64 は、一辺 64 ピクセルの絵を並べた大きさではありません。"},
    {"SeveralPictures", inFile(ErrorKind::SeveralPictures, 0, 3),
        "dir/pic.dat: 3 pictures, and a picture file holds one; choose one with --sprite",
        "絵が 3 枚あります。絵のファイルには 1 枚しか書き出せません。"},
    {"ImageBlock", {.kind = ErrorKind::ImageBlock, .file = "dir/pic.dat", .line = 7, .column = 5, .value = 2},
        "dir/pic.dat: the 2 × 2 block of column 5, row 7 is not one colour",
        "5 列 7 行の 2 × 2 ピクセルのブロックが一色ではありません。"},
    {"CannotWriteImageAtScale", inFile(ErrorKind::CannotWriteImage, 0, 8, "ico"),
        "dir/pic.dat: a .ico image holds the picture exactly only up to --scale 8",
        "ICO 形式の画像に絵をそのまま書き出せるのは倍率 8 までです。"},
    {"CannotWriteImage", inFile(ErrorKind::CannotWriteImage, 0, 0, "jpg"),
        "dir/pic.dat: a .jpg image cannot hold the picture exactly; images are written as .png .bmp .gif .ppm .xpm .ico",
        "JPG 形式の画像には絵をそのまま書き出せません。"},
    {"UnknownSuffix", inFile(ErrorKind::UnknownSuffix, 0, 0, "doc"),
        "dir/pic.dat: dotdata writes no .doc files: it writes an image as .png .bmp .gif .ppm .xpm .ico, DATA text as "
        ".bas .txt, a picture file as .dat .log or with no suffix",
        "拡張子 .doc の形式には書き出せません。"},
    {"NotANumber", {.kind = ErrorKind::NotANumber, .text = "12x"},
        "the start number \"12x\" is not a decimal number", "数値ではありません。\n数値を入力してください。"},
    {"NumberOutOfRange", {.kind = ErrorKind::NumberOutOfRange, .text = "1e400"},
        "the start number \"1e400\" is outside the range of numbers", "扱える範囲を超える数値です。\n数値を入力してください。"},
    {"LineNumbersRepeat", {.kind = ErrorKind::LineNumbersRepeat, .text = "1e15"},
        "the line number \"1e15\" would be written more than once among the 32 lines",
        "桁数が多すぎて、32 行の行番号が重複します。\n桁数の少ない数値を入力してください。"},
    {"LineNumbersRepeatInListing", {.kind = ErrorKind::LineNumbersRepeat, .value = 2, .text = "1E+15"},
        "the line number \"1E+15\" would be written more than once in the listing of 2 pictures",
        "桁数が多すぎて、2 枚の絵の行番号が重複します。"},
    // What the user gave is shown on one line too.
    {"NameWithLineEnd", {.kind = ErrorKind::NotAFile, .file = "a\nb.dat"},
        "'a'$'\\n''b.dat': not a regular file", "通常のファイルではありません。"},
    {"StartNumberWithEscape", {.kind = ErrorKind::NotANumber, .text = "\x1b[2J"},
        "the start number \"$'\\033''[2J'\" is not a decimal number", "数値ではありません。\n数値を入力してください。"},
};
// clang-format on

QString expected(const char *text)
{
    return QString::fromUtf8(text).replace(
        u"{system}"_s, QString::fromLocal8Bit(std::strerror(ENOENT)));
}

using Wordings = testing::TestWithParam<Wording>;

TEST_P(Wordings, InEnglish)
{
    EXPECT_EQ(words::errorText(GetParam().error), expected(GetParam().english));
}

TEST_P(Wordings, InJapanese)
{
    QTranslator japanese;
    ASSERT_TRUE(words::loadJapanese(japanese));
    QCoreApplication::installTranslator(&japanese);
    const QString text = words::errorText(GetParam().error);
    QCoreApplication::removeTranslator(&japanese);
    EXPECT_EQ(text, expected(GetParam().japanese));
}

INSTANTIATE_TEST_SUITE_P(EveryKind, Wordings, testing::ValuesIn(kWordings), rowName<Wording>);

TEST(Wordings, OneRowForEachKind)
{
    std::set<ErrorKind> kinds;
    for (const Wording &w : kWordings)
        kinds.insert(w.error.kind);
    EXPECT_EQ(kinds.size(), std::size_t(ErrorKind::LineNumbersRepeat) + 1);
}

struct Name
{
    const char *name;
    std::string bytes;
    const char *shown;
};

// clang-format off
const Name kNames[] = {
    {"Blanks", "my pictures/a b.dat", "my pictures/a b.dat"},
    {"Japanese", "絵/船.dat", "絵/船.dat"},
    {"LineEnd", "a\nb.dat", "'a'$'\\n''b.dat'"},
    {"TerminalEscape", "\x1b[31mred.dat", "$'\\033''[31mred.dat'"},
    {"ControlsInARun", "a\r\t\x7f", "'a'$'\\r\\t\\177'"},
    {"C1Control", "a\xc2\x9b" "2J", "'a'$'\\302\\233''2J'"},
    {"FirstC1", "\xc2\x80", "$'\\302\\200'"}, {"LastC1", "\xc2\x9f", "$'\\302\\237'"},
    {"PastC1", "a\xc2\xa0" "b", "a\xc2\xa0" "b"},
    {"NotUtf8", "a\xff.dat", "'a'$'\\377''.dat'"},
    {"CutShortUtf8", "\xe7\xb5", "$'\\347\\265'"},
    {"QuoteBesideControl", "it's\n", "'it'\\''s'$'\\n'"},
    {"Bell", "\a", "$'\\a'"}, {"Backspace", "\b", "$'\\b'"},
    {"VerticalTab", "\v", "$'\\v'"}, {"FormFeed", "\f", "$'\\f'"},
    {"UnnamedControl", "\x01", "$'\\001'"},
    // Bytes no UTF-8 character begins with, or not as a character would go on.
    {"OverlongAfterE0", "\xe0\x80\x80", "$'\\340\\200\\200'"},
    {"SurrogateAfterED", "\xed\xa0\x80", "$'\\355\\240\\200'"},
    {"OverlongAfterF0", "\xf0\x80\x80\x80", "$'\\360\\200\\200\\200'"},
    {"PastU10FFFF", "\xf4\x90\x80\x80", "$'\\364\\220\\200\\200'"},
    {"CutBeforeAnotherByte", "\xe2\x82", "$'\\342\\202'"},
    {"BadContinuation", "\xe2(\xa1\xe2\x82(", "$'\\342''('$'\\241\\342\\202''('"},
    {"NeverALead", "\xc0\xaf\xc1\xbf\xf5\x80\x80\x80", "$'\\300\\257\\301\\277\\365\\200\\200\\200'"},
};
// clang-format on

using Names = testing::TestWithParam<Name>;

TEST_P(Names, ShownOnOneLine)
{
    EXPECT_EQ(words::shown(GetParam().bytes), QString::fromUtf8(GetParam().shown));
}

INSTANTIATE_TEST_SUITE_P(Names, Names, testing::ValuesIn(kNames), rowName<Name>);

} // namespace
} // namespace dotdata

int main(int argc, char **argv)
{
    // The catalogue is installed in the application object.
    QCoreApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
