// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/input.h"

#include "dotdata/datatext.h"

#include "common.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

namespace dotdata {

namespace {

using detail::isDigit;
using detail::trimBlanks;

/// The length of the line at the start of text: up to its CR or LF, or the whole text.
std::size_t lineLength(std::string_view text)
{
    const void *lf = std::memchr(text.data(), '\n', text.size());
    const std::size_t end = lf ? std::size_t(static_cast<const char *>(lf) - text.data())
                               : text.size();
    const void *cr = std::memchr(text.data(), '\r', end);
    return cr ? std::size_t(static_cast<const char *>(cr) - text.data()) : end;
}

/// Calls visit(line number from 1, line) for each line, split at CR LF, LF or CR, until
/// visit returns false.
template<typename Visit>
void forEachLine(std::string_view text, Visit visit)
{
    for (long long number = 1; !text.empty(); ++number) {
        const std::size_t end = lineLength(text);
        if (!visit(number, text.substr(0, end)))
            return;
        const bool crLf = text.substr(end, 2) == "\r\n";
        text.remove_prefix(std::min(text.size(), end + (crLf ? 2 : 1)));
    }
}

/// The digits of a DATA line, "<line number> DATA <digits>", or none for another line.
/// A number holds no D, so the keyword must follow the number and its blanks at once;
/// BASIC takes its keywords in either case.
std::optional<std::string_view> dataDigits(std::string_view line)
{
    const std::size_t numberEnd = std::min(
        line.find_first_not_of(" \t0123456789+-.eE"), line.size());
    const std::string_view number = line.substr(0, numberEnd), rest = line.substr(numberEnd);
    constexpr std::string_view kData = "DATA";
    if (rest.size() < kData.size()
        || !std::equal(kData.begin(), kData.end(), rest.begin(),
            [](char keyword, char c) { return (c & ~0x20) == keyword; }))
        return std::nullopt;
    const std::string_view digits = trimBlanks(rest.substr(kData.size()));
    if (digits.empty() || !std::all_of(digits.begin(), digits.end(), isDigit)
        || !parseStartNumber(number))
        return std::nullopt;
    return digits;
}

} // namespace

InputForm recogniseInput(std::string_view bytes)
{
    if (std::memchr(bytes.data(), '\0', bytes.size()))
        return InputForm::Binary;
    // A picture file as written holds no letter: without a D there is no DATA line.
    if (!std::memchr(bytes.data(), 'D', bytes.size())
        && !std::memchr(bytes.data(), 'd', bytes.size()))
        return InputForm::PictureFile;
    bool data = false;
    forEachLine(bytes, [&](long long, std::string_view line) {
        data = dataDigits(line).has_value();
        return !data;
    });
    return data ? InputForm::DataText : InputForm::PictureFile;
}

Result<PictureRecords> readDataText(std::string_view text)
{
    PictureRecords records;
    std::optional<Error> error;
    forEachLine(text, [&](long long number, std::string_view line) {
        const std::optional<std::string_view> digits = dataDigits(line);
        if (!digits)
            return true;
        const std::string at = "line " + std::to_string(number) + ": ";
        if (records.count == kCells) {
            error = Error {ErrorKind::DataLineCount,
                at + "a DATA line more than the picture's 32 rows", 0, {33, number}};
        } else if (digits->size() != std::size_t(kColumns)) {
            error = Error {ErrorKind::DataLineLength,
                at + std::to_string(digits->size()) + " digits after DATA, not 32", 0,
                {number, (long long)digits->size()}};
        } else if (const auto bad = std::find_if(
                       digits->begin(), digits->end(), [](char c) { return c > '7'; });
                   bad != digits->end()) {
            error = Error {ErrorKind::DataDigit,
                at + "the digit " + *bad + " has no palette colour (0 to 7)", 0,
                {number, *bad - '0'}};
        } else {
            for (const char c : *digits)
                records.values[std::size_t(records.count++)] = std::int16_t(c - '0');
        }
        return !error;
    });
    if (error)
        return *error;
    if (records.count != kCells) {
        const long long rows = records.count / kColumns;
        return Error {ErrorKind::DataLineCount,
            std::to_string(rows) + " DATA lines, not the picture's 32 rows", 0, {rows, 0}};
    }
    return records;
}

Result<PictureRecords> readTextInput(std::string_view bytes)
{
    const Result<std::string_view> text = withoutByteOrderMark(bytes);
    if (!text)
        return text.error();
    switch (recogniseInput(text.value())) {
    case InputForm::Binary:
        return Error {ErrorKind::BinaryData, "binary data, no picture file, DATA text or image"};
    case InputForm::DataText:
        return readDataText(text.value());
    case InputForm::PictureFile:
        break;
    }
    return readPictureText(text.value());
}

bool mayBeImage(std::string_view bytes)
{
    return bytes.find('\0') != bytes.npos || bytes.starts_with("#define")
        || bytes.starts_with("/* XPM */")
        || (bytes.size() > 2 && bytes[0] == 'P' && bytes[1] >= '1' && bytes[1] <= '7');
}

Result<PictureRecords> readPictureInput(
    const std::filesystem::path &path, const ImageDecoder &decodeImage)
{
    const Result<std::string> bytes = readInputFile(path);
    if (!bytes)
        return bytes.error();
    std::optional<Result<PictureRecords>> records;
    if (mayBeImage(bytes.value()))
        records = decodeImage(bytes.value());
    if (!records)
        records = readTextInput(bytes.value());
    Status checked = *records ? checkColors(records->value()) : Status(records->error());
    if (!checked)
        return detail::naming(path, checked.error());
    return std::move(*records);
}

Status checkColors(const PictureRecords &records)
{
    const auto cells = records.values.begin() + std::min(records.count, kCells);
    const auto bad = std::find_if_not(records.values.begin(), cells, hasPaletteColor);
    if (bad == cells)
        return Done {};
    const long long record = bad - records.values.begin() + 1;
    return Error {ErrorKind::NoColor,
        "record " + std::to_string(record) + " holds " + std::to_string(*bad)
            + ", which has no palette colour (0 to 7)",
        0, {record, *bad}};
}

} // namespace dotdata
