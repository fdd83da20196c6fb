// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "dotgrid.h"

#include "layout.h"

#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace dotdata::editor {

namespace {

using plan::colX;
using plan::rowY;

constexpr int pixels(int twips)
{
    return twips / kTwipsPerPixel;
}

constexpr int kPitch = pixels(colX(1) - colX(0));
constexpr int kCellSize = pixels(plan::kCell);
constexpr int kBlockCells = 16;
/// Offset of the second block from the first, gap included.
constexpr int kSecondBlock = pixels(colX(kBlockCells) - colX(0));
/// A block ends with the shared border line of its last cell.
constexpr int kBlockSpan = (kBlockCells - 1) * kPitch + kCellSize;

static_assert(colX(kBlockCells) - colX(0) == rowY(kBlockCells) - rowY(0),
    "columns and rows share one geometry");

/// Column (or row) of a grid coordinate along one axis.
std::optional<int> lineAt(int pos)
{
    int block = 0;
    if (pos >= kSecondBlock) {
        block = 1;
        pos -= kSecondBlock;
    }
    if (pos < 0 || pos >= kBlockSpan)
        return std::nullopt;
    return block * kBlockCells + std::min(pos / kPitch, kBlockCells - 1);
}

/// Start of column (or row) i in grid coordinates.
int lineStart(int i)
{
    return pixels(colX(i) - colX(0));
}

} // namespace

DotGrid::DotGrid(const Picture &picture, QWidget *parent) : PictureBox(parent), m_picture(picture)
{ }

std::optional<int> DotGrid::cellAt(QPoint pos)
{
    const std::optional<int> column = lineAt(pos.x());
    const std::optional<int> row = lineAt(pos.y());
    if (!column || !row)
        return std::nullopt;
    return cellIndex(*row, *column);
}

QRect DotGrid::cellRect(int cell)
{
    return {lineStart(columnOf(cell)), lineStart(rowOf(cell)), kCellSize, kCellSize};
}

void DotGrid::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect dirty = event->rect();
    // palette() works out its colour group on each call: once for the event, not a cell.
    const QPalette &shown = palette();
    // The gap between the blocks shows the form behind the grid.
    painter.fillRect(dirty, shown.color(QPalette::Window));
    const QColor border = shown.color(QPalette::Mid);
    for (int n = 0; n < kCells; ++n) {
        const QRect cell = cellRect(n);
        if (!cell.intersects(dirty))
            continue;
        painter.fillRect(cell, border);
        painter.fillRect(cell.adjusted(1, 1, -1, -1), shownColor(m_picture.entry(n), shown));
    }
}

} // namespace dotdata::editor
