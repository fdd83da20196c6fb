// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "picturebox.h"

#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>

namespace dotdata::editor {

QColor shownColor(int index, const QPalette &palette)
{
    const ColorValue value = paletteColor(index);
    if (value == kSystemWindowBackground)
        return palette.color(QPalette::Base);
    const Rgb rgb = rgbOf(value);
    return QColor(rgb.red, rgb.green, rgb.blue);
}

PictureBox::PictureBox(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

std::optional<int> PictureBox::targetAt(QPoint) const
{
    return std::nullopt;
}

void PictureBox::clickEvent(int) { }

void PictureBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_pressed = targetAt(event->position().toPoint());
}

void PictureBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    const std::optional<int> pressed = std::exchange(m_pressed, std::nullopt);
    if (pressed && targetAt(event->position().toPoint()) == pressed)
        clickEvent(*pressed);
}

ColorBox::ColorBox(std::function<int()> index, QWidget *parent)
    : PictureBox(parent), m_index(std::move(index))
{ }

std::optional<int> ColorBox::targetAt(QPoint pos) const
{
    return rect().contains(pos) ? std::optional(0) : std::nullopt;
}

void ColorBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &shown = palette();
    painter.fillRect(rect(), shown.color(QPalette::Mid));
    painter.fillRect(rect().adjusted(1, 1, -1, -1), shownColor(m_index(), shown));
}

PreviewBox::PreviewBox(const Picture &picture, QWidget *parent)
    : PictureBox(parent), m_picture(picture)
{ }

QRect PreviewBox::pixelRect(int cell)
{
    constexpr int kMargin = 20;
    return {kMargin + columnOf(cell), kMargin + rowOf(cell), 1, 1};
}

void PreviewBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect dirty = event->rect();
    painter.fillRect(dirty, Qt::black);
    // palette() works out its colour group on each call: once for the event, not a pixel.
    const QPalette &shown = palette();
    for (int n = 0; n < kCells; ++n) {
        const QRect pixel = pixelRect(n);
        if (pixel.intersects(dirty))
            painter.fillRect(pixel, shownColor(m_picture.entry(n), shown));
    }
}

} // namespace dotdata::editor
