// The flat controls' helpers: glyph-and-caption layout, the embossed disabled glyph, painting
// the parent behind a control, rectangle overlap and the life of a class's hover timer.
#include <windows.h>

#include "Bitmap.h"
#include "ExtCtrls.h"
#include "FlatTestForm.h"
#include "FlatUtilitys.h"

#include <gtest/gtest.h>

namespace {

std::string Text(POINT p)
{
    return std::to_string(p.x) + "," + std::to_string(p.y);
}

std::string Text(const RECT& r)
{
    return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom) + ")";
}

}  // namespace

TEST(LayoutGlyphAndCaption, PlacesAGlyphWithoutCaption)
{
    TBitmap canvasOwner(10, 10);
    TBitmap single(16, 16);
    TBitmap strip(64, 16);
    const struct {
        const char* what;
        RECT client;
        POINT offset;
        TButtonLayout layout;
        int margin, spacing;
        TBitmap* glyph;
        int numGlyphs;
        POINT expected;
    } cases[] = {
        // Without a caption the spacing is 0 and the margin centres the glyph along the axis.
        {"top, free margin", {0, 0, 40, 30}, {0, 0}, blGlyphTop, -1, -1, &single, 1, {12, 7}},
        {"left, free margin", {0, 0, 40, 30}, {0, 0}, blGlyphLeft, -1, -1, &single, 1, {12, 7}},
        {"right, margin 2", {0, 0, 40, 30}, {0, 0}, blGlyphRight, 2, -1, &single, 1, {22, 7}},
        {"bottom, margin 3", {0, 0, 40, 30}, {0, 0}, blGlyphBottom, 3, 4, &single, 1, {12, 11}},
        {"one of four images", {0, 0, 40, 30}, {0, 0}, blGlyphTop, -1, -1, &strip, 4, {12, 7}},
        {"moved client, pressed", {5, 5, 45, 35}, {1, 1}, blGlyphTop, -1, -1, &single, 1, {18, 13}},
    };
    for (const auto& c : cases) {
        TGlyphLayout got = LayoutGlyphAndCaption(canvasOwner.Canvas(), c.client, c.offset, "", c.layout, c.margin,
                                                 c.spacing, c.glyph, c.numGlyphs);
        EXPECT_TRUE(got.glyphPos.x == c.expected.x && got.glyphPos.y == c.expected.y)
            << c.what << ": glyph at " << Text(got.glyphPos);
        EXPECT_TRUE(IsRectEmpty(&got.textBounds)) << c.what << ": text " << Text(got.textBounds);
    }
}

TEST(LayoutGlyphAndCaption, SharesFreeRoomBetweenMarginSpacingAndCaption)
{
    TBitmap canvasOwner(10, 10);
    TCanvas& canvas = canvasOwner.Canvas();
    RECT measured = {0, 0, 60, 0};
    DrawTextA(canvas.Handle(), "Ok", -1, &measured, DT_CALCRECT | DT_SINGLELINE);
    const int tw = measured.right - measured.left;
    const int th = measured.bottom - measured.top;
    TBitmap glyph(16, 16);

    // Margin, spacing and the room left over split three ways along the vertical axis.
    TGlyphLayout top = LayoutGlyphAndCaption(canvas, RECT{0, 0, 60, 60}, POINT{0, 0}, "Ok", blGlyphTop, -1, -1, &glyph, 1);
    const int share = (60 - 16 - th) / 3;
    EXPECT_EQ(top.glyphPos.y, share) << "glyph at " << Text(top.glyphPos);
    EXPECT_EQ(top.glyphPos.x, (60 - 16 + 1) / 2) << "glyph at " << Text(top.glyphPos);
    RECT expected = {(60 - tw + 1) / 2, share + 16 + share, (60 - tw + 1) / 2 + tw, share + 16 + share + th};
    EXPECT_TRUE(EqualRect(&top.textBounds, &expected)) << "text " << Text(top.textBounds) << ", expected " << Text(expected);

    // A given margin leaves the spacing to centre the caption in what remains.
    TGlyphLayout left = LayoutGlyphAndCaption(canvas, RECT{0, 0, 80, 20}, POINT{0, 0}, "Ok", blGlyphLeft, 4, -1, &glyph, 1);
    const int spacing = (80 - (4 + 16) - tw) / 2;
    EXPECT_EQ(left.glyphPos.x, 4) << "glyph at " << Text(left.glyphPos);
    EXPECT_EQ(left.textBounds.left, 4 + 16 + spacing) << "text " << Text(left.textBounds);

    // Text left of the glyph.
    TGlyphLayout right = LayoutGlyphAndCaption(canvas, RECT{0, 0, 80, 20}, POINT{0, 0}, "Ok", blGlyphRight, 2, 3, &glyph, 1);
    EXPECT_EQ(right.glyphPos.x, 80 - 2 - 16) << "glyph at " << Text(right.glyphPos);
    EXPECT_EQ(right.textBounds.right, 80 - 2 - 16 - 3) << "text " << Text(right.textBounds);
}

