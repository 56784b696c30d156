// The image-strip button: its hit test against the click mask, the rows it shows while the
// mouse works on it, when it clicks, and what happens when its image lists go away.
#include <windows.h>

#include "Bitmap.h"
#include "Forms.h"
#include "ImageList.h"
#include "MaskButton.h"
#include "Pixels.h"
#include "TestForm.h"
#include "TransparentKey.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int Size = 20;
constexpr int ButtonLeft = 10;
constexpr int ButtonTop = 10;
const TColor RowColours[4] = {clRed, clLime, clBlue, clGray};
constexpr TColor FormColour = clWhite;

// One 20 x 100 image: four coloured rows, each with a key-coloured 4x4 corner at the bottom
// right, and a click mask that is black in the left half and key-coloured in the right.
void LoadStrip(TImageList& list)
{
    TBitmap strip(Size, 5 * Size);
    for (int row = 0; row < 4; ++row) {
        FillRect(strip, RECT{0, row * Size, Size, (row + 1) * Size}, RowColours[row]);
        FillRect(strip, RECT{Size - 4, (row + 1) * Size - 4, Size, (row + 1) * Size}, TransparentKeyColor);
    }
    FillRect(strip, RECT{0, 4 * Size, Size / 2, 5 * Size}, clBlack);
    FillRect(strip, RECT{Size / 2, 4 * Size, Size, 5 * Size}, TransparentKeyColor);
    list.AddMasked(strip, TransparentKeyColor);
}

// Two 6x6 glyphs: yellow and purple.
void LoadGlyphs(TImageList& list)
{
    TBitmap strip(12, 6);
    FillRect(strip, RECT{0, 0, 6, 6}, clYellow);
    FillRect(strip, RECT{6, 0, 12, 6}, clPurple);
    list.AddMasked(strip, TransparentKeyColor);
}

struct ButtonOnForm : TestForm {
    ButtonOnForm() : TestForm(50, 50, 60, 40)
    {
        LoadStrip(strip);
        LoadGlyphs(glyphs);
        form->SetColor(FormColour);
        button = Add<TMaskButton>(ButtonLeft, ButtonTop, 30, 30);
        // Mouse messages in the button's own coordinates, through the form as the system sends them.
        mouseOrigin = {ButtonLeft, ButtonTop};
        button->SetImageList(&strip);
        button->SetTransparent(true);
        button->OnClick = [this](TComponent*) { ++clicks; };
        form->Handle();
    }
    ~ButtonOnForm()
    {
        form.reset();   // the button goes before the lists it watches
    }

    // The colour the form shows at a point of the button.
    TColor Shown(int x, int y) { return Shot()->PixelColor(ButtonLeft + x, ButtonTop + y); }

    TImageList strip{Size, 5 * Size};
    TImageList glyphs{6, 6};
    TMaskButton* button;
    int clicks = 0;
};

}  // namespace

