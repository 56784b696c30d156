// TFlatGroupBox: a container framed by one flat line with its caption set into the top edge.
#pragma once

#include <windows.h>

#include "Controls.h"
#include "FlatUtilitys.h"

enum TGroupBoxBorder { brFull, brOnlyTopLine };

class TFlatGroupBox : public TCustomControl {
public:
    explicit TFlatGroupBox(TComponent* owner);

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    TColor ColorBorder() const { return colors_[fcBorder]; }
    void SetColorBorder(TColor color);
    TGroupBoxBorder Border() const { return border_; }
    void SetBorder(TGroupBoxBorder border);
    TAdvColors AdvColorBorder() const { return colors_.Strength(fcBorder); }
    void SetAdvColorBorder(TAdvColors value);
    bool UseAdvColors() const { return useAdvColors_; }
    void SetUseAdvColors(bool use);

protected:
    void Paint() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

private:
    void CalcAdvColors();

    bool transparent_ = false;
    bool useAdvColors_ = false;
    TFlatColors colors_;
    TGroupBoxBorder border_ = brFull;
};
