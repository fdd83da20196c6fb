#include "dotdata/datatext.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>
#include <string>

namespace dotdata {
namespace {

const std::string kZeros(32, '0');

TEST(StartNumber, AcceptedForms)
{
    struct Case
    {
        const char *text;
        double value;
    };
    const Case cases[] = {
        {"5000", 5000},
        {"0", 0},
        {"-20", -20},
        {" 100 ", 100},
        {"\t42\t", 42},
        {"+7", 7},
        {"12.5", 12.5},
        {".5", 0.5},
        {"5.", 5},
        {"1e3", 1000},
        {"1.5E+2", 150},
        {"-2e-1", -0.2},
        {"00012", 12},
        {"1e308", 1e308},
    };
    for (const Case &c : cases) {
        const Result<double> r = parseStartNumber(c.text);
        ASSERT_TRUE(r) << '"' << c.text << "\": " << r.error().message;
        EXPECT_EQ(r.value(), c.value) << c.text;
    }
}

TEST(StartNumber, RejectedForms)
{
    for (const char *text : {"", "   ", "abc", "50a", "5000 x", "1,5", "1 000", "1e", "e5", "-",
             "+", ".", "--5", "+-5", "inf", "-inf", "nan", "infinity", "0x10", "&H10", "1e309",
             "-1e999", "5\n", "\xef\xbc\x95"}) {
        const Result<double> r = parseStartNumber(text);
        ASSERT_FALSE(r) << '"' << text << '"';
        EXPECT_EQ(r.error().kind, ErrorKind::NotANumber) << text;
        EXPECT_NE(r.error().message.find("start number"), std::string::npos) << r.error().message;
        EXPECT_FALSE(makeRowLines(Picture::Table {}, text)) << "no line is made from " << text;
    }
}

TEST(NumberImage, SignBlankDigitsAndFractions)
{
    struct Case
    {
        double value;
        const char *image;
    };
    const Case cases[] = {
        {0, " 0"},
        {-0.0, " 0"},
        {5000, " 5000"},
        {-20, "-20"},
        {32767, " 32767"},
        {5000.5, " 5000.5"},
        {0.25, " .25"},
        {-0.5, "-.5"},
        {10.1, " 10.1"},
        {310 + 0.3, " 310.3"}, // the floating sum is not exactly 310.3
        {123456789012345, " 123456789012345"},
        {-999999999999999.0, "-999999999999999"},
        {999999999999999.5, " 1E+15"}, // rounded to 15 digits
        {1e15, " 1E+15"},
        {-2.5e20, "-2.5E+20"},
        {0.00001, " 1E-05"},
        {1.0 / 3, " .333333333333333"},
    };
    for (const Case &c : cases)
        EXPECT_EQ(numberImage(c.value), c.image) << c.value;
}

TEST(NumberImage, UsesAPointUnderADecimalCommaLocale)
{
    const std::string before = std::setlocale(LC_ALL, nullptr);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr)
        << "the de_DE.UTF-8 locale is not installed";
    const std::locale previousGlobal = std::locale::global(std::locale("de_DE.UTF-8"));

    const std::string image = numberImage(5000.5);
    const Result<double> parsed = parseStartNumber("12.5");
    const Result<double> comma = parseStartNumber("12,5");
    const Result<RowLines> lines = makeRowLines(Picture::Table {}, "0.5");

    std::locale::global(previousGlobal);
    std::setlocale(LC_ALL, before.c_str());

    EXPECT_EQ(image, " 5000.5");
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed.value(), 12.5);
    EXPECT_FALSE(comma);
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines.value()[1], " 10.5 DATA " + kZeros);
}

TEST(RowLines, NumberingFollowsTheStartNumber)
{
    struct Case
    {
        const char *start;
        int row;
        const char *prefix;
    };
    const Case cases[] = {
        {"5000", 0, " 5000 DATA "},
        {"5000", 31, " 5310 DATA "},
        {"0", 0, " 0 DATA "},
        {"0", 31, " 310 DATA "},
        {"-20", 0, "-20 DATA "},
        {"-20", 1, "-10 DATA "},
        {"-20", 2, " 0 DATA "},
        {"-20", 3, " 10 DATA "},
        {" 100 ", 0, " 100 DATA "},
        {"100", 31, " 410 DATA "},
        {"2.5", 1, " 12.5 DATA "},
        {"1e15", 0, " 1E+15 DATA "},
    };
    for (const Case &c : cases) {
        const Result<RowLines> lines = makeRowLines(Picture::Table {}, c.start);
        ASSERT_TRUE(lines) << c.start;
        EXPECT_EQ(lines.value()[static_cast<std::size_t>(c.row)], c.prefix + kZeros)
            << c.start << " row " << c.row;
    }
}

TEST(RowLines, OneDigitPerCellColumnZeroFirst)
{
    Picture::Table table {};
    for (int c = 0; c < kColumns; ++c)
        table[static_cast<std::size_t>(c)] = static_cast<std::int16_t>(c % 8);
    table[cellIndex(5, 0)] = 8;
    table[cellIndex(5, 31)] = 9;
    table[1024] = 7; // belongs to no cell, so it appears nowhere

    const Result<RowLines> lines = makeRowLines(table, "5000");
    ASSERT_TRUE(lines);
    EXPECT_EQ(lines.value()[0], " 5000 DATA 01234567012345670123456701234567");
    EXPECT_EQ(lines.value()[5], " 5050 DATA 8" + std::string(30, '0') + "9");
    EXPECT_EQ(lines.value()[31], " 5310 DATA " + kZeros);
    EXPECT_EQ(lines.value()[0].size(), 43u);
}

TEST(JoinedText, EveryLinePrecededByCrLfAndNoneAfterTheLast)
{
    const Result<RowLines> lines = makeRowLines(Picture::Table {}, "5000");
    ASSERT_TRUE(lines);
    const std::string text = joinLines(lines.value());

    EXPECT_EQ(text.size(), 1440u);
    std::string expected;
    for (int r = 0; r < kRows; ++r)
        expected += "\r\n " + std::to_string(5000 + 10 * r) + " DATA " + kZeros;
    EXPECT_EQ(text, expected);
}

} // namespace
} // namespace dotdata
