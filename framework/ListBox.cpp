// TCustomListBox: the system's list box with a mirror of its rows.
#include <windows.h>

#include "ListBox.h"

#include "Exceptions.h"

#include <algorithm>

namespace {

// The list box keeps variable row heights in a byte.
int ClampRowHeight(int height)
{
    return std::clamp(height, 1, 255);
}

}  // namespace

TCustomListBox::TCustomListBox(TComponent* owner) : TWinControl(owner), canvas_(*this)
{
    clickEvents_ = false;   // the system reports selection changes itself
    SetColor(clWindow);
    SetBounds(0, 0, 121, 97);
}

TCustomListBox::~TCustomListBox() = default;

void TCustomListBox::SetStyle(TListBoxStyle style)
{
    if (style == style_)
        return;
    if (HandleAllocated())
        throw Exception("Die Art eines Listenfelds lässt sich nur vor dem Erzeugen seines Fensters ändern.");
    style_ = style;
}

void TCustomListBox::SetMultiSelect(bool multiSelect)
{
    if (multiSelect == multiSelect_)
        return;
    if (HandleAllocated())
        throw Exception("Die Mehrfachauswahl eines Listenfelds lässt sich nur vor dem Erzeugen seines Fensters ändern.");
    multiSelect_ = multiSelect;
}

void TCustomListBox::SetItemHeight(int height)
{
    if (height <= 0)
        return;
    itemHeight_ = ClampRowHeight(height);
    if (HandleAllocated() && style_ != lbOwnerDrawVariable)
        SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, itemHeight_);
}

const TCustomListBox::TRow& TCustomListBox::Row(int index) const
{
    if (index < 0 || index >= ItemCount())
        throw ListIndexError(index);
    return items_[static_cast<size_t>(index)];
}

void TCustomListBox::SetItem(int index, const std::string& text)
{
    Row(index);
    bool selected = Selected(index);
    int height = items_[static_cast<size_t>(index)].height;
    LPARAM data = items_[static_cast<size_t>(index)].data;
    DeleteItem(index);
    InsertItem(index, text, data, height);
    if (selected)
        SetSelected(index, true);
}

int TCustomListBox::AddItem(const std::string& text, LPARAM data, int height)
{
    return InsertItem(ItemCount(), text, data, height);
}

int TCustomListBox::InsertItem(int index, const std::string& text, LPARAM data, int height)
{
    index = std::clamp(index, 0, ItemCount());
    items_.insert(items_.begin() + index, TRow{text, data, height > 0 ? ClampRowHeight(height) : itemHeight_});
    if (HandleAllocated())
        SendRow(index);
    else if (itemIndex_ >= index)
        ++itemIndex_;   // the selected row moved down; the window keeps its own
    return index;
}

void TCustomListBox::SendRow(int index)
{
    const TRow& row = items_[static_cast<size_t>(index)];
    // The window asks for the height (WM_MEASUREITEM) while it inserts: the mirror answers.
    SendMessageA(Handle(), LB_INSERTSTRING, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(row.text.c_str()));
    SendMessageA(Handle(), LB_SETITEMDATA, static_cast<WPARAM>(index), row.data);
    // Unless a parent of another library measured the row: every new height lays the list out.
    if (style_ == lbOwnerDrawVariable &&
        SendMessageA(Handle(), LB_GETITEMHEIGHT, static_cast<WPARAM>(index), 0) != ClampRowHeight(row.height))
        SendMessageA(Handle(), LB_SETITEMHEIGHT, static_cast<WPARAM>(index), ClampRowHeight(row.height));
}

void TCustomListBox::DeleteItem(int index)
{
    Row(index);
    items_.erase(items_.begin() + index);
    if (HandleAllocated())
        SendMessageA(Handle(), LB_DELETESTRING, static_cast<WPARAM>(index), 0);
    else if (itemIndex_ == index)
        itemIndex_ = -1;
    else if (itemIndex_ > index)
        --itemIndex_;
}

