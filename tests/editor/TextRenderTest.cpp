// Text on the picture: it lands where it was put, in its colour, an empty text changes nothing and
// text past the edge is cut there.
#include <windows.h>

#include "PictureOps.h"
#include "PicturePattern.h"
#include "TextRender.h"
#include "TransparentKey.h"

#include <gtest/gtest.h>

namespace {

// The bounding box of the pixels that are no longer the key colour; empty when none changed.
RECT Changed(const TBitmap& picture)
{
    RECT box = {PictureSize, PictureSize, -1, -1};
    for (int y = 0; y < PictureSize; ++y)
        for (int x = 0; x < PictureSize; ++x)
            if (picture.PixelColor(x, y) != TransparentKeyColor) {
                box.left = std::min<LONG>(box.left, x);
                box.top = std::min<LONG>(box.top, y);
                box.right = std::max<LONG>(box.right, x);
                box.bottom = std::max<LONG>(box.bottom, y);
            }
    return box;
}

}  // namespace

TEST(TextRender, TextLandsAtItsPixelInItsColour)
{
    TBitmap picture;
    ClearPicture(picture, TransparentKeyColor);
    TTextSettings s;
    s.text = "A";
    s.size = 14;
    s.bold = true;
    s.color = clRed;
    RenderText(picture, {10, 8}, s);
    RECT box = Changed(picture);
    ASSERT_GE(box.right, 0) << "nothing was drawn";
    EXPECT_GE(box.left, 10);
    EXPECT_GE(box.top, 8);
    bool red = false;
    for (int y = box.top; y <= box.bottom; ++y)
        for (int x = box.left; x <= box.right; ++x)
            red = red || picture.PixelColor(x, y) == clRed;
    EXPECT_TRUE(red) << "no pixel in the text's colour";
}

TEST(TextRender, AnEmptyTextChangesNothingAndLongTextIsCutAtTheEdge)
{
    TBitmap picture;
    ClearPicture(picture, TransparentKeyColor);
    TTextSettings s;
    RenderText(picture, {3, 3}, s);
    EXPECT_EQ(Changed(picture).right, -1);

    s.text = "Quillandora Quillandora";
    s.size = 12;
    RenderText(picture, {20, 20}, s);
    RECT box = Changed(picture);
    EXPECT_EQ(box.right, PictureSize - 1) << "the text reaches the edge and is cut there";
    EXPECT_EQ(picture.Width(), PictureSize);
}

TEST(TextRender, TextTakesNoBlendOfItsColourAndTheKeyColour)
{
    // A smoothed edge would mix the text colour into the transparent key colour: pixels of
    // neither, a visible fringe wherever the icon is shown.
    TBitmap picture;
    ClearPicture(picture, TransparentKeyColor);
    TTextSettings s;
    s.text = "Wg";
    s.size = 16;
    s.italic = true;
    s.color = clBlack;
    RenderText(picture, {2, 2}, s);
    int drawn = 0;
    for (int y = 0; y < PictureSize; ++y)
        for (int x = 0; x < PictureSize; ++x) {
            TColor c = picture.PixelColor(x, y);
            if (c == TransparentKeyColor)
                continue;
            ++drawn;
            ASSERT_EQ(Hex(c), Hex(clBlack)) << "pixel " << x << "," << y;
        }
    EXPECT_GT(drawn, 0) << "nothing was drawn";
}
