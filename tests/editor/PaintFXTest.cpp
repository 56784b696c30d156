// The mirror operations: where each pixel goes, for odd and even sizes and any source format.
#include <windows.h>

#include "Bitmap.h"
#include "PicturePattern.h"
#include "morvPaintFX.h"

#include <gtest/gtest.h>

namespace {

struct Flip {
    const char* name;
    void (*apply)(TBitmap&);
    // Where the pixel now at (x, y) came from, in a w x h picture.
    POINT (*source)(int x, int y, int w, int h);
};

const Flip Flips[] = {
    {"top-bottom", TmorvPaintFX::FlipTopBottom, [](int x, int y, int, int h) { return POINT{x, h - 1 - y}; }},
    {"left-right", TmorvPaintFX::FlipLeftRight, [](int x, int y, int w, int) { return POINT{w - 1 - x, y}; }},
};

const SIZE Sizes[] = {{32, 32}, {1, 1}, {2, 3}, {5, 4}, {7, 1}, {1, 6}, {33, 17}};

}  // namespace

TEST(PaintFX, OneFlipMirrorsEveryPixelAndASecondGivesThemBack)
{
    for (const Flip& flip : Flips)
        for (SIZE size : Sizes) {
            TBitmap bitmap(size.cx, size.cy);
            FillPattern(bitmap);
            flip.apply(bitmap);
            ASSERT_EQ(bitmap.Width(), size.cx);
            ASSERT_EQ(bitmap.Height(), size.cy);
            std::string difference = FirstDifference(bitmap, [&](int x, int y) {
                POINT from = flip.source(x, y, size.cx, size.cy);
                return PatternColour(from.x, from.y);
            });
            EXPECT_EQ(difference, "") << flip.name << " of " << size.cx << "x" << size.cy;
            flip.apply(bitmap);
            EXPECT_EQ(FirstDifference(bitmap, PatternColour), "") << flip.name << " twice, " << size.cx << "x" << size.cy;
        }
}

TEST(PaintFX, AnySourceFormatEndsAs24BitMirrored)
{
    // Colours every format holds exactly: black and white, and the standard palette's pure ones.
    const TColor colours[] = {clBlack, clWhite, clRed, clBlue, clLime, clYellow};
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf32bit}) {
        for (const Flip& flip : Flips) {
            const int w = 5, h = 3;
            auto colourAt = [&](int x, int y) {
                int count = format == pf1bit ? 2 : 6;
                return colours[(x + 2 * y) % count];
            };
            TBitmap bitmap(w, h);
            for (int y = 0; y < h; ++y)
                for (int x = 0; x < w; ++x)
                    bitmap.Canvas().SetPixel(x, y, colourAt(x, y));
            bitmap.SetPixelFormat(format);
            ASSERT_EQ(bitmap.PixelFormat(), format);

            flip.apply(bitmap);
            EXPECT_EQ(bitmap.PixelFormat(), pf24bit) << flip.name << " from format " << format;
            std::string difference = FirstDifference(bitmap, [&](int x, int y) {
                POINT from = flip.source(x, y, w, h);
                return colourAt(from.x, from.y);
            });
            EXPECT_EQ(difference, "") << flip.name << " from format " << format;
        }
    }
}

TEST(PaintFX, EmptyBitmapStaysEmpty)
{
    for (const Flip& flip : Flips) {
        TBitmap bitmap;
        flip.apply(bitmap);
        EXPECT_TRUE(bitmap.Empty()) << flip.name << ": " << bitmap.Width() << "x" << bitmap.Height();
        EXPECT_EQ(bitmap.PixelFormat(), pf24bit) << flip.name;
    }
}
