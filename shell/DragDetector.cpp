// Drag detection through a mouse hook of the user-interface thread.
#include <windows.h>

#include "DragDetector.h"

#include "Forms.h"

#include <cstdlib>
#include <utility>

namespace {

// The hook and the one detector it serves.
struct MouseHook {
    HHOOK handle = nullptr;
    TDragDetector* instance = nullptr;
    ~MouseHook() { Remove(); }
    void Remove()
    {
        if (handle)
            UnhookWindowsHookEx(handle);
        handle = nullptr;
        instance = nullptr;
    }
};
MouseHook mouseHook;

LRESULT CALLBACK MouseHookProc(int code, WPARAM wParam, LPARAM lParam)
{
    LRESULT result = CallNextHookEx(mouseHook.handle, code, wParam, lParam);
    if (code == HC_ACTION) {
        Guarded([&] {
            if (!mouseHook.instance)
                mouseHook.Remove();
            else
                mouseHook.instance->MouseMessage(static_cast<UINT>(wParam),
                                                 reinterpret_cast<MOUSEHOOKSTRUCT*>(lParam)->pt);
        });
    }
    return result;
}

bool IsButtonDown(UINT msg, bool left)
{
    if (left)
        return msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK || msg == WM_NCLBUTTONDOWN || msg == WM_NCLBUTTONDBLCLK;
    return msg == WM_RBUTTONDOWN || msg == WM_RBUTTONDBLCLK || msg == WM_NCRBUTTONDOWN || msg == WM_NCRBUTTONDBLCLK;
}

bool IsButtonUp(UINT msg, bool left)
{
    if (left)
        return msg == WM_LBUTTONUP || msg == WM_NCLBUTTONUP;
    return msg == WM_RBUTTONUP || msg == WM_NCRBUTTONUP;
}

DWORD ModifierKeys()
{
    DWORD keys = 0;
    if (GetKeyState(VK_SHIFT) < 0)
        keys |= MK_SHIFT;
    if (GetKeyState(VK_CONTROL) < 0)
        keys |= MK_CONTROL;
    return keys;
}

}  // namespace

TDragDetector::TDragDetector(const BYTE& delta, TReport report) : delta_(delta), report_(std::move(report)) {}

TDragDetector::~TDragDetector()
{
    ReleaseHook();
}

bool TDragDetector::Detecting() const
{
    return mouseHook.instance == this;
}

void TDragDetector::ReleaseHook()
{
    if (Detecting())
        mouseHook.Remove();
}

void TDragDetector::Report(TDragDetectStatus status, POINT pt)
{
    status_ = status;
    if (report_)
        report_(ModifierKeys(), detectStart_, pt, status);
}

void TDragDetector::Begin(TDragDetectStatus status)
{
    POINT cursor;
    GetCursorPos(&cursor);
    status_ = status;
    detectStart_ = cursor;
    buttonCount_ = 0;
    Report(status, cursor);
    if (mouseHook.instance && mouseHook.instance != this) {
        TDragDetector* other = mouseHook.instance;
        mouseHook.Remove();
        other->Report(ddsNone, cursor);
    }
    mouseHook.Remove();
    mouseHook.instance = this;
    // The hook serves this thread's windows only: a process-wide hook from a program (not a
    // library) cannot be loaded into other processes.
    mouseHook.handle = SetWindowsHookExA(WH_MOUSE, &MouseHookProc, nullptr, GetCurrentThreadId());
}

void TDragDetector::Start(int button)
{
    if (button == 0)
        Begin(ddsLeft);
    else if (button == 1)
        Begin(ddsRight);
    else
        status_ = ddsNone;
}

void TDragDetector::Cancel()
{
    ReleaseHook();
    Report(ddsNone);
}

void TDragDetector::MouseMessage(UINT msg, POINT pt)
{
    const bool leftDown = IsButtonDown(msg, true), rightDown = IsButtonDown(msg, false);
    const bool leftUp = IsButtonUp(msg, true), rightUp = IsButtonUp(msg, false);
    if ((status_ == ddsLeft && rightDown) || (status_ == ddsRight && leftDown)) {
        buttonCount_ = 2;
        Report(ddsCancel, pt);
    } else if (status_ == ddsCancel && (leftDown || rightDown)) {
        buttonCount_ = 2;
    } else if (status_ == ddsCancel && (leftUp || rightUp)) {
        if (--buttonCount_ <= 0) {
            ReleaseHook();
            Report(ddsNone, pt);
        }
    } else if ((status_ == ddsLeft && leftUp) || (status_ == ddsRight && rightUp)) {
        ReleaseHook();
        Report(ddsNone, pt);
    } else if (status_ == ddsLeft || status_ == ddsRight) {
        if (std::abs(pt.x - detectStart_.x) <= delta_ && std::abs(pt.y - detectStart_.y) <= delta_)
            return;
        ReleaseHook();
        Report(ddsDrag, pt);   // the handler typically starts the drag here
        if (status_ != ddsNone)
            Report(ddsNone, pt);
    }
}
