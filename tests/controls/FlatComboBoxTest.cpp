// The flat combo box painted over the system's: its frame, the arrow button by style, state and
// drop-down, the item height after a font change and colours derived from the parent.
#include <windows.h>

#include "FlatComboBox.h"
#include "FlatGroupBox.h"
#include "FlatTestForm.h"

#include <gtest/gtest.h>

namespace {

struct ComboOnForm {
    explicit ComboOnForm(TComboBoxStyle style = csDropDownList)
    {
        combo = new TFlatComboBox(f.form.get());
        combo->SetStyle(style);
        combo->SetParent(f.form.get());
        combo->SetBounds(10, 10, 120, 21);
        for (const char* item : {"Arial", "Courier", "Tahoma"})
            combo->AddItem(item);
        combo->SetItemIndex(0);
        f.form->Handle();
    }
    TColor At(int x, int y) { return FlatTestForm::Shot(*combo)->PixelColor(x, y); }
    // The corner the arrow triangle is drawn from.
    POINT ArrowOrigin()
    {
        RECT r = combo->ArrowRect();
        InflateRect(&r, 1, 0);
        return {r.left + (r.right - r.left) / 2 - 6, r.top + (r.bottom - r.top) / 2 - 1};
    }

    FlatTestForm f{160, 160, clWhite};
    TFlatComboBox* combo;
};

}  // namespace

TEST(FlatComboBox, FlatFrameAndArrowButton)
{
    ComboOnForm c;
    const int h = c.combo->Height();
    EXPECT_EQ(c.At(0, h / 2), FlatBorderColor) << "frame: " << Hex(c.At(0, h / 2));
    EXPECT_EQ(c.At(1, h / 2), FlatFaceColor) << "first ring: " << Hex(c.At(1, h / 2));
    EXPECT_EQ(c.At(2, h / 2), FlatFaceColor) << "second ring: " << Hex(c.At(2, h / 2));
    RECT arrow = c.combo->ArrowRect();
    EXPECT_EQ(c.At(arrow.left + 1, 2), FlatDownColor) << "arrow background: " << Hex(c.At(arrow.left + 1, 2));
    POINT o = c.ArrowOrigin();
    EXPECT_EQ(c.At(o.x + 6, o.y), clBlack) << "the arrow: " << Hex(c.At(o.x + 6, o.y));
    EXPECT_EQ(c.At(o.x + 4, o.y + 2), FlatDownColor) << "it points down: " << Hex(c.At(o.x + 4, o.y + 2));
}

TEST(FlatComboBox, SimpleStyleHasNoArrowButton)
{
    ComboOnForm c(csSimple);
    const int w = c.combo->Width();
    for (int x = w - 12; x < w - 1; ++x)
        EXPECT_NE(c.At(x, 4), FlatDownColor) << "at " << x << ",4";
}

TEST(FlatComboBox, DisabledArrowIsEmbossed)
{
    ComboOnForm c;
    c.combo->SetEnabled(false);
    POINT o = c.ArrowOrigin();
    EXPECT_EQ(c.At(o.x + 6, o.y), clGray) << Hex(c.At(o.x + 6, o.y));
    EXPECT_EQ(c.At(o.x + 9, o.y + 1), clWhite) << "the light copy one pixel down and right: " << Hex(c.At(o.x + 9, o.y + 1));
}

TEST(FlatComboBox, ArrowPointsUpWhileTheListIsOpen)
{
    ComboOnForm c;
    c.f.form->Show();
    PumpMessages();
    SendMessageA(c.combo->Handle(), CB_SHOWDROPDOWN, TRUE, 0);
    ASSERT_TRUE(c.combo->DroppedDown());
    POINT o = c.ArrowOrigin();
    EXPECT_EQ(c.At(o.x + 4, o.y + 2), clBlack) << "base at the bottom: " << Hex(c.At(o.x + 4, o.y + 2));
    EXPECT_EQ(c.At(o.x + 4, o.y), FlatDownColor) << Hex(c.At(o.x + 4, o.y));

    ValidateRect(c.combo->Handle(), nullptr);
    SendMessageA(c.combo->Handle(), CB_SHOWDROPDOWN, FALSE, 0);
    RECT update = {};
    GetUpdateRect(c.combo->Handle(), &update, FALSE);
    RECT arrow = c.combo->ArrowRect();
    RECT common;
    EXPECT_TRUE(IntersectRect(&common, &update, &arrow)) << "closing leaves the arrow to be repainted";
    PumpMessages();
    EXPECT_EQ(c.At(o.x + 4, o.y), clBlack) << "down again: " << Hex(c.At(o.x + 4, o.y));
}

TEST(FlatComboBox, FontChangeResetsTheItemHeight)
{
    ComboOnForm c;
    c.combo->SetItemHeight(20);
    c.combo->Font().SetSize(12);
    EXPECT_EQ(c.combo->ItemHeight(), 13);
}

TEST(FlatComboBox, AdvColorsNeedAParent)
{
    TFlatComboBox orphan(nullptr);
    orphan.SetUseAdvColors(true);
    EXPECT_EQ(orphan.ColorBorder(), FlatBorderColor) << Hex(orphan.ColorBorder());
    EXPECT_EQ(orphan.ColorArrowBackground(), FlatDownColor) << Hex(orphan.ColorArrowBackground());

    ComboOnForm c;
    c.f.form->SetColor(0xE1EAEB);
    c.combo->SetUseAdvColors(true);
    EXPECT_EQ(c.combo->ColorBorder(), 0xADC6C9) << "darkened by 50 from the parent: " << Hex(c.combo->ColorBorder());
    EXPECT_EQ(c.combo->ColorArrowBackground(), 0xE0EAEB) << "darkened by 10: " << Hex(c.combo->ColorArrowBackground());
}

TEST(FlatComboBox, InAParentThatIsThereAlreadyItFramesTheHeightTheSystemGivesIt)
{
    // As on the settings page: the parent's window exists, so the box's is made at once and
    // the system sets the field's height itself.
    FlatTestForm f{200, 60, clRed};
    auto* group = f.Add<TFlatGroupBox>(0, 0, 200, 60);
    group->SetTransparent(true);
    f.form->Handle();
    auto* combo = new TFlatComboBox(f.form.get());
    combo->SetStyle(csDropDownList);
    combo->SetParent(group);
    combo->SetBounds(10, 10, 120, 19);
    combo->AddItem("Arial");
    combo->SetItemIndex(0);
    RECT window;
    GetWindowRect(combo->Handle(), &window);
    const int height = window.bottom - window.top;
    EXPECT_EQ(combo->Height(), height);

    ASSERT_TRUE(f.ShowActive());
    combo->SetFocus();
    PumpMessages(100);
    // What the screen shows along the box's bottom rows, focused: the frame, and red below it.
    TBitmap screen(200, 60);
    {
        HDC desktop = GetDC(nullptr);
        BitBlt(screen.Canvas().Handle(), 0, 0, 200, 60, desktop, FlatTestForm::Left, FlatTestForm::Top, SRCCOPY);
        ReleaseDC(nullptr, desktop);
    }
    const int bottom = 10 + height - 1;
    for (int x = 12; x < 100; x += 11) {
        EXPECT_EQ(Hex(screen.PixelColor(x, bottom)), Hex(FlatBorderColor)) << "frame at " << x << "," << bottom;
        EXPECT_EQ(Hex(screen.PixelColor(x, bottom + 1)), Hex(clRed)) << "below the box at " << x;
    }
}
