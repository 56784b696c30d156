// TSectionListBox: sections mirrored into the rows of an owner-drawn list box, their heights, the
// selection by code and the flat scroll bars. The drawing, the mouse and keys, and in-place
// editing are in the SectionList*.cpp files beside this one.
#include <windows.h>

#include "slstbox.h"

#include "LateLibrary.h"
#include "Markup.h"
#include "PictureContainer.h"
#include "SectionMemo.h"
#include "SectionRows.h"

#include <algorithm>
#include <optional>

using namespace SectionRows;

// ---------------------------------------------------------------------------------------------
// TTabPositionCollection

const TTabPositionItem& TTabPositionCollection::Items(int index) const
{
    if (index < 0 || index >= Count())
        throw ListIndexError(index);
    return items_[static_cast<size_t>(index)];
}

void TTabPositionCollection::Add(int position, TTabType type)
{
    items_.push_back({position, type});
    if (changed_)
        changed_();
}

void TTabPositionCollection::SetItem(int index, int position, TTabType type)
{
    Items(index);
    items_[static_cast<size_t>(index)] = {position, type};
    if (changed_)
        changed_();
}

void TTabPositionCollection::Delete(int index)
{
    Items(index);
    items_.erase(items_.begin() + index);
    if (changed_)
        changed_();
}

void TTabPositionCollection::Clear()
{
    items_.clear();
    if (changed_)
        changed_();
}

std::vector<int> TTabPositionCollection::Stops() const
{
    std::vector<int> stops;
    if (Count() < 1 || Count() > 19)
        return stops;
    for (const TTabPositionItem& item : items_)
        stops.push_back(item.TabType == tabright ? -item.TabPosition : item.TabPosition);
    return stops;
}

// ---------------------------------------------------------------------------------------------
// TSectionListBox: rows

TSectionListBox::TSectionListBox(TComponent* owner)
    : TCustomListBox(owner),
      sectionImages_([this] { Invalidate(); }),
      subItemImages_([this] { ImagesChanged(); }),
      tabPositions_([this] {
          Invalidate();
          UpdateHorizontalExtent();
      }),
      scrollWidth_(GetSystemMetrics(SM_CXVSCROLL))
{
    SetStyle(lbOwnerDrawVariable);
    SetItemHeight(sectionHeight_);
    urlSettings_.OnChange = [this](TComponent*) { Invalidate(); };
    sectionFont_.OnChange = [this] { Invalidate(); };
    pictureCache_ = std::make_unique<THTMLPictureCache>();
    editor_ = new TSectionMemo(this);
    editor_->SetVisible(false);
    editor_->SetBounds(0, 0, 0, 0);
    editor_->SetParent(this);
}

TSectionListBox::~TSectionListBox()
{
    // The editor loses the focus as it goes; nothing may be committed into a list being freed.
    endingEdit_ = true;
    editRow_ = -1;
    delete editor_;
    editor_ = nullptr;
    if (pictureContainer_)
        pictureContainer_->RemoveFreeNotification(this);
}

void TSectionListBox::CreateParams(TCreateParams& params)
{
    TCustomListBox::CreateParams(params);
    params.className = "QlSectionListBox";
    params.style |= LBS_DISABLENOSCROLL;
}

void TSectionListBox::CreateWnd()
{
    TCustomListBox::CreateWnd();
    if (!HandleAllocated())
        return;
    richText_.Create(Handle());
    // A re-measure posted to the window this one replaces went with it.
    remeasurePosted_ = false;
    UpdateHeights();
    UpdateHorizontalExtent();
    ApplyFlatScrollBars();
}

void TSectionListBox::FontChanged()
{
    TCustomListBox::FontChanged();
    UpdateHorizontalExtent();
}

int TSectionListBox::HeaderRow(int sectionIdx) const
{
    int row = 0;
    for (int j = 0; j < sectionIdx && j < sections_.Count(); ++j) {
        TListSection& section = sections_.Items(j);
        row += 1 + (section.State() == lssExpanded ? section.SubItems().Count() : 0);
    }
    return row;
}

