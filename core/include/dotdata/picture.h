// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace dotdata {

inline constexpr int kColumns = 32;
inline constexpr int kRows = 32;
/// Cells 0..1023, row-major.
inline constexpr int kCells = kColumns * kRows;
/// The table has one entry more than there are cells; entry 1024 belongs to no cell.
inline constexpr int kEntries = kCells + 1;
inline constexpr int kPaletteSize = 8;

/// Colour values are 0x00BBGGRR, or a system colour reference 0x800000nn that the
/// window resolves when it draws (entry 7: the background of a text-entry area).
using ColorValue = std::uint32_t;
inline constexpr ColorValue kSystemWindowBackground = 0x80000005;

inline constexpr std::array<ColorValue, kPaletteSize> kPalette = {
    0x00000000, // black
    0x00FF0000, // blue
    0x000000FF, // red
    0x000040C0, // red 192, green 64, blue 0
    0x00008000, // green
    0x00FFFF00, // cyan
    0x0000FFFF, // yellow
    kSystemWindowBackground,
};

/// The red, green and blue of an RGB colour value (not of a system colour reference).
struct Rgb
{
    int red, green, blue;
};
constexpr Rgb rgbOf(ColorValue value)
{
    return {int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF)};
}

/// Stops the program when a caller breaks a contract, such as a cell index the program
/// computed itself lying outside the table: that is a programming mistake, never a
/// user's, and going on would write outside the picture.
inline void expects(bool condition)
{
    if (!condition)
        std::abort();
}

/// Whether a table value has a palette colour. Painting stores only 0..7, but a loaded
/// file can put 8 or 9 into the table.
constexpr bool hasPaletteColor(int value)
{
    return value >= 0 && value < kPaletteSize;
}

/// The colour value of palette index 0..7.
inline ColorValue paletteColor(int index)
{
    expects(hasPaletteColor(index));
    return kPalette[static_cast<std::size_t>(index)];
}

constexpr int rowOf(int cell)
{
    return cell / kColumns;
}
constexpr int columnOf(int cell)
{
    return cell % kColumns;
}
constexpr int cellIndex(int row, int column)
{
    return row * kColumns + column;
}

/// The picture: the colour-index table `iDot` (entries 0..1024) and the selected
/// palette index `iColor`. Indexes are contracts: a cell 0..1023, an entry 0..1024, a
/// palette index 0..7.
class Picture
{
public:
    using Table = std::array<std::int16_t, kEntries>;

    /// Selects palette index 0..7 for painting.
    void selectColor(int index)
    {
        expects(hasPaletteColor(index));
        iColor = static_cast<std::int16_t>(index);
    }
    std::int16_t selectedColor() const { return iColor; }

    /// Stores the selected colour index into cell 0..1023.
    void paint(int cell)
    {
        expects(cell >= 0 && cell < kCells);
        iDot[static_cast<std::size_t>(cell)] = iColor;
    }

    /// Plain access to entries 0..1024.
    std::int16_t entry(int index) const
    {
        expects(index >= 0 && index < kEntries);
        return iDot[static_cast<std::size_t>(index)];
    }
    void store(int index, std::int16_t value)
    {
        expects(index >= 0 && index < kEntries);
        iDot[static_cast<std::size_t>(index)] = value;
    }

    /// The whole table, for readers that need every entry (the text, the file).
    const Table &table() const { return iDot; }

private:
    Table iDot {};
    std::int16_t iColor = 0;
};

/// Values read from a file for entries 0..count-1 of the table, in file order.
struct PictureRecords
{
    Picture::Table values {};
    int count = 0;

    /// Stores the records into entries 0..count-1; later entries keep their values.
    void applyTo(Picture &picture) const
    {
        for (int i = 0; i < count; ++i)
            picture.store(i, values[static_cast<std::size_t>(i)]);
    }
};

} // namespace dotdata
