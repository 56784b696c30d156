// TFlatGroupBox: a container framed by one flat line with its caption set into the top edge.
#pragma once

#include <windows.h>

#include "Controls.h"
#include "FlatAdvColors.h"
#include "FlatUtilitys.h"

enum TGroupBoxBorder { brFull, brOnlyTopLine };

class TFlatGroupBox : public TCustomControl, public TFlatAdvColors<TFlatGroupBox, fcBorder> {
public:
    explicit TFlatGroupBox(TComponent* owner);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    TColor ColorBorder() const { return colors_[fcBorder]; }
    void SetColorBorder(TColor color) { SetFlatColor(fcBorder, color); }
    TGroupBoxBorder Border() const { return border_; }
    void SetBorder(TGroupBoxBorder border);
    TAdvColors AdvColorBorder() const { return colors_.Strength(fcBorder); }
    void SetAdvColorBorder(TAdvColors value) { SetAdvColor(fcBorder, value); }

protected:
    void Paint() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    bool transparent_ = false;
    TGroupBoxBorder border_ = brFull;
};
