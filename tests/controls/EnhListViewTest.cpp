// The enhanced list view on a form: sorting by clicked columns with the arrows in the header,
// moving items, type-ahead search, blocked column resizing, owner drawing and the settings it
// keeps in a sandboxed registry.
#include <windows.h>
#include <commctrl.h>

#include "Bitmap.h"
#include "EnhListView.h"
#include "ExceptionLog.h"
#include "Forms.h"
#include "MessagePump.h"
#include "Pixels.h"
#include "RegistryProbe.h"
#include "RegistrySandbox.h"
#include "TestForm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// Opens the protected parts a test looks at, and records what the platform's list view is given.
class ProbeListView : public TqelEnhListView {
public:
    using TqelEnhListView::TqelEnhListView;
    using TCustomEnhListView::HeaderHandle;
    using TCustomEnhListView::SortArrowFor;

    std::vector<WPARAM> keysToPlatform;

protected:
    LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        if (msg == WM_KEYDOWN)
            keysToPlatform.push_back(wParam);
        return TqelEnhListView::DefaultHandler(msg, wParam, lParam);
    }
};

std::string Joined(const std::vector<std::string>& texts)
{
    std::string joined;
    for (const std::string& text : texts)
        joined += (joined.empty() ? "" : "|") + text;
    return joined;
}

// A date in the user's short date format, as the list shows dates.
std::string ShortDate(WORD year, WORD month, WORD day)
{
    SYSTEMTIME date = {};
    date.wYear = year;
    date.wMonth = month;
    date.wDay = day;
    char text[64] = {};
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, text, sizeof text);
    return text;
}

struct ListOnForm : ListViewOnForm<ProbeListView> {
    explicit ListOnForm(bool report = true) : ListViewOnForm(30, 30, 460, 300, report) {}

    // A column's texts as the window shows them, top to bottom.
    std::vector<std::string> Shown(int column = 0)
    {
        std::vector<std::string> texts;
        for (int row = 0; row < ShownRows(); ++row)
            texts.push_back(ShownText(row, column));
        return texts;
    }

    // The captions in the control's own item order.
    std::vector<std::string> Captions()
    {
        std::vector<std::string> texts;
        for (int i = 0; i < list->Items().Count(); ++i)
            texts.push_back(list->Items()[i]->Caption());
        return texts;
    }

    // A click on a column header as the mouse makes it.
    void ClickHeader(int column)
    {
        RECT rect = HeaderItemRect(column);
        LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        SendMessageA(list->HeaderHandle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(list->HeaderHandle(), WM_LBUTTONUP, 0, at);
        PumpMessages();
    }

    int HeaderFormat(int column)
    {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        SendMessageA(list->HeaderHandle(), HDM_GETITEMA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&item));
        return item.fmt;
    }

    // The header as it paints itself.
    std::unique_ptr<TBitmap> HeaderShot() { return PrintClient(list->HeaderHandle(), PRF_CLIENT | PRF_ERASEBKGND); }

    void KeyUp(WORD key)
    {
        SendMessageA(list->Handle(), WM_KEYUP, key, 0xC0000001 | (MapVirtualKeyA(key, MAPVK_VK_TO_VSC) << 16));
    }

    std::string SelectedCaption()
    {
        TListItem* item = list->Selected();
        return item ? item->Caption() : "(none)";
    }
};

// Whether `pattern` appears pixel for pixel inside `area` of `shot`.
bool Contains(TBitmap& shot, const RECT& area, TBitmap& pattern)
{
    for (int y = area.top; y + pattern.Height() <= area.bottom; ++y)
        for (int x = area.left; x + pattern.Width() <= area.right; ++x) {
            bool same = true;
            for (int py = 0; same && py < pattern.Height(); ++py)
                for (int px = 0; same && px < pattern.Width(); ++px)
                    same = shot.PixelColor(x + px, y + py) == pattern.PixelColor(px, py);
            if (same)
                return true;
        }
    return false;
}

