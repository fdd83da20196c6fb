// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// The signatures of the formats dotdata reads, and the checks of the binary ones but PNG:
// BMP, ICO, GIF and JPEG. The text formats are in textcheck.cpp, PNG in pngcheck.cpp.

#include "imagecheck.h"

#include <array>
#include <cstring>

namespace dotdata::images::detail {

Check checkSide(long long width, long long height, int &side)
{
    if (width != height || width < 32 || width > 32 * 64 || width % 32 != 0)
        return Error {.kind = ErrorKind::ImageSize, .line = height, .column = width};
    side = int(width);
    return std::nullopt;
}

namespace {

// ---- BMP, and the bitmap of an icon

std::size_t rowBytes(std::size_t width, std::size_t bits)
{
    return (width * bits + 31) / 32 * 4;
}

/// Run-length coded pixels (4 or 8 bits a pixel) must stay inside the image and end with
/// the end-of-bitmap code.
Check walkRunLengths(Bytes data, std::size_t side, bool fourBits)
{
    std::size_t x = 0, y = 0, at = 0;
    for (;;) {
        if (!has(data, at, 2))
            return cutShort();
        const std::size_t count = u8(data, at), code = u8(data, at + 1);
        at += 2;
        if (count > 0 || code > 2) { // a run of one value, or count literal ones
            if ((x += count + (count ? 0 : code)) > side || y >= side)
                return damaged();
            const std::size_t bytes = count ? 0 : fourBits ? (code + 1) / 2 : code;
            if (!has(data, at, bytes + bytes % 2))
                return cutShort();
            at += bytes + bytes % 2;
        } else if (code == 0) { // end of line
            x = 0;
            ++y;
        } else if (code == 1) { // end of bitmap
            return std::nullopt;
        } else { // a move right and down
            if (!has(data, at, 2))
                return cutShort();
            x += u8(data, at);
            y += u8(data, at + 1);
            at += 2;
            if (x > side || y >= side)
                return damaged();
        }
    }
}

/// A device-independent bitmap: its header at the start of dib, its pixels at offset
/// pixelsAt. An icon's bitmap has its pixels right after its colour table, and is twice
/// as high as its image, for the mask that follows them.
Check checkBitmap(Bytes dib, std::size_t pixelsAt, bool icon, int &side)
{
    if (!has(dib, 0, 16))
        return cutShort();
    const std::uint32_t header = le32(dib, 0);
    const bool old = header == 12;
    if (!old && header != 40 && header != 52 && header != 56 && header != 108 && header != 124)
        return unsupported();
    if (icon && header != 40)
        return unsupported();
    if (!has(dib, 0, header))
        return cutShort();
    // Signed: a negative height is a bitmap stored top-down.
    const long long width = old ? le16(dib, 4) : std::int64_t(std::int32_t(le32(dib, 4)));
    const long long height = old ? le16(dib, 6) : std::int64_t(std::int32_t(le32(dib, 8)));
    const std::uint32_t bits = le16(dib, old ? 10 : 14), compression = old ? 0 : le32(dib, 16);
    if (Check wrong = checkSide(width, icon ? height / 2 : height < 0 ? -height : height, side))
        return wrong;
    if ((icon && height != 2 * width) || le16(dib, old ? 8 : 12) != 1)
        return damaged();
    const bool runs = (compression == 1 && bits == 8) || (compression == 2 && bits == 4);
    const bool fields = compression == 3 && (bits == 16 || bits == 32);
    const bool plain = compression == 0
        && (bits == 1 || bits == 4 || bits == 8 || (bits == 16 && !icon) || bits == 24
            || bits == 32);
    if (!runs && !fields && !plain)
        return unsupported();
    if (runs && height < 0)
        return damaged();
    const std::size_t used = old ? 0 : le32(dib, 32);
    const std::size_t colors = bits <= 8 ? (used ? used : std::size_t(1) << bits) : used;
    if (bits <= 8 && colors > std::size_t(1) << bits)
        return damaged();
    const std::size_t tables = header + (fields && header == 40 ? 12 : 0) + colors * (old ? 3 : 4);
    if (icon) // its pixels follow its colour table
        pixelsAt = tables;
    if (pixelsAt < tables)
        return damaged();
    if (pixelsAt > dib.size())
        return cutShort();
    const Bytes pixels = dib.substr(pixelsAt);
    const auto n = std::size_t(side);
    if (runs)
        return walkRunLengths(pixels, n, bits == 4);
    if (!has(pixels, 0, (rowBytes(n, bits) + (icon ? rowBytes(n, 1) : 0)) * n))
        return cutShort();
    return std::nullopt;
}

Check checkBmp(Bytes b, int &side)
{
    if (!has(b, 0, 14))
        return cutShort();
    const std::uint32_t offset = le32(b, 10);
    return offset < 14 ? damaged() : checkBitmap(b.substr(14), offset - 14, false, side);
}

/// Qt reads an icon's first image, a bitmap or a PNG; its size must be the directory's,
/// which makes 256 pixels (scale 8) the largest.
Check checkIco(Bytes b, int &side)
{
    if (!has(b, 0, 6))
        return cutShort();
    const std::size_t count = le16(b, 4), directory = 6 + 16 * count;
    if (count == 0)
        return damaged();
    if (!has(b, 0, directory))
        return cutShort();
    const std::uint32_t width = u8(b, 6) ? u8(b, 6) : 256, height = u8(b, 7) ? u8(b, 7) : 256;
    const std::size_t bytes = le32(b, 14), offset = le32(b, 18);
    if (Check wrong = checkSide(width, height, side))
        return wrong;
    if (offset < directory)
        return damaged();
    if (!has(b, offset, bytes))
        return cutShort();
    const Bytes image = b.substr(offset, bytes);
    int imageSide = 0;
    if (Check wrong = image.starts_with("\x89PNG\r\n\x1A\n")
            ? checkPng(image, imageSide)
            : checkBitmap(image, 0, true, imageSide))
        return wrong->kind == ErrorKind::ImageSize ? damaged() : *wrong;
    return imageSide == side ? Check() : damaged();
}

// ---- GIF

/// Counts the pixels of a frame's LZW codes without decoding them: exactly the frame's
/// pixels, then the end code, and no more data.
class LzwCount
{
public:
    LzwCount(int minimumBits, std::size_t pixels)
        : m_clear(1u << minimumBits), m_minimumBits(minimumBits), m_pixels(pixels)
    {
        reset();
    }

