// Pictures whose every pixel has its own colour, and a comparison that names the first pixel
// that is not where it belongs.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Pixels.h"

#include <cstdint>
#include <functional>
#include <sstream>
#include <string>

inline TColor PatternColour(int x, int y)
{
    return static_cast<TColor>(RGB(x * 5 + 1, y * 7 + 2, (x + y) * 3));
}

inline void FillPattern(TBitmap& bitmap)
{
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            bitmap.Canvas().SetPixel(x, y, PatternColour(x, y));
}

// The first pixel of `actual` that differs from `expected(x, y)`, or "" when all agree.
inline std::string FirstDifference(const TBitmap& actual, const std::function<TColor(int, int)>& expected)
{
    for (int y = 0; y < actual.Height(); ++y)
        for (int x = 0; x < actual.Width(); ++x)
            if (actual.PixelColor(x, y) != expected(x, y)) {
                std::ostringstream out;
                out << "(" << x << "," << y << ") is " << Hex(actual.PixelColor(x, y)) << ", expected "
                    << Hex(expected(x, y));
                return out.str();
            }
    return "";
}
