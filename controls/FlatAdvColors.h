// TFlatAdvColors: the colour set of a flat control whose face colour follows its parent's while
// UseAdvColors is on, and the colours in `Derived` are computed from that face colour. The flat
// buttons, check box, radio button and group box are such controls.
#pragma once

#include "FlatUtilitys.h"

// Control is the class that derives from it (a TControl).
template <typename Control, TFlatColorSlot... Derived>
class TFlatAdvColors {
public:
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
    TFlatAdvColors() = default;
    ~TFlatAdvColors() = default;

    // Each colour property is written through here, and each strength below.
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
            colors_.Derive(Self().Color(), {Derived...});
    }
    Control& Self() { return static_cast<Control&>(*this); }

    bool useAdvColors_ = false;
};
