#pragma once

#include "picturebox.h"

#include "dotdata/picture.h"

#include <array>
#include <optional>

namespace dotdata::window {

/// The 32 x 32 cells of the picture as one drawn control. Each cell shows one colour
/// value inside a border line it shares with its neighbours. The grid reports the
/// cell of a click; it changes no cell on its own.
class DotGrid : public PictureBox {
    Q_OBJECT

public:
    explicit DotGrid(QWidget *parent = nullptr);

    /// The cell under a point in grid coordinates, or none on the gap between the
    /// blocks or outside. A border pixel shared by two cells belongs to the later one.
    static std::optional<int> cellAt(QPoint pos);
    /// The pixels cell 0..1023 covers, border included, in grid coordinates.
    static QRect cellRect(int cell);

    ColorValue cellColor(int cell) const;
    void setCellColor(int cell, ColorValue value);
    void setCellColors(const std::array<ColorValue, kCells> &values);

Q_SIGNALS:
    void cellClicked(int cell);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    std::array<ColorValue, kCells> m_colors{};
    std::optional<int> m_pressedCell;
};

} // namespace dotdata::window
