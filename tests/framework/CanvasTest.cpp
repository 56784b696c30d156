#include "Bitmap.h"
#include "Graphics.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

namespace {

void Fill(TBitmap& bitmap, int width, int height, TColor color)
{
    bitmap.SetSize(width, height);
    bitmap.Canvas().Brush().SetColor(color);
    bitmap.Canvas().FillRect(RECT{0, 0, width, height});
}

int CountPixels(const TBitmap& bitmap, TColor color)
{
    int count = 0;
    for (int y = 0; y < bitmap.Height(); ++y)
        for (int x = 0; x < bitmap.Width(); ++x)
            count += bitmap.PixelColor(x, y) == color;
    return count;
}

}  // namespace

TEST(Canvas, FillRectCoversTheRectangleWithoutItsRightAndBottomEdge)
{
    TBitmap bitmap;
    Fill(bitmap, 10, 10, clWhite);
    bitmap.Canvas().Brush().SetColor(clRed);
    bitmap.Canvas().FillRect(RECT{2, 3, 5, 7});
    EXPECT_EQ(CountPixels(bitmap, clRed), 3 * 4);
    EXPECT_EQ(bitmap.Canvas().Pixels(2, 3), clRed);
    EXPECT_EQ(bitmap.Canvas().Pixels(4, 6), clRed);
    EXPECT_EQ(bitmap.Canvas().Pixels(5, 6), clWhite);
    EXPECT_EQ(bitmap.Canvas().Pixels(4, 7), clWhite);
}

TEST(Canvas, PixelsReadWhatSetPixelWrote)
{
    TBitmap bitmap;
    Fill(bitmap, 4, 4, clBlack);
    const TColor colors[] = {clRed, clLime, clBlue, 8871750, clWhite};
    for (int i = 0; i < 4; ++i) {
        bitmap.Canvas().SetPixel(i, 3 - i, colors[i]);
        TColor got = bitmap.Canvas().Pixels(i, 3 - i);
        EXPECT_EQ(got, colors[i]) << std::hex << "pixel " << i << " read 0x" << got;
    }
    EXPECT_EQ(bitmap.Canvas().Pixels(-1, 0), clNone);
    EXPECT_EQ(bitmap.Canvas().Pixels(0, 4), clNone);
    bitmap.Canvas().SetPixel(9, 9, clRed);   // outside: ignored
    EXPECT_EQ(CountPixels(bitmap, clRed), 1);
}

TEST(Canvas, NotXorLineDrawnTwiceRestoresThePicture)
{
    TBitmap bitmap;
    Fill(bitmap, 32, 32, 8871750);
    bitmap.Canvas().Brush().SetColor(clYellow);
    bitmap.Canvas().FillRect(RECT{5, 5, 20, 20});
    std::vector<uint8_t> before = bitmap.ToDib().Pixels;

    TCanvas& canvas = bitmap.Canvas();
    canvas.Pen().SetMode(pmNotXor);
    canvas.Pen().SetColor(clRed);
    canvas.MoveTo(0, 0);
    canvas.LineTo(31, 25);
    EXPECT_NE(bitmap.ToDib().Pixels, before) << "the rubber band must show";
    canvas.MoveTo(0, 0);
    canvas.LineTo(31, 25);
    EXPECT_EQ(bitmap.ToDib().Pixels, before) << "the second band must erase the first";
}

TEST(Canvas, ChangingThePenBetweenCallsTakesEffect)
{
    // The pen is selected into the DC: changing it must swap the GDI object safely.
    TBitmap bitmap;
    Fill(bitmap, 10, 10, clWhite);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Pen().SetColor(clRed);
    canvas.MoveTo(0, 1);
    canvas.LineTo(10, 1);
    canvas.Pen().SetColor(clBlue);
    canvas.Pen().SetWidth(1);
    canvas.MoveTo(0, 5);
    canvas.LineTo(10, 5);
    EXPECT_EQ(CountPixels(bitmap, clRed), 10);
    EXPECT_EQ(CountPixels(bitmap, clBlue), 10);
}

