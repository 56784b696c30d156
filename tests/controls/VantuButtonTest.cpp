// The stretchable skin button: how its face is put together from caps and a repeated middle
// slice, where the caption goes, the rows it shows while the mouse works on it, when it clicks,
// and what happens when its image list goes away.
#include <windows.h>

#include "Bitmap.h"
#include "Forms.h"
#include "ImageList.h"
#include "Pixels.h"
#include "TestForm.h"
#include "TransparentKey.h"
#include "VantuButton.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

constexpr int StripWidth = 60;
constexpr int RowHeight = 20;
constexpr int ButtonLeft = 10;
constexpr int ButtonTop = 10;
constexpr int FormWidth = 140;
constexpr int FormHeight = 40;
constexpr TColor FormColour = clWhite;

// Per row: the caps' colour and the colour of the column the middle is stretched from.
const TColor CapColours[4] = {clRed, clLime, clBlue, clGray};
const TColor SliceColours[4] = {clYellow, clOlive, clNavy, clSilver};
// Column 17, the slice's second column, and the right cap's outer part (columns 45 to 59).
constexpr TColor SecondSliceColumn = clFuchsia;
constexpr TColor OuterRightCap = clAqua;

// One 60 x 80 image in four rows. Each row: cap colour everywhere, the slice colour in column
// 16, SecondSliceColumn in 17, OuterRightCap in 45..59; its top line is key-coloured in the
// corner (0..2) and over the slice columns, so the outline must stay see-through.
void LoadStrip(TImageList& list, int rows = 4)
{
    TBitmap strip(StripWidth, rows * RowHeight);
    for (int row = 0; row < rows; ++row) {
        int top = row * RowHeight, bottom = top + RowHeight;
        FillRect(strip, RECT{0, top, StripWidth, bottom}, CapColours[row % 4]);
        FillRect(strip, RECT{16, top, 17, bottom}, SliceColours[row % 4]);
        FillRect(strip, RECT{17, top, 18, bottom}, SecondSliceColumn);
        FillRect(strip, RECT{45, top, StripWidth, bottom}, OuterRightCap);
        FillRect(strip, RECT{0, top, 3, top + 1}, TransparentKeyColor);
        FillRect(strip, RECT{16, top, 18, top + 1}, TransparentKeyColor);
    }
    list.AddMasked(strip, TransparentKeyColor);
}

struct ButtonOnForm : TestForm {
    explicit ButtonOnForm(int width = 100) : TestForm(50, 50, FormWidth, FormHeight)
    {
        LoadStrip(strip);
        form->SetColor(FormColour);
        button = Add<TVantuButton>(ButtonLeft, ButtonTop, width, 30);
        mouseOrigin = {ButtonLeft, ButtonTop};
        button->SetImageList(&strip);
        button->OnClick = [this](TComponent*) { ++clicks; };
        form->Handle();
    }
    ~ButtonOnForm()
    {
        form.reset();   // the button goes before the list it watches
    }

    // The colour the form shows at a point of the button.
    TColor Shown(int x, int y) { return Shot()->PixelColor(ButtonLeft + x, ButtonTop + y); }

    TImageList strip{StripWidth, 4 * RowHeight};
    TVantuButton* button;
    int clicks = 0;
};

}  // namespace

TEST(VantuButton, RowHeightRoundsToNearestHalvesToEven)
{
    const struct {
        int listHeight, rowHeight;
    } cases[] = {{80, 20}, {90, 22}, {30, 8}, {10, 2}, {14, 4}, {81, 20}, {83, 21}, {0, 0}};
    for (const auto& c : cases)
        EXPECT_EQ(VantuButtonRowHeight(c.listHeight), c.rowHeight) << "list height " << c.listHeight;
}

TEST(VantuButton, TakesTheHeightOfOneRowAndKeepsItsWidth)
{
    ButtonOnForm b(100);
    EXPECT_EQ(b.button->Height(), RowHeight);
    EXPECT_EQ(b.button->Width(), 100);
}

