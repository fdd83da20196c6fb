// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotdata/input.h"

#include "dotdata/datatext.h"
#include "dotdata/picturefile.h"

#include "common.h"

#include <algorithm>
#include <cstring>

namespace dotdata {

namespace {

/// Text after a UTF-8 byte-order mark, if any; a UTF-16 or UTF-32 one is WideText.
Result<std::string_view> withoutByteOrderMark(std::string_view bytes)
{
    // A UTF-16 or UTF-32 text has a NUL byte beside every character; read as records it
    // would give nonsense rather than an error. The UTF-32 marks are tested first, as
    // the little-endian one begins with the UTF-16 one.
    using namespace std::string_view_literals;
    if (bytes.starts_with("\xEF\xBB\xBF"sv))
        return bytes.substr(3);
    if (bytes.starts_with("\xFF\xFE\0\0"sv) || bytes.starts_with("\0\0\xFE\xFF"sv))
        return Error {.kind = ErrorKind::WideText, .text = "UTF-32"};
    if (bytes.starts_with("\xFF\xFE"sv) || bytes.starts_with("\xFE\xFF"sv))
        return Error {.kind = ErrorKind::WideText, .text = "UTF-16"};
    return bytes;
}

/// A text input's form and its text; binary data and UTF-16 or UTF-32 text fail.
struct TextInput
{
    InputForm form;
    std::string_view text;
};
Result<TextInput> textInput(std::string_view bytes)
{
    const Result<std::string_view> text = withoutByteOrderMark(bytes);
    if (!text)
        return text.error();
    const InputForm form = recogniseInput(text.value());
    if (form == InputForm::Binary)
        return Error {ErrorKind::BinaryData};
    return TextInput {form, text.value()};
}

} // namespace

InputForm recogniseInput(std::string_view text)
{
    if (std::memchr(text.data(), '\0', text.size()))
        return InputForm::Binary;
    // A picture file as written holds no letter: without a D there is no DATA line.
    if (!std::memchr(text.data(), 'D', text.size()) && !std::memchr(text.data(), 'd', text.size()))
        return InputForm::PictureFile;
    bool data = false;
    detail::forEachLine(text, [&](long long, std::string_view line) {
        data = dataLine(line).has_value();
        return !data;
    });
    return data ? InputForm::DataText : InputForm::PictureFile;
}

Result<PictureRecords> readTextInput(std::string_view bytes, int sprite)
{
    const Result<TextInput> input = textInput(bytes);
    if (!input)
        return input.error();
    const auto [form, text] = input.value();
    return form == InputForm::DataText ? readDataText(text, sprite) : readPictureText(text);
}

Result<std::vector<PictureRecords>> readTextPictures(std::string_view bytes)
{
    const Result<TextInput> input = textInput(bytes);
    if (!input)
        return input.error();
    const auto [form, text] = input.value();
    if (form == InputForm::DataText)
        return readDataPictures(text);
    const Result<PictureRecords> one = readPictureText(text);
    if (!one)
        return one.error();
    return std::vector {one.value()};
}

Status checkColors(const PictureRecords &records)
{
    const auto cells = records.values.begin() + std::min(records.count, kCells);
    const auto bad = std::find_if_not(records.values.begin(), cells, hasPaletteColor);
    if (bad == cells)
        return Done {};
    return Error {
        .kind = ErrorKind::NoColor, .line = bad - records.values.begin() + 1, .value = *bad};
}

} // namespace dotdata
