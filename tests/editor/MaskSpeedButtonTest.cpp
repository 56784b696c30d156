// The latching tool button: the row it shows while latched and while the mouse works on it,
// when it latches, and that reading its state changes nothing.
#include <windows.h>

#include "Bitmap.h"
#include "Forms.h"
#include "ImageList.h"
#include "Pixels.h"
#include "TestForm.h"
#include "TransparentKey.h"
#include "maskspeedbutton.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

// The manager's small round button strip: 21 x 110, rows of 22, a black round click mask.
std::string StripFile()
{
    return QL_TEST_DATA "/ilButtonsRund_Klein.bmp";
}

constexpr int StripWidth = 21;
constexpr int RowHeight = 22;
constexpr int ButtonLeft = 10;
constexpr int ButtonTop = 10;
// On the face: the middle lies inside the round mask, the corner outside it.
constexpr POINT Middle = {10, 10};
constexpr POINT Corner = {0, 0};

const char* LookName(TMaskButtonLook look)
{
    static const char* names[] = {"normal", "hover", "pressed", "disabled"};
    return names[look];
}

// A form with two tool buttons side by side; the second one is only there for tests of a
// group.
struct ToolButtons : TestForm {
    ToolButtons() : TestForm(50, 50, 80, 40)
    {
        art.LoadFromFile(StripFile());
        strip.AddMasked(art, TransparentKeyColor);
        form->SetColor(clWhite);
        buttons[0] = Add<TMaskSpeedButton>(ButtonLeft, ButtonTop, StripWidth, RowHeight);
        buttons[1] = Add<TMaskSpeedButton>(ButtonLeft + 30, ButtonTop, StripWidth, RowHeight);
        for (TMaskSpeedButton* button : buttons)
            button->SetImageList(&strip);
        // Mouse messages in the first button's coordinates, through the form as the system sends them.
        mouseOrigin = {ButtonLeft, ButtonTop};
        buttons[0]->OnClick = [this](TComponent*) { ++clicks; };
        form->Handle();
    }
    ~ToolButtons()
    {
        form.reset();   // the buttons go before the list they watch
    }

    TMaskSpeedButton& button() { return *buttons[0]; }

    // The colour the form shows in the middle of a button.
    TColor Shown(int buttonIndex = 0)
    {
        return Shot()->PixelColor(buttons[buttonIndex]->Left() + Middle.x, buttons[buttonIndex]->Top() + Middle.y);
    }
    // The strip's own colour at the middle of a row.
    TColor Row(TMaskButtonLook look) const { return art.PixelColor(Middle.x, look * RowHeight + Middle.y); }

    // Which row the middle of a button shows, by its colour.
    std::string ShownRow(int buttonIndex = 0)
    {
        TColor shown = Shown(buttonIndex);
        for (TMaskButtonLook look : {mlNormal, mlHover, mlPressed, mlDisabled})
            if (shown == Row(look))
                return LookName(look);
        return "none of the rows: " + Hex(shown);
    }

    TBitmap art;
    TImageList strip{StripWidth, 5 * RowHeight};
    TMaskSpeedButton* buttons[2] = {};
    int clicks = 0;
};

}  // namespace

TEST(MaskSpeedButton, TheRowsOfTheArtTellTheLooksApart)
{
    ToolButtons b;
    ASSERT_EQ(b.art.Width(), StripWidth);
    ASSERT_EQ(b.art.Height(), 5 * RowHeight);
    for (TMaskButtonLook one : {mlNormal, mlHover, mlPressed, mlDisabled})
        for (TMaskButtonLook other : {mlNormal, mlHover, mlPressed, mlDisabled})
            if (one != other) {
                ASSERT_NE(b.Row(one), b.Row(other)) << LookName(one) << " and " << LookName(other);
            }
    EXPECT_TRUE(b.button().HitTest(Middle.x, Middle.y));
    EXPECT_FALSE(b.button().HitTest(Corner.x, Corner.y));
}

TEST(MaskSpeedButton, LatchedButtonKeepsThePressedRowWhateverThePointerDoes)
{
    ToolButtons b;
    EXPECT_EQ(b.ShownRow(), "normal");
    b.button().SetButtonDown(true);
    EXPECT_EQ(b.ShownRow(), "pressed") << "just latched";

    const struct {
        const char* what;
        std::function<void()> step;
    } steps[] = {
        {"pointer over the mask", [&] { b.Move(Middle); }},
        {"pointer on the face outside the mask", [&] { b.Move(Corner); }},
        {"pointer back on the mask", [&] { b.Move(Middle); }},
        {"pointer beyond the button", [&] { b.Move(POINT{StripWidth + 3, Middle.y}); }},
        {"pointer off the form", [&] { b.MoveAway(); }},
    };
    for (const auto& s : steps) {
        s.step();
        EXPECT_EQ(b.button().Look(), mlPressed) << s.what << ": look " << LookName(b.button().Look());
        EXPECT_EQ(b.ShownRow(), "pressed") << s.what;
        EXPECT_TRUE(b.button().ButtonDown()) << s.what;
    }
}

