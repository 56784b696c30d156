// The bare window, importing the libraries the icon manager imports: what loading them costs a
// start, apart from anything the program does.
#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <ole2.h>
#include <shellapi.h>
#include <winnetwk.h>

#include "BareWindow.h"

namespace {

// One function of each, kept so that the linker keeps the library among the imports.
void* volatile kept[] = {
    reinterpret_cast<void*>(&InitCommonControlsEx), reinterpret_cast<void*>(&GetOpenFileNameA),
    reinterpret_cast<void*>(&ShellExecuteA),        reinterpret_cast<void*>(&OleInitialize),
    reinterpret_cast<void*>(&SysAllocString),       reinterpret_cast<void*>(&WNetGetConnectionA),
    reinterpret_cast<void*>(&TransparentBlt),       reinterpret_cast<void*>(&RegOpenKeyExA),
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    return RunBareWindow(instance, show);
}
