// The enhanced list view: sorting, sort arrows, type-ahead search, column resize blocking,
// owner drawing and its registry settings.
#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include "EnhListView.h"

#include "Forms.h"
#include "GdiObject.h"
#include "LateLibrary.h"
#include "SysUtils.h"

#include <algorithm>
#include <vector>

namespace {

constexpr int ItemImageMargin = 2;
constexpr int TextMargin = 4;
constexpr ULONGLONG SearchPauseMs = 1000;
constexpr UINT_PTR HeaderSubclassId = 1;

int Sign(int value)
{
    return value < 0 ? -1 : value > 0 ? 1 : 0;
}

UINT AlignmentFlag(TAlignment alignment)
{
    switch (alignment) {
    case taRightJustify: return DT_RIGHT;
    case taCenter: return DT_CENTER;
    default: return DT_LEFT;
    }
}

constexpr UINT CellTextFlags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS;

// Puts a canvas on a DC that Windows lends for one drawing request, and gives both back as
// they were.
class CanvasOnDC {
public:
    CanvasOnDC(TCanvas& canvas, HDC dc) : canvas_(canvas), dc_(dc), saved_(SaveDC(dc)) { canvas.SetHandle(dc); }
    ~CanvasOnDC()
    {
        canvas_.SetHandle(nullptr);
        RestoreDC(dc_, saved_);
    }
    CanvasOnDC(const CanvasOnDC&) = delete;
    CanvasOnDC& operator=(const CanvasOnDC&) = delete;

private:
    TCanvas& canvas_;
    HDC dc_;
    int saved_;
};

// BeginUpdate/EndUpdate of the list view on every path.
class UpdateBracket {
public:
    explicit UpdateBracket(TCustomEnhListView& view) : view_(view) { view_.BeginUpdate(); }
    ~UpdateBracket() { view_.EndUpdate(); }
    UpdateBracket(const UpdateBracket&) = delete;
    UpdateBracket& operator=(const UpdateBracket&) = delete;

private:
    TCustomEnhListView& view_;
};

// The height of "Wy" in a font.
int TextHeightOf(TFont& font)
{
    WindowDC screen;
    TCanvas canvas(screen.get());
    canvas.Font().Assign(font);
    int height = canvas.TextHeight("Wy");
    canvas.SetHandle(nullptr);
    return height;
}

}  // namespace

WORD NoResizeKey(WORD key, TShiftState shift)
{
    return key == VK_ADD && shift == ssCtrl ? VK_SUBTRACT : key;
}

struct TCustomEnhListView::SortContext {
    TCustomEnhListView* view;
    int subItem;     // -1: the captions
    int direction;   // +1 ascending, -1 descending
    bool custom;     // through OnSortItems
};

TCustomEnhListView::TCustomEnhListView(TComponent* owner)
    : TCustomListView(owner), saveSettings_(std::make_unique<TqelEnhLVSaveSettings>())
{
}

TCustomEnhListView::~TCustomEnhListView()
{
    // The window outlives this part of the object: it goes with the control as a whole.
    if (HandleAllocated())
        Guarded([this] { StoreSettingsIfAuto(); });
    UnhookHeader();
}

// ---------------------------------------------------------------------------------------------
// Properties

void TCustomEnhListView::SetAutoColumnSort(TAutoColumnSort mode)
{
    autoColumnSort_ = mode;
    if (mode != acsNoSort)
        Resort();
    if (showSortArrows_)
        InvalidateColumnHeader(currentSortColumn_);
}

void TCustomEnhListView::SetAutoSortStyle(TAutoSortStyle style)
{
    if (style == autoSortStyle_)
        return;
    autoSortStyle_ = style;
    Resort();
}

void TCustomEnhListView::SetAutoSortAscending(bool ascending)
{
    autoSortAscending_ = ascending;
    SetCurrentSortAscending(ascending);
}

void TCustomEnhListView::SetCurrentSortAscending(bool ascending)
{
    if (ascending == currentSortAscending_)
        return;
    currentSortAscending_ = ascending;
    InvalidateColumnHeader(currentSortColumn_);
}

void TCustomEnhListView::SetCurrentSortColumn(int column)
{
    if (column == currentSortColumn_)
        return;
    int previous = currentSortColumn_;
    currentSortColumn_ = column;
    if (showSortArrows_) {
        InvalidateColumnHeader(previous);
        InvalidateColumnHeader(column);
    }
}

void TCustomEnhListView::SetShowSortArrows(bool on)
{
    showSortArrows_ = on;
    MakeSortArrows();
    SetHeaderOwnerDraw(HeaderOwnerDrawWanted());
    if (HandleAllocated()) {
        Invalidate();
        if (headerHandle_)
            InvalidateRect(headerHandle_, nullptr, TRUE);
    }
}

