// The section list box on a shown form: rows mirrored from the sections, selection by code,
// heights, check marks and sorting, what clicks and keys do, in-place editing and what it paints.
#include <windows.h>

#include "../framework/GdiCount.h"
#include "Bitmap.h"
#include "ExceptionLog.h"
#include "FlatTestForm.h"
#include "Forms.h"
#include "ImageList.h"
#include "MessagePump.h"
#include "PictureContainer.h"
#include "StdCtrls.h"
#include "slstbox.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Rows(TSectionListBox& list)
{
    std::ostringstream out;
    for (int row = 0; row < list.ItemCount(); ++row)
        out << (row ? "|" : "") << (list.ItemData(row) == 1 ? "#" : "") << list.Item(row);
    return out.str();
}

// One lime square more in the list.
void AddLimeImage(TImageList& images)
{
    TBitmap tile(images.Width(), images.Height());
    tile.Canvas().Brush().SetColor(clLime);
    tile.Canvas().FillRect({0, 0, images.Width(), images.Height()});
    images.AddMasked(tile, clNone);
}

// A shown list of three sections: "A" (a1, a2), "B" (b1, b2, b3), "C" (no sub-items).
class SectionListBoxTest : public ::testing::Test {
protected:
    SectionListBoxTest() : form(260, 300)
    {
        list = form.Add<TSectionListBox>(0, 0, 260, 300);
        AddSection("A", {"a1", "a2"});
        AddSection("B", {"b1", "b2", "b3"});
        AddSection("C", {});
        form.ShowActive();
    }

    TListSection& AddSection(const std::string& caption, const std::vector<std::string>& items)
    {
        TListSection& section = list->Sections().Add();
        section.SetCaption(caption);
        for (const std::string& item : items)
            section.SubItems().Add(item);
        return section;
    }
    TListSection& Section(int index) { return list->Sections().Items(index); }

    // Client point in the middle of a row, `x` from its left.
    POINT RowPoint(int row, int x = 60)
    {
        RECT rect = list->ItemRect(row);
        return {rect.left + x, (rect.top + rect.bottom) / 2};
    }
    void Send(UINT msg, POINT point, WPARAM keys = 0)
    {
        SendMessageA(list->Handle(), msg, keys, MAKELPARAM(point.x, point.y));
    }
    void Click(int row, int x = 60)
    {
        POINT point = RowPoint(row, x);
        Send(WM_MOUSEMOVE, point);
        Send(WM_LBUTTONDOWN, point, MK_LBUTTON);
        Send(WM_LBUTTONUP, point);
    }
    void Key(WORD key)
    {
        SendMessageA(list->Handle(), WM_KEYDOWN, key, 1);
        if (key == VK_SPACE)
            SendMessageA(list->Handle(), WM_CHAR, ' ', 1);
        SendMessageA(list->Handle(), WM_KEYUP, key, 0xC0000001);
    }

    FlatTestForm form;
    TSectionListBox* list = nullptr;
    ExceptionLog exceptions;
};

TEST_F(SectionListBoxTest, RowsFollowTheSections)
{
    EXPECT_EQ(Rows(*list), "#A|#B|#C");
    Section(1).SetState(lssExpanded);
    EXPECT_EQ(Rows(*list), "#A|#B|b1|b2|b3|#C");
    Section(0).SetState(lssExpanded);
    EXPECT_EQ(Rows(*list), "#A|a1|a2|#B|b1|b2|b3|#C");

    // Sub-item changes are mirrored only while the section is open.
    Section(2).SubItems().Add("c1");
    EXPECT_EQ(Rows(*list), "#A|a1|a2|#B|b1|b2|b3|#C") << "a contracted section shows no new row";
    Section(2).SetState(lssExpanded);
    EXPECT_EQ(Rows(*list), "#A|a1|a2|#B|b1|b2|b3|#C|c1");
    Section(1).SubItems().Insert(1, "bx");
    Section(1).SubItems().Delete(0);
    Section(0).SubItems().SetStrings(1, "A2");
    Section(0).SubItems().Add("a3");
    EXPECT_EQ(Rows(*list), "#A|a1|A2|a3|#B|bx|b2|b3|#C|c1");
    Section(1).SubItems().Clear();
    Section(0).SetCaption("Erste");
    EXPECT_EQ(Rows(*list), "#Erste|a1|A2|a3|#B|#C|c1");
    Section(0).SetSubItems({"x", "y"});
    EXPECT_EQ(Rows(*list), "#Erste|x|y|#B|#C|c1") << "the state survives new strings";
    list->Sections().Delete(0);
    EXPECT_EQ(Rows(*list), "#B|#C|c1");
    list->Sections().Clear();
    EXPECT_EQ(list->ItemCount(), 0);
    int section = 0, sub = 0;
    EXPECT_TRUE(list->GetSelection(0, section, sub));
    EXPECT_EQ(section, -1) << "no sections";
    EXPECT_TRUE(exceptions.messages.empty()) << exceptions.messages.front();
}

TEST_F(SectionListBoxTest, RowsMapToSectionAndSubItem)
{
    Section(1).SetState(lssExpanded);   // #A #B b1 b2 b3 #C
    struct {
        int row, section, subItem;
        bool valid;
    } const cases[] = {{-1, -1, -1, false}, {0, 0, -1, true}, {1, 1, -1, true}, {2, 1, 0, true},
                       {4, 1, 2, true},     {5, 2, -1, true}, {9, 2, 3, true}};
    for (const auto& c : cases) {
        int section = 99, sub = 99;
        EXPECT_EQ(list->GetSelection(c.row, section, sub), c.valid) << "row " << c.row;
        if (c.valid) {
            EXPECT_EQ(section * 100 + sub, c.section * 100 + c.subItem)
                << "row " << c.row << ": section " << section << ", sub-item " << sub;
        }
    }
    EXPECT_EQ(list->HeaderRow(2), 5);
}

