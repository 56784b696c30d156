// The icon editor's program entry.
#include <windows.h>

#include "EditorStartup.h"
#include "Forms.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    bool started = Guarded([] {
        Application.Initialize();
        Application.SetTitle("Quillandora! Editor");
        CreateEditorForms();
        Application.Run();
    });
    return started ? 0 : 1;
}
