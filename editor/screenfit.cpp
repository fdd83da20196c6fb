// Copyright (C) 2026 dotdata developers
// SPDX-License-Identifier: MIT

#include "screenfit.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QWindow>

#include <algorithm>

namespace dotdata::editor {

ScreenFit::ScreenFit(QWidget &content)
{
    setFrameShape(QFrame::NoFrame);
    // A click beside the widget leaves the focus where it was, as a click on the window's
    // background did. Tab goes round the widget's controls and the area scrolls to show
    // the control that takes the focus.
    setFocusPolicy(Qt::NoFocus);
    setWindowTitle(content.windowTitle());
    setWidget(&content);
    fit();
}

ScreenFit::~ScreenFit()
{
    takeWidget();
}

bool ScreenFit::event(QEvent *event)
{
    // The frame's size is known only once the window manager has framed the shown
    // window, and a move may take it to another screen: either changes the room.
    if ((event->type() == QEvent::Show || event->type() == QEvent::Move) && room() != m_fittedTo)
        fit();
    return QScrollArea::event(event);
}

void ScreenFit::closeEvent(QCloseEvent *event)
{
    QCloseEvent asked;
    QCoreApplication::sendEvent(widget(), &asked);
    event->setAccepted(asked.isAccepted());
}

QRect ScreenFit::room() const
{
    const QWindow *shown = windowHandle();
    return screen()->availableGeometry() - (shown ? shown->frameMargins() : QMargins());
}

void ScreenFit::fit()
{
    m_fittedTo = room();
    const QSize content = widget()->size();
    // Where the widget does not fit, a scroll bar takes room from the other side, so the
    // window may be a bar wider and taller than the widget to show it whole. The window
    // keeps one size either way, so that its frame does not change with the size.
    const bool fits = content.width() <= m_fittedTo.width()
        && content.height() <= m_fittedTo.height();
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    setFixedSize(fits ? content : (content + QSize(bar, bar)).boundedTo(m_fittedTo.size()));
    // A window placed before its frame was known may stick out of the room.
    if (isVisible() && !m_fittedTo.contains(geometry())) {
        // Its top-left stays in the room should the window be larger after all.
        const QRect shown = geometry();
        const auto inRoom = [](int at, int length, int first, int end) {
            return std::max(first, std::min(at, end - length));
        };
        setGeometry(inRoom(shown.x(), shown.width(), m_fittedTo.left(), m_fittedTo.right() + 1),
            inRoom(shown.y(), shown.height(), m_fittedTo.top(), m_fittedTo.bottom() + 1),
            shown.width(), shown.height());
    }
}

} // namespace dotdata::editor
