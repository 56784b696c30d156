// The start of the icon manager: its forms, made in the order the program needs them.
#pragma once

// Creates MainForm (which becomes the main form), IconInfoForm and Toolsform, in that order: the
// worker form fills controls of the main window. The about box, InfoForm, is made at its first
// showing (TMainForm::NeedInfoForm).
void CreateProgramForms();
