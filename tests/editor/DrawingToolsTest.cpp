// The drawing tools on a picture of their own: where a point of the view lands, what each
// gesture leaves on the picture (and that its rubber bands leave nothing), and the polygon's
// bookkeeping.
#include <windows.h>

#include "DrawingTools.h"
#include "EditorModel.h"
#include "PicturePattern.h"
#include "TransparentKey.h"

#include <gtest/gtest.h>

#include <set>
#include <utility>
#include <vector>

namespace {

// The view point at the centre of picture pixel (px, py).
int At(int p)
{
    return p * 8 + 1;
}

struct Board {
    TBitmap picture;
    TEditorModel model{picture};
    TDrawingTools tools{model};

    Board()
    {
        model.NewPicture();
        model.PrimaryColor = clRed;
        model.SecondaryColor = clBlue;
        picture.Canvas().Pen().SetWidth(1);
    }
    void Tool(int tool, bool clearBrush = false)
    {
        model.CurrentTool = tool;
        tools.ClearBrush = clearBrush;
        TBrush& brush = picture.Canvas().Brush();
        if (clearBrush) {
            brush.SetStyle(bsClear);
        } else {
            brush.SetStyle(bsSolid);
            brush.SetColor(model.SecondaryColor);
        }
    }
    // Press at one pixel, moves through the others, release at the last, all with `button`.
    void Drag(std::vector<POINT> pixels, TMouseButton button = mbLeft)
    {
        tools.Press(button, false, At(pixels.front().x), At(pixels.front().y));
        for (POINT p : pixels)
            tools.Move(At(p.x), At(p.y));
        tools.Release(button, At(pixels.back().x), At(pixels.back().y));
    }
    void Click(POINT p, TMouseButton button = mbLeft)
    {
        tools.Press(button, false, At(p.x), At(p.y));
        tools.Release(button, At(p.x), At(p.y));
    }
    // The pixels that are not the key colour, with their colours.
    std::set<std::pair<int, int>> Painted(TColor* only = nullptr) const
    {
        std::set<std::pair<int, int>> painted;
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                TColor c = picture.PixelColor(x, y);
                if (c != TransparentKeyColor && (!only || c == *only))
                    painted.insert({x, y});
            }
        return painted;
    }
    std::string Differences(const std::function<TColor(int, int)>& expected) const
    {
        return FirstDifference(picture, expected);
    }
};

}  // namespace

TEST(DrawingTools, ViewPointsRoundToTheNearestPixelWithHalvesToEven)
{
    const std::pair<int, int> cases[] = {{1, 0},  {0, 0},  {4, 0},   {5, 0},   {6, 1},    {9, 1},
                                         {13, 2}, {21, 2}, {29, 4},  {37, 4},  {253, 32}, {256, 32},
                                         {-3, 0}, {-4, -1}, {-11, -2}, {-12, -2}};
    for (auto [view, pixel] : cases)
        EXPECT_EQ(ViewToPixel(view), pixel) << "view " << view;
}

TEST(DrawingTools, PenStampsASquareOfTheLineWidthClippedAtTheEdge)
{
    TBitmap picture;
    ClearPicture(picture, TransparentKeyColor);
    StampPen(picture, 0, 0, 3, clRed);
    EXPECT_EQ(FirstDifference(picture, [](int x, int y) { return x <= 1 && y <= 1 ? clRed : TransparentKeyColor; }), "");
    ClearPicture(picture, TransparentKeyColor);
    StampPen(picture, 10, 10, 4, clRed);   // from 10 - 2 to 10 + 1
    EXPECT_EQ(FirstDifference(picture, [](int x, int y) {
                  return x >= 8 && x <= 11 && y >= 8 && y <= 11 ? clRed : TransparentKeyColor;
              }),
              "");
    StampPen(picture, 40, -5, 10, clBlue);   // wholly outside: nothing
}

