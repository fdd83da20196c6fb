// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// A PNG is checked as libpng would read it, so that libpng never meets an error: its
// errors go straight to the standard error, past Qt's messages. The image data is
// inflated into a scratch buffer and never kept; inflating stops one byte past what the
// header needs, so a few kilobytes claiming gigabytes of surplus cost nothing.

#include "imagecheck.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <vector>

namespace dotdata::images::detail {

namespace {

/// Ancillary chunks (text, colour profiles ...) together: far more than any picture needs,
/// and little enough that libpng inflating the compressed ones takes no time.
constexpr std::size_t kAncillaryLimit = 1 << 20;
/// libpng's own limit on a chunk's length (its PNG_USER_CHUNK_MALLOC_MAX).
constexpr std::size_t kChunkLimit = 8000000;

/// The rows of one pass of the raw image data: bytes a row after its filter byte.
struct Pass
{
    std::size_t rowBytes, rows;
};

std::vector<Pass> passesOf(std::size_t side, std::size_t bitsPerPixel, bool interlaced)
{
    const auto bytes = [&](std::size_t pixels) { return (pixels * bitsPerPixel + 7) / 8; };
    if (!interlaced)
        return {{bytes(side), side}};
    // Adam7: the first column and row of each pass, and its steps across and down.
    static constexpr std::size_t adam7[7][4] = {{0, 0, 8, 8}, {4, 0, 8, 8}, {0, 4, 4, 8},
        {2, 0, 4, 4}, {0, 2, 2, 4}, {1, 0, 2, 2}, {0, 1, 1, 2}};
    std::vector<Pass> passes;
    for (const auto &[x, y, dx, dy] : adam7) // a side of 32 or more leaves no pass empty
        passes.push_back({bytes((side - x + dx - 1) / dx), (side - y + dy - 1) / dy});
    return passes;
}

/// The compressed image data of the IDAT chunks, inflated chunk by chunk.
class ImageData
{
public:
    explicit ImageData(std::vector<Pass> passes) : m_passes(std::move(passes))
    {
        for (const Pass &pass : m_passes)
            m_size += (pass.rowBytes + 1) * pass.rows;
        m_ready = inflateInit(&m_z) == Z_OK;
    }
    ~ImageData() { inflateEnd(&m_z); }
    ImageData(const ImageData &) = delete;
    ImageData &operator=(const ImageData &) = delete;

    Check feed(Bytes data)
    {
        if (!m_ready || m_ended) // compressed data after the end of the stream
            return damaged();
        m_z.next_in = reinterpret_cast<Bytef *>(const_cast<char *>(data.data()));
        m_z.avail_in = uInt(data.size());
        while (m_z.avail_in > 0) {
            const std::size_t before = m_z.total_out;
            m_z.next_out = m_scratch.data();
            m_z.avail_out = uInt(std::min(m_size + 1 - before, m_scratch.size()));
            const int status = inflate(&m_z, Z_NO_FLUSH);
            // With input and room for output, inflate always gets on, or fails.
            if ((status != Z_OK && status != Z_STREAM_END) || m_z.total_out > m_size
                || !filtersValid(before))
                return damaged();
            if (status == Z_STREAM_END) {
                m_ended = true;
                return m_z.avail_in > 0 ? Check(damaged()) : std::nullopt;
            }
        }
        return std::nullopt;
    }

    bool complete() const { return m_ended && m_z.total_out == m_size; }

private:
    /// Whether each row's filter type among the bytes inflated since raw offset `from`
    /// is one of the five; libpng stops at any other.
    bool filtersValid(std::size_t from)
    {
        while (m_nextFilter < m_z.total_out) {
            if (m_scratch[m_nextFilter - from] > 4)
                return false;
            m_nextFilter += m_passes[m_pass].rowBytes + 1;
            if (++m_row == m_passes[m_pass].rows) {
                ++m_pass;
                m_row = 0;
            }
        }
        return true;
    }

