// The flat push button on a real form: groups, clicks only for releases over it, the space bar,
// the default button's frame, glyph images by state; and the flat panel's frame and caption.
#include <windows.h>

#include "FlatButton.h"
#include "FlatPanel.h"
#include "FlatTestForm.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

constexpr TColor FormColour = clSilver;
constexpr TColor Key = clOlive;

struct ButtonsOnForm {
    ButtonsOnForm()
    {
        a = f.Add<TFlatButton>(10, 10, 40, 40);
        b = f.Add<TFlatButton>(60, 10, 40, 40);
        a->OnClick = [this](TComponent*) { ++clicksA; };
        b->OnClick = [this](TComponent*) { ++clicksB; };
        f.form->Handle();
    }
    TColor At(TFlatButton* button, int x, int y) { return FlatTestForm::Shot(*button)->PixelColor(x, y); }

    FlatTestForm f{120, 60, FormColour};
    TFlatButton* a;
    TFlatButton* b;
    int clicksA = 0;
    int clicksB = 0;
};

// Images of 16 x 16 side by side on a key-coloured ground, each with a centre of its own colour.
std::unique_ptr<TBitmap> Strip(std::initializer_list<TColor> colours)
{
    auto strip = std::make_unique<TBitmap>(16 * static_cast<int>(colours.size()), 16);
    strip->Canvas().Brush().SetColor(Key);
    strip->Canvas().FillRect(RECT{0, 0, strip->Width(), 16});
    int left = 0;
    for (TColor colour : colours) {
        strip->Canvas().Brush().SetColor(colour);
        strip->Canvas().FillRect(RECT{left + 4, 4, left + 12, 12});
        left += 16;
    }
    return strip;
}

std::set<TColor> ColoursOf(TBitmap& shot)
{
    std::set<TColor> colours;
    for (int y = 0; y < shot.Height(); ++y)
        for (int x = 0; x < shot.Width(); ++x)
            colours.insert(shot.PixelColor(x, y));
    return colours;
}

}  // namespace

TEST(FlatButton, GroupKeepsOneButtonDown)
{
    ButtonsOnForm t;
    t.a->SetGroupIndex(3);
    t.b->SetGroupIndex(3);
    t.f.Click(30, 30);
    EXPECT_TRUE(t.a->Down());
    t.f.Click(80, 30);
    EXPECT_TRUE(t.b->Down());
    EXPECT_FALSE(t.a->Down()) << "pressing the second releases the first";
    t.f.Click(80, 30);
    EXPECT_TRUE(t.b->Down()) << "pressing the down button again keeps it down";
    EXPECT_EQ(t.clicksA, 1);
    EXPECT_EQ(t.clicksB, 2);
}

TEST(FlatButton, ReleaseOutsideDoesNotClick)
{
    ButtonsOnForm t;
    ASSERT_TRUE(t.f.ShowActive()) << "the form is not shown active under the pointer";
    t.f.Move(30, 30);
    t.f.Press(30, 30);
    EXPECT_EQ(t.a->State(), bsDown);
    EXPECT_EQ(GetFocus(), t.a->Handle()) << "a press takes the focus";
    t.f.Move(110, 55);
    t.f.Release(110, 55);
    EXPECT_EQ(t.clicksA, 0);
    EXPECT_EQ(t.a->State(), bsUp);
}

TEST(FlatButton, SpaceBarPressesAndClicks)
{
    ButtonsOnForm t;
    t.a->SetFocus();
    SendMessageA(t.a->Handle(), WM_KEYDOWN, VK_SPACE, 0);
    EXPECT_EQ(t.a->State(), bsDown);
    EXPECT_EQ(t.clicksA, 0);
    SendMessageA(t.a->Handle(), WM_KEYUP, VK_SPACE, 0);
    EXPECT_EQ(t.a->State(), bsUp);
    EXPECT_EQ(t.clicksA, 1);
}

TEST(FlatButton, DefaultButtonHasATwoPixelFrameWhileUpAndNotHovered)
{
    ButtonsOnForm t;
    EXPECT_EQ(t.At(t.a, 1, 1), FormColour) << "one pixel: " << Hex(t.At(t.a, 1, 1));
    t.a->SetDefault(true);
    EXPECT_EQ(t.At(t.a, 0, 0), FlatBorderColor) << Hex(t.At(t.a, 0, 0));
    EXPECT_EQ(t.At(t.a, 1, 1), FlatBorderColor) << "two pixels: " << Hex(t.At(t.a, 1, 1));
    EXPECT_EQ(t.At(t.a, 38, 38), FlatBorderColor) << Hex(t.At(t.a, 38, 38));
    t.a->SetFocus();   // focus gives the hover look
    ASSERT_TRUE(t.a->Hovered());
    EXPECT_EQ(t.At(t.a, 1, 1), FlatFaceColor) << "hovered: " << Hex(t.At(t.a, 1, 1));
    EXPECT_EQ(t.At(t.a, 0, 0), clWhite) << "hovered frame is raised: " << Hex(t.At(t.a, 0, 0));
}

