// TCustomListView: the platform's list view (SysListView32) as a control, with its columns and
// its items (caption, sub-items, images, state) kept in the control, so that they exist before
// the window and survive its re-creation.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "Controls.h"
#include "Exceptions.h"
#include "ImageList.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };

// The list-view column format (LVCFMT_...) of an alignment.
int ColumnFormat(TAlignment alignment);

class TCustomListView;
class TListColumns;
class TListItem;
class TListItems;

class TListColumn {
public:
    int Index() const;
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    // In the report view this is the width the window shows (the user may have dragged it).
    // Setting -1 fits the column to its contents, -2 to its header and contents.
    int Width() const;
    void SetWidth(int width);
    // The first column is always left-justified by the platform.
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);

private:
    friend class TListColumns;
    friend class TCustomListView;
    explicit TListColumn(TListColumns& owner) : owner_(owner) {}

    TListColumns& owner_;
    std::string caption_;
    int width_ = 50;
    TAlignment alignment_ = taLeftJustify;
};

class TListColumns {
public:
    explicit TListColumns(TCustomListView& view) : view_(view) {}
    TListColumns(const TListColumns&) = delete;
    TListColumns& operator=(const TListColumns&) = delete;

    TCustomListView& ListView() const { return view_; }
    int Count() const { return static_cast<int>(columns_.size()); }
    // Throws EListError for a bad index.
    TListColumn* Items(int index) const { return ListAt(columns_, index).get(); }
    TListColumn* operator[](int index) const { return Items(index); }
    TListColumn* Add();
    void Delete(int index);
    void Clear();
    int IndexOf(const TListColumn* column) const;
    // No repaint between the two.
    void BeginUpdate();
    void EndUpdate();

private:
    friend class TCustomListView;
    TCustomListView& view_;
    std::vector<std::unique_ptr<TListColumn>> columns_;
};

// The texts of an item's further columns: entry 0 shows in column 1.
class TSubItems {
public:
    int Count() const { return static_cast<int>(texts_.size()); }
    // Throws EListError for a bad index.
    const std::string& operator[](int index) const { return ListAt(texts_, index); }
    void Set(int index, const std::string& text);
    int Add(const std::string& text);
    void Delete(int index);
    void Clear();
    const std::vector<std::string>& Texts() const { return texts_; }

private:
    friend class TListItem;
    explicit TSubItems(TListItem& item) : item_(item) {}
    void Assign(const std::vector<std::string>& texts);

    TListItem& item_;
    std::vector<std::string> texts_;
};

class TListItem {
public:
    TListItem(const TListItem&) = delete;
    TListItem& operator=(const TListItem&) = delete;

    TCustomListView& ListView() const;
    int Index() const;
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& caption);
    TSubItems& SubItems() { return subItems_; }
    const TSubItems& SubItems() const { return subItems_; }
    // Image indexes; -1 shows none. The overlay and state images are indexes into the overlay
    // images and StateImages of the list view.
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    int StateIndex() const { return stateIndex_; }
    void SetStateIndex(int index);
    int OverlayIndex() const { return overlayIndex_; }
    void SetOverlayIndex(int index);
    void* Data() const { return data_; }
    void SetData(void* data) { data_ = data; }
    bool Selected() const;
    void SetSelected(bool selected);
    bool Focused() const;
    void SetFocused(bool focused);
    // Scrolls the item into view.
    void MakeVisible();
    // Caption, sub-items, images and data; the selection stays as it is.
    void Assign(const TListItem& source);
    // The item is gone afterwards.
    void Delete();

private:
    friend class TListItems;
    friend class TSubItems;
    friend class TCustomListView;
    explicit TListItem(TListItems& owner) : owner_(owner), subItems_(*this) {}
    void SetState(UINT flag, bool on);
    UINT StateBits() const;

    TListItems& owner_;
    std::string caption_;
    TSubItems subItems_;
    int imageIndex_ = -1;
    int stateIndex_ = -1;
    int overlayIndex_ = -1;
    void* data_ = nullptr;
    // The selection state while there is no window; the window's own state rules otherwise.
    UINT state_ = 0;
};

