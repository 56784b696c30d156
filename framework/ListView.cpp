// The list view control: the item and column model and how it is mirrored into the window.
#include <windows.h>
#include <commctrl.h>

#include "ListView.h"

#include <algorithm>
#include <unordered_map>

int ColumnFormat(TAlignment alignment)
{
    switch (alignment) {
    case taRightJustify: return LVCFMT_RIGHT;
    case taCenter: return LVCFMT_CENTER;
    default: return LVCFMT_LEFT;
    }
}

namespace {

DWORD ViewBits(TViewStyle style)
{
    switch (style) {
    case vsSmallIcon: return LVS_SMALLICON;
    case vsList: return LVS_LIST;
    case vsReport: return LVS_REPORT;
    default: return LVS_ICON;
    }
}

// The window of a list view whose window exists, else nullptr (nothing to mirror into).
HWND Window(const TCustomListView& view)
{
    return view.HandleAllocated() ? const_cast<TCustomListView&>(view).Handle() : nullptr;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TListColumn

int TListColumn::Index() const
{
    return owner_.IndexOf(this);
}

void TListColumn::SetCaption(const std::string& caption)
{
    caption_ = caption;
    owner_.ListView().WindowSetColumn(Index(), LVCF_TEXT);
}

int TListColumn::Width() const
{
    if (HWND window = owner_.ListView().ReportWindow())
        return static_cast<int>(SendMessageA(window, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(Index()), 0));
    return width_;
}

void TListColumn::SetWidth(int width)
{
    width_ = width;
    owner_.ListView().WindowSetColumnWidth(Index());
}

void TListColumn::SetAlignment(TAlignment alignment)
{
    alignment_ = alignment;
    owner_.ListView().WindowSetColumn(Index(), LVCF_FMT);
}

// ---------------------------------------------------------------------------------------------
// TListColumns

TListColumn* TListColumns::Add()
{
    columns_.push_back(std::unique_ptr<TListColumn>(new TListColumn(*this)));
    view_.WindowInsertColumn(Count() - 1);
    return columns_.back().get();
}

void TListColumns::Delete(int index)
{
    if (index < 0 || index >= Count())
        throw ListIndexError(index);
    HWND window = Window(view_);
    if (window)
        SendMessageA(window, LVM_DELETECOLUMN, static_cast<WPARAM>(index), 0);
    columns_.erase(columns_.begin() + index);
    if (!window)
        return;
    // The window dropped that column's texts and moved the later ones; the items keep theirs
    // by position, so the window is told them again.
    view_.LockRedraw();
    for (int i = 0; i < view_.items_.Count(); ++i) {
        const TListItem* item = view_.items_.Item(i);
        for (int sub = 0; sub + 1 < Count(); ++sub)
            view_.WindowSetText(i, sub + 1, sub < item->SubItems().Count() ? item->SubItems()[sub] : std::string());
    }
    view_.UnlockRedraw();
    view_.ColumnsChanged();
}

void TListColumns::Clear()
{
    while (Count() > 0)
        Delete(Count() - 1);
}

int TListColumns::IndexOf(const TListColumn* column) const
{
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].get() == column)
            return static_cast<int>(i);
    return -1;
}

void TListColumns::BeginUpdate()
{
    view_.LockRedraw();
}

void TListColumns::EndUpdate()
{
    view_.UnlockRedraw();
}

// ---------------------------------------------------------------------------------------------
// TSubItems

void TSubItems::Set(int index, const std::string& text)
{
    ListAt(texts_, index) = text;
    item_.ListView().WindowSetText(item_.Index(), index + 1, text);
}

int TSubItems::Add(const std::string& text)
{
    texts_.push_back(text);
    item_.ListView().WindowSetText(item_.Index(), Count(), text);
    return Count() - 1;
}

void TSubItems::Delete(int index)
{
    if (index < 0 || index >= Count())
        throw ListIndexError(index);
    texts_.erase(texts_.begin() + index);
    int row = item_.Index();
    TCustomListView& view = item_.ListView();
    for (int i = index; i <= Count(); ++i)
        view.WindowSetText(row, i + 1, i < Count() ? texts_[static_cast<size_t>(i)] : std::string());
}

