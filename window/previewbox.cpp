#include "previewbox.h"

#include "colorvalue.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

namespace dotdata::window {

namespace {
constexpr ColorValue kBlack = 0x00000000;
}

PreviewBox::PreviewBox(QWidget *parent)
    : PictureBox(parent),
      m_values(static_cast<std::size_t>(kSize * kSize), kBlack),
      m_image(kSize, kSize, QImage::Format_RGB32)
{
    m_image.fill(Qt::black);
}

void PreviewBox::plot(int x, int y, ColorValue value)
{
    if (x < 0 || y < 0 || x >= kSize || y >= kSize)
        return;
    m_values[static_cast<std::size_t>(y * kSize + x)] = value;
    m_image.setPixelColor(x, y, resolveColor(value, palette()));
    update(x, y, 1, 1);
}

void PreviewBox::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    const QRect dirty = event->rect();
    painter.drawImage(dirty.topLeft(), m_image, dirty);
}

void PreviewBox::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::PaletteChange)
        resolveAll();
    PictureBox::changeEvent(event);
}

void PreviewBox::resolveAll()
{
    for (int y = 0; y < kSize; ++y) {
        for (int x = 0; x < kSize; ++x)
            m_image.setPixelColor(x, y, resolveColor(m_values[static_cast<std::size_t>(y * kSize + x)], palette()));
    }
    update();
}

} // namespace dotdata::window
