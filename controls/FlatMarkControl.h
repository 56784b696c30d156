// TFlatMarkControl: what the flat check box and the flat radio button share: a small drawn mark
// beside a caption, lit while focused or under the mouse, shaded while pressed.
#pragma once

#include <windows.h>

#include "Controls.h"
#include "FlatStateColors.h"
#include "FlatUtilitys.h"

class TFlatMarkControl : public TCustomControl, public TFlatStateColors<TFlatMarkControl>, protected THoverClient {
public:
    ~TFlatMarkControl() override;

    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool Checked() const { return checked_; }
    virtual void SetChecked(bool checked) = 0;

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

    // The check mark's or the dot's colour.
    TColor ColorMark() const { return colors_[fcMark]; }
    void SetColorMark(TColor color) { SetFlatColor(fcMark, color); }
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
    // After the caption's accelerator took the focus.
    virtual void Accelerated() {}

private:
    THoverRecord& hover_;
    bool hovered_ = false;
    bool pressed_ = false;
    bool hasFocus_ = false;
    bool markOnRight_ = false;
    bool checked_ = false;
    bool transparent_ = false;
    bool tabStop_ = false;
};
