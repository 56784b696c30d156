// TFlatSpinEditInteger: a flat edit for a whole number between limits, stepped by its embedded
// spin button and the Up and Down keys.
#pragma once

#include <windows.h>

#include "FlatEdit.h"
#include "SpinButton.h"

class TFlatSpinEditInteger : public TCustomFlatEdit {
public:
    explicit TFlatSpinEditInteger(TComponent* owner);
    ~TFlatSpinEditInteger() override;

    // Equal limits (also the default 0 and 0) allow every value.
    int MinValue() const { return minValue_; }
    void SetMinValue(int value) { minValue_ = value; }
    int MaxValue() const { return maxValue_; }
    void SetMaxValue(int value) { maxValue_ = value; }
    int Increment() const { return increment_; }
    void SetIncrement(int increment) { increment_ = increment; }
    // Off: the text can be changed only by stepping.
    bool EditorEnabled() const { return editorEnabled_; }
    void SetEditorEnabled(bool enabled) { editorEnabled_ = enabled; }
    bool AutoSelect() const { return autoSelect_; }
    void SetAutoSelect(bool autoSelect) { autoSelect_ = autoSelect; }

    // Lives in the text: a text that is no whole number reads as MinValue.
    int Value() const;
    void SetValue(int value);
    int ClampValue(int value) const;

    TSpinButton* Button() const { return button_; }

    virtual bool AcceptsKey(char key) const;
    virtual void StepUp(TComponent* sender);
    virtual void StepDown(TComponent* sender);

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void Loaded() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Resize() override;
    void TextChanged() override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void DoEnter() override;
    void DoExit() override;

private:
    void SetEditRect();
    void PlaceButton();
    void Step(long long by);

    int minValue_ = 0;
    int maxValue_ = 0;
    int increment_ = 1;
    TSpinButton* button_ = nullptr;
    bool editorEnabled_ = true;
    bool autoSelect_ = true;
};
