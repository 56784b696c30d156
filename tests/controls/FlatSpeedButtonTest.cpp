// The flat speed button on a real form: latching in groups, clicks only for releases over it,
// the glyph strip, its faces by state, and the hover timer it shares with its kind.
#include <windows.h>

#include "FlatSpeedButton.h"
#include "FlatTestForm.h"

#include <gtest/gtest.h>

namespace {

constexpr TColor FormColour = clSilver;

struct TwoButtons {
    TwoButtons()
    {
        a = f.Add<TFlatSpeedButton>(10, 10, 30, 30);
        b = f.Add<TFlatSpeedButton>(50, 10, 30, 30);
        a->OnClick = [this](TComponent*) { ++clicksA; };
        b->OnClick = [this](TComponent*) { ++clicksB; };
        f.form->Handle();
    }
    void ClickA() { f.Click(25, 25); }
    void ClickB() { f.Click(65, 25); }

    FlatTestForm f{120, 60, FormColour};
    TFlatSpeedButton* a;
    TFlatSpeedButton* b;
    int clicksA = 0;
    int clicksB = 0;
};

}  // namespace

TEST(FlatSpeedButton, WithoutGroupNeverStaysDown)
{
    TwoButtons t;
    t.a->SetDown(true);
    EXPECT_FALSE(t.a->Down());
    t.ClickA();
    EXPECT_FALSE(t.a->Down()) << "after a click";
    EXPECT_EQ(t.a->State(), bsUp);
    EXPECT_EQ(t.clicksA, 1);
}

TEST(FlatSpeedButton, GroupKeepsOneButtonDown)
{
    TwoButtons t;
    t.a->SetGroupIndex(1);
    t.b->SetGroupIndex(1);
    t.ClickA();
    EXPECT_TRUE(t.a->Down());
    t.ClickB();
    EXPECT_TRUE(t.b->Down());
    EXPECT_FALSE(t.a->Down()) << "the other button of the group went up";
    EXPECT_EQ(t.a->State(), bsUp);

    t.ClickB();
    EXPECT_TRUE(t.b->Down()) << "without AllowAllUp a click leaves the down button down";
    EXPECT_EQ(t.clicksB, 2) << "each release over it still clicks";
    t.b->SetDown(false);
    EXPECT_TRUE(t.b->Down()) << "nor can code release it";

    t.b->SetAllowAllUp(true);
    EXPECT_TRUE(t.a->AllowAllUp()) << "the group shares AllowAllUp";
    t.ClickB();
    EXPECT_FALSE(t.b->Down()) << "with AllowAllUp a click releases it";
}

TEST(FlatSpeedButton, OtherGroupsAndCodeChanges)
{
    TwoButtons t;
    t.a->SetGroupIndex(1);
    t.b->SetGroupIndex(2);
    t.a->SetDown(true);
    t.b->SetDown(true);
    EXPECT_TRUE(t.a->Down()) << "a button of another group leaves it alone";
    EXPECT_EQ(t.clicksA + t.clicksB, 0) << "code fires no click";
    EXPECT_EQ(t.a->State(), bsExclusive);
}

TEST(FlatSpeedButton, DraggingOffBeforeReleaseIsNoClick)
{
    for (int group : {0, 1}) {
        TwoButtons t;
        t.a->SetGroupIndex(group);
        t.f.Move(25, 25);
        t.f.Press(25, 25);
        EXPECT_EQ(t.a->State(), bsDown) << "group " << group;
        t.f.Move(100, 50);
        EXPECT_EQ(t.a->State(), bsUp) << "group " << group << ", dragged off";
        t.f.Release(100, 50);
        EXPECT_EQ(t.clicksA, 0) << "group " << group;
        EXPECT_FALSE(t.a->Down()) << "group " << group;
    }
}

TEST(FlatSpeedButton, ReleasedOffWithoutMovingOutComesUp)
{
    // The release is the first the button hears of the pointer being elsewhere.
    TwoButtons t;
    t.a->SetGroupIndex(1);
    t.f.Move(25, 25);
    t.f.Press(25, 25);
    t.f.Release(100, 50);
    EXPECT_EQ(t.clicksA, 0);
    EXPECT_FALSE(t.a->Down());
    EXPECT_EQ(t.a->State(), bsUp);
    EXPECT_EQ(t.f.Shown(25, 25), FormColour) << "face after the release: " << Hex(t.f.Shown(25, 25));
}

TEST(FlatSpeedButton, GlyphStripSetsTheImageCount)
{
    TwoButtons t;
    const struct {
        int width, height, before, after;
    } cases[] = {{64, 16, 1, 4}, {80, 16, 2, 1}, {20, 16, 2, 2}, {32, 16, 3, 2}, {16, 16, 3, 1}};
    for (const auto& c : cases) {
        t.a->SetNumGlyphs(c.before);
        t.a->SetGlyph(TBitmap(c.width, c.height));
        EXPECT_EQ(t.a->NumGlyphs(), c.after) << c.width << "x" << c.height << " after " << c.before;
    }
}

TEST(FlatSpeedButton, MarginBelowMinusOneIsIgnored)
{
    TwoButtons t;
    t.a->SetMargin(3);
    t.a->SetMargin(-2);
    EXPECT_EQ(t.a->Margin(), 3);
    t.a->SetMargin(-1);
    EXPECT_EQ(t.a->Margin(), -1);
}

