// Fuzzes the DATA text reader and the telling apart of inputs. Any text either reads as
// a picture of 1024 values 0..7 or fails with a reason; a picture read makes DATA text
// that reads back to it; text with a NUL byte is binary, and DATA text is told as such.

#include "dotdata/datatext.h"
#include "dotdata/input.h"

#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace {

void check(bool condition, const char *what)
{
    if (!condition) {
        std::fprintf(stderr, "data_text_fuzz: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    using namespace dotdata;
    const std::string_view text(reinterpret_cast<const char *>(data), size);
    const InputForm form = recogniseInput(text);
    check((form == InputForm::Binary) == (text.find('\0') != text.npos), "NUL bytes mistold");
    const Result<PictureRecords> read = readDataText(text);
    if (!read) {
        check(!read.error().message.empty(), "a failure without a reason");
        return 0;
    }
    check(form != InputForm::PictureFile, "DATA text told as a picture file");
    const PictureRecords &records = read.value();
    check(records.count == kCells, "not 1024 records");
    Picture picture;
    records.applyTo(picture);
    for (int n = 0; n < kCells; ++n)
        check(hasPaletteColor(picture.entry(n)), "a value without a palette colour");
    const std::string again = joinLines(makeRowLines(picture.table(), "10").value());
    const Result<PictureRecords> back = readDataText(again);
    check(back && back.value().values == records.values, "the DATA text does not read back");
    return 0;
}