TEST(MaskSpeedButton, AClickInsideTheMaskLatches)
{
    ToolButtons b;
    b.Move(Middle);
    EXPECT_EQ(b.ShownRow(), "hover");
    b.Press(Middle);
    EXPECT_EQ(b.ShownRow(), "pressed");
    b.Release(Middle);
    EXPECT_EQ(b.clicks, 1);
    EXPECT_TRUE(b.button().ButtonDown());
    EXPECT_FALSE(b.button().Pressed());
    EXPECT_EQ(b.ShownRow(), "pressed") << "after the release";
    b.Move(Corner);
    b.MoveAway();
    EXPECT_EQ(b.ShownRow(), "pressed") << "after the pointer left";
}

TEST(MaskSpeedButton, OnlyAClickLatches)
{
    struct Step {
        UINT msg;
        POINT at;
    };
    const POINT beyond = {StripWidth + 4, Middle.y};
    const struct {
        const char* what;
        std::vector<Step> steps;
    } cases[] = {
        {"release outside the mask after a move there",
         {{WM_LBUTTONDOWN, Middle}, {WM_MOUSEMOVE, Corner}, {WM_LBUTTONUP, Corner}}},
        {"release outside the mask with no move reported before it",
         {{WM_LBUTTONDOWN, Middle}, {WM_LBUTTONUP, Corner}}},
        {"release beyond the button", {{WM_LBUTTONDOWN, Middle}, {WM_MOUSEMOVE, beyond}, {WM_LBUTTONUP, beyond}}},
        {"press outside the mask, release inside",
         {{WM_LBUTTONDOWN, Corner}, {WM_MOUSEMOVE, Middle}, {WM_LBUTTONUP, Middle}}},
        {"press and release outside the mask", {{WM_LBUTTONDOWN, Corner}, {WM_LBUTTONUP, Corner}}},
        {"right button inside", {{WM_MOUSEMOVE, Middle}, {WM_RBUTTONDOWN, Middle}, {WM_RBUTTONUP, Middle}}},
    };
    for (const auto& c : cases) {
        ToolButtons b;
        for (const Step& s : c.steps) {
            WPARAM keys = s.msg == WM_LBUTTONDOWN ? MK_LBUTTON : s.msg == WM_RBUTTONDOWN ? MK_RBUTTON : 0;
            b.Send(s.msg, s.at, keys);
        }
        EXPECT_EQ(b.clicks, 0) << c.what;
        EXPECT_FALSE(b.button().ButtonDown()) << c.what;
        EXPECT_NE(b.button().Look(), mlPressed) << c.what;
        EXPECT_NE(b.ShownRow(), "pressed") << c.what;
        b.MoveAway();
        EXPECT_EQ(b.ShownRow(), "normal") << c.what << ", pointer gone";
    }
}

TEST(MaskSpeedButton, AHandlerThatChoosesAnotherToolHasTheLastWord)
{
    // As the editor does while a polygon is open: any tool button latches the polygon's.
    ToolButtons b;
    TMaskSpeedButton* polygon = b.buttons[1];
    b.button().OnClick = [&](TComponent*) {
        for (TMaskSpeedButton* button : b.buttons)
            button->SetButtonDown(false);
        polygon->SetButtonDown(true);
    };
    b.Move(Middle);
    b.Press(Middle);
    b.Release(Middle);
    EXPECT_FALSE(b.button().ButtonDown());
    EXPECT_NE(b.ShownRow(0), "pressed") << "the clicked button";
    EXPECT_TRUE(polygon->ButtonDown());
    EXPECT_EQ(b.ShownRow(1), "pressed") << "the chosen button";
}

TEST(MaskSpeedButton, ReadingButtonDownChangesNothing)
{
    ToolButtons b;
    b.Move(Middle);
    ASSERT_EQ(b.button().Look(), mlHover);
    EXPECT_FALSE(b.button().ButtonDown());
    EXPECT_EQ(b.button().Look(), mlHover) << "look " << LookName(b.button().Look());
    EXPECT_EQ(b.ShownRow(), "hover");

    // Read between press and release, it must not cost the click.
    b.Press(Middle);
    EXPECT_FALSE(b.button().ButtonDown());
    EXPECT_TRUE(b.button().Pressed());
    b.Release(Middle);
    EXPECT_EQ(b.clicks, 1);
    EXPECT_TRUE(b.button().ButtonDown());
}

TEST(MaskSpeedButton, ReleasingTheLatchShowsTheNormalRow)
{
    ToolButtons b;
    b.button().SetButtonDown(true);
    b.Move(Middle);
    b.button().SetButtonDown(false);
    EXPECT_EQ(b.button().Look(), mlNormal) << LookName(b.button().Look());
    EXPECT_EQ(b.ShownRow(), "normal");
    // From now on the mouse counts again.
    b.Move(POINT{Middle.x + 1, Middle.y});
    EXPECT_EQ(b.ShownRow(), "hover");
    b.MoveAway();
    EXPECT_EQ(b.ShownRow(), "normal");
}

TEST(MaskSpeedButton, LatchedButtonDisabledAndEnabledAgainStillShowsItsLatch)
{
    ToolButtons b;
    b.button().SetButtonDown(true);
    b.button().SetEnabled(false);
    EXPECT_EQ(b.ShownRow(), "disabled");
    b.Press(Middle);
    b.Release(Middle);
    EXPECT_EQ(b.clicks, 0) << "a disabled button never clicks";
    b.button().SetEnabled(true);
    EXPECT_EQ(b.ShownRow(), "pressed");
    EXPECT_TRUE(b.button().ButtonDown());
}