void TSubItems::Clear()
{
    Assign({});
}

void TSubItems::Assign(const std::vector<std::string>& texts)
{
    size_t shown = std::max(texts.size(), texts_.size());
    texts_ = texts;
    int row = item_.Index();
    TCustomListView& view = item_.ListView();
    for (size_t i = 0; i < shown; ++i)
        view.WindowSetText(row, static_cast<int>(i) + 1, i < texts_.size() ? texts_[i] : std::string());
}

// ---------------------------------------------------------------------------------------------
// TListItem

TCustomListView& TListItem::ListView() const
{
    return owner_.ListView();
}

int TListItem::Index() const
{
    return owner_.IndexOf(this);
}

void TListItem::SetCaption(const std::string& caption)
{
    caption_ = caption;
    ListView().WindowSetText(Index(), 0, caption);
}

void TListItem::SetImageIndex(int index)
{
    imageIndex_ = index;
    ListView().WindowSetItemImages(Index());
}

void TListItem::SetStateIndex(int index)
{
    stateIndex_ = index;
    ListView().WindowSetItemImages(Index());
}

void TListItem::SetOverlayIndex(int index)
{
    overlayIndex_ = index;
    ListView().WindowSetItemImages(Index());
}

bool TListItem::Selected() const
{
    if (HWND window = Window(ListView()))
        return SendMessageA(window, LVM_GETITEMSTATE, static_cast<WPARAM>(Index()), LVIS_SELECTED) != 0;
    return (state_ & LVIS_SELECTED) != 0;
}

void TListItem::SetSelected(bool selected)
{
    SetState(LVIS_SELECTED, selected);
}

bool TListItem::Focused() const
{
    if (HWND window = Window(ListView()))
        return SendMessageA(window, LVM_GETITEMSTATE, static_cast<WPARAM>(Index()), LVIS_FOCUSED) != 0;
    return (state_ & LVIS_FOCUSED) != 0;
}

void TListItem::SetFocused(bool focused)
{
    SetState(LVIS_FOCUSED, focused);
}

void TListItem::SetState(UINT flag, bool on)
{
    state_ = on ? (state_ | flag) : (state_ & ~flag);
    if (HWND window = Window(ListView())) {
        LVITEMA item = {};
        item.stateMask = flag;
        item.state = on ? flag : 0;
        SendMessageA(window, LVM_SETITEMSTATE, static_cast<WPARAM>(Index()), reinterpret_cast<LPARAM>(&item));
    }
}

UINT TListItem::StateBits() const
{
    UINT bits = (Selected() ? LVIS_SELECTED : 0) | (Focused() ? LVIS_FOCUSED : 0);
    if (overlayIndex_ >= 0)
        bits |= INDEXTOOVERLAYMASK(overlayIndex_ + 1);
    if (stateIndex_ >= 0)
        bits |= INDEXTOSTATEIMAGEMASK(stateIndex_ + 1);
    return bits;
}

void TListItem::MakeVisible()
{
    if (HWND window = Window(ListView()))
        SendMessageA(window, LVM_ENSUREVISIBLE, static_cast<WPARAM>(Index()), FALSE);
}

void TListItem::Assign(const TListItem& source)
{
    if (&source == this)
        return;
    SetCaption(source.caption_);
    subItems_.Assign(source.subItems_.texts_);
    imageIndex_ = source.imageIndex_;
    stateIndex_ = source.stateIndex_;
    overlayIndex_ = source.overlayIndex_;
    ListView().WindowSetItemImages(Index());
    data_ = source.data_;
}

void TListItem::Delete()
{
    owner_.Delete(Index());
}

// ---------------------------------------------------------------------------------------------
// TListItems

TListItem* TListItems::Insert(int index)
{
    if (index < 0 || index > Count())
        throw ListIndexError(index);
    items_.insert(items_.begin() + index, std::unique_ptr<TListItem>(new TListItem(*this)));
    TListItem* item = items_[static_cast<size_t>(index)].get();
    view_.WindowInsertItem(index);
    view_.InsertItem(item);
    return item;
}