class TListItems {
public:
    explicit TListItems(TCustomListView& view) : view_(view) {}
    TListItems(const TListItems&) = delete;
    TListItems& operator=(const TListItems&) = delete;

    TCustomListView& ListView() const { return view_; }
    int Count() const { return static_cast<int>(items_.size()); }
    // Throws EListError for a bad index.
    TListItem* Item(int index) const { return ListAt(items_, index).get(); }
    TListItem* operator[](int index) const { return Item(index); }
    TListItem* Add() { return Insert(Count()); }
    // index may be Count() (append); throws EListError beyond.
    TListItem* Insert(int index);
    void Delete(int index);
    void Clear();
    int IndexOf(const TListItem* item) const;
    // Moves the item object itself, keeping its selection and focus; no insert or delete events.
    // Both indexes must name existing items.
    void Move(int from, int to);
    // No repaint between the two; they nest.
    void BeginUpdate();
    void EndUpdate();

private:
    friend class TCustomListView;
    TCustomListView& view_;
    std::vector<std::unique_ptr<TListItem>> items_;
};

using TLVColumnClickEvent = std::function<void(TComponent* sender, TListColumn* column)>;
using TLVItemEvent = std::function<void(TComponent* sender, TListItem* item)>;
using TLVEditedEvent = std::function<void(TComponent* sender, TListItem* item, std::string& text)>;
using TLVSelectItemEvent = std::function<void(TComponent* sender, TListItem* item, bool selected)>;

class TCustomListView : public TWinControl {
public:
    explicit TCustomListView(TComponent* owner);
    ~TCustomListView() override;

    TListColumns& Columns() { return columns_; }
    const TListColumns& Columns() const { return columns_; }
    TListItems& Items() { return items_; }
    const TListItems& Items() const { return items_; }

    TViewStyle ViewStyle() const { return viewStyle_; }
    virtual void SetViewStyle(TViewStyle style);
    // A click on a column header reports a column click (and the header looks pressed).
    bool ColumnClick() const { return columnClick_; }
    void SetColumnClick(bool on);
    bool ShowColumnHeaders() const { return showColumnHeaders_; }
    void SetShowColumnHeaders(bool show);
    // Off: the selection stays visible while the control has no focus.
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool hide);
    bool MultiSelect() const { return multiSelect_; }
    void SetMultiSelect(bool on);
    // Off: the user may edit captions in place.
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool on);
    // A sunken edge; off: a flat line border.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool on);
    // The platform's extended list-view styles (LVS_EX_...), kept over re-creations of the window.
    DWORD ExtendedStyle() const { return extendedStyle_; }
    void SetExtendedStyle(DWORD style);

    TImageList* LargeImages() const { return largeImages_.List(); }
    void SetLargeImages(TImageList* list);
    TImageList* SmallImages() const { return smallImages_.List(); }
    void SetSmallImages(TImageList* list);
    TImageList* StateImages() const { return stateImages_.List(); }
    void SetStateImages(TImageList* list);

    // The first selected item, or nullptr; setting selects that item alone (nullptr: none).
    TListItem* Selected() const;
    void SetSelected(TListItem* item);
    int SelCount() const;
    TListItem* ItemFocused() const;
    void SetItemFocused(TListItem* item);

    // Sorts with the platform's sort; `compare` gets the items as TListItem* in its first two
    // parameters and `data` in the third. The item order of the control follows.
    void CustomSort(PFNLVCOMPARE compare, LPARAM data);

    TLVColumnClickEvent OnColumnClick;
    TLVItemEvent OnInsert;
    TLVItemEvent OnDeletion;
    // The user ended an edit with a new caption; the handler may change it.
    TLVEditedEvent OnEdited;
    TLVSelectItemEvent OnSelectItem;

