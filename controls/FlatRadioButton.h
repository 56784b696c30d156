// TFlatRadioButton: a radio button that draws its own flat circle, dot and caption, and unchecks
// the others of its group on the same parent.
#pragma once

#include <windows.h>

#include "FlatMarkControl.h"

enum TRadioButtonLayout { radioLeft, radioRight };

class TFlatRadioButton : public TFlatMarkControl {
public:
    explicit TFlatRadioButton(TComponent* owner);

    // Checking unchecks the buttons of the same GroupIndex on the same parent and fires
    // OnClick; unchecking fires nothing. Only a checked button is a tab stop.
    void SetChecked(bool checked) override;
    TColor ColorDot() const { return ColorMark(); }
    void SetColorDot(TColor color) { SetColorMark(color); }
    TRadioButtonLayout Layout() const { return MarkOnRight() ? radioRight : radioLeft; }
    void SetLayout(TRadioButtonLayout layout) { SetMarkOnRight(layout == radioRight); }
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index) { groupIndex_ = index; }
    RECT MarkRect() const override;

    // The hover state shared by every flat radio button.
    static THoverRecord& Hover();

protected:
    void DrawMark() override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DoEnter() override;

private:
    int groupIndex_ = 0;
};
