// TqelEnhListView: the report/icon list view that sorts by a clicked column (dates and times,
// then numbers, then text), shows the sort direction in the header, selects by typing, can keep
// the user from resizing columns, draws rows and header items through events and keeps its
// column widths, sort state and view style in the registry.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "Bitmap.h"
#include "EnhLVSaveSettings.h"
#include "ListView.h"
#include "SmartCompare.h"
#include "StdCtrls.h"

#include <functional>
#include <memory>
#include <string>

// What a click on a column header does.
enum TAutoColumnSort { acsNoSort, acsSort, acsSortToggle };
// assSmart: dates/times, then numbers, then text; assDefault: text only.
enum TAutoSortStyle { assSmart, assDefault };
// lvOwnerDrawFixed: rows of one height, drawn by DrawItem and the drawing events.
enum TLVStyle { lvStandard, lvOwnerDrawFixed };

// The state of an owner-drawn row, as bits: the standard controls' flags (StdCtrls.h) and this one.
enum TOwnerDrawListFlag : unsigned { odChecked = ODS_CHECKED };

using TLVMeasureItemEvent = std::function<void(TComponent* control, UINT& height)>;
using TLVDrawItemEvent = std::function<void(TComponent* control, TCanvas& canvas, int index, RECT rect,
                                            TOwnerDrawState state, bool& defaultDrawing, bool& fullRowSelect)>;
using TLVDrawSubItemEvent = std::function<void(TComponent* control, TCanvas& canvas, int index, int subItem,
                                               RECT rect, TOwnerDrawState state, bool& defaultDrawing)>;
using TLVAfterDrawItemEvent =
    std::function<void(TComponent* control, TCanvas& canvas, int index, RECT rect, TOwnerDrawState state)>;
using TLVHDrawItemEvent = std::function<void(TComponent* control, TCanvas& canvas, int index, RECT rect,
                                             bool selected, bool& defaultDrawing)>;
// sortColumn is the sub-item index (-1: the caption). Leaving sortAs at saNone keeps
// compResult; any other kind has the list compare the two texts that way.
using TLVSortItemsEvent = std::function<void(TComponent* sender, TListItem* item1, TListItem* item2, int sortColumn,
                                             TSortAs& sortAs, int& compResult)>;
using TLVSortStatusEvent = std::function<void(TComponent* sender, int sortColumn, bool ascending)>;
using TLVEditCanceled = std::function<void(TComponent* sender, TListItem* item)>;

// The keypad plus with Ctrl alone fits every column to its contents; with columns that may not
// be resized it becomes the keypad minus, which the list view leaves alone.
WORD NoResizeKey(WORD key, TShiftState shift);

class TCustomEnhListView : public TCustomListView {
public:
    explicit TCustomEnhListView(TComponent* owner);
    ~TCustomEnhListView() override;

    TAutoColumnSort AutoColumnSort() const { return autoColumnSort_; }
    void SetAutoColumnSort(TAutoColumnSort mode);
    TAutoSortStyle AutoSortStyle() const { return autoSortStyle_; }
    void SetAutoSortStyle(TAutoSortStyle style);
    // Resort after an item is inserted and after a caption edit.
    bool AutoResort() const { return autoResort_; }
    void SetAutoResort(bool on) { autoResort_ = on; }
    // The direction of the first sort by a newly clicked column; also sets the current one.
    bool AutoSortAscending() const { return autoSortAscending_; }
    void SetAutoSortAscending(bool ascending);
    // Typing selects the next item whose text in the sort column begins with what was typed.
    bool ColumnSearch() const { return columnSearch_; }
    void SetColumnSearch(bool on) { columnSearch_ = on; }
    bool NoColumnResize() const { return noColumnResize_; }
    void SetNoColumnResize(bool on) { noColumnResize_ = on; }
    bool ReverseSortArrows() const { return reverseSortArrows_; }
    void SetReverseSortArrows(bool on);
    bool ShowSortArrows() const { return showSortArrows_; }
    void SetShowSortArrows(bool on);
    // A descendant may keep settings of its own kind in its own object.
    virtual TqelEnhLVSaveSettings& SaveSettings() { return *saveSettings_; }
    TLVStyle Style() const { return style_; }
    void SetStyle(TLVStyle style);
    std::string Version() const { return GetVersion(); }