TEST_F(SectionListBoxTest, SelectSubItemExpandsOnlyForSubItems)
{
    struct {
        int section, subItem, expectedIndex;
        const char* rows;
    } const cases[] = {
        {1, -1, 1, "#A|#B|#C"},            // header, nothing expands
        {1, 0, 2, "#A|#B|b1|b2|b3|#C"},    // expands, first sub-item
        {1, 3, 2, "#A|#B|b1|b2|b3|#C"},    // index = count: nothing
        {2, -1, 5, "#A|#B|b1|b2|b3|#C"},   // header of an empty section
        {2, 0, 5, "#A|#B|b1|b2|b3|#C"},    // no sub-item 0: nothing
        {3, -1, 5, "#A|#B|b1|b2|b3|#C"},   // no such section
        {-1, 0, 5, "#A|#B|b1|b2|b3|#C"},   // negative: nothing rather than a bad access
        {0, 1, 2, "#A|a1|a2|#B|b1|b2|b3|#C"},
    };
    int changes = 0;
    list->OnChange = [&](TComponent*, int, int) { ++changes; };
    list->OnSubItemClick = [&](TComponent*, int, int) { ++changes; };
    list->OnSectionClick = [&](TComponent*, int) { ++changes; };
    for (const auto& c : cases) {
        list->SelectSubItem(c.section, c.subItem);
        EXPECT_EQ(list->ItemIndex(), c.expectedIndex) << "SelectSubItem(" << c.section << ", " << c.subItem << ")";
        EXPECT_EQ(Rows(*list), c.rows) << "SelectSubItem(" << c.section << ", " << c.subItem << ")";
    }
    EXPECT_EQ(changes, 0) << "selection by code fires no user event";
}

TEST_F(SectionListBoxTest, ContractAllAndExpandAllKeepTheSelection)
{
    list->SelectSubItem(1, 2);
    list->ContractAll();
    EXPECT_EQ(Rows(*list), "#A|#B|#C");
    EXPECT_EQ(list->ItemIndex(), 0);
    list->ExpandAll();
    EXPECT_EQ(list->ItemIndex(), 0) << "after ContractAll the first header stays selected";
    EXPECT_EQ(Rows(*list), "#A|a1|a2|#B|b1|b2|b3|#C");

    list->ContractAll();
    list->SelectSubItem(1, 2);   // b3
    list->ExpandAll();
    int section = -1, sub = -1;
    list->GetSelection(list->ItemIndex(), section, sub);
    EXPECT_EQ(section * 100 + sub, 102) << "row " << list->ItemIndex();
    EXPECT_FALSE(list->Updating());
}

TEST_F(SectionListBoxTest, OneExpandedKeepsASingleSectionOpen)
{
    Section(1).SetState(lssExpanded);
    list->SetOneExpanded(true);
    EXPECT_EQ(Rows(*list), "#A|a1|a2|#B|#C") << "the first section opens, the rest close";

    std::vector<std::string> events;
    list->OnExpandSection = [&](TComponent*, int i) { events.push_back("expand " + std::to_string(i)); };
    list->OnContractSection = [&](TComponent*, int i) { events.push_back("contract " + std::to_string(i)); };
    list->OnSectionClick = [&](TComponent*, int i) { events.push_back("click " + std::to_string(i)); };
    Click(0);
    EXPECT_EQ(Rows(*list), "#A|a1|a2|#B|#C") << "the open section stays open";
    Click(3);
    EXPECT_EQ(Rows(*list), "#A|#B|b1|b2|b3|#C");
    std::string joined;
    for (const std::string& e : events)
        joined += e + ";";
    EXPECT_EQ(joined, "click 0;expand 0;click 1;expand 1;");
}

// How the system-icon page uses it: a header click selects the section's first sub-item by code.
TEST_F(SectionListBoxTest, SectionClickSelectingByCodeOpensOnlyThatSection)
{
    list->SetOneExpanded(true);   // #A a1 a2 #B #C
    int subItemClicks = 0;
    list->OnSubItemClick = [&](TComponent*, int, int) { ++subItemClicks; };
    list->OnSectionClick = [&](TComponent*, int i) { list->SelectSubItem(i, 0); };
    Click(3);
    EXPECT_EQ(Rows(*list), "#A|#B|b1|b2|b3|#C");
    EXPECT_EQ(list->ItemIndex(), 2) << "the first sub-item of the clicked section";
    EXPECT_EQ(subItemClicks, 0);
}

TEST_F(SectionListBoxTest, HeaderClicksToggleUnlessForbidden)
{
    std::vector<int> contracted;
    list->OnContractSection = [&](TComponent*, int i) { contracted.push_back(i); };
    Click(1);
    EXPECT_EQ(Rows(*list), "#A|#B|b1|b2|b3|#C");
    Click(1);
    EXPECT_EQ(Rows(*list), "#A|#B|#C");
    EXPECT_EQ(contracted.size(), 1u);

    Section(1).SetFixed(true);
    Click(1);
    EXPECT_EQ(Rows(*list), "#A|#B|#C") << "fixed";
    Section(1).SetFixed(false);
    list->SetExpandDisable(true);
    Click(1);
    Key(VK_SPACE);
    EXPECT_EQ(Rows(*list), "#A|#B|#C") << "ExpandDisable";
    list->SetExpandDisable(false);
    Key(VK_SPACE);
    EXPECT_EQ(Rows(*list), "#A|#B|b1|b2|b3|#C") << "space on a header toggles";

    list->SetActiveSection(asNodeOnly);
    Click(1, 100);
    EXPECT_EQ(Rows(*list), "#A|#B|b1|b2|b3|#C") << "outside the node";
    Click(1, 6);
    EXPECT_EQ(Rows(*list), "#A|#B|#C") << "on the node";
}