// Which header columns show the up or the down arrow: "U" / "D" / "-" per column.
std::string ArrowsShown(ListOnForm& f)
{
    TBitmap* up = nullptr;
    TBitmap* down = nullptr;
    // The control's own pictures: ask it for the arrow of its current column both ways round.
    int current = f.list->CurrentSortColumn();
    bool ascending = f.list->CurrentSortAscending();
    f.list->SetCurrentSortAscending(true);
    up = f.list->SortArrowFor(current);
    f.list->SetCurrentSortAscending(false);
    down = f.list->SortArrowFor(current);
    f.list->SetCurrentSortAscending(ascending);
    if (!up || !down)
        return "no arrow pictures";
    std::unique_ptr<TBitmap> shot = f.HeaderShot();
    std::string shown;
    for (int column = 0; column < f.list->Columns().Count(); ++column) {
        RECT rect = f.HeaderItemRect(column);
        bool hasUp = Contains(*shot, rect, *up);
        bool hasDown = Contains(*shot, rect, *down);
        shown += hasUp && hasDown ? "?" : hasUp ? "U" : hasDown ? "D" : "-";
    }
    return shown;
}

}  // namespace

TEST(EnhListView, ClickedColumnsSortAsTextNumbersAndDatesWithArrows)
{
    ListOnForm f;
    f.AddColumns({"Name", "Größe", "Datum"});
    f.list->SetAutoColumnSort(acsSortToggle);
    f.list->SetShowSortArrows(true);
    const std::string d1999 = ShortDate(1999, 12, 31), d2001a = ShortDate(2001, 1, 2), d2001b = ShortDate(2001, 5, 1);
    f.AddItem("beta", {"10", d2001b});
    f.AddItem("Alpha", {"9", d1999});
    f.AddItem("gamma", {"100 kB", d2001a});
    f.Show();
    ASSERT_NE(f.list->HeaderHandle(), nullptr);
    for (int column = 0; column < 3; ++column)
        EXPECT_TRUE(f.HeaderFormat(column) & HDF_OWNERDRAW) << "column " << column << " format " << f.HeaderFormat(column);

    std::vector<std::pair<int, bool>> sorts;
    f.list->OnSortFinished = [&](TComponent*, int column, bool ascending) { sorts.emplace_back(column, ascending); };

    const struct {
        int click;
        const char* order;   // captions top to bottom
        bool ascending;
        const char* arrows;
    } steps[] = {
        {1, "Alpha|beta|gamma", true, "-U-"},    // 9, 10, 100 as numbers
        {1, "gamma|beta|Alpha", false, "-D-"},   // the same column again: the other way
        {2, "Alpha|gamma|beta", true, "--U"},    // a new column starts ascending, by date
        {0, "Alpha|beta|gamma", true, "U--"},
        {0, "gamma|beta|Alpha", false, "D--"},
    };
    for (const auto& step : steps) {
        f.ClickHeader(step.click);
        EXPECT_EQ(Joined(f.Shown()), step.order) << "after a click on column " << step.click;
        EXPECT_EQ(Joined(f.Captions()), step.order) << "item order after a click on column " << step.click;
        EXPECT_EQ(f.list->CurrentSortColumn(), step.click);
        EXPECT_EQ(f.list->CurrentSortAscending(), step.ascending) << "column " << step.click;
        ASSERT_FALSE(sorts.empty()) << "no sort after a click on column " << step.click;
        EXPECT_EQ(sorts.back(), std::make_pair(step.click, step.ascending))
            << "reported column " << sorts.back().first << " ascending " << sorts.back().second;
        EXPECT_EQ(ArrowsShown(f), step.arrows) << "after a click on column " << step.click;
    }
}

TEST(EnhListView, ReversedArrowsSwapThePictures)
{
    ListOnForm f;
    f.AddColumns({"Name"});
    f.list->SetAutoColumnSort(acsSort);
    f.list->SetShowSortArrows(true);
    f.AddItem("b");
    f.AddItem("a");
    f.Show();
    f.list->SortByColumn(0, true);
    TBitmap* normal = f.list->SortArrowFor(0);
    ASSERT_NE(normal, nullptr);
    TBitmap upPicture;
    upPicture.Assign(*normal);
    f.list->SetReverseSortArrows(true);
    f.list->SetCurrentSortAscending(false);
    TBitmap* reversedDown = f.list->SortArrowFor(0);
    ASSERT_NE(reversedDown, nullptr);
    bool same = upPicture.Width() == reversedDown->Width() && upPicture.Height() == reversedDown->Height();
    for (int y = 0; same && y < upPicture.Height(); ++y)
        for (int x = 0; same && x < upPicture.Width(); ++x)
            same = upPicture.PixelColor(x, y) == reversedDown->PixelColor(x, y);
    EXPECT_TRUE(same) << "reversed, descending shows the picture that ascending showed before";
}

