// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/datatext.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <optional>
#include <string>
#include <variant>

namespace dotdata {
namespace {

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

TEST(StartNumber, AcceptedAndRefusedForms)
{
    constexpr ErrorKind no = ErrorKind::NotANumber, beyond = ErrorKind::NumberOutOfRange;
    // clang-format off
    const std::pair<const char *, std::variant<double, ErrorKind>> cases[] = {
        {"5000", 5000.}, {" 100 ", 100.}, {"\t42\t", 42.}, {"+7", 7.}, {"-20", -20.}, {".5", .5},
        {"5.", 5.}, {"1.5E+2", 150.}, {"-2e-1", -0.2}, {"1e308", 1e308},
        {"", no}, {"   ", no}, {"50a", no}, {"1,5", no}, {"1 000", no}, {"1e", no}, {"-", no},
        {"--5", no}, {"inf", no}, {"nan", no}, {"0x10", no}, {"1e309", beyond}, {"-1e999", beyond},
        {"5\n", no}, {"\xef\xbc\x95", no},
    };
    // clang-format on
    for (const auto &[text, outcome] : cases) {
        const Result<double> r = parseStartNumber(text);
        if (r)
            EXPECT_EQ(outcome, decltype(outcome)(r.value())) << '"' << text << '"';
        else
            EXPECT_TRUE(outcome == decltype(outcome)(r.error().kind) && r.error().text == text)
                << '"' << text << '"';
    }
}

TEST(NumberImage, SignBlankDigitsAndFractions)
{
    // clang-format off
    const std::pair<double, const char *> cases[] = {
        {0, " 0"}, {-0.0, " 0"}, {-20, "-20"}, {5000.5, " 5000.5"}, {-0.5, "-.5"},
        {310 + 0.3, " 310.3"}, // the floating sum is not exactly 310.3
        {-999999999999999.0, "-999999999999999"}, {999999999999999.5, " 1E+15"},
        {-2.5e20, "-2.5E+20"}, {0.00001, " 1E-05"}, {1.0 / 3, " .333333333333333"},
    };
    // clang-format on
    for (const auto &[value, image] : cases)
        EXPECT_EQ(numberImage(value), image) << value;
}

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

TEST(RowLines, NumberedFromTheStartNumberWithOneDigitPerCell)
{
    Picture::Table table {};
    for (int c = 0; c < kColumns; ++c)
        table[std::size_t(c)] = std::int16_t(c % 8);
    table[cellIndex(5, 0)] = 8;
    table[cellIndex(5, 31)] = 9;
    table[kCells] = 7; // belongs to no cell, so it appears nowhere

    const std::string row0 = " DATA 01234567012345670123456701234567";
    const DataStyle tens, ones {1, false}, quoted {100, true};
    // clang-format off
    const std::tuple<const char *, DataStyle, int, std::string> cases[] = {
        {"5000", tens, 0, " 5000" + row0}, {"5000", tens, 5, " 5050 DATA 8" + std::string(30, '0') + "9"},
        {"5000", tens, 31, " 5310 DATA " + kZeros}, {"-20", tens, 1, "-10 DATA " + kZeros},
        {"-20", tens, 2, " 0 DATA " + kZeros}, {"2.5", tens, 1, " 12.5 DATA " + kZeros},
        {"1e15", tens, 0, " 1E+15" + row0}, {"1", ones, 31, " 32 DATA " + kZeros},
        {"65000", quoted, 31, " 68100 DATA \"" + kZeros + '"'},
        {"99999999999990", ones, 31, " 100000000000021 DATA " + kZeros}, // 1e14 up: checked
    };
    // clang-format on
    for (const auto &[start, style, row, line] : cases) {
        const Result<RowLines> lines = makeRowLines(table, start, style);
        ASSERT_TRUE(lines) << start;
        EXPECT_EQ(lines.value()[std::size_t(row)], line) << start << " row " << row;
    }
    // Line numbers a step apart that 15 significant digits cannot tell apart repeat.
    EXPECT_EQ(makeRowLines(table, "1e15", ones).error().text, " 1E+15");
    EXPECT_FALSE(makeRowLines(table, "12x")) << "no line is made from a start that is no number";

    // Joined, each line follows CR LF, and none follows the last.
    const std::string text = joinLines(makeRowLines(Picture::Table {}, "5000").value());
    EXPECT_EQ(text.size(), 32u * (2 + 43));
    EXPECT_TRUE(text.starts_with("\r\n 5000 DATA " + kZeros + "\r\n 5010 DATA ")) << text;
    EXPECT_TRUE(text.ends_with("0\r\n 5310 DATA " + kZeros)) << text;
}

} // namespace
} // namespace dotdata
