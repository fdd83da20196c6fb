#pragma once

#include "picturebox.h"

#include "dotdata/picture.h"

#include <QImage>

#include <vector>

namespace dotdata::window {

/// The 1:1 preview: a black drawing area of 97 x 97 pixels kept in an off-screen
/// image, so plotted pixels survive the window being covered.
class PreviewBox : public PictureBox {
    Q_OBJECT

public:
    static constexpr int kSize = 97;

    explicit PreviewBox(QWidget *parent = nullptr);

    /// Sets one pixel of the drawing area and repaints only that pixel.
    void plot(int x, int y, ColorValue value);
    const QImage &image() const { return m_image; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void resolveAll();

    // The plotted values are kept beside the image so that system colours can be
    // resolved again when the theme changes.
    std::vector<ColorValue> m_values;
    QImage m_image;
};

} // namespace dotdata::window
