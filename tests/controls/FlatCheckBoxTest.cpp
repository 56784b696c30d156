// The flat check box and radio button on a real form: toggling by the mouse and by code, the
// events they fire, grouping of radio buttons, tab stops, and how the marks look.
#include <windows.h>

#include "FlatCheckBox.h"
#include "FlatGroupBox.h"
#include "FlatRadioButton.h"
#include "FlatTestForm.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

constexpr TColor FormColour = clSilver;

struct CheckBoxOnForm {
    CheckBoxOnForm()
    {
        box = f.Add<TFlatCheckBox>(10, 10, 121, 17);
        box->SetCaption("Symbole");
        box->OnClick = [this](TComponent*) { events.push_back("click"); };
        box->OnMouseDown = [this](TComponent*, TMouseButton, TShiftState, int, int) { events.push_back("down"); };
        box->OnMouseUp = [this](TComponent*, TMouseButton, TShiftState, int, int) { events.push_back("up"); };
        f.form->Handle();
    }
    std::string Events() const
    {
        std::string text;
        for (const auto& e : events)
            text += e + " ";
        return text;
    }
    TColor Mark(int x, int y) { return FlatTestForm::Shot(*box)->PixelColor(x, y); }

    FlatTestForm f{160, 60, FormColour};
    TFlatCheckBox* box;
    std::vector<std::string> events;
};

}  // namespace

TEST(FlatCheckBox, ClickTogglesOnReleaseOverIt)
{
    CheckBoxOnForm c;
    ASSERT_TRUE(c.f.ShowActive()) << "the form is not shown active under the pointer";
    c.f.Click(20, 18);
    EXPECT_TRUE(c.box->Checked());
    EXPECT_EQ(c.Events(), "down click up ");
    EXPECT_EQ(GetFocus(), c.box->Handle()) << "a click takes the focus";
    c.f.Click(20, 18);
    EXPECT_FALSE(c.box->Checked()) << "second click";
}

TEST(FlatCheckBox, DraggingOffBeforeReleaseLeavesItAlone)
{
    CheckBoxOnForm c;
    ASSERT_TRUE(c.f.ShowActive()) << "the form is not shown active under the pointer";
    c.f.Move(20, 18);
    c.f.Press(20, 18);
    c.f.Move(20, 50);
    PumpMessages(300);
    EXPECT_TRUE(c.box->Hovered()) << "held on it, the mark stays lit";
    EXPECT_EQ(c.Mark(6, 8), FlatDownColor) << "and pressed: " << Hex(c.Mark(6, 8));
    c.f.Release(20, 50);
    EXPECT_FALSE(c.box->Checked()) << "released off the box";
    EXPECT_EQ(c.Events(), "down up ");
    PumpMessagesUntil([&] { return !c.box->Hovered(); }, 1000);
    EXPECT_FALSE(c.box->Hovered()) << "the timer noticed the pointer had gone";
}

TEST(FlatCheckBox, CodeChangesClickOnceEach)
{
    CheckBoxOnForm c;
    c.box->SetChecked(false);
    EXPECT_EQ(c.Events(), "") << "setting the current value";
    c.box->SetChecked(true);
    c.box->SetChecked(true);
    c.box->SetChecked(false);
    EXPECT_EQ(c.Events(), "click click ");
}

TEST(FlatCheckBox, RightButtonFiresNothing)
{
    CheckBoxOnForm c;
    c.f.Move(20, 18);
    c.f.Mouse(WM_RBUTTONDOWN, 20, 18, MK_RBUTTON);
    c.f.Mouse(WM_RBUTTONUP, 20, 18);
    EXPECT_EQ(c.Events(), "");
    EXPECT_FALSE(c.box->Checked());
}

TEST(FlatCheckBox, SpaceTogglesTheFocusedBox)
{
    CheckBoxOnForm c;
    ASSERT_TRUE(c.f.ShowActive()) << "the form is not shown active under the pointer";
    c.box->SetFocus();
    SendMessageA(c.box->Handle(), WM_CHAR, ' ', 0);
    EXPECT_TRUE(c.box->Checked());
    EXPECT_TRUE(c.box->HasFocus());
}

TEST(FlatCheckBox, DisabledWhileFocusedIsNotLitOnceEnabledAgain)
{
    CheckBoxOnForm c;
    ASSERT_TRUE(c.f.ShowActive()) << "the form is not shown active under the pointer";
    c.box->SetFocus();
    EXPECT_EQ(c.Mark(6, 5), FlatFocusedColor) << "lit while focused: " << Hex(c.Mark(6, 5));
    c.box->SetEnabled(false);
    c.box->SetEnabled(true);
    EXPECT_NE(GetFocus(), c.box->Handle()) << "disabling took the focus away";
    EXPECT_FALSE(c.box->HasFocus());
    EXPECT_EQ(c.Mark(6, 5), FormColour) << "enabled again, not lit: " << Hex(c.Mark(6, 5));
}

