// TCustomFlatEdit and TFlatEdit: a one-line edit without the system border, framed flat in its
// non-client area and lit while it has the focus or the mouse is over it.
#pragma once

#include <windows.h>

#include "FlatUtilitys.h"
#include "StdCtrls.h"

class TCustomFlatEdit : public TEdit {
public:
    explicit TCustomFlatEdit(TComponent* owner);

    TColor ColorFocused() const { return colorFocused_; }
    void SetColorFocused(TColor color) { SetColors(0, color); }
    TColor ColorBorder() const { return colorBorder_; }
    void SetColorBorder(TColor color) { SetColors(1, color); }
    // Setting the flat colour ends following the parent's.
    TColor ColorFlat() const { return colorFlat_; }
    void SetColorFlat(TColor color) { SetColors(2, color); }
    // The edit's own flag, apart from the library's: the flat colour follows the parent's.
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool parentColor);
    TAdvColors AdvColorFocused() const { return advColorFocused_; }
    void SetAdvColorFocused(TAdvColors value) { SetAdvColors(0, value); }
    TAdvColors AdvColorBorder() const { return advColorBorder_; }
    void SetAdvColorBorder(TAdvColors value) { SetAdvColors(1, value); }
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
    void SetColors(int index, TColor color);
    void SetAdvColors(int index, TAdvColors value);
    void CalcAdvColors();
    void TakeParentColor();
    bool Hot() const;

    bool useAdvColors_ = false;
    TAdvColors advColorFocused_ = AdvColorFocusedDefault;
    TAdvColors advColorBorder_ = AdvColorBorderDefault;
    bool parentColor_ = true;
    TColor colorFocused_ = FlatFocusedColor;
    TColor colorBorder_ = FlatBorderColor;
    TColor colorFlat_ = FlatFaceColor;
    bool hovered_ = false;
    bool loaded_ = false;
};

class TFlatEdit : public TCustomFlatEdit {
public:
    explicit TFlatEdit(TComponent* owner) : TCustomFlatEdit(owner) {}
};
