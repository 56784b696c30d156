// TFlatSpeedButton: a windowless flat button with an optional glyph strip and caption, which can
// latch down in a group of buttons and close a modal form.
#pragma once

#include <windows.h>

#include "Controls.h"
#include "FlatButtonBase.h"

class TFlatSpeedButton : public TFlatButtonBase<TGraphicControl> {
public:
    explicit TFlatSpeedButton(TComponent* owner) : TFlatButtonBase(owner, Hover()) {}

    // The hover state shared by every flat speed button.
    static THoverRecord& Hover();

protected:
    void Paint() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
};
