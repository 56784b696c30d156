// A borderless form for a control's tests.
#include "TestForm.h"

#include "Pixels.h"

TestForm::TestForm(int left, int top, int width, int height) : form(std::make_unique<TForm>(nullptr))
{
    form->SetBorderStyle(bsNone);
    form->SetBounds(left, top, width, height);
}

void TestForm::Send(UINT msg, int x, int y, WPARAM keys)
{
    SendMessageA(form->Handle(), msg, keys, MAKELPARAM(mouseOrigin.x + x, mouseOrigin.y + y));
}

void TestForm::MoveAway()
{
    SendMessageA(form->Handle(), WM_MOUSELEAVE, 0, 0);
}

std::unique_ptr<TBitmap> TestForm::Shot()
{
    return PrintClient(form->Handle());
}
