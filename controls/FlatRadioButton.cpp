// The flat radio button: its circle, dot and grouping.
#include <windows.h>

#include "FlatRadioButton.h"

#include <vector>

THoverRecord& TFlatRadioButton::Hover()
{
    static THoverRecord record;
    return record;
}

TFlatRadioButton::TFlatRadioButton(TComponent* owner) : TFlatMarkControl(owner, Hover()) {}

void TFlatRadioButton::SetChecked(bool checked)
{
    if (checked == Checked())
        return;
    SetTabStop(checked);
    StoreChecked(checked);
    if (checked) {
        if (Parent()) {
            std::vector<TControl*> siblings = Parent()->Controls();
            for (TControl* sibling : siblings)
                if (auto* other = dynamic_cast<TFlatRadioButton*>(sibling); other && other != this &&
                                                                            other->groupIndex_ == groupIndex_)
                    other->SetChecked(false);
        }
        Click();
    }
    DrawMark();
}

RECT TFlatRadioButton::MarkRect() const
{
    const RECT cr = ClientRect();
    return MarkOnRight() ? RECT{cr.right - 11, cr.top + 3, cr.right - 1, cr.top + 13}
                         : RECT{cr.left + 1, cr.top + 3, cr.left + 11, cr.top + 13};
}

void TFlatRadioButton::DrawMark()
{
    if (!HandleAllocated())
        return;
    TCanvas& canvas = Canvas();
    const RECT circle = MarkRect();
    canvas.Pen().SetStyle(psSolid);
    canvas.Pen().SetWidth(1);
    canvas.Pen().SetColor(ColorBorder());
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(MarkFill());
    canvas.Ellipse(circle);
    if (Checked()) {
        TColor dot = Enabled() ? ColorDot() : clBtnShadow;
        canvas.Pen().SetColor(dot);
        canvas.Brush().SetColor(dot);
        canvas.Ellipse(circle.left + 3, circle.top + 3, circle.left + 7, circle.top + 7);
    }
}

void TFlatRadioButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button != mbLeft || !Enabled())
        return;
    SetPressed(false);
    if (x >= 0 && x < Width() && y >= 0 && y < Height() && !Checked())
        SetChecked(true);
    DrawMark();
    TFlatMarkControl::MouseUp(button, shift, x, y);
}

void TFlatRadioButton::DoEnter()
{
    if (Pressed() && Hovered())
        SetChecked(true);
    TFlatMarkControl::DoEnter();
}