TEST(EnhListView, PlainSortKeepsItsDirectionAndToggleFollowsDirectSorts)
{
    ListOnForm f;
    f.AddColumns({"Name", "Wert"});
    f.AddItem("a", {"3"});
    f.AddItem("b", {"1"});
    f.AddItem("c", {"2"});
    f.Show();

    f.list->SetAutoColumnSort(acsSort);
    f.list->SetCurrentSortAscending(false);
    f.ClickHeader(1);
    EXPECT_EQ(Joined(f.Shown()), "a|c|b");
    f.ClickHeader(1);
    EXPECT_EQ(Joined(f.Shown()), "a|c|b") << "a second click keeps the direction";
    f.ClickHeader(0);
    EXPECT_EQ(Joined(f.Shown()), "c|b|a") << "another column, same direction";

    // A direct sort leaves the direction it sorted in, so the next click really turns it round.
    f.list->SetAutoColumnSort(acsSortToggle);
    f.list->SortByColumn(1, false);
    EXPECT_EQ(Joined(f.Shown()), "a|c|b");
    EXPECT_FALSE(f.list->CurrentSortAscending());
    f.ClickHeader(1);
    EXPECT_EQ(Joined(f.Shown()), "b|c|a") << "the click after a descending sort";
    EXPECT_TRUE(f.list->CurrentSortAscending());
}

TEST(EnhListView, ItemsWithoutTheSortColumnSortAsEmptyText)
{
    ListOnForm f;
    f.AddColumns({"Name", "Wert"});
    f.AddItem("a", {"b"});
    f.AddItem("short");
    f.AddItem("c", {"a"});
    f.Show();
    f.list->SetAutoColumnSort(acsSort);
    f.list->SortByColumn(1, true);
    EXPECT_EQ(Joined(f.Shown()), "short|c|a");
}

TEST(EnhListView, UpdateBracketsSortOnceAtTheEnd)
{
    ListOnForm f;
    f.AddColumns({"Name"});
    f.list->SetAutoColumnSort(acsSort);
    f.Show();
    f.list->SortByColumn(0, true);
    int sorts = 0;
    f.list->OnSortBegin = [&](TComponent*, int, bool) { ++sorts; };
    f.list->BeginUpdate();
    f.list->BeginUpdate();
    for (const char* caption : {"d", "b", "a", "c"})
        f.AddItem(caption);
    f.list->EndUpdate();
    EXPECT_EQ(sorts, 0) << "inside the outer bracket";
    f.list->EndUpdate();
    EXPECT_EQ(sorts, 1);
    EXPECT_EQ(Joined(f.Shown()), "a|b|c|d");
}

TEST(EnhListView, ListsSetUpWithColumnsSortByTheFirst)
{
    ListOnForm f;
    f.AddColumns({"Name", "Wert"});
    f.list->SetAutoColumnSort(acsSort);
    for (const char* caption : {"b", "c", "a"})
        f.AddItem(caption);
    f.Show();
    // Without stored settings the first column is the sort column from the start.
    EXPECT_EQ(f.list->CurrentSortColumn(), 0);
    EXPECT_EQ(Joined(f.Shown()), "a|b|c");
}

TEST(EnhListView, ExceptionsInTheSortHandlerCountAsEqual)
{
    ListOnForm f;
    f.AddColumns({"Name"});
    for (const char* caption : {"d", "boom", "b", "a", "c"})
        f.AddItem(caption);
    f.list->SetAutoColumnSort(acsSort);
    f.Show();
    ExceptionLog log;
    int finished = 0;
    f.list->OnSortFinished = [&](TComponent*, int, bool) { ++finished; };
    f.list->OnSortItems = [](TComponent*, TListItem* a, TListItem* b, int, TSortAs& sortAs, int& result) {
        if (a->Caption() == "boom" || b->Caption() == "boom")
            throw std::runtime_error("comparison failed");
        sortAs = saString;
    };
    EXPECT_NO_THROW(f.list->SortByColumn(0, true));
    f.ClickHeader(0);
    EXPECT_EQ(finished, 2) << "both sorts ran to their end";
    EXPECT_TRUE(log.messages.empty()) << "reached the application: " << (log.messages.empty() ? "" : log.messages[0]);
    // Every item is still there; where the failing one lands is the sort's affair.
    std::vector<std::string> shown = f.Shown();
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(Joined(shown), "a|b|boom|c|d");
    EXPECT_EQ(Joined(f.Captions()).size(), Joined(shown).size());
}