int TSectionListBox::SectionOfRow(int row) const
{
    if (sections_.Count() == 0)
        return -1;
    int rows = 0;
    for (int j = 0; j < sections_.Count(); ++j) {
        TListSection& section = sections_.Items(j);
        rows += 1 + (section.State() == lssExpanded ? section.SubItems().Count() : 0);
        if (rows > row)
            return j;
    }
    return sections_.Count() - 1;
}

int TSectionListBox::SubItemOfRow(int row) const
{
    int section = SectionOfRow(row);
    if (section < 0)
        return -1;
    int sub = row - HeaderRow(section) - 1;
    return sub < 0 ? -1 : sub;
}

bool TSectionListBox::GetSelection(int row, int& sectionIdx, int& subItemIdx) const
{
    sectionIdx = -1;
    subItemIdx = -1;
    if (row < 0)
        return false;
    sectionIdx = SectionOfRow(row);
    subItemIdx = SubItemOfRow(row);
    return true;
}

void TSectionListBox::BeginUpdate()
{
    if (++updateCount_ == 1 && HandleAllocated())
        SendMessageA(Handle(), WM_SETREDRAW, FALSE, 0);
}

void TSectionListBox::EndUpdate()
{
    if (updateCount_ == 0)
        return;
    if (--updateCount_ > 0)
        return;
    if (HandleAllocated()) {
        SendMessageA(Handle(), WM_SETREDRAW, TRUE, 0);
        RedrawWindow(Handle(), nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE | RDW_ALLCHILDREN);
    }
    UpdateHorizontalExtent();
    // The rows added and removed while updating.
    UpdateFlatScrollInfo();
}

void TSectionListBox::SetSubItemFont(TCanvas& canvas, TListSection& section)
{
    if (section.FontUsage() == fuSubItems || section.FontUsage() == fuBoth)
        canvas.Font().Assign(section.Font());
    else
        canvas.Font().Assign(Font());
}

void TSectionListBox::SetHeaderFont(TCanvas& canvas, TListSection& section)
{
    if (section.FontUsage() == fuSection || section.FontUsage() == fuBoth)
        canvas.Font().Assign(section.Font());
    else
        canvas.Font().Assign(sectionFont_);
}

void TSectionListBox::ExpandRows(TListSection& section)
{
    TUpdateScope update(*this);
    int header = HeaderRow(section.Index());
    for (int j = 0; j < section.SubItems().Count(); ++j) {
        const std::string& text = section.SubItems().Strings(j);
        InsertItem(header + 1 + j, text, 0, SubItemRowHeight(section, j, text));
    }
}

void TSectionListBox::ContractRows(TListSection& section)
{
    TUpdateScope update(*this);
    int header = HeaderRow(section.Index());
    for (int j = 0; j < section.SubItems().Count() && header + 1 < ItemCount(); ++j)
        DeleteItem(header + 1);
}

void TSectionListBox::SectionAdded(TListSection& section)
{
    AddItem(section.Caption(), 1, sectionHeight_);
    ExtentRowAdded(section, section.Caption());
    if (oneExpanded_ && sections_.Count() == 1)
        section.SetState(lssExpanded);
}

void TSectionListBox::SectionRemoving(TListSection& section)
{
    if (editor_ && Editing())
        EndEdit();
    TUpdateScope update(*this);
    section.SetState(lssContracted);
    int header = HeaderRow(section.Index());
    if (header < ItemCount())
        DeleteItem(header);
}

int TSectionListBox::TextRight() const
{
    return Width() - GetSystemMetrics(SM_CXVSCROLL);
}


