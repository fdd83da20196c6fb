// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// PNG through libpng, in one pass. Its metadata chunks (text, colour profiles ...) are
// passed over unread, so that no compressed text is ever inflated, and together they
// may take only so many bytes. Every warning libpng gives then concerns the image.

#include "imagecheck.h"

#include <png.h>

#include <csetjmp>
#include <cstring>
#include <vector>

namespace dotdata::images::detail {

namespace {

struct Reading
{
    Bytes bytes;
    std::size_t at = 8; // past the signature, checked by the caller
    std::size_t metadata = 0;
    std::optional<Error> error = {};
};

/// Leaves libpng for readPng's setjmp: nothing on the way has a destructor to run.
[[noreturn]] void fail(png_structp png, ErrorKind kind)
{
    auto *r = static_cast<Reading *>(png_get_error_ptr(png));
    if (!r->error)
        r->error = Error {kind};
    png_longjmp(png, 1);
}

void onError(png_structp png, png_const_charp message)
{
    // A chunk beyond libpng's limit, set to the metadata's: more than a picture needs.
    fail(png,
        std::strstr(message, "chunk data is too large") ? ErrorKind::ImageUnsupported
                                                        : ErrorKind::ImageDamaged);
}

void onWarning(png_structp png, png_const_charp)
{
    fail(png, ErrorKind::ImageDamaged);
}

// The chunks that hold the image, as libpng names them.
constexpr png_uint_32 kIHDR = 0x49484452, kPLTE = 0x504C5445, kIDAT = 0x49444154,
                      kTRNS = 0x74524E53;

void readBytes(png_structp png, png_bytep data, std::size_t length)
{
    auto *r = static_cast<Reading *>(png_get_io_ptr(png));
    if (!has(r->bytes, r->at, length))
        fail(png, ErrorKind::ImageCutShort);
    const png_uint_32 type = png_get_io_chunk_type(png);
    if ((png_get_io_state(png) & PNG_IO_CHUNK_DATA) && type != kIDAT && type != kPLTE
        && type != kTRNS && type != kIHDR && (r->metadata += length) > kMetadataLimit)
        fail(png, ErrorKind::ImageUnsupported);
    std::memcpy(data, r->bytes.data() + r->at, length);
    r->at += length;
}

} // namespace

Check readPng(Bytes b, Checked &out)
{
    Reading r {.bytes = b};
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r, onError, onWarning);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    std::vector<png_bytep> rows;
    if (!info) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return kDamaged;
    }
    if (setjmp(png_jmpbuf(png)) == 0) {
        png_set_read_fn(png, &r, readBytes);
        png_set_sig_bytes(png, 8);
        // Metadata is passed over unread: all chunks libpng knows but the transparency
        // (which it can only ignore in a list of its own), and those it does not know.
        png_set_keep_unknown_chunks(png, PNG_HANDLE_CHUNK_NEVER, nullptr, -1);
        png_set_chunk_cache_max(png, 16);
        png_set_chunk_malloc_max(png, kMetadataLimit);
        png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
        png_set_benign_errors(png, 0);
        png_read_info(png, info);
        if ((r.error = checkSide(
                 png_get_image_width(png, info), png_get_image_height(png, info), out)))
            png_longjmp(png, 1);
        // Any form as 8-bit BGRA, which is QImage's ARGB32 in memory.
        png_set_expand(png);
        png_set_strip_16(png);
        png_set_gray_to_rgb(png);
        png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
        png_set_bgr(png);
        png_set_interlace_handling(png);
        png_read_update_info(png, info);
        out.image = QImage(out.width, out.height, QImage::Format_ARGB32);
        if (out.image.isNull() || png_get_rowbytes(png, info) != std::size_t(out.width) * 4)
            fail(png, ErrorKind::ImageDamaged);
        for (int y = 0; y < out.height; ++y)
            rows.push_back(out.image.scanLine(y));
        png_read_image(png, rows.data());
        png_read_end(png, nullptr);
        if (r.at != b.size())
            r.error = kDamaged;
    } else if (!r.error) {
        r.error = kDamaged;
    }
    png_destroy_read_struct(&png, &info, nullptr);
    return r.error;
}

} // namespace dotdata::images::detail
