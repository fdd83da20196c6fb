// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "picturebox.h"

#include <optional>

namespace dotdata::editor {

/// The 32 x 32 cells of the picture as one drawn control. Each cell shows the colour
/// of the index the picture stores for it, inside a border line it shares with its
/// neighbours. The grid reports the cell of a click; it changes no cell on its own.
class DotGrid : public PictureBox
{
    Q_OBJECT

public:
    DotGrid(const Picture &picture, QWidget *parent);

    /// The cell under a point in grid coordinates, or none on the gap between the
    /// blocks or outside. A border pixel shared by two cells belongs to the later one.
    static std::optional<int> cellAt(QPoint pos);
    /// The pixels cell 0..1023 covers, border included, in grid coordinates.
    static QRect cellRect(int cell);

Q_SIGNALS:
    void cellClicked(int cell);

protected:
    void paintEvent(QPaintEvent *event) override;
    std::optional<int> targetAt(QPoint pos) const override { return cellAt(pos); }
    void clickEvent(int cell) override { Q_EMIT cellClicked(cell); }

private:
    const Picture &m_picture;
};

} // namespace dotdata::editor