int TSectionListBox::TextLeft(TListSection& section, int subItemIdx) const
{
    const bool header = subItemIdx < 0;
    int left = header ? sectionIndent_ : subItemIndent_;
    if (!header && (section.ControlType() == scCheckbox || section.ControlType() == scRadiobutton))
        left += 16;
    TImageList* images = header ? SectionImages() : SubItemImages();
    const int image = !images ? -1 : header ? section.ImageIndex() : section.SubItemImageIndex(subItemIdx);
    if (images && image >= 0)
        left += images->Width() + imageSpacing_;
    return left;
}

int TSectionListBox::SubItemRowHeight(TListSection& section, int subItemIdx, const std::string& text)
{
    const std::string s = richText_.PlainText(text);
    // Rows are one byte high at most in the system's list box; no form uses AutoSize off, so the
    // section's base height serves there rather than a row one pixel high.
    if (!section.AutoSize())
        return section.ItemHeight();
    TCanvas& canvas = measure_.Canvas();
    SetSubItemFont(canvas, section);
    // The text is measured in the room it is drawn in: from past the check box and image to the
    // right of the client area.
    const int left = TextLeft(section, subItemIdx);
    const int right = std::max<int>(ClientWidth(), left + 1);
    if (!IsMarkup(s)) {
        RECT rect = {left, 0, right, 0};
        UINT flags = DT_CALCRECT | DT_NOPREFIX | (wordWrap_ ? DT_WORDBREAK : 0);
        HDC dc = canvas.Handle();
        DrawTextA(dc, s.empty() ? " " : s.c_str(), -1, &rect, flags);
        int lineHeight = std::max(canvas.TextHeight("gh"), 1);
        int lines = std::max<int>((rect.bottom - rect.top) / lineHeight, 1);
        return lines * section.ItemHeight();
    }
    RECT rect = {left, 0, right, section.ItemHeight()};
    TMarkupOptions options = RowMarkupOptions(false);
    options.measureOnly = true;
    TMarkupResult result;
    DrawMarkup(canvas, s, rect, options, result);
    return result.height + 2;
}

void TSectionListBox::UpdateHeights()
{
    // One update from the first height that changes: the list lays itself out once, not per row.
    std::optional<TUpdateScope> update;
    for (int row = 0; row < ItemCount(); ++row) {
        int sectionIdx = -1;
        int sub = -1;
        GetSelection(row, sectionIdx, sub);
        const int height = sub < 0 || sectionIdx < 0 ? sectionHeight_
                                                     : SubItemRowHeight(sections_.Items(sectionIdx), sub, Item(row));
        if (height == RowHeight(row))
            continue;
        if (!update)
            update.emplace(*this);
        SetRowHeight(row, height);
    }
    if (!update)
        Invalidate();
}

void TSectionListBox::RemeasureSubItems(TListSection& section, int first, int count)
{
    if (section.State() != lssExpanded || section.Index() < 0)
        return;
    const int header = HeaderRow(section.Index());
    for (int j = first; j < first + count && j < section.SubItems().Count(); ++j)
        SetRowHeight(header + 1 + j, SubItemRowHeight(section, j, section.SubItems().Strings(j)));
}

int TSectionListBox::RowExtent(const std::string& row)
{
    // Rich text as its plain text, mark-up as nothing, up to the first line end.
    std::string text = IsMarkup(row) ? std::string() : richText_.PlainText(row);
    text = text.substr(0, text.find('\r'));
    TCanvas& canvas = measure_.Canvas();
    canvas.Font().Assign(Font());
    std::vector<int> stops = tabPositions_.Stops();
    DWORD size = GetTabbedTextExtentA(canvas.Handle(), text.c_str(), static_cast<int>(text.size()),
                                      static_cast<int>(stops.size()), stops.empty() ? nullptr : stops.data());
    return LOWORD(size);
}

