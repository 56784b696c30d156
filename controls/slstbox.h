// TSectionListBox: an owner-drawn list of collapsible sections, each a header row and, while
// expanded, one row per sub-item (plain text, URL or mark-up; shown as text, check box or radio).
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Exceptions.h"
#include "ImageList.h"
#include "ListBox.h"
#include "ListSection.h"
#include "SectionRichText.h"

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

class THTMLPictureCache;
class TPictureContainer;
class TSectionMemo;
struct TMarkupOptions;

enum TActiveSection { asFull, asNodeOnly };
enum TListNodeType { lnFlat, ln3D, lnGlyph };
enum TSectionFocus { sfDash, sf3D, sfNone };
enum TTabType { tableft, tabright };
// slsFlatRaised: flat bars that rise under the pointer.
enum TSListScrollStyle { slsNormal, slsFlat, slsFlatRaised };

class TURLSettings {
public:
    bool URLAware() const { return urlAware_; }
    void SetURLAware(bool aware) { urlAware_ = aware; Changed(); }
    TColor URLColor() const { return urlColor_; }
    void SetURLColor(TColor color) { urlColor_ = color; Changed(); }
    bool URLFull() const { return urlFull_; }
    void SetURLFull(bool full) { urlFull_ = full; Changed(); }

    TNotifyEvent OnChange;

private:
    void Changed()
    {
        if (OnChange)
            OnChange(nullptr);
    }
    bool urlAware_ = false;
    TColor urlColor_ = clBlue;
    bool urlFull_ = false;
};

struct TTabPositionItem {
    int TabPosition = 0;
    TTabType TabType = tableft;
};

// Tab stops of plain sub-items; every change repaints the list and recomputes its extent.
class TTabPositionCollection {
public:
    explicit TTabPositionCollection(std::function<void()> changed) : changed_(std::move(changed)) {}
    int Count() const { return static_cast<int>(items_.size()); }
    const TTabPositionItem& Items(int index) const;
    void Add(int position, TTabType type = tableft);
    void SetItem(int index, int position, TTabType type);
    void Delete(int index);
    void Clear();
    // Stops for the tabbed-text calls: right stops negative; none unless there are 1 to 19.
    std::vector<int> Stops() const;

private:
    std::function<void()> changed_;
    std::vector<TTabPositionItem> items_;
};

using TSectionEvent = std::function<void(TComponent* sender, int sectionIdx)>;
using TSubItemEvent = std::function<void(TComponent* sender, int sectionIdx, int subItemIdx)>;
using TInsertSubItemEvent = std::function<void(TComponent* sender, int sectionIdx, int subItemIdx, std::string& subItem)>;
using TInsertSectionEvent = std::function<void(TComponent* sender, int sectionIdx, TListSection& section)>;
using TDeleteSubItemEvent = std::function<void(TComponent* sender, int sectionIdx, int subItemIdx, bool& allow)>;
using TDeleteSectionEvent = std::function<void(TComponent* sender, int sectionIdx, bool& allow)>;
using TEditSubItemEvent = std::function<void(TComponent* sender, int sectionIdx, int subItemIdx, std::string& s)>;
using TDrawSubItemEvent = std::function<void(TComponent* sender, TListSection& section, int sectionIdx, int subItemIdx,
                                             TCanvas& canvas, const RECT& rect, TOwnerDrawState state)>;
using TDrawSubItemPropEvent =
    std::function<void(TComponent* sender, TListSection& section, int sectionIdx, int subItemIdx, TCanvas& canvas)>;
using TAnchorEvent = std::function<void(TComponent* sender, int index, const std::string& anchor)>;

class TSectionListBox : public TCustomListBox {
public:
    explicit TSectionListBox(TComponent* owner);
    ~TSectionListBox() override;

    TListSectionCollection& Sections() { return sections_; }
    void SetSections(const TListSectionCollection& sections) { sections_.Assign(sections); }

