// The text tool's drawing: a text in a chosen font, size, style and colour, written onto the
// picture with its top-left corner at a pixel, clipped at the picture's edge.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Color.h"

#include <string>

struct TTextSettings {
    std::string text;
    std::string fontName = "Arial";
    int size = 10;   // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    TColor color = clBlack;
};

void RenderText(TBitmap& picture, POINT at, const TTextSettings& settings);