TEST(EnhListView, SortHandlerResultsAndKinds)
{
    ListOnForm f;
    f.AddColumns({"Name", "Wert"});
    f.AddItem("a", {"10"});
    f.AddItem("b", {"9"});
    f.AddItem("c", {"100"});
    f.Show();
    TSortAs kind = saNone;
    int columnSeen = -99;
    f.list->OnSortItems = [&](TComponent*, TListItem* a, TListItem* b, int column, TSortAs& sortAs, int& result) {
        columnSeen = column;
        sortAs = kind;
        result = b->Caption().compare(a->Caption());   // its own order: captions backwards
    };
    f.list->SetAutoColumnSort(acsSort);
    const struct {
        TSortAs kind;
        const char* order;
    } cases[] = {{saNone, "c|b|a"}, {saNumeric, "b|a|c"}, {saString, "a|c|b"}};
    for (const auto& c : cases) {
        kind = c.kind;
        f.list->SortByColumn(1, true);
        EXPECT_EQ(Joined(f.Shown()), c.order) << "kind " << c.kind;
        EXPECT_EQ(columnSeen, 0) << "the handler gets the sub-item index";
    }
}

TEST(EnhListView, MoveItemIgnoresBadAndEqualIndexes)
{
    ListOnForm f;
    f.AddColumns({"Name"});
    for (const char* caption : {"A", "B", "C", "D"})
        f.AddItem(caption);
    f.Show();
    int inserts = 0, deletions = 0;
    f.list->OnInsert = [&](TComponent*, TListItem*) { ++inserts; };
    f.list->OnDeletion = [&](TComponent*, TListItem*) { ++deletions; };
    const struct {
        int from, to;
    } ignored[] = {{1, 1}, {-1, 2}, {0, 4}, {4, 0}, {0, -1}, {7, 7}};
    for (const auto& move : ignored) {
        f.list->MoveItem(move.from, move.to);
        EXPECT_EQ(Joined(f.Shown()), "A|B|C|D") << "MoveItem(" << move.from << ", " << move.to << ")";
        EXPECT_EQ(Joined(f.Captions()), "A|B|C|D") << "MoveItem(" << move.from << ", " << move.to << ")";
    }
    const struct {
        int from, to;
        const char* order;
    } moves[] = {{0, 3, "B|C|D|A"}, {3, 0, "A|B|C|D"}, {1, 2, "A|C|B|D"}, {3, 1, "A|D|C|B"}};
    for (const auto& move : moves) {
        f.list->MoveItem(move.from, move.to);
        EXPECT_EQ(Joined(f.Shown()), move.order) << "MoveItem(" << move.from << ", " << move.to << ")";
        EXPECT_EQ(Joined(f.Captions()), move.order) << "MoveItem(" << move.from << ", " << move.to << ")";
    }
    EXPECT_EQ(inserts, 0);
    EXPECT_EQ(deletions, 0);
}

TEST(EnhListView, MovedItemKeepsItsSelectionAndFocus)
{
    ListOnForm f;
    f.AddColumns({"Name"});
    for (const char* caption : {"A", "B", "C"})
        f.AddItem(caption);
    f.Show();
    TListItem* b = f.list->Items()[1];
    f.list->SetSelected(b);
    f.list->SetItemFocused(b);
    f.list->MoveItem(1, 2);
    EXPECT_EQ(b->Index(), 2);
    EXPECT_EQ(f.list->Selected(), b) << "selected: " << f.SelectedCaption();
    EXPECT_EQ(f.list->ItemFocused(), b);
    EXPECT_EQ(f.list->SelCount(), 1);
    EXPECT_FALSE(f.list->Items()[1]->Selected()) << f.list->Items()[1]->Caption();
}

