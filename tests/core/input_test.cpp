// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/datatext.h"
#include "dotdata/input.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <numeric>
#include <string>
#include <vector>

namespace dotdata {
namespace {

Picture::Table allColours()
{
    Picture::Table table {};
    for (int n = 0; n < kCells; ++n)
        table[std::size_t(n)] = std::int16_t((n * 5 + n / 32) % 8);
    return table;
}

std::string rows(int count, const std::string &digits = std::string(32, '1'), int first = 100)
{
    std::string text;
    for (int r = 0; r < count; ++r)
        text += std::to_string(first + r) + " DATA " + digits + "\n";
    return text;
}

TEST(DataText, ReadsListingsAsPeopleWriteThem)
{
    const Picture::Table table = allColours();
    for (const char *start : {"5000", "-20", "2.5", "1e15"}) {
        const RowLines lines = makeRowLines(table, start).value();
        // As the window joins them, after a UTF-8 byte-order mark, in lower case, and as a
        // listing with a loader and lines after the rows, whose DATA items are bare or
        // quoted, some with a statement or a comment after them.
        std::string listing = "10 REM sprite\n30 READ A$\n";
        for (int r = 0; r < kRows; ++r) {
            std::string line = lines[std::size_t(r)];
            const std::size_t item = line.find("DATA") + 5;
            if (r % 2)
                line = line.insert(line.size(), "\"").insert(item, "\"");
            line.replace(item - 5, 4, "data");
            listing += "\t" + line
                + (r % 3 == 0        ? " : REM row"
                        : r % 3 == 1 ? "' row"
                                     : " ")
                + "\r";
        }
        listing += "9999 END\r\n";
        std::string lower = joinLines(lines);
        std::transform(lower.begin(), lower.end(), lower.begin(), ::tolower);
        for (const std::string &text :
            {joinLines(lines), "\xEF\xBB\xBF" + joinLines(lines), lower, listing}) {
            const Result<PictureRecords> read = readTextInput(text);
            ASSERT_TRUE(read) << int(read.error().kind) << " " << read.error().line << text;
            EXPECT_EQ(read.value().count, kCells);
            EXPECT_TRUE(
                std::equal(table.begin(), table.begin() + kCells, read.value().values.begin()))
                << start;
        }
    }
    // Several pictures: each run of 32 DATA lines is one, chosen by its place from 1.
    const std::string three = rows(32, std::string(32, '1'), 1000)
        + rows(32, std::string(32, '2'), 2000)
        + rows(32, std::string(32, '3')).replace(0, 8, "1e2 data");
    for (const int sprite : {1, 2, 3})
        EXPECT_EQ(readDataText(three, sprite).value().values[kCells - 1], (sprite + 1) % 3 + 1)
            << "the pictures count in the order of their line numbers, from 100";
}

TEST(DataText, ReadInTheOrderOfLineNumbersAsBasicDoes)
{
    // The rows of a picture as lines of a listing, numbered from `start` `step` apart,
    // each line i of the file being row order[i].
    const Picture::Table table = allColours();
    const auto listing = [&](const char *start, long long step, std::vector<int> order) {
        const RowLines lines = makeRowLines(table, start, {step, false}).value();
        std::string text = "10 REM loader\n";
        for (const int r : order)
            text += lines[std::size_t(r)] + "\n";
        return text;
    };
    std::vector<int> inOrder(kRows);
    std::iota(inOrder.begin(), inOrder.end(), 0);
    std::vector<int> swapped = inOrder, reversed = inOrder;
    std::swap(swapped[1], swapped[2]);
    std::reverse(reversed.begin(), reversed.end());
    std::vector<int> ninetyAfterHundred = inOrder; // 90 is row 9 and 100 row 10
    std::rotate(ninetyAfterHundred.begin() + 9, ninetyAfterHundred.begin() + 10,
        ninetyAfterHundred.begin() + 11);
    std::vector<int> negativeLast = inOrder; // -20 and -10 after 0
    std::rotate(negativeLast.begin(), negativeLast.begin() + 2, negativeLast.begin() + 3);
    // clang-format off
    const struct { const char *name; std::string text; } cases[] = {
        {"1005 after 1010", listing("1000", 5, swapped)},
        {"last line first", listing("5000", 10, reversed)},
        {"by value, not as text: 90 after 100", listing("0", 10, ninetyAfterHundred)},
        {"below zero after zero", listing("-20", 10, negativeLast)},
        {"fractions", listing("2.5", 10, swapped)},
        {"exponent forms", listing("999999999999990", 10, reversed)},
        {"a loader line with a row's number", listing("10", 10, swapped) + "20 PRINT\n"},
    };
    // clang-format on
    for (const auto &[name, text] : cases) {
        const Result<PictureRecords> read = readTextInput(text);
        ASSERT_TRUE(read) << name << ": " << int(read.error().kind);
        EXPECT_TRUE(std::equal(table.begin(), table.begin() + kCells, read.value().values.begin()))
            << name;
    }

    // The second picture's lines first in the file: the first by number is still picture 1.
    const std::string two = rows(32, std::string(32, '2'), 2000)
        + rows(32, std::string(32, '1'), 1000);
    EXPECT_EQ(readDataText(two, 1).value().values[0], 1);
    EXPECT_EQ(readDataText(two, 2).value().values[0], 2);
    EXPECT_EQ(readDataText(two).error().text, "1000 2000");
}

TEST(DataText, ErrorsNameTheLine)
{
    const std::string ok(32, '0');
    using K = ErrorKind;
    const auto refused = [](ErrorKind kind, long long line, long long value = 0,
                             const char *text = "") {
        return Error {.kind = kind, .line = line, .value = value, .text = text};
    };
    // clang-format off
    const std::tuple<std::string, int, Error> cases[] = { // text, sprite, error
        {rows(31), 0, refused(K::DataLineCount, 0, 31)},
        {rows(33), 0, refused(K::DataLineCount, 0, 33)},
        {rows(64), 0, refused(K::Sprites, 0, 2, "100 132")},
        {rows(64), 3, refused(K::NoSuchSprite, 3, 2, "100 132")},
        {"20 DATA 1,2,3\n" + rows(32), 0, refused(K::DataItem, 1)}, // a loader's own DATA
        {rows(2) + rows(1, ok.substr(1)) + rows(29), 0, refused(K::DataLineLength, 3, 31)},
        {"REM\r\n" + rows(1, ok + "0"), 0, refused(K::DataLineLength, 2, 33)},
        {rows(4) + rows(1, "0123456789" + ok.substr(10)), 0, refused(K::DataDigit, 5, 8)},
        {rows(1, '"' + ok + "\" x"), 0, refused(K::DataItem, 1)},
        {rows(1, '"' + ok), 0, refused(K::DataItem, 1)}, // no closing quote
        {rows(1, ok + " REM row"), 0, refused(K::DataItem, 1)}, // REM needs a ':'
        {"10 DATA\n", 0, refused(K::DataItem, 1)},
        // BASIC keeps one line of a number; the first line that repeats one is named, with
        // the line it repeats, whatever the order of their numbers.
        {rows(32) + "200 DATA " + ok + "\n110 DATA " + ok, 0, refused(K::DataLineRepeated, 34, 11, "110")},
        {rows(31) + "0100 DATA " + ok + "\n" + rows(1), 0, refused(K::DataLineRepeated, 32, 1, "0100")},
        {"1e1 DATA " + ok + "\n" + "10.0 DATA " + ok, 0, refused(K::DataLineRepeated, 2, 1, "10.0")},
        {rows(2) + rows(2) + rows(1), 0, refused(K::DataLineRepeated, 3, 1, "100")},
        {rows(1, ok + "8") + rows(1), 0, refused(K::DataLineLength, 1, 33)}, // file order first
    };
    // clang-format on
    for (const auto &[text, sprite, error] : cases) {
        const Result<PictureRecords> read = readDataText(text, sprite);
        ASSERT_FALSE(read) << text;
        const Error &e = read.error();
        EXPECT_TRUE(e.kind == error.kind && e.line == error.line && e.value == error.value
            && e.text == error.text)
            << text << ": " << int(e.kind) << " " << e.line << " " << e.value << " " << e.text;
    }
}

TEST(Input, ToldApartByContent)
{
    // Any DATA line makes DATA text, which never falls back to the record rules.
    // clang-format off
    const std::pair<std::string, InputForm> cases[] = {
        {"", InputForm::PictureFile}, {" 5 \r\n 7 \r\n", InputForm::PictureFile},
        {"DATA 0123\n", InputForm::PictureFile}, {"10 DATA 1,2,3\n", InputForm::DataText},
        {" 1\n-5 DATA \"7\"\n", InputForm::DataText},
        {std::string(" 1 \r\n\0", 6), InputForm::Binary},
    };
    // clang-format on
    for (const auto &[bytes, form] : cases)
        EXPECT_EQ(recogniseInput(bytes), form) << bytes;

    EXPECT_EQ(readTextInput(std::string("\0", 1)).error().kind, ErrorKind::BinaryData);
}

} // namespace
} // namespace dotdata