void TSectionListBox::UpdateHorizontalExtent()
{
    if (updateCount_ > 0 || !HandleAllocated())
        return;
    rowExtents_.clear();
    if (!wordWrap_) {
        for (int row = 0; row < ItemCount(); ++row) {
            int sectionIdx = SectionOfRow(row);
            if (sectionIdx < 0 || !sections_.Items(sectionIdx).EndEllipsis())
                ++rowExtents_[RowExtent(Item(row))];
        }
    }
    ApplyHorizontalExtent();
}

void TSectionListBox::ExtentRowAdded(TListSection& section, const std::string& text)
{
    // While updating, and before the window is there, the rows are all measured afterwards.
    if (updateCount_ > 0 || !HandleAllocated() || wordWrap_ || section.EndEllipsis())
        return;
    ++rowExtents_[RowExtent(text)];
    ApplyHorizontalExtent();
}

void TSectionListBox::ExtentRowRemoving(TListSection& section, const std::string& text)
{
    if (updateCount_ > 0 || !HandleAllocated() || wordWrap_ || section.EndEllipsis())
        return;
    auto found = rowExtents_.find(RowExtent(text));
    if (found == rowExtents_.end()) {
        // Measured otherwise when it came (a setting changed since): all rows once more.
        UpdateHorizontalExtent();
        return;
    }
    if (--found->second == 0)
        rowExtents_.erase(found);
    ApplyHorizontalExtent();
}

void TSectionListBox::ApplyHorizontalExtent()
{
    const int widest = rowExtents_.empty() ? 0 : (rowExtents_.rbegin()->first + subItemIndent_) & 0xFFFF;
    if (wordWrap_ || widest < Width())
        HideHorizontalScrollBar();
    else if (widest != HorizontalExtent())
        SetHorizontalExtent(widest);
}

void TSectionListBox::HideHorizontalScrollBar()
{
    if (HorizontalExtent() != 0)
        SetHorizontalExtent(0);
    // The list keeps its vertical bar at all times, which shows an idle horizontal one as well.
    ShowScrollBar(Handle(), SB_HORZ, FALSE);
}

void TSectionListBox::InvalidateRow(int row)
{
    if (!HandleAllocated() || row < 0 || row >= ItemCount())
        return;
    RECT rect = ItemRect(row);
    InvalidateRect(Handle(), &rect, FALSE);
}

void TSectionListBox::SetOneExpanded(bool oneExpanded)
{
    oneExpanded_ = oneExpanded;
    if (!oneExpanded || sections_.Count() == 0)
        return;
    TUpdateScope update(*this);
    for (int j = sections_.Count() - 1; j >= 1; --j)
        sections_.Items(j).SetState(lssContracted);
    sections_.Items(0).SetState(lssExpanded);
}

void TSectionListBox::SetSectionHeight(int height)
{
    sectionHeight_ = std::max(height, 1);
    UpdateHeights();
}

void TSectionListBox::SetSubItemHeight(int height)
{
    subItemHeight_ = std::max(height, 1);
    UpdateHeights();
}

void TSectionListBox::SetSubItemImages(TImageList* images)
{
    subItemImages_.SetList(images);
    UpdateHeights();
}

// Mark-up rows are as high as their images: once the list has changed (often image by image),
// the rows are measured again.
UINT TSectionListBox::RemeasureMessage()
{
    static const UINT message = RegisterWindowMessageA("QlSectionListBoxRemeasure");
    return message;
}

void TSectionListBox::ImagesChanged()
{
    Invalidate();
    if (HandleAllocated() && !remeasurePosted_ && !Destroying())
        remeasurePosted_ = PostMessageA(Handle(), RemeasureMessage(), 0, 0) != FALSE;
}

void TSectionListBox::SetPictureContainer(TPictureContainer* container)
{
    if (pictureContainer_)
        pictureContainer_->RemoveFreeNotification(this);
    pictureContainer_ = container;
    if (container)
        container->FreeNotification(this);
    UpdateHeights();
}