void TListItems::Delete(int index)
{
    TListItem* item = Item(index);
    if (view_.OnDeletion && !view_.Dying())
        view_.OnDeletion(&view_, item);
    if (HWND window = Window(view_))
        SendMessageA(window, LVM_DELETEITEM, static_cast<WPARAM>(index), 0);
    items_.erase(items_.begin() + index);
}

void TListItems::Clear()
{
    if (view_.OnDeletion && !view_.Dying())
        for (auto& item : items_)
            view_.OnDeletion(&view_, item.get());
    if (HWND window = Window(view_))
        SendMessageA(window, LVM_DELETEALLITEMS, 0, 0);
    items_.clear();
}

int TListItems::IndexOf(const TListItem* item) const
{
    for (size_t i = 0; i < items_.size(); ++i)
        if (items_[i].get() == item)
            return static_cast<int>(i);
    return -1;
}

void TListItems::Move(int from, int to)
{
    if (from < 0 || from >= Count() || to < 0 || to >= Count())
        throw ListIndexError(from < 0 || from >= Count() ? from : to);
    if (from == to)
        return;
    TListItem* item = Item(from);
    // The window forgets the state with the deleted entry: the item carries it across.
    item->state_ = item->StateBits() & (LVIS_SELECTED | LVIS_FOCUSED);
    HWND window = Window(view_);
    if (window)
        SendMessageA(window, LVM_DELETEITEM, static_cast<WPARAM>(from), 0);
    std::unique_ptr<TListItem> moving = std::move(items_[static_cast<size_t>(from)]);
    items_.erase(items_.begin() + from);
    items_.insert(items_.begin() + to, std::move(moving));
    if (window)
        view_.WindowInsertItem(to);
}

void TListItems::BeginUpdate()
{
    view_.LockRedraw();
}

void TListItems::EndUpdate()
{
    view_.UnlockRedraw();
}

// ---------------------------------------------------------------------------------------------
// TCustomListView

TCustomListView::TCustomListView(TComponent* owner) : TWinControl(owner), columns_(*this), items_(*this)
{
    SetBounds(0, 0, 250, 150);
    SetColor(clWindow);
    // The list view reports clicks itself (NM_CLICK, NM_DBLCLK): it keeps the mouse between
    // press and release, so press and release alone do not make one.
    clickEvents_ = false;
    doubleClicks_ = false;
}

TCustomListView::~TCustomListView()
{
    dying_ = true;
    largeImages_.SetList(nullptr);
    smallImages_.SetList(nullptr);
    stateImages_.SetList(nullptr);
    // The window goes while the items that its entries point to still exist.
    if (HandleAllocated())
        DestroyWindow(Handle());
}

DWORD TCustomListView::StyleBits() const
{
    DWORD bits = ViewBits(viewStyle_) | LVS_SHAREIMAGELISTS | ExtraStyle();
    if (!columnClick_)
        bits |= LVS_NOSORTHEADER;
    if (!showColumnHeaders_)
        bits |= LVS_NOCOLUMNHEADER;
    if (!hideSelection_)
        bits |= LVS_SHOWSELALWAYS;
    if (!multiSelect_)
        bits |= LVS_SINGLESEL;
    if (!readOnly_)
        bits |= LVS_EDITLABELS;
    return bits;
}

void TCustomListView::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.systemClass = WC_LISTVIEWA;
    params.style |= WS_TABSTOP | StyleBits();
    if (ctl3D_)
        params.exStyle |= WS_EX_CLIENTEDGE;
    else
        params.style |= WS_BORDER;
}

void TCustomListView::CreateWnd()
{
    TWinControl::CreateWnd();
    HWND window = Window(*this);
    if (!window)
        return;
    ApplyColors();
    ApplyExtendedStyle();
    // A new window has no lists; sending none would drop the check boxes' own state images.
    if (LargeImages())
        ApplyImageList(LargeImages(), LVSIL_NORMAL);
    if (SmallImages())
        ApplyImageList(SmallImages(), LVSIL_SMALL);
    if (StateImages())
        ApplyImageList(StateImages(), LVSIL_STATE);
    LockRedraw();
    for (int i = 0; i < columns_.Count(); ++i)
        WindowInsertColumn(i);
    for (int i = 0; i < items_.Count(); ++i)
        WindowInsertItem(i);
    UnlockRedraw();
}