    bool OneExpanded() const { return oneExpanded_; }
    void SetOneExpanded(bool oneExpanded);
    int SectionHeight() const { return sectionHeight_; }
    void SetSectionHeight(int height);
    // The ItemHeight a new section gets; the sections' own stay as they are.
    int SubItemHeight() const { return subItemHeight_; }
    void SetSubItemHeight(int height);
    int SectionIndent() const { return sectionIndent_; }
    void SetSectionIndent(int indent) { sectionIndent_ = indent; Invalidate(); }
    int SubItemIndent() const { return subItemIndent_; }
    void SetSubItemIndent(int indent) { subItemIndent_ = indent; Invalidate(); }
    TFont& SectionFont() { return sectionFont_; }
    TColor SectionColor() const { return sectionColor_; }
    void SetSectionColor(TColor color) { sectionColor_ = color; Invalidate(); }
    TImageList* SectionImages() const { return sectionImages_.List(); }
    void SetSectionImages(TImageList* images) { sectionImages_.SetList(images); Invalidate(); }
    TImageList* SubItemImages() const { return subItemImages_.List(); }
    void SetSubItemImages(TImageList* images);
    TPictureContainer* PictureContainer() const { return pictureContainer_; }
    void SetPictureContainer(TPictureContainer* container);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool wordWrap);
    int ImageSpacing() const { return imageSpacing_; }
    void SetImageSpacing(int spacing) { imageSpacing_ = spacing; Invalidate(); }
    bool Flat() const { return flat_; }
    void SetFlat(bool flat) { flat_ = flat; Invalidate(); }
    bool FullFocus() const { return fullFocus_; }
    void SetFullFocus(bool fullFocus) { fullFocus_ = fullFocus; Invalidate(); }
    TActiveSection ActiveSection() const { return activeSection_; }
    void SetActiveSection(TActiveSection active) { activeSection_ = active; }
    TListNodeType NodeType() const { return nodeType_; }
    void SetNodeType(TListNodeType type) { nodeType_ = type; Invalidate(); }
    TBitmap& ExpandGlyph() { return expandGlyph_; }
    TBitmap& ContractGlyph() { return contractGlyph_; }
    bool ExpandDisable() const { return expandDisable_; }
    void SetExpandDisable(bool disable) { expandDisable_ = disable; }
    bool ContractDisable() const { return contractDisable_; }
    void SetContractDisable(bool disable) { contractDisable_ = disable; }
    TSectionFocus SectionFocus() const { return sectionFocus_; }
    void SetSectionFocus(TSectionFocus focus) { sectionFocus_ = focus; Invalidate(); }
    TColor SelectionColor() const { return selectionColor_; }
    void SetSelectionColor(TColor color) { selectionColor_ = color; Invalidate(); }
    TColor SelectionTextColor() const { return selectionTextColor_; }
    void SetSelectionTextColor(TColor color) { selectionTextColor_ = color; Invalidate(); }
    // Tiled behind the rows; an empty bitmap means none.
    TBitmap& Wallpaper() { return wallpaper_; }
    TURLSettings& URLSettings() { return urlSettings_; }
    TTabPositionCollection& TabPositions() { return tabPositions_; }
    bool TabPosMove() const { return tabPosMove_; }
    void SetTabPosMove(bool move) { tabPosMove_ = move; Invalidate(); }
    TSListScrollStyle ScrollStyle() const { return scrollStyle_; }
    void SetScrollStyle(TSListScrollStyle style);
    TColor ScrollColor() const { return scrollColor_; }
    void SetScrollColor(TColor color);
    int ScrollWidth() const { return scrollWidth_; }
    void SetScrollWidth(int width);
    bool ScrollTrack() const { return scrollTrack_; }
    void SetScrollTrack(bool track) { scrollTrack_ = track; }

    // Selection by code: fires none of the user events.
    void SelectSubItem(int sectionIdx, int subItemIdx);
    void ContractAll();
    void ExpandAll();
    void BeginUpdate();
    void EndUpdate();
    bool Updating() const { return updateCount_ > 0; }
    // Section and sub-item (-1 on a header) of a row; false for a row below 0.
    bool GetSelection(int row, int& sectionIdx, int& subItemIdx) const;

    // Rows derived from the sections.
    int HeaderRow(int sectionIdx) const;
    int SectionOfRow(int row) const;
    int SubItemOfRow(int row) const;
    // Recomputes every row height, in one update, and repaints.
    void UpdateHeights();
    // The height the row of sub-item `subItemIdx` of `section` with text `s` gets.
    int SubItemRowHeight(TListSection& section, int subItemIdx, const std::string& s);
    // Where the text of a row starts, from the row's left: past the indent, a sub-item's check box
    // or radio button, and the row's image. Rows are measured, drawn and hit-tested from here.
    int TextLeft(TListSection& section, int subItemIdx) const;

    // In-place editing of a sub-item row (writable text sections only).
    bool Editing() const;
    void StartEdit(int row);
    // Commits the editor's text (when editing) and hides it; the list takes the focus back unless
    // `focusList` is false (the focus is on its way to another control).
    void EndEdit(bool focusList = true);

    TSectionEvent OnExpandSection;
    TSectionEvent OnContractSection;
    TSectionEvent OnSectionClick;
    TSectionEvent OnSectionRClick;
    TSectionEvent OnSectionDblClk;
    TSubItemEvent OnSubItemClick;
    TSubItemEvent OnSubItemRClick;
    TSubItemEvent OnSubItemDblClk;
    TSubItemEvent OnSubItemRDblClk;
    TSubItemEvent OnCheckBoxClick;
    TSubItemEvent OnRadioClick;
    TInsertSubItemEvent OnInsertSubItem;
    TInsertSectionEvent OnInsertSection;
    TDeleteSubItemEvent OnDeleteSubItem;
    TDeleteSectionEvent OnDeleteSection;
    TEditSubItemEvent OnStartEdit;
    TEditSubItemEvent OnEndEdit;
    TDrawSubItemEvent OnDrawItem;
    TDrawSubItemPropEvent OnDrawItemProp;
    TAnchorEvent OnAnchorClick;
    TAnchorEvent OnAnchorEnter;
    TAnchorEvent OnAnchorExit;
    TSubItemEvent OnChange;
    // Opens a URL or mail address of a row; unset: the shell's "open" verb.
    std::function<void(const std::string& target)> OpenURL;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    void FontChanged() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void Change() override;
    void DrawItem(int index, const RECT& rect, TOwnerDrawState state) override;
    bool DrawsOwnFocus() const override { return true; }
    void Resize() override;
    void Notification(TComponent* component, TOperation operation) override;
    // Hands the window's scroll ranges and positions to the flat scroll bars.
    virtual void UpdateFlatScrollInfo();