void TSectionListBox::Notification(TComponent* component, TOperation operation)
{
    TCustomListBox::Notification(component, operation);
    if (operation == opRemove && component == pictureContainer_) {
        pictureContainer_ = nullptr;
        if (!Destroying())
            Invalidate();
    }
}

void TSectionListBox::SetWordWrap(bool wordWrap)
{
    wordWrap_ = wordWrap;
    UpdateHeights();
    UpdateHorizontalExtent();
}

void TSectionListBox::Resize()
{
    TCustomListBox::Resize();
    if (wordWrap_)
        UpdateHeights();
    // A taller list near its end shows rows above: they move down without a scroll.
    PlaceEditor();
}

void TSectionListBox::SelectSubItem(int sectionIdx, int subItemIdx)
{
    if (sectionIdx < 0 || sectionIdx >= sections_.Count())
        return;
    TListSection& section = sections_.Items(sectionIdx);
    if (subItemIdx >= section.SubItems().Count())
        return;
    if (subItemIdx >= 0 && section.State() == lssContracted)
        section.SetState(lssExpanded);
    int header = HeaderRow(sectionIdx);
    SetItemIndex(subItemIdx < 0 ? header : header + subItemIdx + 1);
}

void TSectionListBox::ContractAll()
{
    {
        TUpdateScope update(*this);
        SetItemIndex(0);
        for (int j = 0; j < sections_.Count(); ++j)
            sections_.Items(j).SetState(lssContracted);
    }
}

void TSectionListBox::ExpandAll()
{
    int sectionIdx = -1;
    int subItemIdx = -1;
    bool remembered = GetSelection(ItemIndex(), sectionIdx, subItemIdx) && sectionIdx >= 0;
    {
        TUpdateScope update(*this);
        for (int j = 0; j < sections_.Count(); ++j)
            sections_.Items(j).SetState(lssExpanded);
    }
    if (remembered && ItemIndex() >= 0) {
        int header = HeaderRow(sectionIdx);
        SetItemIndex(subItemIdx < 0 ? header : header + subItemIdx + 1);
    }
}

void TSectionListBox::ToggleSection(int sectionIdx)
{
    TListSection& section = sections_.Items(sectionIdx);
    if (section.State() == lssExpanded && !oneExpanded_) {
        section.SetState(lssContracted);
        if (OnContractSection)
            OnContractSection(this, sectionIdx);
        return;
    }
    {
        TUpdateScope update(*this);
        if (oneExpanded_)
            for (int j = 0; j < sections_.Count(); ++j)
                if (j != sectionIdx)
                    sections_.Items(j).SetState(lssContracted);
        section.SetState(lssExpanded);
    }
    if (OnExpandSection)
        OnExpandSection(this, sectionIdx);
    // The handler may have removed or replaced sections.
    if (sectionIdx >= sections_.Count())
        return;
    TListSection& opened = sections_.Items(sectionIdx);
    if (opened.AutoEdit() && opened.State() == lssExpanded && opened.SubItems().Count() > 0)
        StartEdit(HeaderRow(sectionIdx) + 1);
}

bool TSectionListBox::ToggleCheck(int sectionIdx, int subItemIdx)
{
    TListSection& section = sections_.Items(sectionIdx);
    if (section.ReadOnly())
        return false;
    if (section.ControlType() == scCheckbox) {
        section.SetSubItemChecked(subItemIdx, !section.SubItemChecked(subItemIdx));
        if (OnCheckBoxClick)
            OnCheckBoxClick(this, sectionIdx, subItemIdx);
        return true;
    }
    if (section.ControlType() == scRadiobutton) {
        section.SetRadioIndex(subItemIdx);
        if (OnRadioClick)
            OnRadioClick(this, sectionIdx, subItemIdx);
        return true;
    }
    return false;
}

bool TSectionListBox::SubItemExists(int sectionIdx, int subItemIdx) const
{
    return sectionIdx >= 0 && sectionIdx < sections_.Count() && subItemIdx >= 0 &&
           subItemIdx < sections_.Items(sectionIdx).SubItems().Count();
}