protected:
    void CreateParams(TCreateParams& params) override;
    // Fills the new window with the columns and items.
    void CreateWnd() override;
    // The window is going (WM_DESTROY): what only it knows (widths, selection) goes to the
    // columns and items.
    virtual void DestroyWnd();
    // A new window with the current style; columns, items and their states carry over.
    void RecreateWnd();
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void FontChanged() override;
    void ColorChanged() override;

    virtual void ColumnClick(TListColumn* column);
    virtual void InsertItem(TListItem* item);
    // The user ended a caption edit with a text; the caption becomes `text`.
    virtual void Edit(TListItem* item, std::string& text);
    // The user cancelled a caption edit.
    virtual void EditCanceled(TListItem* item) {}
    // After columns were added, removed or changed in the window.
    virtual void ColumnsChanged() {}
    // An image list was set, or the one set changed (`which`: LVSIL_NORMAL, _SMALL or _STATE).
    virtual void ImageListChanged(int /*which*/) {}
    // Style bits beyond the ones the properties make.
    virtual DWORD ExtraStyle() const { return 0; }
    // Whether the window is being torn down with the control: no events then.
    bool Dying() const { return dying_; }
    // On: the window asks for every text and image when it draws one (LVN_GETDISPINFO), instead
    // of holding copies of the items' own; set before the window is made.
    void SetTextCallbacks(bool on) { textCallbacks_ = on; }
    bool TextCallbacks() const { return textCallbacks_; }
    // The item that the window holds at `index`, read from the window.
    TListItem* WindowItem(int index) const;

private:
    friend class TListColumn;
    friend class TListColumns;
    friend class TListItem;
    friend class TListItems;
    friend class TSubItems;

    void SetImages(TImageListLink& link, TImageList* list, int which);
    // The list may have a new handle after a change of size, or be gone.
    void ImagesChanged(TImageListLink& link, int which);
    void ApplyImageList(TImageList* list, int which);
    void ApplyColors();
    void ApplyExtendedStyle();
    void UpdateStyleBits();
    DWORD StyleBits() const;

    void WindowInsertColumn(int index);
    void WindowSetColumn(int index, UINT mask);
    // The window while it shows the report view (the only view with column widths), else nullptr.
    HWND ReportWindow() const;
    void WindowSetColumnWidth(int index);
    void PullColumnWidths();
    void WindowInsertItem(int index);
    void WindowSetText(int index, int subItem, const std::string& text);
    void WindowSetItemImages(int index);
    void ReadOrderFromWindow();
    void LockRedraw();
    void UnlockRedraw();

    TListColumns columns_;
    TListItems items_;
    TViewStyle viewStyle_ = vsIcon;
    bool columnClick_ = true;
    bool showColumnHeaders_ = true;
    bool hideSelection_ = true;
    bool multiSelect_ = false;
    bool readOnly_ = false;
    bool ctl3D_ = true;
    DWORD extendedStyle_ = 0;
    TImageListLink largeImages_{[this] { ImagesChanged(largeImages_, LVSIL_NORMAL); }};
    TImageListLink smallImages_{[this] { ImagesChanged(smallImages_, LVSIL_SMALL); }};
    TImageListLink stateImages_{[this] { ImagesChanged(stateImages_, LVSIL_STATE); }};
    int redrawLocks_ = 0;
    bool dying_ = false;
    bool textCallbacks_ = false;
};

// Holds a list view's painting for a scope (its items' BeginUpdate and EndUpdate), released on
// every path out.
class TListUpdateHold {
public:
    explicit TListUpdateHold(TListItems& items) : items_(items) { items_.BeginUpdate(); }
    ~TListUpdateHold() { items_.EndUpdate(); }
    TListUpdateHold(const TListUpdateHold&) = delete;
    TListUpdateHold& operator=(const TListUpdateHold&) = delete;

private:
    TListItems& items_;
};
