// Fuzzes the picture file reader. The input is fed whole, split at a point the input
// chooses, and byte by byte: the records and the outcome must not depend on how the
// input is cut, and must match the record rules written out plainly below.

#include "dotdata/picturefile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

using dotdata::kEntries;

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "reader_fuzz: %s\n", what);
        std::abort();
    }
}

struct Outcome
{
    bool ok = true;
    std::vector<std::int16_t> values;
    bool operator==(const Outcome &) const = default;
};

// Feeds the text cut at the given ascending positions, stopping at the first failure,
// after which the parser must refuse more input and keep its records.
Outcome parse(std::string_view text, const std::vector<std::size_t> &cuts)
{
    dotdata::RecordParser parser;
    dotdata::Status status = dotdata::Done {};
    std::size_t from = 0;
    for (std::size_t i = 0; i <= cuts.size() && status.ok(); ++i) {
        const std::size_t to = i < cuts.size() ? cuts[i] : text.size();
        status = parser.feed(text.substr(from, to - from));
        from = to;
    }
    if (status.ok())
        status = parser.finish();
    const dotdata::PictureRecords &records = parser.records();
    check(records.count >= 0 && records.count <= kEntries, "record count outside 0..1025");
    Outcome outcome {status.ok(), {records.values.begin(), records.values.begin() + records.count}};
    for (std::int16_t v : outcome.values)
        check(v >= 0 && v <= 9, "a record value outside 0..9");
    if (!status.ok()) {
        check(
            status.error().kind == dotdata::ErrorKind::TooManyRecords, "an unexpected error kind");
        check(!parser.feed("1\r\n").ok() && !parser.finish().ok(), "input taken after a failure");
        check(parser.records().count == records.count, "records changed after a failure");
    }
    return outcome;
}

bool endsRecord(char c)
{
    return c == ',' || c == '\r' || c == '\n';
}
std::int16_t valueOf(char c)
{
    return c >= '0' && c <= '9' ? static_cast<std::int16_t>(c - '0') : 0;
}

// The record rules, one record at a time, up to one record past the table.
Outcome expected(std::string_view text)
{
    Outcome e;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n) {
        if (e.values.size() == static_cast<std::size_t>(kEntries))
            return {false, e.values};
        while (i < n && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        std::int16_t value = 0;
        if (i < n && text[i] == '"') {
            if (++i < n && text[i] != '"')
                value = valueOf(text[i]);
            while (i < n && text[i] != '"')
                ++i;
            i += i < n;
        } else if (i < n && !endsRecord(text[i])) {
            value = valueOf(text[i]);
        }
        while (i < n && !endsRecord(text[i]))
            ++i;
        if (i < n)
            i += (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
        e.values.push_back(value);
    }
    return e;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const Outcome whole = parse(text, {});

    const std::size_t cut = size >= 2 ? (data[0] | std::size_t {data[1]} << 8) % (size + 1) : 0;
    check(parse(text, {0, cut}) == whole, "the records depend on where the input is split");
    std::vector<std::size_t> everyByte;
    for (std::size_t i = 1; i < size; ++i)
        everyByte.push_back(i);
    check(parse(text, everyByte) == whole, "the records differ when fed byte by byte");

    check(expected(text) == whole, "the records differ from the record rules");
    return 0;
}