TEST(DrawingTools, PenStrokesUseTheColourOfTheButtonThatBeganThem)
{
    Board b;
    b.Tool(etPen);
    b.Drag({{2, 2}, {3, 2}, {5, 2}});
    TColor red = clRed;
    EXPECT_EQ(b.Painted(&red), (std::set<std::pair<int, int>>{{2, 2}, {3, 2}, {5, 2}})) << "stamps are not joined";
    b.Drag({{2, 9}, {4, 9}}, mbRight);
    TColor blue = clBlue;
    EXPECT_EQ(b.Painted(&blue), (std::set<std::pair<int, int>>{{2, 9}, {4, 9}}));
    EXPECT_FALSE(b.model.Busy);
    EXPECT_FALSE(b.model.ShapeInProgress);
}

TEST(DrawingTools, ALineLeavesNoTraceOfItsBandsAndTakesTheButtonsColour)
{
    Board b;
    b.Tool(etLine);
    b.Drag({{1, 1}, {20, 3}, {5, 25}, {8, 1}, {10, 1}});
    // Only the final line, which ends before its last pixel as lines do.
    EXPECT_EQ(b.Differences([](int x, int y) { return y == 1 && x >= 1 && x < 10 ? clRed : TransparentKeyColor; }),
              "");
    b.Drag({{1, 5}, {9, 5}}, mbRight);
    EXPECT_EQ(Hex(b.picture.PixelColor(4, 5)), Hex(clBlue));

    // A click without moving is a line from the point to itself.
    Board c;
    c.Tool(etLine);
    c.Click({7, 7});
    EXPECT_TRUE(c.Painted().empty());
    EXPECT_FALSE(c.model.ShapeInProgress);
}

TEST(DrawingTools, BandsDrawnInAnotherColourAreStillErased)
{
    Board b;
    b.Tool(etLine);
    // After a right-button line the pen holds the secondary colour: the next band is drawn in it.
    b.Drag({{0, 30}, {3, 30}}, mbRight);
    b.Drag({{1, 1}, {20, 20}, {10, 1}});
    EXPECT_EQ(b.Differences([](int x, int y) {
                  if (y == 30 && x < 3)
                      return clBlue;
                  return y == 1 && x >= 1 && x < 10 ? clRed : TransparentKeyColor;
              }),
              "");
}

TEST(DrawingTools, RectanglesGoToTheLastReportedPointAndFillAsTheirButtonSays)
{
    Board b;
    b.Tool(etRectangle, true);
    b.tools.Press(mbLeft, false, At(2), At(2));
    b.tools.Move(At(6), At(5));
    b.tools.Release(mbLeft, At(20), At(20));   // no move reported this point
    // GDI rectangles leave out the right and bottom edge: the outline runs 2..5 by 2..4.
    EXPECT_EQ(b.Differences([](int x, int y) {
                  bool inside = x >= 2 && x <= 5 && y >= 2 && y <= 4;
                  bool edge = inside && (x == 2 || x == 5 || y == 2 || y == 4);
                  return edge ? clRed : TransparentKeyColor;
              }),
              "");

    Board f;
    f.Tool(etRectangle, false);
    f.Drag({{2, 2}, {7, 7}});
    EXPECT_EQ(Hex(f.picture.PixelColor(2, 2)), Hex(clRed));
    EXPECT_EQ(Hex(f.picture.PixelColor(4, 4)), Hex(clBlue)) << "filled with the secondary colour";
    EXPECT_EQ(Hex(f.picture.PixelColor(7, 7)), Hex(TransparentKeyColor));
}

TEST(DrawingTools, EllipsesGrowFromTheirCentre)
{
    Board b;
    b.Tool(etEllipse, true);
    b.Drag({{10, 10}, {14, 12}, {16, 14}});
    std::set<std::pair<int, int>> painted = b.Painted();
    ASSERT_FALSE(painted.empty());
    for (auto [x, y] : painted) {
        EXPECT_TRUE(x >= 4 && x <= 16 && y >= 6 && y <= 14) << x << "," << y << " outside the box around the centre";
        EXPECT_EQ(Hex(b.picture.PixelColor(x, y)), Hex(clRed)) << x << "," << y;
    }
    EXPECT_EQ(Hex(b.picture.PixelColor(10, 10)), Hex(TransparentKeyColor)) << "an outline only";
    EXPECT_TRUE(painted.count({4, 10})) << "the left end of the box is on the ellipse";
}

