// The grid and the palette: the grid is see-through between its lines, and every pixel of the
// palette picks a real colour.
#include <windows.h>

#include "EditorArt.h"
#include "PicturePattern.h"
#include "TransparentKey.h"

#include <gtest/gtest.h>

#include <set>

TEST(EditorArt, GridHasALineOnEveryEighthPixelAndIsRedBetween)
{
    TBitmap grid;
    PaintGrid(grid);
    ASSERT_EQ(grid.Width(), 257);
    ASSERT_EQ(grid.Height(), 257);
    EXPECT_EQ(Hex(grid.TransparentColor()), Hex(GridTransparentColor));
    EXPECT_EQ(FirstDifference(grid, [](int x, int y) {
                  return x % 8 == 0 || y % 8 == 0 ? GridLineColor : GridTransparentColor;
              }),
              "");
}

TEST(EditorArt, PaletteIsFullOfDistinctColoursWithoutTheKeyColour)
{
    TBitmap palette;
    PaintPalette(palette);
    ASSERT_EQ(palette.Width(), PaletteWidth);
    ASSERT_EQ(palette.Height(), PaletteHeight);
    std::set<TColor> colours;
    for (int y = 0; y < PaletteHeight; ++y)
        for (int x = 0; x < PaletteWidth; ++x) {
            TColor colour = palette.PixelColor(x, y);
            EXPECT_NE(colour, TransparentKeyColor) << "at " << x << "," << y;
            colours.insert(colour);
        }
    EXPECT_EQ(colours.size(), 65u) << "5 columns by 13 rows of cells";
    EXPECT_TRUE(colours.count(clWhite) && colours.count(clBlack)) << "white and black are there";
}
