// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// Fuzzes what dotdata reads as text. The first line of an input is a start number, the
// rest an input file's text. A start number makes the 32 lines exactly when it converts
// and its 32 line numbers, each written alone, all differ; the lines read back as the
// picture they were made from. Any text reads as records of digits, at most 1025 of them
// and 1024 for DATA text, or fails with a reason; a NUL byte makes it binary data.

#include "dotdata/datatext.h"
#include "dotdata/input.h"
#include "fuzzcheck.h"

#include <set>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace dotdata;
    const std::string_view input(reinterpret_cast<const char *>(data), size);
    const std::size_t lineEnd = std::min(input.find('\n'), input.size());
    const std::string_view start = input.substr(0, lineEnd), text = input.substr(lineEnd);

    const Result<double> number = parseStartNumber(start);
    std::set<std::string> numbers;
    for (int r = 0; number && r < kRows; ++r)
        numbers.insert(numberImage(number.value() + r * 10.0));
    Picture::Table table {};
    for (std::size_t n = 0; n < std::size_t(kCells); ++n)
        table[n] = std::int16_t(size ? data[n % size] % 8 : 0);
    const Result<RowLines> lines = makeRowLines(table, start);
    check(lines.ok() == (numbers.size() == std::size_t(kRows)), "lines made for a bad start");
    if (lines) {
        const Result<PictureRecords> back = readDataText(joinLines(lines.value()));
        check(
            back && std::equal(table.begin(), table.begin() + kCells, back.value().values.begin()),
            "the DATA text does not read back");
    }

    const InputForm form = recogniseInput(text);
    check((form == InputForm::Binary) == (text.find('\0') != text.npos), "NUL bytes mistold");
    const Result<PictureRecords> read = readTextInput(text);
    if (!read) {
        const ErrorKind k = read.error().kind;
        check(k == ErrorKind::TooManyRecords || k == ErrorKind::BinaryData
                || k == ErrorKind::WideText || k == ErrorKind::DataLineCount
                || k == ErrorKind::Sprites || k == ErrorKind::DataItem
                || k == ErrorKind::DataLineLength || k == ErrorKind::DataDigit
                || k == ErrorKind::DataLineRepeated,
            "a failure of a kind that text cannot have");
        return 0;
    }
    const PictureRecords &records = read.value();
    check(form == InputForm::PictureFile ? records.count <= kEntries : records.count == kCells,
        "too many records");
    for (int n = 0; n < records.count; ++n)
        check(records.values[std::size_t(n)] >= 0 && records.values[std::size_t(n)] <= 9,
            "a value that is no digit");
    return 0;
}
