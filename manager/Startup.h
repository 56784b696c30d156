// The start of the icon manager: its forms, made in the order the program needs them.
#pragma once

// Creates MainForm (which becomes the main form), IconInfoForm, Toolsform and InfoForm, in that
// order: the worker form fills controls of the main window, the about box uses its image lists.
void CreateProgramForms();
