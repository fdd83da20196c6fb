// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// JPEG through libjpeg-turbo, in one pass. Corrupt data, which libjpeg only warns of and
// decodes on, is damage; the scans of a progressive file are capped, as libjpeg-turbo's
// own tools cap them; metadata is passed over, its bytes bounded, but for the EXIF
// orientation, which is applied as any viewer applies it.

#include "imagecheck.h"

#include <cstdio> // before jpeglib.h, which needs FILE

#include <jerror.h>
#include <jpeglib.h>

#include <algorithm>
#include <csetjmp>
#include <utility>

namespace dotdata::images::detail {

namespace {

/// Enough for any progressive JPEG an encoder writes; each scan costs a pass over the
/// whole image.
constexpr int kMaxScans = 64;

struct Reading
{
    jpeg_error_mgr errors;
    jpeg_progress_mgr progress;
    std::jmp_buf escape;
    ErrorKind kind = ErrorKind::ImageDamaged;
    void (*skip)(j_decompress_ptr, long) = nullptr; // the memory source's own
    std::size_t metadata = 0;
    int orientation = 0;
};

Reading &reading(j_common_ptr info)
{
    return *static_cast<Reading *>(info->client_data);
}

[[noreturn]] void fail(j_common_ptr info, ErrorKind kind)
{
    reading(info).kind = kind;
    std::longjmp(reading(info).escape, 1);
}

[[noreturn]] void onError(j_common_ptr info)
{
    static constexpr int unsupported[] = {JERR_BAD_PRECISION, JERR_SOF_UNSUPPORTED,
        JERR_CONVERSION_NOTIMPL, JERR_NOT_COMPILED, JERR_NOTIMPL, JERR_NO_BACKING_STORE};
    const int code = info->err->msg_code;
    fail(info,
        code == JERR_INPUT_EOF                      ? ErrorKind::ImageCutShort
            : std::ranges::count(unsupported, code) ? ErrorKind::ImageUnsupported
                                                    : ErrorKind::ImageDamaged);
}

/// A warning (level -1) means damage, or the end of the data before the image's end.
void onMessage(j_common_ptr info, int level)
{
    if (level < 0)
        fail(info,
            info->err->msg_code == JWRN_JPEG_EOF ? ErrorKind::ImageCutShort
                                                 : ErrorKind::ImageDamaged);
}

void onProgress(j_common_ptr info)
{
    if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxScans)
        fail(info, ErrorKind::ImageUnsupported);
}

/// Passing over a segment libjpeg does not read (comments, APPn ...).
void skipMetadata(j_decompress_ptr info, long bytes)
{
    if ((reading(j_common_ptr(info)).metadata += std::size_t(std::max(bytes, 0L))) > kMetadataLimit)
        fail(j_common_ptr(info), ErrorKind::ImageUnsupported);
    reading(j_common_ptr(info)).skip(info, bytes);
}

/// The orientation in the EXIF data of an APP1 segment (after "Exif\0\0"), or 0.
int orientationOf(Bytes tiff)
{
    if (!has(tiff, 0, 8) || (!tiff.starts_with("II") && !tiff.starts_with("MM")))
        return 0;
    const bool big = tiff[0] == 'M';
    const auto u16 = [&](std::size_t at) {
        return big ? u8(tiff, at) << 8 | u8(tiff, at + 1) : le16(tiff, at);
    };
    const auto u32 = [&](std::size_t at) {
        return big ? u16(at) << 16 | u16(at + 2) : le32(tiff, at);
    };
    const std::size_t ifd = u32(4);
    if (!has(tiff, ifd, 2))
        return 0;
    for (std::size_t n = u16(ifd), at = ifd + 2; n > 0 && has(tiff, at, 12); --n, at += 12) {
        if (u16(at) == 0x0112 && u16(at + 2) == 3) // the orientation, a short
            return u16(at + 8) >= 1 && u16(at + 8) <= 8 ? int(u16(at + 8)) : 0;
    }
    return 0;
}

/// An APP1 segment: its EXIF orientation is noted, and it is passed over as metadata.
boolean readApp1(j_decompress_ptr info)
{
    // The memory source holds the rest of the file.
    const Bytes rest(
        reinterpret_cast<const char *>(info->src->next_input_byte), info->src->bytes_in_buffer);
    if (!has(rest, 0, 2))
        fail(j_common_ptr(info), ErrorKind::ImageCutShort);
    const std::size_t length = u8(rest, 0) << 8 | u8(rest, 1);
    if (length < 2)
        fail(j_common_ptr(info), ErrorKind::ImageDamaged);
    if (!has(rest, 0, length))
        fail(j_common_ptr(info), ErrorKind::ImageCutShort);
    skipMetadata(info, long(length));
    int &orientation = reading(j_common_ptr(info)).orientation;
    if (orientation == 0 && rest.substr(2, length - 2).starts_with(Bytes("Exif\0\0", 6)))
        orientation = orientationOf(rest.substr(8, length - 8));
    return TRUE;
}

/// The image as it is to be seen: EXIF's orientations 5 to 8 swap rows and columns
/// (which a square image allows in place), and 2, 3, 4, 6, 7 and 8 mirror it.
QImage oriented(QImage image, int orientation)
{
    for (int y = 0; orientation >= 5 && y < image.height(); ++y) {
        for (int x = 0; x < y; ++x)
            std::swap(reinterpret_cast<QRgb *>(image.scanLine(y))[x],
                reinterpret_cast<QRgb *>(image.scanLine(x))[y]);
    }
    return std::move(image).mirrored(
        orientation == 2 || orientation == 3 || orientation == 6 || orientation == 7,
        orientation == 3 || orientation == 4 || orientation == 7 || orientation == 8);
}

} // namespace

Check readJpeg(Bytes b, Checked &out)
{
    jpeg_decompress_struct info {};
    Reading r;
    info.err = jpeg_std_error(&r.errors);
    r.errors.error_exit = onError;
    r.errors.emit_message = onMessage;
    info.client_data = &r;
    if (setjmp(r.escape)) {
        jpeg_destroy_decompress(&info);
        return Error {r.kind};
    }
    jpeg_create_decompress(&info);
    // The file, the decoded image (16 MiB) and a progressive file's coefficients (24 MiB
    // for 2048 pixels without subsampling) stay within 64 MB: a picture compresses to far
    // less than a file of that size, and more coefficient memory is refused.
    info.mem->max_memory_to_use = (30L << 20) - long(b.size());
    r.progress.progress_monitor = onProgress;
    info.progress = &r.progress;
    jpeg_mem_src(&info, reinterpret_cast<const unsigned char *>(b.data()), b.size());
    r.skip = info.src->skip_input_data;
    info.src->skip_input_data = skipMetadata;
    jpeg_set_marker_processor(&info, JPEG_APP0 + 1, readApp1);
    jpeg_read_header(&info, TRUE);
    if (Check wrong = checkSide(info.image_width, info.image_height, out)) {
        jpeg_destroy_decompress(&info);
        return wrong;
    }
    info.out_color_space = JCS_EXT_BGRA; // QImage's ARGB32 in memory
    out.image = QImage(out.width, out.height, QImage::Format_ARGB32);
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = out.image.scanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    if (info.src->bytes_in_buffer > 0) // bytes after the image's end
        fail(j_common_ptr(&info), ErrorKind::ImageDamaged);
    jpeg_destroy_decompress(&info);
    out.image = oriented(std::move(out.image), r.orientation);
    return std::nullopt;
}

} // namespace dotdata::images::detail
