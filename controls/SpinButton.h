// TSpinButton: two small auto-repeating flat arrow buttons side by side, up on the left, that
// step a focus control; and TTimerSpeedButton, the flat speed button that repeats its click
// while held.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Controls.h"
#include "ExtCtrls.h"
#include "FlatSpeedButton.h"

#include <memory>

enum TTimeBtnStateFlag : unsigned { tbFocusRect = 1, tbAllowTimer = 2 };
using TTimeBtnState = unsigned;

class TTimerSpeedButton : public TFlatSpeedButton {
public:
    explicit TTimerSpeedButton(TComponent* owner) : TFlatSpeedButton(owner) {}
    ~TTimerSpeedButton() override;

    TTimeBtnState TimeBtnState() const { return timeBtnState_; }
    void SetTimeBtnState(TTimeBtnState state) { timeBtnState_ = state; }
    // The repeat timer while one was made (the first press with tbAllowTimer).
    TTimer* RepeatTimer() const { return repeatTimer_; }

protected:
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;

private:
    void TimerExpired();

    TTimer* repeatTimer_ = nullptr;   // owned as a component
    TTimeBtnState timeBtnState_ = 0;
};

class TSpinButton : public TWinControl {
public:
    explicit TSpinButton(TComponent* owner);

    TTimerSpeedButton* UpButton() const { return upButton_; }
    TTimerSpeedButton* DownButton() const { return downButton_; }
    // nullptr loads the built-in arrow.
    void SetUpGlyph(const TBitmap* glyph);
    void SetDownGlyph(const TBitmap* glyph);
    TBitmap& UpGlyph() { return upButton_->Glyph(); }
    TBitmap& DownGlyph() { return downButton_->Glyph(); }
    int UpNumGlyphs() const { return upButton_->NumGlyphs(); }
    void SetUpNumGlyphs(int count) { upButton_->SetNumGlyphs(count); }
    int DownNumGlyphs() const { return downButton_->NumGlyphs(); }
    void SetDownNumGlyphs(int count) { downButton_->SetNumGlyphs(count); }
    TWinControl* FocusControl() const { return focusControl_; }
    void SetFocusControl(TWinControl* control);
    // The button that keys and the focus rectangle go to.
    TTimerSpeedButton* FocusedButton() const { return focusedButton_; }

    void SetBounds(int left, int top, int width, int height) override;

    TNotifyEvent OnUpClick;
    TNotifyEvent OnDownClick;

protected:
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Resize() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void Notification(TComponent* component, TOperation operation) override;

private:
    TTimerSpeedButton* CreateButton();
    void ButtonClick(TComponent* sender);
    void ButtonMouseDown(TComponent* sender, TMouseButton button);
    void SetFocusButton(TTimerSpeedButton* button);
    void LayoutButtons(int height);
    void LoadDefaultGlyph(TTimerSpeedButton* button, const char* resource, bool up);

    TTimerSpeedButton* upButton_ = nullptr;
    TTimerSpeedButton* downButton_ = nullptr;
    TTimerSpeedButton* focusedButton_ = nullptr;
    TWinControl* focusControl_ = nullptr;
};