TEST(EnhListView, TypingSelectsByTheFirstColumnWithoutASortColumn)
{
    ListOnForm f;
    f.list->SetColumnSearch(true);
    f.Show();
    // Columns that come after the control was set up leave it without a sort column.
    f.AddColumns({"Name"});
    for (const char* caption : {"apple", "Banana", "blueberry", "cherry"})
        f.AddItem(caption);
    ASSERT_EQ(f.list->CurrentSortColumn(), -1);

    const struct {
        WORD key;
        const char* selected;
    } typed[] = {
        {'B', "Banana"},      // any case
        {'L', "blueberry"},   // "bl" from after the selection on
        {'X', "blueberry"},   // "blx" matches nothing: beep, dropped
        {'U', "blueberry"},   // "blu"
    };
    for (const auto& t : typed) {
        f.KeyUp(t.key);
        EXPECT_EQ(f.SelectedCaption(), t.selected) << "after " << static_cast<char>(t.key);
    }
    Sleep(1100);
    f.KeyUp('C');
    EXPECT_EQ(f.SelectedCaption(), "cherry") << "a pause starts a new search";
}

TEST(EnhListView, TypingStartsAfterTheSelectionAndWrapsRound)
{
    ListOnForm f;
    f.AddColumns({"Name", "Art"});
    f.AddItem("ab1", {"x"});
    f.AddItem("ab2", {"yes"});
    f.AddItem("zz", {"yak"});
    f.list->SetColumnSearch(true);
    f.Show();
    f.KeyUp('A');
    EXPECT_EQ(f.SelectedCaption(), "ab2") << "without a selection the second item comes first";
    f.KeyUp('B');
    EXPECT_EQ(f.SelectedCaption(), "ab1") << "\"ab\" after ab2 wraps round";

    // The sort column's texts are searched.
    f.list->SetAutoColumnSort(acsNoSort);
    f.ClickHeader(1);
    ASSERT_EQ(f.list->CurrentSortColumn(), 1);
    Sleep(1100);
    f.KeyUp('Y');
    EXPECT_EQ(f.SelectedCaption(), "ab2") << "first \"y\" after ab1";
    f.KeyUp('A');
    EXPECT_EQ(f.SelectedCaption(), "zz") << "\"ya\"";
}

TEST(EnhListView, TypedCharactersDoNotReachThePlatformSearch)
{
    ListOnForm f;
    f.AddColumns({"Name"});
    f.AddItem("apple");
    f.AddItem("banana");
    f.Show();
    std::string pressed;
    f.list->OnKeyPress = [&](TComponent*, char& key) { pressed += key; };
    f.list->SetColumnSearch(true);
    SendMessageA(f.list->Handle(), WM_CHAR, 'b', 1);
    EXPECT_EQ(f.list->Selected(), nullptr) << "selected: " << f.SelectedCaption();
    EXPECT_EQ(pressed, "b") << "the form still hears the key";
}

TEST(EnhListView, CtrlPlusIsRewrittenBeforeTheListViewSeesIt)
{
    const struct {
        WORD key;
        TShiftState shift;
        WORD expected;
    } cases[] = {{VK_ADD, ssCtrl, VK_SUBTRACT},
                 {VK_ADD, 0, VK_ADD},
                 {VK_ADD, ssCtrl | ssShift, VK_ADD},
                 {VK_SUBTRACT, ssCtrl, VK_SUBTRACT},
                 {'A', ssCtrl, 'A'}};
    for (const auto& c : cases)
        EXPECT_EQ(NoResizeKey(c.key, c.shift), c.expected) << "key " << c.key << " shift " << c.shift;

    ListOnForm f;
    f.AddColumns({"Name"});
    f.Show();
    std::vector<WORD> heard;
    f.list->OnKeyDown = [&](TComponent*, WORD& key, TShiftState) { heard.push_back(key); };
    BYTE saved[256], state[256];
    GetKeyboardState(saved);
    memcpy(state, saved, sizeof state);
    state[VK_CONTROL] = state[VK_LCONTROL] = 0x80;
    SetKeyboardState(state);
    for (bool blocked : {false, true}) {
        f.list->SetNoColumnResize(blocked);
        f.list->keysToPlatform.clear();
        SendMessageA(f.list->Handle(), WM_KEYDOWN, VK_ADD, 1);
        ASSERT_EQ(f.list->keysToPlatform.size(), 1u);
        EXPECT_EQ(f.list->keysToPlatform[0], WPARAM(blocked ? VK_SUBTRACT : VK_ADD)) << "blocked " << blocked;
    }
    SetKeyboardState(saved);
    EXPECT_EQ(heard, (std::vector<WORD>{VK_ADD, VK_ADD})) << "the form's handler hears the key as typed";
}

