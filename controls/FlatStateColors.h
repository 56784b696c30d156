// TFlatStateColors: the colour properties of the flat controls that light up while focused or
// under the mouse, show a pressed face and have a border (the flat buttons, check box and radio
// button); with UseAdvColors the three are derived from the face colour.
#pragma once

#include "FlatAdvColors.h"

// Control is the class that derives from it (a TControl).
template <typename Control>
class TFlatStateColors : public TFlatAdvColors<Control, fcFocused, fcDown, fcBorder> {
public:
    TColor ColorFocused() const { return this->colors_[fcFocused]; }
    void SetColorFocused(TColor color) { this->SetFlatColor(fcFocused, color); }
    TColor ColorDown() const { return this->colors_[fcDown]; }
    void SetColorDown(TColor color) { this->SetFlatColor(fcDown, color); }
    TColor ColorBorder() const { return this->colors_[fcBorder]; }
    void SetColorBorder(TColor color) { this->SetFlatColor(fcBorder, color); }
    TAdvColors AdvColorFocused() const { return this->colors_.Strength(fcFocused); }
    void SetAdvColorFocused(TAdvColors value) { this->SetAdvColor(fcFocused, value); }
    TAdvColors AdvColorDown() const { return this->colors_.Strength(fcDown); }
    void SetAdvColorDown(TAdvColors value) { this->SetAdvColor(fcDown, value); }
    TAdvColors AdvColorBorder() const { return this->colors_.Strength(fcBorder); }
    void SetAdvColorBorder(TAdvColors value) { this->SetAdvColor(fcBorder, value); }

protected:
    TFlatStateColors() = default;
    ~TFlatStateColors() = default;
};
