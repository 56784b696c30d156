// The extended list view: extended styles, column order, header and sub-item images, check
// states over re-creations, and the virtual mode's item requests.
#include <windows.h>
#include <commctrl.h>

#include "ExtListView.h"

#include "Forms.h"
#include "LateLibrary.h"

#include <algorithm>
#include <climits>
#include <cstring>

namespace {

constexpr int TextMargin = 4;
constexpr int ImageGap = 4;
// A sub-item image index no list holds: the cell shows no picture.
constexpr int NoSubItemImage = 0x7FFFFFFE;
constexpr int CheckedStateImage = 2;
constexpr int UncheckedStateImage = 1;

// Puts `text` into a notification's text buffer of `capacity` characters (the terminating zero
// included), after what it holds with `append`. `wide` buffers hold UTF-16.
void PutText(void* buffer, int capacity, const std::string& text, bool append, bool wide)
{
    if (!buffer || capacity < 1)
        return;
    if (!wide) {
        auto* chars = static_cast<char*>(buffer);
        size_t start = append ? strnlen(chars, static_cast<size_t>(capacity - 1)) : 0;
        size_t room = static_cast<size_t>(capacity - 1) - start;
        size_t length = std::min(room, text.size());
        std::memcpy(chars + start, text.data(), length);
        chars[start + length] = '\0';
        return;
    }
    auto* chars = static_cast<wchar_t*>(buffer);
    size_t start = append ? wcsnlen(chars, static_cast<size_t>(capacity - 1)) : 0;
    int room = capacity - 1 - static_cast<int>(start);
    int length = 0;
    if (room > 0 && !text.empty()) {
        length = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), chars + start, room);
        if (length == 0) {
            // Too long for the room: convert whole, then cut.
            std::wstring all(text.size(), L'\0');
            int full = MultiByteToWideChar(CP_ACP, 0, text.data(), static_cast<int>(text.size()), &all[0],
                                           static_cast<int>(all.size()));
            length = std::min(full, room);
            std::memcpy(chars + start, all.data(), static_cast<size_t>(length) * sizeof(wchar_t));
        }
    }
    chars[start + static_cast<size_t>(length)] = L'\0';
}

std::string TextOf(const void* buffer, int capacity, bool wide)
{
    if (!buffer || capacity < 1)
        return std::string();
    if (!wide)
        return std::string(static_cast<const char*>(buffer), strnlen(static_cast<const char*>(buffer), static_cast<size_t>(capacity)));
    const auto* chars = static_cast<const wchar_t*>(buffer);
    int length = static_cast<int>(wcsnlen(chars, static_cast<size_t>(capacity)));
    int size = WideCharToMultiByte(CP_ACP, 0, chars, length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<size_t>(std::max(size, 0)), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, chars, length, &text[0], size, nullptr, nullptr);
    return text;
}

}  // namespace

TExStyles CompletedExStyles(TExStyles styles)
{
    styles &= AllExStyles;
    if ((styles & exsUnderlineCold) && !(styles & exsOneClickActivate))
        styles |= exsOneClickActivate;
    if ((styles & exsUnderlineHot) && !(styles & (exsOneClickActivate | exsTwoClickActivate)))
        styles |= exsOneClickActivate;
    return styles;
}

UINT VirtualItemState(UINT state, WORD overlayImage, WORD stateImage)
{
    return (state & 0xF00000FF) | INDEXTOOVERLAYMASK(overlayImage & 0xF) |
           ((static_cast<UINT>(stateImage) << 12) & 0x0FFFF000);
}

// ---------------------------------------------------------------------------------------------
// Extended columns

int TqelExtListColumn::Index() const
{
    return owner_.IndexOf(this);
}

void TqelExtListColumn::SetImageIndex(int index)
{
    if (index == imageIndex_)
        return;
    imageIndex_ = index;
    owner_.Update(nullptr);
}

void TqelExtListColumn::SetImageAlignment(TColumnImageAlign alignment)
{
    if (alignment == imageAlignment_)
        return;
    imageAlignment_ = alignment;
    owner_.Update(nullptr);
}

