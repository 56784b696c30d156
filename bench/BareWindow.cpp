// The bare window program.
#include <windows.h>

#include "BareWindow.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show)
{
    return RunBareWindow(instance, show);
}
