// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/datatext.h"
#include "dotdata/input.h"

#include "rows.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <ostream>
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
    const std::string three = rows(32, std::string(32, '1')) + rows(32, std::string(32, '2'))
        + rows(32, std::string(32, '3')).replace(0, 8, "1e2 data");
    for (const int sprite : {1, 2, 3})
        EXPECT_EQ(readDataText(three, sprite).value().values[kCells - 1], sprite);
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
    {"LoadersOwnData", "20 DATA 1,2,3\n" + rows(32), 0, refused(K::DataItem, 1)},
    {"ShortLine", rows(2) + rows(1, kOk.substr(1)) + rows(29), 0, refused(K::DataLineLength, 3, 31)},
    {"LongLineAfterRem", "REM\r\n" + rows(1, kOk + "0"), 0, refused(K::DataLineLength, 2, 33)},
    {"DigitWithoutColour", rows(4) + rows(1, "0123456789" + kOk.substr(10)), 0, refused(K::DataDigit, 5, 8)},
    {"TextAfterQuote", rows(1, '"' + kOk + "\" x"), 0, refused(K::DataItem, 1)},
    {"NoClosingQuote", rows(1, '"' + kOk), 0, refused(K::DataItem, 1)},
    {"RemWithoutColon", rows(1, kOk + " REM row"), 0, refused(K::DataItem, 1)},
    {"NoItem", "10 DATA\n", 0, refused(K::DataItem, 1)}};
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