TEST(FlatSpeedButton, FaceAndFrameFollowTheState)
{
    TwoButtons t;
    t.a->SetGroupIndex(1);
    EXPECT_EQ(t.f.Shown(25, 25), FormColour) << "up face takes the parent's colour: " << Hex(t.f.Shown(25, 25));
    EXPECT_EQ(t.f.Shown(10, 10), FlatBorderColor) << "up frame: " << Hex(t.f.Shown(10, 10));
    t.f.Move(25, 25);
    t.f.Press(25, 25);
    EXPECT_EQ(t.f.Shown(25, 25), FlatDownColor) << "pressed face: " << Hex(t.f.Shown(25, 25));
    EXPECT_EQ(t.f.Shown(10, 10), clBlack) << "pressed frame is sunk: " << Hex(t.f.Shown(10, 10));
    EXPECT_EQ(t.f.Shown(39, 39), clWhite) << "pressed frame is sunk: " << Hex(t.f.Shown(39, 39));
    t.f.Release(25, 25);
    ASSERT_TRUE(t.a->Down());

    t.a->SetTransparentMode(tmAlways);
    EXPECT_EQ(t.f.Shown(25, 25), FormColour) << "tmAlways never fills the face: " << Hex(t.f.Shown(25, 25));
    EXPECT_EQ(t.f.Shown(10, 10), clBlack) << "but draws the frame: " << Hex(t.f.Shown(10, 10));
}

TEST(FlatSpeedButton, DisabledButtonIgnoresTheMouse)
{
    TwoButtons t;
    t.a->SetEnabled(false);
    t.ClickA();
    EXPECT_EQ(t.clicksA, 0);
    t.f.Shown(0, 0);
    EXPECT_EQ(t.a->State(), bsDisabled);
    t.a->SetEnabled(true);
    t.f.Shown(0, 0);
    EXPECT_EQ(t.a->State(), bsUp) << "enabled again";
}

TEST(FlatSpeedButton, ClickSetsTheFormsModalResult)
{
    TwoButtons t;
    t.a->SetModalResult(mrOk);
    t.ClickA();
    EXPECT_EQ(t.f.form->ModalResult(), mrOk);
}

TEST(FlatSpeedButton, HoverMovesFromOneButtonToTheNext)
{
    PumpMessages();
    ASSERT_EQ(TFlatSpeedButton::Hover().Timer(), nullptr) << "no button lives, yet the timer does";
    {
        TwoButtons t;
        ASSERT_TRUE(t.f.ShowActive()) << "the form is not shown active under the pointer";
        THoverRecord& hover = TFlatSpeedButton::Hover();
        EXPECT_EQ(hover.InstanceCount(), 2);
        t.f.Move(25, 25);
        EXPECT_TRUE(t.a->Hovered());
        EXPECT_EQ(hover.HotControl(), t.a);
        ASSERT_NE(hover.Timer(), nullptr);
        EXPECT_TRUE(hover.Timer()->Enabled());
        EXPECT_EQ(t.f.Shown(25, 25), FlatFaceColor) << "hovered face: " << Hex(t.f.Shown(25, 25));
        EXPECT_EQ(t.f.Shown(10, 10), clWhite) << "hovered frame is raised: " << Hex(t.f.Shown(10, 10));

        t.f.Move(65, 25);
        EXPECT_FALSE(t.a->Hovered()) << "the first left";
        EXPECT_TRUE(t.b->Hovered()) << "the second entered in the same move";
        EXPECT_EQ(hover.HotControl(), t.b);
        EXPECT_TRUE(hover.Timer()->Enabled()) << "the timer keeps watching the second";

        // The timer notices the pointer going where no message reports it.
        SetCursorPos(FlatTestForm::Left + 300, FlatTestForm::Top + 300);
        PumpMessagesUntil([&] { return !t.b->Hovered(); }, 1000);
        EXPECT_FALSE(t.b->Hovered()) << "after the pointer went away";
        EXPECT_EQ(hover.HotControl(), nullptr);

        ASSERT_TRUE(t.f.ShowActive()) << "the form is not shown active under the pointer";
        t.f.Move(65, 25);
        ASSERT_EQ(hover.HotControl(), t.b);
        delete t.b;
        EXPECT_EQ(hover.HotControl(), nullptr) << "destroying the hot button stops the watch";
        EXPECT_FALSE(hover.Timer()->Enabled());
    }
    EXPECT_EQ(TFlatSpeedButton::Hover().Timer(), nullptr) << "the last button freed the timer";
}

TEST(FlatSpeedButton, PressedButtonKeepsItsHoverWhenThePointerLeaves)
{
    TwoButtons t;
    ASSERT_TRUE(t.f.ShowActive()) << "the form is not shown active under the pointer";
    t.f.Move(25, 25);
    t.f.Press(25, 25);
    SetCursorPos(FlatTestForm::Left + 300, FlatTestForm::Top + 300);
    PumpMessages(300);
    EXPECT_TRUE(t.a->Hovered()) << "a pressed button stays lit";
    t.f.Release(100, 50);
    EXPECT_FALSE(t.a->Hovered()) << "after the release elsewhere";
}