    std::vector<Pass> m_passes;
    std::size_t m_size = 0, m_nextFilter = 0, m_pass = 0, m_row = 0;
    std::array<Bytef, 1 << 16> m_scratch;
    z_stream m_z {};
    bool m_ready = false, m_ended = false;
};

/// The samples a pixel has for a colour type and bit depth, or 0 when PNG allows no such
/// pair.
int samplesOf(std::uint32_t colorType, std::uint32_t depth)
{
    const bool small = depth == 1 || depth == 2 || depth == 4;
    switch (colorType) {
    case 0: // grey
        return small || depth == 8 || depth == 16 ? 1 : 0;
    case 3: // palette
        return small || depth == 8 ? 1 : 0;
    case 2: // RGB
    case 4: // grey and alpha
    case 6: // RGBA
        return depth == 8 || depth == 16 ? (colorType == 2 ? 3 : colorType == 4 ? 2 : 4) : 0;
    }
    return 0;
}

bool isLetter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

/// The largest IDAT chunk libpng takes for an image of that much raw data: the raw size
/// with the deflate overhead of its rows, or its general chunk limit if that is larger.
std::size_t idatLimit(std::size_t rawSize, std::size_t rowBytes)
{
    return std::max(
        kChunkLimit, rawSize + 6 + 5 * (rawSize / std::min<std::size_t>(rowBytes, 32566) + 1));
}

} // namespace

Check checkPng(Bytes b, int &side)
{
    std::optional<ImageData> data;
    std::size_t at = 8, ancillary = 0, rowFactor = 0;
    Bytes previous;
    bool palette = false, paletteImage = false, dataDone = false;
    for (;;) {
        if (!has(b, at, 12))
            return cutShort();
        const std::uint32_t length = be32(b, at);
        const Bytes type = b.substr(at + 4, 4);
        if (length > 0x7FFFFFFF || !std::all_of(type.begin(), type.end(), isLetter))
            return damaged();
        if (!has(b, at, 12 + std::size_t(length)))
            return cutShort();
        const Bytes chunk = b.substr(at + 8, length);
        if (crc32(0, reinterpret_cast<const Bytef *>(type.data()), 4 + length)
            != be32(b, at + 8 + length))
            return damaged();
        at += 12 + length;

        if ((type == "IHDR") != previous.empty()) // the first chunk, and only there
            return damaged();
        if (previous == "IDAT" && type != "IDAT")
            dataDone = true;
        previous = type;
        if (type == "IHDR") {
            if (length != 13)
                return damaged();
            if (Check wrong = checkSide(be32(chunk, 0), be32(chunk, 4), side))
                return wrong;
            const std::uint32_t depth = u8(chunk, 8), colorType = u8(chunk, 9);
            const int samples = samplesOf(colorType, depth);
            if (!samples || u8(chunk, 10) != 0 || u8(chunk, 11) != 0 || u8(chunk, 12) > 1)
                return damaged();
            // Qt decodes 16 bits a sample to up to 8 bytes a pixel: beyond 1448 pixels a
            // side, more than the 16 MiB of a 2048-pixel picture at 4 bytes a pixel.
            if (depth == 16 && side > 1448)
                return unsupported();
            paletteImage = colorType == 3;
            const bool interlaced = u8(chunk, 12) == 1;
            data.emplace(passesOf(std::size_t(side), std::size_t(samples) * depth, interlaced));
            rowFactor = std::size_t(side) * samples * (depth > 8 ? 2 : 1) + 1
                + (interlaced ? 6 : 0);
        } else if (type == "PLTE") {
            if (palette || dataDone || length == 0 || length % 3 || length > 768)
                return damaged();
            palette = true;
        } else if (type == "IDAT") {
            if (dataDone || (paletteImage && !palette))
                return damaged();
            if (length > idatLimit(std::size_t(side) * rowFactor, rowFactor))
                return unsupported();
            if (Check wrong = data->feed(chunk))
                return wrong;
        } else if (type == "IEND") {
            if (length != 0 || !data->complete())
                return damaged();
            return at == b.size() ? Check() : damaged();
        } else if (!(type[0] & 0x20)) { // a critical chunk dotdata does not know
            return unsupported();
        } else if ((ancillary += length) > kAncillaryLimit) {
            return unsupported();
        }
    }
}

} // namespace dotdata::images::detail
