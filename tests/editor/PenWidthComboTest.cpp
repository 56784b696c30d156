// The line-width box: its items and widths, where an item's sample and text go, and what the
// system's combo box shows when it asks the box to draw its field.
#include <windows.h>

#include "Bitmap.h"
#include "Forms.h"
#include "../framework/GdiCount.h"
#include "Pixels.h"
#include "TestForm.h"
#include "penwidthcombo.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>

namespace {

std::string Show(const RECT& r)
{
    std::ostringstream out;
    out << "{" << r.left << "," << r.top << "," << r.right << "," << r.bottom << "}";
    return out.str();
}

std::string Show(POINT p)
{
    std::ostringstream out;
    out << "(" << p.x << "," << p.y << ")";
    return out.str();
}

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

// Remembers where the system asked it to draw.
class RecordingCombo : public Tpenwidthcombo {
public:
    using Tpenwidthcombo::Tpenwidthcombo;
    RECT lastRect = {};
    int lastIndex = -2;
    int draws = 0;

protected:
    void DrawItem(int index, const RECT& rect, TOwnerDrawState state) override
    {
        lastRect = rect;
        lastIndex = index;
        ++draws;
        Tpenwidthcombo::DrawItem(index, rect, state);
    }
};

struct ComboOnForm : TestForm {
    ComboOnForm() : TestForm(40, 40, 200, 60)
    {
        combo = Add<RecordingCombo>(10, 10, 120, 24);
        combo->OnChange = [this](TComponent*) { widthsSeen.push_back(combo->PenWidth()); };
        form->Handle();
    }

    // The closed field as the combo box paints it; it paints nothing while it is hidden.
    std::unique_ptr<TBitmap> Field()
    {
        form->Show();
        return PrintClient(combo->Handle(), combo->Width(), combo->Height());
    }

    RecordingCombo* combo;
    std::vector<int> widthsSeen;
};

}  // namespace

TEST(PenWidthCombo, SampleGeometry)
{
    const struct {
        RECT item;
        RECT box;
        POINT from, to;
        RECT text;
    } cases[] = {
        {{0, 0, 100, 16}, {3, 3, 48, 13}, {8, 8}, {43, 8}, {50, 0, 150, 16}},
        {{10, 20, 130, 38}, {13, 23, 58, 35}, {18, 29}, {53, 29}, {60, 20, 180, 38}},
        // An odd box height puts the line on the upper of the two middle rows.
        {{0, 0, 60, 17}, {3, 3, 48, 14}, {8, 8}, {43, 8}, {50, 0, 110, 17}},
        // The box's right edge hangs on the item's left, not on its width.
        {{5, 2, 30, 14}, {8, 5, 53, 11}, {13, 8}, {48, 8}, {55, 2, 80, 14}},
    };
    for (const auto& c : cases) {
        TPenWidthSample s = PenWidthSampleGeometry(c.item);
        EXPECT_TRUE(Same(s.box, c.box)) << "item " << Show(c.item) << ": box " << Show(s.box);
        EXPECT_TRUE(s.lineFrom.x == c.from.x && s.lineFrom.y == c.from.y)
            << "item " << Show(c.item) << ": line from " << Show(s.lineFrom);
        EXPECT_TRUE(s.lineTo.x == c.to.x && s.lineTo.y == c.to.y)
            << "item " << Show(c.item) << ": line to " << Show(s.lineTo);
        EXPECT_TRUE(Same(s.text, c.text)) << "item " << Show(c.item) << ": text " << Show(s.text);
    }
}

TEST(PenWidthCombo, HoldsTheTenWidthsAndGivesEachItsWidth)
{
    ComboOnForm b;
    ASSERT_EQ(b.combo->ItemCount(), 10);
    for (int index = 0; index < 10; ++index) {
        EXPECT_EQ(b.combo->Item(index), std::to_string(index + 1)) << "item " << index;
        b.combo->SetItemIndex(index);
        EXPECT_EQ(b.combo->ItemIndex(), index);
        EXPECT_EQ(b.combo->PenWidth(), index + 1) << "item " << index;
        EXPECT_EQ(b.combo->Text(), std::to_string(index + 1)) << "item " << index;
    }
    EXPECT_TRUE(b.widthsSeen.empty()) << "a choice made by code is no change of the user's: " << b.widthsSeen.size();
}

TEST(PenWidthCombo, WithoutAChoiceTheWidthIsOne)
{
    ComboOnForm b;
    ASSERT_EQ(b.combo->ItemIndex(), -1);
    EXPECT_EQ(b.combo->PenWidth(), 1);
}

