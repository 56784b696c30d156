// TCustomExtListView: the enhanced list view with the platform's extended styles, a column order
// kept over re-creations and in the registry, header images, sub-item images, check states,
// and a virtual mode in which the owner supplies every item through events.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "EnhListView.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

// The extended styles as their platform bits; a TExStyles set is those bits or-ed.
enum TExStyle : unsigned {
    exsGridLines = LVS_EX_GRIDLINES,
    exsSubItemImages = LVS_EX_SUBITEMIMAGES,
    exsCheckBoxes = LVS_EX_CHECKBOXES,
    exsTrackSelect = LVS_EX_TRACKSELECT,
    exsHeaderDragDrop = LVS_EX_HEADERDRAGDROP,
    exsFullRowSelect = LVS_EX_FULLROWSELECT,
    exsOneClickActivate = LVS_EX_ONECLICKACTIVATE,
    exsTwoClickActivate = LVS_EX_TWOCLICKACTIVATE,
    exsFlatScrollBar = LVS_EX_FLATSB,
    exsInfoTip = LVS_EX_INFOTIP,
    exsUnderlineHot = LVS_EX_UNDERLINEHOT,
    exsUnderlineCold = LVS_EX_UNDERLINECOLD,
    exsLabelTip = LVS_EX_LABELTIP,
};
using TExStyles = unsigned;
// Every bit a TExStyles may hold.
constexpr TExStyles AllExStyles = 0x5DFF;

// The underline styles need an activation style to show: adds the one they lack.
TExStyles CompletedExStyles(TExStyles styles);

enum TColumnImageAlign { ciaLeftOfText, ciaRightOfText };

// The parts of an item a virtual-mode request asks for, as the platform's item mask bits.
enum TItemInfoKind : unsigned {
    iikText = LVIF_TEXT,
    iikImage = LVIF_IMAGE,
    iikParam = LVIF_PARAM,
    iikState = LVIF_STATE,
    iikIndent = LVIF_INDENT,
};
using TItemInfoKinds = unsigned;
constexpr TItemInfoKinds AllItemInfoKinds = 0x1F;

enum TItemCountFlag : unsigned { icfNoInvalidateAll = LVSICF_NOINVALIDATEALL, icfNoScroll = LVSICF_NOSCROLL };
using TItemCountFlags = unsigned;

// Packs what a virtual-mode handler answered into an item state: its own bits 0-7 and 28-31,
// the overlay image (low 4 bits) in bits 8-11, the state image in bits 12-27.
UINT VirtualItemState(UINT state, WORD overlayImage, WORD stateImage);

class TCustomExtListView;
class TqelExtListColumns;

// What the extended view adds to one list column (same index).
class TqelExtListColumn {
public:
    int Index() const;
    int ImageIndex() const { return imageIndex_; }   // of SmallImages; -1: none
    void SetImageIndex(int index);
    TColumnImageAlign ImageAlignment() const { return imageAlignment_; }
    void SetImageAlignment(TColumnImageAlign alignment);
    // Off: the user cannot resize the column with the mouse.
    bool AllowResize() const { return allowResize_; }
    void SetAllowResize(bool allow) { allowResize_ = allow; }
    // Copies the image and its alignment; AllowResize stays.
    void Assign(const TqelExtListColumn& source);

private:
    friend class TqelExtListColumns;
    explicit TqelExtListColumn(TqelExtListColumns& owner) : owner_(owner) {}

    TqelExtListColumns& owner_;
    int imageIndex_ = -1;
    TColumnImageAlign imageAlignment_ = ciaRightOfText;
    bool allowResize_ = true;
};

class TqelExtListColumns {
public:
    explicit TqelExtListColumns(TCustomExtListView& owner) : owner_(owner) {}
    TqelExtListColumns(const TqelExtListColumns&) = delete;
    TqelExtListColumns& operator=(const TqelExtListColumns&) = delete;

    TCustomExtListView& Owner() const { return owner_; }
    int Count() const { return static_cast<int>(columns_.size()); }
    // Throws EListError for a bad index.
    TqelExtListColumn* Items(int index) const { return ListAt(columns_, index).get(); }
    TqelExtListColumn* operator[](int index) const { return Items(index); }
    TqelExtListColumn* Add();
    void Clear();
    int IndexOf(const TqelExtListColumn* column) const;
    // Clears, then copies every column of `source` as TqelExtListColumn::Assign does.
    void Assign(const TqelExtListColumns& source);

private:
    friend class TqelExtListColumn;
    // A column changed (nullptr: all of them).
    void Update(TqelExtListColumn* column);

    TCustomExtListView& owner_;
    std::vector<std::unique_ptr<TqelExtListColumn>> columns_;
};

using TLVItemCheckedEvent = std::function<void(TComponent* sender, int index, bool checked)>;
using TLVMarqueeBeginEvent = std::function<void(TComponent* sender, bool& allow)>;
using TLVHotTrackEvent =
    std::function<void(TComponent* sender, int& item, int subItem, POINT& location, bool& allow)>;
using TLVInfoTipEvent =
    std::function<void(TComponent* sender, int item, int subItem, const std::string& text, std::string& infoTip)>;
using TLVVirtualItemInfoEvent =
    std::function<void(TComponent* sender, int item, int subItem, TItemInfoKinds& kinds, int& image,
                       WORD& overlayImage, WORD& stateImage, LPARAM& param, UINT& state, UINT& stateMask,
                       int& indent, std::string& text)>;
