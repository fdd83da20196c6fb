// Fuzzes the start number conversion and the number image.
//
// Any text either converts to a finite number or fails with NotANumber. A converted
// number's image is a blank or "-" and then plain ASCII ("." as decimal point, never a
// comma), and it converts back: exactly for integral values below 1e15, which are
// written in full, and to 15 significant digits otherwise. makeRowLines must agree
// with the conversion and number the 32 lines start, start + 10, ..., start + 310.

#include "dotdata/datatext.h"
#include "dotdata/picture.h"

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

using dotdata::ErrorKind;

[[noreturn]] void fail(const char *what, std::string_view detail = {})
{
    std::fprintf(stderr, "start_number_fuzz: %s [%.*s]\n", what, static_cast<int>(detail.size()),
                 detail.data());
    std::abort();
}

void check(bool condition, const char *what, std::string_view detail = {})
{
    if (!condition)
        fail(what, detail);
}

const dotdata::Picture::Table &sampleTable()
{
    static const dotdata::Picture::Table table = [] {
        dotdata::Picture::Table t{};
        for (std::size_t i = 0; i < t.size(); ++i)
            t[i] = static_cast<std::int16_t>((i * 7 + i / 32) % 10);
        return t;
    }();
    return table;
}

void checkImage(double value, const std::string &image)
{
    check(image.size() >= 2, "number image too short", image);
    check(image[0] == (value < 0 ? '-' : ' '), "number image does not begin with the sign", image);
    for (std::size_t i = 1; i < image.size(); ++i) {
        const char c = image[i];
        const bool allowed = (c >= '0' && c <= '9') || c == '.' || c == 'E' || c == '+' || c == '-';
        check(allowed, "number image holds an unexpected character", image);
    }

    const dotdata::Result<double> back = dotdata::parseStartNumber(image);
    const double magnitude = std::fabs(value);
    if (magnitude < 1e15 && std::trunc(value) == value) {
        const std::string digits = std::to_string(static_cast<long long>(magnitude));
        check(image.substr(1) == digits, "integral value not written in full", image);
        check(back.ok() && back.value() == value, "integral number image does not convert back", image);
    } else if (magnitude < 1.7e308) {
        // Above that, rounding to 15 digits can pass the largest double.
        check(back.ok(), "number image does not convert back", image);
        check(std::fabs(back.value() - value) <= 1e-14 * magnitude,
              "number image converts back to another value", image);
    }
}

void checkLines(std::string_view text, double start)
{
    const auto lines = dotdata::makeRowLines(sampleTable(), text);
    check(lines.ok(), "makeRowLines rejected a start number that converts", text);
    std::size_t expectedLength = 0;
    for (int r = 0; r < dotdata::kRows; ++r) {
        std::string expected = dotdata::numberImage(r * 10.0 + start) + " DATA ";
        for (int c = 0; c < dotdata::kColumns; ++c)
            expected += static_cast<char>('0' + sampleTable()[static_cast<std::size_t>(dotdata::cellIndex(r, c))]);
        const std::string &line = lines.value()[static_cast<std::size_t>(r)];
        check(line == expected, "row line differs", line);
        expectedLength += 2 + line.size();
    }
    const std::string joined = dotdata::joinLines(lines.value());
    check(joined.size() == expectedLength && joined.compare(0, 2, "\r\n") == 0, "joined text malformed");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const dotdata::Result<double> parsed = dotdata::parseStartNumber(text);
    if (!parsed.ok()) {
        check(parsed.error().kind == ErrorKind::NotANumber, "conversion failed with a kind other than NotANumber");
        check(!parsed.error().message.empty(), "conversion failed without a message");
        const auto lines = dotdata::makeRowLines(sampleTable(), text);
        check(!lines.ok() && lines.error().kind == ErrorKind::NotANumber,
              "makeRowLines accepted a start number that does not convert", text);
        return 0;
    }

    const double value = parsed.value();
    check(std::isfinite(value), "conversion gave a value that is not finite", text);
    checkImage(value, dotdata::numberImage(value));
    checkLines(text, value);
    return 0;
}