TEST(EnhListView, BlockedColumnsCannotBeDraggedWider)
{
    for (bool blocked : {false, true}) {
        ListOnForm f;
        f.AddColumns({"Name", "Wert"}, 80);
        f.list->SetNoColumnResize(blocked);
        f.Show();
        HWND header = f.list->HeaderHandle();
        RECT first = f.HeaderItemRect(0);
        int y = (first.top + first.bottom) / 2;
        SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(first.right, y));
        SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(first.right + 40, y));
        SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(first.right + 40, y));
        PumpMessages();
        int width = f.list->Columns()[0]->Width();
        if (blocked)
            EXPECT_EQ(width, 80) << "dragged while blocked";
        else
            EXPECT_GT(width, 80) << "the drag itself did not work";

        // The divider is no place for the mouse while blocked; the item itself is.
        POINT divider = {first.right, y}, middle = {(first.left + first.right) / 2, y};
        ClientToScreen(header, &divider);
        ClientToScreen(header, &middle);
        LRESULT onDivider = SendMessageA(header, WM_NCHITTEST, 0, MAKELPARAM(divider.x, divider.y));
        LRESULT onItem = SendMessageA(header, WM_NCHITTEST, 0, MAKELPARAM(middle.x, middle.y));
        EXPECT_EQ(onDivider, blocked ? HTNOWHERE : HTCLIENT) << "blocked " << blocked;
        EXPECT_EQ(onItem, HTCLIENT) << "blocked " << blocked;
    }
}

TEST(EnhListView, OwnerDrawnRowsAreMeasuredAndDrawnThroughTheEvents)
{
    ListOnForm f;
    f.AddColumns({"Name", "Wert"});
    f.AddItem("first", {"1"});
    f.AddItem("second", {"2"});
    f.list->SetSelected(f.list->Items()[1]);
    f.list->OnMeasureItem = [](TComponent*, UINT& height) { height = 30; };
    std::vector<int> drawn;
    f.list->OnDrawItem = [&](TComponent*, TCanvas& canvas, int index, RECT rect, TOwnerDrawState, bool& defaultDrawing,
                             bool&) {
        drawn.push_back(index);
        if (index == 0) {
            canvas.Brush().SetColor(clRed);
            canvas.FillRect(rect);
            defaultDrawing = false;
        }
    };
    f.Show();
    f.list->SetStyle(lvOwnerDrawFixed);
    ASSERT_TRUE(GetWindowLongA(f.list->Handle(), GWL_STYLE) & LVS_OWNERDRAWFIXED);
    EXPECT_EQ(Joined(f.Shown()), "first|second") << "the items live on in the new window";
    EXPECT_EQ(f.list->Selected(), f.list->Items()[1]) << "selected: " << f.SelectedCaption();

    RECT row = {};
    row.left = LVIR_BOUNDS;
    SendMessageA(f.list->Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    EXPECT_EQ(row.bottom - row.top, 30) << "row height";

    drawn.clear();
    auto shot = PrintClient(f.list->Handle(), f.list->ClientWidth(), f.list->ClientHeight(), PRF_CLIENT | PRF_ERASEBKGND);
    EXPECT_EQ(drawn, (std::vector<int>{0, 1}));
    EXPECT_EQ(shot->PixelColor(row.left + 5, row.top + 5), clRed) << "row 0 drawn by the handler";
}

// Default drawing of an owner-drawn row: state image, a 2-pixel gap, the small image.
TEST(EnhListView, OwnerDrawnRowsLeaveAGapAfterTheStateImage)
{
    ListOnForm f;
    auto square = [](TColor color) {
        auto list = std::make_unique<TImageList>(16, 16);
        TBitmap picture(16, 16);
        picture.Canvas().Brush().SetColor(color);
        picture.Canvas().FillRect(RECT{0, 0, 16, 16});
        list->Add(picture, nullptr);
        return list;
    };
    auto states = square(clRed);
    auto small = square(clBlue);
    f.AddColumns({"Name"}, 200);
    f.AddItem("eins")->SetStateIndex(0);
    f.list->SetStateImages(states.get());
    f.list->SetSmallImages(small.get());
    f.list->Items()[0]->SetImageIndex(0);
    f.Show();
    f.list->SetStyle(lvOwnerDrawFixed);
    RECT row = {};
    row.left = LVIR_BOUNDS;
    SendMessageA(f.list->Handle(), LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&row));
    auto shot = PrintClient(f.list->Handle(), f.list->ClientWidth(), f.list->ClientHeight(), PRF_CLIENT | PRF_ERASEBKGND);
    const int y = (row.top + row.bottom) / 2;
    int stateRight = row.left;   // just after the state image
    while (stateRight < row.left + 40 && shot->PixelColor(stateRight, y) != clRed)
        ++stateRight;
    while (stateRight < row.left + 40 && shot->PixelColor(stateRight, y) == clRed)
        ++stateRight;
    EXPECT_NE(Hex(shot->PixelColor(stateRight + 1, y)), Hex(clBlue)) << "the gap after x " << stateRight;
    EXPECT_EQ(Hex(shot->PixelColor(stateRight + 2, y)), Hex(clBlue)) << "small image two pixels after";
    f.form.reset();   // the list goes before its images
}