TEST_F(SectionListBoxTest, SubItemMouseEventsNameTheRow)
{
    Section(1).SetState(lssExpanded);   // #A #B b1 b2 b3 #C
    std::vector<std::string> events;
    auto record = [&](const char* name) {
        return [&events, name](TComponent*, int s, int i) {
            events.push_back(std::string(name) + " " + std::to_string(s) + "/" + std::to_string(i));
        };
    };
    list->OnSubItemClick = record("click");
    list->OnSubItemDblClk = record("dbl");
    list->OnSubItemRClick = record("right");
    list->OnChange = record("change");
    list->OnSectionRClick = [&](TComponent*, int s) { events.push_back("section right " + std::to_string(s)); };
    list->OnSectionDblClk = [&](TComponent*, int s) { events.push_back("section dbl " + std::to_string(s)); };

    Click(3);
    Send(WM_LBUTTONDBLCLK, RowPoint(4), MK_LBUTTON);
    Send(WM_LBUTTONUP, RowPoint(4));
    Send(WM_RBUTTONDOWN, RowPoint(2), MK_RBUTTON);
    Send(WM_RBUTTONUP, RowPoint(2));
    Send(WM_RBUTTONDOWN, RowPoint(5), MK_RBUTTON);
    Send(WM_RBUTTONUP, RowPoint(5));
    Send(WM_LBUTTONDBLCLK, RowPoint(0), MK_LBUTTON);
    Send(WM_LBUTTONUP, RowPoint(0));
    std::string joined;
    for (const std::string& e : events)
        if (e.rfind("change", 0) != 0)   // how often the system reports a change is its own affair
            joined += e + ";";
    EXPECT_EQ(joined, "click 1/1;dbl 1/2;right 1/0;section right 2;section dbl 0;");
    bool changeTo11 = false;
    for (const std::string& e : events)
        changeTo11 = changeTo11 || e == "change 1/1";
    EXPECT_TRUE(changeTo11) << "OnChange carries the new row's section and sub-item";

    Send(WM_LBUTTONDOWN, {10, 290}, MK_LBUTTON);
    Send(WM_LBUTTONUP, {10, 290});
    EXPECT_EQ(list->ItemIndex(), -1) << "a press below the rows clears the selection";
}

TEST_F(SectionListBoxTest, CheckMarksLiveInBit16)
{
    TListSection& section = Section(1);
    section.SubItems().SetObjects(0, 0x1234);
    section.SetSubItemChecked(0, true);
    EXPECT_EQ(section.SubItems().Objects(0), 0x11234u);
    EXPECT_TRUE(section.SubItemChecked(0));
    section.SetSubItemChecked(0, false);
    EXPECT_EQ(section.SubItems().Objects(0), 0x1234u) << "the low bits stay";
    for (int index : {-1, 3}) {
        EXPECT_FALSE(section.SubItemChecked(index)) << index;
        try {
            section.SetSubItemChecked(index, true);
            ADD_FAILURE() << "no error for " << index;
        } catch (const ESectionListBoxError& error) {
            EXPECT_STREQ(error.what(), "Access of imageindex of non-existing subitem");
        }
    }
}

TEST_F(SectionListBoxTest, SpaceAndClicksToggleOnlyWritableChecks)
{
    TListSection& section = Section(1);
    section.SetControlType(scCheckbox);
    section.SetState(lssExpanded);
    int clicks = 0, checks = 0;
    list->OnSubItemClick = [&](TComponent*, int, int) { ++clicks; };
    list->OnCheckBoxClick = [&](TComponent*, int, int) { ++checks; };
    list->SetItemIndex(2);
    Key(VK_SPACE);
    EXPECT_FALSE(section.SubItemChecked(0)) << "read-only";
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(checks, 0);

    section.SetReadOnly(false);
    Key(VK_SPACE);
    EXPECT_TRUE(section.SubItemChecked(0));
    Click(3, list->SectionIndent() + 4);
    EXPECT_TRUE(section.SubItemChecked(1)) << "a press on the box";
    EXPECT_EQ(checks, 2);

    Section(0).SetControlType(scRadiobutton);
    Section(0).SetReadOnly(false);
    Section(0).SetState(lssExpanded);   // #A a1 a2 #B ...
    Click(2, list->SectionIndent() + 4);
    EXPECT_EQ(Section(0).RadioIndex(), 1);
}

TEST_F(SectionListBoxTest, SortingFollowsByteOrderAndMovesRows)
{
    TListSection& section = Section(1);
    section.SetSubItems({"beta", "Alpha", "alpha", "Beta"});
    section.SubItems().SetObjects(0, TSectionListStrings::CheckFlag);
    section.SetState(lssExpanded);
    section.SetSortDirection(sdAscending);
    EXPECT_EQ(Rows(*list), "#A|#B|Alpha|Beta|alpha|beta|#C");
    EXPECT_TRUE(section.SubItemChecked(3)) << "the check mark travels with its string";
    section.SetSortDirection(sdDescending);
    EXPECT_EQ(Rows(*list), "#A|#B|beta|alpha|Beta|Alpha|#C");
    section.SetSortDirection(sdNone);
    EXPECT_EQ(Rows(*list), "#A|#B|beta|alpha|Beta|Alpha|#C");
}

TEST_F(SectionListBoxTest, RowHeightsComeFromTheText)
{
    list->SetSectionHeight(17);
    TListSection& section = Section(0);
    section.SetItemHeight(15);
    section.SetState(lssExpanded);
    EXPECT_EQ(list->RowHeight(0), 17);
    EXPECT_EQ(list->RowHeight(1), 15);
    section.SubItems().Add("eins\r\nzwei\r\ndrei");
    EXPECT_EQ(list->RowHeight(3), 45) << "three lines";

    TImageList images(32, 32);
    TBitmap red(32, 32);
    red.Canvas().Brush().SetColor(clRed);
    red.Canvas().FillRect({0, 0, 32, 32});
    images.AddMasked(red, clNone);
    list->SetSubItemImages(&images);
    section.SubItems().Add("<IMG src=\"idx:0\" align=\"middle\"><B></B>   Arbeitsplatz");
    EXPECT_GE(list->RowHeight(4), 34) << "the image and two pixels";
    EXPECT_LE(list->RowHeight(4), 40);

    // Images filled in after the rows exist (as the system-icon page does) re-measure them.
    images.Clear();
    section.SubItems().Add("<IMG src=\"idx:0\" align=\"middle\"><B></B>   Papierkorb");
    int before = list->RowHeight(5);
    images.AddMasked(red, clNone);
    PumpMessages(20);
    EXPECT_LT(before, 30) << "measured without its image";
    EXPECT_GE(list->RowHeight(5), 34) << "measured again with it";
    list->SetSubItemImages(nullptr);
}