void TCustomListView::DestroyWnd()
{
    if (!Window(*this))
        return;
    PullColumnWidths();
    for (auto& item : items_.items_)
        item->state_ = item->StateBits() & (LVIS_SELECTED | LVIS_FOCUSED);
}

void TCustomListView::RecreateWnd()
{
    if (!HandleAllocated())
        return;
    int locks = redrawLocks_;
    redrawLocks_ = 0;
    DestroyWindow(Handle());   // DestroyWnd runs on its WM_DESTROY
    HandleNeeded();
    // A bracket that was open goes on over the new window.
    for (int i = 0; i < locks; ++i)
        LockRedraw();
}

void TCustomListView::LockRedraw()
{
    if (redrawLocks_++ == 0)
        if (HWND window = Window(*this))
            SendMessageA(window, WM_SETREDRAW, FALSE, 0);
}

void TCustomListView::UnlockRedraw()
{
    if (redrawLocks_ == 0)
        return;
    if (--redrawLocks_ == 0)
        if (HWND window = Window(*this)) {
            SendMessageA(window, WM_SETREDRAW, TRUE, 0);
            InvalidateRect(window, nullptr, TRUE);
        }
}

void TCustomListView::WindowInsertColumn(int index)
{
    HWND window = Window(*this);
    if (!window)
        return;
    const TListColumn& column = *columns_.Items(index);
    LVCOLUMNA lv = {};
    lv.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_FMT | LVCF_SUBITEM;
    lv.fmt = ColumnFormat(column.alignment_);
    lv.cx = std::max(column.width_, 0);
    lv.pszText = const_cast<char*>(column.caption_.c_str());
    lv.iSubItem = index;
    SendMessageA(window, LVM_INSERTCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lv));
    if (column.width_ < 0)
        WindowSetColumnWidth(index);
    // A column added behind the items shows the texts they already have for it.
    int rows = static_cast<int>(SendMessageA(window, LVM_GETITEMCOUNT, 0, 0));
    if (index > 0) {
        for (int i = 0; i < rows && i < items_.Count(); ++i) {
            if (textCallbacks_)
                WindowSetText(i, index, std::string());
            else if (index - 1 < items_.Item(i)->subItems_.Count())
                WindowSetText(i, index, items_.Item(i)->subItems_[index - 1]);
        }
    }
    ColumnsChanged();
}

HWND TCustomListView::ReportWindow() const
{
    return viewStyle_ == vsReport ? Window(*this) : nullptr;
}

void TCustomListView::WindowSetColumnWidth(int index)
{
    // Other views keep no column widths: the column remembers its own until the report view.
    if (HWND window = ReportWindow()) {
        int width = columns_.Items(index)->width_;
        SendMessageA(window, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(index), MAKELPARAM(width, 0));
        ColumnsChanged();
    }
}

void TCustomListView::PullColumnWidths()
{
    if (ReportWindow())
        for (auto& column : columns_.columns_)
            column->width_ = column->Width();
}

void TCustomListView::WindowSetColumn(int index, UINT mask)
{
    HWND window = Window(*this);
    if (!window)
        return;
    const TListColumn& column = *columns_.Items(index);
    LVCOLUMNA lv = {};
    lv.mask = mask;
    lv.fmt = ColumnFormat(column.alignment_);
    lv.pszText = const_cast<char*>(column.caption_.c_str());
    SendMessageA(window, LVM_SETCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lv));
    ColumnsChanged();
}

