// TFlatButton: the focusable flat push button: lights up under the mouse, sinks while pressed,
// reacts to the space bar, can latch in a group and close a modal form.
#pragma once

#include <windows.h>

#include "Controls.h"
#include "FlatButtonBase.h"

class TFlatButton : public TFlatButtonBase<TCustomControl> {
public:
    explicit TFlatButton(TComponent* owner);

    // The form's default button: a two-pixel frame while up and not hovered.
    bool Default() const { return default_; }
    void SetDefault(bool isDefault);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop);

    // The hover state shared by every flat push button.
    static THoverRecord& Hover();

protected:
    void CreateParams(TCreateParams& params) override;
    void Paint() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void DoEnter() override;
    void DoExit() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool default_ = false;
    bool tabStop_ = true;
};