    Check feed(Bytes data)
    {
        for (const char byte : data) {
            if (m_ended)
                return damaged();
            m_bits |= std::uint32_t(std::uint8_t(byte)) << m_held;
            m_held += 8;
            while (!m_ended && m_held >= m_width) {
                const std::uint32_t code = m_bits & ((1u << m_width) - 1);
                m_bits >>= m_width;
                m_held -= m_width;
                if (Check wrong = take(code))
                    return wrong;
            }
        }
        return std::nullopt;
    }
    /// Some encoders leave the end code out; then the pixels must come out exact.
    bool complete() const { return m_count == m_pixels; }

private:
    void reset()
    {
        m_next = m_clear + 2;
        m_width = m_minimumBits + 1;
        m_previous = -1;
    }
    Check take(std::uint32_t code)
    {
        if (code == m_clear) {
            reset();
            return std::nullopt;
        }
        if (code == m_clear + 1) {
            m_ended = true;
            return complete() ? Check() : damaged();
        }
        // A literal, a code of the table, or (after a first code) the one being made.
        if (m_previous < 0 ? code >= m_clear : code > m_next)
            return damaged();
        // A literal stands for one pixel; every later code for the one before it and one
        // pixel more.
        const auto lengthOf = [&](std::uint32_t c) { return c < m_clear ? 1u : m_length[c]; };
        const std::uint32_t length = code == m_next ? lengthOf(std::uint32_t(m_previous)) + 1
                                                    : lengthOf(code);
        if (m_previous >= 0 && m_next < 4096) {
            m_length[m_next] = std::uint16_t(lengthOf(std::uint32_t(m_previous)) + 1);
            if (++m_next == 1u << m_width && m_width < 12)
                ++m_width;
        }
        if ((m_count += length) > m_pixels)
            return damaged();
        m_previous = int(code);
        return std::nullopt;
    }