TEST(Canvas, DirectSettingsOnTheHandleHoldUntilAToolChanges)
{
    // Callers set text and background colours for monochrome blits straight on the DC.
    TBitmap bitmap;
    Fill(bitmap, 4, 4, clWhite);
    TCanvas& canvas = bitmap.Canvas();
    SetTextColor(canvas.Handle(), RGB(1, 2, 3));
    canvas.FillRect(RECT{0, 0, 1, 1});
    EXPECT_EQ(GetTextColor(canvas.Handle()), RGB(1, 2, 3));
    canvas.Font().SetColor(clRed);
    EXPECT_EQ(GetTextColor(canvas.Handle()), RGB(255, 0, 0)) << "a new font colour reaches the DC";
    canvas.Pen().SetMode(pmXor);
    EXPECT_EQ(GetROP2(canvas.Handle()), R2_XORPEN);
}

TEST(Canvas, DrawingAPictureOnItsOwnCanvasShiftsIt)
{
    // How the editor moves its picture up by one pixel.
    TBitmap bitmap;
    Fill(bitmap, 4, 4, clWhite);
    for (int y = 0; y < 4; ++y)
        bitmap.Canvas().SetPixel(1, y, RGB(0, 0, 50 * y));
    bitmap.Canvas().Draw(0, -1, bitmap);
    for (int y = 0; y < 3; ++y)
        EXPECT_EQ(bitmap.PixelColor(1, y), TColor(RGB(0, 0, 50 * (y + 1)))) << "row " << y;
}

TEST(Canvas, FloodFillSurfaceStopsAtOtherColours)
{
    TBitmap bitmap;
    Fill(bitmap, 20, 20, clWhite);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetStyle(bsClear);
    canvas.Pen().SetColor(clBlack);
    canvas.Rectangle(5, 5, 15, 15);   // frame from 5 to 14
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clRed);
    canvas.FloodFill(10, 10, clWhite, fsSurface);
    EXPECT_EQ(CountPixels(bitmap, clRed), 8 * 8) << "only the inside of the frame";
    EXPECT_EQ(canvas.Pixels(0, 0), clWhite);
    EXPECT_EQ(canvas.Pixels(5, 5), clBlack);
}

TEST(Canvas, FloodFillBorderFillsUpToTheBorderColour)
{
    TBitmap bitmap;
    Fill(bitmap, 20, 20, clWhite);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetColor(clLime);
    canvas.FillRect(RECT{8, 8, 10, 10});   // an island inside, not the border colour
    canvas.Brush().SetStyle(bsClear);
    canvas.Pen().SetColor(clBlue);
    canvas.Rectangle(5, 5, 15, 15);
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clRed);
    canvas.FloodFill(6, 6, clBlue, fsBorder);
    EXPECT_EQ(CountPixels(bitmap, clRed), 8 * 8) << "island included";
    EXPECT_EQ(CountPixels(bitmap, clBlue), 36);
}

TEST(Canvas, TextExtentGrowsWithTextAndFont)
{
    TBitmap bitmap(50, 50);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Font().SetName("Arial");
    canvas.Font().SetSize(10);
    int narrow = canvas.TextWidth("i"), wide = canvas.TextWidth("WWWW");
    int height = canvas.TextHeight("Xg");
    EXPECT_GT(narrow, 0);
    EXPECT_GT(wide, 3 * narrow) << "i=" << narrow << " WWWW=" << wide;
    EXPECT_GT(height, 8) << "10 pt at " << TFont::PixelsPerInch() << " dpi";
    EXPECT_EQ(canvas.TextHeight(""), height) << "an empty caption still has the font's height";
    canvas.Font().SetSize(20);
    EXPECT_GT(canvas.TextHeight("Xg"), height * 3 / 2);
    EXPECT_EQ(canvas.Font().Size(), 20);
}

TEST(Canvas, TextBackgroundFollowsTheBrush)
{
    TBitmap bitmap;
    Fill(bitmap, 60, 30, clWhite);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Font().SetColor(clBlack);
    canvas.Brush().SetStyle(bsClear);
    canvas.TextOut(2, 2, "Ab");
    EXPECT_GT(CountPixels(bitmap, clBlack), 0) << "glyphs drawn";
    EXPECT_EQ(CountPixels(bitmap, clYellow), 0);

    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(clYellow);
    canvas.TextOut(30, 2, "Ab");
    EXPECT_GT(CountPixels(bitmap, clYellow), 0) << "an opaque brush paints the text cell";
}