void TCustomEnhListView::SetReverseSortArrows(bool on)
{
    reverseSortArrows_ = on;
    if (showSortArrows_) {
        MakeSortArrows();
        InvalidateColumnHeader(currentSortColumn_);
    }
}

void TCustomEnhListView::SetStyle(TLVStyle style)
{
    if (style == style_)
        return;
    style_ = style;
    RecreateWnd();
}

void TCustomEnhListView::SetOnDrawHeader(TLVHDrawItemEvent handler)
{
    onDrawHeader_ = std::move(handler);
    SetHeaderOwnerDraw(HeaderOwnerDrawWanted());
}

DWORD TCustomEnhListView::ExtraStyle() const
{
    return style_ == lvOwnerDrawFixed ? LVS_OWNERDRAWFIXED : 0;
}

// ---------------------------------------------------------------------------------------------
// Window

void TCustomEnhListView::CreateWnd()
{
    creatingWindow_ = true;
    try {
        TCustomListView::CreateWnd();
    } catch (...) {
        creatingWindow_ = false;
        throw;
    }
    creatingWindow_ = false;
    if (!HandleAllocated())
        return;
    if (!headerHandle_)
        HookHeader(reinterpret_cast<HWND>(SendMessageA(Handle(), LVM_GETHEADER, 0, 0)));
    if (style_ == lvOwnerDrawFixed) {
        // The list view measures its rows again when its size changes.
        WINDOWPOS pos = {Handle(), nullptr, Left(), Top(), Width(), Height(),
                         SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_NOOWNERZORDER};
        SendMessageA(Handle(), WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&pos));
    }
    SetHeaderOwnerDraw(HeaderOwnerDrawWanted());
    if (!loaded_) {
        loaded_ = true;
        // The lock the constructor took: the control is set up now.
        if (updateCount_ > 0)
            --updateCount_;
        Loaded();
    }
}

void TCustomEnhListView::Loaded()
{
    if (LoadSettingsIfAuto() && SaveSettings().SaveCurrentSort())
        return;
    if (Columns().Count() > 0) {
        currentSortColumn_ = 0;
        Resort();
    }
}

void TCustomEnhListView::DestroyWnd()
{
    if (creatingWindow_)
        return;
    TCustomListView::DestroyWnd();
    UnhookHeader();
}

void TCustomEnhListView::FontChanged()
{
    if (showSortArrows_)
        MakeSortArrows();
    // Owner-drawn rows take their height from the font only when the window is made.
    if (style_ == lvOwnerDrawFixed && HandleAllocated())
        RecreateWnd();
    else
        TCustomListView::FontChanged();
}

void TCustomEnhListView::HookHeader(HWND header)
{
    if (!header || header == headerHandle_)
        return;
    UnhookHeader();
    if (ComCtl32::SetWindowSubclass(header, &HeaderProc, HeaderSubclassId, reinterpret_cast<DWORD_PTR>(this)))
        headerHandle_ = header;
}

void TCustomEnhListView::UnhookHeader()
{
    if (!headerHandle_)
        return;
    ComCtl32::RemoveWindowSubclass(headerHandle_, &HeaderProc, HeaderSubclassId);
    headerHandle_ = nullptr;
}

LRESULT CALLBACK TCustomEnhListView::HeaderProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                                DWORD_PTR self)
{
    LRESULT result = 0;
    if (!Guarded([&] { result = reinterpret_cast<TCustomEnhListView*>(self)->HeaderMessage(window, msg, wParam, lParam); }))
        result = ComCtl32::DefSubclassProc(window, msg, wParam, lParam);
    return result;
}

LRESULT TCustomEnhListView::HeaderMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETCURSOR: {
        HDHITTESTINFO hit = {};
        GetCursorPos(&hit.pt);
        ::ScreenToClient(window, &hit.pt);
        SendMessageA(window, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (HeaderResizeBlocked(hit.iItem)) {
            auto cursor = reinterpret_cast<HCURSOR>(GetClassLongPtrA(window, GCLP_HCURSOR));
            ::SetCursor(cursor ? cursor : LoadCursor(nullptr, IDC_ARROW));
            return TRUE;
        }
        break;
    }
    case WM_NCHITTEST: {
        // Off the items proper (on a divider) the mouse finds nothing to grab.
        HDHITTESTINFO hit = {};
        hit.pt = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
        ::ScreenToClient(window, &hit.pt);
        SendMessageA(window, HDM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
        if (HeaderResizeBlocked(hit.iItem) && !(hit.flags & HHT_ONHEADER))
            return HTNOWHERE;
        break;
    }
    case WM_NCDESTROY: {
        LRESULT result = ComCtl32::DefSubclassProc(window, msg, wParam, lParam);
        if (window == headerHandle_)
            UnhookHeader();
        return result;
    }
    default:
        break;
    }
    return ComCtl32::DefSubclassProc(window, msg, wParam, lParam);
}