    // Column of the current sort (0: the captions; -1: none) and its direction.
    int CurrentSortColumn() const { return currentSortColumn_; }
    bool CurrentSortAscending() const { return currentSortAscending_; }
    void SetCurrentSortAscending(bool ascending);

    // Header drawing is owner-drawn while a handler is assigned (or sort arrows are shown).
    const TLVHDrawItemEvent& OnDrawHeader() const { return onDrawHeader_; }
    virtual void SetOnDrawHeader(TLVHDrawItemEvent handler);

    virtual void InvalidateColumnHeader(int index);
    // Sorts by column `index` (0: the captions) in the given direction.
    virtual void SortColumnItems(int index, bool ascending);
    // Sorts and makes that column and direction the current sort.
    virtual void SortByColumn(int index, bool ascending);
    // Sorts again by the current sort, now or, inside BeginUpdate/EndUpdate, at the last EndUpdate.
    virtual void Resort();
    virtual void BeginUpdate();
    virtual void EndUpdate();
    // Fits every column to its contents, or with `useHeader` to its header and contents.
    virtual void ResizeColumns(bool useHeader);
    // Moves item `fromIndex` to position `toIndex`, keeping its selection and focus. Nothing
    // happens unless both name existing items and differ.
    virtual void MoveItem(int fromIndex, int toIndex);
    // Select the next item after the selected one (wrapping round) whose text in the column
    // begins with `findText` in any case / contains it as it stands. False: none found.
    virtual bool StringSelect(const std::string& findText, int columnIndex);
    virtual bool SubStringSelect(const std::string& findText, int columnIndex);
    virtual int ActualColumnIndex(int index) const { return index; }
    // Makes the window; nullptr for an index beyond the columns.
    virtual TListColumn* GetColumnFromIndex(int index);
    // The caption for subItem < 0, else that sub-item ("" when the item has fewer).
    virtual std::string GetSubItemText(int index, int subItem) const;

    // Registry settings; the results tell whether anything was stored or restored.
    virtual bool StoreSettingsIfAuto();
    virtual bool StoreSettings();
    virtual bool LoadSettingsIfAuto();
    virtual bool LoadSettings();

    TLVMeasureItemEvent OnMeasureItem;
    TLVDrawItemEvent OnDrawItem;
    TLVDrawSubItemEvent OnDrawSubItem;
    TLVAfterDrawItemEvent OnAfterDefaultDrawItem;
    TLVSortItemsEvent OnSortItems;
    TLVSortStatusEvent OnSortBegin;
    TLVSortStatusEvent OnSortFinished;
    TLVEditCanceled OnEditCanceled;

protected:
    void CreateWnd() override;
    void DestroyWnd() override;
    // The control is set up: restores the settings and sorts. Runs with the first window.
    virtual void Loaded();
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void KeyDown(WORD& key, TShiftState shift) override;
    void KeyUp(WORD& key, TShiftState shift) override;
    void KeyPress(char& key) override;
    void FontChanged() override;

    void ColumnClick(TListColumn* column) override;
    void InsertItem(TListItem* item) override;
    void Edit(TListItem* item, std::string& text) override;
    void EditCanceled(TListItem* item) override;
    void ColumnsChanged() override;
    DWORD ExtraStyle() const override;

    virtual void SortBegin(int index, bool ascending);
    virtual void SortFinished(int index, bool ascending);
    // Runs OnSortItems; compResult starts at 0. `sortColumn` is the sub-item index.
    virtual void SortItems(TListItem* item1, TListItem* item2, int sortColumn, int& compResult);
    virtual void MeasureItem(UINT& height);
    virtual void DefaultDrawItem(int index, RECT rect, TOwnerDrawState state, bool fullRowSelect);
    virtual void DefaultDrawSubItem(int index, int subItem, RECT rect, TOwnerDrawState state);
    virtual void DrawItem(int index, RECT rect, TOwnerDrawState state);
    virtual bool DoDrawSubItem(int index, int subItem, RECT rect, TOwnerDrawState state);
    virtual bool DoDrawItem(int index, RECT rect, TOwnerDrawState state, bool& fullRowSelect);
    virtual void DoAfterDefaultDrawItem(int index, RECT rect, TOwnerDrawState state);
    virtual void DoEditCanceled(TListItem* item);
    virtual void DrawHeaderItem(int index, RECT rect, bool selected);
    virtual bool DoDrawHeader(int index, RECT rect, bool selected);
    virtual void DefaultDrawHeader(TCanvas& canvas, int index, RECT rect, bool selected);
    virtual void SetHeaderOwnerDraw(bool on);
    virtual void CreateSortBmps(std::unique_ptr<TBitmap>& up, std::unique_ptr<TBitmap>& down);
    virtual std::string GetVersion() const { return "TqelEnhListView v3.72"; }
    // Whether the user may not drag the header's dividers now, with the mouse over header item
    // `item` (-1: none).
    virtual bool HeaderResizeBlocked(int /*item*/) const { return noColumnResize_; }
    // Whether the current sort column's header shows an arrow (with ShowSortArrows): the list
    // sorts itself by column.
    virtual bool SortArrowWanted() const { return autoColumnSort_ != acsNoSort; }

