// The extended list view on a form: its extended styles, the column order and what follows from
// it, header images, refused column resizing, check states and sub-item images over window
// re-creation, the settings it keeps in a sandboxed registry, notifications and virtual mode.
#include <windows.h>
#include <commctrl.h>

#include "Bitmap.h"
#include "ExtListView.h"
#include "Forms.h"
#include "ImageList.h"
#include "MessagePump.h"
#include "Pixels.h"
#include "RegistrySandbox.h"
#include "TestForm.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

// Opens the protected parts a test looks at.
class ProbeExtListView : public TCustomExtListView {
public:
    using TCustomExtListView::TCustomExtListView;
    using TCustomEnhListView::HeaderHandle;
    using TCustomListView::RecreateWnd;
};

std::string Joined(const std::vector<int>& values)
{
    std::string text;
    for (int value : values)
        text += (text.empty() ? "" : ",") + std::to_string(value);
    return text;
}

struct ExtListOnForm : ListViewOnForm<ProbeExtListView> {
    ExtListOnForm() : ListViewOnForm(30, 30, 460, 300) {}
    ~ExtListOnForm()
    {
        form.reset();   // the list goes before the images it shows
    }

    // Two 16x16 pictures, red and blue, for the header and the cells.
    void GiveImages()
    {
        images = std::make_unique<TImageList>(16, 16);
        for (TColor color : {clRed, clBlue}) {
            TBitmap picture(16, 16);
            picture.Canvas().Brush().SetColor(color);
            picture.Canvas().FillRect(RECT{0, 0, 16, 16});
            images->Add(picture, nullptr);
        }
        list->SetSmallImages(images.get());
    }

    LVCOLUMNA WindowColumn(int column)
    {
        LVCOLUMNA info = {};
        info.mask = LVCF_FMT | LVCF_IMAGE;
        SendMessageA(list->Handle(), LVM_GETCOLUMNA, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&info));
        return info;
    }

    std::string WindowText(int item, int subItem, int capacity = 256)
    {
        std::vector<char> text(static_cast<size_t>(capacity) + 8, '#');
        LVITEMA info = {};
        info.iSubItem = subItem;
        info.pszText = text.data();
        info.cchTextMax = capacity;
        SendMessageA(list->Handle(), LVM_GETITEMTEXTA, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&info));
        return text.data();
    }

    // A notification as the list view sends it to its parent; the parent's answer.
    LRESULT Notify(NMHDR& header, UINT code)
    {
        header.hwndFrom = list->Handle();
        header.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(list->Handle()));
        header.code = code;
        return SendMessageA(form->Handle(), WM_NOTIFY, header.idFrom, reinterpret_cast<LPARAM>(&header));
    }

    std::unique_ptr<TImageList> images;
};

}  // namespace

TEST(ExtListView, UnderlineStylesGainTheActivationTheyNeed)
{
    const struct {
        TExStyles written;
        TExStyles expected;
    } cases[] = {
        {exsUnderlineCold, exsUnderlineCold | exsOneClickActivate},
        {exsUnderlineCold | exsTwoClickActivate, exsUnderlineCold | exsTwoClickActivate | exsOneClickActivate},
        {exsUnderlineHot, exsUnderlineHot | exsOneClickActivate},
        {exsUnderlineHot | exsTwoClickActivate, exsUnderlineHot | exsTwoClickActivate},
        {exsUnderlineHot | exsOneClickActivate, exsUnderlineHot | exsOneClickActivate},
        {exsGridLines | exsCheckBoxes, exsGridLines | exsCheckBoxes},
        // The bits no style stands for are never kept.
        {exsGridLines | 0x200 | 0x2000, exsGridLines},
    };
    for (const auto& c : cases) {
        ExtListOnForm f;
        f.list->SetExStyles(c.written);
        EXPECT_EQ(Hex(f.list->ExStyles()), Hex(c.expected)) << "without a window, written " << Hex(c.written);
        f.Show();
        EXPECT_EQ(Hex(f.list->ExStyles()), Hex(c.expected)) << "read from the window, written " << Hex(c.written);
    }
}

