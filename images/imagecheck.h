// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

// The checks an image's bytes pass before a decoder sees them. Only formats that hold dot
// pictures are offered to a decoder, each told by its own signature, and only once the
// file is known to be whole, with no more data than a picture of its size needs: a
// decoder given a cut or damaged file fills the missing pixels in without a word, and
// one given a lying header spends seconds and gigabytes on it.

#include "dotdata/error.h"

#include <cstdint>
#include <optional>
#include <string_view>

namespace dotdata::images::detail {

/// An image that passed its checks: the Qt format to decode it with, the format's name
/// for messages, and its side in pixels, as its header gives it.
struct CheckedImage
{
    const char *format;
    const char *name;
    int side;
};

/// None when the bytes begin with no signature of a format dotdata reads; else the image,
/// or why it is refused (ImageCutShort, ImageDamaged, ImageUnsupported, ImageSize).
std::optional<Result<CheckedImage>> checkImage(std::string_view bytes);

// The parts of the checks shared between the files that hold them.

using Bytes = std::string_view;
using Check = std::optional<Error>;

inline Error cutShort()
{
    return {ErrorKind::ImageCutShort};
}
inline Error damaged()
{
    return {ErrorKind::ImageDamaged};
}
inline Error unsupported()
{
    return {ErrorKind::ImageUnsupported};
}
/// Whether bytes [at, at + n) lie inside b.
inline bool has(Bytes b, std::size_t at, std::size_t n)
{
    return at <= b.size() && b.size() - at >= n;
}
inline bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}
inline std::uint32_t u8(Bytes b, std::size_t at)
{
    return std::uint8_t(b[at]);
}
inline std::uint32_t le16(Bytes b, std::size_t at)
{
    return u8(b, at) | u8(b, at + 1) << 8;
}
inline std::uint32_t le32(Bytes b, std::size_t at)
{
    return le16(b, at) | le16(b, at + 2) << 16;
}
inline std::uint32_t be16(Bytes b, std::size_t at)
{
    return u8(b, at) << 8 | u8(b, at + 1);
}
inline std::uint32_t be32(Bytes b, std::size_t at)
{
    return be16(b, at) << 16 | be16(b, at + 2);
}

/// Sets side when the header's size is a picture's: square, 32 K pixels a side for K from
/// 1 to 64; else ImageSize. Every size is checked before anything is computed from it.
Check checkSide(long long width, long long height, int &side);

/// The PNG file b (its signature checked): whole, its chunks' checksums right, and its
/// compressed data exactly as much as its header needs.
Check checkPng(Bytes b, int &side);

/// The text images, by their headers' numbers: plain or raw PBM, PGM and PPM; XBM; XPM.
Check checkPnm(Bytes b, int &side);
Check checkXbm(Bytes b, int &side);
Check checkXpm(Bytes b, int &side);

} // namespace dotdata::images::detail