TEST(DrawingTools, APolygonStaysOpenAcrossClicksAndARightClickClosesIt)
{
    Board b;
    b.Tool(etPolygon, false);
    b.Click({2, 2});
    EXPECT_TRUE(b.model.Busy) << "an open polygon keeps the editor busy";
    EXPECT_TRUE(b.model.ShapeInProgress);
    EXPECT_EQ(b.tools.PolygonCount(), 2);
    b.tools.Press(mbLeft, false, At(20), At(2));
    b.tools.Move(At(20), At(2));
    b.tools.Release(mbLeft, At(20), At(2));
    b.tools.Press(mbLeft, false, At(20), At(20));
    b.tools.Move(At(20), At(20));
    b.tools.Release(mbLeft, At(20), At(20));
    EXPECT_EQ(b.tools.PolygonCount(), 4);
    b.tools.Press(mbRight, false, At(20), At(20));
    b.tools.Release(mbRight, At(20), At(20));
    EXPECT_FALSE(b.model.Busy);
    EXPECT_FALSE(b.model.ShapeInProgress);
    EXPECT_EQ(b.tools.PolygonCount(), 1);
    // Edges 2,2 -> 20,2 -> 20,20 -> back to 2,2, never filled.
    EXPECT_EQ(Hex(b.picture.PixelColor(10, 2)), Hex(clRed));
    EXPECT_EQ(Hex(b.picture.PixelColor(20, 10)), Hex(clRed));
    EXPECT_EQ(Hex(b.picture.PixelColor(10, 10)), Hex(clRed)) << "the closing edge";
    EXPECT_EQ(Hex(b.picture.PixelColor(15, 8)), Hex(TransparentKeyColor)) << "not filled";
}

TEST(DrawingTools, ADoubleClickAddsItsFirstClicksVertexThenCloses)
{
    Board b;
    b.Tool(etPolygon, false);
    b.Click({2, 2});
    b.tools.Press(mbLeft, false, At(2), At(12));
    b.tools.Move(At(2), At(12));
    b.tools.Release(mbLeft, At(2), At(12));
    ASSERT_EQ(b.tools.PolygonCount(), 3);
    b.tools.Press(mbLeft, true, At(2), At(12));   // the second press of the double-click
    b.tools.Release(mbLeft, At(2), At(12));
    EXPECT_FALSE(b.model.ShapeInProgress);
    EXPECT_FALSE(b.model.Busy);
    EXPECT_EQ(b.tools.PolygonCount(), 1);
}

TEST(DrawingTools, AFullPolygonTableClosesInsteadOfOverflowing)
{
    Board b;
    b.Tool(etPolygon, false);
    b.Click({0, 0});
    int clicks = 1;
    while (b.model.ShapeInProgress && clicks < 150) {
        b.Click({clicks % 30, (clicks / 30) * 5});
        ++clicks;
        ASSERT_LE(b.tools.PolygonCount(), TDrawingTools::PolygonCapacity - 1) << "after click " << clicks;
    }
    EXPECT_FALSE(b.model.ShapeInProgress) << "the polygon closed when its table was full";
    EXPECT_EQ(clicks, TDrawingTools::PolygonCapacity - 1);
    EXPECT_EQ(b.tools.PolygonCount(), 1);
}

TEST(DrawingTools, FillReplacesTheConnectedAreaOfTheColourClicked)
{
    Board b;
    // A wall across the picture at x = 10.
    for (int y = 0; y < 32; ++y)
        b.picture.Canvas().SetPixel(10, y, clBlack);
    b.Tool(etFill, true);   // even after an outline tool cleared the brush
    b.Click({3, 3});
    EXPECT_EQ(b.Differences([](int x, int y) {
                  return x < 10 ? clRed : x == 10 ? clBlack : TransparentKeyColor;
              }),
              "");
    b.Click({20, 20}, mbRight);
    EXPECT_EQ(Hex(b.picture.PixelColor(31, 31)), Hex(clBlue));
    EXPECT_EQ(Hex(b.picture.PixelColor(3, 3)), Hex(clRed));
}

