// The face that the flat speed button and the flat push button share: fill and frame by state,
// the glyph image of the state and the caption, embossed while disabled.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "FlatUtilitys.h"

#include <string>

// How much of what lies behind shows through the face: always, while the mouse is elsewhere,
// never.
enum TFlatTransparentMode { tmAlways, tmNotFocused, tmNone };

// Up, disabled, pressed by the mouse (down) and latched in a group (exclusive).
enum TFlatButtonState { bsUp, bsDisabled, bsDown, bsExclusive };

struct TFlatButtonFace {
    TFlatButtonState state = bsUp;
    bool hovered = false;
    bool isDefault = false;   // two-pixel border while up and not hovered
    TFlatTransparentMode transparentMode = tmNone;
    TColor color = FlatFaceColor;
    TFlatColors colors;   // focused, down, border, highlight and shadow
    TBitmap* glyph = nullptr;
    int numGlyphs = 1;
    std::string caption;
    TButtonLayout layout = blGlyphTop;
    int margin = -1;
    int spacing = 4;
};

// Whether the face is filled, or what lies behind shows through.
bool FlatButtonFaceFilled(const TFlatButtonFace& face);
// Draws the face into `r` of `canvas` (whose font is the button's) and returns where glyph and
// caption went.
TGlyphLayout DrawFlatButtonFace(TCanvas& canvas, const RECT& r, const TFlatButtonFace& face);
// NumGlyphs for a glyph strip: width div height when that is a whole multiple (1 above 4), else
// `current`.
int NumGlyphsOfStrip(const TBitmap& glyph, int current);
