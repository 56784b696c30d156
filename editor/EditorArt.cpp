// The grid and the palette, drawn into 24-bit bitmaps.
#include <windows.h>

#include "EditorArt.h"

#include <algorithm>
#include <cmath>

namespace {

void FillRect24(TBitmap& bitmap, int left, int top, int right, int bottom, TColor color)
{
    bitmap.Canvas().Brush().SetStyle(bsSolid);
    bitmap.Canvas().Brush().SetColor(color);
    bitmap.Canvas().FillRect({left, top, right, bottom});
}

// Hue in degrees, lightness 0..1, full saturation.
TColor HslColor(double hue, double lightness)
{
    double c = (1.0 - std::fabs(2.0 * lightness - 1.0));
    double h = hue / 60.0;
    double x = c * (1.0 - std::fabs(std::fmod(h, 2.0) - 1.0));
    double r = 0, g = 0, b = 0;
    switch (static_cast<int>(h) % 6) {
    case 0: r = c; g = x; break;
    case 1: r = x; g = c; break;
    case 2: g = c; b = x; break;
    case 3: g = x; b = c; break;
    case 4: r = x; b = c; break;
    default: r = c; b = x; break;
    }
    double m = lightness - c / 2.0;
    auto channel = [m](double v) { return std::clamp(static_cast<int>(std::lround((v + m) * 255.0)), 0, 255); };
    return static_cast<TColor>(RGB(channel(r), channel(g), channel(b)));
}

}  // namespace

void PaintGrid(TBitmap& grid)
{
    TBitmap fresh(GridSide, GridSide, pf24bit);
    grid.Assign(fresh);
    FillRect24(grid, 0, 0, GridSide, GridSide, GridTransparentColor);
    for (int i = 0; i < GridSide; i += GridCell) {
        FillRect24(grid, i, 0, i + 1, GridSide, GridLineColor);
        FillRect24(grid, 0, i, GridSide, i + 1, GridLineColor);
    }
    grid.SetTransparentColor(GridTransparentColor);
}

void PaintPalette(TBitmap& palette)
{
    TBitmap fresh(PaletteWidth, PaletteHeight, pf24bit);
    palette.Assign(fresh);
    constexpr int columns = 5;
    constexpr int rows = 13;
    constexpr int cellHeight = PaletteHeight / rows;   // 8
    const int greys[columns] = {255, 192, 128, 64, 0};
    const double lightness[columns] = {0.85, 0.68, 0.5, 0.34, 0.2};
    for (int row = 0; row < rows; ++row) {
        for (int column = 0; column < columns; ++column) {
            // The last column takes the odd pixel of the width.
            int left = column * 8;
            int right = column == columns - 1 ? PaletteWidth : left + 8;
            TColor color = row == 0 ? static_cast<TColor>(RGB(greys[column], greys[column], greys[column]))
                                    : HslColor((row - 1) * 30.0, lightness[column]);
            FillRect24(palette, left, row * cellHeight, right, (row + 1) * cellHeight, color);
        }
    }
}
