// The colour that marks transparent pixels wherever an icon is drawn on a 32x32 bitmap, in both
// programs, in the skins' image strips and in the .ico writer.
#pragma once

#include "Color.h"

constexpr TColor TransparentKeyColor = 8871750;   // RGB(70, 95, 135)