private:
    friend class TListSection;
    friend class TListSectionCollection;
    class TUpdateScope;

    // Rows of one section (the State setter's work).
    void ExpandRows(TListSection& section);
    void ContractRows(TListSection& section);
    void SectionAdded(TListSection& section);
    void SectionRemoving(TListSection& section);
    // The user's toggle of a header.
    void ToggleSection(int sectionIdx);
    void SetSubItemFont(TCanvas& canvas, TListSection& section);
    void SetHeaderFont(TCanvas& canvas, TListSection& section);
    static UINT RemeasureMessage();
    void ImagesChanged();
    // Row heights of `count` sub-items of `section` from `first` on, when they are shown.
    void RemeasureSubItems(TListSection& section, int first, int count);
    // The horizontal extent from every row, in one pass (not while updating).
    void UpdateHorizontalExtent();
    // A row shown or about to go, outside an update: the extent follows without a pass over all rows.
    void ExtentRowAdded(TListSection& section, const std::string& text);
    void ExtentRowRemoving(TListSection& section, const std::string& text);
    int RowExtent(const std::string& text);
    void ApplyHorizontalExtent();
    void HideHorizontalScrollBar();
    void InvalidateRow(int row);
    void RepaintSectionRows(TListSection& section);
    bool ToggleCheck(int sectionIdx, int subItemIdx);
    bool SubItemExists(int sectionIdx, int subItemIdx) const;
    int TextRight() const;

    void DrawRow(int index, const RECT& rect, TOwnerDrawState state);
    int DrawPlainText(TCanvas& canvas, TListSection& section, int row, const std::string& text, const RECT& rect,
                      int tabOrigin, int height, bool selected);
    void DrawRowLines(TCanvas& canvas, TListSection& section, const RECT& rect, bool header, bool focused);
    void DrawNode(TCanvas& canvas, TListSection& section, int x, const RECT& rect, int height, TColor background);
    void DrawSortButton(TCanvas& canvas, TListSection& section, const RECT& rect);
    void TileWallpaper(TCanvas& canvas, const RECT& rect);

    void LeftButtonDown(int x, int y, WPARAM keys, LPARAM lParam);
    void LeftButtonUp(int x, int y);
    // The section or the sub-item event for the row under a point.
    void FireRowEvent(int x, int y, const TSectionEvent& onSection, const TSubItemEvent& onSubItem);
    void PointerMove(int x, int y);
    // The pointer's look over the rows: nullptr for the control's own cursor.
    void ShowHoverCursor(HCURSOR cursor);
    // The editor over its row again, wherever the list has scrolled.
    void PlaceEditor();
    void SectionKeyDown(WORD key);
    void SectionKeyPress(char key);
    bool MarkupHit(int row, int x, int y, std::string& target);
    void OpenTarget(const std::string& target);
    void ApplyFlatScrollBars();
    // The options every measuring, drawing and hit-testing of a mark-up row passes.
    TMarkupOptions RowMarkupOptions(bool selected);

    TListSectionCollection sections_{this};
    bool oneExpanded_ = false;
    int sectionHeight_ = 14;
    int subItemHeight_ = 13;
    int sectionIndent_ = 14;
    int subItemIndent_ = 14;
    TFont sectionFont_;
    TColor sectionColor_ = clBtnFace;
    TImageListLink sectionImages_;
    TImageListLink subItemImages_;
    TPictureContainer* pictureContainer_ = nullptr;
    bool wordWrap_ = false;
    int imageSpacing_ = 0;
    bool flat_ = false;
    bool fullFocus_ = true;
    TActiveSection activeSection_ = asFull;
    TListNodeType nodeType_ = lnFlat;
    TBitmap expandGlyph_;
    TBitmap contractGlyph_;
    bool expandDisable_ = false;
    bool contractDisable_ = false;
    TSectionFocus sectionFocus_ = sfDash;
    TColor selectionColor_ = clHighlight;
    TColor selectionTextColor_ = clHighlightText;
    TBitmap wallpaper_;
    TURLSettings urlSettings_;
    TTabPositionCollection tabPositions_;
    bool tabPosMove_ = false;
    TSListScrollStyle scrollStyle_ = slsNormal;
    TColor scrollColor_ = clNone;
    int scrollWidth_;
    bool scrollTrack_ = true;

    int updateCount_ = 0;
    TBitmap measure_{1, 1};   // a canvas to measure on before and without the window
    TSectionRichText richText_;
    std::unique_ptr<THTMLPictureCache> pictureCache_;   // pictures given by address
    TSectionMemo* editor_ = nullptr;
    int editSection_ = -1;
    int editSubItem_ = -1;
    int editRow_ = -1;
    bool endingEdit_ = false;
    int dragTab_ = -1;          // the tab stop under the pointer on a header, or being dragged
    bool draggingTab_ = false;
    bool remeasurePosted_ = false;
    int dragX_ = -1;
    std::string hoverAnchor_;
    HCURSOR hoverCursor_ = nullptr;   // over a link or a tab stop; the control's Cursor stays the program's
    // How many rows need each width across: the widest gives the horizontal extent.
    std::map<int, int> rowExtents_;
};

// BeginUpdate / EndUpdate on every path.
class TSectionListBox::TUpdateScope {
public:
    explicit TUpdateScope(TSectionListBox& list) : list_(list) { list_.BeginUpdate(); }
    ~TUpdateScope() { list_.EndUpdate(); }
    TUpdateScope(const TUpdateScope&) = delete;
    TUpdateScope& operator=(const TUpdateScope&) = delete;

private:
    TSectionListBox& list_;
};
