// The icon editor's program entry.
#include <windows.h>

#include "EditorStartup.h"
#include "Forms.h"
#include "SysUtils.h"
#include "malen.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    bool started = Guarded([] {
        Application.Initialize();
        Application.SetTitle("Quillandora! Editor");
        CreateEditorForms();
        Form1->CommandLineArgument = ParamStr(1);
        Application.Run();
    });
    return started ? 0 : 1;
}