LRESULT TCustomEnhListView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_DESTROY:
        StoreSettingsIfAuto();
        break;
    case WM_NOTIFY: {
        UINT code = reinterpret_cast<NMHDR*>(lParam)->code;
        bool beginTrack = code == HDN_BEGINTRACKA || code == HDN_BEGINTRACKW;
        if (noColumnResize_ && (beginTrack || code == HDN_TRACKA || code == HDN_TRACKW))
            return 1;
        LRESULT result = TCustomListView::WndProc(msg, wParam, lParam);
        // The header drops the owner-draw flag of items that change.
        if (!inHeaderNotify_ && (beginTrack || code == HDN_ITEMCHANGEDA || code == HDN_ITEMCHANGEDW))
            SetHeaderOwnerDraw(HeaderOwnerDrawWanted());
        return result;
    }
    case WM_DRAWITEM: {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType == ODT_HEADER && headerHandle_ && item->hwndItem == headerHandle_) {
            CanvasOnDC attached(ownerDrawCanvas_, item->hDC);
            DrawHeaderItem(static_cast<int>(item->itemID), item->rcItem, (item->itemState & ODS_SELECTED) != 0);
            return TRUE;
        }
        break;
    }
    case WM_PARENTNOTIFY:
        if (LOWORD(wParam) == WM_CREATE && !headerHandle_) {
            auto child = reinterpret_cast<HWND>(lParam);
            char name[32] = {};
            GetClassNameA(child, name, sizeof name);
            if (lstrcmpiA(name, WC_HEADERA) == 0)
                HookHeader(child);
        }
        break;
    case CM_SYSCOLORCHANGE:
        if (showSortArrows_)
            MakeSortArrows();
        break;
    default:
        break;
    }
    return TCustomListView::WndProc(msg, wParam, lParam);
}

bool TCustomEnhListView::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (Dying())
        return false;
    if (msg == WM_DRAWITEM) {
        auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
        if (item->CtlType == ODT_LISTVIEW) {
            CanvasOnDC attached(ownerDrawCanvas_, item->hDC);
            ownerDrawCanvas_.Font().Assign(Font());
            ownerDrawCanvas_.Brush().SetStyle(bsSolid);
            ownerDrawCanvas_.Brush().SetColor(Color());
            DrawItem(static_cast<int>(item->itemID), item->rcItem, item->itemState);
            result = TRUE;
            return true;
        }
    } else if (msg == WM_MEASUREITEM && style_ == lvOwnerDrawFixed) {
        auto* measure = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
        UINT height = MeasuredItemHeight();
        MeasureItem(height);
        measure->itemHeight = height;
        result = TRUE;
        return true;
    }
    return TCustomListView::Reflected(msg, wParam, lParam, result);
}

UINT TCustomEnhListView::MeasuredItemHeight()
{
    int text = TextHeightOf(Font());
    if (SmallImages() && SmallImages()->Height() > text)
        return static_cast<UINT>(SmallImages()->Height());
    return static_cast<UINT>(text + 1);
}

// ---------------------------------------------------------------------------------------------
// Sorting

int CALLBACK TCustomEnhListView::CompareItems(LPARAM item1, LPARAM item2, LPARAM context)
{
    // A comparison that fails counts as equal: nothing may unwind through the platform's sort.
    try {
        auto& sort = *reinterpret_cast<SortContext*>(context);
        return sort.view->Compare(reinterpret_cast<TListItem*>(item1), reinterpret_cast<TListItem*>(item2), sort);
    } catch (...) {
        return 0;
    }
}

int TCustomEnhListView::Compare(TListItem* item1, TListItem* item2, const SortContext& context)
{
    if (!item1 || !item2)
        return 0;
    int result = 0;
    if (context.custom)
        SortItems(item1, item2, context.subItem, result);
    else {
        std::string text1 = SortText(item1, context.subItem);
        std::string text2 = SortText(item2, context.subItem);
        result = autoSortStyle_ == assDefault ? CompareLocaleText(text1, text2)
                                              : SmartCompare(text1, text2, sortLocale_);
    }
    return Sign(result) * context.direction;
}