TEST_F(SectionListBoxTest, SubItemHeightIsWhatNewSectionsStartWith)
{
    Section(0).SetItemHeight(20);
    list->SetSubItemHeight(30);
    EXPECT_EQ(Section(0).ItemHeight(), 20) << "a section keeps its own";
    EXPECT_EQ(Section(1).ItemHeight(), 13) << "the height it was made with";
    EXPECT_EQ(AddSection("D", {"d1"}).ItemHeight(), 30);
    Section(0).SetState(lssExpanded);
    EXPECT_EQ(list->RowHeight(1), 20);
}

// Pictures given by address ("file://", "res://") come from the list's own cache.
TEST_F(SectionListBoxTest, PicturesByAddressTakeRoomAndAreDrawn)
{
    OleInitialize(nullptr);
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    const std::string file = std::string(temp) + "ql_slb_rot.bmp";
    {
        TBitmap red(20, 24);
        red.Canvas().Brush().SetColor(clRed);
        red.Canvas().FillRect({0, 0, 20, 24});
        red.SaveToFile(file);
    }
    TListSection& section = Section(2);
    section.SubItems().Add("<IMG src=\"file://" + file + "\"><B></B> Bild");
    section.SetState(lssExpanded);   // #A #B #C picture
    EXPECT_EQ(list->RowHeight(3), 24 + 2) << "the picture and two pixels";
    auto shot = FlatTestForm::Shot(*list);
    RECT row = list->ItemRect(3);
    const TColor shown = shot->PixelColor(list->SubItemIndent() + 10, row.top + 12);
    EXPECT_EQ(Hex(shown), Hex(clRed)) << "the picture is drawn";
    section.SubItems().Clear();
    DeleteFileA(file.c_str());
    OleUninitialize();
}

// A header's mark-up is drawn as mark-up, as it is hit-tested.
TEST_F(SectionListBoxTest, HeaderMarkupIsDrawnAsMarkup)
{
    list->SetSectionColor(clWhite);
    list->SectionFont().SetSize(14);
    list->SetSectionHeight(24);
    Section(0).SetCaption("<FONT color=\"clRed\"><B>Kopf</B></FONT>");
    auto shot = FlatTestForm::Shot(*list);
    RECT header = list->ItemRect(0);
    int red = 0;
    for (int y = header.top; y < header.bottom; ++y)
        for (int x = 0; x < 120; ++x)
            red += shot->PixelColor(x, y) == clRed;
    EXPECT_GT(red, 20) << "the caption in its mark-up colour";
}

// Handlers may remove or replace sections: what follows their event takes the section found at
// the index afterwards, never the one that was there.
TEST_F(SectionListBoxTest, HandlersMayReplaceTheSections)
{
    list->OnSectionClick = [this](TComponent*, int) {
        list->Sections().Clear();
        AddSection("X", {"x1"});
        AddSection("Y", {"y1", "y2"}).SetFixed(true);
        AddSection("Z", {});
    };
    Click(1);
    EXPECT_EQ(Rows(*list), "#X|#Y|#Z") << "the section now at the index is fixed";

    list->OnSectionClick = nullptr;
    Section(0).SetAutoEdit(true);
    Section(0).SetReadOnly(false);
    list->OnExpandSection = [this](TComponent*, int) {
        list->Sections().Delete(0);
        AddSection("W", {"w1"});
    };
    Click(0);
    EXPECT_EQ(Rows(*list), "#Y|#Z|#W");
    EXPECT_FALSE(list->Editing()) << "the section at the index is not the one opened";

    // A check mark whose handler takes its section away, on the selected row.
    list->OnExpandSection = nullptr;
    Section(0).SetControlType(scCheckbox);
    Section(0).SetReadOnly(false);
    Section(0).SetState(lssExpanded);   // #Y y1 y2 #Z #W
    list->SetItemIndex(2);
    int subItemClicks = 0;
    list->OnSubItemClick = [&](TComponent*, int, int) { ++subItemClicks; };
    list->OnCheckBoxClick = [this](TComponent*, int, int) { list->Sections().Clear(); };
    Click(2, list->SectionIndent() + 4);
    EXPECT_EQ(list->Sections().Count(), 0);
    EXPECT_EQ(subItemClicks, 0) << "no click for a sub-item that is gone";
    TListSection& keyed = AddSection("K", {"k1"});
    keyed.SetControlType(scCheckbox);
    keyed.SetReadOnly(false);
    keyed.SetState(lssExpanded);
    list->SetItemIndex(1);
    Key(VK_SPACE);
    EXPECT_EQ(subItemClicks, 0) << "nor after Space";
    EXPECT_TRUE(exceptions.messages.empty()) << exceptions.messages.front();
}

// With flat scroll bars, every change of the rows hands the new range on (after an update, once).
TEST(SectionListBoxScrollBars, FollowTheRows)
{
    struct Probe : TSectionListBox {
        using TSectionListBox::TSectionListBox;
        int updates = 0;
        void UpdateFlatScrollInfo() override
        {
            ++updates;
            TSectionListBox::UpdateFlatScrollInfo();
        }
    };
    FlatTestForm form(200, 100);
    auto* list = form.Add<Probe>(0, 0, 200, 100);
    TListSection& section = list->Sections().Add();
    section.SetState(lssExpanded);
    list->SetScrollStyle(slsFlat);
    form.form->Handle();
    list->updates = 0;
    section.SubItems().Add("eins");
    EXPECT_GE(list->updates, 1) << "after an addition";
    list->updates = 0;
    section.SubItems().Delete(0);
    EXPECT_GE(list->updates, 1) << "after a deletion";
    list->BeginUpdate();
    list->updates = 0;
    section.SubItems().Add("zwei");
    section.SubItems().Add("drei");
    list->EndUpdate();
    EXPECT_GE(list->updates, 1) << "after the update";
}