TEST(VantuButton, MiddleRepeatsTheSliceBetweenTheCaps)
{
    ButtonOnForm b(100);
    auto shot = b.Shot();
    auto shown = [&](int x, int y) { return shot->PixelColor(ButtonLeft + x, ButtonTop + y); };
    // Left cap 0..14, slices 15..86 (each slice's first column covers the last one's second),
    // right cap from its outer columns (image columns 47..59 at 87..99).
    const struct {
        int from, to;
        TColor colour;
    } runs[] = {{0, 14, CapColours[0]}, {15, 85, SliceColours[0]}, {86, 86, SecondSliceColumn},
                {87, 99, OuterRightCap}};
    for (const auto& run : runs)
        for (int x = run.from; x <= run.to; ++x)
            EXPECT_EQ(shown(x, 10), run.colour) << "column " << x << ": " << Hex(shown(x, 10));
    EXPECT_EQ(shown(100, 10), FormColour) << "past the button: " << Hex(shown(100, 10));
    // Key-coloured pixels of the image stay see-through in caps and slices alike.
    for (int x : {0, 2, 15, 50, 85, 86})
        EXPECT_EQ(shown(x, 0), FormColour) << "top line at " << x << ": " << Hex(shown(x, 0));
    EXPECT_EQ(shown(3, 0), CapColours[0]) << Hex(shown(3, 0));
    EXPECT_EQ(shown(50, RowHeight - 1), SliceColours[0]) << "bottom line: " << Hex(shown(50, RowHeight - 1));
}

TEST(VantuButton, NarrowerThanTwoCapsShowsOnlyTheCaps)
{
    for (int width : {29, 20, 8}) {
        ButtonOnForm b(width);
        auto shot = b.Shot();
        // The right cap, drawn last, covers the left one: image column x + 60 - width.
        for (int x = 0; x < width; ++x) {
            int column = x + StripWidth - width;
            TColor expected = column >= 45 ? OuterRightCap : CapColours[0];
            TColor got = shot->PixelColor(ButtonLeft + x, ButtonTop + 10);
            EXPECT_EQ(got, expected) << "width " << width << ", column " << x << ": " << Hex(got);
        }
    }
}

TEST(VantuButton, ScratchImageTakesStripsLargerThanTheOldFixedSize)
{
    // A 160 x 480 image (rows of 120): the old 105 x 105 scratch would have clipped the slice
    // of every row below the first.
    constexpr int Wide = 160, Tall = 120;
    TImageList big(Wide, 4 * Tall);
    TBitmap strip(Wide, 4 * Tall);
    for (int row = 0; row < 4; ++row) {
        FillRect(strip, RECT{0, row * Tall, Wide, (row + 1) * Tall}, CapColours[row]);
        FillRect(strip, RECT{16, row * Tall, 18, (row + 1) * Tall}, SliceColours[row]);
    }
    big.AddMasked(strip, TransparentKeyColor);

    TestForm on(50, 50, 400, 140);
    on.form->SetColor(FormColour);
    auto* button = on.Add<TVantuButton>(0, 0, 380, 30);
    button->SetImageList(&big);
    button->SetEnabled(false);
    auto shot = on.Shot();
    for (int y : {0, 60, 119})
        EXPECT_EQ(shot->PixelColor(200, y), SliceColours[vlDisabled]) << "row 4, line " << y << ": "
                                                                      << Hex(shot->PixelColor(200, y));
    button->SetImageList(nullptr);   // the list is freed before the form
}

TEST(VantuButton, CaptionIsPlacedByItsAlignment)
{
    const char* caption = "Abbrechen";
    const struct {
        TAlignment alignment;
        const char* name;
    } cases[] = {{taLeftJustify, "left"}, {taRightJustify, "right"}, {taCenter, "centre"}};
    for (const auto& c : cases) {
        ButtonOnForm b(100);
        b.button->Font().SetColor(clBlack);
        b.button->SetTextDistance(7);
        b.button->SetAlignment(c.alignment);
        b.button->SetCaption(caption);
        TBitmap measure(1, 1);
        measure.Canvas().Font().Assign(b.button->Font());
        int textWidth = measure.Canvas().TextWidth(caption);
        int expected = c.alignment == taLeftJustify ? 7
                       : c.alignment == taRightJustify ? 100 - textWidth - 7
                                                       : 50 - textWidth / 2;
        auto shot = b.Shot();
        EXPECT_EQ(b.button->CaptionLeft(), expected) << c.name << ", text width " << textWidth;

        // The ink lies within the text's cell.
        int first = -1, last = -1;
        for (int x = 0; x < 100; ++x)
            for (int y = 1; y < RowHeight; ++y) {
                TColor got = shot->PixelColor(ButtonLeft + x, ButtonTop + y);
                bool background = got == CapColours[0] || got == SliceColours[0] || got == SecondSliceColumn ||
                                  got == OuterRightCap;
                if (!background) {
                    if (first < 0)
                        first = x;
                    last = x;
                }
            }
        EXPECT_GE(first, expected) << c.name;
        EXPECT_LE(first, expected + 3) << c.name;
        EXPECT_LE(last, expected + textWidth) << c.name;
        EXPECT_GE(last, expected + textWidth - 4) << c.name;
    }
}