std::string TCustomEnhListView::SortText(const TListItem* item, int subItem) const
{
    if (subItem == -1)
        return item->Caption();
    if (subItem >= 0 && subItem < item->SubItems().Count())
        return item->SubItems()[subItem];
    return std::string();
}

void TCustomEnhListView::SortColumnItems(int index, bool ascending)
{
    resortPending_ = false;
    SetCurrentSortColumn(index);
    // What the arrow shows and what is stored is the direction sorted in.
    SetCurrentSortAscending(ascending);
    SortBegin(index, ascending);
    sortLocale_ = TSortLocale::User();
    SortContext context = {this, index - 1, ascending ? 1 : -1, static_cast<bool>(OnSortItems)};
    CustomSort(&CompareItems, reinterpret_cast<LPARAM>(&context));
    SortFinished(index, ascending);
}

void TCustomEnhListView::SortByColumn(int index, bool ascending)
{
    InvalidateColumnHeader(index);
    SortColumnItems(index, ascending);
}

void TCustomEnhListView::SortBegin(int index, bool ascending)
{
    if (OnSortBegin)
        OnSortBegin(this, index, ascending);
}

void TCustomEnhListView::SortFinished(int index, bool ascending)
{
    if (OnSortFinished)
        OnSortFinished(this, index, ascending);
}

void TCustomEnhListView::SortItems(TListItem* item1, TListItem* item2, int sortColumn, int& compResult)
{
    TSortAs sortAs = saNone;
    if (OnSortItems)
        OnSortItems(this, item1, item2, sortColumn, sortAs, compResult);
    if (sortAs == saString || sortAs == saNumeric || sortAs == saDateTime)
        compResult = CompareAs(sortAs, SortText(item1, sortColumn), SortText(item2, sortColumn), sortLocale_);
}

void TCustomEnhListView::Resort()
{
    resortPending_ = true;
    bool sortable = autoColumnSort_ != acsNoSort && currentSortColumn_ >= 0 && currentSortColumn_ < Columns().Count();
    if ((sortable || OnSortItems) && updateCount_ < 1)
        SortColumnItems(currentSortColumn_, currentSortAscending_);
}

void TCustomEnhListView::BeginUpdate()
{
    Items().BeginUpdate();
    ++updateCount_;
}

void TCustomEnhListView::EndUpdate()
{
    if (updateCount_ > 0)
        --updateCount_;
    if (updateCount_ == 0 && resortPending_)
        Resort();
    Items().EndUpdate();
}

void TCustomEnhListView::ColumnClick(TListColumn* column)
{
    int index = column->Index();
    if (autoColumnSort_ == acsSortToggle)
        currentSortAscending_ = index == currentSortColumn_ ? !currentSortAscending_ : autoSortAscending_;
    TCustomListView::ColumnClick(column);
    if (autoColumnSort_ != acsNoSort && index < Columns().Count())
        SortColumnItems(index, currentSortAscending_);
    SetCurrentSortColumn(index);
}

void TCustomEnhListView::InsertItem(TListItem* item)
{
    TCustomListView::InsertItem(item);
    if (autoResort_)
        Resort();
}

void TCustomEnhListView::Edit(TListItem* item, std::string& text)
{
    TCustomListView::Edit(item, text);
    if (autoResort_)
        Resort();
}

void TCustomEnhListView::EditCanceled(TListItem* item)
{
    DoEditCanceled(item);
}

void TCustomEnhListView::DoEditCanceled(TListItem* item)
{
    if (OnEditCanceled)
        OnEditCanceled(this, item);
}

// ---------------------------------------------------------------------------------------------
// Items and columns

void TCustomEnhListView::ResizeColumns(bool useHeader)
{
    UpdateBracket update(*this);
    Columns().BeginUpdate();
    for (int i = 0; i < Columns().Count(); ++i)
        Columns()[i]->SetWidth(useHeader ? LVSCW_AUTOSIZE_USEHEADER : LVSCW_AUTOSIZE);
    Columns().EndUpdate();
}

void TCustomEnhListView::MoveItem(int fromIndex, int toIndex)
{
    int count = Items().Count();
    if (fromIndex == toIndex || fromIndex < 0 || fromIndex >= count || toIndex < 0 || toIndex >= count)
        return;
    UpdateBracket update(*this);
    Items().Move(fromIndex, toIndex);
}

TListColumn* TCustomEnhListView::GetColumnFromIndex(int index)
{
    if (Parent())
        HandleNeeded();
    return index >= 0 && index < Columns().Count() ? Columns()[index] : nullptr;
}