TEST(Canvas, TextRectClipsToTheRectangle)
{
    TBitmap bitmap;
    Fill(bitmap, 40, 20, clWhite);
    TCanvas& canvas = bitmap.Canvas();
    canvas.Brush().SetStyle(bsClear);
    canvas.Font().SetColor(clBlack);
    canvas.Font().SetSize(14);
    canvas.TextRect(RECT{0, 0, 10, 20}, 0, 0, "WWWWWW");
    for (int y = 0; y < 20; ++y)
        for (int x = 10; x < 40; ++x)
            ASSERT_EQ(bitmap.PixelColor(x, y), clWhite) << "pixel (" << x << "," << y << ") outside the rectangle";
}

TEST(Canvas, CopyRectHonoursTheCopyMode)
{
    TBitmap target;
    Fill(target, 8, 8, clAqua);
    TBitmap source;
    Fill(source, 8, 8, clRed);
    std::vector<uint8_t> before = target.ToDib().Pixels;
    target.Canvas().SetCopyMode(SRCINVERT);
    target.Canvas().CopyRect(RECT{0, 0, 8, 8}, source.Canvas(), RECT{0, 0, 8, 8});
    EXPECT_EQ(target.PixelColor(3, 3), clWhite) << std::hex << "aqua xor red gave 0x" << target.PixelColor(3, 3);
    target.Canvas().CopyRect(RECT{0, 0, 8, 8}, source.Canvas(), RECT{0, 0, 8, 8});
    EXPECT_EQ(target.ToDib().Pixels, before);
}

TEST(Canvas, StretchDrawScalesAndTransparentDrawLeavesTheKeyOut)
{
    TBitmap small;
    Fill(small, 2, 2, clRed);
    small.Canvas().SetPixel(1, 1, clBlue);
    TBitmap big;
    Fill(big, 4, 4, clWhite);
    big.Canvas().StretchDraw(RECT{0, 0, 4, 4}, small);
    EXPECT_EQ(CountPixels(big, clBlue), 4) << "one pixel became 2x2";
    EXPECT_EQ(big.PixelColor(3, 3), clBlue);

    TBitmap face;
    Fill(face, 4, 4, 8871750);
    face.Canvas().SetPixel(0, 0, clLime);
    face.SetTransparent(true);
    face.SetTransparentColor(8871750);
    TBitmap back;
    Fill(back, 4, 4, clYellow);
    back.Canvas().Draw(0, 0, face);
    EXPECT_EQ(back.PixelColor(0, 0), clLime);
    EXPECT_EQ(CountPixels(back, clYellow), 15);
}

TEST(Canvas, AttachedCanvasGivesTheDCItsObjectsBack)
{
    MemoryDC dc;
    GdiObject<HBITMAP> surface(CreateCompatibleBitmap(WindowDC().get(), 10, 10));
    SelectedObject selected(dc.get(), surface.get());
    HGDIOBJ ownPen = GetCurrentObject(dc.get(), OBJ_PEN);
    HGDIOBJ ownBrush = GetCurrentObject(dc.get(), OBJ_BRUSH);
    HGDIOBJ ownFont = GetCurrentObject(dc.get(), OBJ_FONT);
    HPEN ourPen;
    {
        TCanvas canvas(dc.get());
        canvas.Pen().SetColor(clRed);
        canvas.MoveTo(0, 0);
        canvas.LineTo(9, 0);
        ourPen = canvas.Pen().Handle();
        EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PEN), ourPen);
        EXPECT_EQ(canvas.Pixels(4, 0), clRed);
    }
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_PEN), ownPen);
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_BRUSH), ownBrush);
    EXPECT_EQ(GetCurrentObject(dc.get(), OBJ_FONT), ownFont);
    EXPECT_EQ(GetObjectType(ourPen), 0u) << "the canvas's pen was deleted with it";
}

TEST(Canvas, DrawingNotifiesTheBitmapsWatchers)
{
    TBitmap bitmap(4, 4);
    int changes = 0;
    bitmap.OnChange = [&] { ++changes; };
    bitmap.Canvas().FillRect(RECT{0, 0, 2, 2});
    bitmap.Canvas().SetPixel(3, 3, clRed);
    EXPECT_EQ(changes, 2);
}