TEST(FlatButton, GlyphImagesByState)
{
    ButtonsOnForm t;
    // No caption: a 16 x 16 image centred in 40 x 40 lies at (12, 12); its centre at (20, 20).
    t.a->SetGlyph(*Strip({clRed, clBlue}));
    EXPECT_EQ(t.a->NumGlyphs(), 2);
    EXPECT_EQ(t.At(t.a, 20, 20), clRed) << Hex(t.At(t.a, 20, 20));
    EXPECT_EQ(t.At(t.a, 13, 13), FormColour) << "the key colour is transparent: " << Hex(t.At(t.a, 13, 13));
    t.a->SetEnabled(false);
    EXPECT_EQ(t.At(t.a, 20, 20), clBlue) << "disabled: " << Hex(t.At(t.a, 20, 20));

    t.b->SetGlyph(*Strip({clRed, clBlue, clLime, clYellow}));
    EXPECT_EQ(t.b->NumGlyphs(), 4);
    t.b->SetGroupIndex(1);
    t.b->SetDown(true);
    EXPECT_EQ(t.At(t.b, 21, 21), clYellow) << "down, sunk by one pixel: " << Hex(t.At(t.b, 21, 21));
    t.b->SetGlyph(TBitmap(80, 16));
    EXPECT_EQ(t.b->NumGlyphs(), 1) << "five images are taken as one";
}

TEST(FlatButton, OneImageIsEmbossedWhenDisabled)
{
    ButtonsOnForm t;
    t.a->SetGlyph(*Strip({clBlack}));
    t.a->SetEnabled(false);
    std::unique_ptr<TBitmap> shot = FlatTestForm::Shot(*t.a);
    EXPECT_EQ(shot->PixelColor(20, 20), static_cast<TColor>(ColorToRGB(clBtnShadow))) << Hex(shot->PixelColor(20, 20));
    EXPECT_EQ(shot->PixelColor(24, 24), static_cast<TColor>(ColorToRGB(clBtnHighlight)))
        << "highlight one pixel down and right: " << Hex(shot->PixelColor(24, 24));
}

TEST(FlatPanel, FrameAndEngravedCaption)
{
    FlatTestForm f(220, 60, clWhite);
    auto* panel = f.Add<TFlatPanel>(10, 10, 185, 41);
    panel->SetCaption("Vorschau");
    panel->SetColorHighLight(clRed);
    panel->SetColorShadow(clBlue);
    f.form->Handle();
    std::unique_ptr<TBitmap> shot = FlatTestForm::Shot(*panel);
    EXPECT_EQ(shot->PixelColor(0, 20), clRed) << "left: " << Hex(shot->PixelColor(0, 20));
    EXPECT_EQ(shot->PixelColor(90, 0), clRed) << "top: " << Hex(shot->PixelColor(90, 0));
    EXPECT_EQ(shot->PixelColor(184, 20), clBlue) << "right: " << Hex(shot->PixelColor(184, 20));
    EXPECT_EQ(shot->PixelColor(90, 40), clBlue) << "bottom: " << Hex(shot->PixelColor(90, 40));
    const TColor text = static_cast<TColor>(ColorToRGB(clWindowText));
    EXPECT_TRUE(ColoursOf(*shot).count(text)) << "caption in " << Hex(text);

    panel->SetEnabled(false);
    std::set<TColor> disabled = ColoursOf(*FlatTestForm::Shot(*panel));
    EXPECT_TRUE(disabled.count(static_cast<TColor>(ColorToRGB(clBtnShadow)))) << "shadow on top";
    EXPECT_TRUE(disabled.count(static_cast<TColor>(ColorToRGB(clBtnHighlight))) || ColorToRGB(clBtnHighlight) == 0xFFFFFF)
        << "highlight below";
    EXPECT_FALSE(disabled.count(text) && ColorToRGB(clWindowText) != ColorToRGB(clBtnShadow)) << "no caption in the font colour";
}

TEST(FlatPanel, TransparentPanelIgnoresItsColour)
{
    FlatTestForm f(220, 60, clWhite);
    auto* panel = f.Add<TFlatPanel>(10, 10, 185, 41);
    f.form->Handle();
    panel->SetTransparent(true);
    panel->SetColor(clRed);
    EXPECT_EQ(FlatTestForm::Shot(*panel)->PixelColor(50, 20), clWhite)
        << Hex(FlatTestForm::Shot(*panel)->PixelColor(50, 20));
    panel->SetTransparent(false);
    EXPECT_EQ(FlatTestForm::Shot(*panel)->PixelColor(50, 20), clRed)
        << "opaque: " << Hex(FlatTestForm::Shot(*panel)->PixelColor(50, 20));
}