std::string TCustomEnhListView::GetSubItemText(int index, int subItem) const
{
    if (index < 0 || index >= Items().Count())
        return std::string();
    const TListItem* item = Items()[index];
    if (subItem < 0)
        return item->Caption();
    return subItem < item->SubItems().Count() ? item->SubItems()[subItem] : std::string();
}

// ---------------------------------------------------------------------------------------------
// Type-ahead search and keys

bool TCustomEnhListView::ColumnText(int index, int columnIndex, std::string& text) const
{
    const TListItem* item = Items()[index];
    if (columnIndex == 0) {
        text = item->Caption();
        return true;
    }
    if (columnIndex >= 1 && columnIndex - 1 < item->SubItems().Count()) {
        text = item->SubItems()[columnIndex - 1];
        return true;
    }
    return false;
}

bool TCustomEnhListView::SelectFirstMatch(int columnIndex, const std::function<bool(const std::string&)>& matches)
{
    int count = Items().Count();
    if (count == 0)
        return false;
    TListItem* selected = Selected();
    // Without a selection the walk starts at the second item, so the first is tried last.
    int start = selected ? selected->Index() + 1 : 1;
    for (int i = 0; i < count; ++i) {
        int index = (start + i) % count;
        std::string text;
        if (!ColumnText(index, columnIndex, text) || !matches(text))
            continue;
        TListItem* item = Items()[index];
        SetSelected(item);
        SetItemFocused(item);
        item->MakeVisible();
        return true;
    }
    return false;
}

bool TCustomEnhListView::StringSelect(const std::string& findText, int columnIndex)
{
    return SelectFirstMatch(columnIndex, [&findText](const std::string& text) {
        return text.size() >= findText.size() && SameText(text.substr(0, findText.size()), findText);
    });
}

bool TCustomEnhListView::SubStringSelect(const std::string& findText, int columnIndex)
{
    return SelectFirstMatch(columnIndex,
                            [&findText](const std::string& text) { return text.find(findText) != std::string::npos; });
}

bool TCustomEnhListView::IncrementalSearch(WORD key)
{
    BYTE state[256];
    if (!GetKeyboardState(state))
        return false;
    WORD chars[2] = {};
    if (ToAscii(key, MapVirtualKeyA(key, MAPVK_VK_TO_VSC), state, chars, 0) != 1)
        return false;
    auto c = static_cast<unsigned char>(chars[0] & 0xFF);
    if (c < 32 || c > 127)
        return false;
    ULONGLONG now = GetTickCount64();
    std::string previous = now - lastSearchTick_ > SearchPauseMs ? std::string() : searchText_;
    searchText_ = previous + static_cast<char>(c);
    lastSearchTick_ = now;
    // Without a sort column the captions are searched.
    int column = currentSortColumn_ >= 0 ? currentSortColumn_ : 0;
    if (!StringSelect(searchText_, column)) {
        MessageBeep(MB_ICONHAND);
        searchText_ = previous;
    }
    return true;
}

void TCustomEnhListView::KeyDown(WORD& key, TShiftState shift)
{
    TCustomListView::KeyDown(key, shift);
    // Before the list view sees the key.
    if (noColumnResize_)
        key = NoResizeKey(key, shift);
}

void TCustomEnhListView::KeyUp(WORD& key, TShiftState shift)
{
    TCustomListView::KeyUp(key, shift);
    if (columnSearch_ && key && IncrementalSearch(key))
        key = 0;
}

void TCustomEnhListView::KeyPress(char& key)
{
    TCustomListView::KeyPress(key);
    // The list view's own search by typing would move the selection before ours starts.
    auto c = static_cast<unsigned char>(key);
    if (columnSearch_ && c >= 32 && c <= 127)
        key = 0;
}

// ---------------------------------------------------------------------------------------------
// Settings

bool TCustomEnhListView::StoreSettingsIfAuto()
{
    return SaveSettings().AutoSave() && StoreSettings();
}

bool TCustomEnhListView::StoreSettings()
{
    const TqelEnhLVSaveSettings& settings = *saveSettings_;
    int count = Columns().Count();
    if (!settings.HasKey() || count == 0)
        return false;
    if (settings.SaveColumnSizes()) {
        std::vector<int> widths;
        for (int i = 0; i < count; ++i)
            widths.push_back(Columns()[i]->Width());
        settings.WriteColumnSizes(widths);
    }
    StoreSortAndViewStyle(settings);
    return true;
}

void TCustomEnhListView::StoreSortAndViewStyle(const TqelEnhLVSaveSettings& settings) const
{
    if (settings.SaveCurrentSort())
        settings.WriteSort(currentSortAscending_, currentSortColumn_);
    if (settings.SaveViewStyle())
        settings.WriteViewStyle(ViewStyle());
}