using TLVVirtualCacheHintEvent = std::function<void(TComponent* sender, const NMLVCACHEHINT& info)>;
using TLVVirtualFindItemEvent = std::function<void(TComponent* sender, const NMLVFINDITEMA& info, int& found)>;
using TLVVirtualStateChangeEvent = std::function<void(TComponent* sender, const NMLVODSTATECHANGE& info)>;
using TLVVirtualCaptionEditedEvent =
    std::function<void(TComponent* sender, int index, bool canceled, const std::string& text)>;

// A base class: descendants publish what they need.
class TCustomExtListView : public TCustomEnhListView {
public:
    explicit TCustomExtListView(TComponent* owner);
    ~TCustomExtListView() override;

    // Read back from the window while there is one.
    TExStyles ExStyles();
    void SetExStyles(TExStyles styles);
    // Entry i is the column shown at display position i. Without a window and without a stored
    // order the result is false and `order` stays as it was.
    bool GetColumnOrder(int count, std::vector<int>& order);
    void SetColumnOrder(int count, const std::vector<int>& order);
    bool ItemChecked(int index) const;
    void SetItemChecked(int index, bool checked);
    // The image of sub-item `subItem` (0: the second column); -1 when the window has none.
    int SubItemImage(int itemIndex, int subItem);
    void SetSubItemImage(int itemIndex, int subItem, int image);
    int SelectionMark() const { return selectionMark_; }
    void SetSelectionMark(int mark);
    // -1: the system's default.
    int HoverTime() const { return hoverTime_; }
    void SetHoverTime(int time);
    // The control holds no items; the owner supplies them through the virtual events.
    bool VirtualMode() const { return virtualMode_; }
    void SetVirtualMode(bool on);
    int VirtualItemCount() const { return virtualItemCount_; }
    TItemCountFlags VirtualCountFlags() const { return virtualCountFlags_; }
    void SetVirtualItemCount(int count, TItemCountFlags flags = 0);
    TqelExtListColumns& ExtColumns() { return extColumns_; }
    TqelExtLVSaveSettings& SaveSettings() override { return *extSaveSettings_; }

    int ActualColumnIndex(int index) const override;
    TListColumn* GetColumnFromIndex(int index) override;
    std::string GetSubItemText(int index, int subItem) const override;

    bool StoreSettings() override;
    bool LoadSettings() override;

    // Header images of one column, or of all with index -1.
    void RefreshColumnImages(int index = -1);

    TLVItemCheckedEvent OnItemCheckChange;
    TLVMarqueeBeginEvent OnMarqueeBegin;
    TNotifyEvent OnItemActivate;
    TLVHotTrackEvent OnHotTrack;
    TLVInfoTipEvent OnInfoTip;
    TLVVirtualItemInfoEvent OnVirtualItemInfo;
    TLVVirtualCacheHintEvent OnVirtualCacheHint;
    TLVVirtualFindItemEvent OnVirtualFindItem;
    TLVVirtualStateChangeEvent OnVirtualStateChange;
    TLVVirtualCaptionEditedEvent OnVirtualCaptionEdited;

protected:
    void CreateWnd() override;
    void DestroyWnd() override;
    void Loaded() override;
    DWORD ExtraStyle() const override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void ColumnsChanged() override;
    void ImageListChanged(int which) override;
    bool HeaderResizeBlocked(int item) const override;
    // Also when the owner sorts (OnSortItems).
    bool SortArrowWanted() const override { return TCustomEnhListView::SortArrowWanted() || OnSortItems != nullptr; }

    void DefaultDrawItem(int index, RECT rect, TOwnerDrawState state, bool fullRowSelect) override;
    void DefaultDrawSubItem(int index, int subItem, RECT rect, TOwnerDrawState state) override;
    bool DoDrawItem(int index, RECT rect, TOwnerDrawState state, bool& fullRowSelect) override;
    void DefaultDrawHeader(TCanvas& canvas, int index, RECT rect, bool selected) override;
    std::string GetVersion() const override { return "TqelExtListView v3.72"; }

    virtual void DoItemCheckChange(int index, bool checked);
    virtual bool DoMarqueeBegin();
    virtual void DoItemActivate();
    virtual bool DoHotTrack(NMLISTVIEW& info);
    virtual void DoInfoTip(NMLVGETINFOTIPA& info, bool wide);
    virtual void DoVirtualItemInfo(LVITEMA& item, bool wide);
    virtual void DoVirtualCacheHint(const NMLVCACHEHINT& info);
    virtual int DoVirtualFindItem(const NMLVFINDITEMA& info);
    virtual void DoVirtualStateChange(const NMLVODSTATECHANGE& info);
    void DoVirtualCaptionEdited(int index, bool canceled, const std::string& text);

private:
    struct SavedItem {
        bool checked;
        std::vector<int> subItemImages;
    };

    // The order the window shows, else the stored one, else 0, 1, 2, ...
    std::vector<int> CurrentOrder() const;
    int DisplayedColumnWidth(int position) const;
    void SetNativeColumnImage(int index);
    bool HeaderImageFor(int index, const TqelExtListColumn*& column) const;
    void ApplyCallbackMask();
    void RestoreItemStates();
    bool ResizeRefused(const NMHEADERA& info);

    TExStyles exStyles_ = exsInfoTip;
    std::vector<int> columnOrder_;
    TqelExtListColumns extColumns_;
    bool virtualMode_ = false;
    std::unique_ptr<TqelExtLVSaveSettings> extSaveSettings_;
    int selectionMark_ = -1;
    int hoverTime_ = -1;
    int virtualItemCount_ = 0;
    TItemCountFlags virtualCountFlags_ = 0;
    std::unique_ptr<std::vector<SavedItem>> savedStates_;
    bool checkWasSet_ = false;
    int checkItemIndex_ = -1;
    bool restoringStates_ = false;
};
