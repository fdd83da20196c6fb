#include "colorbox.h"

#include "colorvalue.h"

#include <QMouseEvent>
#include <QPainter>

namespace dotdata::window {

ColorBox::ColorBox(ColorValue value, QWidget *parent)
    : PictureBox(parent), m_value(value)
{
}

void ColorBox::setColorValue(ColorValue value)
{
    if (value == m_value)
        return;
    m_value = value;
    update();
}

void ColorBox::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Mid));
    painter.fillRect(rect().adjusted(1, 1, -1, -1), resolveColor(m_value, palette()));
}

void ColorBox::mousePressEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        PictureBox::mousePressEvent(event);
        return;
    }
    m_pressed = rect().contains(event->position().toPoint());
}

void ColorBox::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton) {
        PictureBox::mouseReleaseEvent(event);
        return;
    }
    const bool click = m_pressed && rect().contains(event->position().toPoint());
    m_pressed = false;
    if (click)
        Q_EMIT clicked();
}

} // namespace dotdata::window