void TCustomListView::WindowInsertItem(int index)
{
    HWND window = Window(*this);
    if (!window)
        return;
    TListItem& item = *items_.Item(index);
    // The entry is new: only the item knows its state.
    UINT state = item.state_ & (LVIS_SELECTED | LVIS_FOCUSED);
    if (item.overlayIndex_ >= 0)
        state |= INDEXTOOVERLAYMASK(item.overlayIndex_ + 1);
    if (item.stateIndex_ >= 0)
        state |= INDEXTOSTATEIMAGEMASK(item.stateIndex_ + 1);
    LVITEMA lv = {};
    lv.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_STATE;
    lv.iItem = index;
    lv.pszText = textCallbacks_ ? LPSTR_TEXTCALLBACKA : const_cast<char*>(item.caption_.c_str());
    lv.iImage = textCallbacks_ ? I_IMAGECALLBACK : item.imageIndex_;
    lv.lParam = reinterpret_cast<LPARAM>(&item);
    lv.state = state;
    lv.stateMask = LVIS_SELECTED | LVIS_FOCUSED | LVIS_OVERLAYMASK | LVIS_STATEIMAGEMASK;
    SendMessageA(window, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&lv));
    const int subItems = textCallbacks_ ? columns_.Count() - 1 : item.subItems_.Count();
    for (int sub = 0; sub < subItems; ++sub)
        WindowSetText(index, sub + 1, textCallbacks_ ? std::string() : item.subItems_[sub]);
}

void TCustomListView::WindowSetText(int index, int subItem, const std::string& text)
{
    HWND window = Window(*this);
    if (!window || index < 0)
        return;
    LVITEMA lv = {};
    lv.iSubItem = subItem;
    lv.pszText = textCallbacks_ ? LPSTR_TEXTCALLBACKA : const_cast<char*>(text.c_str());
    SendMessageA(window, LVM_SETITEMTEXTA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&lv));
}

void TCustomListView::WindowSetItemImages(int index)
{
    HWND window = Window(*this);
    if (!window || index < 0)
        return;
    const TListItem& item = *items_.Item(index);
    LVITEMA lv = {};
    lv.mask = LVIF_IMAGE | LVIF_STATE;
    lv.iItem = index;
    lv.iImage = textCallbacks_ ? I_IMAGECALLBACK : item.imageIndex_;
    lv.stateMask = LVIS_OVERLAYMASK | LVIS_STATEIMAGEMASK;
    if (item.overlayIndex_ >= 0)
        lv.state |= INDEXTOOVERLAYMASK(item.overlayIndex_ + 1);
    if (item.stateIndex_ >= 0)
        lv.state |= INDEXTOSTATEIMAGEMASK(item.stateIndex_ + 1);
    SendMessageA(window, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&lv));
}

TListItem* TCustomListView::WindowItem(int index) const
{
    HWND window = Window(*this);
    if (!window)
        return nullptr;
    LVITEMA lv = {};
    lv.mask = LVIF_PARAM;
    lv.iItem = index;
    if (!SendMessageA(window, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&lv)))
        return nullptr;
    return reinterpret_cast<TListItem*>(lv.lParam);
}

void TCustomListView::ReadOrderFromWindow()
{
    std::unordered_map<const TListItem*, size_t> position;
    for (size_t i = 0; i < items_.items_.size(); ++i)
        position[items_.items_[i].get()] = i;
    std::vector<size_t> order;
    for (int i = 0; i < items_.Count(); ++i) {
        auto found = position.find(WindowItem(i));
        if (found == position.end())
            return;   // not our entries: keep the order we have
        order.push_back(found->second);
        position.erase(found);
    }
    std::vector<std::unique_ptr<TListItem>> ordered;
    ordered.reserve(order.size());
    for (size_t from : order)
        ordered.push_back(std::move(items_.items_[from]));
    items_.items_ = std::move(ordered);
}

void TCustomListView::CustomSort(PFNLVCOMPARE compare, LPARAM data)
{
    if (HWND window = Window(*this)) {
        SendMessageA(window, LVM_SORTITEMS, static_cast<WPARAM>(data), reinterpret_cast<LPARAM>(compare));
        ReadOrderFromWindow();
        return;
    }
    std::stable_sort(items_.items_.begin(), items_.items_.end(),
                     [&](const std::unique_ptr<TListItem>& a, const std::unique_ptr<TListItem>& b) {
                         return compare(reinterpret_cast<LPARAM>(a.get()), reinterpret_cast<LPARAM>(b.get()), data) < 0;
                     });
}