void TqelExtListColumn::Assign(const TqelExtListColumn& source)
{
    SetImageIndex(source.imageIndex_);
    SetImageAlignment(source.imageAlignment_);
}

TqelExtListColumn* TqelExtListColumns::Add()
{
    columns_.push_back(std::unique_ptr<TqelExtListColumn>(new TqelExtListColumn(*this)));
    TqelExtListColumn* column = columns_.back().get();
    Update(column);
    return column;
}

void TqelExtListColumns::Clear()
{
    columns_.clear();
    Update(nullptr);
}

int TqelExtListColumns::IndexOf(const TqelExtListColumn* column) const
{
    for (size_t i = 0; i < columns_.size(); ++i)
        if (columns_[i].get() == column)
            return static_cast<int>(i);
    return -1;
}

void TqelExtListColumns::Assign(const TqelExtListColumns& source)
{
    if (&source == this)
        return;
    Clear();
    for (const auto& column : source.columns_)
        Add()->Assign(*column);
}

void TqelExtListColumns::Update(TqelExtListColumn* column)
{
    owner_.RefreshColumnImages(column ? IndexOf(column) : -1);
}

// ---------------------------------------------------------------------------------------------
// Construction and the window

TCustomExtListView::TCustomExtListView(TComponent* owner)
    : TCustomEnhListView(owner), extColumns_(*this), extSaveSettings_(std::make_unique<TqelExtLVSaveSettings>())
{
}

TCustomExtListView::~TCustomExtListView()
{
    // The base destructor no longer sees these settings: store while they exist.
    if (HandleAllocated())
        Guarded([this] { StoreSettingsIfAuto(); });
}

DWORD TCustomExtListView::ExtraStyle() const
{
    return TCustomEnhListView::ExtraStyle() | (virtualMode_ ? LVS_OWNERDATA : 0);
}

void TCustomExtListView::CreateWnd()
{
    TCustomEnhListView::CreateWnd();
    if (!HandleAllocated())
        return;
    HWND window = Handle();
    SendMessageA(window, LVM_SETSELECTIONMARK, 0, selectionMark_);
    SendMessageA(window, LVM_SETHOVERTIME, 0, hoverTime_);
    SetExStyles(exStyles_);
    if (virtualMode_ && virtualItemCount_ >= 1)
        SendMessageA(window, LVM_SETITEMCOUNT, static_cast<WPARAM>(virtualItemCount_), virtualCountFlags_);
    if (!columnOrder_.empty()) {
        SendMessageA(window, LVM_SETCOLUMNORDERARRAY, columnOrder_.size(), reinterpret_cast<LPARAM>(columnOrder_.data()));
        Invalidate();
    }
    ApplyCallbackMask();
    RestoreItemStates();
    RefreshColumnImages(-1);
}

void TCustomExtListView::RestoreItemStates()
{
    // The owner keeps the states of virtual items; those of the control's own wait for their
    // next window.
    if (virtualMode_)
        return;
    std::unique_ptr<std::vector<SavedItem>> saved = std::move(savedStates_);
    // Putting back what the old window showed is no change the owner hears of.
    restoringStates_ = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{restoringStates_};
    int subItems = std::max(0, Columns().Count() - 1);
    for (int i = 0; i < Items().Count(); ++i) {
        if (saved && i >= static_cast<int>(saved->size()))
            break;
        const SavedItem* item = saved ? &(*saved)[static_cast<size_t>(i)] : nullptr;
        SetItemChecked(i, item && item->checked);
        for (int sub = 0; sub < subItems; ++sub) {
            if (item && sub >= static_cast<int>(item->subItemImages.size()))
                break;
            SetSubItemImage(i, sub, item ? item->subItemImages[static_cast<size_t>(sub)] : NoSubItemImage);
        }
    }
}

