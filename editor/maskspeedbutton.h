// TMaskSpeedButton: the editor's latching tool button, an image-strip button that stays pressed
// once its tool is chosen.
#pragma once

#include <windows.h>

#include "MaskButton.h"

class TMaskSpeedButton : public TMaskButton {
public:
    explicit TMaskSpeedButton(TComponent* owner);

    // Latched: the button shows its pressed row whatever the mouse does over it.
    bool ButtonDown() const { return buttonDown_; }
    void SetButtonDown(bool down);

    void SetEnabled(bool enabled) override;
    // The face is always copied opaque.
    void SetTransparent(bool transparent) = delete;


protected:
    void Click() override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    int GlyphOffset() const override;

private:
    bool buttonDown_ = false;
};
