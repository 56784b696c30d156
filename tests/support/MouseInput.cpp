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
    const int x = dx < 0 ? control->Width() / 2 : dx;
    const int y = dy < 0 ? control->Height() / 2 : dy;
    // A control with a window of its own takes the mouse there; any other through its parent.
    if (auto* windowed = dynamic_cast<TWinControl*>(control))
        ClickAt(windowed->Handle(), x, y, button);
    else
        ClickAt(control->Parent()->Handle(), control->Left() + x, control->Top() + y, button);
}
