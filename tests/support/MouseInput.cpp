// Mouse clicks for tests.
#include <windows.h>

#include "MouseInput.h"

void ClickAt(HWND window, int x, int y, TMouseButton button)
{
    const LPARAM at = MAKELPARAM(x, y);
    const UINT down = button == mbLeft ? WM_LBUTTONDOWN : button == mbRight ? WM_RBUTTONDOWN : WM_MBUTTONDOWN;
    const WPARAM held = button == mbLeft ? MK_LBUTTON : button == mbRight ? MK_RBUTTON : MK_MBUTTON;
    SendMessageA(window, WM_MOUSEMOVE, 0, at);
    SendMessageA(window, down, held, at);
    SendMessageA(window, down + 1, 0, at);   // the matching release
}

void ClickControl(TControl* control, TMouseButton button, int dx, int dy)
{
    const int x = control->Left() + (dx < 0 ? control->Width() / 2 : dx);
    const int y = control->Top() + (dy < 0 ? control->Height() / 2 : dy);
    ClickAt(control->Parent()->Handle(), x, y, button);
}
