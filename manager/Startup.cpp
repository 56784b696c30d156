// The icon manager's forms, created into their global variables.
#include <windows.h>

#include "Startup.h"

#include "Forms.h"
#include "IconInfo.h"
#include "Info.h"
#include "Main.h"
#include "toolsunit.h"

void CreateProgramForms()
{
    Application.CreateForm(MainForm);
    Application.CreateForm(IconInfoForm);
    Application.CreateForm(Toolsform);
    // The about box's buttons draw from the main window's lists.
    InfoForm = new TInfoForm(&Application,
                             {&MainForm->ilButtonsStandard, &MainForm->ilButtonsRund_Klein,
                              &MainForm->ilButtonsRund_Klein_Glyphs},
                             ManagerVersionText);
    InfoForm->DoCreate();
}