bool TCustomEnhListView::LoadSettingsIfAuto()
{
    return SaveSettings().AutoSave() && LoadSettings();
}

bool TCustomEnhListView::LoadSettings()
{
    const TqelEnhLVSaveSettings& settings = *saveSettings_;
    if (!settings.HasKey())
        return false;
    int count = Columns().Count();
    if (count > 0 && settings.SaveColumnSizes()) {
        std::vector<int> widths;
        for (int i = 0; i < count; ++i)
            widths.push_back(Columns()[i]->Width());
        settings.ReadColumnSizes(widths);
        if (widths[0] != -1)
            for (int i = 0; i < count; ++i)
                Columns()[i]->SetWidth(widths[static_cast<size_t>(i)]);
    }
    LoadSortAndViewStyle(settings);
    return true;
}

void TCustomEnhListView::LoadSortAndViewStyle(const TqelEnhLVSaveSettings& settings)
{
    if (settings.SaveCurrentSort()) {
        bool ascending = true;
        int column = 0;
        settings.ReadSort(ascending, column);
        UpdateBracket update(*this);
        SetCurrentSortAscending(ascending);
        SetCurrentSortColumn(ClampSortColumn(column, Columns().Count()));
        Resort();
    }
    if (settings.SaveViewStyle())
        SetViewStyle(settings.ReadViewStyle(ViewStyle()));
}

// ---------------------------------------------------------------------------------------------
// Owner-drawn rows

void TCustomEnhListView::MeasureItem(UINT& height)
{
    if (OnMeasureItem)
        OnMeasureItem(this, height);
}

bool TCustomEnhListView::DoDrawItem(int index, RECT rect, TOwnerDrawState state, bool& fullRowSelect)
{
    bool defaultDrawing = true;
    if (OnDrawItem)
        OnDrawItem(this, ownerDrawCanvas_, index, rect, state, defaultDrawing, fullRowSelect);
    return defaultDrawing;
}

bool TCustomEnhListView::DoDrawSubItem(int index, int subItem, RECT rect, TOwnerDrawState state)
{
    bool defaultDrawing = true;
    if (OnDrawSubItem)
        OnDrawSubItem(this, ownerDrawCanvas_, index, subItem, rect, state, defaultDrawing);
    return defaultDrawing;
}

void TCustomEnhListView::DoAfterDefaultDrawItem(int index, RECT rect, TOwnerDrawState state)
{
    if (OnAfterDefaultDrawItem)
        OnAfterDefaultDrawItem(this, ownerDrawCanvas_, index, rect, state);
}

void TCustomEnhListView::DrawItem(int index, RECT rect, TOwnerDrawState state)
{
    bool fullRowSelect = false;
    if (DoDrawItem(index, rect, state, fullRowSelect)) {
        DefaultDrawItem(index, rect, state, fullRowSelect);
        DoAfterDefaultDrawItem(index, rect, state);
    }
}

void TCustomEnhListView::DefaultDrawItem(int index, RECT rect, TOwnerDrawState state, bool fullRowSelect)
{
    if (index < 0 || index >= Items().Count() || Columns().Count() == 0)
        return;
    TListItem* item = Items()[index];
    TCanvas& canvas = ownerDrawCanvas_;
    bool selected = (state & odSelected) != 0;
    UseRowColors(state);

    int right = rect.left + Columns()[0]->Width();
    RECT first = {rect.left, rect.top, right, rect.bottom};
    canvas.FillRect(fullRowSelect ? rect : first);

    int x = rect.left + ItemImageMargin;
    int height = rect.bottom - rect.top;
    if (StateImages() && item->StateIndex() >= 0) {
        ComCtl32::ImageList_Draw(StateImages()->Handle(), item->StateIndex(), canvas.Handle(), x,
                                 rect.top + (height - StateImages()->Height()) / 2, ILD_TRANSPARENT);
        x += StateImages()->Width() + ItemImageMargin;
    }
    if (SmallImages() && item->ImageIndex() >= 0) {
        UINT style = ILD_TRANSPARENT;
        if (item->OverlayIndex() >= 0 && item->OverlayIndex() <= 3)
            style |= INDEXTOOVERLAYMASK(item->OverlayIndex() + 1);
        if (selected && Focused())
            style |= ILD_SELECTED;
        ComCtl32::ImageList_Draw(SmallImages()->Handle(), item->ImageIndex(), canvas.Handle(), x,
                                 rect.top + (height - SmallImages()->Height()) / 2, style);
        x += SmallImages()->Width();
    }
    if (Columns()[0]->Alignment() == taLeftJustify)
        first.left = x;
    DefaultDrawSubItem(index, -1, first, state);

    int left = right;
    for (int n = 1; n < Columns().Count(); ++n) {
        int cellRight = left + Columns()[n]->Width();
        if (n - 1 < item->SubItems().Count()) {
            if (!fullRowSelect) {
                canvas.Brush().SetColor(clWindow);
                canvas.Font().SetColor(clWindowText);
            }
            RECT cell = {left, rect.top, cellRight, rect.bottom};
            canvas.FillRect(cell);
            DefaultDrawSubItem(index, n - 1, cell, state);
        }
        left = cellRight;
    }
}

