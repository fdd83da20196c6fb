// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/picturefile.h"

#include "dotdata/datatext.h"

#include "common.h"

#include <cstdint>
#include <cstring>

namespace dotdata {

namespace {

using detail::isSpaceOrTab;

bool endsRecord(char c)
{
    return c == ',' || c == '\r' || c == '\n';
}

std::int16_t digitValue(char c)
{
    return detail::isDigit(c) ? std::int16_t(c - '0') : 0;
}

// Whether any byte of word equals b (the classic zero-byte test on word ^ b...b).
constexpr bool hasByte(std::uint64_t word, unsigned char b)
{
    constexpr std::uint64_t kOnes = 0x0101010101010101u;
    const std::uint64_t x = word ^ (kOnes * b);
    return ((x - kOnes) & ~x & (kOnes * 0x80)) != 0;
}

// The position of the first comma or line end at or after from, or text.size().
// Everything after a record's first character is skipped, so long records (and junk
// files) spend nearly all their time here: eight bytes are tested at a time.
std::size_t findRecordEnd(std::string_view text, std::size_t from)
{
    std::size_t i = from;
    for (; i + 8 <= text.size(); i += 8) {
        std::uint64_t word;
        std::memcpy(&word, text.data() + i, sizeof word);
        if (hasByte(word, ',') || hasByte(word, '\r') || hasByte(word, '\n'))
            break;
    }
    while (i < text.size() && !endsRecord(text[i]))
        ++i;
    return i;
}

} // namespace

std::string pictureFileText(const Picture::Table &table)
{
    std::string text;
    text.reserve(kCells * 5);
    for (int k = 0; k < kCells; ++k) {
        text += numberImage(table[static_cast<std::size_t>(k)]);
        text += " \r\n";
    }
    return text;
}

Result<PictureRecords> readPictureText(std::string_view text)
{
    PictureRecords records;
    std::size_t i = 0;
    // Any byte left means another record, as the end of the file has not been reached.
    while (i < text.size()) {
        if (records.count == kEntries)
            return Error {ErrorKind::TooManyRecords};
        while (i < text.size() && isSpaceOrTab(text[i]))
            ++i;
        std::int16_t value = 0;
        if (i < text.size() && text[i] == '"') {
            // Runs to the next quote; what follows that, up to the record's end, is ignored.
            const std::size_t close = text.find('"', ++i);
            if (i < text.size() && i != close)
                value = digitValue(text[i]);
            i = close == text.npos ? text.size() : findRecordEnd(text, close + 1);
        } else if (i < text.size() && !endsRecord(text[i])) {
            value = digitValue(text[i]);
            i = findRecordEnd(text, i + 1);
        }
        records.values[std::size_t(records.count++)] = value;
        // The record's end: a comma, or a line end with CR LF as one.
        if (i < text.size())
            i += text.compare(i, 2, "\r\n") == 0 ? 2 : 1;
    }
    return records;
}

} // namespace dotdata
