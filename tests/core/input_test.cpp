// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/datatext.h"
#include "dotdata/input.h"

#include "rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <numeric>
#include <ostream>
#include <string>
#include <vector>

namespace dotdata {
namespace {

// A failing row looks for its printer in the row's own namespace.
using dotdata::PrintTo;

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

/// The rows of a picture as lines of a listing after a loader's line, numbered from
/// `start` `step` apart, each line i of the file being row order[i].
std::string numberedListing(const char *start, long long step, const std::vector<int> &order)
{
    const RowLines lines = makeRowLines(allColours(), start, {step, false}).value();
    std::string text = "10 REM loader\n";
    for (const int r : order)
        text += lines[std::size_t(r)] + "\n";
    return text;
}

std::vector<int> inOrder()
{
    std::vector<int> order(kRows);
    std::iota(order.begin(), order.end(), 0);
    return order;
}

/// Rows 1 and 2 swapped.
std::vector<int> swapped()
{
    std::vector<int> order = inOrder();
    std::swap(order[1], order[2]);
    return order;
}

std::vector<int> reversed()
{
    std::vector<int> order = inOrder();
    std::reverse(order.begin(), order.end());
    return order;
}

/// `count` rows from row `first` put after the row that follows them.
std::vector<int> movedOn(int first, int count)
{
    std::vector<int> order = inOrder();
    std::rotate(
        order.begin() + first, order.begin() + first + count, order.begin() + first + count + 1);
    return order;
}

struct OrderCase
{
    const char *name;
    std::string text;
};

using ReadInLineNumberOrder = testing::TestWithParam<OrderCase>;

TEST_P(ReadInLineNumberOrder, AsBasicDoes)
{
    const Picture::Table table = allColours();
    const Result<PictureRecords> read = readTextInput(GetParam().text);
    ASSERT_TRUE(read) << read.error();
    EXPECT_TRUE(std::equal(table.begin(), table.begin() + kCells, read.value().values.begin()));
}

// clang-format off
const OrderCase kOrderCases[] = {
    {"StepFiveSwapped", numberedListing("1000", 5, swapped())},
    {"LastLineFirst", numberedListing("5000", 10, reversed())},
    {"ByValueNotAsText", numberedListing("0", 10, movedOn(9, 1))}, // 90 after 100
    {"BelowZeroAfterZero", numberedListing("-20", 10, movedOn(0, 2))}, // -20 and -10 after 0
    {"Fractions", numberedListing("2.5", 10, swapped())},
    {"ExponentForms", numberedListing("999999999999990", 10, reversed())},
    {"LoaderLineWithARowsNumber", numberedListing("10", 10, swapped()) + "20 PRINT\n"}};
INSTANTIATE_TEST_SUITE_P(Listings, ReadInLineNumberOrder, testing::ValuesIn(kOrderCases),
    rowName<OrderCase>);
// clang-format on

TEST(DataText, PicturesCountInLineNumberOrder)
{
    // The second picture's lines first in the file: the first by number is still picture 1.
    const std::string two = rows(32, std::string(32, '2'), 2000)
        + rows(32, std::string(32, '1'), 1000);
    EXPECT_EQ(readDataText(two, 1).value().values[0], 1);
    EXPECT_EQ(readDataText(two, 2).value().values[0], 2);
    EXPECT_EQ(readDataText(two).error().text, "1000 2000");
}

TEST(DataText, AllPicturesInLineNumberOrderAtMost4096)
{
    const std::string two = rows(32, std::string(32, '2'), 2000)
        + rows(32, std::string(32, '1'), 1000);
    const auto pictures = readDataPictures(two);
    ASSERT_TRUE(pictures) << pictures.error();
    ASSERT_EQ(pictures.value().size(), 2u);
    EXPECT_EQ(pictures.value()[0].values[0], 1);
    EXPECT_EQ(pictures.value()[1].values[kCells - 1], 2);
    EXPECT_EQ(readDataPictures(rows(32 * 4097)).error(),
        (Error {.kind = ErrorKind::TooManyPictures, .line = 4096, .value = 4097}));
    EXPECT_TRUE(readDataPictures(rows(32 * 4096)));
    for (const char *none : {"", "10 REM x\n"}) { // no DATA line: one picture, no records
        const auto empty = readDataPictures(none);
        ASSERT_TRUE(empty) << empty.error();
        ASSERT_EQ(empty.value().size(), 1u) << none;
        EXPECT_EQ(empty.value()[0].count, 0);
    }
}

struct RefusedCase
{
    const char *name;
    std::string text;
    int sprite;
    Error error;
};

using RefusedDataText = testing::TestWithParam<RefusedCase>;

TEST_P(RefusedDataText, ErrorNamesTheLine)
{
    const Result<PictureRecords> read = readDataText(GetParam().text, GetParam().sprite);
    ASSERT_FALSE(read);
    EXPECT_EQ(read.error(), GetParam().error);
}

Error refused(ErrorKind kind, long long line, long long value = 0, const char *text = "")
{
    return Error {.kind = kind, .line = line, .value = value, .text = text};
}

using K = ErrorKind;
const std::string kOk(32, '0');
// clang-format off
const RefusedCase kRefusedDataTextCases[] = {
    {"ShortOfAPicture", rows(31), 0, refused(K::DataLineCount, 0, 31)},
    {"OneLineOver", rows(33), 0, refused(K::DataLineCount, 0, 33)},
    {"TwoPicturesNoneChosen", rows(64), 0, refused(K::Sprites, 0, 2, "100 132")},
    {"NoSuchPicture", rows(64), 3, refused(K::NoSuchSprite, 3, 2, "100 132")},
    // A long listing's refusal stays one short line.
    {"ManyPicturesNamedFirstThree", rows(128), 0, refused(K::Sprites, 0, 4, "100 132 164 …")},
    {"ThreePicturesAllNamed", rows(96), 4, refused(K::NoSuchSprite, 4, 3, "100 132 164")},
    {"LoadersOwnData", "20 DATA 1,2,3\n" + rows(32), 0, refused(K::DataItem, 1)},
    {"ShortLine", rows(2) + rows(1, kOk.substr(1)) + rows(29), 0, refused(K::DataLineLength, 3, 31)},
    {"LongLineAfterRem", "REM\r\n" + rows(1, kOk + "0"), 0, refused(K::DataLineLength, 2, 33)},
    {"DigitWithoutColour", rows(4) + rows(1, "0123456789" + kOk.substr(10)), 0, refused(K::DataDigit, 5, 8)},
    {"TextAfterQuote", rows(1, '"' + kOk + "\" x"), 0, refused(K::DataItem, 1)},
    {"NoClosingQuote", rows(1, '"' + kOk), 0, refused(K::DataItem, 1)},
    {"RemWithoutColon", rows(1, kOk + " REM row"), 0, refused(K::DataItem, 1)},
    {"NoItem", "10 DATA\n", 0, refused(K::DataItem, 1)},
    // BASIC keeps one line of a number; the first line that repeats one is named, with
    // the line it repeats, whatever the order of their numbers.
    {"RepeatOfALowerNumber", rows(32) + "200 DATA " + kOk + "\n110 DATA " + kOk, 0, refused(K::DataLineRepeated, 34, 11, "110")},
    {"RepeatWithALeadingZero", rows(31) + "0100 DATA " + kOk + "\n" + rows(1), 0, refused(K::DataLineRepeated, 32, 1, "0100")},
    {"RepeatInAnotherForm", "1e1 DATA " + kOk + "\n" + "10.0 DATA " + kOk, 0, refused(K::DataLineRepeated, 2, 1, "10.0")},
    {"RepeatOfTheFirstLine", rows(2) + rows(2) + rows(1), 0, refused(K::DataLineRepeated, 3, 1, "100")},
    {"FileOrderFirst", rows(1, kOk + "8") + rows(1), 0, refused(K::DataLineLength, 1, 33)}};
INSTANTIATE_TEST_SUITE_P(Cases, RefusedDataText, testing::ValuesIn(kRefusedDataTextCases),
    rowName<RefusedCase>);
// clang-format on

struct FormCase
{
    const char *name;
    std::string bytes;
    InputForm form;
};

using ToldApart = testing::TestWithParam<FormCase>;

TEST_P(ToldApart, ByContent)
{
    EXPECT_EQ(recogniseInput(GetParam().bytes), GetParam().form);
}

// Any DATA line makes DATA text, which never falls back to the record rules.
// clang-format off
const FormCase kToldApartCases[] = {
    {"Empty", "", InputForm::PictureFile}, {"Records", " 5 \r\n 7 \r\n", InputForm::PictureFile},
    {"DataWithoutLineNumber", "DATA 0123\n", InputForm::PictureFile}, {"DataLine", "10 DATA 1,2,3\n", InputForm::DataText},
    {"DataAfterARecord", " 1\n-5 DATA \"7\"\n", InputForm::DataText},
    {"NulByte", std::string(" 1 \r\n\0", 6), InputForm::Binary}};
INSTANTIATE_TEST_SUITE_P(Inputs, ToldApart, testing::ValuesIn(kToldApartCases),
    rowName<FormCase>);
// clang-format on

TEST(Input, BinaryRefused)
{
    EXPECT_EQ(readTextInput(std::string("\0", 1)).error(), Error {.kind = ErrorKind::BinaryData});
}

} // namespace
} // namespace dotdata
