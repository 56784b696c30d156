// Standard controls: TLabel (windowless text), TEdit (the system's edit) and TButton (the
// system's push button).
#pragma once

#include <windows.h>

#include "Controls.h"

#include <string>

class TLabel : public TGraphicControl {
public:
    explicit TLabel(TComponent* owner);

    // With AutoSize the label takes the size of its text.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool autoSize);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wordWrap);

protected:
    void Paint() override;
    void TextChanged() override;
    void FontChanged() override;

private:
    UINT TextFlags() const;
    void AdjustSize();

    bool autoSize_ = true;
    TAlignment alignment_ = taLeftJustify;
    bool transparent_ = false;
    bool wordWrap_ = false;
};

class TEdit : public TWinControl {
public:
    explicit TEdit(TComponent* owner);

    std::string Text() const { return GetText(); }
    void SetText(const std::string& text) override { TWinControl::SetText(text); }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);
    int MaxLength() const { return maxLength_; }
    void SetMaxLength(int length);
    void SelectAll();
    void CopyToClipboard();

    // After every change of the text, typed or set.
    TNotifyEvent OnChange;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void TextChanged() override;
    virtual void Change();

private:
    bool readOnly_ = false;
    int maxLength_ = 0;
};

class TButton : public TWinControl {
public:
    explicit TButton(TComponent* owner);

    // A click sets the form's ModalResult to this (ending ShowModal when not mrNone).
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    void Click() override;

protected:
    void CreateParams(TCreateParams& params) override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void TextChanged() override {}

private:
    int modalResult_ = 0;
};
