// Clicks as the mouse makes them, sent to a window: a move to the point, the press, the release;
// and drags with the real mouse.
#pragma once

#include <windows.h>

#include "Controls.h"

// At (x, y) of the window's client area.
void ClickAt(HWND window, int x, int y, TMouseButton button = mbLeft);

// On a control, at (dx, dy) of it (its centre when left out): in its own window when it has
// one, else through its parent's.
void ClickControl(TControl* control, TMouseButton button = mbLeft, int dx = -1, int dy = -1);

// Presses the left button at `from` (screen points), moves to `to` in ten steps from another
// thread, stays there `holdMs` and lets go (cancelled with Escape first when `cancel`), while this
// thread handles its messages and with them the drag. False when the pointer cannot be placed.
bool DragWithTheMouse(POINT from, POINT to, DWORD holdMs = 400, bool cancel = false);
