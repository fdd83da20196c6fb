// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

// The checks of the image formats whose pixels can be text: PBM, PGM and PPM (plain or
// raw), XBM and XPM. Qt's readers of these fill in what a file lacks, so each check
// counts the pixels a file holds against those its header promises.

#include "imagecheck.h"

#include <cctype>
#include <vector>

namespace dotdata::images::detail {

namespace {

constexpr long long kHuge = 1 << 30;

/// Reads the next decimal number into n, after blanks and, in a PNM header, # comments;
/// kHuge for one beyond it. Fails as cut short at the end of the bytes, else as damaged.
Check number(Bytes b, std::size_t &at, long long &n, bool comments = false)
{
    while (at < b.size() && (isPnmSpace(b[at]) || (comments && b[at] == '#'))) {
        if (b[at] == '#')
            at = std::min(b.find_first_of("\r\n", at), b.size());
        else
            ++at;
    }
    const std::size_t start = at;
    n = 0;
    for (; at < b.size() && std::isdigit(std::uint8_t(b[at])); ++at)
        n = std::min(n * 10 + (b[at] - '0'), kHuge);
    if (at == start)
        return at == b.size() ? kCutShort : kDamaged;
    return std::nullopt;
}

/// Skips blanks and C comments.
void skipBlanks(Bytes b, std::size_t &at)
{
    for (;;) {
        while (at < b.size() && isPnmSpace(b[at]))
            ++at;
        if (b.substr(at, 2) != "/*")
            return;
        at = std::min(b.find("*/", at + 2), b.size() - 2) + 2;
    }
}

/// After the closing brace of a C array at `at`: the semicolon, then nothing but blanks.
Check arrayEnd(Bytes b, std::size_t at)
{
    skipBlanks(b, ++at);
    if (at == b.size())
        return kCutShort;
    if (b[at] != ';')
        return kDamaged;
    skipBlanks(b, ++at);
    return at == b.size() ? Check() : kDamaged;
}

} // namespace

Check checkPnm(Bytes b, Checked &out)
{
    const int kind = b[1] - '0';
    const bool plain = kind <= 3, bits = kind == 1 || kind == 4;
    std::size_t at = 2;
    long long width = 0, height = 0, maximum = 1;
    if (Check wrong = number(b, at, width, true))
        return wrong;
    if (Check wrong = number(b, at, height, true))
        return wrong;
    if (Check wrong = checkSide(width, height, out))
        return wrong;
    if (!bits) {
        if (Check wrong = number(b, at, maximum, true))
            return wrong;
        if (maximum < 1 || maximum > 65535)
            return kDamaged;
    }
    const auto n = std::size_t(out.width), h = std::size_t(out.height);
    const std::size_t samples = n * h * (kind == 3 || kind == 6 ? 3 : 1);
    if (!plain) { // one blank, then the samples' bytes exactly
        if (at == b.size())
            return kCutShort;
        if (!isPnmSpace(b[at++]))
            return kDamaged;
        const std::size_t bytes = bits ? (n + 7) / 8 * h : samples * (maximum > 255 ? 2 : 1);
        return b.size() - at < bytes ? kCutShort : b.size() - at > bytes ? kDamaged : Check();
    }
    // Qt reads a plain PBM's pixels as numbers, which netpbm writes without blanks
    // between them: such a file is decoded here.
    QImage image = bits ? QImage(int(n), int(h), QImage::Format_Grayscale8) : QImage();
    for (std::size_t count = 0; count < samples; ++count) {
        // In plain PBM each digit is a pixel, with blanks between or not.
        while (bits && at < b.size() && isPnmSpace(b[at]))
            ++at;
        long long sample = 0;
        if (Check wrong = number(bits ? b.substr(0, at + 1) : b, at, sample))
            return wrong;
        if (sample > maximum)
            return kDamaged;
        if (bits)
            image.scanLine(int(count / n))[count % n] = sample ? 0 : 255;
    }
    out.image = std::move(image);
    while (at < b.size() && isPnmSpace(b[at]))
        ++at;
    return at == b.size() ? Check() : kDamaged;
}

Check checkXbm(Bytes b, Checked &out)
{
    long long width = -1, height = -1;
    std::size_t at = 0;
    while (b.substr(at).starts_with("#define")) {
        const std::size_t start = std::min(b.find_first_not_of(" \t", at + 7), b.size());
        at = std::min(b.find_first_of(" \t\r\n", start), b.size());
        const Bytes name = b.substr(start, at - start);
        long long value = 0;
        if (Check wrong = number(b, at, value))
            return wrong;
        if (name.ends_with("_width"))
            width = value;
        else if (name.ends_with("_height"))
            height = value;
        skipBlanks(b, at);
    }
    if (width < 0 || height < 0)
        return kDamaged;
    if (Check wrong = checkSide(width, height, out))
        return wrong;
    at = b.find('{', at);
    if (at == Bytes::npos)
        return kCutShort;
    std::size_t count = 0;
    for (++at;; ++count) {
        skipBlanks(b, at);
        if (at == b.size())
            return kCutShort;
        if (b[at] == '}')
            break;
        if (b.substr(at, 2) == "0X") // valid C, but Qt's decoder takes only "0x"
            return kUnsupported;
        if (b.substr(at, 2) != "0x")
            return has(b, at, 2) ? kDamaged : kCutShort;
        const std::size_t digits = at + 2;
        for (at = digits; at < b.size() && std::isxdigit(std::uint8_t(b[at])); ++at) { }
        if (at == b.size())
            return kCutShort;
        // Qt's decoder reads two digits a value: one is valid C it misreads, four are
        // X10's 16-bit values.
        if (at - digits != 2)
            return at - digits == 1 || at - digits == 4 ? kUnsupported : kDamaged;
        skipBlanks(b, at);
        if (at < b.size() && b[at] == ',')
            ++at;
    }
    return count != (std::size_t(out.width) + 7) / 8 * std::size_t(out.height) ? kDamaged
                                                                               : arrayEnd(b, at);
}

Check checkXpm(Bytes b, Checked &out)
{
    std::size_t at = b.find('{');
    if (at == Bytes::npos)
        return kCutShort;
    std::vector<Bytes> strings;
    for (++at;;) {
        skipBlanks(b, at);
        if (at == b.size())
            return kCutShort;
        if (b[at] == '}')
            break;
        const std::size_t end = b.find('"', at + 1);
        if (b[at] != '"' || strings.size() > 1 + 65536 + 2048)
            return kDamaged;
        if (end == Bytes::npos)
            return kCutShort;
        strings.push_back(b.substr(at + 1, end - at - 1));
        at = end + 1;
        skipBlanks(b, at);
        if (at < b.size() && b[at] == ',')
            ++at;
    }
    if (strings.empty())
        return kDamaged;
    std::size_t in = 0;
    long long values[4]; // width, height, colours, characters a pixel
    for (long long &value : values) {
        if (number(strings[0], in, value))
            return kDamaged;
    }
    if (Check wrong = checkSide(values[0], values[1], out))
        return wrong;
    const auto n = std::size_t(out.width), colors = std::size_t(values[2]),
               key = std::size_t(values[3]);
    if (key < 1 || key > 2)
        return kUnsupported;
    if (colors < 1 || colors > (key == 1 ? 256u : 65536u)
        || strings.size() != 1 + colors + std::size_t(out.height))
        return kDamaged;
    // Qt makes a pixel whose key has no colour colour 0, so every key must have one.
    const auto code = [&](Bytes s) { return u8(s, 0) | (key == 2 ? u8(s, 1) << 8 : 0); };
    std::vector<bool> defined(65536);
    for (std::size_t i = 1; i <= colors; ++i) {
        if (strings[i].size() < key + 2)
            return kDamaged;
        defined[code(strings[i])] = true;
    }
    for (std::size_t row = 1 + colors; row < strings.size(); ++row) {
        if (strings[row].size() != n * key)
            return kDamaged;
        for (std::size_t x = 0; x < n * key; x += key) {
            if (!defined[code(strings[row].substr(x))])
                return kDamaged;
        }
    }
    return arrayEnd(b, at);
}

} // namespace dotdata::images::detail
