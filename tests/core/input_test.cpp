// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/datatext.h"
#include "dotdata/input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

namespace dotdata {
namespace {

Picture::Table allColours()
{
    Picture::Table table {};
    for (int n = 0; n < kCells; ++n)
        table[std::size_t(n)] = std::int16_t((n * 5 + n / 32) % 8);
    return table;
}

std::string rows(int count, const std::string &digits = std::string(32, '1'))
{
    std::string text;
    for (int r = 0; r < count; ++r)
        text += std::to_string(100 + r) + " DATA " + digits + "\n";
    return text;
}

TEST(DataText, ReadsTheStatementsBackPassingOverOtherLines)
{
    const Picture::Table table = allColours();
    for (const char *start : {"5000", "-20", "2.5", "1e15"}) {
        const RowLines lines = makeRowLines(table, start).value();
        // As the window joins them, after a UTF-8 byte-order mark, in lower case, and as a
        // listing with a loader, its own DATA and lines after the rows.
        std::string listing = "10 REM sprite\n20 DATA 1,2,3\n30 READ A$\n";
        for (std::string line : lines)
            listing += "\t" + line.replace(line.find("DATA"), 4, "data") + " \r";
        listing += "9999 END\r\n";
        std::string lower = joinLines(lines);
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        for (const std::string &text :
            {joinLines(lines), "\xEF\xBB\xBF" + joinLines(lines), lower, listing}) {
            const Result<PictureRecords> read = readTextInput(text);
            ASSERT_TRUE(read) << int(read.error().kind);
            EXPECT_EQ(read.value().count, kCells);
            EXPECT_TRUE(
                std::equal(table.begin(), table.begin() + kCells, read.value().values.begin()))
                << start;
        }
    }
    EXPECT_TRUE(readDataText(rows(32, std::string(32, '7')).replace(0, 8, "1e2 data")));
}

TEST(DataText, ErrorsNameTheLine)
{
    const std::string ok(32, '0');
    using K = ErrorKind;
    // clang-format off
    const std::tuple<std::string, ErrorKind, long long, long long> cases[] = { // line, value
        {rows(31), K::TooFewDataLines, 0, 31},
        {rows(33), K::TooManyDataLines, 33, 0},
        {rows(2) + rows(1, ok.substr(1)) + rows(29), K::DataLineLength, 3, 31},
        {"REM\r\n" + rows(1, ok + "0"), K::DataLineLength, 2, 33},
        {rows(4) + rows(1, "0123456789" + ok.substr(10)), K::DataDigit, 5, 8},
    };
    // clang-format on
    for (const auto &[text, kind, line, value] : cases) {
        const Result<PictureRecords> read = readDataText(text);
        ASSERT_FALSE(read) << text;
        EXPECT_EQ(read.error().kind, kind) << text;
        EXPECT_EQ(read.error().line, line) << text;
        EXPECT_EQ(read.error().value, value) << text;
    }
}

TEST(Input, ToldApartByContent)
{
    // clang-format off
    const std::pair<std::string, InputForm> cases[] = {
        {"", InputForm::PictureFile}, {" 5 \r\n 7 \r\n", InputForm::PictureFile},
        {"10 DATA 1,2,3\n", InputForm::PictureFile}, {"DATA 0123\n", InputForm::PictureFile},
        {"10 DATA\n", InputForm::PictureFile}, {" 1\n-5 DATA 7\n", InputForm::DataText},
        {std::string(" 1 \r\n\0", 6), InputForm::Binary},
    };
    // clang-format on
    for (const auto &[bytes, form] : cases)
        EXPECT_EQ(recogniseInput(bytes), form) << bytes;

    EXPECT_EQ(readTextInput(std::string("\0", 1)).error().kind, ErrorKind::BinaryData);
}

} // namespace
} // namespace dotdata
