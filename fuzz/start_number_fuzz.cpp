// Fuzzes the start number conversion and the number image. Any text either converts
// to a finite number or fails with NotANumber, and makeRowLines agrees, but for a number
// whose 32 line number images, each made alone, are not all different: that fails with
// LineNumbersRepeat, and every other makes 32 different line numbers. A converted
// number's image is a blank or "-" and then plain ASCII ("." as decimal point, never a
// comma), and converts back: exactly for integral values below 1e15, which are written
// in full, and to 15 significant digits otherwise.

#include "dotdata/datatext.h"

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <string_view>

namespace {

void check(bool condition, const char *what, std::string_view detail)
{
    if (!condition) {
        std::fprintf(stderr, "start_number_fuzz: %s [%.*s]\n", what,
            static_cast<int>(detail.size()), detail.data());
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const dotdata::Result<double> parsed = dotdata::parseStartNumber(text);
    const auto lines = dotdata::makeRowLines(dotdata::Picture::Table {}, text);
    std::set<std::string> numbers;
    for (int r = 0; parsed.ok() && r < dotdata::kRows; ++r)
        numbers.insert(dotdata::numberImage(parsed.value() + r * 10.0));
    const bool distinct = numbers.size() == dotdata::kRows;
    check(lines.ok() == (parsed.ok() && distinct), "makeRowLines disagrees with the conversion",
        text);
    if (parsed.ok() && !distinct) {
        check(lines.error().kind == dotdata::ErrorKind::LineNumbersRepeat,
            "repeating line numbers refused with another kind", text);
        return 0;
    }
    if (!parsed.ok()) {
        check(parsed.error().kind == dotdata::ErrorKind::NotANumber
                && !parsed.error().message.empty(),
            "a failed conversion without kind or message", text);
        return 0;
    }

    const double value = parsed.value();
    check(std::isfinite(value), "conversion gave a value that is not finite", text);
    const std::string image = dotdata::numberImage(value);
    check(image.size() >= 2 && image[0] == (value < 0 ? '-' : ' '),
        "image does not begin with the sign", image);
    check(image.find_first_not_of("0123456789.E+-", 1) == std::string::npos,
        "image holds another character", image);
    check(lines.value()[0].starts_with(image + " DATA "),
        "line 0 does not begin with the start number", image);

    const dotdata::Result<double> back = dotdata::parseStartNumber(image);
    const double magnitude = std::fabs(value);
    if (magnitude < 1e15 && std::trunc(value) == value) {
        check(image.substr(1) == std::to_string(static_cast<long long>(magnitude)),
            "integer not in full", image);
        check(back.ok() && back.value() == value, "integer image does not convert back", image);
    } else if (magnitude < 1.7e308) { // above, 15 digits can round past the largest double
        check(back.ok() && std::fabs(back.value() - value) <= 1e-14 * magnitude,
            "image does not convert back to the value", image);
    }
    return 0;
}
