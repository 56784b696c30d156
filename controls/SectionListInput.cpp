// What the mouse and the keys do in the section list box: clicks on headers, sub-items, check
// marks, anchors and URLs, dragged tab stops, hover cursors, and the keys Space, Escape, Insert
// and Delete.
#include <windows.h>
#include <shellapi.h>
#include <windowsx.h>

#include "slstbox.h"

#include "Forms.h"
#include "LateLibrary.h"
#include "Markup.h"
#include "SectionRows.h"

#include <algorithm>
#include <cstdlib>

using namespace SectionRows;

LRESULT TSectionListBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    int x = GET_X_LPARAM(lParam);
    int y = GET_Y_LPARAM(lParam);
    if (msg == RemeasureMessage()) {
        remeasurePosted_ = false;
        UpdateHeights();
        return 0;
    }
    switch (msg) {
    case WM_LBUTTONDOWN:
        LeftButtonDown(x, y, wParam, lParam);
        return 0;
    case WM_LBUTTONUP:
        LeftButtonUp(x, y);   // first: the list's release of the mouse ends any drag
        break;
    case WM_LBUTTONDBLCLK: {
        LRESULT result = TCustomListBox::WndProc(msg, wParam, lParam);
        FireRowEvent(x, y, OnSectionDblClk, OnSubItemDblClk);
        return result;
    }
    case WM_RBUTTONDOWN: {
        LRESULT result = TCustomListBox::WndProc(msg, wParam, lParam);
        FireRowEvent(x, y, OnSectionRClick, OnSubItemRClick);
        return result;
    }
    case WM_RBUTTONDBLCLK: {
        LRESULT result = TCustomListBox::WndProc(msg, wParam, lParam);
        int sectionIdx = -1;
        int subItemIdx = -1;
        if (GetSelection(ItemIndex(), sectionIdx, subItemIdx) && sectionIdx >= 0 && OnSubItemRDblClk)
            OnSubItemRDblClk(this, sectionIdx, subItemIdx);
        return result;
    }
    case WM_MOUSEMOVE: {
        LRESULT result = TCustomListBox::WndProc(msg, wParam, lParam);
        PointerMove(x, y);
        return result;
    }
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
        draggingTab_ = false;
        dragTab_ = -1;
        break;
    case WM_KEYDOWN: {
        LRESULT result = TCustomListBox::WndProc(msg, wParam, lParam);
        SectionKeyDown(static_cast<WORD>(wParam));
        return result;
    }
    case WM_CHAR:
        // The list's own search by first letter would move the selection on a blank.
        if (wParam == ' ') {
            char key = ' ';
            KeyPress(key);
            if (key)
                SectionKeyPress(key);
            return 0;
        }
        break;
    case WM_VSCROLL: {
        if (LOWORD(wParam) == SB_THUMBTRACK && !scrollTrack_)
            return 0;
        LRESULT result = TCustomListBox::WndProc(msg, wParam, lParam);
        if (!wallpaper_.Empty() && wallpaper_.Height() != subItemHeight_ && updateCount_ == 0)
            Invalidate();
        ApplyFlatScrollBars();
        PlaceEditor();
        return result;
    }
    case WM_HSCROLL: {
        LRESULT result = TCustomListBox::WndProc(msg, wParam, lParam);
        ApplyFlatScrollBars();
        PlaceEditor();
        return result;
    }
    case WM_MOUSEWHEEL:
    case LB_SETTOPINDEX: {
        LRESULT result = TCustomListBox::WndProc(msg, wParam, lParam);
        PlaceEditor();
        return result;
    }
    case WM_SETCURSOR:
        if (hoverCursor_ && reinterpret_cast<HWND>(wParam) == Handle() && LOWORD(lParam) == HTCLIENT &&
            Screen.Cursor() == crDefault) {
            ::SetCursor(hoverCursor_);
            return TRUE;
        }
        break;
    case WM_ERASEBKGND:
        if (updateCount_ > 0 && !wallpaper_.Empty())
            return 1;
        break;
    case LB_ADDSTRING:
    case LB_INSERTSTRING:
    case LB_DELETESTRING:
    case LB_RESETCONTENT: {
        LRESULT result = TCustomListBox::WndProc(msg, wParam, lParam);
        UpdateFlatScrollInfo();
        return result;
    }
    }
    return TCustomListBox::WndProc(msg, wParam, lParam);
}