TEST(ExtListView, ANewListShowsInfoTipsAndKeepsItsStylesOverARecreation)
{
    ExtListOnForm f;
    EXPECT_EQ(Hex(f.list->ExStyles()), Hex(exsInfoTip));
    f.Show();
    DWORD sent = static_cast<DWORD>(SendMessageA(f.list->Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_EQ(Hex(sent), Hex(LVS_EX_INFOTIP));

    f.list->SetExStyles(exsGridLines | exsFullRowSelect);
    f.list->RecreateWnd();
    sent = static_cast<DWORD>(SendMessageA(f.list->Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
    EXPECT_EQ(Hex(sent), Hex(LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT)) << "after re-creation";
}

TEST(ExtListView, ColumnOrderMapsPositionsColumnsAndTexts)
{
    ExtListOnForm f;
    f.AddColumns({"Name", "Größe", "Art"});
    f.AddItem("a", {"1 KB", "Icon"});
    f.AddItem("b", {"2 KB"});
    f.list->SetColumnOrder(3, {2, 0, 1});
    f.Show();

    std::vector<int> order;
    EXPECT_TRUE(f.list->GetColumnOrder(3, order));
    EXPECT_EQ(Joined(order), "2,0,1") << "as the window shows it";
    TListColumn* first = f.list->GetColumnFromIndex(0);
    EXPECT_EQ(first ? first->Caption() : "(none)", "Art");
    EXPECT_EQ(f.list->GetColumnFromIndex(3), nullptr);
    const struct {
        int column;
        int position;
    } positions[] = {{2, 0}, {0, 1}, {1, 2}, {3, 0}};
    for (const auto& p : positions)
        EXPECT_EQ(f.list->ActualColumnIndex(p.column), p.position) << "column " << p.column;

    // Texts by display position: the caption shows at position 1, the size at 2.
    const struct {
        int item, subItem;
        const char* text;
    } texts[] = {{0, -1, "Icon"}, {0, 0, "a"}, {0, 1, "1 KB"}, {1, -1, ""}, {1, 0, "b"}, {5, 0, ""},
                 // No position before the first: the caption, as the base gives it.
                 {0, -2, "a"}, {1, -100, "b"}};
    for (const auto& t : texts)
        EXPECT_EQ(f.list->GetSubItemText(t.item, t.subItem), t.text) << "item " << t.item << " sub-item " << t.subItem;

    // The order outlives the window, also one the user made by dragging headers.
    f.list->SetCtl3D(false);
    order.clear();
    f.list->GetColumnOrder(3, order);
    EXPECT_EQ(Joined(order), "2,0,1") << "after re-creation";
    int dragged[] = {1, 2, 0};
    SendMessageA(f.list->Handle(), LVM_SETCOLUMNORDERARRAY, 3, reinterpret_cast<LPARAM>(dragged));
    f.list->RecreateWnd();
    f.list->GetColumnOrder(3, order);
    EXPECT_EQ(Joined(order), "1,2,0") << "the window's own order after re-creation";
}

TEST(ExtListView, AnOrderTheWindowRefusesKeepsTheStoredOne)
{
    ExtListOnForm f;
    f.AddColumns({"A", "B"});
    f.list->SetColumnOrder(2, {1, 0});
    f.Show();
    std::vector<int> order = {7};
    EXPECT_FALSE(f.list->GetColumnOrder(5, order)) << "five columns asked of two";
    EXPECT_EQ(Joined(order), "7");
    f.list->RecreateWnd();
    f.list->GetColumnOrder(2, order);
    EXPECT_EQ(Joined(order), "1,0");
}

TEST(ExtListView, WithoutAWindowOnlyAStoredOrderIsReported)
{
    ExtListOnForm f;
    f.AddColumns({"A", "B"});
    std::vector<int> order = {7, 7};
    EXPECT_FALSE(f.list->GetColumnOrder(2, order));
    EXPECT_EQ(Joined(order), "7,7") << "left as it was";
    f.list->SetColumnOrder(2, {1, 0});
    EXPECT_TRUE(f.list->GetColumnOrder(2, order));
    EXPECT_EQ(Joined(order), "1,0");
}

TEST(ExtListView, ColumnsThatMayNotBeResizedRefuseDragsAndDoubleClicks)
{
    ExtListOnForm f;
    f.AddColumns({"Fest", "Frei", "Rest"}, 80);
    f.list->ExtColumns().Add()->SetAllowResize(false);
    f.list->ExtColumns().Add();
    f.Show();
    HWND header = f.list->HeaderHandle();
    ASSERT_NE(header, nullptr);
    for (int column : {0, 1}) {
        RECT rect = f.HeaderItemRect(column);
        int y = (rect.top + rect.bottom) / 2;
        SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(rect.right, y));
        SendMessageA(header, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(rect.right + 40, y));
        SendMessageA(header, WM_LBUTTONUP, 0, MAKELPARAM(rect.right + 40, y));
        PumpMessages();
        int width = f.list->Columns()[column]->Width();
        if (column == 0)
            EXPECT_EQ(width, 80) << "the fixed column was dragged";
        else
            EXPECT_GT(width, 80) << "the free column did not follow the drag";
    }

    // A double-click on a divider fits the column, unless it is fixed.
    f.list->Columns()[1]->SetWidth(200);
    for (int column : {0, 1}) {
        NMHEADERA info = {};
        info.hdr.hwndFrom = header;
        info.hdr.code = HDN_DIVIDERDBLCLICKA;
        info.iItem = column;
        LRESULT refused = SendMessageA(f.list->Handle(), WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_EQ(refused, column == 0 ? 1 : 0) << "column " << column;
    }
    EXPECT_EQ(f.list->Columns()[0]->Width(), 80);

    // Over the fixed column's divider the mouse finds nothing to grab; over the free one it does.
    RECT fixed = f.HeaderItemRect(0), free = f.HeaderItemRect(1);
    POINT onFixed = {fixed.right - 1, (fixed.top + fixed.bottom) / 2};
    POINT onFree = {free.right - 1, (free.top + free.bottom) / 2};
    ClientToScreen(header, &onFixed);
    ClientToScreen(header, &onFree);
    EXPECT_EQ(SendMessageA(header, WM_NCHITTEST, 0, MAKELPARAM(onFixed.x, onFixed.y)), HTNOWHERE);
    EXPECT_EQ(SendMessageA(header, WM_NCHITTEST, 0, MAKELPARAM(onFree.x, onFree.y)), HTCLIENT);
}

TEST(ExtListView, HeaderImagesComeAndGoWithTheirIndex)
{
    ExtListOnForm f;
    f.AddColumns({"Name", "Art"});
    f.GiveImages();
    TqelExtListColumn* name = f.list->ExtColumns().Add();
    TqelExtListColumn* kind = f.list->ExtColumns().Add();
    name->SetImageIndex(1);
    f.Show();

    const struct {
        int image;
        TColumnImageAlign alignment;
        int format;
    } cases[] = {
        {1, ciaRightOfText, LVCFMT_IMAGE | LVCFMT_BITMAP_ON_RIGHT},
        {0, ciaLeftOfText, LVCFMT_IMAGE},
        {-1, ciaLeftOfText, 0},
    };
    for (const auto& c : cases) {
        kind->SetImageIndex(c.image);
        kind->SetImageAlignment(c.alignment);
        LVCOLUMNA column = f.WindowColumn(1);
        EXPECT_EQ(Hex(column.fmt & (LVCFMT_IMAGE | LVCFMT_BITMAP_ON_RIGHT)), Hex(c.format)) << "image " << c.image;
        if (c.image >= 0) {
            EXPECT_EQ(column.iImage, c.image);
        }
    }
    EXPECT_TRUE(f.WindowColumn(0).fmt & LVCFMT_IMAGE) << "the other column kept its image";

    // Assign copies the picture, never the resize permission.
    TqelExtListColumns copy(*f.list);
    kind->SetAllowResize(false);
    copy.Assign(f.list->ExtColumns());
    ASSERT_EQ(copy.Count(), 2);
    EXPECT_EQ(copy[0]->ImageIndex(), 1);
    EXPECT_EQ(copy[1]->ImageIndex(), -1);
    EXPECT_TRUE(copy[1]->AllowResize()) << "a whole collection copies as each column does";
    copy[0]->SetAllowResize(true);
    copy[0]->Assign(*kind);
    EXPECT_EQ(copy[0]->ImageIndex(), -1);
    EXPECT_TRUE(copy[0]->AllowResize());
}

TEST(ExtListView, OwnerDrawnHeadersDrawTheImageThemselves)
{
    for (int image : {1, -1}) {
        ExtListOnForm f;
        f.AddColumns({"N", "Art"}, 120);
        f.GiveImages();
        f.list->ExtColumns().Add()->SetImageIndex(image);
        int drawn = 0;
        f.list->SetOnDrawHeader([&](TComponent*, TCanvas&, int, RECT, bool, bool&) { ++drawn; });
        f.Show();

        auto shot = PrintClient(f.list->HeaderHandle(), PRF_CLIENT | PRF_ERASEBKGND);
        RECT first = f.HeaderItemRect(0);
        int blue = 0;
        for (int y = first.top; y < first.bottom; ++y)
            for (int x = first.left; x < first.right; ++x)
                blue += shot->PixelColor(x, y) == clBlue;
        EXPECT_GT(drawn, 0) << "the handler never ran";
        if (image == 1)
            EXPECT_EQ(blue, 16 * 16) << "the whole picture, once";
        else
            EXPECT_EQ(blue, 0);
        EXPECT_FALSE(f.WindowColumn(0).fmt & LVCFMT_IMAGE) << "the header does not draw it as well";
    }
}

// The arrow also shows when the owner sorts (OnSortItems) without the list's own sorting.
TEST(ExtListView, SortArrowsShowWhenTheOwnerSorts)
{
    struct ArrowProbe : ProbeExtListView {
        using ProbeExtListView::ProbeExtListView;
        using TCustomEnhListView::SortArrowFor;
    };
    ListViewOnForm<ArrowProbe> f(30, 30, 460, 300);
    TListColumn* column = f.list->Columns().Add();
    column->SetCaption("Name");
    f.list->SetShowSortArrows(true);
    f.Show();
    f.list->SortByColumn(0, true);
    EXPECT_EQ(f.list->SortArrowFor(0), nullptr) << "no sorting at all";
    f.list->OnSortItems = [](TComponent*, TListItem*, TListItem*, int, TSortAs&, int& result) { result = 0; };
    EXPECT_NE(f.list->SortArrowFor(0), nullptr) << "the owner sorts";
}

TEST(ExtListView, CheckStatesAndSubItemImagesSurviveARecreation)
{
    ExtListOnForm f;
    f.AddColumns({"Name", "Art", "Größe"});
    for (const char* caption : {"a", "b", "c"})
        f.AddItem(caption, {"x", "y"});
    f.GiveImages();
    f.list->SetExStyles(exsCheckBoxes | exsSubItemImages);
    f.Show();
    for (int i = 0; i < 3; ++i) {
        EXPECT_FALSE(f.list->ItemChecked(i)) << "item " << i << " of a new window";
        EXPECT_EQ(f.list->SubItemImage(i, 0), 0x7FFFFFFE) << "item " << i << " shows no sub-item picture";
    }
    f.list->SetItemChecked(1, true);
    f.list->SetSubItemImage(2, 0, 1);
    f.list->SetSubItemImage(0, 1, 0);

    for (int round = 0; round < 3; ++round) {
        if (round == 0)
            f.list->SetCtl3D(false);   // a style the window takes only when it is made
        else if (round == 1)
            f.list->RecreateWnd();
        else {
            // The owner's items come and go; the control's own come back as they were.
            f.list->SetVirtualMode(true);
            f.list->SetVirtualMode(false);
        }
        std::string checks;
        for (int i = 0; i < 3; ++i)
            checks += f.list->ItemChecked(i) ? "x" : "-";
        EXPECT_EQ(checks, "-x-") << "round " << round;
        EXPECT_EQ(f.list->SubItemImage(2, 0), 1) << "round " << round;
        EXPECT_EQ(f.list->SubItemImage(0, 1), 0) << "round " << round;
        EXPECT_EQ(f.list->SubItemImage(1, 1), 0x7FFFFFFE) << "round " << round;
    }
    EXPECT_EQ(f.list->SubItemImage(9, 0), -1) << "a missing item";
    EXPECT_FALSE(f.list->ItemChecked(9));
}

TEST(ExtListView, ACheckChangeIsReportedOnceWithTheNewState)
{
    ExtListOnForm f;
    f.AddColumns({"Name"});
    f.AddItem("a");
    f.AddItem("b");
    f.list->SetExStyles(exsCheckBoxes);
    f.Show();
    std::vector<std::string> reported;
    f.list->OnItemCheckChange = [&](TComponent*, int index, bool checked) {
        reported.push_back(std::to_string(index) + (checked ? "+" : "-"));
    };
    f.list->SetItemChecked(1, true);
    f.list->SetItemChecked(1, true);   // no change, no report
    f.list->Items()[0]->SetSelected(true);   // a state change that is no check change
    f.list->SetItemChecked(1, false);
    f.list->SetItemChecked(0, true);
    f.list->RecreateWnd();   // puts the check back, which is no change
    std::string all;
    for (const std::string& r : reported)
        all += r + " ";
    EXPECT_EQ(all, "1+ 1- 0+ ");
    EXPECT_TRUE(f.list->ItemChecked(0));
}

TEST(ExtListView, SelectionMarkAndHoverTimeReachEachWindow)
{
    ExtListOnForm f;
    f.AddColumns({"Name"});
    for (const char* caption : {"a", "b", "c"})
        f.AddItem(caption);
    f.list->SetSelectionMark(2);
    f.list->SetHoverTime(700);
    f.Show();
    EXPECT_EQ(SendMessageA(f.list->Handle(), LVM_GETSELECTIONMARK, 0, 0), 2);
    EXPECT_EQ(SendMessageA(f.list->Handle(), LVM_GETHOVERTIME, 0, 0), 700);
    f.list->SetHoverTime(300);
    f.list->RecreateWnd();
    EXPECT_EQ(SendMessageA(f.list->Handle(), LVM_GETHOVERTIME, 0, 0), 300) << "after re-creation";
}

TEST(ExtListView, NotificationsAskTheHandlers)
{
    ExtListOnForm f;
    f.AddColumns({"Name"});
    f.AddItem("a");
    f.Show();
    bool allowMarquee = true;
    int activations = 0;
    f.list->OnMarqueeBegin = [&](TComponent*, bool& allow) { allow = allowMarquee; };
    f.list->OnItemActivate = [&](TComponent*) { ++activations; };
    f.list->OnHotTrack = [&](TComponent*, int& item, int, POINT& at, bool& allow) {
        allow = item != 3;
        item = 5;
        at.x = 42;
    };
    for (bool allow : {true, false}) {
        allowMarquee = allow;
        NMHDR header = {};
        EXPECT_EQ(f.Notify(header, LVN_MARQUEEBEGIN), allow ? 0 : 1) << "marquee allowed " << allow;
    }
    NMITEMACTIVATE activate = {};
    f.Notify(activate.hdr, LVN_ITEMACTIVATE);
    EXPECT_EQ(activations, 1);
    int hintFrom = -1, changedTo = -1;
    f.list->OnVirtualCacheHint = [&](TComponent*, const NMLVCACHEHINT& info) { hintFrom = info.iFrom; };
    f.list->OnVirtualStateChange = [&](TComponent*, const NMLVODSTATECHANGE& info) { changedTo = info.iTo; };
    NMLVCACHEHINT hint = {};
    hint.iFrom = 10;
    f.Notify(hint.hdr, LVN_ODCACHEHINT);
    NMLVODSTATECHANGE change = {};
    change.iTo = 20;
    f.Notify(change.hdr, LVN_ODSTATECHANGED);
    EXPECT_EQ(hintFrom, 10);
    EXPECT_EQ(changedTo, 20);
    for (int item : {0, 3}) {
        NMLISTVIEW track = {};
        track.iItem = item;
        EXPECT_EQ(f.Notify(track.hdr, LVN_HOTTRACK), item == 3 ? 1 : 0) << "item " << item;
        EXPECT_EQ(track.iItem, 5) << "the handler's item goes back to the list view";
        EXPECT_EQ(track.ptAction.x, 42);
    }
}

TEST(ExtListView, InfoTipsAppendToUnfoldedTextsAndFitTheBuffer)
{
    const struct {
        bool handler;
        DWORD flags;
        const char* before;
        int capacity;
        const char* tip;
        const char* expected;
    } cases[] = {
        {true, LVGIT_UNFOLDED, "Name", 64, " (Icon)", "Name (Icon)"},
        {true, 0, "abgekürzt", 64, "Tipp", "Tipp"},
        {true, LVGIT_UNFOLDED, "Name", 64, "", "Name"},
        {true, LVGIT_UNFOLDED, "Name", 8, " (Icon)", "Name (I"},
        {false, 0, "", 64, nullptr, "Größe"},
        {false, 0, "", 4, nullptr, "Grö"},
    };
    for (const auto& c : cases) {
        ExtListOnForm f;
        f.AddColumns({"Name"});
        f.AddItem("Größe");
        f.Show();
        std::string seenText = "(not called)";
        if (c.handler)
            f.list->OnInfoTip = [&](TComponent*, int, int, const std::string& text, std::string& tip) {
                seenText = text;
                tip = c.tip;
            };
        std::vector<char> buffer(static_cast<size_t>(c.capacity) + 4, '#');
        lstrcpynA(buffer.data(), c.before, c.capacity);
        NMLVGETINFOTIPA info = {};
        info.dwFlags = c.flags;
        info.pszText = buffer.data();
        info.cchTextMax = c.capacity;
        info.iItem = 0;
        EXPECT_EQ(f.Notify(info.hdr, LVN_GETINFOTIPA), 1);
        EXPECT_EQ(std::string(buffer.data()), c.expected) << "before \"" << c.before << "\", flags " << c.flags;
        if (c.handler) {
            EXPECT_EQ(seenText, c.flags == LVGIT_UNFOLDED ? c.before : "") << "text the handler saw";
        }
    }
}

TEST(ExtListView, VirtualItemsComeFromTheHandler)
{
    ExtListOnForm f;
    f.AddColumns({"Name", "Nummer"});
    f.list->SetVirtualItemCount(1000);
    std::vector<int> asked;
    f.list->OnVirtualItemInfo = [&](TComponent*, int item, int subItem, TItemInfoKinds& kinds, int& image, WORD& overlay,
                                    WORD& stateImage, LPARAM& param, UINT& state, UINT& stateMask, int&, std::string& text) {
        asked.push_back(item);
        text = subItem == 0 ? "Eintrag " + std::to_string(item) : std::to_string(item * 2);
        if (kinds & iikImage)
            image = item % 2;
        if (kinds & iikState) {
            overlay = 1;
            stateImage = 2;
            stateMask = LVIS_OVERLAYMASK | LVIS_STATEIMAGEMASK;
        }
        param = item;
    };
    int findStart = -2;
    f.list->OnVirtualFindItem = [&](TComponent*, const NMLVFINDITEMA& info, int& found) {
        findStart = info.iStart;
        found = 77;
    };
    f.Show();
    f.list->SetVirtualMode(true);
    EXPECT_TRUE(GetWindowLongA(f.list->Handle(), GWL_STYLE) & LVS_OWNERDATA);
    EXPECT_EQ(SendMessageA(f.list->Handle(), LVM_GETITEMCOUNT, 0, 0), 1000);

    EXPECT_EQ(f.WindowText(500, 0), "Eintrag 500");
    EXPECT_EQ(f.WindowText(500, 1), "1000");
    EXPECT_EQ(f.WindowText(12, 0, 5), "Eint") << "cut to the buffer, zero included";
    EXPECT_FALSE(asked.empty());

    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = 7;
    SendMessageA(f.list->Handle(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(item.iImage, 1);

    LVFINDINFOA find = {};
    find.flags = LVFI_STRING;
    find.psz = "Eintrag 77";
    EXPECT_EQ(SendMessageA(f.list->Handle(), LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)), 77);
    EXPECT_NE(findStart, -2) << "the handler was not asked";

    // Back to ordinary items: they were kept all along.
    f.list->SetVirtualMode(false);
    EXPECT_FALSE(GetWindowLongA(f.list->Handle(), GWL_STYLE) & LVS_OWNERDATA);
    EXPECT_EQ(SendMessageA(f.list->Handle(), LVM_GETITEMCOUNT, 0, 0), 0);
}

TEST(ExtListView, OwnerDrawnVirtualRowsAreDrawnCellByCellInDisplayOrder)
{
    ExtListOnForm f;
    f.AddColumns({"Name", "Art", "Größe"});
    f.list->Columns()[0]->SetWidth(100);
    f.list->Columns()[1]->SetWidth(60);
    f.list->Columns()[2]->SetWidth(80);
    f.list->SetColumnOrder(3, {2, 0, 1});
    f.list->SetStyle(lvOwnerDrawFixed);
    f.list->SetVirtualMode(true);
    f.list->SetVirtualItemCount(2);
    std::vector<std::string> cells;
    int rowLeft = 0;
    f.list->OnDrawItem = [&](TComponent*, TCanvas&, int, RECT rect, TOwnerDrawState, bool&, bool&) {
        rowLeft = rect.left;
    };
    // Wine puts the row's left edge where the first column is shown; Windows at the row's start.
    f.list->OnDrawSubItem = [&](TComponent*, TCanvas&, int index, int subItem, RECT rect, TOwnerDrawState, bool&) {
        if (index == 0)
            cells.push_back(std::to_string(subItem) + ":" + std::to_string(rect.left - rowLeft) + "-" +
                            std::to_string(rect.right - rowLeft));
    };
    f.Show();
    UpdateWindow(f.list->Handle());
    ASSERT_GE(cells.size(), 3u) << "cells drawn for item 0";
    std::string row;
    for (size_t i = 0; i < 3; ++i)
        row += cells[i] + " ";
    // Position 0 shows "Größe" (80 wide), then "Name" (100), then "Art" (60).
    EXPECT_EQ(row, "-1:0-78 0:84-180 1:184-240 ");
}

TEST(ExtListView, VirtualCaptionEditsAreReported)
{
    ExtListOnForm f;
    f.AddColumns({"Name"});
    f.list->SetVirtualMode(true);
    f.list->SetVirtualItemCount(3);
    f.Show();
    std::string reported;
    f.list->OnVirtualCaptionEdited = [&](TComponent*, int index, bool canceled, const std::string& text) {
        reported += std::to_string(index) + (canceled ? "c" : "") + "[" + text + "] ";
    };
    char text[] = "Neu";
    NMLVDISPINFOA info = {};
    info.item.iItem = 2;
    info.item.pszText = text;
    f.Notify(info.hdr, LVN_ENDLABELEDITA);
    info.item.pszText = nullptr;
    f.Notify(info.hdr, LVN_ENDLABELEDITA);
    EXPECT_EQ(reported, "2[Neu] 2c[] ");
}

TEST(ExtListView, VirtualStatesPackOverlayAndStateImages)
{
    const struct {
        UINT state;
        WORD overlay, stateImage;
        UINT expected;
    } cases[] = {
        {LVIS_SELECTED, 0, 0, LVIS_SELECTED},
        {LVIS_SELECTED | 0x0FFFFF00, 0, 0, LVIS_SELECTED},   // the handler's image bits give way
        {0, 1, 2, INDEXTOOVERLAYMASK(1) | INDEXTOSTATEIMAGEMASK(2)},
        {0x80000000, 0x13, 0, 0x80000000 | INDEXTOOVERLAYMASK(3)},
        {0, 0, 0xFFFF, 0x0FFFF000},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Hex(VirtualItemState(c.state, c.overlay, c.stateImage)), Hex(c.expected))
            << Hex(c.state) << " " << c.overlay << " " << c.stateImage;
}

TEST(ExtListViewSettings, StoredOrdersAreReadAsPermutationsOnly)
{
    const struct {
        const char* text;
        int count;
        const char* expected;
    } cases[] = {
        {"2,0,1", 3, "2,0,1"}, {"", 3, "0,1,2"},      {"1,0", 3, "1,0,2"},     {"0,0,1", 3, "0,1,2"},
        {"0,1,5", 3, "0,1,2"}, {"1,x,0", 3, "0,1,2"}, {"1,0,2,3", 3, "1,0,2"}, {"", 0, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(Joined(ParseColumnOrder(c.text, c.count)), c.expected) << "\"" << c.text << "\" for " << c.count;
}

TEST(ExtListViewSettings, OrderAndWidthsInDisplayOrderAreStoredAndRestored)
{
    RegistrySandbox sandbox;
    const std::string key = "Software\\QlTest\\ExtList";
    {
        ExtListOnForm f;
        f.AddColumns({"A", "B", "C"}, 60);
        f.list->SaveSettings().SetAutoSave(true);
        f.list->SaveSettings().SetRegistryKey(key);
        f.Show();
        f.list->Columns()[0]->SetWidth(110);
        f.list->Columns()[1]->SetWidth(70);
        f.list->Columns()[2]->SetWidth(90);
        f.list->SetColumnOrder(3, {2, 0, 1});
    }
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, key + "\\Columns", "Order"), "2,0,1");
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, key + "\\Columns", "Sizes"), "90,110,70") << "widths by position";

    ExtListOnForm f;
    f.AddColumns({"A", "B", "C"}, 60);
    f.list->SaveSettings().SetAutoSave(true);
    f.list->SaveSettings().SetRegistryKey(key);
    f.Show();
    std::vector<int> order;
    f.list->GetColumnOrder(3, order);
    EXPECT_EQ(Joined(order), "2,0,1");
    std::vector<int> widths;
    for (int i = 0; i < 3; ++i)
        widths.push_back(f.list->Columns()[i]->Width());
    EXPECT_EQ(Joined(widths), "110,70,90") << "widths by column";
}

TEST(ExtListViewSettings, NothingStoredGivesTheIdentityOrder)
{
    RegistrySandbox sandbox;
    ExtListOnForm f;
    f.AddColumns({"A", "B", "C"}, 60);
    f.list->SetColumnOrder(3, {1, 2, 0});
    f.list->SaveSettings().SetRegistryKey("Software\\QlTest\\Empty");
    f.Show();
    EXPECT_TRUE(f.list->LoadSettings());
    std::vector<int> order;
    f.list->GetColumnOrder(3, order);
    EXPECT_EQ(Joined(order), "0,1,2");
    EXPECT_EQ(f.list->Columns()[0]->Width(), 60) << "no stored widths leave them alone";
}
