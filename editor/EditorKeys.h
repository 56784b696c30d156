// Which command a released key asks of the editor window.
#pragma once

#include <windows.h>

#include "Controls.h"

enum TEditorCommand { ecNone, ecHelp, ecNew, ecOpen, ecSave, ecUndo, ecPaste, ecCopy };

// F1 in any state; otherwise exactly Ctrl (no Shift, no Alt) with one of the letters N, O, S, Z, V
// or C, and only while the tools are not blocked by a gesture. Virtual-key codes of other keys
// coincide with lower-case letters (F4 is 's', numpad 3 is 'c'): only the upper-case codes count.
TEditorCommand EditorShortcut(WORD key, TShiftState shift, bool toolsBlocked);
