// What the file list views and the drive trees share, one copy for the process: what the last of
// them put on the clipboard, and the view whose drag is running. User-interface thread only.
#pragma once

#include <windows.h>

class TWinControl;

enum TClipboardMode { cbNone = 0, cbCut = 1, cbCopy = 2 };

struct TViewClipboard {
    TClipboardMode mode = cbNone;
    // The clipboard's sequence number right after the last cut: a later change of the clipboard
    // ends the cut.
    DWORD cutSequence = 0;

    bool CutStillHeld() const { return mode == cbCut && GetClipboardSequenceNumber() == cutSequence; }
};

inline TViewClipboard& ViewClipboard()
{
    static TViewClipboard clipboard;
    return clipboard;
}

// The view that started the running drag, nullptr when none did.
inline TWinControl*& DragSourceView()
{
    static TWinControl* view = nullptr;
    return view;
}
