// The owner-drawn list box: rows kept before the window exists, a height per row, hit-testing
// below the last row, and change notices only for the user's own selections.
#include <windows.h>

#include "Exceptions.h"
#include "Forms.h"
#include "ListBox.h"
#include "MessagePump.h"
#include "TestForm.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class ListBoxTest : public ::testing::Test, public TestForm {
protected:
    ListBoxTest() : TestForm(600, 400, 200, 200)
    {
        list = new TCustomListBox(form.get());
        list->SetStyle(lbOwnerDrawVariable);
        list->SetParent(form.get());
        list->SetBounds(0, 0, 200, 200);
    }

    TCustomListBox* list = nullptr;
};

TEST_F(ListBoxTest, RowsMadeBeforeTheWindowReachIt)
{
    const int heights[] = {12, 30, 7};
    for (int i = 0; i < 3; ++i) {
        list->AddItem("row " + std::to_string(i), i + 100);
        list->SetRowHeight(i, heights[i]);
    }
    list->SetItemIndex(1);
    form->Show();
    PumpMessages();
    ASSERT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 3);
    int top = 0;
    for (int i = 0; i < 3; ++i) {
        RECT rect = list->ItemRect(i);
        EXPECT_EQ(rect.bottom - rect.top, heights[i]) << "row " << i;
        EXPECT_EQ(rect.top, top) << "row " << i;
        top = rect.bottom;
        EXPECT_EQ(SendMessageA(list->Handle(), LB_GETITEMDATA, i, 0), i + 100) << "row " << i;
    }
    EXPECT_EQ(list->ItemIndex(), 1);

    list->InsertItem(0, "neu", 7);
    list->DeleteItem(3);
    list->SetItem(1, "anders");
    EXPECT_EQ(list->ItemCount(), 3);
    EXPECT_EQ(list->Item(1), "anders");
    EXPECT_EQ(list->ItemData(1), 100);
    char text[32] = {};
    SendMessageA(list->Handle(), LB_GETTEXT, 1, reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, "anders");
    EXPECT_EQ(list->ItemIndex(), 2) << "the selected row moved down with the insertion";
    EXPECT_THROW(list->Item(3), Exception);
}

TEST_F(ListBoxTest, TheSelectedRowStaysSelectedWhileRowsComeAndGoBeforeTheWindow)
{
    for (const char* text : {"a", "b", "c"})
        list->AddItem(text, 0);
    list->SetItemIndex(2);
    list->DeleteItem(0);
    EXPECT_EQ(list->ItemIndex(), 1) << "after deleting a row above the last";
    list->InsertItem(0, "neu", 0);
    EXPECT_EQ(list->ItemIndex(), 2) << "after inserting a row above it";
    list->AddItem("d", 0);
    list->DeleteItem(3);
    EXPECT_EQ(list->ItemIndex(), 2) << "after deleting a row below it";
    form->Show();
    PumpMessages();
    ASSERT_GE(list->ItemIndex(), 0);
    EXPECT_EQ(list->Item(list->ItemIndex()), "c");
}

TEST_F(ListBoxTest, HitsAndChangeNotices)
{
    for (int i = 0; i < 3; ++i)
        list->AddItem("row", 0);
    form->Show();
    PumpMessages();
    int changes = 0;
    list->OnChange = [&](TComponent*) { ++changes; };
    struct {
        int y, row;
    } const cases[] = {{1, 0}, {17, 1}, {47, 2}, {48, -1}, {190, -1}};
    for (const auto& c : cases)
        EXPECT_EQ(list->ItemAtPos({10, c.y}), c.row) << "y " << c.y;

    list->SetItemIndex(2);
    EXPECT_EQ(changes, 0) << "a selection by code";
    SendMessageA(list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 20));
    SendMessageA(list->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(10, 20));
    EXPECT_EQ(list->ItemIndex(), 1);
    EXPECT_GE(changes, 1) << "a click";
}

}  // namespace