TEST(PenWidthCombo, TheUsersChoiceReportsTheNewWidth)
{
    ComboOnForm b;
    b.combo->SetItemIndex(2);
    for (int press = 0; press < 3; ++press)
        SendMessageA(b.combo->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(b.combo->PenWidth(), 6);
    ASSERT_EQ(b.widthsSeen.size(), 3u);
    EXPECT_EQ(b.widthsSeen[0], 4);
    EXPECT_EQ(b.widthsSeen[2], 6);
    // The list ends at 10.
    b.combo->SetItemIndex(9);
    SendMessageA(b.combo->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(b.combo->PenWidth(), 10);
}

TEST(PenWidthCombo, FieldShowsAFramedLineOfTheChosenWidth)
{
    for (int width : {1, 2, 5, 10}) {
        ComboOnForm b;
        b.combo->SetItemIndex(width - 1);
        b.combo->draws = 0;
        std::unique_ptr<TBitmap> shot = b.Field();
        const TBitmap& field = *shot;
        ASSERT_GT(b.combo->draws, 0) << "the system never asked for the field";
        EXPECT_EQ(b.combo->lastIndex, width - 1);
        RECT item = b.combo->lastRect;
        TPenWidthSample s = PenWidthSampleGeometry(item);
        int centre = (s.lineFrom.x + s.lineTo.x) / 2;

        // The frame's four sides.
        EXPECT_EQ(field.PixelColor(s.box.left, s.box.top + 1), clBlack) << "width " << width;
        EXPECT_EQ(field.PixelColor(s.box.right - 1, s.box.bottom - 2), clBlack) << "width " << width;
        EXPECT_EQ(field.PixelColor(s.box.left + 2, s.box.top), clBlack) << "width " << width;
        EXPECT_EQ(field.PixelColor(s.box.left + 2, s.box.bottom - 1), clBlack) << "width " << width;

        // Inside the frame, the column through the line's centre is black as thick as the width,
        // or all of it where the frame is the narrower.
        int inside = s.box.bottom - s.box.top - 2;
        int black = 0;
        for (int y = s.box.top + 1; y < s.box.bottom - 1; ++y)
            if (field.PixelColor(centre, y) == clBlack)
                ++black;
        EXPECT_EQ(black, std::min(width, inside)) << "black rows at x " << centre << " in item " << Show(item);
        EXPECT_EQ(field.PixelColor(centre, s.lineFrom.y), clBlack) << "width " << width;
        // Between the frame and the line's end nothing is drawn at the line's height, for a thin line.
        if (width == 1) {
            EXPECT_NE(field.PixelColor(s.box.left + 2, s.lineFrom.y), clBlack);
        }
    }
}

TEST(PenWidthCombo, TextStandsRightOfTheSample)
{
    ComboOnForm b;
    b.combo->SetItemIndex(9);
    std::unique_ptr<TBitmap> shot = b.Field();
        const TBitmap& field = *shot;
    RECT item = b.combo->lastRect;
    TPenWidthSample s = PenWidthSampleGeometry(item);
    TColor background = field.PixelColor(s.box.right + 1, item.top + 1);
    int firstText = -1;
    // Inside the item's edges, where a focus rectangle may run.
    for (int x = s.box.right; x < item.right - 1 && firstText < 0; ++x)
        for (int y = item.top + 1; y < item.bottom - 1; ++y)
            if (field.PixelColor(x, y) != background) {
                firstText = x;
                break;
            }
    ASSERT_GE(firstText, 0) << "no text in the field " << Show(item);
    EXPECT_GE(firstText, s.text.left) << "text begins at x " << firstText;
    EXPECT_LT(firstText, s.text.left + 8) << "text begins at x " << firstText;
}

TEST(PenWidthCombo, DrawingLeavesNoGdiObjectsBehind)
{
    auto round = [] {
        ComboOnForm b;
        for (int index = 0; index < 10; ++index) {
            b.combo->SetItemIndex(index);
            b.Field();
        }
    };
    round();   // classes registered, fonts and stock objects cached
    long before = gdicount::LiveObjects();
    if (before < 0)
        GTEST_SKIP() << "no way to count GDI objects here";
    for (int i = 0; i < 5; ++i)
        round();
    EXPECT_EQ(gdicount::LiveObjects(), before);
}

TEST(PenWidthCombo, PlacedOnAShownWindowItsListStillDropsWithItsItems)
{
    // The editor places the box after its window exists: the height it gives is the field's.
    TestForm f(40, 40, 200, 60);
    f.form->Handle();
    auto* combo = f.Add<Tpenwidthcombo>(10, 10, 84, 22);
    RECT dropped = {};
    SendMessageA(combo->Handle(), CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped));
    const int itemHeight = static_cast<int>(SendMessageA(combo->Handle(), CB_GETITEMHEIGHT, 0, 0));
    const int listHeight = (dropped.bottom - dropped.top) - combo->Height();
    EXPECT_GE(listHeight, 5 * itemHeight) << "list " << listHeight << " px for items of " << itemHeight
                                          << " px; field " << combo->Height();
}
