// Fuzzes the picture file reader (RecordParser).
//
// The input is fed whole, split in two at a point chosen by the input, and one byte
// at a time; the records and the status must be the same every way. They must also
// match the record rules written out plainly below (expectedRecords), and
// PictureRecords::applyTo must store exactly the records and nothing past them.

#include "dotdata/picture.h"
#include "dotdata/picturefile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string_view>
#include <vector>

namespace {

using dotdata::ErrorKind;
using dotdata::kEntries;
using dotdata::RecordParser;
using dotdata::Status;

[[noreturn]] void fail(const char *what)
{
    std::fprintf(stderr, "reader_fuzz: %s\n", what);
    std::abort();
}

void check(bool condition, const char *what)
{
    if (!condition)
        fail(what);
}

struct Outcome {
    std::optional<ErrorKind> error; // empty when every feed and finish succeeded
    std::vector<std::int16_t> values;
};

bool operator==(const Outcome &a, const Outcome &b)
{
    return a.error == b.error && a.values == b.values;
}

void describe(const char *name, const Outcome &o)
{
    std::fprintf(stderr, "  %s: %s, %zu records:", name, o.error ? "failed" : "ok", o.values.size());
    for (std::int16_t v : o.values)
        std::fprintf(stderr, " %d", v);
    std::fprintf(stderr, "\n");
}

Outcome snapshot(const RecordParser &parser, const Status &status)
{
    const dotdata::PictureRecords &records = parser.records();
    check(records.count >= 0 && records.count <= kEntries, "record count outside 0..1025");
    Outcome o;
    if (!status.ok()) {
        o.error = status.error().kind;
        check(!status.error().message.empty(), "an error without a message");
    }
    for (int i = 0; i < records.count; ++i) {
        const std::int16_t v = records.values[static_cast<std::size_t>(i)];
        check(v >= 0 && v <= 9, "a record value outside 0..9");
        o.values.push_back(v);
    }
    return o;
}

// Feeds text cut at the given ascending positions, stopping at the first failure.
// After a failure the parser must take no more input and keep failing.
Outcome parse(std::string_view text, const std::vector<std::size_t> &cuts)
{
    RecordParser parser;
    Status status = dotdata::Done{};
    std::size_t from = 0;
    for (std::size_t i = 0; i <= cuts.size() && status.ok(); ++i) {
        const std::size_t to = i < cuts.size() ? cuts[i] : text.size();
        status = parser.feed(text.substr(from, to - from));
        from = to;
    }
    if (status.ok())
        status = parser.finish();
    const Outcome outcome = snapshot(parser, status);
    if (!status.ok()) {
        check(!parser.feed("1,2,3\r\n").ok(), "feed succeeded after a failure");
        check(!parser.finish().ok(), "finish succeeded after a failure");
        check(snapshot(parser, dotdata::Done{}).values == outcome.values,
              "records changed after a failure");
    }
    return outcome;
}

bool isLineEnd(char c) { return c == '\r' || c == '\n'; }
bool endsRecord(char c) { return c == ',' || isLineEnd(c); }
std::int16_t valueOf(char c) { return c >= '0' && c <= '9' ? static_cast<std::int16_t>(c - '0') : 0; }

// The record rules, one record at a time; stops after kEntries + 1 records.
// Blanks alone after the last line end may or may not count as a record.
struct Expected {
    std::vector<std::int16_t> values;
    bool lastMayBeDropped = false;
};

Expected expectedRecords(std::string_view text)
{
    Expected e;
    std::size_t i = 0;
    const std::size_t n = text.size();
    while (i < n && e.values.size() <= static_cast<std::size_t>(kEntries)) {
        while (i < n && (text[i] == ' ' || text[i] == '\t'))
            ++i;
        std::int16_t value = 0;
        const bool blanksToEnd = i == n;
        if (i < n && text[i] == '"') {
            ++i;
            if (i < n && text[i] != '"')
                value = valueOf(text[i]);
            while (i < n && text[i] != '"')
                ++i;
            if (i < n)
                ++i;
        } else if (i < n && !endsRecord(text[i])) {
            value = valueOf(text[i]);
        }
        while (i < n && !endsRecord(text[i]))
            ++i;
        if (i < n)
            i += (text[i] == '\r' && i + 1 < n && text[i + 1] == '\n') ? 2 : 1;
        e.values.push_back(value);
        e.lastMayBeDropped = blanksToEnd;
    }
    return e;
}

bool matches(const Outcome &got, const std::vector<std::int16_t> &values, std::size_t count)
{
    const auto limit = static_cast<std::size_t>(kEntries);
    if (count > limit)
        return got.error == ErrorKind::TooManyRecords
            && got.values == std::vector<std::int16_t>(values.begin(), values.begin() + limit);
    return !got.error && got.values == std::vector<std::int16_t>(values.begin(), values.begin() + count);
}

void checkRules(const Outcome &got, std::string_view text)
{
    const Expected e = expectedRecords(text);
    const std::size_t n = e.values.size();
    if (matches(got, e.values, n) || (e.lastMayBeDropped && matches(got, e.values, n - 1)))
        return;
    describe("parser", got);
    describe("rules", Outcome{n > static_cast<std::size_t>(kEntries)
                                  ? std::optional<ErrorKind>(ErrorKind::TooManyRecords)
                                  : std::nullopt,
                              e.values});
    fail("records differ from the record rules");
}

void checkApply(const Outcome &got, std::string_view text)
{
    constexpr std::int16_t kUntouched = 7;
    RecordParser parser;
    if (parser.feed(text).ok())
        (void)parser.finish();
    dotdata::Picture picture;
    for (int i = 0; i < kEntries; ++i)
        check(picture.store(i, kUntouched).ok(), "store failed");
    parser.records().applyTo(picture);
    const auto count = static_cast<int>(got.values.size());
    for (int i = 0; i < kEntries; ++i) {
        const std::int16_t expected = i < count ? got.values[static_cast<std::size_t>(i)] : kUntouched;
        check(picture.table()[static_cast<std::size_t>(i)] == expected, "applyTo stored the wrong entries");
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view text(reinterpret_cast<const char *>(data), size);

    const Outcome whole = parse(text, {});

    std::size_t cut = 0;
    if (size >= 2)
        cut = (static_cast<std::size_t>(data[0]) | static_cast<std::size_t>(data[1]) << 8) % (size + 1);
    const Outcome split = parse(text, {0, cut});

    std::vector<std::size_t> everyByte;
    for (std::size_t i = 1; i < size; ++i)
        everyByte.push_back(i);
    const Outcome bytewise = parse(text, everyByte);

    if (!(split == whole) || !(bytewise == whole)) {
        std::fprintf(stderr, "  split at %zu\n", cut);
        describe("whole", whole);
        describe("split", split);
        describe("byte by byte", bytewise);
        fail("the records depend on how the input is cut into chunks");
    }

    checkRules(whole, text);
    checkApply(whole, text);
    return 0;
}
