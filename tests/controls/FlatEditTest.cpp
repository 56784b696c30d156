// The flat edit on a real form: its non-client frame, lighting up on focus and hover (but not
// while another flat edit has the focus), colours that follow the parent, and its font height.
#include <windows.h>

#include "FlatEdit.h"
#include "FlatSpinEdit.h"
#include "FlatTestForm.h"
#include "GdiObject.h"

#include <gtest/gtest.h>

namespace {

constexpr TColor FormColour = 0xD0E0E0;

struct EditsOnForm {
    EditsOnForm()
    {
        first = f.Add<TFlatEdit>(10, 10, 100, 19);
        second = f.Add<TFlatEdit>(10, 40, 100, 19);
        spin = f.Add<TFlatSpinEditInteger>(10, 70, 100, 19);
        f.form->Handle();
    }
    // A move onto the edit, as the system sends it.
    void Hover(TCustomFlatEdit* edit) { SendMessageA(edit->Handle(), WM_MOUSEMOVE, 0, MAKELPARAM(5, 5)); }
    void Leave(TCustomFlatEdit* edit) { SendMessageA(edit->Handle(), WM_MOUSELEAVE, 0, 0); }
    // The frame as the screen shows it.
    static TColor FramePixel(TCustomFlatEdit* edit, int x, int y)
    {
        WholeWindowDC dc(edit->Handle());
        return static_cast<TColor>(GetPixel(dc.get(), x, y));
    }

    FlatTestForm f{160, 110, FormColour};
    TFlatEdit* first;
    TFlatEdit* second;
    TFlatSpinEditInteger* spin;
};

int FontHeight(TFont& font)
{
    return FontTextMetrics(font).tmHeight;
}

}  // namespace

TEST(FlatEdit, TheFrameIsThreePixelsOfNonClientArea)
{
    EditsOnForm e;
    RECT client;
    GetClientRect(e.first->Handle(), &client);
    EXPECT_EQ(client.right, e.first->Width() - 6) << "client width";
    EXPECT_EQ(client.bottom, e.first->Height() - 6) << "client height";
    EXPECT_EQ(GetWindowLongA(e.first->Handle(), GWL_EXSTYLE) & WS_EX_CLIENTEDGE, 0) << "no system border";
}

TEST(FlatEdit, FlatColourFollowsTheParentUntilSet)
{
    EditsOnForm e;
    EXPECT_TRUE(e.first->ParentColor());
    EXPECT_EQ(e.first->ColorFlat(), FormColour) << Hex(e.first->ColorFlat());
    EXPECT_EQ(e.first->Color(), FormColour) << "the client shows the flat colour: " << Hex(e.first->Color());
    e.f.form->SetColor(clSilver);
    EXPECT_EQ(e.first->ColorFlat(), clSilver) << Hex(e.first->ColorFlat());

    e.first->SetColorFlat(clYellow);
    EXPECT_FALSE(e.first->ParentColor());
    e.f.form->SetColor(clWhite);
    EXPECT_EQ(e.first->ColorFlat(), clYellow) << "no longer follows: " << Hex(e.first->ColorFlat());
    e.first->SetParentColor(true);
    EXPECT_EQ(e.first->ColorFlat(), clWhite) << "follows again: " << Hex(e.first->ColorFlat());
}

TEST(FlatEdit, AdvColorsComeFromTheFlatColour)
{
    EditsOnForm e;
    e.f.form->SetColor(0xE1EAEB);
    e.first->SetUseAdvColors(true);
    EXPECT_EQ(e.first->ColorFocused(), 0x557B80) << Hex(e.first->ColorFocused());
    EXPECT_EQ(e.first->ColorBorder(), 0xADC6C9) << Hex(e.first->ColorBorder());
}

TEST(FlatEdit, LightsUpWhileFocusedOrHovered)
{
    EditsOnForm e;
    ASSERT_TRUE(e.f.ShowActive()) << "the form is not shown active under the pointer";
    EXPECT_EQ(e.first->Color(), FormColour) << Hex(e.first->Color());
    e.first->SetFocus();
    EXPECT_EQ(e.first->Color(), FlatFocusedColor) << "focused: " << Hex(e.first->Color());
    EXPECT_EQ(EditsOnForm::FramePixel(e.first, 0, 0), FlatBorderColor) << "frame: " << Hex(EditsOnForm::FramePixel(e.first, 0, 0));
    EXPECT_EQ(EditsOnForm::FramePixel(e.first, 1, 1), FlatFocusedColor) << "lit ring: " << Hex(EditsOnForm::FramePixel(e.first, 1, 1));

    e.Leave(e.second);
    e.Hover(e.second);
    EXPECT_TRUE(e.second->Hovered());
    EXPECT_EQ(e.second->Color(), FormColour) << "another flat edit has the focus: " << Hex(e.second->Color());
    e.Leave(e.second);
    EXPECT_FALSE(e.second->Hovered());

    e.spin->SetFocus();
    EXPECT_EQ(e.first->Color(), FormColour) << "focus gone: " << Hex(e.first->Color());
    e.Hover(e.second);
    EXPECT_EQ(e.second->Color(), FlatFocusedColor) << "a spin edit has the focus: " << Hex(e.second->Color());
    EXPECT_EQ(EditsOnForm::FramePixel(e.second, 2, 2), FlatFocusedColor) << Hex(EditsOnForm::FramePixel(e.second, 2, 2));
    e.Leave(e.second);
    EXPECT_EQ(e.second->Color(), FormColour) << "after leaving: " << Hex(e.second->Color());
    EXPECT_EQ(EditsOnForm::FramePixel(e.second, 2, 2), FormColour) << Hex(EditsOnForm::FramePixel(e.second, 2, 2));
}

TEST(FlatEdit, HeightFollowsTheFont)
{
    EditsOnForm e;
    EXPECT_EQ(e.first->Height(), FontHeight(e.first->Font()) + 6) << "with the first window";
    e.first->Font().SetSize(16);
    EXPECT_EQ(e.first->Height(), FontHeight(e.first->Font()) + 6) << "after a font change";
    e.spin->Font().SetSize(16);
    EXPECT_EQ(e.spin->Height(), FontHeight(e.spin->Font()) + 7) << "a spin edit keeps its minimum";
}
