#pragma once

#include "dotdata/picture.h"

#include <QColor>
#include <QPalette>

namespace dotdata::window {

/// The colour a colour value stands for when drawn with the given palette: the RGB
/// value 0x00BBGGRR as it is, a system colour reference as the palette's colour for
/// it. Resolving at draw time lets the system colours follow the desktop theme.
QColor resolveColor(ColorValue value, const QPalette &palette);

} // namespace dotdata::window
