// Standard controls: label, edit and push button.
#include <windows.h>

#include "StdCtrls.h"

#include "Exceptions.h"
#include "Forms.h"
#include "GdiObject.h"

// ---------------------------------------------------------------------------------------------
// TLabel

TLabel::TLabel(TComponent* owner) : TGraphicControl(owner)
{
    SetParentColor(true);
    SetBounds(0, 0, 65, 13);
}

void TLabel::SetAutoSize(bool autoSize)
{
    autoSize_ = autoSize;
    AdjustSize();
}

void TLabel::SetAlignment(TAlignment alignment)
{
    if (alignment == alignment_)
        return;
    alignment_ = alignment;
    Invalidate();
}

void TLabel::SetTransparent(bool transparent)
{
    if (transparent == transparent_)
        return;
    transparent_ = transparent;
    Invalidate();
}

void TLabel::SetWordWrap(bool wordWrap)
{
    if (wordWrap == wordWrap_)
        return;
    wordWrap_ = wordWrap;
    AdjustSize();
    Invalidate();
}

UINT TLabel::TextFlags() const
{
    UINT flags = DT_EXPANDTABS | DT_NOPREFIX;
    if (wordWrap_)
        flags |= DT_WORDBREAK;
    if (alignment_ == taCenter)
        flags |= DT_CENTER;
    else if (alignment_ == taRightJustify)
        flags |= DT_RIGHT;
    return flags;
}

void TLabel::AdjustSize()
{
    if (!autoSize_)
        return;
    // An empty label keeps the height of a line.
    std::string text = Caption().empty() ? " " : Caption();
    WindowDC screen;
    SelectedObject font(screen.get(), Font().Handle());
    RECT r = {0, 0, wordWrap_ ? Width() : 0, 0};
    DrawTextA(screen.get(), text.c_str(), static_cast<int>(text.size()), &r, TextFlags() | DT_CALCRECT);
    int width = wordWrap_ ? Width() : r.right;
    // Right-aligned and centred labels grow from their anchor.
    int left = Left();
    if (alignment_ == taRightJustify)
        left += Width() - width;
    else if (alignment_ == taCenter)
        left += (Width() - width) / 2;
    SetBounds(left, Top(), width, r.bottom);
}

void TLabel::TextChanged()
{
    AdjustSize();
    Invalidate();
}

void TLabel::FontChanged()
{
    AdjustSize();
    Invalidate();
}

bool TLabel::PaintsNothing() const
{
    return transparent_ && Caption().empty();
}

void TLabel::Paint()
{
    TCanvas& canvas = Canvas();
    RECT r = ClientRect();
    if (!transparent_) {
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(Color());
        canvas.FillRect(r);
    }
    canvas.Brush().SetStyle(bsClear);
    canvas.Font().Assign(Font());
    std::string text = Caption();
    if (!Enabled()) {
        // Engraved, as the system shows disabled text.
        canvas.Font().SetColor(clBtnHighlight);
        RECT shifted = r;
        OffsetRect(&shifted, 1, 1);
        DrawTextA(canvas.Handle(), text.c_str(), static_cast<int>(text.size()), &shifted, TextFlags());
        canvas.Font().SetColor(clBtnShadow);
    }
    DrawTextA(canvas.Handle(), text.c_str(), static_cast<int>(text.size()), &r, TextFlags());
}

// ---------------------------------------------------------------------------------------------
// TEdit

TEdit::TEdit(TComponent* owner) : TWinControl(owner)
{
    SetColor(clWindow);
    SetBounds(0, 0, 121, 21);
}

void TEdit::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.systemClass = "EDIT";
    params.style |= WS_TABSTOP | ES_AUTOHSCROLL | (readOnly_ ? ES_READONLY : 0);
    params.exStyle |= WS_EX_CLIENTEDGE;
}

void TEdit::CreateWnd()
{
    TWinControl::CreateWnd();
    if (HandleAllocated() && maxLength_ > 0)
        SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(maxLength_), 0);
}

void TEdit::SetReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    if (HandleAllocated())
        SendMessageA(Handle(), EM_SETREADONLY, readOnly, 0);
}

void TEdit::SetMaxLength(int length)
{
    maxLength_ = length;
    if (HandleAllocated())
        SendMessageA(Handle(), EM_LIMITTEXT, static_cast<WPARAM>(length > 0 ? length : 0), 0);
}

void TEdit::SelectAll()
{
    if (HandleAllocated())
        SendMessageA(Handle(), EM_SETSEL, 0, -1);
}

void TEdit::CopyToClipboard()
{
    SendMessageA(Handle(), WM_COPY, 0, 0);
}

bool TEdit::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg == WM_COMMAND && HIWORD(wParam) == EN_CHANGE) {
        Change();
        result = 0;
        return true;
    }
    return TWinControl::Reflected(msg, wParam, lParam, result);
}

void TEdit::TextChanged()
{
    // A live edit reports its changes itself (EN_CHANGE).
    if (!HandleAllocated())
        Change();
}

void TEdit::Change()
{
    if (OnChange)
        OnChange(this);
}

// ---------------------------------------------------------------------------------------------
// TButton

TButton::TButton(TComponent* owner) : TWinControl(owner)
{
    clickEvents_ = false;   // the button reports its clicks itself
    SetBounds(0, 0, 75, 25);
}

