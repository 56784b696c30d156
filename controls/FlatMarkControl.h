// TFlatMarkControl: what the flat check box and the flat radio button share: a small drawn mark
// beside a caption, lit while focused or under the mouse, shaded while pressed.
#pragma once

#include <windows.h>

#include "Controls.h"
#include "FlatUtilitys.h"

class TFlatMarkControl : public TCustomControl, protected THoverClient {
public:
    ~TFlatMarkControl() override;

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool Checked() const { return checked_; }
    virtual void SetChecked(bool checked) = 0;

    TColor ColorFocused() const { return colorFocused_; }
    void SetColorFocused(TColor color) { SetColors(0, color); }
    TColor ColorDown() const { return colorDown_; }
    void SetColorDown(TColor color) { SetColors(1, color); }
    TColor ColorBorder() const { return colorBorder_; }
    void SetColorBorder(TColor color) { SetColors(3, color); }
    TAdvColors AdvColorFocused() const { return advColorFocused_; }
    void SetAdvColorFocused(TAdvColors value) { SetAdvColors(0, value); }
    TAdvColors AdvColorDown() const { return advColorDown_; }
    void SetAdvColorDown(TAdvColors value) { SetAdvColors(1, value); }
    TAdvColors AdvColorBorder() const { return advColorBorder_; }
    void SetAdvColorBorder(TAdvColors value) { SetAdvColors(2, value); }
    bool UseAdvColors() const { return useAdvColors_; }
    void SetUseAdvColors(bool use);

    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool tabStop);
    void SetEnabled(bool enabled) override;

    bool Hovered() const { return hovered_; }
    bool Pressed() const { return pressed_; }
    bool HasFocus() const { return hasFocus_; }
    // The box or circle, in client coordinates.
    virtual RECT MarkRect() const = 0;

protected:
    TFlatMarkControl(TComponent* owner, THoverRecord& hover);

    // The check mark's or dot's colour is colour index 2.
    TColor ColorMark() const { return colorMark_; }
    void SetColorMark(TColor color) { SetColors(2, color); }
    bool MarkOnRight() const { return markOnRight_; }
    void SetMarkOnRight(bool right);
    // The mark's face: pressed, lit or plain.
    TColor MarkFill() const;
    virtual void DrawMark() = 0;
    void DrawCaption();
    void Paint() override;
    void StoreChecked(bool checked) { checked_ = checked; }
    void SetPressed(bool pressed) { pressed_ = pressed; }
    void SetHasFocus(bool hasFocus) { hasFocus_ = hasFocus; }

    void CreateParams(TCreateParams& params) override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void DoEnter() override;
    void DoExit() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void HoverBegin() override;
    void HoverEnd() override;
    void StopHoverTimer() { hover_.Stop(*this); }

private:
    void SetColors(int index, TColor color);
    void SetAdvColors(int index, TAdvColors value);
    void CalcAdvColors();

    THoverRecord& hover_;
    bool useAdvColors_ = false;
    TAdvColors advColorFocused_ = AdvColorFocusedDefault;
    TAdvColors advColorDown_ = AdvColorDownDefault;
    TAdvColors advColorBorder_ = AdvColorBorderDefault;
    bool hovered_ = false;
    bool pressed_ = false;
    bool hasFocus_ = false;
    bool markOnRight_ = false;
    bool checked_ = false;
    TColor colorFocused_ = FlatFocusedColor;
    TColor colorDown_ = FlatDownColor;
    TColor colorMark_ = FlatMarkColor;
    TColor colorBorder_ = FlatBorderColor;
    bool transparent_ = false;
    bool tabStop_ = false;
};