TListItem* TCustomListView::Selected() const
{
    if (HWND window = Window(*this)) {
        int index = static_cast<int>(SendMessageA(window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
        return index >= 0 && index < items_.Count() ? items_.Item(index) : nullptr;
    }
    for (auto& item : items_.items_)
        if (item->state_ & LVIS_SELECTED)
            return item.get();
    return nullptr;
}

void TCustomListView::SetSelected(TListItem* item)
{
    for (auto& each : items_.items_)
        if (each.get() != item)
            each->state_ &= ~LVIS_SELECTED;
    if (HWND window = Window(*this)) {
        LVITEMA lv = {};
        lv.stateMask = LVIS_SELECTED;
        SendMessageA(window, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&lv));
    }
    if (item)
        item->SetSelected(true);
}

int TCustomListView::SelCount() const
{
    if (HWND window = Window(*this))
        return static_cast<int>(SendMessageA(window, LVM_GETSELECTEDCOUNT, 0, 0));
    return static_cast<int>(std::count_if(items_.items_.begin(), items_.items_.end(),
                                          [](const auto& item) { return (item->state_ & LVIS_SELECTED) != 0; }));
}

TListItem* TCustomListView::ItemFocused() const
{
    if (HWND window = Window(*this)) {
        int index = static_cast<int>(SendMessageA(window, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_FOCUSED));
        return index >= 0 && index < items_.Count() ? items_.Item(index) : nullptr;
    }
    for (auto& item : items_.items_)
        if (item->state_ & LVIS_FOCUSED)
            return item.get();
    return nullptr;
}

void TCustomListView::SetItemFocused(TListItem* item)
{
    if (TListItem* focused = ItemFocused(); focused && focused != item)
        focused->SetFocused(false);
    if (item)
        item->SetFocused(true);
}

void TCustomListView::SetViewStyle(TViewStyle style)
{
    if (style == viewStyle_)
        return;
    PullColumnWidths();
    viewStyle_ = style;
    UpdateStyleBits();
    for (int i = 0; i < columns_.Count(); ++i)
        WindowSetColumnWidth(i);
}

void TCustomListView::SetColumnClick(bool on)
{
    columnClick_ = on;
    UpdateStyleBits();
}

void TCustomListView::SetShowColumnHeaders(bool show)
{
    showColumnHeaders_ = show;
    UpdateStyleBits();
}

void TCustomListView::SetHideSelection(bool hide)
{
    hideSelection_ = hide;
    UpdateStyleBits();
}

void TCustomListView::SetMultiSelect(bool on)
{
    multiSelect_ = on;
    UpdateStyleBits();
}

void TCustomListView::SetReadOnly(bool on)
{
    readOnly_ = on;
    UpdateStyleBits();
}

void TCustomListView::SetCtl3D(bool on)
{
    if (on == ctl3D_)
        return;
    ctl3D_ = on;
    RecreateWnd();
}

void TCustomListView::SetExtendedStyle(DWORD style)
{
    extendedStyle_ = style;
    ApplyExtendedStyle();
}

void TCustomListView::ApplyExtendedStyle()
{
    // A zero mask lets every bit follow `style`, so that cleared bits go as well.
    if (HWND window = Window(*this))
        SendMessageA(window, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, static_cast<LPARAM>(extendedStyle_));
}

void TCustomListView::UpdateStyleBits()
{
    HWND window = Window(*this);
    if (!window)
        return;
    // The list view follows these bits when they change on the live window.
    const DWORD mask = LVS_TYPEMASK | LVS_NOSORTHEADER | LVS_NOCOLUMNHEADER | LVS_SHOWSELALWAYS | LVS_SINGLESEL |
                       LVS_EDITLABELS;
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    DWORD wanted = (style & ~mask) | (StyleBits() & mask);
    if (wanted != style) {
        SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(wanted));
        InvalidateRect(window, nullptr, TRUE);
    }
}

void TCustomListView::SetImages(TImageListLink& link, TImageList* list, int which)
{
    if (link.List() == list)
        return;
    link.SetList(list);
    if (dying_)
        return;
    ApplyImageList(list, which);
    ImageListChanged(which);
}

void TCustomListView::SetLargeImages(TImageList* list)
{
    SetImages(largeImages_, list, LVSIL_NORMAL);
}

void TCustomListView::SetSmallImages(TImageList* list)
{
    SetImages(smallImages_, list, LVSIL_SMALL);
}

void TCustomListView::SetStateImages(TImageList* list)
{
    SetImages(stateImages_, list, LVSIL_STATE);
}