void TCustomListBox::ClearItems()
{
    items_.clear();
    itemIndex_ = -1;
    if (HandleAllocated())
        SendMessageA(Handle(), LB_RESETCONTENT, 0, 0);
}

void TCustomListBox::SetItemData(int index, LPARAM data)
{
    Row(index);
    items_[static_cast<size_t>(index)].data = data;
    if (HandleAllocated())
        SendMessageA(Handle(), LB_SETITEMDATA, static_cast<WPARAM>(index), data);
}

void TCustomListBox::SetRowHeight(int index, int height)
{
    Row(index);
    height = ClampRowHeight(height);
    // The window has the mirror's height already; telling it again would lay the list out anew.
    if (items_[static_cast<size_t>(index)].height == height)
        return;
    items_[static_cast<size_t>(index)].height = height;
    if (HandleAllocated() && style_ == lbOwnerDrawVariable)
        SendMessageA(Handle(), LB_SETITEMHEIGHT, static_cast<WPARAM>(index), height);
}

int TCustomListBox::ItemIndex() const
{
    auto* self = const_cast<TCustomListBox*>(this);
    if (!HandleAllocated())
        return itemIndex_;
    if (multiSelect_)
        return static_cast<int>(SendMessageA(self->Handle(), LB_GETCARETINDEX, 0, 0));
    return static_cast<int>(SendMessageA(self->Handle(), LB_GETCURSEL, 0, 0));
}

