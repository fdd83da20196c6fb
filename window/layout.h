#pragma once

#include <QRect>
#include <QString>

#include <array>
#include <string_view>

// The plan of the window: every control's place and size in twips, the unit the
// layout was designed in. Nothing else in the window knows a coordinate; the one
// conversion to pixels is pixelRect().

namespace dotdata::window {

inline constexpr int kTwipsPerPixel = 15;

inline constexpr int kClientWidthTwips = 22590;
inline constexpr int kClientHeightTwips = 13815;

/// Left edge of grid column c and top edge of grid row r; the extra 120 twips after
/// column 15 and row 15 split the grid into four blocks of 16 x 16 cells.
constexpr int colX(int c) { return 240 + 360 * c + (c >= 16 ? 120 : 0); }
constexpr int rowY(int r) { return 120 + 360 * r + (r >= 16 ? 120 : 0); }
/// A cell is 375 twips square at a pitch of 360, so neighbours share one pixel.
inline constexpr int kCellTwips = 375;

struct Placement {
    std::string_view name;
    int index = -1; ///< element of a control array, or -1 for a single control
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

inline constexpr int kSwatches = 8;
inline constexpr int kRowFields = 32;
inline constexpr int kPlacements = kSwatches + 1 + 1 + kRowFields + 7;

/// The controls in tab order. The grid `DOT` stands where the 1024 cells stand in the
/// focus chain and covers them all, from the top-left of cell 0 to the bottom-right
/// of cell 1023. `CommonDialog1` is no widget and has no place here.
constexpr std::array<Placement, kPlacements> makeLayout()
{
    std::array<Placement, kPlacements> plan{};
    std::size_t i = 0;
    for (int k = 0; k < kSwatches; ++k)
        plan[i++] = {"color", k, 240 + 600 * k, 12600, 615, 615};
    plan[i++] = {"SELCOL", -1, 240, 11760, 615, 615};
    plan[i++] = {"DOT", -1, colX(0), rowY(0), colX(31) + kCellTwips - colX(0),
                 rowY(31) + kCellTwips - rowY(0)};
    for (int r = 0; r < kRowFields; ++r)
        plan[i++] = {"DOTDATA", r, 12000, rowY(r), 4215, 375};
    plan[i++] = {"Command1", -1, 12000, 12000, 1695, 615};
    plan[i++] = {"SNUM", -1, 14040, 12000, 2295, 375};
    plan[i++] = {"Label1", -1, 14280, 12480, 1935, 375};
    plan[i++] = {"DDATA", -1, 16560, 120, 5655, 10095};
    plan[i++] = {"PREV", -1, 16680, 10440, 1455, 1455};
    plan[i++] = {"Command2", -1, 19080, 10560, 2055, 495};
    plan[i++] = {"Command3", -1, 19080, 11400, 2055, 495};
    return plan;
}

inline constexpr std::array<Placement, kPlacements> kLayout = makeLayout();

constexpr bool wholePixels(const std::array<Placement, kPlacements> &plan)
{
    for (const Placement &p : plan) {
        if (p.name.empty() || p.left % kTwipsPerPixel != 0 || p.top % kTwipsPerPixel != 0
            || p.width % kTwipsPerPixel != 0 || p.height % kTwipsPerPixel != 0)
            return false;
    }
    return true;
}
static_assert(wholePixels(kLayout), "every place and size must fall on whole pixels");
static_assert(kClientWidthTwips % kTwipsPerPixel == 0 && kClientHeightTwips % kTwipsPerPixel == 0);

constexpr int pixels(int twips) { return twips / kTwipsPerPixel; }

inline QRect pixelRect(const Placement &p)
{
    return {pixels(p.left), pixels(p.top), pixels(p.width), pixels(p.height)};
}

/// "color3", "DOTDATA31", "SELCOL": the name plus the index for array elements.
inline QString objectNameOf(const Placement &p)
{
    QString name = QString::fromLatin1(p.name.data(), static_cast<qsizetype>(p.name.size()));
    if (p.index >= 0)
        name += QString::number(p.index);
    return name;
}

inline QString objectNameOf(std::string_view name, int index)
{
    return objectNameOf(Placement{name, index});
}

} // namespace dotdata::window