TEST_F(SectionListBoxTest, RichTextRowsAreMeasuredAndDrawnAsTheirText)
{
    TListSection& section = Section(2);
    section.SetItemHeight(15);
    section.SetColor(clWhite);
    section.SubItems().Add("{\\rtf1\\ansi eins}");
    section.SubItems().Add("{\\rtf1\\ansi eins\\par zwei}");
    section.SetState(lssExpanded);   // #A #B #C r1 r2
    EXPECT_EQ(list->RowHeight(3), 15) << "one line";
    EXPECT_EQ(list->RowHeight(4), 30) << "two paragraphs";

    auto shot = FlatTestForm::Shot(*list);
    RECT row = list->ItemRect(3);
    int dark = 0;
    for (int y = row.top; y < row.bottom; ++y)
        for (int x = list->SubItemIndent(); x < list->SubItemIndent() + 40; ++x)
            dark += (shot->PixelColor(x, y) & 0xFFFFFF) < 0x404040;
    EXPECT_GT(dark, 10) << "dark pixels of the text in the row";
}

TEST_F(SectionListBoxTest, InsertAndDeleteKeysAskFirst)
{
    Section(1).SetState(lssExpanded);   // #A #B b1 b2 b3 #C
    list->OnDeleteSubItem = [](TComponent*, int, int i, bool& allow) { allow = i == 1; };
    list->OnInsertSubItem = [](TComponent*, int, int, std::string& s) { s = "neu"; };
    list->SetItemIndex(3);
    Key(VK_DELETE);
    EXPECT_EQ(Rows(*list), "#A|#B|b1|b3|#C");
    EXPECT_EQ(list->ItemIndex(), 3) << "the row selected before";
    list->SetItemIndex(2);
    Key(VK_DELETE);
    EXPECT_EQ(Rows(*list), "#A|#B|b1|b3|#C") << "not allowed";
    Key(VK_INSERT);
    EXPECT_EQ(Rows(*list), "#A|#B|neu|b1|b3|#C");
    list->SetItemIndex(5);
    Key(VK_INSERT);   // a header without sub-items: appended
    EXPECT_EQ(Section(2).SubItems().Count(), 1);

    list->OnDeleteSection = [](TComponent*, int, bool& allow) { allow = true; };
    list->SetItemIndex(0);
    Key(VK_DELETE);
    EXPECT_EQ(Rows(*list), "#B|neu|b1|b3|#C");
    Key(VK_ESCAPE);
    EXPECT_EQ(list->ItemIndex(), -1);
}

TEST_F(SectionListBoxTest, SecondPressOnAWritableTextRowEdits)
{
    TListSection& section = Section(1);
    section.SetState(lssExpanded);
    Click(2);
    Click(2);
    EXPECT_FALSE(list->Editing()) << "read-only";

    section.SetReadOnly(false);
    std::string started, ended;
    list->OnStartEdit = [&](TComponent*, int, int, std::string& s) { started = s; };
    list->OnEndEdit = [&](TComponent*, int, int, std::string& s) {
        ended = s;
        s += "!";
    };
    Click(2);
    ASSERT_TRUE(list->Editing());
    EXPECT_EQ(started, "b1");
    HWND editor = GetFocus();
    ASSERT_NE(editor, list->Handle());
    SetWindowTextA(editor, "neu\r\n\t");
    SendMessageA(editor, WM_KEYDOWN, VK_RETURN, 1);
    EXPECT_FALSE(list->Editing());
    EXPECT_EQ(ended, "neu") << "trailing line ends and tabs dropped";
    EXPECT_EQ(section.SubItems().Strings(0), "neu!");
    EXPECT_EQ(list->Item(2), "neu!");
    EXPECT_EQ(list->ItemIndex(), 2);
    EXPECT_EQ(GetFocus(), list->Handle());
}

TEST_F(SectionListBoxTest, FreedPartnersAndAnOpenEditorAreLetGo)
{
    auto images = std::make_unique<TImageList>(16, 16);
    auto pictures = std::make_unique<TPictureContainer>(nullptr);
    list->SetSubItemImages(images.get());
    list->SetPictureContainer(pictures.get());
    images.reset();
    pictures.reset();
    EXPECT_EQ(list->SubItemImages(), nullptr);
    EXPECT_EQ(list->PictureContainer(), nullptr);

    Section(0).SetReadOnly(false);
    bool ended = false;
    list->OnEndEdit = [&](TComponent*, int, int, std::string&) { ended = true; };
    list->SelectSubItem(0, 0);
    Click(1);
    ASSERT_TRUE(list->Editing());
    delete list;
    list = nullptr;
    PumpMessages(20);
    EXPECT_FALSE(ended) << "nothing is committed into a list being freed";
    EXPECT_TRUE(exceptions.messages.empty()) << exceptions.messages.front();
}

TEST_F(SectionListBoxTest, AnchorsInMarkupRows)
{
    Section(2).SubItems().Add("<A href=\"ziel\">Verweis</A> und Text");
    Section(2).SubItems().Add("<A href=\"http://example.invalid/\">Netz</A>");
    Section(2).SetState(lssExpanded);   // #A #B #C m1 m2
    std::vector<std::string> events;
    list->OnAnchorEnter = [&](TComponent*, int i, const std::string& a) { events.push_back("enter " + std::to_string(i) + " " + a); };
    list->OnAnchorExit = [&](TComponent*, int i, const std::string& a) { events.push_back("exit " + std::to_string(i) + " [" + a + "]"); };
    list->OnAnchorClick = [&](TComponent*, int i, const std::string& a) { events.push_back("click " + std::to_string(i) + " " + a); };
    std::vector<std::string> opened;
    list->OpenURL = [&](const std::string& target) { opened.push_back(target); };

    int onAnchor = list->SubItemIndent() + 8;
    Send(WM_MOUSEMOVE, RowPoint(3, onAnchor));
    Send(WM_MOUSEMOVE, RowPoint(3, onAnchor + 2));
    Send(WM_MOUSEMOVE, RowPoint(3, 230));
    Click(3, onAnchor);
    Click(4, onAnchor);
    std::string joined;
    for (const std::string& e : events)
        joined += e + ";";
    EXPECT_EQ(joined, "enter 1 ziel;exit 1 [];enter 1 ziel;click 3 ziel;enter 1 http://example.invalid/;");
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "http://example.invalid/");
    EXPECT_EQ(list->ItemIndex(), -1) << "a press on an anchor does not select";
}

