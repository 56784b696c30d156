// The flat speed button's painting: its face straight onto the parent, which shows through
// wherever the face is not filled.
#include <windows.h>

#include "FlatSpeedButton.h"

THoverRecord& TFlatSpeedButton::Hover()
{
    static THoverRecord record;
    return record;
}

LRESULT TFlatSpeedButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == CM_DIALOGCHAR && IsAccel(static_cast<char>(wParam), Caption()) && Enabled()) {
        Click();
        return 1;
    }
    return TFlatButtonBase::WndProc(msg, wParam, lParam);
}

void TFlatSpeedButton::Paint()
{
    TCanvas& canvas = Canvas();
    canvas.Font().Assign(Font());
    Placed(DrawFlatButtonFace(canvas, ClientRect(), Face()));
}
