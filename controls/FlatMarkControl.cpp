// The shared part of the flat check box and radio button: colours, hover, focus and caption.
#include <windows.h>

#include "FlatMarkControl.h"

TFlatMarkControl::TFlatMarkControl(TComponent* owner, THoverRecord& hover) : TCustomControl(owner), hover_(hover)
{
    hover_.InstanceCreated();
    // The derived classes click when Checked changes, not on every release.
    clickEvents_ = false;
    SetParentFont(true);
    SetColor(FlatFaceColor);
    SetParentColor(true);
    SetBounds(0, 0, 121, 17);
}

TFlatMarkControl::~TFlatMarkControl()
{
    hover_.InstanceDestroyed(*this);
}

void TFlatMarkControl::SetTransparent(bool transparent)
{
    transparent_ = transparent;
    Invalidate();
}

void TFlatMarkControl::SetMarkOnRight(bool right)
{
    markOnRight_ = right;
    Invalidate();
}

void TFlatMarkControl::SetTabStop(bool tabStop)
{
    tabStop_ = tabStop;
    ApplyTabStop(*this, tabStop);
}

void TFlatMarkControl::CreateParams(TCreateParams& params)
{
    TCustomControl::CreateParams(params);
    if (tabStop_)
        params.style |= WS_TABSTOP;
}

void TFlatMarkControl::SetEnabled(bool enabled)
{
    TCustomControl::SetEnabled(enabled);
    if (!enabled) {
        hovered_ = false;
        pressed_ = false;
        StopHoverTimer();
    }
    Invalidate();
}

TColor TFlatMarkControl::MarkFill() const
{
    if (hasFocus_ || hovered_)
        return colors_[pressed_ ? fcDown : fcFocused];
    return Color();
}

void TFlatMarkControl::DrawCaption()
{
    const std::string caption = Caption();
    if (caption.empty())
        return;
    TCanvas& canvas = Canvas();
    const RECT cr = ClientRect();
    RECT r = markOnRight_ ? RECT{cr.left + 1, cr.top + 1, cr.right - 16, cr.bottom - 1}
                          : RECT{cr.left + 16, cr.top + 1, cr.right - 1, cr.bottom - 1};
    const UINT flags = DT_WORDBREAK | (markOnRight_ ? DT_RIGHT : DT_LEFT);
    canvas.Font().Assign(Font());
    DrawFlatCaption(canvas, caption, r, flags, Enabled());
}

void TFlatMarkControl::Paint()
{
    TCanvas& canvas = Canvas();
    if (transparent_) {
        PaintParentBackground(*this, canvas);
    } else {
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(Color());
        canvas.FillRect(ClientRect());
    }
    DrawMark();
    DrawCaption();
}

void TFlatMarkControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button != mbLeft || !Enabled())
        return;
    if (CanFocus() && !Focused())
        SetFocus();
    pressed_ = true;
    DrawMark();
    TCustomControl::MouseDown(button, shift, x, y);
}

void TFlatMarkControl::MouseMove(TShiftState shift, int x, int y)
{
    TCustomControl::MouseMove(shift, x, y);
    hover_.MouseMoved(*this, *this, POINT{x, y});
}

void TFlatMarkControl::DoEnter()
{
    TCustomControl::DoEnter();
    if (Enabled())
        hasFocus_ = true;
    DrawMark();
}

void TFlatMarkControl::DoExit()
{
    TCustomControl::DoExit();
    // Also when the focus goes because the control was disabled: enabled again, it is not lit.
    hasFocus_ = false;
    if (Enabled())
        hovered_ = false;
    // The timer would otherwise go on watching a control no longer marked under the mouse, and
    // the next move over it would not light it.
    StopHoverTimer();
    DrawMark();
}

LRESULT TFlatMarkControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case CM_SYSCOLORCHANGE:
    case CM_PARENTCOLORCHANGED: {
        LRESULT result = TCustomControl::WndProc(msg, wParam, lParam);
        ParentColorsChanged();
        Invalidate();
        return result;
    }
    case WM_MOVE:
    case WM_SIZE: {
        LRESULT result = TCustomControl::WndProc(msg, wParam, lParam);
        if (transparent_)
            Invalidate();
        return result;
    }
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<char>(wParam), Caption()) && CanFocus()) {
            SetFocus();
            Accelerated();
            return 1;
        }
        return TCustomControl::WndProc(msg, wParam, lParam);
    default:
        return TCustomControl::WndProc(msg, wParam, lParam);
    }
}

void TFlatMarkControl::HoverBegin()
{
    if (!Enabled() || hovered_)
        return;
    hovered_ = true;
    DrawMark();
}

void TFlatMarkControl::HoverEnd()
{
    if (!Enabled() || !hovered_ || pressed_)
        return;
    hovered_ = false;
    StopHoverTimer();
    DrawMark();
}