void TCustomExtListView::DestroyWnd()
{
    // The user may have dragged the columns into a new order: the next window shows it too.
    if (HandleAllocated() && Columns().Count() > 0) {
        std::vector<int> order;
        GetColumnOrder(Columns().Count(), order);
    }
    bool ownItems = HandleAllocated() && !(GetWindowLongA(Handle(), GWL_STYLE) & LVS_OWNERDATA);
    if (ownItems) {
        auto saved = std::make_unique<std::vector<SavedItem>>();
        int subItems = std::max(0, Columns().Count() - 1);
        for (int i = 0; i < Items().Count(); ++i) {
            SavedItem item{ItemChecked(i), {}};
            for (int sub = 0; sub < subItems; ++sub)
                item.subItemImages.push_back(SubItemImage(i, sub));
            saved->push_back(std::move(item));
        }
        savedStates_ = std::move(saved);
    }
    TCustomEnhListView::DestroyWnd();
}

void TCustomExtListView::Loaded()
{
    TCustomEnhListView::Loaded();
    RefreshColumnImages(-1);
    ApplyCallbackMask();
}

void TCustomExtListView::ApplyCallbackMask()
{
    // Only the owner of virtual items can answer for their overlay and state images; outside
    // virtual mode the window keeps them itself, and a callback mask would lose them.
    if (!HandleAllocated() || !virtualMode_)
        return;
    UINT mask = LVIS_OVERLAYMASK | (StateImages() ? LVIS_STATEIMAGEMASK : 0);
    SendMessageA(Handle(), LVM_SETCALLBACKMASK, mask, 0);
}

void TCustomExtListView::ColumnsChanged()
{
    TCustomEnhListView::ColumnsChanged();
    RefreshColumnImages(-1);
}

void TCustomExtListView::ImageListChanged(int which)
{
    if (which == LVSIL_SMALL)
        RefreshColumnImages(-1);
}

// ---------------------------------------------------------------------------------------------
// Properties

TExStyles TCustomExtListView::ExStyles()
{
    if (HandleAllocated())
        exStyles_ = static_cast<TExStyles>(SendMessageA(Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)) & AllExStyles;
    return exStyles_;
}

void TCustomExtListView::SetExStyles(TExStyles styles)
{
    styles = CompletedExStyles(styles);
    bool subItemImagesChanged = (styles ^ exStyles_) & exsSubItemImages;
    exStyles_ = styles;
    // The base keeps the bits and sends them (wParam 0: every bit follows) to each new window.
    SetExtendedStyle(styles);
    if (subItemImagesChanged && HandleAllocated())
        Invalidate();
}

bool TCustomExtListView::GetColumnOrder(int count, std::vector<int>& order)
{
    if (count < 0)
        return false;
    if (HandleAllocated()) {
        // Windows refuses another count; Wine would fill the rest with zeros.
        if (count != Columns().Count())
            return false;
        std::vector<int> read(static_cast<size_t>(count), 0);
        bool ok = count == 0 || SendMessageA(Handle(), LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count),
                                             reinterpret_cast<LPARAM>(read.data())) != 0;
        // A refused request must not replace a good order.
        if (!ok)
            return false;
        columnOrder_ = read;
        order = read;
        return true;
    }
    if (columnOrder_.empty())
        return false;
    order = columnOrder_;
    return true;
}

void TCustomExtListView::SetColumnOrder(int count, const std::vector<int>& order)
{
    count = std::max(0, std::min(count, static_cast<int>(order.size())));
    columnOrder_.assign(order.begin(), order.begin() + count);
    if (HandleAllocated() && count > 0) {
        SendMessageA(Handle(), LVM_SETCOLUMNORDERARRAY, static_cast<WPARAM>(count),
                     reinterpret_cast<LPARAM>(columnOrder_.data()));
        Invalidate();
    }
}

std::vector<int> TCustomExtListView::CurrentOrder() const
{
    int count = Columns().Count();
    std::vector<int> order;
    if (HandleAllocated() && count > 0) {
        order.assign(static_cast<size_t>(count), 0);
        HWND window = const_cast<TCustomExtListView*>(this)->Handle();
        if (SendMessageA(window, LVM_GETCOLUMNORDERARRAY, static_cast<WPARAM>(count), reinterpret_cast<LPARAM>(order.data())))
            return order;
        order.clear();
    }
    if (static_cast<int>(columnOrder_.size()) == count)
        return columnOrder_;
    for (int i = 0; i < count; ++i)
        order.push_back(i);
    return order;
}