TEST(MaskButton, RowHeightRoundsToNearest)
{
    const struct {
        int listHeight, rowHeight;
    } cases[] = {{27, 5}, {28, 6}, {240, 48}, {110, 22}, {7, 1}, {8, 2}, {0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(MaskButtonRowHeight(c.listHeight), c.rowHeight) << "list height " << c.listHeight;
}

TEST(MaskButton, TakesTheSizeOfOneRow)
{
    ButtonOnForm b;
    EXPECT_EQ(b.button->Width(), Size);
    EXPECT_EQ(b.button->Height(), Size);
}

TEST(MaskButton, HitTestFollowsTheClickMask)
{
    ButtonOnForm b;
    const struct {
        int x, y;
        bool inside;
    } cases[] = {{0, 0, true}, {9, 19, true}, {5, 10, true}, {10, 0, false}, {19, 19, false},
                 {-1, 5, false}, {5, -1, false}, {20, 5, false}, {5, 20, false}};
    for (const auto& c : cases)
        EXPECT_EQ(b.button->HitTest(c.x, c.y), c.inside) << "at " << c.x << "," << c.y;
}

TEST(MaskButton, TheScratchBackgroundNeverPassesAsTheClickColour)
{
    ButtonOnForm b;
    // White was the colour a fresh scratch image starts with: the mask's transparent half
    // would have counted as the button.
    for (TColor click : {clWhite, clRed, TransparentKeyColor}) {
        b.button->SetClickColor(click);
        for (POINT p : {POINT{15, 5}, POINT{5, 5}})
            EXPECT_FALSE(b.button->HitTest(p.x, p.y)) << "click colour " << Hex(click) << " at " << p.x << "," << p.y;
    }
}

TEST(MaskButton, ShowsTheRowOfItsLook)
{
    ButtonOnForm b;
    EXPECT_EQ(b.Shown(2, 2), RowColours[mlNormal]) << Hex(b.Shown(2, 2));
    b.Move(2, 2);
    EXPECT_EQ(b.button->Look(), mlHover);
    EXPECT_EQ(b.Shown(2, 2), RowColours[mlHover]) << Hex(b.Shown(2, 2));
    b.Press(2, 2);
    EXPECT_EQ(b.Shown(2, 2), RowColours[mlPressed]) << Hex(b.Shown(2, 2));
    b.Release(2, 2);
    EXPECT_EQ(b.Shown(2, 2), RowColours[mlHover]) << "after the release: " << Hex(b.Shown(2, 2));
    b.Move(15, 2);
    EXPECT_EQ(b.Shown(2, 2), RowColours[mlNormal]) << "off the mask: " << Hex(b.Shown(2, 2));
    b.Move(2, 2);
    b.MoveAway();
    EXPECT_EQ(b.button->Look(), mlNormal);
    EXPECT_EQ(b.Shown(2, 2), RowColours[mlNormal]) << "after leaving: " << Hex(b.Shown(2, 2));
}

TEST(MaskButton, TransparentFaceLetsTheFormShowThroughKeyPixels)
{
    ButtonOnForm b;
    EXPECT_EQ(b.Shown(18, 18), FormColour) << Hex(b.Shown(18, 18));
    EXPECT_EQ(b.Shown(14, 14), RowColours[mlNormal]) << Hex(b.Shown(14, 14));
}

TEST(MaskButton, GlyphIsCentredAndMovesWhilePressed)
{
    ButtonOnForm b;
    b.button->SetGlyphImageList(&b.glyphs);
    b.button->SetGlyphImageIndex(1);
    b.button->SetDisabledGlyphIndex(0);
    // Centre 10, half a glyph 3: the glyph covers 7..12.
    EXPECT_EQ(b.Shown(7, 7), clPurple) << Hex(b.Shown(7, 7));
    EXPECT_EQ(b.Shown(13, 13), RowColours[mlNormal]) << Hex(b.Shown(13, 13));
    b.Press(2, 2);
    EXPECT_EQ(b.Shown(13, 13), clPurple) << "pressed: " << Hex(b.Shown(13, 13));
    EXPECT_EQ(b.Shown(7, 7), RowColours[mlPressed]) << "pressed: " << Hex(b.Shown(7, 7));
    b.Release(2, 2);
    b.button->SetEnabled(false);
    EXPECT_EQ(b.Shown(7, 7), clYellow) << "disabled glyph: " << Hex(b.Shown(7, 7));
}

TEST(MaskButton, ClicksOnlyForPressAndReleaseInsideTheMask)
{
    struct Step {
        UINT msg;
        int x, y;
    };
    const struct {
        const char* what;
        std::vector<Step> steps;
        int clicks;
    } cases[] = {
        {"press and release inside", {{WM_LBUTTONDOWN, 3, 3}, {WM_LBUTTONUP, 3, 3}}, 1},
        {"release outside the mask",
         {{WM_LBUTTONDOWN, 3, 3}, {WM_MOUSEMOVE, 15, 3}, {WM_LBUTTONUP, 15, 3}}, 0},
        {"release outside the mask with no move before it",
         {{WM_LBUTTONDOWN, 3, 3}, {WM_LBUTTONUP, 15, 3}}, 0},
        {"release outside the button",
         {{WM_LBUTTONDOWN, 3, 3}, {WM_MOUSEMOVE, 35, 3}, {WM_LBUTTONUP, 35, 3}}, 0},
        {"out and back in",
         {{WM_LBUTTONDOWN, 3, 3}, {WM_MOUSEMOVE, 15, 3}, {WM_MOUSEMOVE, 4, 4}, {WM_LBUTTONUP, 4, 4}}, 1},
        {"press outside the mask", {{WM_LBUTTONDOWN, 15, 3}, {WM_LBUTTONUP, 15, 3}}, 0},
        {"press outside, release inside",
         {{WM_LBUTTONDOWN, 15, 3}, {WM_MOUSEMOVE, 3, 3}, {WM_LBUTTONUP, 3, 3}}, 0},
        {"right button", {{WM_RBUTTONDOWN, 3, 3}, {WM_RBUTTONUP, 3, 3}}, 0},
    };
    for (const auto& c : cases) {
        ButtonOnForm b;
        for (const Step& s : c.steps) {
            WPARAM keys = s.msg == WM_LBUTTONDOWN ? MK_LBUTTON : s.msg == WM_RBUTTONDOWN ? MK_RBUTTON : 0;
            b.Send(s.msg, s.x, s.y, keys);
        }
        EXPECT_EQ(b.clicks, c.clicks) << c.what;
        EXPECT_FALSE(b.button->Pressed()) << c.what << ": still pressed after the release";
    }
}

TEST(MaskButton, PressOutsideTheMaskShowsNoPressedLook)
{
    ButtonOnForm b;
    b.Press(15, 3);
    EXPECT_NE(b.button->Look(), mlPressed);
    EXPECT_EQ(b.Shown(2, 2), RowColours[mlNormal]) << Hex(b.Shown(2, 2));
}

TEST(MaskButton, DisabledButtonTracksTheMouseButNeverClicks)
{
    ButtonOnForm b;
    b.button->SetEnabled(false);
    EXPECT_FALSE(b.button->Enabled());
    for (auto step : {WM_MOUSEMOVE, WM_LBUTTONDOWN}) {
        b.Send(step, 3, 3, step == WM_LBUTTONDOWN ? MK_LBUTTON : 0);
        EXPECT_EQ(b.Shown(2, 2), RowColours[mlDisabled]) << "after message " << step << ": " << Hex(b.Shown(2, 2));
    }
    b.Release(3, 3);
    EXPECT_EQ(b.clicks, 0);
    EXPECT_EQ(b.Shown(2, 2), RowColours[mlDisabled]) << Hex(b.Shown(2, 2));

    b.button->SetEnabled(true);
    b.Press(3, 3);
    b.Release(3, 3);
    EXPECT_EQ(b.clicks, 1) << "enabled again";
}

TEST(MaskButton, ReadingEnabledLeavesTheLookAlone)
{
    ButtonOnForm b;
    b.Move(2, 2);
    ASSERT_EQ(b.button->Look(), mlHover);
    EXPECT_TRUE(b.button->Enabled());
    EXPECT_EQ(b.button->Look(), mlHover) << "look after reading Enabled: " << b.button->Look();
}

TEST(MaskButton, ForgetsImageListsThatAreDestroyed)
{
    ButtonOnForm b;
    auto strip = std::make_unique<TImageList>(Size, 5 * Size);
    auto glyphs = std::make_unique<TImageList>(6, 6);
    LoadStrip(*strip);
    LoadGlyphs(*glyphs);
    b.button->SetImageList(strip.get());
    b.button->SetImageIndex(0);
    b.button->SetGlyphImageList(glyphs.get());

    glyphs.reset();
    EXPECT_EQ(b.button->GlyphImageList(), nullptr);
    EXPECT_EQ(b.Shown(2, 2), RowColours[mlNormal]) << "painted without glyphs: " << Hex(b.Shown(2, 2));
    strip.reset();
    EXPECT_EQ(b.button->ImageList(), nullptr);
    EXPECT_EQ(b.button->ImageIndex(), 0);
    b.Shown(2, 2);   // paints without any list
    b.Move(2, 2);
    EXPECT_FALSE(b.button->HitTest(2, 2));
}

TEST(MaskButton, OneListAsStripAndGlyphsIsWatchedUntilBothLetGo)
{
    ButtonOnForm b;
    auto shared = std::make_unique<TImageList>(Size, 5 * Size);
    LoadStrip(*shared);
    b.button->SetImageList(shared.get());
    b.button->SetGlyphImageList(shared.get());
    b.button->SetImageList(&b.strip);
    shared.reset();
    EXPECT_EQ(b.button->GlyphImageList(), nullptr) << "the glyph list was no longer watched";
}

// A transparent button without a caption draws its row and glyph through the lists' masks
// straight onto the form; with a caption it composes a face first. Both show the same pixels
// where the caption draws none.
TEST(MaskButton, DrawingThroughTheMasksShowsWhatTheComposedFaceShows)
{
    ButtonOnForm b;
    TImageList strip(Size, 5 * Size), glyphs(7, 9);
    TBitmap picture(Size, 5 * Size), glyphPicture(14, 9);
    // Some pixels the key colour, some one step off it.
    Speckle(picture, 5, {TransparentKeyColor, TransparentKeyColor ^ 1}, 4);
    Speckle(glyphPicture, 9, {TransparentKeyColor, TransparentKeyColor ^ 1}, 4);
    strip.AddMasked(picture, TransparentKeyColor);
    glyphs.AddMasked(glyphPicture, TransparentKeyColor);
    b.button->SetImageList(&strip);
    b.button->SetGlyphImageList(&glyphs);
    b.button->SetGlyphImageIndex(1);
    b.form->SetColor(clTeal);
    for (bool enabled : {true, false}) {
        b.button->SetEnabled(enabled);
        b.button->SetCaption("");
        const std::vector<uint8_t> direct = b.Shot()->ToDib().Pixels;
        b.button->SetCaption(" ");
        const std::vector<uint8_t> composed = b.Shot()->ToDib().Pixels;
        EXPECT_TRUE(direct == composed) << (enabled ? "enabled" : "disabled");
    }
    b.button->SetImageList(nullptr);
    b.button->SetGlyphImageList(nullptr);
}
