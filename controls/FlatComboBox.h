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

    TColor ColorArrow() const { return colorArrow_; }
    void SetColorArrow(TColor color) { SetColors(0, color); }
    TColor ColorArrowBackground() const { return colorArrowBackground_; }
    void SetColorArrowBackground(TColor color) { SetColors(1, color); }
    TColor ColorBorder() const { return colorBorder_; }
    void SetColorBorder(TColor color) { SetColors(2, color); }
    TAdvColors AdvColorBorder() const { return advColorBorder_; }
    void SetAdvColorBorder(TAdvColors value) { SetAdvColors(0, value); }
    TAdvColors AdvColorArrowBackground() const { return advColorArrowBackground_; }
    void SetAdvColorArrowBackground(TAdvColors value) { SetAdvColors(1, value); }
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
    void SetColors(int index, TColor color);
    void SetAdvColors(int index, TAdvColors value);
    void CalcAdvColors();
    bool ListStyle() const { return Style() >= csDropDownList; }
    void PaintClient(HDC dc, const RECT& update, UINT systemMessage);
    void FitEdit();
    void DrawSelectionLookNow();

    TColor colorArrow_ = FlatMarkColor;
    TColor colorArrowBackground_ = FlatDownColor;
    TColor colorBorder_ = FlatBorderColor;
    bool useAdvColors_ = false;
    TAdvColors advColorArrowBackground_ = AdvColorArrowBackgroundDefault;
    TAdvColors advColorBorder_ = AdvColorBorderDefault;
    HWND edit_ = nullptr;
    HWND list_ = nullptr;
    int systemButtonWidth_;
    bool active_ = false;
};
