// Small drawing helpers shared by the buttons that take their faces from image-list strips.
#pragma once

#include "Bitmap.h"
#include "Color.h"

#include <cmath>

// Halves go to the even neighbour, as the strip geometry has always been computed.
inline int RoundHalfEven(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

inline void FillBitmap(TBitmap& bitmap, TColor color)
{
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(color);
    canvas.FillRect(RECT{0, 0, bitmap.Width(), bitmap.Height()});
}
