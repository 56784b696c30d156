// The flat edit: its non-client frame, the lit state and colours that follow the parent.
#include <windows.h>

#include "FlatEdit.h"

#include "GdiObject.h"

TCustomFlatEdit::TCustomFlatEdit(TComponent* owner) : TEdit(owner)
{
    SetParentFont(true);
    SetBounds(0, 0, 121, 19);
}

void TCustomFlatEdit::CreateParams(TCreateParams& params)
{
    TEdit::CreateParams(params);
    // The frame is ours.
    params.exStyle &= ~WS_EX_CLIENTEDGE;
    params.style &= ~WS_BORDER;
}

void TCustomFlatEdit::CreateWnd()
{
    TEdit::CreateWnd();
    if (HandleAllocated() && !loaded_) {
        loaded_ = true;
        Loaded();
    }
}

void TCustomFlatEdit::Loaded()
{
    FitHeightToFont();
}

void TCustomFlatEdit::SetFlatColor(TFlatColorSlot slot, TColor color)
{
    colors_.Set(slot, color);
    if (slot == fcFlat)
        parentColor_ = false;
    PaintFrame();
}

void TCustomFlatEdit::SetAdvColor(TFlatColorSlot slot, TAdvColors value)
{
    colors_.SetStrength(slot, value);
    if (useAdvColors_) {
        CalcAdvColors();
        PaintFrame();
    }
}

void TCustomFlatEdit::SetUseAdvColors(bool use)
{
    if (use == useAdvColors_)
        return;
    useAdvColors_ = use;
    parentColor_ = use;
    CalcAdvColors();
    PaintFrame();
}

void TCustomFlatEdit::CalcAdvColors()
{
    if (!useAdvColors_)
        return;
    colors_.Derive(colors_[fcFlat], {fcFocused, fcBorder});
}

void TCustomFlatEdit::SetParentColor(bool parentColor)
{
    if (parentColor == parentColor_)
        return;
    parentColor_ = parentColor;
    if (parentColor) {
        if (Parent())
            colors_.Set(fcFlat, Parent()->Color());
        PaintFrame();
    }
}

void TCustomFlatEdit::SetParent(TWinControl* parent)
{
    TEdit::SetParent(parent);
    // As a change of the parent's colour: the flat colour follows the new parent.
    if (parent)
        Perform(CM_PARENTCOLORCHANGED);
}

void TCustomFlatEdit::TakeParentColor()
{
    if (Parent())
        colors_.Set(fcFlat, Parent()->Color());
}

void TCustomFlatEdit::SetEnabled(bool enabled)
{
    TEdit::SetEnabled(enabled);
    PaintFrame();
}

bool TCustomFlatEdit::Hot() const
{
    if (Focused())
        return true;
    if (!hovered_)
        return false;
    // Another flat edit holding the focus keeps this one dark.
    TWinControl* active = TWinControl::FromHandle(GetFocus());
    return !dynamic_cast<TFlatEdit*>(active);
}

void TCustomFlatEdit::PaintFrame()
{
    const bool hot = Hot();
    // The client area takes the face colour through the edit's colour messages.
    TColor face = colors_[hot ? fcFocused : fcFlat];
    if (Color() != face)
        SetColor(face);
    if (!HandleAllocated())
        return;
    WholeWindowDC dc(Handle());
    if (!dc)
        return;
    RECT r;
    GetWindowRect(Handle(), &r);
    OffsetRect(&r, -r.left, -r.top);
    GdiObject<HBRUSH> border = SolidColorBrush(colors_[fcBorder]);
    GdiObject<HBRUSH> inner = SolidColorBrush(face);
    FrameRect(dc.get(), &r, border.get());
    InflateRect(&r, -1, -1);
    FrameRect(dc.get(), &r, inner.get());
    InflateRect(&r, -1, -1);
    FrameRect(dc.get(), &r, inner.get());
}

void TCustomFlatEdit::FitHeightToFont()
{
    SetHeight(FontTextMetrics(Font()).tmHeight + 6);
}

void TCustomFlatEdit::MouseEnter()
{
    TEdit::MouseEnter();
    if (GetActiveWindow()) {
        hovered_ = true;
        PaintFrame();
    }
}

void TCustomFlatEdit::MouseLeave()
{
    TEdit::MouseLeave();
    hovered_ = false;
    PaintFrame();
}

void TCustomFlatEdit::FontChanged()
{
    TEdit::FontChanged();
    FitHeightToFont();
}

LRESULT TCustomFlatEdit::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        LRESULT result = TEdit::WndProc(msg, wParam, lParam);
        PaintFrame();
        return result;
    }
    case WM_NCCALCSIZE: {
        LRESULT result = TEdit::WndProc(msg, wParam, lParam);
        InflateRect(reinterpret_cast<RECT*>(lParam), -3, -3);
        return result;
    }
    case WM_NCPAINT:
        TEdit::WndProc(msg, wParam, lParam);
        PaintFrame();
        return 0;
    case CM_SYSCOLORCHANGE:
    case CM_PARENTCOLORCHANGED:
        if (useAdvColors_) {
            TakeParentColor();
            CalcAdvColors();
        } else if (parentColor_) {
            TakeParentColor();
        }
        PaintFrame();
        return 0;
    default:
        return TEdit::WndProc(msg, wParam, lParam);
    }
}
