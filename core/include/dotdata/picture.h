#pragma once

#include "dotdata/result.h"

#include <array>
#include <cstdint>
#include <optional>

namespace dotdata {

inline constexpr int kColumns = 32;
inline constexpr int kRows = 32;
/// Cells 0..1023, row-major.
inline constexpr int kCells = kColumns * kRows;
/// The table has one entry more than there are cells; entry 1024 belongs to no cell.
inline constexpr int kEntries = kCells + 1;
inline constexpr int kPaletteSize = 8;

/// Colour values are 0x00BBGGRR, or a system colour reference 0x800000nn that the
/// window resolves when it draws.
using ColorValue = std::uint32_t;
inline constexpr ColorValue kSystemWindowBackground = 0x80000005;
inline constexpr ColorValue kSystemWindowText = 0x80000008;

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

/// The colour value of palette index 0..7; IndexOutOfRange for any other index
/// (a loaded file can put 8 or 9 into the table, which have no colour).
Result<ColorValue> paletteColor(int index);

constexpr int rowOf(int cell) { return cell / kColumns; }
constexpr int columnOf(int cell) { return cell % kColumns; }
constexpr int cellIndex(int row, int column) { return row * kColumns + column; }

/// The picture: the colour-index table `iDot` (entries 0..1024) and the selected
/// palette index `iColor`. Every index is checked before anything is stored.
class Picture {
public:
    using Table = std::array<std::int16_t, kEntries>;

    /// Sets entries 0..1023 to 0; entry 1024 and the selected colour stay.
    void reset();

    /// Selects palette index 0..7 for painting.
    Status selectColor(int index);
    std::int16_t selectedColor() const { return iColor; }

    /// Stores the selected colour index into cell 0..1023.
    Status paint(int cell);

    /// Plain access to entries 0..1024.
    Result<std::int16_t> entry(int index) const;
    Status store(int index, std::int16_t value);

    /// The whole table, for readers that need every entry (text, file, repaint).
    const Table &table() const { return iDot; }

private:
    Table iDot{};
    std::int16_t iColor = 0;
};

} // namespace dotdata