void TCustomListView::ApplyImageList(TImageList* list, int which)
{
    if (HWND window = Window(*this))
        SendMessageA(window, LVM_SETIMAGELIST, static_cast<WPARAM>(which),
                     reinterpret_cast<LPARAM>(list ? list->Handle() : nullptr));
}

void TCustomListView::ImagesChanged(TImageListLink& link, int which)
{
    if (dying_)
        return;
    ApplyImageList(link.List(), which);
    Invalidate();
    ImageListChanged(which);
}

void TCustomListView::ApplyColors()
{
    HWND window = Window(*this);
    if (!window)
        return;
    COLORREF back = ColorToRGB(Color()) & 0xFFFFFF;
    SendMessageA(window, LVM_SETBKCOLOR, 0, static_cast<LPARAM>(back));
    SendMessageA(window, LVM_SETTEXTBKCOLOR, 0, static_cast<LPARAM>(back));
    SendMessageA(window, LVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font().Color()) & 0xFFFFFF));
}

void TCustomListView::FontChanged()
{
    TWinControl::FontChanged();
    ApplyColors();
}

void TCustomListView::ColorChanged()
{
    ApplyColors();
    TWinControl::ColorChanged();
}

LRESULT TCustomListView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // However the window goes (re-creation, a new parent), the items keep what it knew.
    if (msg == WM_DESTROY && !dying_)
        DestroyWnd();
    return TWinControl::WndProc(msg, wParam, lParam);
}

bool TCustomListView::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg != WM_NOTIFY)
        return TWinControl::Reflected(msg, wParam, lParam, result);
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    if (dying_)
        return false;
    switch (header->code) {
    case LVN_COLUMNCLICK: {
        int index = reinterpret_cast<NMLISTVIEW*>(lParam)->iSubItem;
        if (index >= 0 && index < columns_.Count())
            ColumnClick(columns_.Items(index));
        result = 0;
        return true;
    }
    case LVN_ENDLABELEDITA:
    case LVN_ENDLABELEDITW: {
        // Both layouts agree up to the text pointer.
        auto* info = reinterpret_cast<NMLVDISPINFOA*>(lParam);
        int index = info->item.iItem;
        TListItem* item = index >= 0 && index < items_.Count() ? items_.Item(index) : nullptr;
        result = FALSE;   // the caption is set here, so the window takes no text of its own
        if (!item)
            return true;
        if (!info->item.pszText) {
            EditCanceled(item);
            return true;
        }
        std::string text;
        if (header->code == LVN_ENDLABELEDITA)
            text = info->item.pszText;
        else {
            auto* wide = reinterpret_cast<const wchar_t*>(info->item.pszText);
            int size = WideCharToMultiByte(CP_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
            if (size > 0) {
                text.resize(static_cast<size_t>(size));
                WideCharToMultiByte(CP_ACP, 0, wide, -1, &text[0], size, nullptr, nullptr);
                text.resize(static_cast<size_t>(size - 1));
            }
        }
        Edit(item, text);
        return true;
    }
    case LVN_ITEMCHANGED: {
        auto* change = reinterpret_cast<NMLISTVIEW*>(lParam);
        bool selectionChanged = (change->uChanged & LVIF_STATE) &&
                                ((change->uOldState ^ change->uNewState) & LVIS_SELECTED);
        if (selectionChanged && OnSelectItem && change->iItem >= 0 && change->iItem < items_.Count())
            OnSelectItem(this, items_.Item(change->iItem), (change->uNewState & LVIS_SELECTED) != 0);
        result = 0;
        return true;
    }
    case NM_CLICK:
        Click();
        result = 0;
        return true;
    case NM_DBLCLK:
        DblClick();
        result = 0;
        return true;
    default:
        return false;
    }
}

void TCustomListView::ColumnClick(TListColumn* column)
{
    if (OnColumnClick)
        OnColumnClick(this, column);
}

void TCustomListView::InsertItem(TListItem* item)
{
    if (OnInsert)
        OnInsert(this, item);
}

void TCustomListView::Edit(TListItem* item, std::string& text)
{
    if (OnEdited)
        OnEdited(this, item, text);
    item->SetCaption(text);
}
