// The section list box's scroll bars: the vertical one always there, a horizontal one only while
// a row is wider than the list.
#include <windows.h>

#include "FlatTestForm.h"
#include "MessagePump.h"
#include "slstbox.h"

#include <gtest/gtest.h>

#include <string>

namespace {

bool HasBar(TSectionListBox& list, LONG bar)
{
    return (GetWindowLongA(list.Handle(), GWL_STYLE) & bar) != 0;
}

}  // namespace

TEST(SectionListBoxScroll, AHorizontalBarOnlyWhileARowIsWiderThanTheList)
{
    FlatTestForm form(260, 200);
    auto* list = form.Add<TSectionListBox>(0, 0, 260, 200);
    TListSection& section = list->Sections().Add();
    section.SetCaption("Desktop");
    section.SubItems().Add("<IMG src=\"idx:0\" align=\"middle\"><B></B>   Arbeitsplatz");
    section.SubItems().Add("kurz");
    ASSERT_TRUE(form.ShowActive());
    EXPECT_TRUE(HasBar(*list, WS_VSCROLL)) << "the vertical bar is always there";
    EXPECT_FALSE(HasBar(*list, WS_HSCROLL)) << "nothing to scroll sideways";
    list->ContractAll();
    list->ExpandAll();
    PumpMessages();
    EXPECT_FALSE(HasBar(*list, WS_HSCROLL)) << "after closing and opening the sections";

    section.SubItems().Add(std::string(120, 'W'));
    PumpMessages();
    EXPECT_TRUE(HasBar(*list, WS_HSCROLL)) << "a row wider than the list";
    section.SubItems().Delete(2);
    PumpMessages();
    EXPECT_FALSE(HasBar(*list, WS_HSCROLL)) << "gone with that row";
}