TEST(EnhListView, HeaderHandlerDrawsTheHeader)
{
    ListOnForm f;
    f.AddColumns({"Name", "Wert"});
    f.Show();
    std::vector<int> asked;
    f.list->SetOnDrawHeader([&](TComponent*, TCanvas& canvas, int index, RECT rect, bool, bool& defaultDrawing) {
        asked.push_back(index);
        if (index == 1) {
            canvas.Brush().SetColor(clLime);
            canvas.FillRect(rect);
            defaultDrawing = false;
        }
    });
    EXPECT_TRUE(f.HeaderFormat(1) & HDF_OWNERDRAW);
    asked.clear();
    std::unique_ptr<TBitmap> shot = f.HeaderShot();
    RECT second = f.HeaderItemRect(1);
    EXPECT_EQ(asked, (std::vector<int>{0, 1}));
    EXPECT_EQ(shot->PixelColor((second.left + second.right) / 2, (second.top + second.bottom) / 2), clLime);

    f.list->SetOnDrawHeader(nullptr);
    EXPECT_FALSE(f.HeaderFormat(1) & HDF_OWNERDRAW) << "the platform draws the header again";
}

TEST(EnhListView, EditedCaptionsResortAndCancelledEditsAreReported)
{
    ListOnForm f;
    f.AddColumns({"Name"});
    for (const char* caption : {"a", "b", "c"})
        f.AddItem(caption);
    f.list->SetAutoColumnSort(acsSort);
    f.Show();
    f.list->SetFocus();
    std::vector<std::string> cancelled;
    f.list->OnEditCanceled = [&](TComponent*, TListItem* item) { cancelled.push_back(item->Caption()); };

    auto edit = reinterpret_cast<HWND>(SendMessageA(f.list->Handle(), LVM_EDITLABELA, 0, 0));
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, "zebra");
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    PumpMessages();
    EXPECT_EQ(Joined(f.Shown()), "b|c|zebra");
    EXPECT_EQ(Joined(f.Captions()), "b|c|zebra");

    edit = reinterpret_cast<HWND>(SendMessageA(f.list->Handle(), LVM_EDITLABELA, 0, 0));
    ASSERT_NE(edit, nullptr);
    SendMessageA(edit, WM_KEYDOWN, VK_ESCAPE, 0);
    PumpMessages();
    EXPECT_EQ(cancelled, (std::vector<std::string>{"b"}));
}

// ---------------------------------------------------------------------------------------------
// Settings in the registry

namespace {

const char* const SettingsKey = "Software\\QlTest\\Gallery";

std::unique_ptr<ListOnForm> SavingList(const std::string& key, int columns, int width = 50)
{
    auto f = std::make_unique<ListOnForm>();
    std::vector<std::string> captions = {"Name", "Größe", "Datum", "Art"};
    captions.resize(static_cast<size_t>(columns));
    f->AddColumns(captions, width);
    f->list->SaveSettings().SetAutoSave(true);
    f->list->SaveSettings().SetRegistryKey(key);
    f->list->SetAutoColumnSort(acsSort);
    return f;
}

}  // namespace

