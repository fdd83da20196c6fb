// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

// Helpers the core's sources share; not part of its interface.

#include "dotdata/result.h"

#include <filesystem>
#include <string_view>

namespace dotdata::detail {

constexpr bool isBlank(char c)
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
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

/// The error with the file it concerns in front of its message.
inline Error naming(const std::filesystem::path &path, Error error)
{
    error.message = path.string() + ": " + error.message;
    return error;
}

} // namespace dotdata::detail