// The focus leaving a box under the mouse ends its hover look and its watch: moving over it
// again lights it anew.
TEST(FlatCheckBox, FocusLossEndsTheHoverAndItsTimer)
{
    CheckBoxOnForm c;
    auto* other = c.f.Add<TFlatCheckBox>(10, 35, 121, 17);
    ASSERT_TRUE(c.f.ShowActive()) << "the form is not shown active under the pointer";
    c.box->SetFocus();
    c.f.Move(20, 18);
    ASSERT_TRUE(c.box->Hovered());
    other->SetFocus();
    EXPECT_FALSE(c.box->Hovered());
    EXPECT_EQ(TFlatCheckBox::Hover().HotControl(), nullptr) << "nothing watched";
    EXPECT_FALSE(TFlatCheckBox::Hover().Timer()->Enabled()) << "the timer stopped";
    c.f.Move(21, 18);
    EXPECT_TRUE(c.box->Hovered()) << "hovered again";
}

TEST(FlatCheckBox, MarkColours)
{
    CheckBoxOnForm c;
    // The box spans 1..11 x 3..13; the first stroke of the check runs from (3, 7).
    EXPECT_EQ(c.Mark(1, 3), FlatBorderColor) << "frame: " << Hex(c.Mark(1, 3));
    EXPECT_EQ(c.Mark(6, 5), FormColour) << "face of an idle box: " << Hex(c.Mark(6, 5));
    EXPECT_EQ(c.Mark(3, 7), FormColour) << "unchecked: " << Hex(c.Mark(3, 7));
    c.box->SetChecked(true);
    EXPECT_EQ(c.Mark(3, 7), clBlack) << "checked: " << Hex(c.Mark(3, 7));
    c.box->SetEnabled(false);
    EXPECT_EQ(c.Mark(3, 7), static_cast<TColor>(ColorToRGB(clBtnShadow))) << "disabled: " << Hex(c.Mark(3, 7));
}

TEST(FlatCheckBox, BoxOnTheRightPutsTheCaptionBeforeIt)
{
    CheckBoxOnForm c;
    c.box->SetLayout(checkboxRight);
    auto shot = FlatTestForm::Shot(*c.box);
    EXPECT_EQ(shot->PixelColor(121 - 12, 3), FlatBorderColor) << Hex(shot->PixelColor(121 - 12, 3));
    int rightmostText = -1;
    for (int y = 1; y < 16; ++y)
        for (int x = 0; x < 121 - 12; ++x)
            if (shot->PixelColor(x, y) != FormColour)
                rightmostText = std::max(rightmostText, x);
    EXPECT_LT(rightmostText, 121 - 16) << "the caption ends 16 pixels before the edge";
    EXPECT_GE(rightmostText, 121 - 16 - 3) << "right-aligned";
}

TEST(FlatRadioButton, CheckingUnchecksItsGroupOnTheSameParentOnly)
{
    FlatTestForm f(200, 140, FormColour);
    auto* first = f.Add<TFlatRadioButton>(10, 10, 100, 17);
    auto* second = f.Add<TFlatRadioButton>(10, 30, 100, 17);
    auto* otherGroup = f.Add<TFlatRadioButton>(10, 50, 100, 17);
    otherGroup->SetGroupIndex(1);
    auto* box = f.Add<TFlatGroupBox>(110, 10, 80, 100);
    auto* elsewhere = new TFlatRadioButton(box);
    elsewhere->SetParent(box);
    elsewhere->SetBounds(5, 20, 70, 17);
    f.form->Handle();

    int clicks = 0;
    for (TFlatRadioButton* r : {first, second, otherGroup, elsewhere})
        r->OnClick = [&clicks](TComponent*) { ++clicks; };
    second->SetChecked(true);
    otherGroup->SetChecked(true);
    elsewhere->SetChecked(true);
    clicks = 0;

    first->SetChecked(true);
    EXPECT_FALSE(second->Checked());
    EXPECT_TRUE(otherGroup->Checked()) << "another GroupIndex";
    EXPECT_TRUE(elsewhere->Checked()) << "another parent";
    EXPECT_EQ(clicks, 1) << "only the checked button clicks";

    first->SetChecked(false);
    EXPECT_EQ(clicks, 1) << "unchecking by code fires nothing";
}

TEST(FlatRadioButton, OnlyACheckedButtonIsATabStop)
{
    FlatTestForm f;
    auto* radio = f.Add<TFlatRadioButton>(10, 10, 100, 17);
    auto tabStop = [radio] { return (GetWindowLongA(radio->Handle(), GWL_STYLE) & WS_TABSTOP) != 0; };
    EXPECT_FALSE(tabStop());
    radio->SetChecked(true);
    EXPECT_TRUE(tabStop());
    EXPECT_TRUE(radio->TabStop());
    radio->SetChecked(false);
    EXPECT_FALSE(tabStop());
}

TEST(FlatRadioButton, ClickChecksAndASecondClickKeepsIt)
{
    FlatTestForm f(160, 60, FormColour);
    auto* radio = f.Add<TFlatRadioButton>(10, 10, 100, 17);
    int clicks = 0;
    radio->OnClick = [&clicks](TComponent*) { ++clicks; };
    f.form->Handle();
    f.Click(20, 18);
    f.Click(20, 18);
    EXPECT_TRUE(radio->Checked());
    EXPECT_EQ(clicks, 1);
    // Dot centre of the circle at 1..11 x 3..13.
    EXPECT_EQ(FlatTestForm::Shot(*radio)->PixelColor(5, 8), clBlack) << Hex(FlatTestForm::Shot(*radio)->PixelColor(5, 8));
}
