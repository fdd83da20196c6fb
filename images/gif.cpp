// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// GIF through giflib, read and written. The first frame is the picture, as in any
// viewer; later frames and extensions are passed over, the extensions' bytes bounded.

#include "imagecheck.h"

#include <gif_lib.h>

#include <cstring>
#include <vector>

namespace dotdata::images::detail {

namespace {

struct Reading
{
    Bytes bytes;
    std::size_t at = 0;
    bool cut = false;
};

int readBytes(GifFileType *gif, GifByteType *data, int length)
{
    auto *r = static_cast<Reading *>(gif->UserData);
    const std::size_t n = std::min(std::size_t(length), r->bytes.size() - r->at);
    r->cut = r->cut || n < std::size_t(length);
    std::memcpy(data, r->bytes.data() + r->at, n);
    r->at += n;
    return int(n);
}

int writeBytes(GifFileType *gif, const GifByteType *data, int length)
{
    static_cast<QByteArray *>(gif->UserData)->append(reinterpret_cast<const char *>(data), length);
    return length;
}

/// The first frame's pixels on a transparent canvas, each its colour's ARGB value.
Check firstFrame(GifFileType *gif, int transparent, QImage &image)
{
    const GifImageDesc &frame = gif->Image;
    const ColorMapObject *map = frame.ColorMap ? frame.ColorMap : gif->SColorMap;
    if (!map || frame.Left < 0 || frame.Top < 0 || frame.Width <= 0 || frame.Height <= 0
        || frame.Left + frame.Width > image.width() || frame.Top + frame.Height > image.height())
        return kDamaged;
    image.fill(Qt::transparent);
    std::vector<GifPixelType> line(std::size_t(frame.Width));
    // An interlaced frame's rows come in four passes: every 8th from 0, from 4, every 4th
    // from 2, every 2nd from 1.
    static constexpr int starts[] = {0, 4, 2, 1}, steps[] = {8, 8, 4, 2};
    for (int pass = frame.Interlace ? 0 : 3; pass < 4; ++pass) {
        const int start = frame.Interlace ? starts[pass] : 0,
                  step = frame.Interlace ? steps[pass] : 1;
        for (int y = start; y < frame.Height; y += step) {
            if (DGifGetLine(gif, line.data(), frame.Width) == GIF_ERROR)
                return kDamaged;
            auto *out = reinterpret_cast<QRgb *>(image.scanLine(frame.Top + y)) + frame.Left;
            for (int x = 0; x < frame.Width; ++x) {
                if (line[std::size_t(x)] >= map->ColorCount)
                    return kDamaged;
                const GifColorType c = map->Colors[line[std::size_t(x)]];
                if (line[std::size_t(x)] != transparent)
                    out[x] = qRgb(c.Red, c.Green, c.Blue);
            }
        }
    }
    return std::nullopt;
}

/// Walks the file from its first record to its trailer.
Check walk(GifFileType *gif, Checked &out)
{
    std::size_t metadata = 0;
    int transparent = NO_TRANSPARENT_COLOR, frames = 0;
    for (;;) {
        GifRecordType type;
        int code = 0;
        GifByteType *block = nullptr;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR)
            return kDamaged;
        if (type == TERMINATE_RECORD_TYPE)
            return frames ? Check() : kDamaged;
        const bool extension = type == EXTENSION_RECORD_TYPE;
        if (extension) {
            if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
                return kDamaged;
            GraphicsControlBlock control;
            if (code == GRAPHICS_EXT_FUNC_CODE && block && frames == 0
                && DGifExtensionToGCB(block[0], block + 1, &control) == GIF_OK)
                transparent = control.TransparentColor;
        } else if (type == IMAGE_DESC_RECORD_TYPE) {
            if (DGifGetImageDesc(gif) == GIF_ERROR)
                return kDamaged;
            // giflib keeps every frame's description: only the one being read is kept.
            GifFreeSavedImages(gif);
            gif->ImageCount = 0;
            if (frames++ == 0) {
                if (Check wrong = firstFrame(gif, transparent, out.image))
                    return wrong;
                continue;
            }
            if (DGifGetCode(gif, &code, &block) == GIF_ERROR)
                return kDamaged;
        } else {
            return kDamaged;
        }
        // The rest of an extension, or a later frame's pixels, passed over undecoded.
        while (block) {
            if (extension && (metadata += block[0]) > kMetadataLimit)
                return kUnsupported;
            if ((extension ? DGifGetExtensionNext(gif, &block) : DGifGetCodeNext(gif, &block))
                == GIF_ERROR)
                return kDamaged;
        }
    }
}

} // namespace

Check readGif(Bytes b, Checked &out)
{
    Reading r {.bytes = b};
    int status = 0;
    GifFileType *gif = DGifOpen(&r, readBytes, &status);
    if (!gif)
        return r.cut ? kCutShort : kDamaged;
    Check wrong = checkSide(gif->SWidth, gif->SHeight, out);
    if (!wrong) {
        out.image = QImage(out.width, out.height, QImage::Format_ARGB32);
        wrong = walk(gif, out);
    }
    DGifCloseFile(gif, &status);
    if (r.cut && wrong && wrong->kind == ErrorKind::ImageDamaged)
        wrong = kCutShort;
    else if (!wrong && r.at != b.size())
        wrong = kDamaged;
    return wrong;
}

std::optional<QByteArray> writeGif(const QImage &image)
{
    QByteArray bytes;
    int status = 0;
    GifFileType *gif = EGifOpen(&bytes, writeBytes, &status);
    if (!gif)
        return std::nullopt;
    GifColorType colors[8] {};
    for (int k = 0; k < image.colorCount() && k < 8; ++k)
        colors[k] = {GifByteType(qRed(image.color(k))), GifByteType(qGreen(image.color(k))),
            GifByteType(qBlue(image.color(k)))};
    ColorMapObject *map = GifMakeMapObject(8, colors);
    bool ok = map && image.format() == QImage::Format_Indexed8 && image.colorCount() <= 8
        && EGifPutScreenDesc(gif, image.width(), image.height(), 8, 0, map) == GIF_OK
        && EGifPutImageDesc(gif, 0, 0, image.width(), image.height(), false, nullptr) == GIF_OK;
    for (int y = 0; ok && y < image.height(); ++y)
        ok = EGifPutLine(gif, const_cast<GifPixelType *>(image.constScanLine(y)), image.width())
            == GIF_OK;
    GifFreeMapObject(map);
    ok = EGifCloseFile(gif, &status) == GIF_OK && ok;
    return ok ? std::optional(bytes) : std::nullopt;
}

} // namespace dotdata::images::detail
