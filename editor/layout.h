// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "dotdata/picture.h"

#include <QRect>
#include <QString>

#include <array>
#include <cstddef>
#include <utility>

// The plan of the window: every control's name, place and size in twips, the unit the
// layout was designed in, listed in tab order. Nothing else in the window knows a
// coordinate; the one conversion to pixels is Placement::pixelRect().

namespace dotdata::editor {

inline constexpr int kTwipsPerPixel = 15;

/// One control of the plan: its name and, for an element of a control array, its index.
struct Placement
{
    const char *name;
    int left;
    int top;
    int width;
    int height;
    int index = -1;

    // Every plan entry is a constant, so a place or size that is not a whole number of
    // pixels stops the build here.
    constexpr Placement(const char *name, int left, int top, int width, int height, int index = -1)
        : name(name), left(left), top(top), width(width), height(height), index(index)
    {
        if (left % kTwipsPerPixel != 0 || top % kTwipsPerPixel != 0 || width % kTwipsPerPixel != 0
            || height % kTwipsPerPixel != 0)
            throw "a place or size that is not a whole number of pixels";
    }

    QRect pixelRect() const
    {
        return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel,
            height / kTwipsPerPixel};
    }
    /// "SELCOL", or "color3" and "DOTDATA31" for elements of a control array.
    QString objectName() const
    {
        const QString base = QString::fromLatin1(name);
        return index < 0 ? base : base + QString::number(index);
    }
};

namespace plan {

/// Left edge of grid column c and top edge of grid row r; the extra 120 twips after
/// column 15 and row 15 split the grid into four blocks of 16 x 16 cells.
constexpr int colX(int c)
{
    return 240 + 360 * c + (c >= 16 ? 120 : 0);
}
constexpr int rowY(int r)
{
    return 120 + 360 * r + (r >= 16 ? 120 : 0);
}
/// A cell is 375 twips square at a pitch of 360, so neighbours share one pixel.
inline constexpr int kCell = 375;

template<std::size_t N, typename Make>
constexpr std::array<Placement, N> elements(Make make)
{
    return [&]<std::size_t... I>(std::index_sequence<I...>)
    {
        return std::array<Placement, N> {make(static_cast<int>(I))...};
    }
    (std::make_index_sequence<N> {});
}

/// The client area.
inline constexpr Placement Form1 {"Form1", 0, 0, 22590, 13815};

inline constexpr auto color = elements<kPaletteSize>([](int k) {
    return Placement {"color", 240 + 600 * k, 12600, 615, 615, k};
});
inline constexpr Placement SELCOL {"SELCOL", 240, 11760, 615, 615};
/// The 1024 cells as one grid, from the top-left of cell 0 to the bottom-right of cell
/// 1023, where the cells stand in the focus chain.
inline constexpr Placement DOT {
    "DOT", colX(0), rowY(0), colX(31) + kCell - colX(0), rowY(31) + kCell - rowY(0)};
inline constexpr auto DOTDATA = elements<kRows>([](int r) {
    return Placement {"DOTDATA", 12000, rowY(r), 4215, 375, r};
});
inline constexpr Placement Command1 {"Command1", 12000, 12000, 1695, 615};
inline constexpr Placement SNUM {"SNUM", 14040, 12000, 2295, 375};
inline constexpr Placement Label1 {"Label1", 14280, 12480, 1935, 375};
inline constexpr Placement DDATA {"DDATA", 16560, 120, 5655, 10095};
inline constexpr Placement PREV {"PREV", 16680, 10440, 1455, 1455};
inline constexpr Placement Command2 {"Command2", 19080, 10560, 2055, 495};
inline constexpr Placement Command3 {"Command3", 19080, 11400, 2055, 495};

} // namespace plan

} // namespace dotdata::editor
