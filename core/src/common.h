// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

// Helpers the core's sources share; not part of its interface.

#include <algorithm>
#include <cstring>
#include <string_view>

namespace dotdata::detail {

/// A blank within a line, as BASIC and the picture file take it; a line end is none.
constexpr bool isSpaceOrTab(char c)
{
    return c == ' ' || c == '\t';
}

constexpr bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

/// The text without the blanks and tabs around it.
constexpr std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isSpaceOrTab(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpaceOrTab(text.back()))
        text.remove_suffix(1);
    return text;
}

/// The length of the line at the start of text: up to its CR or LF, or the whole text.
inline std::size_t lineLength(std::string_view text)
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

} // namespace dotdata::detail