bool TSectionListBox::MarkupHit(int row, int x, int y, std::string& target)
{
    target.clear();
    if (row < 0 || row >= ItemCount() || !IsMarkup(Item(row)))
        return false;
    int sectionIdx = SectionOfRow(row);
    int subItemIdx = SubItemOfRow(row);
    bool header = subItemIdx < 0;
    RECT rect = ItemRect(row);
    // Where the row's text is drawn.
    rect.left += TextLeft(sections_.Items(sectionIdx), subItemIdx);
    TCanvas& canvas = measure_.Canvas();
    if (header)
        SetHeaderFont(canvas, sections_.Items(sectionIdx));
    else
        SetSubItemFont(canvas, sections_.Items(sectionIdx));
    // The hit-test lays the text out at the row's own position.
    TMarkupOptions options = RowMarkupOptions(false);
    options.hitTestOnly = true;
    options.point = {x, y};
    TMarkupResult result;
    bool hit = DrawMarkup(canvas, Item(row), rect, options, result);
    if (hit)
        target = result.hotTarget;
    return hit && !target.empty();
}

void TSectionListBox::OpenTarget(const std::string& target)
{
    if (OpenURL) {
        OpenURL(target);
        return;
    }
    Shell32::ShellExecuteA(HandleAllocated() ? Handle() : nullptr, "open", target.c_str(), nullptr, nullptr,
                           SW_SHOWNORMAL);
}

void TSectionListBox::LeftButtonDown(int x, int y, WPARAM keys, LPARAM lParam)
{
    int row = ItemAtPos({x, y});
    if (row < 0) {
        if (MultiSelect())
            ClearSelection();
        else
            SetItemIndex(-1);
        return;
    }
    // Only a press on the header where the stop was found takes it.
    if (tabPosMove_ && dragTab_ >= 0 && SubItemOfRow(row) < 0) {
        draggingTab_ = true;
        dragX_ = -1;
    }
    const std::string text = Item(row);
    // Mark-up rows with addresses in them are handled by their anchors below.
    if (urlSettings_.URLAware() && !IsMarkup(text) && IsURL(text)) {
        OpenTarget(text);
        return;
    }
    std::string target;
    if (MarkupHit(row, x, y, target)) {
        if (!Holds(target, "://") && !Holds(target, "mailto:")) {
            if (OnAnchorClick)
                OnAnchorClick(this, row, target);
        } else
            OpenTarget(target);
        return;
    }
    int sectionIdx = SectionOfRow(row);
    int subItemIdx = SubItemOfRow(row);
    // The check's handlers may have removed the sub-item: nothing more belongs to this press.
    if (subItemIdx >= 0 && x >= sectionIndent_ && x < sectionIndent_ + 15 && ToggleCheck(sectionIdx, subItemIdx) &&
        !SubItemExists(sectionIdx, subItemIdx))
        return;
    if (subItemIdx >= 0 && ItemIndex() == row && !MultiSelect()) {
        TListSection& section = sections_.Items(sectionIdx);
        if (!section.ReadOnly() && section.ControlType() == scText) {
            StartEdit(row);
            return;
        }
    }

    TCustomListBox::WndProc(WM_LBUTTONDOWN, keys, lParam);   // the list moves the selection
    if (subItemIdx < 0) {
        if (OnSectionClick)
            OnSectionClick(this, sectionIdx);
        // The handlers may have removed or replaced sections: the section is looked up again.
        if (sectionIdx >= sections_.Count())
            return;
        TListSection& section = sections_.Items(sectionIdx);
        int right = TextRight() - 10;
        if (section.SortShow() && x >= right - 10 && x < right) {
            TUpdateScope update(*this);
            section.SetSortDirection(section.SortDirection() == sdAscending ? sdDescending : sdAscending);
            return;
        }
        if (draggingTab_)
            return;   // the press takes a tab stop, not the section
        int nodeWidth = nodeType_ == lnGlyph ? contractGlyph_.Width() + 4 : 12;
        bool inToggleArea = activeSection_ == asFull || x < nodeWidth;
        if (!inToggleArea || section.Fixed())
            return;
        bool expanded = section.State() == lssExpanded;
        if ((expanded && contractDisable_) || (!expanded && expandDisable_))
            return;
        ToggleSection(sectionIdx);
        return;
    }
    if (OnSubItemClick)
        OnSubItemClick(this, sectionIdx, subItemIdx);
}

