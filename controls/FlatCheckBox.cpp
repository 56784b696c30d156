// The flat check box: its box, check mark and toggling.
#include <windows.h>

#include "FlatCheckBox.h"

#include "GdiObject.h"

THoverRecord& TFlatCheckBox::Hover()
{
    static THoverRecord record;
    return record;
}

TFlatCheckBox::TFlatCheckBox(TComponent* owner) : TFlatMarkControl(owner, Hover())
{
    SetTabStop(true);
}

void TFlatCheckBox::SetChecked(bool checked)
{
    if (checked == Checked())
        return;
    StoreChecked(checked);
    Click();
    DrawMark();
}

RECT TFlatCheckBox::MarkRect() const
{
    const RECT cr = ClientRect();
    return MarkOnRight() ? RECT{cr.right - 12, cr.top + 3, cr.right - 1, cr.top + 14}
                         : RECT{cr.left + 1, cr.top + 3, cr.left + 12, cr.top + 14};
}

void TFlatCheckBox::DrawMark()
{
    if (!HandleAllocated())
        return;
    TCanvas& canvas = Canvas();
    const RECT box = MarkRect();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(MarkFill());
    canvas.FillRect(box);
    if (Checked()) {
        canvas.Pen().SetStyle(psSolid);
        canvas.Pen().SetWidth(1);
        canvas.Pen().SetColor(Enabled() ? ColorCheck() : clBtnShadow);
        const int l = box.left;
        const int t = box.top;
        const POINT lines[6][2] = {
            {{l + 2, t + 4}, {l + 6, t + 8}}, {{l + 2, t + 5}, {l + 5, t + 8}}, {{l + 2, t + 6}, {l + 5, t + 9}},
            {{l + 8, t + 2}, {l + 4, t + 6}}, {{l + 8, t + 3}, {l + 4, t + 7}}, {{l + 8, t + 4}, {l + 5, t + 7}},
        };
        for (const auto& line : lines) {
            canvas.MoveTo(line[0].x, line[0].y);
            canvas.LineTo(line[1].x, line[1].y);
        }
    }
    canvas.Brush().SetColor(ColorBorder());
    canvas.FrameRect(box);
}

void TFlatCheckBox::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (button != mbLeft || !Enabled())
        return;
    SetPressed(false);
    // Hovered alone would toggle on a release off the box: a press holds the hover until then.
    const RECT client = ClientRect();
    if (Hovered() && PtInRect(&client, POINT{x, y}))
        SetChecked(!Checked());
    DrawMark();
    TFlatMarkControl::MouseUp(button, shift, x, y);
}

void TFlatCheckBox::KeyPress(char& key)
{
    if (key == ' ' && HasFocus())
        SetChecked(!Checked());
    TFlatMarkControl::KeyPress(key);
}
