// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/datatext.h"

#include "common.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <system_error>
#include <vector>

namespace dotdata {

namespace {

using detail::forEachLine;
using detail::isDigit;
using detail::trimBlanks;

// from_chars also takes "inf", "nan" and hexadecimal-looking forms in some modes, so
// the grammar is checked first: [+-] (digits [. [digits]] | . digits) [(e|E) [+-] digits]
bool isPlainDecimal(std::string_view t)
{
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t start = i;
        while (i < t.size() && isDigit(t[i]))
            ++i;
        return i - start;
    };
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    std::size_t mantissaDigits = digits();
    if (i < t.size() && t[i] == '.') {
        ++i;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0)
        return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == t.size();
}

Error notANumber(std::string_view text, ErrorKind kind = ErrorKind::NotANumber)
{
    return {.kind = kind, .text = std::string(text)};
}

char lastDigit(std::int16_t value)
{
    if (value >= 0 && value <= 9)
        return static_cast<char>('0' + value);
    return static_cast<char>('0' + std::abs(static_cast<int>(value)) % 10);
}

// Room for the longest image: a sign, 15 significant digits, a point and "E+308".
constexpr std::size_t kMaxImage = 32;

// Writes the number image of value to out and returns its length. Whole numbers,
// which nearly every start number gives, take the integer path; it yields the same
// digits as the general form, which writes integral values below 1e15 in full.
std::size_t writeNumberImage(char *out, double value)
{
    char *p = out;
    *p++ = std::signbit(value) && value != 0 ? '-' : ' ';
    const double magnitude = std::fabs(value);
    if (magnitude < 1e15 && magnitude == std::trunc(magnitude)) {
        p = std::to_chars(p, out + kMaxImage, static_cast<std::int64_t>(magnitude)).ptr;
        return static_cast<std::size_t>(p - out);
    }
    // %.15g-style: 15 significant digits at most, exponent form outside 1e-4..1e15;
    // to_chars is independent of the locale.
    char *const digits = p;
    p = std::to_chars(p, out + kMaxImage, magnitude, std::chars_format::general, 15).ptr;
    if (p - digits > 1 && digits[0] == '0' && digits[1] == '.') {
        std::memmove(
            digits, digits + 1, static_cast<std::size_t>(p - digits - 1)); // ".5", not "0.5"
        --p;
    }
    for (char *c = digits; c != p; ++c) {
        if (*c == 'e')
            *c = 'E';
    }
    return static_cast<std::size_t>(p - out);
}

constexpr std::string_view kData = " DATA ";

std::string makeRowLine(const Picture::Table &table, int row, double lineNumber, bool quote)
{
    char line[kMaxImage + kData.size() + kColumns + 2];
    char *p = line + writeNumberImage(line, lineNumber);
    p = std::copy(kData.begin(), kData.end(), p);
    if (quote)
        *p++ = '"';
    const auto *cells = table.data() + cellIndex(row, 0);
    for (int c = 0; c < kColumns; ++c)
        *p++ = lastDigit(cells[c]);
    if (quote)
        *p++ = '"';
    return std::string(line, p);
}

} // namespace

Result<double> parseStartNumber(std::string_view text)
{
    const std::string_view t = trimBlanks(text);
    if (!isPlainDecimal(t))
        return notANumber(text);
    // from_chars does not take a leading '+'.
    const std::string_view digits = t.front() == '+' ? t.substr(1) : t;
    double value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc::result_out_of_range)
        return notANumber(text, ErrorKind::NumberOutOfRange);
    if (ec != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
        return notANumber(text);
    return value;
}

std::string numberImage(double value)
{
    char image[kMaxImage];
    return std::string(image, writeNumberImage(image, value));
}