void TSectionListBox::LeftButtonUp(int x, int)
{
    if (!draggingTab_)
        return;
    draggingTab_ = false;
    if (dragTab_ >= 0 && dragTab_ < tabPositions_.Count())
        tabPositions_.SetItem(dragTab_, x, tabPositions_.Items(dragTab_).TabType);
    dragTab_ = -1;
    Invalidate();
}

void TSectionListBox::FireRowEvent(int x, int y, const TSectionEvent& onSection, const TSubItemEvent& onSubItem)
{
    int row = ItemAtPos({x, y});
    if (row < 0)
        return;
    int sectionIdx = SectionOfRow(row);
    int subItemIdx = SubItemOfRow(row);
    if (subItemIdx < 0) {
        if (onSection)
            onSection(this, sectionIdx);
    } else if (onSubItem)
        onSubItem(this, sectionIdx, subItemIdx);
}

void TSectionListBox::ShowHoverCursor(HCURSOR cursor)
{
    hoverCursor_ = cursor;
    if (Screen.Cursor() != crDefault)
        return;   // the hourglass of long work stays
    // The system asked for the cursor before this move: it shows what the move found now.
    if (!cursor)
        cursor = CursorHandle(Cursor() == crDefault ? crArrow : Cursor());
    ::SetCursor(cursor);
}

void TSectionListBox::PointerMove(int x, int y)
{
    int row = ItemAtPos({x, y});
    if (draggingTab_ && dragTab_ >= 0 && row >= 0) {
        int sectionIdx = SectionOfRow(row);
        int header = HeaderRow(sectionIdx);
        TListSection& section = sections_.Items(sectionIdx);
        int last = header + (section.State() == lssExpanded ? section.SubItems().Count() : 0);
        RECT top = ItemRect(header);
        RECT bottom = ItemRect(std::min(last, ItemCount() - 1));
        TCanvas& canvas = Canvas();
        canvas.Pen().SetMode(pmNotXor);
        canvas.Pen().SetColor(clBlack);
        if (dragX_ >= 0) {
            canvas.MoveTo(dragX_, top.top);
            canvas.LineTo(dragX_, bottom.bottom);
        }
        canvas.MoveTo(x, top.top);
        canvas.LineTo(x, bottom.bottom);
        canvas.Pen().SetMode(pmCopy);
        dragX_ = x;
        return;
    }
    if (!draggingTab_)
        dragTab_ = -1;   // a stop is taken only where the pointer finds it, on a header
    if (row < 0) {
        ShowHoverCursor(nullptr);
        return;
    }
    const std::string& text = Item(row);
    bool header = SubItemOfRow(row) < 0;
    if (header && tabPosMove_ && !draggingTab_) {
        for (int i = 0; i < tabPositions_.Count(); ++i)
            if (std::abs(tabPositions_.Items(i).TabPosition - x) <= 3)
                dragTab_ = i;
        if (dragTab_ >= 0) {
            ShowHoverCursor(LoadCursorA(nullptr, IDC_SIZEWE));
            return;
        }
    }
    if (!IsMarkup(text)) {
        ShowHoverCursor(IsURL(text) ? CursorHandle(crHandPoint) : nullptr);
        return;
    }
    std::string target;
    if (MarkupHit(row, x, y, target)) {
        ShowHoverCursor(CursorHandle(crHandPoint));
        if (target != hoverAnchor_) {
            hoverAnchor_ = target;
            if (OnAnchorEnter)
                OnAnchorEnter(this, 1, target);
        }
        return;
    }
    ShowHoverCursor(nullptr);
    if (!hoverAnchor_.empty()) {
        hoverAnchor_.clear();
        if (OnAnchorExit)
            OnAnchorExit(this, 1, hoverAnchor_);
    }
}

