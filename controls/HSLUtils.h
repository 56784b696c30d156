// Colour conversion between RGB colours and hue, saturation and lightness, as doubles (0..1) or
// on the integer scale of colour dialogs (hue 0..239, saturation and lightness 0..240).
#pragma once

#include <windows.h>

#include "Color.h"

// Top of the integer scale; hue runs to one below it.
extern int HSLScale;

struct THSL {
    double h, s, l;
};

struct TScaledHSL {
    int h, s, l;
};

// Takes the colour's three bytes as they stand (resolve system colours first).
THSL ColorToHSL(TColor color);
TScaledHSL ColorToScaledHSL(TColor color);
TColor HSLToColor(double h, double s, double l);
TColor ScaledHSLToColor(int h, int s, int l);
// One channel of HSLToColor from a hue shifted by a third and the two intermediate values.
BYTE HueToChannel(double hue, double m1, double m2);