TEST_F(SectionListBoxTest, TabStopsAreDraggedOnHeaders)
{
    list->TabPositions().Add(100);
    list->SetTabPosMove(true);
    POINT onStop = RowPoint(1, 102);
    Send(WM_MOUSEMOVE, onStop);
    Send(WM_LBUTTONDOWN, onStop, MK_LBUTTON);
    Send(WM_MOUSEMOVE, RowPoint(1, 130), MK_LBUTTON);
    Send(WM_LBUTTONUP, RowPoint(1, 150));
    EXPECT_EQ(list->TabPositions().Items(0).TabPosition, 150);
    EXPECT_EQ(Rows(*list), "#A|#B|#C") << "the press took the tab stop, not the section";

    Send(WM_MOUSEMOVE, RowPoint(1, 40));   // away from every stop: a plain header click again
    Click(1, 40);
    EXPECT_EQ(Rows(*list), "#A|#B|b1|b2|b3|#C");

    // A stop the pointer passed on its way to a sub-item stays where it is.
    Send(WM_MOUSEMOVE, RowPoint(1, 150));
    Send(WM_MOUSEMOVE, RowPoint(2, 60));
    Send(WM_LBUTTONDOWN, RowPoint(2, 60), MK_LBUTTON);
    Send(WM_MOUSEMOVE, RowPoint(2, 180), MK_LBUTTON);
    Send(WM_LBUTTONUP, RowPoint(2, 180));
    EXPECT_EQ(list->TabPositions().Items(0).TabPosition, 150) << "a press on a sub-item moved the stop";
    EXPECT_EQ(list->ItemIndex(), 2) << "the press selects its row";
}