void TSectionListBox::SectionKeyDown(WORD key)
{
    int row = ItemIndex();
    int sectionIdx = -1;
    int subItemIdx = -1;
    bool onRow = GetSelection(row, sectionIdx, subItemIdx) && sectionIdx >= 0;
    switch (key) {
    case VK_SPACE:
        if (onRow && subItemIdx >= 0) {
            TListSection& section = sections_.Items(sectionIdx);
            if (!section.ReadOnly() && section.ControlType() == scText)
                StartEdit(row);
        }
        break;
    case VK_ESCAPE:
        if (MultiSelect())
            ClearSelection();
        else
            SetItemIndex(-1);
        break;
    case VK_INSERT:
        if (!onRow)
            break;
        if (subItemIdx < 0 && sections_.Items(sectionIdx).SubItems().Count() > 0) {
            if (OnInsertSection) {
                TListSection& added = sections_.Add();
                OnInsertSection(this, sectionIdx, added);
            }
        } else if (OnInsertSubItem) {
            std::string text;
            OnInsertSubItem(this, sectionIdx, subItemIdx, text);
            if (!text.empty() && sectionIdx < sections_.Count()) {
                TSectionListStrings& strings = sections_.Items(sectionIdx).SubItems();
                if (subItemIdx < 0)
                    strings.Add(text);
                else
                    strings.Insert(std::min(subItemIdx, strings.Count()), text);
            }
        }
        SetItemIndex(std::min(row, ItemCount() - 1));
        break;
    case VK_DELETE:
        if (!onRow)
            break;
        if (subItemIdx >= 0) {
            bool allow = false;
            if (OnDeleteSubItem)
                OnDeleteSubItem(this, sectionIdx, subItemIdx, allow);
            if (allow && sectionIdx < sections_.Count() && subItemIdx < sections_.Items(sectionIdx).SubItems().Count())
                sections_.Items(sectionIdx).SubItems().Delete(subItemIdx);
        } else {
            bool allow = false;
            if (OnDeleteSection)
                OnDeleteSection(this, sectionIdx, allow);
            if (allow && sectionIdx < sections_.Count())
                sections_.Delete(sectionIdx);
        }
        SetItemIndex(std::min(row, ItemCount() - 1));
        break;
    }
}

void TSectionListBox::SectionKeyPress(char key)
{
    if (key != ' ')
        return;
    int sectionIdx = -1;
    int subItemIdx = -1;
    if (!GetSelection(ItemIndex(), sectionIdx, subItemIdx) || sectionIdx < 0)
        return;
    TListSection& section = sections_.Items(sectionIdx);
    if (subItemIdx >= 0) {
        if (ToggleCheck(sectionIdx, subItemIdx) && !SubItemExists(sectionIdx, subItemIdx))
            return;
        if (OnSubItemClick)
            OnSubItemClick(this, sectionIdx, subItemIdx);
        return;
    }
    bool expanded = section.State() == lssExpanded;
    if ((expanded && contractDisable_) || (!expanded && expandDisable_) || section.Fixed())
        return;
    ToggleSection(sectionIdx);
}