TEST(DrawingTools, ThePipettePicksForTheButtonUsed)
{
    Board b;
    b.picture.Canvas().SetPixel(4, 4, clLime);
    b.picture.Canvas().SetPixel(5, 5, clYellow);
    b.Tool(etPipette);
    b.Click({4, 4});
    b.Click({5, 5}, mbRight);
    EXPECT_EQ(Hex(b.model.PrimaryColor), Hex(clLime));
    EXPECT_EQ(Hex(b.model.SecondaryColor), Hex(clYellow));
}

TEST(DrawingTools, NothingHappensWhileLoadingOrWithoutAPress)
{
    Board b;
    b.Tool(etPen);
    EXPECT_FALSE(b.tools.Release(mbLeft, At(3), At(3))) << "no gesture began";
    b.model.Loading = true;
    EXPECT_FALSE(b.tools.Press(mbLeft, false, At(3), At(3)));
    EXPECT_FALSE(b.model.Busy);
    b.tools.Move(At(3), At(3));
    EXPECT_FALSE(b.tools.Release(mbLeft, At(3), At(3)));
    EXPECT_TRUE(b.Painted().empty());
    b.model.Loading = false;
    b.Click({3, 3});
    EXPECT_EQ(b.Painted().size(), 1u);
    EXPECT_TRUE(b.model.Modified);
}

TEST(DrawingTools, ACancelledPressLeavesThePictureAndTheStateAsBefore)
{
    const struct {
        const char* name;
        int tool;
        bool clearBrush;
    } tools[] = {
        {"line", etLine, false},         {"rectangle", etRectangle, true}, {"filled ellipse", etEllipse, false},
        {"pen", etPen, false},           {"fill", etFill, false},          {"text", etText, false},
        {"pipette", etPipette, false},   {"polygon", etPolygon, true},
    };
    for (const auto& t : tools) {
        Board b;
        FillPattern(b.picture);
        b.model.Modified = false;
        b.Tool(t.tool, t.clearBrush);
        EXPECT_FALSE(b.tools.Cancel()) << t.name << ": nothing pressed";
        b.tools.Press(mbLeft, false, At(3), At(3));
        b.tools.Move(At(12), At(9));
        // A second button while the first is held is part of the same press.
        b.tools.Press(mbRight, false, At(12), At(9));
        b.tools.Move(At(20), At(4));
        EXPECT_TRUE(b.tools.Cancel()) << t.name;
        EXPECT_EQ(b.Differences(PatternColour), "") << t.name;
        EXPECT_FALSE(b.model.Busy) << t.name;
        EXPECT_FALSE(b.model.ShapeInProgress) << t.name;
        EXPECT_FALSE(b.model.Modified) << t.name;
        EXPECT_EQ(Hex(b.model.PrimaryColor), Hex(clRed)) << t.name;
        EXPECT_FALSE(b.tools.Cancel()) << t.name << ": cancelled twice";
        EXPECT_FALSE(b.tools.Release(mbLeft, At(20), At(4))) << t.name << ": a late release ends nothing";
        EXPECT_EQ(b.Differences(PatternColour), "") << t.name << " after the late release";
    }
}

TEST(DrawingTools, ACancelledVertexLeavesThePolygonOpenAsItWas)
{
    // Two boards draw the same polygon; one has a vertex press cut off on the way.
    Board plain, cut;
    for (Board* b : {&plain, &cut}) {
        b->Tool(etPolygon, true);
        b->Click({2, 2});
        b->tools.Move(At(20), At(2));
        b->Click({20, 2});
        b->tools.Move(At(20), At(20));
    }
    cut.tools.Press(mbLeft, false, At(20), At(20));
    cut.tools.Move(At(9), At(28));
    ASSERT_TRUE(cut.tools.Cancel());
    EXPECT_TRUE(cut.model.Busy) << "the polygon is still open";
    EXPECT_TRUE(cut.model.ShapeInProgress);
    EXPECT_EQ(cut.tools.PolygonCount(), plain.tools.PolygonCount());
    for (Board* b : {&plain, &cut}) {
        b->tools.Move(At(20), At(20));
        b->Click({20, 20});
        b->Click({20, 20}, mbRight);
    }
    EXPECT_FALSE(cut.model.ShapeInProgress);
    EXPECT_EQ(cut.Differences([&](int x, int y) { return plain.picture.PixelColor(x, y); }), "");
}