// Links and tab stops change the pointer over the rows; the cursor the program gave the list is
// what it shows everywhere else, and what its Cursor reads.
TEST_F(SectionListBoxTest, HoverCursorsLeaveTheProgramsCursor)
{
    Section(1).SubItems().SetStrings(0, "http://example.invalid/");
    Section(1).SubItems().SetStrings(1, "<A href=\"ziel\">Verweis</A>");
    Section(1).SetState(lssExpanded);   // #A #B url anchor b3 #C
    list->SetCursor(crCross);
    auto shown = [&](POINT point) {
        Send(WM_MOUSEMOVE, point);
        SendMessageA(list->Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(list->Handle()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    EXPECT_EQ(shown(RowPoint(2)), CursorHandle(crHandPoint)) << "over the address";
    EXPECT_EQ(shown(RowPoint(4)), CursorHandle(crCross)) << "over a plain row";
    EXPECT_EQ(shown(RowPoint(3, list->SubItemIndent() + 8)), CursorHandle(crHandPoint)) << "over the link";
    EXPECT_EQ(shown({10, 290}), CursorHandle(crCross)) << "below the rows";
    EXPECT_EQ(list->Cursor(), crCross);
}

// A text that wraps is measured in the room it is drawn in, past the check box and the image, and
// nothing of it reaches the next row.
TEST_F(SectionListBoxTest, WrappedMarkupRowsFitTheirRows)
{
    TImageList images(16, 16);
    AddLimeImage(images);
    list->SetSubItemImages(&images);
    list->SetWordWrap(true);
    TListSection& section = Section(2);
    section.SetColor(clWhite);
    section.SetControlType(scCheckbox);
    std::string text = "<B>Anfang</B>";
    for (int i = 0; i < 30; ++i)
        text += " Wort";
    section.SubItems().Add(text + " <FONT color=\"clred\">Ende</FONT>");
    section.SubItems().Add("danach");
    section.SetSubItemImageIndex(0, 0);
    section.SetState(lssExpanded);   // #A #B #C long after
    RECT row = list->ItemRect(3);
    ASSERT_GT(row.bottom - row.top, 3 * 13) << "several lines";

    auto shot = FlatTestForm::Shot(*list);
    int red = 0, outside = 0;
    for (int y = 0; y < list->ClientHeight(); ++y)
        for (int x = 0; x < list->ClientWidth(); ++x)
            if (shot->PixelColor(x, y) == clRed)
                ++(y >= row.top && y < row.bottom ? red : outside);
    EXPECT_GT(red, 10) << "the last word inside its row " << row.top << ".." << row.bottom;
    EXPECT_EQ(outside, 0) << "red pixels outside the row";
    list->SetSubItemImages(nullptr);
}

// Anchors are where they are drawn, also past a check box and an image; tab columns stand where
// their grid lines do, whatever precedes the text.
TEST_F(SectionListBoxTest, AnchorsAndColumnsAreWhereTheyAreDrawn)
{
    TImageList images(16, 16);
    AddLimeImage(images);
    list->SetSubItemImages(&images);
    list->TabPositions().Add(120);
    TListSection& section = Section(2);
    section.SetColor(clWhite);
    section.Font().SetColor(clBlack);
    section.SetControlType(scCheckbox);
    section.SetLines(slVertical);
    section.SubItems().Add("<A href=\"ziel\">Verweis</A>");
    section.SubItems().Add("a\tIIII");
    section.SetSubItemImageIndex(0, 0);
    section.SetSubItemImageIndex(1, 0);
    section.SetState(lssExpanded);   // #A #B #C anchor columns
    auto shot = FlatTestForm::Shot(*list);

    RECT anchorRow = list->ItemRect(3);
    int middle = (anchorRow.top + anchorRow.bottom) / 2;
    int anchorLeft = -1, anchorRight = -1;
    for (int y = anchorRow.top; y < anchorRow.bottom; ++y)
        for (int x = 0; x < list->ClientWidth(); ++x)
            if (shot->PixelColor(x, y) == clBlue) {
                anchorLeft = anchorLeft < 0 ? x : std::min(anchorLeft, x);
                anchorRight = std::max(anchorRight, x);
            }
    ASSERT_GE(anchorLeft, list->SubItemIndent() + 16 + 16) << "the link drawn after the check box and image";
    std::vector<std::string> clicks;
    list->OnAnchorClick = [&](TComponent*, int, const std::string& a) { clicks.push_back(a); };
    for (int x : {anchorLeft + 1, anchorRight - 1}) {
        Send(WM_MOUSEMOVE, {x, middle});
        Send(WM_LBUTTONDOWN, {x, middle}, MK_LBUTTON);
        Send(WM_LBUTTONUP, {x, middle});
    }
    EXPECT_EQ(clicks.size(), 2u) << "presses on both ends of the link drawn at " << anchorLeft << ".." << anchorRight;

    RECT columns = list->ItemRect(4);
    auto dark = [](TColor c) { return GetRValue(c) < 0x80 && GetGValue(c) < 0x80 && GetBValue(c) < 0x80; };
    int column = -1;   // the first dark pixel right of the grid line's white edge
    for (int x = 121; x < list->ClientWidth() && column < 0; ++x)
        for (int y = columns.top; y < columns.bottom - 1; ++y)
            if (dark(shot->PixelColor(x, y))) {
                column = x;
                break;
            }
    EXPECT_EQ(Hex(shot->PixelColor(118, (columns.top + columns.bottom) / 2)), Hex(clBlack)) << "the grid line";
    EXPECT_GE(column, 120);
    EXPECT_LT(column, 124) << "the second column starts at its tab stop";
    list->SetSubItemImages(nullptr);
}

// A header shows an address as the rows do, and rich text as its text.
TEST_F(SectionListBoxTest, HeadersShowAddressesAndRichText)
{
    list->SetSectionColor(clWhite);
    list->URLSettings().SetURLAware(true);
    list->URLSettings().SetURLColor(clRed);
    Section(0).SetCaption("http://example.invalid/");
    Section(1).SetCaption("{\\rtf1\\ansi Kopf}");
    auto shot = FlatTestForm::Shot(*list);
    RECT address = list->ItemRect(0);
    int red = 0;
    for (int y = address.top; y < address.bottom; ++y)
        for (int x = 0; x < list->ClientWidth(); ++x)
            red += shot->PixelColor(x, y) == clRed;
    EXPECT_GT(red, 20) << "the address in the address colour";

    RECT rich = list->ItemRect(1);
    int right = 0;
    for (int y = rich.top + 1; y < rich.bottom - 1; ++y)
        for (int x = list->SectionIndent(); x < list->ClientWidth() - 2; ++x)
            if ((shot->PixelColor(x, y) & 0xFFFFFF) < 0x808080)
                right = std::max(right, x);
    EXPECT_GT(right, list->SectionIndent() + 10) << "some text";
    EXPECT_LT(right, list->SectionIndent() + 50) << "\"Kopf\", not the rich text's source";
}

// Leaving the editor for another control commits the text and leaves the focus where it went.
TEST(SectionListBoxEditing, TheFocusStaysWithTheControlTheUserChose)
{
    FlatTestForm form(300, 300);
    auto* list = form.Add<TSectionListBox>(0, 0, 260, 200);
    auto* other = form.Add<TEdit>(0, 220, 200, 21);
    TListSection& section = list->Sections().Add();
    section.SetReadOnly(false);
    for (const char* item : {"eins", "zwei", "drei"})
        section.SubItems().Add(item);
    section.SetState(lssExpanded);
    ASSERT_TRUE(form.ShowActive());
    list->SetFocus();
    list->SetItemIndex(2);
    list->StartEdit(2);
    ASSERT_TRUE(list->Editing());
    SetWindowTextA(GetFocus(), "neu");

    other->SetFocus();
    EXPECT_FALSE(list->Editing());
    EXPECT_EQ(section.SubItems().Strings(1), "neu") << "committed";
    EXPECT_EQ(GetFocus(), other->Handle()) << "the focus went back to the list";
    SendMessageA(GetFocus(), WM_CHAR, 'd', 1);
    EXPECT_EQ(list->ItemIndex(), 2) << "typing moved the list's selection";
    EXPECT_EQ(other->Text(), "d");
}

// The editor stays over its row, however the list scrolls.
TEST(SectionListBoxEditing, TheEditorFollowsItsRow)
{
    FlatTestForm form(260, 400);
    auto* list = form.Add<TSectionListBox>(0, 0, 260, 200);
    TListSection& section = list->Sections().Add();
    section.SetReadOnly(false);
    for (int i = 0; i < 40; ++i)
        section.SubItems().Add("Zeile " + std::to_string(i));
    section.SetState(lssExpanded);
    ASSERT_TRUE(form.ShowActive());
    list->SetItemIndex(5);
    list->StartEdit(5);
    ASSERT_TRUE(list->Editing());
    HWND editor = GetFocus();
    auto editorTop = [&] {
        RECT rect;
        GetWindowRect(editor, &rect);
        MapWindowPoints(nullptr, list->Handle(), reinterpret_cast<POINT*>(&rect), 2);
        return rect.top;
    };
    SendMessageA(list->Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 25), 0);
    ASSERT_EQ(list->TopIndex(), 25);
    EXPECT_EQ(editorTop(), list->ItemRect(5).top) << "after the scroll bar";
    POINT centre = {FlatTestForm::Left + 100, FlatTestForm::Top + 100};
    SendMessageA(list->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), MAKELPARAM(centre.x, centre.y));
    ASSERT_LT(list->TopIndex(), 25) << "the wheel scrolls";
    EXPECT_EQ(editorTop(), list->ItemRect(5).top) << "after the wheel";
    SendMessageA(list->Handle(), WM_VSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    EXPECT_EQ(editorTop(), list->ItemRect(5).top) << "back at the top";
    list->EndEdit();

    // A list made taller near its end shows more rows above: they move without a scroll.
    list->SetItemIndex(35);
    list->StartEdit(35);
    editor = GetFocus();
    list->SetTopIndex(30);
    const int before = list->TopIndex();
    list->SetBounds(0, 0, 260, 400);
    ASSERT_LT(list->TopIndex(), before);
    EXPECT_EQ(editorTop(), list->ItemRect(35).top) << "after the list grew";
}

// The list's re-measure after image changes survives a new window: one posted to the old window
// went with it.
TEST(SectionListBoxHeights, ImageChangesAreMeasuredAfterTheWindowWasMadeAgain)
{
    FlatTestForm form(260, 200);
    auto* list = form.Add<TSectionListBox>(0, 0, 260, 200);
    TImageList images(32, 32);
    TBitmap tile(32, 32);
    list->SetSubItemImages(&images);
    TListSection& section = list->Sections().Add();
    section.SubItems().Add("<IMG src=\"idx:0\" align=\"middle\"><B></B>   Arbeitsplatz");
    section.SetState(lssExpanded);
    form.form->Handle();
    const int withoutImage = list->RowHeight(1);

    images.AddMasked(tile, clNone);   // a re-measure is posted...
    list->SetParent(nullptr);         // ...to a window that goes
    list->SetParent(form.form.get());
    list->Handle();
    PumpMessages(20);
    EXPECT_GE(list->RowHeight(1), 34) << "the new window measures the image";
    images.Clear();
    PumpMessages(20);
    EXPECT_EQ(list->RowHeight(1), withoutImage) << "the image gone, measured again";
    list->SetSubItemImages(nullptr);
}

TEST_F(SectionListBoxTest, URLRowsOpenOnlyWhenAware)
{
    Section(1).SubItems().SetStrings(0, "http://example.invalid/");
    Section(1).SetState(lssExpanded);
    std::vector<std::string> opened;
    list->OpenURL = [&](const std::string& target) { opened.push_back(target); };
    Click(2);
    EXPECT_TRUE(opened.empty()) << opened.front();
    EXPECT_EQ(list->ItemIndex(), 2);
    list->URLSettings().SetURLAware(true);
    Click(2);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], "http://example.invalid/");
}

