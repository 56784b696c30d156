// TFlatStateColors: the colour properties of the flat controls that light up while focused or
// under the mouse, show a pressed face and have a border (the flat buttons, check box and radio
// button). With UseAdvColors the three are derived from the control's face colour, which then
// follows the parent's.
#pragma once

#include "FlatUtilitys.h"

// Control is the class that derives from it (a TControl).
template <typename Control>
class TFlatStateColors {
public:
    TColor ColorFocused() const { return colors_[fcFocused]; }
    void SetColorFocused(TColor color) { SetFlatColor(fcFocused, color); }
    TColor ColorDown() const { return colors_[fcDown]; }
    void SetColorDown(TColor color) { SetFlatColor(fcDown, color); }
    TColor ColorBorder() const { return colors_[fcBorder]; }
    void SetColorBorder(TColor color) { SetFlatColor(fcBorder, color); }
    TAdvColors AdvColorFocused() const { return colors_.Strength(fcFocused); }
    void SetAdvColorFocused(TAdvColors value) { SetAdvColor(fcFocused, value); }
    TAdvColors AdvColorDown() const { return colors_.Strength(fcDown); }
    void SetAdvColorDown(TAdvColors value) { SetAdvColor(fcDown, value); }
    TAdvColors AdvColorBorder() const { return colors_.Strength(fcBorder); }
    void SetAdvColorBorder(TAdvColors value) { SetAdvColor(fcBorder, value); }
    bool UseAdvColors() const { return useAdvColors_; }
    void SetUseAdvColors(bool use)
    {
        if (use == useAdvColors_)
            return;
        useAdvColors_ = use;
        Self().SetParentColor(use);
        CalcAdvColors();
        Self().Invalidate();
    }

protected:
    TFlatStateColors() = default;
    ~TFlatStateColors() = default;

    void SetFlatColor(TFlatColorSlot slot, TColor color)
    {
        colors_.Set(slot, color);
        Self().Invalidate();
    }
    void SetAdvColor(TFlatColorSlot slot, TAdvColors value)
    {
        colors_.SetStrength(slot, value);
        CalcAdvColors();
        Self().Invalidate();
    }
    // The system's or the parent's colours changed: with UseAdvColors the parent's is taken again.
    void ParentColorsChanged()
    {
        if (!useAdvColors_)
            return;
        Self().SetParentColor(true);
        CalcAdvColors();
    }

    TFlatColors colors_;

private:
    void CalcAdvColors()
    {
        if (useAdvColors_)
            colors_.Derive(Self().Color(), {fcFocused, fcDown, fcBorder});
    }
    Control& Self() { return static_cast<Control&>(*this); }

    bool useAdvColors_ = false;
};