void TCustomListBox::SetItemIndex(int index)
{
    if (index < -1 || index >= ItemCount())
        index = -1;
    itemIndex_ = index;
    if (!HandleAllocated())
        return;
    if (multiSelect_) {
        ClearSelection();
        if (index >= 0) {
            SendMessageA(Handle(), LB_SETSEL, TRUE, index);
            SendMessageA(Handle(), LB_SETCARETINDEX, static_cast<WPARAM>(index), FALSE);
        }
    } else
        SendMessageA(Handle(), LB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool TCustomListBox::Selected(int index) const
{
    Row(index);
    auto* self = const_cast<TCustomListBox*>(this);
    if (!HandleAllocated())
        return index == itemIndex_;
    return SendMessageA(self->Handle(), LB_GETSEL, static_cast<WPARAM>(index), 0) > 0;
}

void TCustomListBox::SetSelected(int index, bool selected)
{
    Row(index);
    if (!multiSelect_) {
        if (selected)
            SetItemIndex(index);
        else if (ItemIndex() == index)
            SetItemIndex(-1);
        return;
    }
    if (HandleAllocated())
        SendMessageA(Handle(), LB_SETSEL, selected ? TRUE : FALSE, index);
}

void TCustomListBox::ClearSelection()
{
    if (!multiSelect_) {
        SetItemIndex(-1);
        return;
    }
    if (HandleAllocated())
        SendMessageA(Handle(), LB_SETSEL, FALSE, -1);
}

int TCustomListBox::TopIndex() const
{
    auto* self = const_cast<TCustomListBox*>(this);
    return HandleAllocated() ? static_cast<int>(SendMessageA(self->Handle(), LB_GETTOPINDEX, 0, 0)) : 0;
}

void TCustomListBox::SetTopIndex(int index)
{
    if (HandleAllocated())
        SendMessageA(Handle(), LB_SETTOPINDEX, static_cast<WPARAM>(std::max(index, 0)), 0);
}

int TCustomListBox::ItemAtPos(POINT point, bool nearest) const
{
    auto* self = const_cast<TCustomListBox*>(this);
    if (!HandleAllocated() || ItemCount() == 0)
        return -1;
    RECT client;
    GetClientRect(self->Handle(), &client);
    if (!nearest && !PtInRect(&client, point))
        return -1;
    // Searched row by row: LB_ITEMFROMPOINT answers the nearest row also below the last one.
    for (int index = TopIndex(); index < ItemCount(); ++index) {
        RECT rect = ItemRect(index);
        if (rect.top > client.bottom)
            break;
        if (point.y >= rect.top && point.y < rect.bottom)
            return index;
    }
    if (!nearest)
        return -1;
    LRESULT hit = SendMessageA(self->Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(point.x, point.y));
    return LOWORD(hit);
}

RECT TCustomListBox::ItemRect(int index) const
{
    RECT rect = {0, 0, 0, 0};
    auto* self = const_cast<TCustomListBox*>(this);
    if (HandleAllocated() && index >= 0 && index < ItemCount())
        SendMessageA(self->Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return rect;
}

void TCustomListBox::SetHorizontalExtent(int extent)
{
    horizontalExtent_ = std::max(extent, 0);
    if (HandleAllocated())
        SendMessageA(Handle(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(horizontalExtent_), 0);
}

void TCustomListBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.systemClass = "LISTBOX";
    params.exStyle |= WS_EX_CLIENTEDGE;
    params.style |= WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT;
    if (multiSelect_)
        params.style |= LBS_EXTENDEDSEL;
    switch (style_) {
    case lbStandard: break;
    case lbOwnerDrawFixed: params.style |= LBS_OWNERDRAWFIXED | LBS_HASSTRINGS; break;
    case lbOwnerDrawVariable: params.style |= LBS_OWNERDRAWVARIABLE | LBS_HASSTRINGS; break;
    }
}

void TCustomListBox::CreateWnd()
{
    TWinControl::CreateWnd();
    if (!HandleAllocated())
        return;
    if (style_ != lbOwnerDrawVariable)
        SendMessageA(Handle(), LB_SETITEMHEIGHT, 0, itemHeight_);
    for (int index = 0; index < ItemCount(); ++index)
        SendRow(index);
    SendMessageA(Handle(), LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(horizontalExtent_), 0);
    int selected = itemIndex_;
    itemIndex_ = -1;
    SetItemIndex(selected);
}

bool TCustomListBox::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_COMMAND:
        if (HIWORD(wParam) == LBN_SELCHANGE) {
            itemIndex_ = ItemIndex();
            Change();
            result = 0;
            return true;
        }
        break;
    case WM_MEASUREITEM:
        if (OwnerDrawn()) {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            int index = static_cast<int>(item->itemID);
            int height = itemHeight_;
            if (style_ == lbOwnerDrawVariable && index >= 0 && index < ItemCount())
                height = items_[static_cast<size_t>(index)].height;
            item->itemHeight = static_cast<UINT>(ClampRowHeight(height));
            result = TRUE;
            return true;
        }
        break;
    case WM_DRAWITEM:
        DrawItemMessage(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
        result = TRUE;
        return true;
    }
    return TWinControl::Reflected(msg, wParam, lParam, result);
}

void TCustomListBox::DrawItemMessage(const DRAWITEMSTRUCT& item)
{
    LentItemDC lent(canvas_, item.hDC);
    TOwnerDrawState state = item.itemState;
    canvas_.Font().Assign(Font());
    canvas_.Brush().SetStyle(bsSolid);
    canvas_.Pen().SetWidth(1);
    canvas_.Pen().SetColor(clBlack);
    if (state & odSelected) {
        canvas_.Brush().SetColor(clHighlight);
        canvas_.Font().SetColor(clHighlightText);
    } else
        canvas_.Brush().SetColor(Color());
    int index = static_cast<int>(item.itemID);
    DrawItem(index < ItemCount() ? index : -1, item.rcItem, state);
    if ((state & odFocused) && !DrawsOwnFocus())
        DrawFocusRect(canvas_.Handle(), &item.rcItem);
}

void TCustomListBox::DrawItem(int index, const RECT& rect, TOwnerDrawState state)
{
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    canvas_.FillRect(rect);
    if (index < 0)
        return;
    int height = canvas_.TextHeight(Item(index));
    canvas_.TextOut(rect.left + 2, rect.top + (rect.bottom - rect.top - height) / 2, Item(index));
}

void TCustomListBox::Change()
{
    if (OnChange)
        OnChange(this);
}
