#pragma once

#include "picturebox.h"

#include "dotdata/picture.h"

namespace dotdata::window {

/// A box showing one colour value inside a one-pixel border: a colour swatch or the
/// selected-colour box. It reports a click, that is a left-button press and release
/// both inside the box.
class ColorBox : public PictureBox {
    Q_OBJECT

public:
    explicit ColorBox(ColorValue value, QWidget *parent = nullptr);

    ColorValue colorValue() const { return m_value; }
    void setColorValue(ColorValue value);

Q_SIGNALS:
    void clicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

private:
    ColorValue m_value;
    bool m_pressed = false;
};

} // namespace dotdata::window