TEST(LayoutGlyphAndCaption, EmptyCaptionWithoutGlyphGivesAnEmptyTextRectangle)
{
    TBitmap canvasOwner(10, 10);
    TGlyphLayout got =
        LayoutGlyphAndCaption(canvasOwner.Canvas(), RECT{0, 0, 40, 30}, POINT{0, 0}, "", blGlyphTop, -1, -1, nullptr, 1);
    RECT expected = {20, 15, 20, 15};
    EXPECT_TRUE(EqualRect(&got.textBounds, &expected)) << "text " << Text(got.textBounds);
}

TEST(MakeDisabledGlyph, EmbossesThePixelsOfTheMaskColour)
{
    TBitmap glyph(6, 6);
    glyph.Canvas().Brush().SetColor(clWhite);
    glyph.Canvas().FillRect(RECT{0, 0, 6, 6});
    glyph.Canvas().Brush().SetColor(clBlack);
    glyph.Canvas().FillRect(RECT{1, 1, 3, 3});
    const TColor back = clRed, highlight = clLime, shadow = clBlue;
    for (bool withHighlight : {true, false}) {
        std::unique_ptr<TBitmap> disabled = MakeDisabledGlyph(glyph, clBlack, back, highlight, shadow, withHighlight);
        ASSERT_EQ(disabled->Width(), 6);
        ASSERT_EQ(disabled->Height(), 6);
        const struct {
            int x, y;
            TColor colour;
        } cases[] = {
            {1, 1, shadow}, {2, 2, shadow}, {3, 3, withHighlight ? highlight : back}, {0, 0, back}, {5, 5, back},
        };
        for (const auto& c : cases)
            EXPECT_EQ(disabled->PixelColor(c.x, c.y), c.colour)
                << (withHighlight ? "with" : "without") << " highlight at " << c.x << "," << c.y << ": "
                << Hex(disabled->PixelColor(c.x, c.y));
    }
}

TEST(PaintParentBackground, ShowsWhatTheParentPaintsBehindTheControl)
{
    FlatTestForm f(100, 80, clBlue);
    auto* shape = f.Add<TShape>(0, 0, 30, 30);
    shape->Pen().SetStyle(psClear);
    shape->Brush().SetColor(clRed);
    auto* child = f.Add<TCustomControl>(20, 20, 20, 20);
    f.form->Handle();

    TBitmap behind(20, 20);
    behind.Canvas().Brush().SetColor(clWhite);
    behind.Canvas().FillRect(RECT{0, 0, 20, 20});
    PaintParentBackground(*child, behind.Canvas());
    EXPECT_EQ(behind.PixelColor(5, 5), clRed) << "over the shape: " << Hex(behind.PixelColor(5, 5));
    EXPECT_EQ(behind.PixelColor(15, 15), clBlue) << "over the form: " << Hex(behind.PixelColor(15, 15));

    TCustomControl orphan(nullptr);
    TBitmap untouched(10, 10);
    untouched.Canvas().Brush().SetColor(clWhite);
    untouched.Canvas().FillRect(RECT{0, 0, 10, 10});
    PaintParentBackground(orphan, untouched.Canvas());
    EXPECT_EQ(untouched.PixelColor(5, 5), clWhite) << "without a parent: " << Hex(untouched.PixelColor(5, 5));
}

TEST(RectsOverlap, SharedAreaOnly)
{
    const struct {
        RECT a, b;
        bool overlap;
    } cases[] = {
        {{0, 0, 10, 10}, {5, 5, 15, 15}, true},
        {{0, 0, 10, 10}, {10, 0, 20, 10}, false},   // edges touch
        {{0, 0, 10, 10}, {2, 2, 3, 3}, true},
        {{0, 0, 10, 10}, {3, 3, 3, 8}, false},      // empty
    };
    for (const auto& c : cases)
        EXPECT_EQ(RectsOverlap(c.a, c.b), c.overlap) << Text(c.a) << " and " << Text(c.b);
}

TEST(HoverRecord, TimerLivesFromTheFirstInstanceToTheLast)
{
    THoverRecord record;
    TCustomControl control(nullptr);
    EXPECT_EQ(record.Timer(), nullptr);
    record.InstanceCreated();
    ASSERT_NE(record.Timer(), nullptr);
    EXPECT_FALSE(record.Timer()->Enabled());
    EXPECT_EQ(record.Timer()->Interval(), 100u);
    TTimer* first = record.Timer();
    record.InstanceCreated();
    EXPECT_EQ(record.Timer(), first) << "a second instance makes no second timer";
    record.InstanceDestroyed(control);
    EXPECT_EQ(record.Timer(), first);
    EXPECT_EQ(record.InstanceCount(), 1);
    record.InstanceDestroyed(control);
    EXPECT_EQ(record.Timer(), nullptr) << "the last instance frees the timer";
    record.InstanceCreated();
    EXPECT_NE(record.Timer(), nullptr) << "the next instance makes a new one";
    record.InstanceDestroyed(control);
}
