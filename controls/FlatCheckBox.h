// TFlatCheckBox: a check box that draws its own flat box, check mark and caption.
#pragma once

#include <windows.h>

#include "FlatMarkControl.h"

enum TCheckBoxLayout { checkboxLeft, checkboxRight };

class TFlatCheckBox : public TFlatMarkControl {
public:
    explicit TFlatCheckBox(TComponent* owner);

    // Every change fires OnClick once, also one made by code.
    void SetChecked(bool checked) override;
    TColor ColorCheck() const { return ColorMark(); }
    void SetColorCheck(TColor color) { SetColorMark(color); }
    TCheckBoxLayout Layout() const { return MarkOnRight() ? checkboxRight : checkboxLeft; }
    void SetLayout(TCheckBoxLayout layout) { SetMarkOnRight(layout == checkboxRight); }
    RECT MarkRect() const override;

    // The hover state shared by every flat check box.
    static THoverRecord& Hover();

protected:
    void DrawMark() override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void KeyPress(char& key) override;
    void Accelerated() override { SetChecked(!Checked()); }
};
