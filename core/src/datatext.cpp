#include "dotdata/datatext.h"

#include <charconv>
#include <cmath>
#include <cstdlib>
#include <system_error>

namespace dotdata {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }
bool isDigit(char c) { return c >= '0' && c <= '9'; }

std::string_view trimBlanks(std::string_view text)
{
    while (!text.empty() && isBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// from_chars also takes "inf", "nan" and hexadecimal-looking forms in some modes, so
// the grammar is checked first: [+-] (digits [. [digits]] | . digits) [(e|E) [+-] digits]
bool isPlainDecimal(std::string_view t)
{
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t start = i;
        while (i < t.size() && isDigit(t[i]))
            ++i;
        return i - start;
    };
    if (i < t.size() && (t[i] == '+' || t[i] == '-'))
        ++i;
    std::size_t mantissaDigits = digits();
    if (i < t.size() && t[i] == '.') {
        ++i;
        mantissaDigits += digits();
    }
    if (mantissaDigits == 0)
        return false;
    if (i < t.size() && (t[i] == 'e' || t[i] == 'E')) {
        ++i;
        if (i < t.size() && (t[i] == '+' || t[i] == '-'))
            ++i;
        if (digits() == 0)
            return false;
    }
    return i == t.size();
}

Error notANumber(std::string_view text, const char *why)
{
    return {ErrorKind::NotANumber, "the start number \"" + std::string(text) + "\" " + why};
}

char lastDigit(std::int16_t value)
{
    return static_cast<char>('0' + std::abs(static_cast<int>(value)) % 10);
}

std::string makeRowLine(const Picture::Table &table, int row, double lineNumber)
{
    std::string line = numberImage(lineNumber);
    line += " DATA ";
    for (int c = 0; c < kColumns; ++c)
        line += lastDigit(table[static_cast<std::size_t>(cellIndex(row, c))]);
    return line;
}

} // namespace

Result<double> parseStartNumber(std::string_view text)
{
    const std::string_view t = trimBlanks(text);
    if (t.empty())
        return notANumber(text, "is empty");
    if (!isPlainDecimal(t))
        return notANumber(text, "is not a decimal number");
    // from_chars does not take a leading '+'.
    const std::string_view digits = t.front() == '+' ? t.substr(1) : t;
    double value = 0;
    const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), value);
    if (ec == std::errc::result_out_of_range)
        return notANumber(text, "is outside the range of numbers");
    if (ec != std::errc() || end != digits.data() + digits.size() || !std::isfinite(value))
        return notANumber(text, "is not a decimal number");
    return value;
}

std::string numberImage(double value)
{
    std::string image(1, std::signbit(value) && value != 0 ? '-' : ' ');
    char buffer[64];
    // %.15g-style: integral values below 1e15 in full, 15 significant digits at most,
    // exponent form outside 1e-4..1e15; to_chars is independent of the locale.
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, std::fabs(value),
                                      std::chars_format::general, 15);
    std::string_view magnitude(buffer, static_cast<std::size_t>(result.ptr - buffer));
    if (magnitude.size() > 1 && magnitude[0] == '0' && magnitude[1] == '.')
        magnitude.remove_prefix(1); // no leading zeros: 0.5 is ".5"
    for (char c : magnitude)
        image += c == 'e' ? 'E' : c;
    return image;
}

Result<RowLines> makeRowLines(const Picture::Table &table, std::string_view startNumber)
{
    const Result<double> start = parseStartNumber(startNumber);
    if (!start)
        return start.error();
    RowLines lines;
    for (int r = 0; r < kRows; ++r)
        lines[static_cast<std::size_t>(r)] = makeRowLine(table, r, r * 10.0 + start.value());
    return lines;
}

std::string joinLines(const RowLines &lines)
{
    std::string text;
    for (const std::string &line : lines) {
        text += "\r\n";
        text += line;
    }
    return text;
}

} // namespace dotdata
