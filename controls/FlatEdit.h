// TCustomFlatEdit and TFlatEdit: a one-line edit without the system border, framed flat in its
// non-client area and lit while it has the focus or the mouse is over it.
#pragma once

#include <windows.h>

#include "FlatUtilitys.h"
#include "StdCtrls.h"

class TCustomFlatEdit : public TEdit {
public:
    explicit TCustomFlatEdit(TComponent* owner);

    TColor ColorFocused() const { return colors_[fcFocused]; }
    void SetColorFocused(TColor color) { SetFlatColor(fcFocused, color); }
    TColor ColorBorder() const { return colors_[fcBorder]; }
    void SetColorBorder(TColor color) { SetFlatColor(fcBorder, color); }
    // Setting the flat colour ends following the parent's.
    TColor ColorFlat() const { return colors_[fcFlat]; }
    void SetColorFlat(TColor color) { SetFlatColor(fcFlat, color); }
    // The edit's own flag, apart from the library's: the flat colour follows the parent's.
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool parentColor);
    TAdvColors AdvColorFocused() const { return colors_.Strength(fcFocused); }
    void SetAdvColorFocused(TAdvColors value) { SetAdvColor(fcFocused, value); }
    TAdvColors AdvColorBorder() const { return colors_.Strength(fcBorder); }
    void SetAdvColorBorder(TAdvColors value) { SetAdvColor(fcBorder, value); }
    bool UseAdvColors() const { return useAdvColors_; }
    void SetUseAdvColors(bool use);

    bool Hovered() const { return hovered_; }
    void SetParent(TWinControl* parent) override;
    void SetEnabled(bool enabled) override;

    // Paints the three-pixel frame; lit while focused or hovered.
    void PaintFrame();
    // Height of the font plus the frame.
    void FitHeightToFont();

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    // The control is set up: runs with its first window.
    virtual void Loaded();
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void FontChanged() override;

private:
    void SetFlatColor(TFlatColorSlot slot, TColor color);
    void SetAdvColor(TFlatColorSlot slot, TAdvColors value);
    void CalcAdvColors();
    void TakeParentColor();
    bool Hot() const;

    bool useAdvColors_ = false;
    bool parentColor_ = true;
    TFlatColors colors_;
    bool hovered_ = false;
    bool loaded_ = false;
};

class TFlatEdit : public TCustomFlatEdit {
public:
    explicit TFlatEdit(TComponent* owner) : TCustomFlatEdit(owner) {}
};
