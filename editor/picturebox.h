// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#pragma once

#include "dotdata/picture.h"

#include <QWidget>

#include <functional>
#include <optional>

namespace dotdata::editor {

/// The colour palette index k stands for when drawn: the system colour of entry 7
/// follows the theme as the background of a text-entry area.
QColor shownColor(int index, const QPalette &palette);

/// The base of the window's drawn boxes (cells, swatches, preview): opaque, in the tab
/// order, and drawing no focus mark, so gaining or losing focus repaints nothing (the
/// default would repaint the whole box, all 1024 cells for the grid). It holds the one
/// click rule of the window: a left-button press and release over the same target.
class PictureBox : public QWidget
{
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr);

protected:
    /// What a click at pos would hit: a cell, 0 for a box as a whole, or none.
    virtual std::optional<int> targetAt(QPoint pos) const;
    virtual void clickEvent(int target);

    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *) override { }
    void focusOutEvent(QFocusEvent *) override { }

private:
    std::optional<int> m_pressed;
};

/// A box showing one palette colour inside a one-pixel border: a swatch its own, the
/// selected-colour box the picture's selected one. It reports clicks.
class ColorBox : public PictureBox
{
    Q_OBJECT

public:
    ColorBox(std::function<int()> index, QWidget *parent);

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    std::optional<int> targetAt(QPoint pos) const override;
    void clickEvent(int) override { Q_EMIT clicked(); }

private:
    std::function<int()> m_index;
};

/// The 1:1 preview: a black drawing area with picture column c, row r at pixel
/// (20 + c, 20 + r), drawn from the picture's table.
class PreviewBox : public PictureBox
{
    Q_OBJECT

public:
    PreviewBox(const Picture &picture, QWidget *parent);

    static QRect pixelRect(int cell);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    const Picture &m_picture;
};

} // namespace dotdata::editor
