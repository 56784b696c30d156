// The flat push button: painting off-screen over its parent's background, focus and the space bar.
#include <windows.h>

#include "FlatButton.h"

#include "Bitmap.h"

THoverRecord& TFlatButton::Hover()
{
    static THoverRecord record;
    return record;
}

TFlatButton::TFlatButton(TComponent* owner) : TFlatButtonBase(owner, Hover()) {}

void TFlatButton::SetDefault(bool isDefault)
{
    default_ = isDefault;
    Invalidate();
}

void TFlatButton::SetTabStop(bool tabStop)
{
    tabStop_ = tabStop;
    ApplyTabStop(*this, tabStop);
}

void TFlatButton::CreateParams(TCreateParams& params)
{
    TFlatButtonBase::CreateParams(params);
    if (tabStop_)
        params.style |= WS_TABSTOP;
}

void TFlatButton::Paint()
{
    const RECT client = ClientRect();
    if (client.right <= 0 || client.bottom <= 0)
        return;
    TBitmap buffer(client.right, client.bottom);
    TCanvas& canvas = buffer.Canvas();
    canvas.Font().Assign(Font());
    TFlatButtonFace face = Face();
    face.isDefault = default_;
    if (!FlatButtonFaceFilled(face))
        PaintParentBackground(*this, canvas);
    Placed(DrawFlatButtonFace(canvas, client, face));
    Canvas().Draw(0, 0, buffer);
}

void TFlatButton::KeyDown(WORD& key, TShiftState shift)
{
    if (key == VK_SPACE) {
        if (GroupIndex() != 0)
            SetDown(true);
        else
            SetState(bsDown);
        Invalidate();
    }
    TFlatButtonBase::KeyDown(key, shift);
}

void TFlatButton::KeyUp(WORD& key, TShiftState shift)
{
    if (key == VK_SPACE) {
        if (GroupIndex() != 0)
            SetDown(false);
        else
            SetState(bsUp);
        Click();
        Invalidate();
    }
    TFlatButtonBase::KeyUp(key, shift);
}

void TFlatButton::DoEnter()
{
    TFlatButtonBase::DoEnter();
    if (Enabled())
        SetHovered(true);
    Invalidate();
}

void TFlatButton::DoExit()
{
    TFlatButtonBase::DoExit();
    SetHovered(false);
    Invalidate();
}

LRESULT TFlatButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_MOVE:
    case WM_SIZE: {
        LRESULT result = TFlatButtonBase::WndProc(msg, wParam, lParam);
        if (TransparentMode() != tmNone)
            Invalidate();
        return result;
    }
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<char>(wParam), Caption()) && Enabled()) {
            if (GroupIndex() != 0)
                SetDown(true);
            return 1;
        }
        return TFlatButtonBase::WndProc(msg, wParam, lParam);
    default:
        return TFlatButtonBase::WndProc(msg, wParam, lParam);
    }
}
