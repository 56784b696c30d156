// TMaskSpeedButton: latches on a click inside its click mask and keeps the pressed look until
// it is released by code.
#include <windows.h>

#include "maskspeedbutton.h"

TMaskSpeedButton::TMaskSpeedButton(TComponent* owner) : TMaskButton(owner) {}

void TMaskSpeedButton::SetButtonDown(bool down)
{
    buttonDown_ = down;
    SetLook(down ? mlPressed : mlNormal);
    SetPressed(false);
    Repaint();
}

void TMaskSpeedButton::SetEnabled(bool enabled)
{
    TMaskButton::SetEnabled(enabled);
    // Enabled again, a latched button still shows that its tool is the chosen one.
    if (enabled && buttonDown_) {
        SetLook(mlPressed);
        Repaint();
    }
}

void TMaskSpeedButton::Click()
{
    // Latched before OnClick runs, so that a handler that chooses another tool has the last word.
    if (ClickAllowed()) {
        buttonDown_ = true;
        SetLook(mlPressed);
    }
    TMaskButton::Click();
}

void TMaskSpeedButton::MouseMove(TShiftState shift, int x, int y)
{
    TGraphicControl::MouseMove(shift, x, y);
    TMaskButtonLook before = Look();
    int offsetBefore = GlyphOffset();
    TMaskButtonLook look;
    if (HitTest(x, y))
        look = Pressed() || buttonDown_ ? mlPressed : mlHover;
    else
        look = buttonDown_ ? mlPressed : mlNormal;
    SetLook(look);
    if (look != before || GlyphOffset() != offsetBefore)
        Repaint();
}

void TMaskSpeedButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TGraphicControl::MouseUp(button, shift, x, y);
    SetPressed(false);
    bool inside = HitTest(x, y);
    // Only a click latches (see Click): a release anywhere else leaves the button as it was.
    if (buttonDown_)
        SetLook(mlPressed);
    else
        SetLook(inside ? RestingLook(mlHover) : RestingLook(mlNormal));
    Repaint();
}

void TMaskSpeedButton::MouseEnter()
{
    if (!buttonDown_)
        TMaskButton::MouseEnter();
}

void TMaskSpeedButton::MouseLeave()
{
    if (!buttonDown_)
        TMaskButton::MouseLeave();
}

int TMaskSpeedButton::GlyphOffset() const
{
    return buttonDown_ ? 1 : TMaskButton::GlyphOffset();
}
