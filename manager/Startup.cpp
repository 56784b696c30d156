// The icon manager's forms, created into their global variables.
#include <windows.h>

#include "Startup.h"

#include "Forms.h"
#include "IconInfo.h"
#include "Main.h"
#include "toolsunit.h"

void CreateProgramForms()
{
    Application.CreateForm(MainForm);
    Application.CreateForm(IconInfoForm);
    Application.CreateForm(Toolsform);
}
