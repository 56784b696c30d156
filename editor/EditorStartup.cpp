// The editor's forms in their order: the main window first, so that it is the program's.
#include <windows.h>

#include "EditorStartup.h"

#include "Forms.h"
#include "Info.h"
#include "fontunit.h"
#include "malen.h"

void CreateEditorForms()
{
    Application.CreateForm(Form1);
    // The dialog's buttons draw from the editor window's strip.
    FontForm = new TFontForm(&Application, &Form1->ilButtonsStandard);
    FontForm->DoCreate();
    // The about box's buttons draw from the editor window's lists.
    InfoForm = new TInfoForm(&Application,
                             {&Form1->ilButtonsStandard, &Form1->ilButtonsRund_Klein,
                              &Form1->ilButtonsRund_Klein_Glyphs},
                             EditorVersionText);
    InfoForm->DoCreate();
}