void TCustomEnhListView::UseRowColors(TOwnerDrawState state)
{
    if (!(state & odSelected))
        return;
    if (Focused()) {
        ownerDrawCanvas_.Brush().SetColor(clHighlight);
        ownerDrawCanvas_.Font().SetColor(clHighlightText);
    } else if (!HideSelection()) {
        ownerDrawCanvas_.Brush().SetColor(clBtnFace);
        ownerDrawCanvas_.Font().SetColor(clBtnText);
    }
}

void TCustomEnhListView::DefaultDrawSubItem(int index, int subItem, RECT rect, TOwnerDrawState state)
{
    if (!DoDrawSubItem(index, subItem, rect, state))
        return;
    TAlignment alignment = taLeftJustify;
    if (subItem + 1 < Columns().Count())
        alignment = Columns()[subItem + 1]->Alignment();
    if (subItem >= 0)
        InflateRect(&rect, -TextMargin, 0);
    if (alignment == taLeftJustify)
        rect.left += TextMargin;
    std::string text = GetSubItemText(index, subItem);
    DrawTextA(ownerDrawCanvas_.Handle(), text.c_str(), static_cast<int>(text.size()), &rect,
              CellTextFlags | AlignmentFlag(alignment));
}

// ---------------------------------------------------------------------------------------------
// Header

void TCustomEnhListView::SetHeaderOwnerDraw(bool on)
{
    if (!headerHandle_ && HandleAllocated())
        HookHeader(reinterpret_cast<HWND>(SendMessageA(Handle(), LVM_GETHEADER, 0, 0)));
    if (!headerHandle_)
        return;
    // Changing an item makes the header notify again: no second round from there.
    bool wasInNotify = inHeaderNotify_;
    inHeaderNotify_ = true;
    int count = static_cast<int>(SendMessageA(headerHandle_, HDM_GETITEMCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        if (!SendMessageA(headerHandle_, HDM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item)))
            continue;
        int format = on ? (item.fmt | HDF_OWNERDRAW) : (item.fmt & ~HDF_OWNERDRAW);
        if (format == item.fmt)
            continue;
        item.fmt = format;
        SendMessageA(headerHandle_, HDM_SETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
    }
    inHeaderNotify_ = wasInNotify;
}

void TCustomEnhListView::ColumnsChanged()
{
    if (HeaderOwnerDrawWanted())
        SetHeaderOwnerDraw(true);
}

void TCustomEnhListView::InvalidateColumnHeader(int index)
{
    if (index < 0 || index >= Columns().Count() || !headerHandle_)
        return;
    RECT rect;
    if (SendMessageA(headerHandle_, HDM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect))) {
        InflateRect(&rect, -2, -2);
        InvalidateRect(headerHandle_, &rect, FALSE);
    }
}

void TCustomEnhListView::DrawHeaderItem(int index, RECT rect, bool selected)
{
    ownerDrawCanvas_.Font().Assign(Font());
    ownerDrawCanvas_.Brush().SetStyle(bsSolid);
    ownerDrawCanvas_.Brush().SetColor(clBtnFace);
    if (DoDrawHeader(index, rect, selected))
        DefaultDrawHeader(ownerDrawCanvas_, index, rect, selected);
}

bool TCustomEnhListView::DoDrawHeader(int index, RECT rect, bool selected)
{
    bool defaultDrawing = true;
    if (onDrawHeader_)
        onDrawHeader_(this, ownerDrawCanvas_, index, rect, selected, defaultDrawing);
    return defaultDrawing;
}

TBitmap* TCustomEnhListView::SortArrowFor(int index) const
{
    if (!showSortArrows_ || !SortArrowWanted() || index != currentSortColumn_)
        return nullptr;
    TBitmap* arrow = currentSortAscending_ ? upArrow_.get() : downArrow_.get();
    return arrow && arrow->Width() > 0 ? arrow : nullptr;
}