Result<RowLines> makeRowLines(
    const Picture::Table &table, std::string_view startNumber, DataStyle style)
{
    const Result<double> start = parseStartNumber(startNumber);
    if (!start)
        return start.error();
    RowLines lines;
    // From 1e15 on, 15 significant digits no longer always tell the line numbers apart,
    // and a BASIC interpreter keeps only one line of a number. Below 1e14 they always do.
    const bool mayRepeat = std::fabs(start.value()) + 31.0 * double(style.step) >= 1e14;
    std::string_view previous;
    for (int r = 0; r < kRows; ++r) {
        std::string &line = lines[static_cast<std::size_t>(r)];
        line = makeRowLine(table, r, r * double(style.step) + start.value(), style.quote);
        if (!mayRepeat)
            continue;
        // The numbers rise, and so equal images are neighbours.
        const std::string_view number = std::string_view(line).substr(0, line.find(' ', 1));
        if (number == previous)
            return Error {.kind = ErrorKind::LineNumbersRepeat, .text = std::string(number)};
        previous = number;
    }
    return lines;
}

Result<std::vector<std::string>> makeListing(
    std::span<const Picture::Table> tables, std::string_view startNumber, DataStyle style)
{
    if (tables.size() > std::size_t(kMaxPictures)) {
        return Error {.kind = ErrorKind::TooManyPictures,
            .line = kMaxPictures,
            .value = (long long)tables.size()};
    }
    const Result<double> start = parseStartNumber(startNumber);
    if (!start)
        return start.error();
    const auto rows = (long long)tables.size() * kRows;
    // As in makeRowLines: only from 1e14 on may two numbers be written alike.
    const bool mayRepeat = std::fabs(start.value()) + double(rows) * double(style.step) >= 1e14;
    std::vector<std::string> lines;
    lines.reserve(std::size_t(rows));
    std::string previous;
    for (long long n = 0; n < rows; ++n) {
        const Picture::Table &table = tables[std::size_t(n / kRows)];
        lines.push_back(makeRowLine(
            table, int(n % kRows), double(n) * double(style.step) + start.value(), style.quote));
        if (!mayRepeat)
            continue;
        const std::string &line = lines.back();
        std::string number = line.substr(0, line.find(' ', 1));
        if (number == previous) {
            return Error {.kind = ErrorKind::LineNumbersRepeat,
                .value = (long long)tables.size(),
                .text = number.substr(number.front() == ' ')};
        }
        previous = std::move(number);
    }
    return lines;
}

std::string joinLines(const RowLines &lines)
{
    std::size_t size = 0;
    for (const std::string &line : lines)
        size += 2 + line.size();
    std::string text;
    text.reserve(size);
    for (const std::string &line : lines) {
        text += "\r\n";
        text += line;
    }
    return text;
}

std::optional<DataLine> dataLine(std::string_view line)
{
    // A number holds no D, so the keyword must follow the number and its blanks at once;
    // BASIC takes its keywords in any case.
    const std::size_t numberEnd = std::min(
        line.find_first_not_of(" \t0123456789+-.eE"), line.size());
    const std::string_view number = trimBlanks(line.substr(0, numberEnd));
    std::string_view rest = line.substr(numberEnd);
    constexpr std::string_view kData = "DATA";
    if (rest.size() < kData.size()
        || !std::equal(kData.begin(), kData.end(), rest.begin(),
            [](char keyword, char c) { return (c & ~0x20) == keyword; })
        || !parseStartNumber(number))
        return std::nullopt;
    rest = trimBlanks(rest.substr(kData.size()));
    DataLine data {number, {}, false};
    std::string_view after;
    if (rest.starts_with('"')) {
        const std::size_t close = rest.find('"', 1);
        if (close == rest.npos)
            return data;
        data.item = rest.substr(1, close - 1);
        after = trimBlanks(rest.substr(close + 1));
    } else {
        const std::size_t end = std::min(rest.find_first_of(":'"), rest.size());
        data.item = trimBlanks(rest.substr(0, end));
        after = rest.substr(end);
    }
    data.parsed = after.empty() || after.front() == ':' || after.front() == '\'';
    return data;
}

