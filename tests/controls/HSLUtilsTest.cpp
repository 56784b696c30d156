// Colour conversion to and from HSL and the lightness shift that derives the flat controls'
// hover, pressed and border colours.
#include <windows.h>

#include "FlatUtilitys.h"
#include "HSLUtils.h"
#include "Pixels.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Text(TScaledHSL hsl)
{
    return std::to_string(hsl.h) + "/" + std::to_string(hsl.s) + "/" + std::to_string(hsl.l);
}

}  // namespace

TEST(HSLUtils, ScaledHSLOfKnownColours)
{
    const struct {
        TColor colour;
        TScaledHSL hsl;
    } cases[] = {
        {clRed, {0, 240, 120}},
        {clLime, {80, 240, 120}},     // 2/6 of 239 = 79.67
        {clBlue, {159, 240, 120}},    // 4/6 of 239 = 159.33
        {clWhite, {0, 0, 240}},
        {clBlack, {0, 0, 0}},
        {clGray, {0, 0, 120}},
        {0xE1EAEB, {36, 48, 216}},   // the flat face
    };
    for (const auto& c : cases) {
        TScaledHSL got = ColorToScaledHSL(c.colour);
        EXPECT_TRUE(got.h == c.hsl.h && got.s == c.hsl.s && got.l == c.hsl.l)
            << Hex(c.colour) << " gave " << Text(got) << ", expected " << Text(c.hsl);
    }
}

TEST(HSLUtils, ScaledHSLBackToColours)
{
    const struct {
        int h, s, l;
        TColor colour;
    } cases[] = {
        {0, 0, 240, clWhite}, {0, 0, 0, clBlack}, {0, 240, 120, clRed}, {80, 240, 120, 0x02FF00}, {159, 240, 120, 0xFF0200},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ScaledHSLToColor(c.h, c.s, c.l), c.colour)
            << c.h << "/" << c.s << "/" << c.l << " gave " << Hex(ScaledHSLToColor(c.h, c.s, c.l));
}

TEST(HSLUtils, DoublesSurviveTheRoundTrip)
{
    for (TColor colour : {0x123456, 0xE1EAEB, 0x8396A0, 0xC5D6D9, 0x00FF80, 0x7F7F7F}) {
        THSL hsl = ColorToHSL(colour);
        EXPECT_EQ(HSLToColor(hsl.h, hsl.s, hsl.l), colour) << Hex(colour) << " came back as "
                                                           << Hex(HSLToColor(hsl.h, hsl.s, hsl.l));
    }
}

TEST(ComputeAdvColor, ShiftsTheLightnessOfTheBase)
{
    const struct {
        const char* what;
        TColor base;
        TAdvColors strength;
        bool darken;
        TColor expected;
    } cases[] = {
        // Lightness 216 + 10 + 10 is capped at 100: the hover colour is darker than the face.
        {"face lightened by 10", 0xE1EAEB, 10, false, 0x557B80},
        {"face darkened by 50 (lightness 176)", 0xE1EAEB, 50, true, 0xADC6C9},
        {"face darkened by 10", 0xE1EAEB, 10, true, 0xE0EAEB},
        {"grey lightened past the cap", clGray, 50, false, 0x6A6A6A},
        {"grey darkened to lightness 100", clGray, 30, true, 0x6A6A6A},
        {"dark grey darkened below 0", 0x101010, 50, true, clBlack},
    };
    for (const auto& c : cases) {
        TColor got = ComputeAdvColor(c.base, clFuchsia, c.strength, c.darken);
        EXPECT_EQ(got, c.expected) << c.what << ": " << Hex(got);
    }
}

TEST(ComputeAdvColor, StrengthZeroKeepsTheFallback)
{
    for (TColor base : {clWhite, clBlack, clBtnFace, 0xE1EAEB})
        for (bool darken : {false, true})
            EXPECT_EQ(ComputeAdvColor(base, 0x123456, 0, darken), 0x123456)
                << "base " << Hex(base) << (darken ? " darkened" : " lightened");
}

TEST(ComputeAdvColor, GreyStaysGreyAndSystemColoursAreResolved)
{
    for (TAdvColors strength : {1, 10, 50, 100}) {
        TColor got = ComputeAdvColor(0xC0C0C0, clNone, strength, true);
        TScaledHSL hsl = ColorToScaledHSL(got);
        EXPECT_TRUE(hsl.h == 0 && hsl.s == 0) << "strength " << int(strength) << ": " << Hex(got) << " is " << Text(hsl);
    }
    TColor resolved = static_cast<TColor>(GetSysColor(COLOR_BTNFACE));
    EXPECT_EQ(ComputeAdvColor(clBtnFace, clNone, 50, true), ComputeAdvColor(resolved, clNone, 50, true))
        << "button face " << Hex(resolved);
}
