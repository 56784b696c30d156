// Standard controls: label, edit and push button.
#include <windows.h>

#include "StdCtrls.h"

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