    // The sort and view style parts of StoreSettings and LoadSettings, with `settings`.
    void StoreSortAndViewStyle(const TqelEnhLVSaveSettings& settings) const;
    void LoadSortAndViewStyle(const TqelEnhLVSaveSettings& settings);
    // The owner-draw canvas takes the colours of a selected row (with or without the focus).
    void UseRowColors(TOwnerDrawState state);
    // Fills a header item's face; returns the rectangle its content goes in (moved when pressed).
    static RECT PaintHeaderFace(TCanvas& canvas, RECT rect, bool selected);
    // The part of that rectangle the caption may use, by its alignment.
    static RECT HeaderTextRect(RECT item, TAlignment alignment);
    // Draws a header caption fitted into `text` and kept inside `item`; returns where it went.
    static RECT DrawHeaderCaption(HDC dc, const std::string& caption, TAlignment alignment, RECT text, RECT item);
    // The arrow the header of column `index` shows, or nullptr.
    TBitmap* SortArrowFor(int index) const;
    HWND HeaderHandle() const { return headerHandle_; }
    // The canvas of owner drawing, on the DC of the item being drawn.
    TCanvas& OwnerDrawCanvas() { return ownerDrawCanvas_; }

private:
    struct SortContext;
    static int CALLBACK CompareItems(LPARAM item1, LPARAM item2, LPARAM context);
    static LRESULT CALLBACK HeaderProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                       DWORD_PTR self);
    int Compare(TListItem* item1, TListItem* item2, const SortContext& context);
    std::string SortText(const TListItem* item, int subItem) const;
    LRESULT HeaderMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void HookHeader(HWND header);
    void UnhookHeader();
    void SetCurrentSortColumn(int column);
    void MakeSortArrows();
    bool HeaderOwnerDrawWanted() const { return static_cast<bool>(onDrawHeader_) || showSortArrows_; }
    bool IncrementalSearch(WORD key);
    bool SelectFirstMatch(int columnIndex, const std::function<bool(const std::string&)>& matches);
    bool ColumnText(int index, int columnIndex, std::string& text) const;
    UINT MeasuredItemHeight();

    bool resortPending_ = false;
    int updateCount_ = 1;   // nothing sorts until the control is set up
    TLVStyle style_ = lvStandard;
    TAutoColumnSort autoColumnSort_ = acsNoSort;
    TAutoSortStyle autoSortStyle_ = assSmart;
    bool autoResort_ = true;
    bool autoSortAscending_ = true;
    bool currentSortAscending_ = true;
    int currentSortColumn_ = -1;
    std::unique_ptr<TqelEnhLVSaveSettings> saveSettings_;
    bool showSortArrows_ = false;
    bool reverseSortArrows_ = false;
    std::unique_ptr<TBitmap> upArrow_;
    std::unique_ptr<TBitmap> downArrow_;
    bool creatingWindow_ = false;
    bool loaded_ = false;
    bool noColumnResize_ = false;
    std::string searchText_;
    ULONGLONG lastSearchTick_ = 0;
    bool columnSearch_ = false;
    TLVHDrawItemEvent onDrawHeader_;
    TCanvas ownerDrawCanvas_;
    TSortLocale sortLocale_;   // read once per sort
    HWND headerHandle_ = nullptr;
    bool inHeaderNotify_ = false;
};

// The list view the forms place; all of it lives in TCustomEnhListView.
class TqelEnhListView : public TCustomEnhListView {
public:
    using TCustomEnhListView::TCustomEnhListView;
};
