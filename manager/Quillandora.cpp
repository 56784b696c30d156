// The icon manager's program entry.
#include <windows.h>

#include "Forms.h"
#include "Startup.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    bool started = Guarded([] {
        Application.Initialize();
        Application.SetTitle("Quillandora! Ostrane");
        CreateProgramForms();
        Application.Run();
    });
    return started ? 0 : 1;
}
