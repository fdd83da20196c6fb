// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "dotdata/error.h"
#include "dotdata/picture.h"

#include <array>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace dotdata {

/// Converts the start number text: a decimal number with optional sign, fraction and
/// exponent, with blanks or tabs around it. Empty text, letters, trailing junk, "inf" and
/// "nan" are NotANumber; values beyond the range of double NumberOutOfRange.
Result<double> parseStartNumber(std::string_view text);

/// The number image of a value: a blank (zero or positive) or "-", then the digits of
/// the magnitude with no leading zeros, "." as decimal point in every locale.
/// Integral values below 1e15 are written in full; others with at most 15
/// significant digits, in exponent form ("1E+15") from 1e15 up or below 1e-4.
std::string numberImage(double value);

using RowLines = std::array<std::string, kRows>;

/// How the DATA lines are written: their line numbers `step` apart, the digits bare or in
/// double quotes (as some BASICs READ only quoted strings).
struct DataStyle
{
    long long step = 10;
    bool quote = false;
};

/// All 32 row lines, each the number image of its line number, " DATA " and one digit
/// per cell of its row, numbered start, start + step, ..., start + 31 step. A start number
/// that does not convert, or whose 32 line numbers are not all different as written
/// (LineNumbersRepeat, for some from 1e15 on), yields an error and no line.
Result<RowLines> makeRowLines(
    const Picture::Table &table, std::string_view startNumber, DataStyle style = {});

/// The most pictures one listing holds, read or written: a sprite sheet of 4096 pictures
/// 32 pixels a side is as many pixels as the largest picture image, 2048 pixels square.
inline constexpr int kMaxPictures = 4096;

/// The row lines of several pictures as one listing: row r of picture k (both from 0) is
/// numbered start + (32 k + r) step, so the numbers run on from picture to picture. Fails
/// as makeRowLines does, when two numbers of the whole listing would be written alike,
/// and with TooManyPictures for more than kMaxPictures pictures.
Result<std::vector<std::string>> makeListing(
    std::span<const Picture::Table> tables, std::string_view startNumber, DataStyle style = {});

/// The statement text: each line preceded by CR LF, no line end after the last.
std::string joinLines(const RowLines &lines);

/// A DATA line of a BASIC listing: "<line number> DATA <item>", the keyword in any case,
/// blanks or tabs around the parts. The item is bare or in double quotes, and a ':' with
/// another statement, or a "'" comment, may follow it.
struct DataLine
{
    std::string_view number; ///< the line number as written
    std::string_view item; ///< without quotes; empty when the line does not parse
    bool parsed = false; ///< whether the item is followed by nothing but a statement or comment
};
/// The DATA line a line of text is, or none for another line.
std::optional<DataLine> dataLine(std::string_view line);

/// The picture held by DATA statement text, such as the program's own: DATA lines whose
/// items are 32 digits 0..7, one a row, taken in the order of their line numbers as BASIC
/// reads them (compared by value, so "1005" comes before "1010" wherever it stands); lines
/// split at CR LF, LF or CR and other lines passed over. Every run of 32 DATA lines is a
/// sprite: a text with several gives sprite `sprite` (from 1), and needs that choice.
/// Errors name the first DATA line that is no row, the first line whose number an earlier
/// DATA line has (numbers of equal value, such as "10" and "010", are one number), or the
/// count of DATA lines when it is no multiple of 32.
Result<PictureRecords> readDataText(std::string_view text, int sprite = 0);

/// Every picture DATA text holds, in the order of their line numbers, with the errors of
/// readDataText, and TooManyPictures for more than kMaxPictures. Text without DATA lines
/// holds one picture of no records.
Result<std::vector<PictureRecords>> readDataPictures(std::string_view text);

} // namespace dotdata
