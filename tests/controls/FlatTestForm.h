// A shown form for the flat controls' tests, with the messages the mouse would send (the real
// pointer moves with them, for the hover timer) and a look at the pixels a control paints.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Controls.h"
#include "Forms.h"
#include "MessagePump.h"
#include "Pixels.h"
#include "TestForm.h"

#include <memory>
#include <string>

struct FlatTestForm : TestForm {
    // Away from the top-left corner, where the tests of other controls put their windows.
    static constexpr int Left = 620;
    static constexpr int Top = 420;

    explicit FlatTestForm(int width = 200, int height = 120, TColor colour = clWhite)
        : TestForm(Left, Top, width, height)
    {
        form->SetColor(colour);
    }

    // Shown, active and on top under the pointer; false when the system did not get there
    // within a few seconds (it does so asynchronously).
    bool ShowActive()
    {
        // The pointer starts off the form: only the messages a test sends move "the mouse".
        SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
        PumpMessages(50);   // moves of earlier tests still on their way
        form->Show();
        SetForegroundWindow(form->Handle());
        SetActiveWindow(form->Handle());
        POINT centre = {Left + form->Width() / 2, Top + form->Height() / 2};
        return PumpMessagesUntil([&] {
            return GetActiveWindow() == form->Handle() && GetAncestor(WindowFromPoint(centre), GA_ROOT) == form->Handle();
        });
    }

    // A mouse message to the window under a point of the form's client area, in that window's
    // coordinates, as the system would send it; the pointer goes there too.
    void Mouse(UINT msg, int x, int y, WPARAM keys = 0)
    {
        POINT screen = {Left + x, Top + y};
        SetCursorPos(screen.x, screen.y);
        HWND target = form->Handle();
        if (HWND capture = GetCapture())
            target = capture;
        else if (HWND child = ChildWindowFromPointEx(form->Handle(), POINT{x, y}, CWP_SKIPINVISIBLE))
            target = child;
        POINT client = screen;
        ScreenToClient(target, &client);
        SendMessageA(target, msg, keys, MAKELPARAM(client.x, client.y));
    }
    void Move(int x, int y) { Mouse(WM_MOUSEMOVE, x, y); }
    void Press(int x, int y) { Mouse(WM_LBUTTONDOWN, x, y, MK_LBUTTON); }
    void Release(int x, int y) { Mouse(WM_LBUTTONUP, x, y); }
    void Click(int x, int y)
    {
        Move(x, y);
        Press(x, y);
        Release(x, y);
    }

    // The control's window (or, for a windowless one, the form) painted into a bitmap.
    static std::unique_ptr<TBitmap> Shot(TWinControl& window)
    {
        return PrintClient(window.Handle(), window.Width(), window.Height());
    }
    TColor Shown(int x, int y) { return Shot(*form)->PixelColor(x, y); }
};
