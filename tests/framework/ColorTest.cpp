#include "Color.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(Color, PlainColoursAreRgbAsTheyStand)
{
    const struct { TColor color; BYTE r, g, b; } rows[] = {
        {clRed, 255, 0, 0},      {clLime, 0, 255, 0},     {clBlue, 0, 0, 255},  {clNavy, 0, 0, 128},
        {clOlive, 128, 128, 0},  {clSilver, 192, 192, 192}, {clWhite, 255, 255, 255}, {clBlack, 0, 0, 0},
        {8871750, 70, 95, 135},   // the icons' transparent key colour
    };
    for (const auto& row : rows) {
        COLORREF rgb = ColorToRGB(row.color);
        EXPECT_EQ(rgb, RGB(row.r, row.g, row.b)) << std::hex << "colour 0x" << row.color << " gave 0x" << rgb;
    }
}

TEST(Color, SystemColoursResolveThroughTheSystem)
{
    const struct { TColor color; int index; } rows[] = {
        {clBtnFace, COLOR_BTNFACE},       {clBtnShadow, COLOR_BTNSHADOW}, {clBtnHighlight, COLOR_BTNHIGHLIGHT},
        {clWindow, COLOR_WINDOW},         {clWindowText, COLOR_WINDOWTEXT}, {clHighlight, COLOR_HIGHLIGHT},
        {cl3DDkShadow, COLOR_3DDKSHADOW}, {clInfoBk, COLOR_INFOBK},       {clBackground, COLOR_BACKGROUND},
    };
    for (const auto& row : rows) {
        EXPECT_LT(row.color, 0) << "system colour " << row.index << " must be negative";
        COLORREF rgb = ColorToRGB(row.color);
        EXPECT_EQ(rgb, GetSysColor(row.index)) << std::hex << "system colour index " << row.index << " gave 0x" << rgb;
    }
    EXPECT_EQ(static_cast<uint32_t>(clBtnFace), 0x8000000Fu);
    EXPECT_EQ(static_cast<uint32_t>(clWindow), 0x80000005u);
}

TEST(Color, NoneAndDefaultAreNotSystemColours)
{
    // Both are positive markers: they pass through unchanged, so callers can recognise them.
    EXPECT_EQ(ColorToRGB(clNone), 0x1FFFFFFFu);
    EXPECT_EQ(ColorToRGB(clDefault), 0x20000000u);
}