// The system-icon page's configuration: colours, a mark-up row with its image, the selection.
TEST(SectionListBoxPaint, SystemIconPageLook)
{
    FlatTestForm form(260, 300);
    auto* list = form.Add<TSectionListBox>(0, 0, 260, 300);
    TImageList images(32, 32);
    TBitmap green(32, 32);
    green.Canvas().Brush().SetColor(clLime);
    green.Canvas().FillRect({0, 0, 32, 32});
    for (int i = 0; i < 4; ++i)
        images.AddMasked(green, clNone);
    list->SetSubItemHeight(32);
    list->SetSectionHeight(15);
    list->SetColor(0x984E00);
    list->SetSectionColor(0xFFC697);
    list->SetSelectionColor(0xDD7400);
    list->SetSelectionTextColor(clWhite);
    list->SetFlat(true);
    for (const char* caption : {"Desktop", "Startmenü"}) {
        TListSection& section = list->Sections().Add();
        section.SetCaption(caption);
        section.SetColor(0x984E00);
        section.Font().SetColor(clWhite);
        for (int i = 0; i < 2; ++i)
            section.SubItems().Add("<IMG src=\"idx:" + std::to_string(i) + "\" align=\"middle\"><B></B>   Eintrag");
    }
    list->SetOneExpanded(true);
    list->SetSubItemImages(&images);
    form.ShowActive();
    list->SelectSubItem(0, 1);
    PumpMessages(50);

    auto shot = FlatTestForm::Shot(*list);
    RECT header = list->ItemRect(0);
    RECT plain = list->ItemRect(1);
    RECT selected = list->ItemRect(2);
    int middle = (plain.top + plain.bottom) / 2;
    EXPECT_EQ(Hex(shot->PixelColor(200, (header.top + header.bottom) / 2)), Hex(0xFFC697)) << "header";
    EXPECT_EQ(Hex(shot->PixelColor(200, middle)), Hex(0x984E00)) << "sub-item";
    EXPECT_EQ(Hex(shot->PixelColor(200, (selected.top + selected.bottom) / 2)), Hex(0xDD7400)) << "selected";
    EXPECT_EQ(Hex(shot->PixelColor(list->SubItemIndent() + 10, middle)), Hex(clLime)) << "the idx: image";
    EXPECT_EQ(Hex(shot->PixelColor(header.left, header.top + 5)), Hex(clWhite)) << "the header's lit edge";
    int nodeTop = header.top + (15 - 8) / 2;
    EXPECT_EQ(Hex(shot->PixelColor(header.left + 3, nodeTop - 1)), Hex(clBlack))
        << "the node box";

    // Painting every kind of row again and again leaves no GDI object behind.
    list->Sections().Items(1).SetControlType(scCheckbox);
    list->SetNodeType(ln3D);
    list->ExpandAll();
    FlatTestForm::Shot(*list);
    long before = gdicount::LiveObjects();
    for (int i = 0; i < 5; ++i) {
        list->SetNodeType(i % 2 ? ln3D : lnFlat);
        FlatTestForm::Shot(*list);
        list->Repaint();
    }
    long after = gdicount::LiveObjects();
    if (before >= 0) {
        EXPECT_EQ(after, before) << "GDI objects after repeated paints";
    }
    list->SetSubItemImages(nullptr);
}

TEST(SectionListBoxPaint, EmptySectionNodeIsGrey)
{
    FlatTestForm form(200, 100);
    auto* list = form.Add<TSectionListBox>(0, 0, 200, 100);
    list->SetSectionColor(clWhite);
    list->Sections().Add().SetCaption("leer");
    form.ShowActive();
    auto shot = FlatTestForm::Shot(*list);
    RECT header = list->ItemRect(0);
    int nodeTop = header.top + (list->SectionHeight() - 8) / 2;
    int left = header.left + 3;   // the box's outline, one pixel left of the box
    EXPECT_EQ(Hex(shot->PixelColor(left, nodeTop - 1)), Hex(clGray)) << "frame";
    EXPECT_EQ(Hex(shot->PixelColor(left + 3, nodeTop + 3)), Hex(clWhite)) << "no minus";
}

}  // namespace
