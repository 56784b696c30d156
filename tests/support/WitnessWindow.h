// A hidden top-level window of a test's own whose messages go to a procedure of the test, for
// watching what the program or the system sends to the windows around it.
#pragma once

#include <windows.h>

// Makes a 1x1 popup window of class `className` (registered once) with the procedure `proc`.
inline HWND MakeWitnessWindow(const char* className, WNDPROC proc)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = className;
    RegisterClassA(&wc);
    return CreateWindowExA(0, className, "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, wc.hInstance, nullptr);
}