    std::array<std::uint16_t, 4096> m_length {};
    const std::uint32_t m_clear;
    const int m_minimumBits;
    const std::size_t m_pixels;
    std::uint32_t m_next = 0, m_width = 0, m_bits = 0, m_held = 0;
    int m_previous = -1;
    std::size_t m_count = 0;
    bool m_ended = false;
};

Check checkGif(Bytes b, int &side)
{
    if (!has(b, 0, 13))
        return cutShort();
    if (Check wrong = checkSide(le16(b, 6), le16(b, 8), side))
        return wrong;
    const auto table = [](std::uint32_t flags) {
        return flags & 0x80 ? 3u << ((flags & 7) + 1) : 0;
    };
    std::size_t at = 13 + table(u8(b, 10));
    // The sub-blocks of an extension or a frame, given to count when it is there.
    const auto blocks = [&](LzwCount *count) -> Check {
        for (;;) {
            if (!has(b, at, 1))
                return cutShort();
            const std::size_t length = u8(b, at++);
            if (length == 0)
                return std::nullopt;
            if (!has(b, at, length))
                return cutShort();
            if (Check wrong = count ? count->feed(b.substr(at, length)) : std::nullopt)
                return wrong;
            at += length;
        }
    };
    bool first = true;
    for (;;) {
        if (!has(b, at, 1))
            return cutShort();
        const char block = b[at++];
        if (block == ';') // the trailer
            return first || at != b.size() ? Check(damaged()) : std::nullopt;
        if (block == '!') { // an extension: its label, then sub-blocks
            ++at;
            if (Check wrong = blocks(nullptr))
                return wrong;
            continue;
        }
        if (block != ',' || !has(b, at, 10))
            return block != ',' ? damaged() : cutShort();
        const std::uint32_t x = le16(b, at), y = le16(b, at + 2), width = le16(b, at + 4),
                            height = le16(b, at + 6);
        at += 9 + table(u8(b, at + 8));
        if (width == 0 || height == 0 || x + width > std::uint32_t(side)
            || y + height > std::uint32_t(side))
            return damaged();
        if (!has(b, at, 1))
            return cutShort();
        const int minimumBits = int(u8(b, at++));
        if (minimumBits < 2 || minimumBits > 8)
            return damaged();
        // Qt decodes the first frame; the others are only walked.
        std::optional<LzwCount> count;
        if (first)
            count.emplace(minimumBits, std::size_t(width) * height);
        if (Check wrong = blocks(count ? &*count : nullptr))
            return wrong;
        if (count && !count->complete())
            return damaged();
        first = false;
    }
}

// ---- JPEG

/// Enough for any progressive JPEG an encoder writes; each scan costs a pass over the
/// whole image.
constexpr int kMaxScans = 64;

Check checkJpeg(Bytes b, int &side)
{
    std::size_t at = 2;
    int frames = 0, scans = 0;
    for (;;) {
        if (!has(b, at, 2))
            return cutShort();
        if (u8(b, at) != 0xFF)
            return damaged();
        while (has(b, at, 1) && u8(b, at) == 0xFF) // fill bytes before a marker
            ++at;
        if (!has(b, at, 1))
            return cutShort();
        const std::uint32_t marker = u8(b, at++);
        if (marker == 0xD9) // the end of the image
            return frames && scans && at == b.size() ? Check() : damaged();
        if (marker == 0x01 || (marker >= 0xD0 && marker <= 0xD8) || marker == 0xDC)
            return damaged(); // markers that have no place here; a DNL is never needed
        if (!has(b, at, 2) || !has(b, at, be16(b, at)))
            return cutShort();
        if (be16(b, at) < 2)
            return damaged();
        const Bytes segment = b.substr(at + 2, be16(b, at) - 2);
        at += be16(b, at);
        if (marker >= 0xC0 && marker <= 0xCF && marker != 0xC4 && marker != 0xC8
            && marker != 0xCC) {
            // Only baseline, extended and progressive Huffman-coded frames, 8 bits a sample.
            if (marker > 0xC2 || (segment.size() >= 1 && u8(segment, 0) != 8))
                return unsupported();
            if (frames++ || segment.size() < 6)
                return damaged();
            if (Check wrong = checkSide(be16(segment, 3), be16(segment, 1), side))
                return wrong;
            const std::size_t components = u8(segment, 5);
            if (components != 1 && components != 3)
                return unsupported();
            if (segment.size() != 6 + 3 * components)
                return damaged();
        } else if (marker == 0xDA) {
            if (!frames)
                return damaged();
            if (++scans > kMaxScans)
                return unsupported();
            // The coded data runs to the first marker that is neither a restart nor an
            // escaped 0xFF byte.
            for (;;) {
                const void *ff = std::memchr(b.data() + at, 0xFF, b.size() - at);
                at = ff ? std::size_t(static_cast<const char *>(ff) - b.data()) : b.size();
                if (!has(b, at, 2))
                    return cutShort();
                const std::uint32_t next = u8(b, at + 1);
                if (next != 0 && next != 0xFF && (next < 0xD0 || next > 0xD7))
                    break;
                at += next == 0xFF ? 1 : 2;
            }
        }
    }
}

} // namespace

std::optional<Result<CheckedImage>> checkImage(Bytes b)
{
    struct Format
    {
        const char *format, *name;
        bool matches;
        Check (*check)(Bytes, int &);
    };
    const char *pnmName = b.size() > 1 && (b[1] == '1' || b[1] == '4') ? "PBM"
        : b.size() > 1 && (b[1] == '2' || b[1] == '5')                 ? "PGM"
                                                                       : "PPM";
    const Format formats[] = {
        {"png", "PNG", b.starts_with("\x89PNG\r\n\x1A\n"), checkPng},
        {"bmp", "BMP", b.starts_with("BM"), checkBmp},
        {"gif", "GIF", b.starts_with("GIF87a") || b.starts_with("GIF89a"), checkGif},
        {"jpeg", "JPEG", b.starts_with("\xFF\xD8\xFF"), checkJpeg},
        {"ppm", pnmName, b.size() > 2 && b[0] == 'P' && b[1] >= '1' && b[1] <= '6' && isBlank(b[2]),
            checkPnm},
        {"xbm", "XBM", b.starts_with("#define"), checkXbm},
        {"xpm", "XPM", b.starts_with("/* XPM */"), checkXpm},
        // Icons only: a cursor (type 2) holds no picture.
        {"ico", "ICO", b.starts_with(Bytes("\0\0\1\0", 4)), checkIco},
    };
    for (const Format &f : formats) {
        if (!f.matches)
            continue;
        int side = 0;
        if (Check wrong = f.check(b, side)) {
            if (wrong->kind != ErrorKind::ImageSize)
                wrong->text = f.name;
            return Result<CheckedImage>(*wrong);
        }
        return Result<CheckedImage>(CheckedImage {f.format, f.name, side});
    }
    return std::nullopt;
}

} // namespace dotdata::images::detail
