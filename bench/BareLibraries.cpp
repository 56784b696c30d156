// The bare window, importing the libraries the icon manager imports (the others it loads at
// their first use): what loading them costs a start, apart from anything the program does.
#include <windows.h>

#include "BareWindow.h"

namespace {

// One function of each, kept so that the linker keeps the library among the imports.
void* volatile kept[] = {
    reinterpret_cast<void*>(&RegOpenKeyExA),
    reinterpret_cast<void*>(&GdiTransparentBlt),
};

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    return RunBareWindow(instance, show);
}
