// The icon editor's forms, created into their global variables.
#pragma once

void CreateEditorForms();
