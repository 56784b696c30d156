// TCustomListBox: the system's list box, optionally owner-drawn with a height of its own per row.
#pragma once

#include <windows.h>

#include "Controls.h"
#include "StdCtrls.h"

#include <functional>
#include <string>
#include <vector>

enum TListBoxStyle { lbStandard, lbOwnerDrawFixed, lbOwnerDrawVariable };

using TListDrawItemEvent =
    std::function<void(TComponent* sender, int index, const RECT& rect, TOwnerDrawState state)>;

class TCustomListBox : public TWinControl {
public:
    explicit TCustomListBox(TComponent* owner);
    ~TCustomListBox() override;

    // Chosen before the window is made: the system fixes a list box's kind at creation.
    TListBoxStyle Style() const { return style_; }
    void SetStyle(TListBoxStyle style);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool multiSelect);
    // Height of a row added without one of its own.
    int ItemHeight() const { return itemHeight_; }
    void SetItemHeight(int height);

    // The rows: text, item data and (owner-draw variable) height. Kept here as well as in the
    // window, so that they exist before the window does and survive its re-creation.
    int ItemCount() const { return static_cast<int>(items_.size()); }
    const std::string& Item(int index) const { return Row(index).text; }
    void SetItem(int index, const std::string& text);
    // Height 0: ItemHeight. A row that comes with its height lays the list out once, not twice.
    int AddItem(const std::string& text, LPARAM data = 0, int height = 0);
    // At index (clamped to 0..count); returns where it went.
    int InsertItem(int index, const std::string& text, LPARAM data = 0, int height = 0);
    void DeleteItem(int index);
    void ClearItems();
    LPARAM ItemData(int index) const { return Row(index).data; }
    void SetItemData(int index, LPARAM data);
    int RowHeight(int index) const { return Row(index).height; }
    void SetRowHeight(int index, int height);

    // -1: nothing selected. Setting it from code sends no change notice.
    int ItemIndex() const;
    void SetItemIndex(int index);
    bool Selected(int index) const;
    void SetSelected(int index, bool selected);
    void ClearSelection();
    int TopIndex() const;
    void SetTopIndex(int index);
    // The row under a client point; -1 below the last row (and outside, unless `nearest`).
    int ItemAtPos(POINT point, bool nearest = false) const;
    RECT ItemRect(int index) const;
    // Width the list scrolls horizontally over (0: no horizontal scrolling).
    int HorizontalExtent() const { return horizontalExtent_; }
    void SetHorizontalExtent(int extent);

    // The canvas an owner-drawn row is painted on.
    TCanvas& Canvas() { return canvas_; }

    // After the user moved the selection (mouse or keys), never for a change made by code.
    TNotifyEvent OnChange;
    TListDrawItemEvent OnDrawItem;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void TextChanged() override {}
    virtual void Change();
    // Paints one owner-drawn row on Canvas, whose brush and font already carry the selected or
    // normal colours: OnDrawItem when set, else the row's text. Index -1: an empty list has focus.
    virtual void DrawItem(int index, const RECT& rect, TOwnerDrawState state);
    // Whether DrawItemMessage draws the focus rectangle after DrawItem.
    virtual bool DrawsOwnFocus() const { return false; }

private:
    struct TRow {
        std::string text;
        LPARAM data = 0;
        int height = 0;
    };
    const TRow& Row(int index) const;
    bool OwnerDrawn() const { return style_ != lbStandard; }
    void SendRow(int index);
    void DrawItemMessage(const DRAWITEMSTRUCT& item);

    TListBoxStyle style_ = lbStandard;
    bool multiSelect_ = false;
    int itemHeight_ = 16;
    int horizontalExtent_ = 0;
    std::vector<TRow> items_;
    int itemIndex_ = -1;   // while there is no window
    TControlCanvas canvas_;
};