TEST(EnhListViewSettings, StoredWhenTheWindowGoesAndRestoredWithTheNext)
{
    RegistrySandbox sandbox;
    {
        auto f = SavingList(SettingsKey, 3);
        f->Show();
        f->list->Columns()[0]->SetWidth(120);
        f->list->Columns()[1]->SetWidth(80);
        f->list->Columns()[2]->SetWidth(200);
        f->list->SortByColumn(2, false);
    }
    const struct {
        const char* section;
        const char* name;
        const char* value;
    } stored[] = {{"Columns", "Sizes", "120,80,200"},
                  {"Sort", "Ascending", "0"},
                  {"Sort", "SortCol", "2"},
                  {"ViewStyle", "ViewStyle", "3"}};
    for (const auto& s : stored)
        EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, std::string(SettingsKey) + "\\" + s.section, s.name), s.value)
            << s.section << "\\" << s.name;

    auto f = SavingList(SettingsKey, 3);
    f->list->SetViewStyle(vsIcon);
    f->AddItem("a", {"", "1"});
    f->AddItem("b", {"", "3"});
    f->AddItem("c", {"", "2"});
    f->Show();
    std::vector<int> widths;
    for (int i = 0; i < 3; ++i)
        widths.push_back(f->list->Columns()[i]->Width());
    EXPECT_EQ(widths, (std::vector<int>{120, 80, 200}));
    EXPECT_EQ(f->list->CurrentSortColumn(), 2);
    EXPECT_FALSE(f->list->CurrentSortAscending());
    EXPECT_EQ(f->list->ViewStyle(), vsReport);
    EXPECT_EQ(Joined(f->Shown()), "b|c|a") << "sorted by the restored column, descending";
}

TEST(EnhListViewSettings, MalformedAndOutOfRangeValuesAreSkippedOrFitted)
{
    RegistrySandbox sandbox;
    std::string key = SettingsKey;
    WriteUserString(key + "\\Columns", "Sizes", "100,,x,50");
    WriteUserString(key + "\\Sort", "SortCol", "7");
    WriteUserString(key + "\\ViewStyle", "ViewStyle", "9");
    auto f = SavingList(key, 4, 60);
    f->Show();
    std::vector<int> widths;
    for (int i = 0; i < 4; ++i)
        widths.push_back(f->list->Columns()[i]->Width());
    EXPECT_EQ(widths, (std::vector<int>{100, 60, 60, 50}));
    EXPECT_EQ(f->list->CurrentSortColumn(), 3) << "sort column 7 of 4 columns";
    EXPECT_EQ(f->list->ViewStyle(), vsReport) << "unknown view style ignored";
}

TEST(EnhListViewSettings, WithoutAKeyNothingIsStoredOrRestored)
{
    RegistrySandbox sandbox;
    {
        auto f = SavingList("", 2);
        f->Show();
        EXPECT_EQ(f->list->CurrentSortColumn(), 0) << "the ordinary start, as without settings";
        f->list->SortByColumn(1, false);
        EXPECT_FALSE(f->list->StoreSettings());
        EXPECT_FALSE(f->list->LoadSettings());
        EXPECT_EQ(f->list->CurrentSortColumn(), 1) << "loading from no key changed the sort";
    }
    EXPECT_FALSE(UserKeyExists("Columns"));
    EXPECT_FALSE(UserKeyExists("Sort"));
    EXPECT_FALSE(UserKeyExists("ViewStyle"));
    EXPECT_EQ(UserRootContents().second, 0u) << "values written to the root of the user's key";
}

TEST(EnhListViewSettings, LoadingCreatesNoKeys)
{
    RegistrySandbox sandbox;
    auto f = SavingList("Software\\QlTest\\Nowhere\\List", 2, 70);
    f->Show();
    EXPECT_TRUE(f->list->LoadSettings());
    EXPECT_FALSE(UserKeyExists("Software\\QlTest")) << "loading made the key";
    EXPECT_EQ(f->list->Columns()[0]->Width(), 70) << "nothing stored leaves the widths";
    f->list->SaveSettings().SetAutoSave(false);   // the window's end would store them
}

TEST(EnhListViewSettings, AListWithoutColumnsStoresNothingButStillRestores)
{
    RegistrySandbox sandbox;
    std::string key = SettingsKey;
    WriteUserString(key + "\\ViewStyle", "ViewStyle", "2");
    auto f = SavingList(key, 0);
    f->list->SetViewStyle(vsIcon);
    f->Show();
    EXPECT_EQ(f->list->ViewStyle(), vsList) << "restored";
    EXPECT_FALSE(f->list->StoreSettings());
    f.reset();
    EXPECT_FALSE(UserKeyExists(key + "\\Sort")) << "stored without columns";
    EXPECT_FALSE(UserKeyExists(key + "\\Columns")) << "stored without columns";
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, key + "\\ViewStyle", "ViewStyle"), "2") << "overwritten";
}