void TCustomEnhListView::DefaultDrawHeader(TCanvas& canvas, int index, RECT rect, bool selected)
{
    RECT item = PaintHeaderFace(canvas, rect, selected);
    if (index < 0 || index >= Columns().Count())
        return;
    TAlignment alignment = Columns()[index]->Alignment();
    RECT text = HeaderTextRect(item, alignment);
    UINT flags = CellTextFlags | AlignmentFlag(alignment);
    const std::string& caption = Columns()[index]->Caption();
    HDC dc = canvas.Handle();

    TBitmap* arrow = SortArrowFor(index);
    if (!arrow) {
        DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &text, flags);
        return;
    }
    int room = arrow->Width() + 8;
    if (alignment == taRightJustify)
        text.left += room;
    else
        text.right -= room;
    RECT placed = DrawHeaderCaption(dc, caption, alignment, text, item);

    int arrowX = alignment == taRightJustify ? placed.left - 8 - arrow->Width() : placed.right + 8;
    int arrowY = item.top + (item.bottom - item.top - arrow->Height()) / 2;
    if (arrowX >= item.left && arrowX + arrow->Width() <= item.right)
        canvas.Draw(arrowX, arrowY, *arrow);
}

RECT TCustomEnhListView::PaintHeaderFace(TCanvas& canvas, RECT rect, bool selected)
{
    RECT item = rect;
    if (!selected)
        InflateRect(&item, -2, -2);
    canvas.FillRect(item);
    if (selected) {
        InflateRect(&item, -2, -2);
        OffsetRect(&item, 1, 1);
    }
    return item;
}

RECT TCustomEnhListView::HeaderTextRect(RECT item, TAlignment alignment)
{
    if (alignment == taLeftJustify)
        item.left += TextMargin;
    else if (alignment == taRightJustify)
        item.right -= TextMargin;
    return item;
}

RECT TCustomEnhListView::DrawHeaderCaption(HDC dc, const std::string& caption, TAlignment alignment, RECT text,
                                          RECT item)
{
    UINT flags = CellTextFlags | AlignmentFlag(alignment);
    RECT measured = text;
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &measured, flags | DT_CALCRECT);
    int width = std::min(static_cast<int>(measured.right - measured.left), std::max(0, static_cast<int>(text.right - text.left)));
    int left = alignment == taRightJustify ? text.right - width
               : alignment == taCenter     ? text.left + (text.right - text.left - width) / 2
                                           : text.left;
    RECT placed = {std::max(left, static_cast<int>(item.left)), text.top, std::min(left + width, static_cast<int>(item.right)),
                   text.bottom};
    DrawTextA(dc, caption.c_str(), static_cast<int>(caption.size()), &placed, flags);
    return placed;
}

void TCustomEnhListView::MakeSortArrows()
{
    upArrow_.reset();
    downArrow_.reset();
    if (showSortArrows_)
        CreateSortBmps(upArrow_, downArrow_);
}

void TCustomEnhListView::CreateSortBmps(std::unique_ptr<TBitmap>& up, std::unique_ptr<TBitmap>& down)
{
    if (!up)
        up = std::make_unique<TBitmap>();
    if (!down)
        down = std::make_unique<TBitmap>();
    int textHeight = TextHeightOf(Font());
    if (textHeight - 6 < 1)
        return;
    int size = textHeight - 6 + (textHeight % 2 ? 1 : 0);
    int middle = size / 2;
    TBitmap& downPicture = reverseSortArrows_ ? *up : *down;
    TBitmap& upPicture = reverseSortArrows_ ? *down : *up;

    downPicture.SetSize(size, size);
    TCanvas& d = downPicture.Canvas();
    d.Brush().SetColor(clBtnFace);
    d.FillRect(RECT{0, 0, size, size});
    d.Pen().SetColor(clBtnShadow);
    d.MoveTo(middle, size - 2);
    d.LineTo(size - 1, 0);
    d.SetPixel(size - 1, 0, clBtnShadow);
    d.Pen().SetColor(clBtnHighlight);
    d.MoveTo(size - 2, 0);
    d.LineTo(0, 0);
    d.LineTo(middle - 1, size - 2);
    d.SetPixel(middle - 1, size - 2, clBtnHighlight);

    upPicture.SetSize(size, size);
    TCanvas& u = upPicture.Canvas();
    u.Brush().SetColor(clBtnFace);
    u.FillRect(RECT{0, 0, size, size});
    u.Pen().SetColor(clBtnHighlight);
    u.MoveTo(0, size - 1);
    u.LineTo(middle - 1, 0);
    u.Pen().SetColor(clBtnShadow);
    u.MoveTo(middle, 0);
    u.LineTo(size - 1, size - 1);
    u.LineTo(-1, size - 1);
    u.SetPixel(middle, 0, clBtnFace);
}
