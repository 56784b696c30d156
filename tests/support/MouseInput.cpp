// Mouse clicks for tests.
#include <windows.h>

#include "MouseInput.h"

#include "MessagePump.h"

#include <atomic>
#include <thread>

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

namespace {

void SendMouse(DWORD flags, POINT at)
{
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(at.x, 65536, GetSystemMetrics(SM_CXSCREEN)) + 1;
    input.mi.dy = MulDiv(at.y, 65536, GetSystemMetrics(SM_CYSCREEN)) + 1;
    input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE | MOUSEEVENTF_MOVE;
    SendInput(1, &input, sizeof input);
}

void SendKey(WORD key, DWORD flags)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = flags;
    SendInput(1, &input, sizeof input);
}

}  // namespace

bool DragWithTheMouse(POINT from, POINT to, DWORD holdMs, bool cancel)
{
    SetCursorPos(from.x, from.y);
    POINT placed;
    GetCursorPos(&placed);
    if (placed.x != from.x || placed.y != from.y)
        return false;
    std::atomic<bool> done{false};
    SendMouse(MOUSEEVENTF_LEFTDOWN, from);
    // This thread runs the drag loop meanwhile, so the hand moves from another.
    std::thread hand([&] {
        Sleep(300);
        for (int step = 1; step <= 10; ++step) {
            SendMouse(0, {from.x + (to.x - from.x) * step / 10, from.y + (to.y - from.y) * step / 10});
            Sleep(60);
        }
        Sleep(holdMs);
        if (cancel) {
            SendKey(VK_ESCAPE, 0);
            SendKey(VK_ESCAPE, KEYEVENTF_KEYUP);
        }
        SendMouse(MOUSEEVENTF_LEFTUP, to);
        Sleep(300);
        done = true;
    });
    PumpMessagesUntil([&] { return done.load(); }, holdMs + 10000);
    hand.join();
    PumpMessages(200);
    return true;
}
