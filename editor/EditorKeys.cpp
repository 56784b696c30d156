// The editor's keyboard table.
#include <windows.h>

#include "EditorKeys.h"

TEditorCommand EditorShortcut(WORD key, TShiftState shift, bool toolsBlocked)
{
    if (key == VK_F1)
        return ecHelp;
    if ((shift & (ssCtrl | ssShift | ssAlt)) != ssCtrl || toolsBlocked)
        return ecNone;
    switch (key) {
    case 'N': return ecNew;
    case 'O': return ecOpen;
    case 'S': return ecSave;
    case 'Z': return ecUndo;
    case 'V': return ecPaste;
    case 'C': return ecCopy;
    default: return ecNone;
    }
}
