#include "dotgrid.h"

#include "colorvalue.h"
#include "layout.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace dotdata::window {

namespace {

constexpr int kPitch = pixels(colX(1) - colX(0));
constexpr int kCellSize = pixels(kCellTwips);
constexpr int kBlockCells = 16;
/// Offset of the second block from the first, gap included.
constexpr int kSecondBlock = pixels(colX(kBlockCells) - colX(0));
/// A block ends with the shared border line of its last cell.
constexpr int kBlockSpan = (kBlockCells - 1) * kPitch + kCellSize;

static_assert(pixels(colX(kBlockCells) - colX(0)) == pixels(rowY(kBlockCells) - rowY(0)),
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

DotGrid::DotGrid(QWidget *parent)
    : PictureBox(parent)
{
}

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

ColorValue DotGrid::cellColor(int cell) const
{
    return m_colors.at(static_cast<std::size_t>(cell));
}

void DotGrid::setCellColor(int cell, ColorValue value)
{
    m_colors.at(static_cast<std::size_t>(cell)) = value;
    update(cellRect(cell));
}

void DotGrid::setCellColors(const std::array<ColorValue, kCells> &values)
{
    m_colors = values;
    update();
}

void DotGrid::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect dirty = event->rect();
    // The gap between the blocks shows the form behind the grid.
    painter.fillRect(dirty, palette().color(QPalette::Window));
    const QColor border = palette().color(QPalette::Mid);
    for (int n = 0; n < kCells; ++n) {
        const QRect cell = cellRect(n);
        if (!cell.intersects(dirty))
            continue;
        painter.fillRect(cell, border);
        painter.fillRect(cell.adjusted(1, 1, -1, -1),
                         resolveColor(m_colors[static_cast<std::size_t>(n)], palette()));
    }
}

void DotGrid::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        PictureBox::mousePressEvent(event);
        return;
    }
    m_pressedCell = cellAt(event->position().toPoint());
}

void DotGrid::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        PictureBox::mouseReleaseEvent(event);
        return;
    }
    const std::optional<int> pressed = m_pressedCell;
    m_pressedCell.reset();
    if (pressed && cellAt(event->position().toPoint()) == pressed)
        Q_EMIT cellClicked(*pressed);
}

} // namespace dotdata::window
