// TFlatComboBox: the system's combo box repainted flat: a one-pixel frame, a narrow flat arrow
// button and, in the list styles, a highlight strip instead of the system's selection look.
#pragma once

#include <windows.h>

#include "FlatUtilitys.h"
#include "StdCtrls.h"

class TFlatComboBox : public TCustomComboBox {
public:
    explicit TFlatComboBox(TComponent* owner);
    ~TFlatComboBox() override;

    TColor ColorArrow() const { return colors_[fcMark]; }
    void SetColorArrow(TColor color) { SetFlatColor(fcMark, color); }
    TColor ColorArrowBackground() const { return colors_[fcArrowBackground]; }
    void SetColorArrowBackground(TColor color) { SetFlatColor(fcArrowBackground, color); }
    TColor ColorBorder() const { return colors_[fcBorder]; }
    void SetColorBorder(TColor color) { SetFlatColor(fcBorder, color); }
    TAdvColors AdvColorBorder() const { return colors_.Strength(fcBorder); }
    void SetAdvColorBorder(TAdvColors value) { SetAdvColor(fcBorder, value); }
    TAdvColors AdvColorArrowBackground() const { return colors_.Strength(fcArrowBackground); }
    void SetAdvColorArrowBackground(TAdvColors value) { SetAdvColor(fcArrowBackground, value); }
    bool UseAdvColors() const { return useAdvColors_; }
    void SetUseAdvColors(bool use);

    void SetEnabled(bool enabled) override;

    // Counts as focused for painting: dropped down, or the focus in the box or its edit field.
    bool Active() const { return active_; }
    static constexpr int ArrowWidth = 11;
    // The arrow button in the window's (= client) coordinates.
    RECT ArrowRect() const;

protected:
    void CreateWnd() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void FontChanged() override;

    void PaintFlatFrame();
    void UpdateActive();
    void DrawFrame(HDC windowDC);
    void DrawArrow(HDC dc);
    void DrawSelectionLook(HDC dc);

private:
    static LRESULT CALLBACK EditProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id, DWORD_PTR data);
    void SetFlatColor(TFlatColorSlot slot, TColor color);
    void SetAdvColor(TFlatColorSlot slot, TAdvColors value);
    void CalcAdvColors();
    bool ListStyle() const { return Style() >= csDropDownList; }
    void PaintClient(HDC dc, const RECT& update, UINT systemMessage);
    void FitEdit();
    void DrawSelectionLookNow();

    TFlatColors colors_;
    bool useAdvColors_ = false;
    HWND edit_ = nullptr;
    HWND list_ = nullptr;
    int systemButtonWidth_;
    bool active_ = false;
};