void TButton::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.systemClass = "BUTTON";
    params.style |= WS_TABSTOP | BS_PUSHBUTTON;
}

bool TButton::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
        Click();
        result = 0;
        return true;
    }
    return TWinControl::Reflected(msg, wParam, lParam, result);
}

void TButton::Click()
{
    if (TForm* form = GetParentForm(this))
        form->SetModalResult(modalResult_);
    TWinControl::Click();
}

// ---------------------------------------------------------------------------------------------
// TCustomComboBox

TCustomComboBox::TCustomComboBox(TComponent* owner) : TWinControl(owner), canvas_(*this)
{
    clickEvents_ = false;   // a click is a change of the selection, reported by the system
    SetColor(clWindow);
    SetBounds(0, 0, 145, 21);
}

TCustomComboBox::~TCustomComboBox() = default;

void TCustomComboBox::SetStyle(TComboBoxStyle style)
{
    if (style == style_)
        return;
    if (HandleAllocated())
        throw Exception("Die Art eines Kombinationsfelds lässt sich nur vor dem Erzeugen seines Fensters ändern.");
    style_ = style;
}

void TCustomComboBox::SetItemHeight(int height)
{
    if (height <= 0)
        return;
    itemHeight_ = height;
    if (HandleAllocated() && style_ == csOwnerDrawFixed) {
        SendMessageA(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height);
        SendMessageA(Handle(), CB_SETITEMHEIGHT, 0, height);
    }
}

int TCustomComboBox::AddItem(const std::string& text)
{
    items_.push_back(text);
    if (HandleAllocated())
        SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    return ItemCount() - 1;
}

void TCustomComboBox::ClearItems()
{
    items_.clear();
    itemIndex_ = -1;
    if (HandleAllocated())
        SendMessageA(Handle(), CB_RESETCONTENT, 0, 0);
}

int TCustomComboBox::ItemIndex() const
{
    auto* self = const_cast<TCustomComboBox*>(this);
    if (HandleAllocated())
        return static_cast<int>(SendMessageA(self->Handle(), CB_GETCURSEL, 0, 0));
    return itemIndex_;
}

void TCustomComboBox::SetItemIndex(int index)
{
    if (index < -1 || index >= ItemCount())
        index = -1;
    itemIndex_ = index;
    if (HandleAllocated())
        SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

bool TCustomComboBox::DroppedDown() const
{
    auto* self = const_cast<TCustomComboBox*>(this);
    return HandleAllocated() && SendMessageA(self->Handle(), CB_GETDROPPEDSTATE, 0, 0) != 0;
}

void TCustomComboBox::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.systemClass = "COMBOBOX";
    params.style |= WS_TABSTOP | WS_VSCROLL;
    switch (style_) {
    case csDropDown: params.style |= CBS_DROPDOWN | CBS_AUTOHSCROLL; break;
    case csSimple: params.style |= CBS_SIMPLE | CBS_AUTOHSCROLL; break;
    case csDropDownList: params.style |= CBS_DROPDOWNLIST; break;
    case csOwnerDrawFixed: params.style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS; break;
    case csOwnerDrawVariable: params.style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS; break;
    }
    params.height = WindowHeight(Height());
}

int TCustomComboBox::WindowHeight(int fieldHeight) const
{
    return style_ == csSimple ? fieldHeight : fieldHeight + dropDownCount_ * itemHeight_ + 2;
}

void TCustomComboBox::SetBounds(int left, int top, int width, int height)
{
    // The window takes the field and the dropped list together and reports the field's height
    // afterwards; given the field's alone, the list would drop with no room for an item.
    if (HandleAllocated())
        height = WindowHeight(height);
    TWinControl::SetBounds(left, top, width, height);
}

void TCustomComboBox::CreateWnd()
{
    TWinControl::CreateWnd();
    if (!HandleAllocated())
        return;
    for (const std::string& item : items_)
        SendMessageA(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    SendMessageA(Handle(), CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

bool TCustomComboBox::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_COMMAND:
        switch (HIWORD(wParam)) {
        case CBN_SELCHANGE:
            itemIndex_ = ItemIndex();
            Change();
            Click();
            result = 0;
            return true;
        case CBN_EDITCHANGE:
            Change();
            result = 0;
            return true;
        }
        break;
    case WM_MEASUREITEM:
        if (OwnerDrawn()) {
            reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->itemHeight = static_cast<UINT>(itemHeight_);
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

void TCustomComboBox::DrawItemMessage(const DRAWITEMSTRUCT& item)
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
    DrawItem(static_cast<int>(item.itemID), item.rcItem, state);
    if (state & odFocused)
        DrawFocusRect(canvas_.Handle(), &item.rcItem);
}

void TCustomComboBox::DrawItem(int index, const RECT& rect, TOwnerDrawState state)
{
    if (OnDrawItem) {
        OnDrawItem(this, index, rect, state);
        return;
    }
    canvas_.FillRect(rect);
    if (index < 0 || index >= ItemCount())
        return;
    int height = canvas_.TextHeight(Item(index));
    canvas_.TextOut(rect.left + 2, rect.top + (rect.bottom - rect.top - height) / 2, Item(index));
}

void TCustomComboBox::Change()
{
    if (OnChange)
        OnChange(this);
}