TEST(VantuButton, ShowsTheRowOfItsLook)
{
    ButtonOnForm b(100);
    auto expectRow = [&](TVantuLook row, const char* when) {
        EXPECT_EQ(b.Shown(5, 10), CapColours[row]) << when << ", cap: " << Hex(b.Shown(5, 10));
        EXPECT_EQ(b.Shown(50, 10), SliceColours[row]) << when << ", middle: " << Hex(b.Shown(50, 10));
        EXPECT_EQ(b.button->PaintedLook(), row) << when;
    };
    expectRow(vlNormal, "at rest");
    b.Move(50, 10);
    EXPECT_EQ(b.button->Look(), vlHot);
    expectRow(vlHot, "under the mouse");
    b.Press(50, 10);
    expectRow(vlDown, "pressed");
    b.Release(50, 10);
    expectRow(vlHot, "released");
    b.MoveAway();
    expectRow(vlNormal, "left");
    b.Send(WM_RBUTTONDOWN, 50, 10, MK_RBUTTON);
    expectRow(vlDown, "right button down");
    b.Send(WM_RBUTTONUP, 50, 10);
    b.MoveAway();

    b.button->SetEnabled(false);
    expectRow(vlDisabled, "disabled");
    b.Move(50, 10);
    b.Press(50, 10);
    expectRow(vlDisabled, "disabled and pressed");
    b.Release(50, 10);
    expectRow(vlDisabled, "disabled and released");
    b.button->SetEnabled(true);
    expectRow(vlNormal, "enabled again");
}

TEST(VantuButton, DisabledCaptionTakesTheDisabledFontColour)
{
    ButtonOnForm b(100);
    b.button->Font().SetColor(clBlack);
    b.button->Font().SetSize(14);
    b.button->Font().SetStyle(fsBold);
    b.button->SetCaption("MMM");
    b.button->SetDisabledFontColor(clRed);
    auto count = [&](TColor colour) {
        auto shot = b.Shot();
        int n = 0;
        for (int x = 20; x < 80; ++x)
            for (int y = 1; y < RowHeight; ++y)
                n += shot->PixelColor(ButtonLeft + x, ButtonTop + y) == colour;
        return n;
    };
    int black = count(clBlack);
    EXPECT_GT(black, 10) << "enabled caption pixels";
    EXPECT_EQ(count(clRed), 0);
    b.button->SetEnabled(false);
    EXPECT_EQ(count(clBlack), 0);
    EXPECT_GT(count(clRed), 10) << "disabled caption pixels";
}

TEST(VantuButton, DisabledButtonNeverClicks)
{
    ButtonOnForm b(100);
    b.Press(50, 10);
    b.Release(50, 10);
    ASSERT_EQ(b.clicks, 1) << "enabled";
    b.button->SetEnabled(false);
    b.Move(50, 10);
    b.Press(50, 10);
    b.Release(50, 10);
    EXPECT_EQ(b.clicks, 1) << "disabled";
    // A press that began while enabled does not click once the button is disabled.
    b.button->SetEnabled(true);
    b.Press(50, 10);
    b.button->SetEnabled(false);
    b.Release(50, 10);
    EXPECT_EQ(b.clicks, 1) << "disabled while pressed";
}

TEST(VantuButton, ReadingEnabledChangesNothing)
{
    ButtonOnForm b(100);
    b.Move(50, 10);
    b.Press(50, 10);
    ASSERT_EQ(b.button->Look(), vlDown);
    EXPECT_TRUE(b.button->Enabled());
    EXPECT_EQ(b.button->Look(), vlDown) << "look after reading Enabled: " << b.button->Look();
    EXPECT_EQ(b.Shown(5, 10), CapColours[vlDown]) << Hex(b.Shown(5, 10));
}

TEST(VantuButton, ImageIndexIsClampedToTheList)
{
    ButtonOnForm b(100);
    b.button->SetImageIndex(5);
    EXPECT_EQ(b.button->ImageIndex(), 0);
    b.button->SetImageIndex(-2);
    EXPECT_EQ(b.button->ImageIndex(), -2) << "no lower clamp";
    b.button->SetImageIndex(0);
}

TEST(VantuButton, ForgetsAnImageListThatIsDestroyed)
{
    ButtonOnForm b(100);
    auto list = std::make_unique<TImageList>(StripWidth, 4 * RowHeight);
    LoadStrip(*list);
    b.button->SetImageList(list.get());
    EXPECT_EQ(b.Shown(5, 10), CapColours[vlNormal]) << Hex(b.Shown(5, 10));
    list.reset();
    EXPECT_EQ(b.button->ImageList(), nullptr);
    // Nothing left to draw from: the form shows through, and the mouse still works.
    EXPECT_EQ(b.Shown(5, 10), FormColour) << Hex(b.Shown(5, 10));
    b.Move(5, 10);
    b.Press(5, 10);
    b.Release(5, 10);
    EXPECT_EQ(b.clicks, 1);
}
