#include "dotdata/picture.h"

#include <string>

namespace dotdata {

namespace {

Error outOfRange(const char *what, int index, int last)
{
    return {ErrorKind::IndexOutOfRange,
            std::string(what) + " " + std::to_string(index) + " is outside 0.." + std::to_string(last)};
}

} // namespace

Result<ColorValue> paletteColor(int index)
{
    if (index < 0 || index >= kPaletteSize)
        return outOfRange("palette index", index, kPaletteSize - 1);
    return kPalette[static_cast<std::size_t>(index)];
}

void Picture::reset()
{
    for (int n = 0; n < kCells; ++n)
        iDot[static_cast<std::size_t>(n)] = 0;
}

Status Picture::selectColor(int index)
{
    if (index < 0 || index >= kPaletteSize)
        return outOfRange("palette index", index, kPaletteSize - 1);
    iColor = static_cast<std::int16_t>(index);
    return Done{};
}

Status Picture::paint(int cell)
{
    if (cell < 0 || cell >= kCells)
        return outOfRange("cell index", cell, kCells - 1);
    iDot[static_cast<std::size_t>(cell)] = iColor;
    return Done{};
}

Result<std::int16_t> Picture::entry(int index) const
{
    if (index < 0 || index >= kEntries)
        return outOfRange("table index", index, kEntries - 1);
    return iDot[static_cast<std::size_t>(index)];
}

Status Picture::store(int index, std::int16_t value)
{
    if (index < 0 || index >= kEntries)
        return outOfRange("table index", index, kEntries - 1);
    iDot[static_cast<std::size_t>(index)] = value;
    return Done{};
}

} // namespace dotdata
