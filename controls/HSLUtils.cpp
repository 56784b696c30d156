// Conversion between RGB colours and HSL.
#include <windows.h>

#include "HSLUtils.h"

#include <algorithm>
#include <cmath>

int HSLScale = 240;

namespace {

// Nearest integer, halves to even (the default rounding mode).
int Nearest(double x)
{
    return static_cast<int>(std::nearbyint(x));
}

}  // namespace

THSL ColorToHSL(TColor color)
{
    double r = GetRValue(color) / 255.0;
    double g = GetGValue(color) / 255.0;
    double b = GetBValue(color) / 255.0;
    double cmax = std::max({r, g, b});
    double cmin = std::min({r, g, b});
    THSL hsl = {0, 0, (cmax + cmin) / 2};
    if (cmax == cmin)
        return hsl;
    double d = cmax - cmin;
    hsl.s = hsl.l < 0.5 ? d / (cmax + cmin) : d / (2 - cmax - cmin);
    if (r == cmax)
        hsl.h = (g - b) / d;
    else if (g == cmax)
        hsl.h = (b - r) / d + 2;
    else
        hsl.h = (r - g) / d + 4;
    hsl.h /= 6;
    if (hsl.h < 0)
        hsl.h += 1;
    return hsl;
}

TScaledHSL ColorToScaledHSL(TColor color)
{
    THSL hsl = ColorToHSL(color);
    return {Nearest(hsl.h * (HSLScale - 1)), Nearest(hsl.s * HSLScale), Nearest(hsl.l * HSLScale)};
}

BYTE HueToChannel(double hue, double m1, double m2)
{
    if (hue < 0)
        hue += 1;
    else if (hue > 1)
        hue -= 1;
    double v;
    if (6 * hue < 1)
        v = m1 + (m2 - m1) * hue * 6;
    else if (2 * hue < 1)
        v = m2;
    else if (3 * hue < 2)
        v = m1 + (m2 - m1) * (2.0 / 3 - hue) * 6;
    else
        v = m1;
    return static_cast<BYTE>(std::clamp(Nearest(255 * v), 0, 255));
}

TColor HSLToColor(double h, double s, double l)
{
    if (s == 0) {
        BYTE grey = static_cast<BYTE>(std::clamp(Nearest(255 * l), 0, 255));
        return RGB(grey, grey, grey);
    }
    double m2 = l <= 0.5 ? l * (1 + s) : l + s - l * s;
    double m1 = 2 * l - m2;
    return RGB(HueToChannel(h + 1.0 / 3, m1, m2), HueToChannel(h, m1, m2), HueToChannel(h - 1.0 / 3, m1, m2));
}

TColor ScaledHSLToColor(int h, int s, int l)
{
    return HSLToColor(static_cast<double>(h) / (HSLScale - 1), static_cast<double>(s) / HSLScale,
                      static_cast<double>(l) / HSLScale);
}