namespace {

struct Row
{
    double number;
    long long line; // in the file, from 1
    std::string_view written;
    std::string_view digits;
};

/// The rows of DATA text in the order of their numbers, a whole number of pictures.
Result<std::vector<Row>> dataRows(std::string_view text)
{
    // Every DATA line must be a row. BASIC reads DATA in the order of the line numbers,
    // not of the lines in the file, so the rows are sorted by number before they count.
    std::vector<Row> rows;
    std::optional<Error> error;
    forEachLine(text, [&](long long line, std::string_view content) {
        const std::optional<DataLine> data = dataLine(content);
        if (!data)
            return true;
        const std::string_view item = data->item;
        const auto notDigit = std::find_if_not(item.begin(), item.end(), isDigit);
        const auto noColor = std::find_if(item.begin(), item.end(), [](char c) { return c > '7'; });
        if (!data->parsed || item.empty() || notDigit != item.end())
            error = Error {.kind = ErrorKind::DataItem, .line = line};
        else if (item.size() != std::size_t(kColumns))
            error = Error {
                .kind = ErrorKind::DataLineLength, .line = line, .value = (long long)item.size()};
        else if (noColor != item.end())
            error = Error {.kind = ErrorKind::DataDigit, .line = line, .value = *noColor - '0'};
        if (error)
            return false;
        // dataLine took only numbers that convert.
        rows.push_back({parseStartNumber(data->number).value(), line, data->number, item});
        return true;
    });
    if (error)
        return *error;
    // Stable, so that lines of one number stay in file order and the first repeat found
    // is the one the file reaches first.
    std::stable_sort(
        rows.begin(), rows.end(), [](const Row &a, const Row &b) { return a.number < b.number; });
    std::size_t repeat = 0; // the later of two lines of a number, or none
    for (std::size_t i = 1; i < rows.size(); ++i) {
        if (rows[i].number == rows[i - 1].number && (!repeat || rows[i].line < rows[repeat].line))
            repeat = i;
    }
    if (repeat) {
        return Error {.kind = ErrorKind::DataLineRepeated,
            .line = rows[repeat].line,
            .value = rows[repeat - 1].line,
            .text = std::string(rows[repeat].written)};
    }
    if (rows.size() % kRows != 0)
        return Error {.kind = ErrorKind::DataLineCount, .value = (long long)rows.size()};
    return rows;
}

PictureRecords pictureOf(const std::vector<Row> &rows, std::size_t picture)
{
    PictureRecords records;
    const std::size_t first = picture * kRows;
    // Text without DATA lines holds no records.
    for (std::size_t r = first; r < std::min(first + kRows, rows.size()); ++r) {
        for (const char c : rows[r].digits)
            records.values[std::size_t(records.count++)] = std::int16_t(c - '0');
    }
    return records;
}

} // namespace

Result<PictureRecords> readDataText(std::string_view text, int sprite)
{
    Result<std::vector<Row>> read = dataRows(text);
    if (!read)
        return read.error();
    const std::vector<Row> &rows = read.value();
    const long long sprites = (long long)rows.size() / kRows;
    // The first few pictures' first lines: all of a long listing's would make the message
    // a line of many kilobytes.
    constexpr long long kNamed = 3;
    std::string firstNumbers;
    for (long long k = 0; k < std::min(sprites, kNamed); ++k)
        firstNumbers += (k ? " " : "") + std::string(rows[std::size_t(k) * kRows].written);
    if (sprites > kNamed)
        firstNumbers += " …";
    if (sprite == 0 && sprites > 1)
        return Error {.kind = ErrorKind::Sprites, .value = sprites, .text = firstNumbers};
    if (sprite < 0 || sprite > sprites)
        return Error {.kind = ErrorKind::NoSuchSprite,
            .line = sprite,
            .value = sprites,
            .text = firstNumbers};
    return pictureOf(rows, std::size_t(std::max(sprite, 1) - 1));
}

Result<std::vector<PictureRecords>> readDataPictures(std::string_view text)
{
    Result<std::vector<Row>> read = dataRows(text);
    if (!read)
        return read.error();
    const std::vector<Row> &rows = read.value();
    const std::size_t count = std::max<std::size_t>(rows.size() / kRows, 1);
    if (count > std::size_t(kMaxPictures)) {
        return Error {
            .kind = ErrorKind::TooManyPictures, .line = kMaxPictures, .value = (long long)count};
    }
    std::vector<PictureRecords> pictures;
    pictures.reserve(count);
    for (std::size_t k = 0; k < count; ++k)
        pictures.push_back(pictureOf(rows, k));
    return pictures;
}

} // namespace dotdata
