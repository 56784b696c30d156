// The list view control: items and columns made before the window, kept across a new window
// and a change of view, and the window always showing what the items hold.
#include <windows.h>
#include <commctrl.h>

#include "Forms.h"
#include "ImageList.h"
#include "ListView.h"
#include "MessagePump.h"
#include "TestForm.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class ProbeListView : public TCustomListView {
public:
    using TCustomListView::TCustomListView;
    using TCustomListView::RecreateWnd;
};

struct ListOnForm : ListViewOnForm<ProbeListView> {
    ListOnForm() : ListViewOnForm(20, 20, 400, 300) {}

    // Row texts as the window shows them: columns joined by ",", rows by "|".
    std::string Shown()
    {
        std::string shown;
        for (int row = 0; row < ShownRows(); ++row) {
            if (row)
                shown += "|";
            for (int column = 0; column < list->Columns().Count(); ++column)
                shown += (column ? "," : "") + ShownText(row, column);
        }
        return shown;
    }
};

TListItem* AddItem(TCustomListView& list, const std::string& caption, const std::vector<std::string>& subItems)
{
    TListItem* item = list.Items().Add();
    item->SetCaption(caption);
    for (const std::string& text : subItems)
        item->SubItems().Add(text);
    return item;
}

}  // namespace

TEST(ListView, WhatWasMadeBeforeTheWindowShowsInIt)
{
    ListOnForm f;
    for (const char* caption : {"Name", "Größe"})
        f.list->Columns().Add()->SetCaption(caption);
    AddItem(*f.list, "a", {"1"});
    TListItem* b = AddItem(*f.list, "b", {"2"});
    b->SetSelected(true);
    f.form->Show();
    EXPECT_EQ(f.Shown(), "a,1|b,2");
    EXPECT_EQ(f.list->Selected(), b);
    EXPECT_EQ(f.list->SelCount(), 1);

    b->SubItems().Set(0, "zwei");
    f.list->Items()[0]->SetCaption("A");
    AddItem(*f.list, "c", {});
    f.list->Items().Insert(0)->SetCaption("first");
    EXPECT_EQ(f.Shown(), "first,|A,1|b,zwei|c,");
    f.list->Items().Delete(1);
    EXPECT_EQ(f.Shown(), "first,|b,zwei|c,");
    EXPECT_EQ(b->Index(), 1);
}

TEST(ListView, ANewWindowKeepsItemsSelectionAndWidths)
{
    ListOnForm f;
    f.list->Columns().Add()->SetCaption("Name");
    f.list->Columns().Add()->SetCaption("Wert");
    AddItem(*f.list, "a", {"1"});
    TListItem* b = AddItem(*f.list, "b", {"2"});
    f.form->Show();
    f.list->SetSelected(b);
    f.list->Columns()[1]->SetWidth(123);
    HWND before = f.list->Handle();
    f.list->RecreateWnd();
    EXPECT_NE(f.list->Handle(), before);
    EXPECT_EQ(f.Shown(), "a,1|b,2");
    EXPECT_EQ(f.list->Selected(), b);
    EXPECT_EQ(f.list->Columns()[1]->Width(), 123);
}

TEST(ListView, ColumnWidthsSurviveOtherViews)
{
    ListOnForm f;
    f.list->SetViewStyle(vsIcon);
    f.list->Columns().Add()->SetCaption("Name");
    f.form->Show();
    // The icon view keeps no widths: the column holds on to it for the report view.
    f.list->Columns()[0]->SetWidth(140);
    f.list->SetViewStyle(vsReport);
    EXPECT_EQ(f.list->Columns()[0]->Width(), 140);
    f.list->Columns()[0]->SetWidth(90);
    f.list->SetViewStyle(vsSmallIcon);
    f.list->SetViewStyle(vsReport);
    EXPECT_EQ(f.list->Columns()[0]->Width(), 90);
}

TEST(ListView, DeletingAColumnKeepsTheTextsInTheirColumns)
{
    ListOnForm f;
    for (const char* caption : {"A", "B", "C"})
        f.list->Columns().Add()->SetCaption(caption);
    AddItem(*f.list, "x", {"b1", "c1"});
    f.form->Show();
    // Sub-items belong to positions, as the items hold them.
    f.list->Columns().Delete(2);
    EXPECT_EQ(f.Shown(), "x,b1");
    f.list->Columns().Add()->SetCaption("C");
    EXPECT_EQ(f.Shown(), "x,b1,c1");
    f.list->Items()[0]->SubItems().Delete(0);
    EXPECT_EQ(f.Shown(), "x,c1,");
}

TEST(ListView, MovingAnItemKeepsTheObject)
{
    ListOnForm f;
    f.list->Columns().Add()->SetCaption("Name");
    std::vector<TListItem*> items;
    for (const char* caption : {"a", "b", "c"})
        items.push_back(AddItem(*f.list, caption, {}));
    f.form->Show();
    f.list->Items().Move(0, 2);
    EXPECT_EQ(f.Shown(), "b|c|a");
    EXPECT_EQ(f.list->Items()[2], items[0]);
    EXPECT_THROW(f.list->Items().Move(0, 3), EListError);
}

TEST(ListView, ForgetsAnImageListThatGoes)
{
    ListOnForm f;
    auto images = std::make_unique<TImageList>(16, 16);
    f.list->SetSmallImages(images.get());
    f.list->SetLargeImages(images.get());
    f.form->Show();
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(f.list->Handle(), LVM_GETIMAGELIST, LVSIL_SMALL, 0)),
              images->Handle());
    images.reset();
    EXPECT_EQ(f.list->SmallImages(), nullptr);
    EXPECT_EQ(f.list->LargeImages(), nullptr);
    EXPECT_EQ(SendMessageA(f.list->Handle(), LVM_GETIMAGELIST, LVSIL_SMALL, 0), 0);
}

TEST(ListView, ClicksAndSelectionAreReported)
{
    ListOnForm f;
    f.list->Columns().Add()->SetCaption("Name");
    AddItem(*f.list, "a", {});
    AddItem(*f.list, "b", {});
    f.form->Show();
    std::vector<std::string> selected;
    f.list->OnSelectItem = [&](TComponent*, TListItem* item, bool on) {
        selected.push_back((on ? "+" : "-") + item->Caption());
    };
    f.list->SetSelected(f.list->Items()[0]);
    f.list->SetSelected(f.list->Items()[1]);
    std::string joined;
    for (const std::string& s : selected)
        joined += s;
    EXPECT_EQ(joined, "+a-a+b");

    int clicks = 0;
    f.list->OnClick = [&](TComponent*) { ++clicks; };
    RECT row = {};
    row.left = LVIR_LABEL;
    SendMessageA(f.list->Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    LPARAM at = MAKELPARAM(row.left + 3, (row.top + row.bottom) / 2);
    SendMessageA(f.list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(f.list->Handle(), WM_LBUTTONUP, 0, at);
    PumpMessages();
    EXPECT_EQ(clicks, 1);
}
