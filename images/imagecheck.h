// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

// How an image's bytes become an image. PNG, GIF and JPEG go through their own libraries,
// which tell a cut file from a damaged one. The other formats pass small checks of their
// headers and sizes before Qt decodes them: Qt's readers of those fill in what a file
// lacks without a word, and believe what a header says.

#include "dotdata/error.h"

#include <QByteArray>
#include <QImage>

#include <cstdint>
#include <optional>
#include <string_view>

namespace dotdata::images::detail {

/// None when the bytes begin with no signature of a format dotdata reads; else the image,
/// square with a picture's side, or why it is refused (ImageCutShort, ImageDamaged,
/// ImageUnsupported, ImageSize), its text the format's name.
std::optional<Result<QImage>> readImage(std::string_view bytes);

/// The image (Format_Indexed8, eight colours at most) as a GIF; none if giflib fails.
std::optional<QByteArray> writeGif(const QImage &image);

// The parts of the checks shared between the files that hold them.

using Bytes = std::string_view;
using Check = std::optional<Error>;

/// What a check learnt: the size its header gives, the image to take from a file of
/// several, and the image itself where the check decoded it.
struct Checked
{
    int width = 0;
    int height = 0;
    int index = 0;
    QImage image;
};

/// Metadata a file may hold, in bytes: far more than any picture needs, and little
/// enough to pass over in no time.
constexpr std::size_t kMetadataLimit = 1 << 20;

inline const Error kCutShort {ErrorKind::ImageCutShort};
inline const Error kDamaged {ErrorKind::ImageDamaged};
inline const Error kUnsupported {ErrorKind::ImageUnsupported};
/// Whether bytes [at, at + n) lie inside b.
inline bool has(Bytes b, std::size_t at, std::size_t n)
{
    return at <= b.size() && b.size() - at >= n;
}
/// The characters that separate a PNM's numbers (and an XBM's or XPM's tokens).
inline bool isPnmSpace(char c)
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

/// Sets the size when the header's may be a picture's or a sheet of pictures': sides of
/// whole multiples of 32 pixels, at most kMaxPixels in all; else ImageSize. Every size is
/// checked before anything is allocated for it; which sheet the size makes is told after.
Check checkSide(long long width, long long height, Checked &out);
/// The decoded pixels of one input at most: a 2048-pixel square picture, or 4096
/// pictures of 32 pixels a side.
constexpr long long kMaxPixels = 2048LL * 2048;

/// The formats read through their libraries, in one pass: each sets side and image.
Check readPng(Bytes b, Checked &out);
Check readGif(Bytes b, Checked &out);
Check readJpeg(Bytes b, Checked &out);

/// The text images, by their headers' numbers: plain or raw PBM, PGM and PPM; XBM; XPM.
/// A plain PBM is decoded here, as Qt's reader takes only one with blanks between pixels.
Check checkPnm(Bytes b, Checked &out);
Check checkXbm(Bytes b, Checked &out);
Check checkXpm(Bytes b, Checked &out);

} // namespace dotdata::images::detail
