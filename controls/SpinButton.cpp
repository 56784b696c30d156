// The spin button and its auto-repeating arrow buttons.
#include <windows.h>

#include "SpinButton.h"

#include "Exceptions.h"

// ---------------------------------------------------------------------------------------------
// TTimerSpeedButton

TTimerSpeedButton::~TTimerSpeedButton()
{
    delete repeatTimer_;
}

void TTimerSpeedButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TFlatSpeedButton::MouseDown(button, shift, x, y);
    if (button != mbLeft || !(timeBtnState_ & tbAllowTimer))
        return;
    if (!repeatTimer_)
        repeatTimer_ = new TTimer(this);
    repeatTimer_->OnTimer = [this](TComponent*) { TimerExpired(); };
    repeatTimer_->SetInterval(400);
    repeatTimer_->SetEnabled(true);
}

void TTimerSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TFlatSpeedButton::MouseUp(button, shift, x, y);
    if (repeatTimer_)
        repeatTimer_->SetEnabled(false);
}

void TTimerSpeedButton::TimerExpired()
{
    repeatTimer_->SetInterval(100);
    // Only while the pointer is over the held button.
    if (State() != bsDown || !Dragging() || !Parent() || GetCapture() != Parent()->Handle())
        return;
    try {
        Click();
    } catch (...) {
        repeatTimer_->SetEnabled(false);
        throw;
    }
}

// ---------------------------------------------------------------------------------------------
// TSpinButton

TSpinButton::TSpinButton(TComponent* owner) : TWinControl(owner)
{
    upButton_ = CreateButton();
    downButton_ = CreateButton();
    focusedButton_ = upButton_;
    SetUpGlyph(nullptr);
    SetDownGlyph(nullptr);
    SetBounds(Left(), Top(), 21, 10);
}

TTimerSpeedButton* TSpinButton::CreateButton()
{
    auto* button = new TTimerSpeedButton(this);
    button->OnClick = [this](TComponent* sender) { ButtonClick(sender); };
    button->OnMouseDown = [this](TComponent* sender, TMouseButton which, TShiftState, int, int) {
        ButtonMouseDown(sender, which);
    };
    button->SetTimeBtnState(tbAllowTimer);
    button->SetParent(this);
    return button;
}

void TSpinButton::LoadDefaultGlyph(TTimerSpeedButton* button, const char* resource, bool up)
{
    TBitmap glyph;
    if (FindResourceA(GetModuleHandleA(nullptr), resource, MAKEINTRESOURCEA(2))) {
        glyph.LoadFromResourceName(GetModuleHandleA(nullptr), resource);
    } else {
        // A program without its own arrows gets these: a 5-pixel triangle on an olive ground,
        // whose bottom-left pixel makes the ground transparent.
        glyph.SetSize(7, 3);
        glyph.Canvas().Brush().SetColor(clOlive);
        glyph.Canvas().FillRect(RECT{0, 0, 7, 3});
        glyph.Canvas().Brush().SetColor(clBlack);
        for (int row = 0; row < 3; ++row) {
            int half = up ? row : 2 - row;
            glyph.Canvas().FillRect(RECT{3 - half, row, 4 + half, row + 1});
        }
    }
    button->SetGlyph(glyph);
    button->SetNumGlyphs(1);
    button->SetMargin(2);
    button->SetLayout(up ? blGlyphTop : blGlyphBottom);
    button->Invalidate();
}

void TSpinButton::SetUpGlyph(const TBitmap* glyph)
{
    if (glyph)
        upButton_->SetGlyph(*glyph);
    else
        LoadDefaultGlyph(upButton_, "FlatUp", true);
}

void TSpinButton::SetDownGlyph(const TBitmap* glyph)
{
    if (glyph)
        downButton_->SetGlyph(*glyph);
    else
        LoadDefaultGlyph(downButton_, "FlatDown", false);
}

void TSpinButton::SetFocusControl(TWinControl* control)
{
    if (focusControl_)
        focusControl_->RemoveFreeNotification(this);
    focusControl_ = control;
    if (control)
        control->FreeNotification(this);
}

void TSpinButton::Notification(TComponent* component, TOperation operation)
{
    TWinControl::Notification(component, operation);
    if (operation == opRemove && component == focusControl_)
        focusControl_ = nullptr;
}

void TSpinButton::SetBounds(int left, int top, int width, int height)
{
    LayoutButtons(height);
    TWinControl::SetBounds(left, top, width, height);
}

void TSpinButton::Resize()
{
    TWinControl::Resize();
    LayoutButtons(Height());
}

void TSpinButton::LayoutButtons(int height)
{
    if (!upButton_ || !downButton_)
        return;
    // Side by side, sharing one pixel column.
    upButton_->SetBounds(0, 0, 11, height);
    downButton_->SetBounds(10, 0, 11, height);
}

void TSpinButton::ButtonClick(TComponent* sender)
{
    if (sender == upButton_ && OnUpClick)
        OnUpClick(this);
    else if (sender == downButton_ && OnDownClick)
        OnDownClick(this);
}

void TSpinButton::ButtonMouseDown(TComponent* sender, TMouseButton button)
{
    if (button != mbLeft)
        return;
    SetFocusButton(static_cast<TTimerSpeedButton*>(sender));
    if (focusControl_ && focusControl_->CanFocus() && !focusControl_->Focused() &&
        (GetWindowLongA(focusControl_->Handle(), GWL_STYLE) & WS_TABSTOP))
        focusControl_->SetFocus();
    else if ((GetWindowLongA(Handle(), GWL_STYLE) & WS_TABSTOP) && !Focused() && CanFocus())
        SetFocus();
}

void TSpinButton::SetFocusButton(TTimerSpeedButton* button)
{
    if (button == focusedButton_ || !HandleAllocated() || !(GetWindowLongA(Handle(), GWL_STYLE) & WS_TABSTOP) ||
        !CanFocus())
        return;
    focusedButton_->SetTimeBtnState(focusedButton_->TimeBtnState() & ~tbFocusRect);
    focusedButton_ = button;
    if (Focused())
        focusedButton_->SetTimeBtnState(focusedButton_->TimeBtnState() | tbFocusRect);
    Invalidate();
}

void TSpinButton::KeyDown(WORD& key, TShiftState shift)
{
    switch (key) {
    case VK_UP:
        SetFocusButton(upButton_);
        upButton_->Click();
        break;
    case VK_DOWN:
        SetFocusButton(downButton_);
        downButton_->Click();
        break;
    case VK_SPACE:
        focusedButton_->Click();
        break;
    }
    TWinControl::KeyDown(key, shift);
}

LRESULT TSpinButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS: {
        LRESULT result = TWinControl::WndProc(msg, wParam, lParam);
        TTimeBtnState state = focusedButton_->TimeBtnState();
        focusedButton_->SetTimeBtnState(msg == WM_SETFOCUS ? state | tbFocusRect : state & ~tbFocusRect);
        focusedButton_->Invalidate();
        return result;
    }
    default:
        return TWinControl::WndProc(msg, wParam, lParam);
    }
}