void TSectionListBox::Change()
{
    TCustomListBox::Change();
    if (updateCount_ > 0 || !OnChange)
        return;
    int sectionIdx = -1;
    int subItemIdx = -1;
    GetSelection(ItemIndex(), sectionIdx, subItemIdx);
    OnChange(this, sectionIdx, subItemIdx);
}

void TSectionListBox::SetScrollStyle(TSListScrollStyle style)
{
    if (style == scrollStyle_)
        return;
    TSListScrollStyle old = scrollStyle_;
    scrollStyle_ = style;
    if (!HandleAllocated())
        return;
    TLateLibrary& comctl = ComCtl32::Library();
    using InitFn = BOOL(WINAPI*)(HWND);
    using UninitFn = HRESULT(WINAPI*)(HWND);
    if (old == slsNormal)
        if (auto init = reinterpret_cast<InitFn>(comctl.OptionalAddress("InitializeFlatSB")))
            init(Handle());
    if (style == slsNormal)
        if (auto uninit = reinterpret_cast<UninitFn>(comctl.OptionalAddress("UnInitializeFlatSB")))
            uninit(Handle());
    ApplyFlatScrollBars();
}

void TSectionListBox::SetScrollColor(TColor color)
{
    scrollColor_ = color;
    ApplyFlatScrollBars();
}

void TSectionListBox::SetScrollWidth(int width)
{
    scrollWidth_ = width;
    ApplyFlatScrollBars();
}

void TSectionListBox::ApplyFlatScrollBars()
{
    if (!HandleAllocated())
        return;
    using PropFn = BOOL(WINAPI*)(HWND, UINT, INT_PTR, BOOL);
    auto setProp = reinterpret_cast<PropFn>(ComCtl32::Library().OptionalAddress("FlatSB_SetScrollProp"));
    if (scrollStyle_ != slsNormal && setProp) {
        INT_PTR mode = scrollStyle_ == slsFlat ? 2 : 1;
        setProp(Handle(), 256, mode, TRUE);   // vertical style
        setProp(Handle(), 512, mode, TRUE);   // horizontal style
        if (scrollColor_ != clNone) {
            setProp(Handle(), 64, static_cast<INT_PTR>(ColorToRGB(scrollColor_)), TRUE);
            setProp(Handle(), 128, static_cast<INT_PTR>(ColorToRGB(scrollColor_)), TRUE);
        }
        setProp(Handle(), 8, scrollWidth_, TRUE);
        setProp(Handle(), 4, scrollWidth_, TRUE);
    } else if (setProp) {
        setProp(Handle(), 256, 0, TRUE);
        setProp(Handle(), 512, 0, TRUE);
    }
    UpdateFlatScrollInfo();
}

void TSectionListBox::UpdateFlatScrollInfo()
{
    if (!HandleAllocated() || scrollStyle_ == slsNormal || updateCount_ > 0)
        return;
    using InfoFn = int(WINAPI*)(HWND, int, LPSCROLLINFO, BOOL);
    auto setInfo = reinterpret_cast<InfoFn>(ComCtl32::Library().OptionalAddress("FlatSB_SetScrollInfo"));
    if (!setInfo)
        return;
    for (int bar : {SB_VERT, SB_HORZ}) {
        SCROLLINFO info = {};
        info.cbSize = sizeof info;
        info.fMask = SIF_ALL;
        if (GetScrollInfo(Handle(), bar, &info))
            setInfo(Handle(), bar, &info, TRUE);
    }
}

TMarkupOptions TSectionListBox::RowMarkupOptions(bool selected)
{
    TMarkupOptions options;
    options.pictures = PictureContainer();
    options.images = SubItemImages();
    options.shadowColor = clGray;
    options.anchorColor = clBlue;
    options.cache = pictureCache_.get();
    options.wordWrap = WordWrap();
    options.selected = selected;
    return options;
}