bool TCustomExtListView::ItemChecked(int index) const
{
    if (!HandleAllocated())
        return false;
    HWND window = const_cast<TCustomExtListView*>(this)->Handle();
    UINT state = static_cast<UINT>(SendMessageA(window, LVM_GETITEMSTATE, static_cast<WPARAM>(index), LVIS_STATEIMAGEMASK));
    // Index 0 is no box at all: an item the window got without one is not checked.
    return (state >> 12) >= CheckedStateImage;
}

void TCustomExtListView::SetItemChecked(int index, bool checked)
{
    if (!HandleAllocated())
        return;
    LVITEMA item = {};
    item.stateMask = LVIS_STATEIMAGEMASK;
    item.state = INDEXTOSTATEIMAGEMASK(checked ? CheckedStateImage : UncheckedStateImage);
    SendMessageA(Handle(), LVM_SETITEMSTATE, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

int TCustomExtListView::SubItemImage(int itemIndex, int subItem)
{
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = itemIndex;
    item.iSubItem = subItem + 1;
    if (!SendMessageA(Handle(), LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item)))
        return -1;
    return item.iImage;
}

void TCustomExtListView::SetSubItemImage(int itemIndex, int subItem, int image)
{
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = itemIndex;
    item.iSubItem = subItem + 1;
    item.iImage = image;
    SendMessageA(Handle(), LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void TCustomExtListView::SetSelectionMark(int mark)
{
    selectionMark_ = mark;
    if (HandleAllocated())
        SendMessageA(Handle(), LVM_SETSELECTIONMARK, 0, mark);
}

void TCustomExtListView::SetHoverTime(int time)
{
    hoverTime_ = time;
    if (HandleAllocated())
        SendMessageA(Handle(), LVM_SETHOVERTIME, 0, time);
}

void TCustomExtListView::SetVirtualMode(bool on)
{
    if (on == virtualMode_)
        return;
    virtualMode_ = on;
    // The owner-data style only takes at creation.
    RecreateWnd();
}

void TCustomExtListView::SetVirtualItemCount(int count, TItemCountFlags flags)
{
    virtualItemCount_ = count;
    virtualCountFlags_ = flags;
    if (HandleAllocated())
        SendMessageA(Handle(), LVM_SETITEMCOUNT, static_cast<WPARAM>(count), flags);
}

// ---------------------------------------------------------------------------------------------
// Columns in display order

int TCustomExtListView::ActualColumnIndex(int index) const
{
    if (index >= Columns().Count())
        return 0;
    std::vector<int> order = CurrentOrder();
    auto found = std::find(order.begin(), order.end(), index);
    return found == order.end() ? 0 : static_cast<int>(found - order.begin());
}

TListColumn* TCustomExtListView::GetColumnFromIndex(int index)
{
    if (Parent())
        HandleNeeded();
    if (index < 0 || index >= Columns().Count())
        return nullptr;
    std::vector<int> order = CurrentOrder();
    int column = order[static_cast<size_t>(index)];
    return column >= 0 && column < Columns().Count() ? Columns()[column] : nullptr;
}

int TCustomExtListView::DisplayedColumnWidth(int position) const
{
    std::vector<int> order = CurrentOrder();
    if (position < 0 || position >= static_cast<int>(order.size()))
        return 0;
    int column = order[static_cast<size_t>(position)];
    return column >= 0 && column < Columns().Count() ? Columns()[column]->Width() : 0;
}

std::string TCustomExtListView::GetSubItemText(int index, int subItem) const
{
    if (index < 0 || index >= Items().Count())
        return std::string();
    // No display position before the first: the base's caption for every negative sub-item.
    if (subItem < -1 || Columns().Count() < subItem + 2)
        return TCustomEnhListView::GetSubItemText(index, subItem);
    int column = CurrentOrder()[static_cast<size_t>(subItem + 1)];
    const TListItem* item = Items()[index];
    if (column == 0)
        return item->Caption();
    return column - 1 < item->SubItems().Count() ? item->SubItems()[column - 1] : std::string();
}

// ---------------------------------------------------------------------------------------------
// Settings

bool TCustomExtListView::StoreSettings()
{
    const TqelExtLVSaveSettings& settings = *extSaveSettings_;
    if (!settings.HasKey())
        return false;
    int count = Columns().Count();
    if ((settings.SaveColumnOrder() || settings.SaveColumnSizes()) && count > 0) {
        if (settings.SaveColumnOrder()) {
            std::vector<int> order;
            if (GetColumnOrder(count, order) && static_cast<int>(order.size()) == count)
                settings.WriteColumnOrder(order);
        }
        if (settings.SaveColumnSizes()) {
            std::vector<int> widths;
            for (int i = 0; i < count; ++i)
                widths.push_back(DisplayedColumnWidth(i));
            settings.WriteColumnSizes(widths);
        }
    }
    StoreSortAndViewStyle(settings);
    return true;
}

bool TCustomExtListView::LoadSettings()
{
    const TqelExtLVSaveSettings& settings = *extSaveSettings_;
    if (!settings.HasKey())
        return false;
    int count = Columns().Count();
    if ((settings.SaveColumnOrder() || settings.SaveColumnSizes()) && count > 0) {
        if (settings.SaveColumnOrder())
            SetColumnOrder(count, settings.ReadColumnOrder(count));
        if (settings.SaveColumnSizes()) {
            std::vector<int> order = CurrentOrder();
            std::vector<int> widths;
            for (int i = 0; i < count; ++i)
                widths.push_back(DisplayedColumnWidth(i));
            settings.ReadColumnSizes(widths);
            if (widths[0] != -1)
                for (int i = 0; i < count; ++i)
                    Columns()[order[static_cast<size_t>(i)]]->SetWidth(widths[static_cast<size_t>(i)]);
        }
    }
    LoadSortAndViewStyle(settings);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Header images and resizing

bool TCustomExtListView::HeaderImageFor(int index, const TqelExtListColumn*& column) const
{
    column = nullptr;
    if (index < 0 || index >= extColumns_.Count() || !SmallImages())
        return false;
    const TqelExtListColumn* ext = extColumns_[index];
    if (ext->ImageIndex() < 0 || ext->ImageIndex() >= SmallImages()->Count())
        return false;
    column = ext;
    return true;
}

void TCustomExtListView::RefreshColumnImages(int index)
{
    if (!HandleAllocated())
        return;
    // An owner-drawn header draws its images itself.
    if (OnDrawHeader() || ShowSortArrows()) {
        InvalidateColumnHeader(index);
        if (index < 0 && HeaderHandle())
            InvalidateRect(HeaderHandle(), nullptr, FALSE);
        return;
    }
    if (!SmallImages() || SmallImages()->Count() < 1)
        return;
    if (index >= 0) {
        SetNativeColumnImage(index);
        return;
    }
    for (int i = 0; i < Columns().Count(); ++i)
        SetNativeColumnImage(i);
}

void TCustomExtListView::SetNativeColumnImage(int index)
{
    if (index < 0 || index >= extColumns_.Count() || index >= Columns().Count())
        return;
    const TqelExtListColumn& ext = *extColumns_[index];
    LVCOLUMNA column = {};
    column.mask = LVCF_FMT;
    column.fmt = ColumnFormat(Columns()[index]->Alignment());
    if (ext.ImageIndex() != -1) {
        column.mask |= LVCF_IMAGE;
        column.fmt |= LVCFMT_IMAGE | (ext.ImageAlignment() == ciaRightOfText ? LVCFMT_BITMAP_ON_RIGHT : 0);
        column.iImage = ext.ImageIndex();
    }
    SendMessageA(Handle(), LVM_SETCOLUMNA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&column));
}

bool TCustomExtListView::HeaderResizeBlocked(int item) const
{
    if (TCustomEnhListView::HeaderResizeBlocked(item))
        return true;
    return item >= 0 && item < extColumns_.Count() && !extColumns_[item]->AllowResize();
}

bool TCustomExtListView::ResizeRefused(const NMHEADERA& info)
{
    RefreshColumnImages(info.iItem);
    // The notified item is the column whose divider the mouse holds.
    return info.iItem >= 0 && info.iItem < extColumns_.Count() && !extColumns_[info.iItem]->AllowResize();
}

LRESULT TCustomExtListView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_NOTIFY && lParam) {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        switch (header->code) {
        case HDN_BEGINTRACKA:
        case HDN_BEGINTRACKW:
        case HDN_DIVIDERDBLCLICKA:
        case HDN_DIVIDERDBLCLICKW:
            // Both layouts agree on the item.
            if (ResizeRefused(*reinterpret_cast<const NMHEADERA*>(lParam)))
                return 1;
            break;
        case HDN_ENDDRAG:
            Invalidate();
            return 0;
        default:
            break;
        }
    }
    return TCustomEnhListView::WndProc(msg, wParam, lParam);
}

void TCustomExtListView::DefaultDrawHeader(TCanvas& canvas, int index, RECT rect, bool selected)
{
    const TqelExtListColumn* ext = nullptr;
    if (!HeaderImageFor(index, ext) || index >= Columns().Count()) {
        TCustomEnhListView::DefaultDrawHeader(canvas, index, rect, selected);
        return;
    }
    RECT item = PaintHeaderFace(canvas, rect, selected);
    TAlignment alignment = Columns()[index]->Alignment();
    RECT text = HeaderTextRect(item, alignment);
    TImageList& images = *SmallImages();
    int imageRoom = images.Width() + ImageGap;
    bool imageLeft = ext->ImageAlignment() == ciaLeftOfText;
    if (imageLeft)
        text.left += imageRoom;
    else
        text.right -= imageRoom;

    TBitmap* arrow = SortArrowFor(index);
    int arrowRoom = arrow ? arrow->Width() + 8 : 0;
    if (alignment == taRightJustify)
        text.left += arrowRoom;
    else
        text.right -= arrowRoom;

    HDC dc = canvas.Handle();
    RECT placed = DrawHeaderCaption(dc, Columns()[index]->Caption(), alignment, text, item);

    int imageX = imageLeft ? placed.left - ImageGap - images.Width() : placed.right + ImageGap;
    int imageY = item.top + (item.bottom - item.top - images.Height()) / 2;
    bool fits = imageLeft ? imageX >= item.left : imageX + images.Width() <= item.right;
    if (arrow || fits)
        ComCtl32::ImageList_Draw(images.Handle(), ext->ImageIndex(), dc, imageX, imageY, ILD_TRANSPARENT);
    if (!arrow)
        return;
    if (!imageLeft)
        placed.right = std::min(static_cast<int>(placed.right) + images.Width(), static_cast<int>(item.right));
    int arrowX = alignment == taRightJustify ? placed.left - 8 - arrow->Width() : placed.right + 8;
    int arrowY = item.top + (item.bottom - item.top - arrow->Height()) / 2;
    if (arrowX >= item.left && arrowX + arrow->Width() <= item.right)
        canvas.Draw(arrowX, arrowY, *arrow);
}

// ---------------------------------------------------------------------------------------------
// Owner drawing

bool TCustomExtListView::DoDrawItem(int index, RECT rect, TOwnerDrawState state, bool& fullRowSelect)
{
    fullRowSelect = (ExStyles() & exsFullRowSelect) != 0;
    return TCustomEnhListView::DoDrawItem(index, rect, state, fullRowSelect);
}

void TCustomExtListView::DefaultDrawItem(int index, RECT rect, TOwnerDrawState state, bool fullRowSelect)
{
    if (!virtualMode_) {
        TCustomEnhListView::DefaultDrawItem(index, rect, state, fullRowSelect);
        return;
    }
    int count = Columns().Count();
    if (count == 0)
        return;
    TCanvas& canvas = OwnerDrawCanvas();
    UseRowColors(state);
    RECT cell = {rect.left, rect.top, rect.left + DisplayedColumnWidth(0) - 2, rect.bottom};
    DefaultDrawSubItem(index, -1, cell, state);
    int right = rect.left + DisplayedColumnWidth(0);
    for (int n = 1; n < count; ++n) {
        if (!fullRowSelect) {
            canvas.Brush().SetColor(clWindow);
            canvas.Font().SetColor(clWindowText);
        }
        cell = {right + TextMargin, rect.top, right + DisplayedColumnWidth(n), rect.bottom};
        DefaultDrawSubItem(index, n - 1, cell, state);
        right += DisplayedColumnWidth(n);
    }
}

void TCustomExtListView::DefaultDrawSubItem(int index, int subItem, RECT rect, TOwnerDrawState state)
{
    if (!virtualMode_) {
        TCustomEnhListView::DefaultDrawSubItem(index, subItem, rect, state);
        return;
    }
    // There are no items to draw from: the handler draws the cell alone.
    SavedDC saved(OwnerDrawCanvas().Handle());
    DoDrawSubItem(index, subItem, rect, state);
}

// ---------------------------------------------------------------------------------------------
// Notifications

void TCustomExtListView::DoItemCheckChange(int index, bool checked)
{
    if (OnItemCheckChange)
        OnItemCheckChange(this, index, checked);
}

bool TCustomExtListView::DoMarqueeBegin()
{
    bool allow = true;
    if (OnMarqueeBegin)
        OnMarqueeBegin(this, allow);
    return allow;
}

void TCustomExtListView::DoItemActivate()
{
    if (OnItemActivate)
        OnItemActivate(this);
}

bool TCustomExtListView::DoHotTrack(NMLISTVIEW& info)
{
    bool allow = true;
    if (OnHotTrack)
        OnHotTrack(this, info.iItem, info.iSubItem, info.ptAction, allow);
    return allow;
}

void TCustomExtListView::DoInfoTip(NMLVGETINFOTIPA& info, bool wide)
{
    bool unfolded = info.dwFlags == LVGIT_UNFOLDED;
    if (OnInfoTip) {
        std::string text = unfolded ? TextOf(info.pszText, info.cchTextMax, wide) : std::string();
        std::string tip;
        OnInfoTip(this, info.iItem, info.iSubItem, text, tip);
        if (!tip.empty())
            PutText(info.pszText, info.cchTextMax, tip, unfolded, wide);
    } else if (!virtualMode_ && info.iItem >= 0 && info.iItem < Items().Count()) {
        const std::string& caption = Items()[info.iItem]->Caption();
        if (!caption.empty())
            PutText(info.pszText, info.cchTextMax, caption, unfolded, wide);
    }
}

void TCustomExtListView::DoVirtualItemInfo(LVITEMA& item, bool wide)
{
    if (item.iItem == -1 || !OnVirtualItemInfo)
        return;
    UINT mask = item.mask;
    TItemInfoKinds kinds = mask & AllItemInfoKinds;
    std::string text;
    WORD overlay = 0;
    WORD stateImage = 0;
    UINT state = item.state;
    UINT stateMask = item.stateMask;
    int image = item.iImage;
    LPARAM param = item.lParam;
    int indent = item.iIndent;
    OnVirtualItemInfo(this, item.iItem, item.iSubItem, kinds, image, overlay, stateImage, param, state, stateMask,
                      indent, text);
    if (mask & LVIF_TEXT)
        PutText(item.pszText, item.cchTextMax, text, false, wide);
    item.iImage = image;
    item.lParam = param;
    item.iIndent = indent;
    item.state = VirtualItemState(state, overlay, stateImage);
    item.mask = (mask & ~AllItemInfoKinds) | (kinds & AllItemInfoKinds);
    item.stateMask = stateMask;
}

void TCustomExtListView::DoVirtualCacheHint(const NMLVCACHEHINT& info)
{
    if (OnVirtualCacheHint)
        OnVirtualCacheHint(this, info);
}

int TCustomExtListView::DoVirtualFindItem(const NMLVFINDITEMA& info)
{
    int found = -1;
    if (OnVirtualFindItem)
        OnVirtualFindItem(this, info, found);
    return found;
}

void TCustomExtListView::DoVirtualStateChange(const NMLVODSTATECHANGE& info)
{
    if (OnVirtualStateChange)
        OnVirtualStateChange(this, info);
}

void TCustomExtListView::DoVirtualCaptionEdited(int index, bool canceled, const std::string& text)
{
    if (OnVirtualCaptionEdited)
        OnVirtualCaptionEdited(this, index, canceled, text);
}

bool TCustomExtListView::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg != WM_NOTIFY || !lParam || Dying())
        return TCustomEnhListView::Reflected(msg, wParam, lParam, result);
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    UINT code = header->code;
    bool wide = false;
    switch (code) {
    case LVN_ITEMCHANGING:
    case LVN_ITEMCHANGED: {
        if (!TCustomEnhListView::Reflected(msg, wParam, lParam, result))
            result = 0;
        const auto* change = reinterpret_cast<const NMLISTVIEW*>(lParam);
        if (!(change->uChanged & LVIF_STATE) || restoringStates_)
            return true;
        if (code == LVN_ITEMCHANGING) {
            if (result == 0) {
                checkItemIndex_ = change->iItem;
                checkWasSet_ = ItemChecked(change->iItem);
            }
        } else if (change->iItem == checkItemIndex_ && change->iItem >= 0) {
            if (ItemChecked(checkItemIndex_) != checkWasSet_)
                DoItemCheckChange(checkItemIndex_, !checkWasSet_);
        }
        return true;
    }
    case LVN_ENDLABELEDITW:
        wide = true;
        // fall through
    case LVN_ENDLABELEDITA: {
        if (!virtualMode_)
            break;
        const auto& item = reinterpret_cast<const NMLVDISPINFOA*>(lParam)->item;
        bool canceled = item.pszText == nullptr;
        DoVirtualCaptionEdited(item.iItem, canceled, canceled ? std::string() : TextOf(item.pszText, INT_MAX / 2, wide));
        result = 0;
        return true;
    }
    case LVN_ODCACHEHINT:
        DoVirtualCacheHint(*reinterpret_cast<const NMLVCACHEHINT*>(lParam));
        result = 0;
        return true;
    case LVN_ITEMACTIVATE:
        DoItemActivate();
        result = 0;
        return true;
    case LVN_ODSTATECHANGED:
        DoVirtualStateChange(*reinterpret_cast<const NMLVODSTATECHANGE*>(lParam));
        result = 0;
        return true;
    case LVN_HOTTRACK:
        result = DoHotTrack(*reinterpret_cast<NMLISTVIEW*>(lParam)) ? 0 : 1;
        return true;
    case LVN_GETDISPINFOW:
        wide = true;
        // fall through
    case LVN_GETDISPINFOA:
        if (!virtualMode_)
            break;
        // Both layouts agree but for the text pointer's kind.
        DoVirtualItemInfo(reinterpret_cast<NMLVDISPINFOA*>(lParam)->item, wide);
        result = 0;
        return true;
    case LVN_ODFINDITEMA:
    case LVN_ODFINDITEMW:
        result = DoVirtualFindItem(*reinterpret_cast<const NMLVFINDITEMA*>(lParam));
        return true;
    case LVN_MARQUEEBEGIN:
        result = DoMarqueeBegin() ? 0 : 1;
        return true;
    case LVN_GETINFOTIPW:
        wide = true;
        // fall through
    case LVN_GETINFOTIPA:
        DoInfoTip(*reinterpret_cast<NMLVGETINFOTIPA*>(lParam), wide);
        SetWindowPos(Handle(), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOREDRAW | SWP_NOACTIVATE);
        result = 1;
        return true;
    default:
        break;
    }
    return TCustomEnhListView::Reflected(msg, wParam, lParam, result);
}
