// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include <array>
#include <string>
#include <utility>
#include <variant>

namespace dotdata {

/// What went wrong, for a caller that wants to react differently to each.
enum class ErrorKind {
    CannotOpen, ///< a file could not be opened or created
    CannotRead, ///< reading an opened file failed
    CannotWrite, ///< writing, syncing or replacing a file failed
    NotAFile, ///< the path names a pipe, a device or the like, not a regular file
    TooManyRecords, ///< a picture file holds more records than the table has entries
    TooLarge, ///< a file larger than any input dotdata reads (kMaxInputBytes)
    WideText, ///< a UTF-16 or UTF-32 text, told by its byte-order mark
    NotANumber, ///< a start number that is not a finite decimal number
    LineNumbersRepeat, ///< a start number whose 32 line numbers would not all differ
    BinaryData, ///< a file with a NUL byte that is no image: no text at all
    DataLineCount, ///< DATA text without exactly 32 DATA lines (numbers: found, 33rd line)
    DataLineLength, ///< a DATA line without 32 digits (numbers: line, digits)
    DataDigit, ///< a DATA line with a digit 8 or 9 (numbers: line, digit)
    NoColor, ///< a cell's record without a palette colour (numbers: record, value)
    NotAnImage, ///< an image that cannot be decoded
    ImageSize, ///< an image of another size than the picture's (numbers: width, height)
    ImageBlock, ///< a scaled image whose block is not one colour (numbers: column, row)
};

/// A failure: its kind and a sentence a person can read (names the path or value).
struct Error
{
    ErrorKind kind;
    std::string message;
    /// The operating system's error number (errno) when it reported the failure, else 0;
    /// lets a window word the reason in the user's language.
    int systemError = 0;
    /// The numbers the message names (a line, a size, a value), in its order, for a
    /// caller that words the reason itself.
    std::array<long long, 2> numbers {};
};

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

private:
    std::variant<T, Error> m_state;
};

/// The result of an operation that yields nothing but may fail.
struct Done
{ };
using Status = Result<Done>;

} // namespace dotdata
