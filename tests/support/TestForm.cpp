// A borderless form for a control's tests.
#include "TestForm.h"

#include "Pixels.h"

std::string ListViewText(HWND window, int row, int column)
{
    char text[256] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    SendMessageA(window, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    return text;
}

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
