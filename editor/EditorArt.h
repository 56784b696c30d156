// The two pictures the editor draws for itself: the grid over the enlarged picture and the
// colour palette.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Color.h"

// Red stands for "see-through" in the grid picture.
constexpr TColor GridTransparentColor = 0x0000FF;
constexpr int GridCell = 8;
constexpr int GridSide = 32 * GridCell + 1;   // 257
constexpr TColor GridLineColor = 0xC0C0C0;

constexpr int PaletteWidth = 41;
constexpr int PaletteHeight = 104;

// 257 x 257: a line of GridLineColor on every eighth row and column, red in between.
void PaintGrid(TBitmap& grid);

// 41 x 104 of colour cells without gaps, so that every pixel picks a colour: a grey row, then
// twelve hues from light to dark.
void PaintPalette(TBitmap& palette);
