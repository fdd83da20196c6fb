#pragma once

#include <QString>

class QWidget;

namespace dotdata::window {

/// Gives the program the theme icon iconName once window has been painted for the first
/// time, or after a second when it has not been (a window opened on another workspace is
/// painted only when seen). Looking an icon up reads the icon theme's whole index, which
/// takes longer than building the window; the window frame shows the icon a moment later.
void setProgramIconAfterFirstPaint(QWidget &window, const QString &iconName);

} // namespace dotdata::window
