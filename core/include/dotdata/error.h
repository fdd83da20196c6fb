// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include <filesystem>
#include <iosfwd>
#include <string>
#include <utility>
#include <variant>

namespace dotdata {

/// What went wrong. Each kind says which fields of its Error it fills.
enum class ErrorKind {
    // Files. The file, and the system's error number where the system reported one.
    CannotOpen, ///< an input could not be opened
    CannotRead, ///< reading an opened input failed
    NotAFile, ///< the file is a pipe, a device or the like, not a regular file
    TooLarge, ///< an input larger than kMaxInputBytes
    CannotFollowLink, ///< a symbolic link to save through could not be followed
    LinkChanged, ///< a link saved through pointed elsewhere by the time it was opened
    CannotCreate, ///< the file's folder refused a new file: no right to write in it, read-only,
    ///< or gone (file: the folder)
    CannotWrite, ///< writing or syncing the new file failed, or making it for want of room
    CannotReplace, ///< the old file may not be replaced, or the rename failed
    OutputNotAFile, ///< an output that is a pipe, a device or the like: only files are replaced

    // Text read as a picture. The file, and a line or record numbered from 1.
    WideText, ///< UTF-16 or UTF-32 text, told by its byte-order mark (text: "UTF-16", "UTF-32")
    BinaryData, ///< a NUL byte, and no image
    TooManyRecords, ///< a picture file with more records than the table has entries
    NoColor, ///< a cell's record holds a value without a palette colour (line: record, value)
    DataItem, ///< a DATA line whose item is not a run of digits (line)
    DataLineLength, ///< a DATA line without 32 digits (line, value: the digits)
    DataDigit, ///< a DATA line with a digit 8 or 9 (line, value: the digit)
    DataLineCount, ///< DATA lines that are no whole number of pictures (value: how many)
    /// DATA text with several pictures, none chosen (value: how many; text: the line
    /// numbers of their first rows, as written, separated by blanks)
    Sprites,
    /// a picture chosen that the DATA text does not hold (line: the one chosen; value and
    /// text as for Sprites)
    NoSuchSprite,
    /// two DATA lines with one line number, of which BASIC keeps one (line: the later;
    /// value: the earlier; text: the later's number as written)
    DataLineRepeated,
    /// more pictures than one run reads or writes (value: how many, or more; line: the
    /// most)
    TooManyPictures,

    // Images. The file; text: the image's format ("PNG", "JPEG" ...) unless said otherwise.
    ImageCutShort, ///< the file ends before the image does
    ImageDamaged, ///< a wrong checksum, code or structure, data past the image's end, or an
    ///< image its decoder refuses or reports damage in
    ImageUnsupported, ///< a form of its format that dotdata does not read (a lossless or
    ///< 12-bit JPEG, more than 64 scans, more than 1 MiB of metadata ...)
    ImageSize, ///< not square with a side of 32 K pixels, K = 1..64 (column: width, line: height)
    ImageBlock, ///< a K x K block of a 32 K image that is not one colour (column, line: from 0;
    ///< value: K)
    CannotWriteImage, ///< an image suffix whose image would not read back as exactly the
    ///< picture (text: the suffix; value: the largest scale that would, or 0)
    UnknownSuffix, ///< an output suffix of no form dotdata writes (text: the suffix)
    /// several pictures for an output that holds one, such as a picture file (value: how
    /// many)
    SeveralPictures,
    /// an image neither square nor one row or column of square cells, nor, given the
    /// cells' side, a grid of them (column: width, line: height; value: the cells' side
    /// given, or 0)
    SheetSize,

    // The start number (text: the start number as given).
    NotANumber, ///< not a decimal number
    NumberOutOfRange, ///< beyond the range of a double
    LineNumbersRepeat, ///< two of the 32 line numbers, or of a listing's, would be written alike
    ///< (text: that number; value: the listing's pictures, or 0 for one picture's lines)
};

/// A failure, as data: the callers word it in their own language.
struct Error
{
    ErrorKind kind;
    std::filesystem::path file = {};
    long long line = 0;
    long long column = 0;
    long long value = 0;
    std::string text = {};
    /// The operating system's error number (errno) when it reported the failure, else 0.
    int systemError = 0;

    bool operator==(const Error &) const = default;
};

/// The kind's name as the code spells it ("CannotOpen").
const char *kindName(ErrorKind kind);

/// The error's kind and the fields it fills, for a test's or a log's reader.
std::ostream &operator<<(std::ostream &out, const Error &error);

/// Either a value or an Error. Every fallible function of the core returns one.
template<typename T>
class [[nodiscard]] Result
{
public:
    Result(T value) : m_state(std::move(value)) { }
    Result(Error error) : m_state(std::move(error)) { }

    bool ok() const { return std::holds_alternative<T>(m_state); }
    explicit operator bool() const { return ok(); }

    /// The value; only valid when ok().
    const T &value() const & { return std::get<T>(m_state); }
    T &value() & { return std::get<T>(m_state); }
    T &&value() && { return std::get<T>(std::move(m_state)); }

    /// The error; only valid when !ok().
    const Error &error() const { return std::get<Error>(m_state); }
    Error &error() { return std::get<Error>(m_state); }

private:
    std::variant<T, Error> m_state;
};

/// The result of an operation that yields nothing but may fail.
struct Done
{ };
using Status = Result<Done>;

} // namespace dotdata
