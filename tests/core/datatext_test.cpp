// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/datatext.h"

#include "rows.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <optional>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

namespace dotdata {
namespace {

// A failing row looks for its printer in the row's own namespace.
using dotdata::PrintTo;

const std::string kZeros(32, '0');

TEST(Picture, PaintStoresTheSelectedIndexAndIndexesAreContracts)
{
    Picture picture;
    picture.paint(5);
    picture.selectColor(7);
    picture.paint(0);
    picture.selectColor(3);
    picture.paint(0);
    EXPECT_EQ(picture.entry(5), 0) << "painting before any colour is chosen stores 0";
    EXPECT_EQ(picture.entry(0), 3) << "the later paint wins";
    EXPECT_DEATH(picture.paint(kCells), "");
    EXPECT_DEATH(picture.store(kEntries, 1), "");
    EXPECT_DEATH(picture.selectColor(kPaletteSize), "");
}

struct StartNumberCase
{
    const char *name;
    const char *text;
    std::variant<double, ErrorKind> outcome;
};

using StartNumber = testing::TestWithParam<StartNumberCase>;

TEST_P(StartNumber, AcceptedOrRefused)
{
    const auto &[name, text, outcome] = GetParam();
    const Result<double> r = parseStartNumber(text);
    if (const double *value = std::get_if<double>(&outcome)) {
        ASSERT_TRUE(r) << r.error();
        EXPECT_EQ(r.value(), *value);
    } else {
        ASSERT_FALSE(r) << r.value();
        EXPECT_EQ(r.error(), (Error {.kind = std::get<ErrorKind>(outcome), .text = text}));
    }
}

constexpr ErrorKind kNo = ErrorKind::NotANumber, kBeyond = ErrorKind::NumberOutOfRange;
// clang-format off
const StartNumberCase kStartNumberCases[] = {
    {"Plain", "5000", 5000.}, {"Blanks", " 100 ", 100.}, {"Tabs", "\t42\t", 42.},
    {"Plus", "+7", 7.}, {"Minus", "-20", -20.}, {"NoIntegerPart", ".5", .5}, {"NoFraction", "5.", 5.},
    {"Exponent", "1.5E+2", 150.}, {"NegativeExponent", "-2e-1", -0.2}, {"Largest", "1e308", 1e308},
    {"Empty", "", kNo}, {"OnlyBlanks", "   ", kNo}, {"LetterAfter", "50a", kNo},
    {"DecimalComma", "1,5", kNo}, {"GroupBlank", "1 000", kNo}, {"ExponentWithoutDigits", "1e", kNo},
    {"LoneSign", "-", kNo}, {"TwoSigns", "--5", kNo}, {"Infinity", "inf", kNo}, {"NaN", "nan", kNo},
    {"Hexadecimal", "0x10", kNo}, {"BeyondDouble", "1e309", kBeyond}, {"BelowDouble", "-1e999", kBeyond},
    {"LineEnd", "5\n", kNo}, {"FullWidthDigit", "\xef\xbc\x95", kNo}};
INSTANTIATE_TEST_SUITE_P(Forms, StartNumber, testing::ValuesIn(kStartNumberCases),
    rowName<StartNumberCase>);
// clang-format on

struct NumberImageCase
{
    const char *name;
    double value;
    const char *image;
};

using NumberImage = testing::TestWithParam<NumberImageCase>;

TEST_P(NumberImage, SignBlankDigitsAndFractions)
{
    EXPECT_EQ(numberImage(GetParam().value), GetParam().image);
}

// clang-format off
const NumberImageCase kNumberImageCases[] = {
    {"Zero", 0, " 0"}, {"NegativeZero", -0.0, " 0"}, {"Negative", -20, "-20"},
    {"Fraction", 5000.5, " 5000.5"}, {"NoLeadingZero", -0.5, "-.5"},
    {"InexactSum", 310 + 0.3, " 310.3"}, // the floating sum is not exactly 310.3
    {"FifteenDigits", -999999999999999.0, "-999999999999999"}, {"RoundsUpToExponent", 999999999999999.5, " 1E+15"},
    {"LargeExponent", -2.5e20, "-2.5E+20"}, {"SmallExponent", 0.00001, " 1E-05"},
    {"FifteenSignificantDigits", 1.0 / 3, " .333333333333333"}};
INSTANTIATE_TEST_SUITE_P(Values, NumberImage, testing::ValuesIn(kNumberImageCases),
    rowName<NumberImageCase>);
// clang-format on

TEST(NumberImage, UsesAPointUnderADecimalCommaLocale)
{
    const std::string before = std::setlocale(LC_ALL, nullptr);
    if (std::setlocale(LC_ALL, "de_DE.UTF-8") == nullptr)
        GTEST_SKIP() << "the de_DE.UTF-8 locale is not installed";
    const std::locale previousGlobal = std::locale::global(std::locale("de_DE.UTF-8"));
    const std::string image = numberImage(5000.5);
    const Result<double> comma = parseStartNumber("12,5");
    const Result<RowLines> lines = makeRowLines(Picture::Table {}, "0.5");
    std::locale::global(previousGlobal);
    std::setlocale(LC_ALL, before.c_str());

    EXPECT_EQ(image, " 5000.5");
    EXPECT_FALSE(comma);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines.value()[1], " 10.5 DATA " + kZeros);
}

Picture::Table rowsTable()
{
    Picture::Table table {};
    for (int c = 0; c < kColumns; ++c)
        table[std::size_t(c)] = std::int16_t(c % 8);
    table[cellIndex(5, 0)] = 8;
    table[cellIndex(5, 31)] = 9;
    table[kCells] = 7; // belongs to no cell, so it appears nowhere
    return table;
}

struct RowLineCase
{
    const char *name;
    const char *start;
    DataStyle style;
    int row;
    std::string line;
};

using DataLines = testing::TestWithParam<RowLineCase>;

TEST_P(DataLines, NumberedFromTheStartNumberWithOneDigitPerCell)
{
    const auto &[name, start, style, row, line] = GetParam();
    const Result<RowLines> lines = makeRowLines(rowsTable(), start, style);
    ASSERT_TRUE(lines) << lines.error();
    EXPECT_EQ(lines.value()[std::size_t(row)], line);
}

const std::string kRow0 = " DATA 01234567012345670123456701234567";
const DataStyle kTens, kOnes {1, false}, kQuoted {100, true};
// clang-format off
const RowLineCase kDataLinesCases[] = {
    {"FirstRow", "5000", kTens, 0, " 5000" + kRow0},
    {"ValuesWithoutColourAsWritten", "5000", kTens, 5, " 5050 DATA 8" + std::string(30, '0') + "9"},
    {"LastRow", "5000", kTens, 31, " 5310 DATA " + kZeros}, {"Negative", "-20", kTens, 1, "-10 DATA " + kZeros},
    {"Zero", "-20", kTens, 2, " 0 DATA " + kZeros}, {"Fraction", "2.5", kTens, 1, " 12.5 DATA " + kZeros},
    {"Exponent", "1e15", kTens, 0, " 1E+15" + kRow0}, {"StepOne", "1", kOnes, 31, " 32 DATA " + kZeros},
    {"Quoted", "65000", kQuoted, 31, " 68100 DATA \"" + kZeros + '"'},
    {"FifteenDigitsChecked", "99999999999990", kOnes, 31, " 100000000000021 DATA " + kZeros}};
INSTANTIATE_TEST_SUITE_P(Rows, DataLines, testing::ValuesIn(kDataLinesCases),
    rowName<RowLineCase>);
// clang-format on

TEST(RowLines, RepeatedOrNoNumbersMakeNoLines)
{
    // Line numbers a step apart that 15 significant digits cannot tell apart repeat.
    EXPECT_EQ(makeRowLines(rowsTable(), "1e15", kOnes).error(),
        (Error {.kind = ErrorKind::LineNumbersRepeat, .text = " 1E+15"}));
    EXPECT_FALSE(makeRowLines(rowsTable(), "12x"))
        << "no line is made from a start that is no number";
}

TEST(Listing, NumbersRunOnAcrossPicturesAndRepeatsAreRefused)
{
    const std::vector<Picture::Table> three {Picture::Table {}, rowsTable(), Picture::Table {}};
    const auto lines = makeListing(three, "100", kOnes);
    ASSERT_TRUE(lines) << lines.error();
    ASSERT_EQ(lines.value().size(), 96u);
    EXPECT_EQ(lines.value()[32], " 132" + kRow0) << "picture 1 starts at start + 32 step";
    EXPECT_EQ(lines.value()[95], " 195 DATA " + kZeros);
    // Each picture's own lines are told apart; the second's first reaches 1e15.
    EXPECT_EQ(makeListing(three, "999999999999968", kOnes).error(),
        (Error {.kind = ErrorKind::LineNumbersRepeat, .value = 3, .text = "1E+15"}));
    // Only the fourth picture reaches 1e14, where 15 digits round two halves alike.
    EXPECT_EQ(makeListing(std::vector<Picture::Table>(4), "99999999999900.5", kOnes).error(),
        (Error {.kind = ErrorKind::LineNumbersRepeat, .value = 4, .text = "100000000000002"}));
    EXPECT_EQ(makeListing(std::vector<Picture::Table>(4097), "0").error(),
        (Error {.kind = ErrorKind::TooManyPictures, .line = 4096, .value = 4097}));
}

TEST(RowLines, JoinedEachAfterCrLf)
{
    // Joined, each line follows CR LF, and none follows the last.
    const std::string text = joinLines(makeRowLines(Picture::Table {}, "5000").value());
    EXPECT_EQ(text.size(), 32u * (2 + 43));
    EXPECT_TRUE(text.starts_with("\r\n 5000 DATA " + kZeros + "\r\n 5010 DATA ")) << text;
    EXPECT_TRUE(text.ends_with("0\r\n 5310 DATA " + kZeros)) << text;
}

} // namespace
} // namespace dotdata
