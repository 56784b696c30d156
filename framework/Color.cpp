// Resolution of class-library colours to plain RGB values.
#include "Color.h"

COLORREF ColorToRGB(TColor color)
{
    if (color < 0)
        return GetSysColor(color & 0xFF);
    return static_cast<COLORREF>(color);
}
