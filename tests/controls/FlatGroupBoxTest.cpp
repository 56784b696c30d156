// The flat group box's frame, the gap its caption leaves, the top-line border, the embossed
// caption of a disabled box and a transparent box showing its parent.
#include <windows.h>

#include "ExtCtrls.h"
#include "FlatCheckBox.h"
#include "FlatGroupBox.h"
#include "FlatTestForm.h"

#include <gtest/gtest.h>

#include <set>

namespace {

struct BoxOnForm {
    explicit BoxOnForm(const std::string& caption)
    {
        box = f.Add<TFlatGroupBox>(10, 10, 100, 60);
        box->SetCaption(caption);
        f.form->Handle();
        TBitmap measure(1, 1);
        measure.Canvas().Font().Assign(box->Font());
        text = measure.Canvas().TextExtent(caption.empty() ? "X" : caption);
        if (caption.empty())
            text.cx = 0;
        line = text.cy / 2;
    }
    TColor At(int x, int y) { return FlatTestForm::Shot(*box)->PixelColor(x, y); }

    FlatTestForm f{140, 90, clWhite};
    TFlatGroupBox* box;
    SIZE text;
    int line;
};

// The colours inside a rectangle of a picture.
std::set<TColor> ColoursIn(TBitmap& shot, const RECT& r)
{
    std::set<TColor> colours;
    for (int y = r.top; y < r.bottom; ++y)
        for (int x = r.left; x < r.right; ++x)
            colours.insert(shot.PixelColor(x, y));
    return colours;
}

}  // namespace

TEST(FlatGroupBox, FrameLeavesAGapForTheCaption)
{
    BoxOnForm b("Anzeige");
    const int gapEnd = 12 + b.text.cx;
    const struct {
        const char* what;
        int x, y;
        bool border;
    } cases[] = {
        {"top line before the gap", 5, b.line, true},
        {"gap", 6, b.line, false},
        {"gap at its end", gapEnd, b.line, false},
        {"top line after the gap", gapEnd + 1, b.line, true},
        {"top right corner", 99, b.line, true},
        {"left side", 0, 40, true},
        {"bottom", 50, 59, true},
        {"right side", 99, 40, true},
        {"inside", 50, 40, false},
        {"above the line", 80, 0, false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(b.At(c.x, c.y) == FlatBorderColor, c.border) << c.what << " at " << c.x << "," << c.y << ": " << Hex(b.At(c.x, c.y));
}

TEST(FlatGroupBox, EmptyCaptionLeavesSevenPixels)
{
    BoxOnForm b("");
    for (int x = 0; x < 20; ++x) {
        bool inGap = x >= 6 && x <= 12;
        EXPECT_EQ(b.At(x, b.line) != FlatBorderColor, inGap) << "at " << x << ": " << Hex(b.At(x, b.line));
    }
}

TEST(FlatGroupBox, OnlyTopLineDrawsNoSidesOrBottom)
{
    BoxOnForm b("Anzeige");
    b.box->SetBorder(brOnlyTopLine);
    EXPECT_EQ(b.At(2, b.line), FlatBorderColor) << Hex(b.At(2, b.line));
    EXPECT_EQ(b.At(90, b.line), FlatBorderColor) << Hex(b.At(90, b.line));
    for (POINT p : {POINT{0, 40}, POINT{99, 40}, POINT{50, 59}})
        EXPECT_EQ(b.At(p.x, p.y), clWhite) << "at " << p.x << "," << p.y << ": " << Hex(b.At(p.x, p.y));
}

TEST(FlatGroupBox, DisabledCaptionIsEmbossedAndTheFrameStays)
{
    BoxOnForm b("Anzeige");
    RECT caption = {10, 0, 10 + b.text.cx + 1, b.text.cy + 1};
    const TColor text = static_cast<TColor>(ColorToRGB(clWindowText));
    const TColor shadow = static_cast<TColor>(ColorToRGB(clBtnShadow));
    std::set<TColor> enabled = ColoursIn(*FlatTestForm::Shot(*b.box), caption);
    EXPECT_TRUE(enabled.count(text)) << "the caption is written in the font colour " << Hex(text);

    b.box->SetEnabled(false);
    std::set<TColor> disabled = ColoursIn(*FlatTestForm::Shot(*b.box), caption);
    EXPECT_TRUE(disabled.count(shadow)) << "shadow " << Hex(shadow) << " in the disabled caption";
    EXPECT_FALSE(disabled.count(text) && text != shadow) << "font colour " << Hex(text) << " in the disabled caption";
    EXPECT_EQ(b.At(0, 40), FlatBorderColor) << Hex(b.At(0, 40));
}

TEST(FlatGroupBox, TransparentBoxShowsItsParent)
{
    FlatTestForm f(140, 90, clWhite);
    auto* shape = f.Add<TShape>(0, 0, 140, 90);
    shape->Pen().SetStyle(psClear);
    shape->Brush().SetColor(clRed);
    auto* box = f.Add<TFlatGroupBox>(10, 10, 100, 60);
    f.form->Handle();
    EXPECT_EQ(FlatTestForm::Shot(*box)->PixelColor(50, 40), clWhite) << "opaque: the box's own colour";
    box->SetTransparent(true);
    EXPECT_EQ(FlatTestForm::Shot(*box)->PixelColor(50, 40), clRed)
        << "transparent: " << Hex(FlatTestForm::Shot(*box)->PixelColor(50, 40));
    EXPECT_EQ(FlatTestForm::Shot(*box)->PixelColor(0, 40), FlatBorderColor) << "the frame stays";
    box->SetBounds(20, 20, 80, 50);
    EXPECT_EQ(FlatTestForm::Shot(*box)->PixelColor(40, 30), clRed) << "after moving";
}

// A transparent control in a transparent box shows what lies behind both.
TEST(FlatGroupBox, TransparentControlInATransparentBoxShowsTheForm)
{
    constexpr TColor FormColour = 0x336699;
    FlatTestForm f(160, 100, FormColour);
    auto* box = f.Add<TFlatGroupBox>(10, 10, 140, 80);
    box->SetTransparent(true);
    auto* check = new TFlatCheckBox(box);
    check->SetParent(box);
    check->SetBounds(10, 30, 100, 17);
    check->SetTransparent(true);
    f.form->Handle();
    const TColor behind = FlatTestForm::Shot(*check)->PixelColor(60, 8);
    EXPECT_EQ(Hex(behind), Hex(FormColour)) << "beside the mark";
}

TEST(FlatGroupBox, AdvColorsDeriveTheBorderFromTheColour)
{
    BoxOnForm b("");
    b.f.form->SetColor(0xE1EAEB);
    b.box->SetUseAdvColors(true);
    EXPECT_EQ(b.box->ColorBorder(), ComputeAdvColor(0xE1EAEB, FlatBorderColor, 50, true)) << Hex(b.box->ColorBorder());
    b.f.form->SetColor(clWhite);
    EXPECT_EQ(b.box->ColorBorder(), ComputeAdvColor(clWhite, FlatBorderColor, 50, true))
        << "after the parent's colour changed: " << Hex(b.box->ColorBorder());
}
