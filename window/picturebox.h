#pragma once

#include <QWidget>

namespace dotdata::window {

/// The base of the window's drawn boxes (cells, swatches, preview): opaque, in the
/// tab order, and drawing no focus mark, so gaining or losing focus repaints nothing
/// (QWidget's default would repaint the whole box, all 1024 cells for the grid).
class PictureBox : public QWidget {
    Q_OBJECT

public:
    explicit PictureBox(QWidget *parent = nullptr) : QWidget(parent)
    {
        setAttribute(Qt::WA_OpaquePaintEvent);
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void focusInEvent(QFocusEvent *) override {}
    void focusOutEvent(QFocusEvent *) override {}
};

} // namespace dotdata::window
