#include "colorvalue.h"

namespace dotdata::window {

QColor resolveColor(ColorValue value, const QPalette &palette)
{
    // A system colour is the one a text-entry area uses: its background and the
    // text on it. Only these two references occur in the window; any other is
    // taken as the background too rather than as a meaningless RGB value.
    if ((value & 0x80000000u) != 0)
        return palette.color(value == kSystemWindowText ? QPalette::Text : QPalette::Base);
    return QColor(static_cast<int>(value & 0xFFu), static_cast<int>((value >> 8) & 0xFFu),
                  static_cast<int>((value >> 16) & 0xFFu));
}

} // namespace dotdata::window
