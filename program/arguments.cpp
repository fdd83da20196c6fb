// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "arguments.h"

#include <string_view>

namespace dotdata::program {

namespace {

/// The length of the valid UTF-8 sequence at the start of bytes, or 0 when there is none:
/// no overlong forms, no surrogates, nothing beyond U+10FFFF.
int validSequence(std::string_view bytes)
{
    const auto byte = [&](std::size_t i) { return i < bytes.size() ? uchar(bytes[i]) : 0; };
    const auto follows = [&](std::size_t i, uchar low = 0x80, uchar high = 0xBF) {
        return byte(i) >= low && byte(i) <= high;
    };
    const uchar lead = byte(0);
    if (lead < 0x80)
        return 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return follows(1) ? 2 : 0;
    if (lead >= 0xE0 && lead <= 0xEF) {
        const bool second = lead == 0xE0 ? follows(1, 0xA0)
            : lead == 0xED               ? follows(1, 0x80, 0x9F)
                                         : follows(1);
        return second && follows(2) ? 3 : 0;
    }
    if (lead >= 0xF0 && lead <= 0xF4) {
        const bool second = lead == 0xF0 ? follows(1, 0x90)
            : lead == 0xF4               ? follows(1, 0x80, 0x8F)
                                         : follows(1);
        return second && follows(2) && follows(3) ? 4 : 0;
    }
    return 0;
}

constexpr char16_t kEscape = 0xDC00;

} // namespace

QStringList decodeArguments(int argc, char **argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        std::string_view bytes = argv[i];
        QString argument;
        while (!bytes.empty()) {
            if (const int length = validSequence(bytes)) {
                argument += QString::fromUtf8(bytes.data(), length);
                bytes.remove_prefix(std::size_t(length));
            } else {
                argument += QChar(char16_t(kEscape + uchar(bytes.front())));
                bytes.remove_prefix(1);
            }
        }
        arguments << argument;
    }
    return arguments;
}

std::string encodeArgument(const QString &text)
{
    std::string bytes;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        const bool paired = QChar::isHighSurrogate(c) && i + 1 < text.size()
            && text[i + 1].isLowSurrogate();
        if (!paired && c >= kEscape + 0x80 && c <= kEscape + 0xFF)
            bytes += char(c - kEscape);
        else
            bytes += text.mid(i, paired ? 2 : 1).toStdString();
        i += paired ? 1 : 0;
    }
    return bytes;
}

} // namespace dotdata::program
