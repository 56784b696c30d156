// Standard controls: TLabel (windowless text), TEdit (the system's edit), TButton (the
// system's push button) and TCustomComboBox (the system's combo box, optionally owner-drawn).
#pragma once

#include <windows.h>

#include "Controls.h"
#include "Exceptions.h"

#include <functional>
#include <string>
#include <vector>

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
    // Transparent and without text.
    bool PaintsNothing() const override;

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

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList, csOwnerDrawFixed, csOwnerDrawVariable };

// The state of an owner-drawn item: the system's ODS_ bits.
using TOwnerDrawState = unsigned;
enum TOwnerDrawStateFlag : unsigned {
    odSelected = ODS_SELECTED,
    odGrayed = ODS_GRAYED,
    odDisabled = ODS_DISABLED,
    odFocused = ODS_FOCUS,
    odComboBoxEdit = ODS_COMBOBOXEDIT,
};

// The DC of WM_DRAWITEM, lent to a control's canvas for one item, on every path.
class LentItemDC {
public:
    LentItemDC(TCanvas& canvas, HDC dc) : canvas_(canvas)
    {
        TControlCanvas::ReleaseBorrowed();
        canvas_.SetHandle(dc);
    }
    ~LentItemDC() { canvas_.SetHandle(nullptr); }
    LentItemDC(const LentItemDC&) = delete;
    LentItemDC& operator=(const LentItemDC&) = delete;

private:
    TCanvas& canvas_;
};

using TDrawItemEvent =
    std::function<void(TComponent* sender, int index, const RECT& rect, TOwnerDrawState state)>;

class TCustomComboBox : public TWinControl {
public:
    explicit TCustomComboBox(TComponent* owner);
    ~TCustomComboBox() override;

    // Chosen before the window is made: the system fixes a combo box's kind at creation.
    TComboBoxStyle Style() const { return style_; }
    void SetStyle(TComboBoxStyle style);
    // Height of an owner-drawn item.
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);
    // Items the dropped list shows without scrolling.
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int count) { dropDownCount_ = count; }

    int ItemCount() const { return static_cast<int>(items_.size()); }
    const std::string& Item(int index) const { return ListAt(items_, index); }
    int AddItem(const std::string& text);
    void ClearItems();
    // -1: nothing selected.
    int ItemIndex() const;
    void SetItemIndex(int index);
    bool DroppedDown() const;
    void SetBounds(int left, int top, int width, int height) override;
    std::string Text() const { return GetText(); }

    // The canvas an owner-drawn item is painted on.
    TCanvas& Canvas() { return canvas_; }

    // After the user chose another item or typed in the edit field (not when code selects).
    TNotifyEvent OnChange;
    TDrawItemEvent OnDrawItem;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void TextChanged() override {}
    virtual void Change();
    // Paints one owner-drawn item (index -1: an empty selection field) on Canvas, whose brush and
    // font already carry the selected or normal colours: OnDrawItem when set, else the item's text.
    virtual void DrawItem(int index, const RECT& rect, TOwnerDrawState state);

private:
    bool OwnerDrawn() const { return style_ == csOwnerDrawFixed || style_ == csOwnerDrawVariable; }
    // The system's height of the window: the closed field and, unless simple, the dropped list.
    int WindowHeight(int fieldHeight) const;
    void DrawItemMessage(const DRAWITEMSTRUCT& item);

    TComboBoxStyle style_ = csDropDown;
    int itemHeight_ = 16;
    int dropDownCount_ = 8;
    std::vector<std::string> items_;
    int itemIndex_ = -1;   // while there is no window
    TControlCanvas canvas_;
};
