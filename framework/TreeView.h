// TTreeView: the platform's tree view (SysTreeView32), read-only unless asked otherwise, with its
// nodes (text, images, children) kept in the control, so that they exist before the window and
// survive its re-creation.
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

// stText: children are kept in the order of their texts (case-insensitive).
enum TSortType { stNone, stText };

class TTreeView;

class TTreeNode {
public:
    TTreeNode(const TTreeNode&) = delete;
    TTreeNode& operator=(const TTreeNode&) = delete;

    TTreeView& TreeView() const { return view_; }
    TTreeNode* Parent() const { return parent_; }
    // 0 for a top-level node.
    int Level() const;
    // The place among its siblings.
    int Index() const;

    const std::string& Text() const { return text_; }
    void SetText(const std::string& text);
    // Image of the node while it is not selected; -1 shows none.
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    // Image while it is selected; -1 takes ImageIndex.
    int SelectedIndex() const { return selectedIndex_; }
    void SetSelectedIndex(int index);
    // As an image index: the view's GetImageIndex sets the images when the node is first shown.
    static constexpr int ImageOnRequest = -2;
    void* Data() const { return data_; }
    void SetData(void* data) { data_ = data; }

    int Count() const { return static_cast<int>(children_.size()); }
    // The expand button: a node has children, or is marked to have some before they are read.
    bool HasChildren() const { return hasChildren_ || !children_.empty(); }
    void SetHasChildren(bool has);
    // Throws EListError for a bad index.
    TTreeNode* Item(int index) const { return ListAt(children_, index).get(); }
    TTreeNode* GetFirstChild() const { return children_.empty() ? nullptr : children_.front().get(); }
    TTreeNode* GetNextSibling() const;
    TTreeNode* GetPrevSibling() const;
    // The neighbours on screen (expanded branches only); nullptr without a window.
    TTreeNode* GetNextVisible() const;
    TTreeNode* GetPrevVisible() const;
    // Expands the parents and scrolls the node into view.
    void MakeVisible();
    // The node's row, or with textOnly its text, in client coordinates; empty when not shown.
    RECT DisplayRect(bool textOnly) const;
    // Orders the children by their texts (with recurse, every level below too).
    void AlphaSort(bool recurse = false);

    // Drawn as cut to the clipboard (faded), with or without a window.
    bool Cut() const { return cut_; }
    void SetCut(bool cut);
    // Starts the in-place edit of the text (only in a view that is not read-only); false when the
    // window refused it.
    bool EditText();

    bool Expanded() const;
    // Changes by code report OnExpanded/OnCollapsed as the user's do.
    void Expand(bool recurse = false);
    void Collapse(bool recurse = false);
    bool Selected() const;

    HTREEITEM ItemId() const { return item_; }

private:
    friend class TTreeNodes;
    friend class TTreeView;
    TTreeNode(TTreeView& view, TTreeNode* parent) : view_(view), parent_(parent) {}
    std::vector<std::unique_ptr<TTreeNode>>& Siblings() const;
    int ShownSelectedImage() const { return selectedIndex_ < 0 ? imageIndex_ : selectedIndex_; }

    TTreeView& view_;
    TTreeNode* parent_;
    std::string text_;
    int imageIndex_ = -1;
    int selectedIndex_ = -1;
    void* data_ = nullptr;
    std::vector<std::unique_ptr<TTreeNode>> children_;
    HTREEITEM item_ = nullptr;   // the window's entry while there is a window
    bool expanded_ = false;      // while there is no window; the window's own state rules otherwise
    bool hasChildren_ = false;
    bool cut_ = false;
};

// Every node of a tree view; the top-level nodes are its roots.
class TTreeNodes {
public:
    explicit TTreeNodes(TTreeView& view) : view_(view) {}
    TTreeNodes(const TTreeNodes&) = delete;
    TTreeNodes& operator=(const TTreeNodes&) = delete;

    TTreeView& TreeView() const { return view_; }
    // All nodes, at every level.
    int Count() const;
    int RootCount() const { return static_cast<int>(roots_.size()); }
    TTreeNode* Root(int index) const { return ListAt(roots_, index).get(); }
    TTreeNode* GetFirstNode() const { return roots_.empty() ? nullptr : roots_.front().get(); }

    // A new top-level node (last, or in text order with stText).
    TTreeNode* Add(const std::string& text);
    // A new last child of `parent` (nullptr: a top-level node).
    TTreeNode* AddChild(TTreeNode* parent, const std::string& text);
    // A new node just before `sibling`; nullptr: a last top-level node.
    TTreeNode* Insert(TTreeNode* sibling, const std::string& text);
    // Removes the node with its children.
    void Delete(TTreeNode* node);
    void Clear();
    // Between the two the window does not repaint; calls nest.
    void BeginUpdate();
    void EndUpdate();

private:
    friend class TTreeNode;
    friend class TTreeView;
    TTreeView& view_;
    std::vector<std::unique_ptr<TTreeNode>> roots_;
    int updateCount_ = 0;
};

using TTVChangedEvent = std::function<void(TComponent* sender, TTreeNode* node)>;
using TTVExpandedEvent = std::function<void(TComponent* sender, TTreeNode* node)>;
// `allow` comes in true; false refuses the change, expansion, collapse or edit.
using TTVChangingEvent = std::function<void(TComponent* sender, TTreeNode* node, bool& allow)>;
using TTVExpandingEvent = std::function<void(TComponent* sender, TTreeNode* node, bool& allow)>;
using TTVCollapsingEvent = std::function<void(TComponent* sender, TTreeNode* node, bool& allow)>;
using TTVEditingEvent = std::function<void(TComponent* sender, TTreeNode* node, bool& allow)>;
// The text the user committed; the node takes it as the handler leaves it.
using TTVEditedEvent = std::function<void(TComponent* sender, TTreeNode* node, std::string& text)>;
// `compare` below 0 puts node1 first; it comes in as the texts' order.
using TTVCompareEvent =
    std::function<void(TComponent* sender, TTreeNode* node1, TTreeNode* node2, int data, int& compare)>;

class TTreeView : public TWinControl {
public:
    explicit TTreeView(TComponent* owner);
    ~TTreeView() override;

    TTreeNodes& Items() { return nodes_; }
    const TTreeNodes& Items() const { return nodes_; }

    TImageList* Images() const { return images_.List(); }
    void SetImages(TImageList* list);
    // Drawn before a node's image, by the state image index of the node's window entry.
    TImageList* StateImages() const { return stateImages_.List(); }
    void SetStateImages(TImageList* list);

    // The selected node, or nullptr. Selecting by code reports OnChange as the user's clicks do.
    TTreeNode* Selected() const;
    void SetSelected(TTreeNode* node);
    // The node drawn as where a drop would land; nullptr without a window.
    TTreeNode* DropTarget() const;
    void SetDropTarget(TTreeNode* node);
    // The first row shown; nullptr without a window.
    TTreeNode* TopItem() const;
    void SetTopItem(TTreeNode* node);

    TSortType SortType() const { return sortType_; }
    // stText sorts at once and keeps every later node in place.
    void SetSortType(TSortType type);
    // Sorts the children of every level by their texts, once.
    void AlphaSort();

    // A sunken edge; off: a flat line border.
    bool Ctl3D() const { return ctl3D_; }
    void SetCtl3D(bool on);
    // Selecting a node expands it and collapses the branch that was open.
    bool AutoExpand() const { return autoExpand_; }
    void SetAutoExpand(bool on);
    // Off: the selection stays visible while the control has no focus.
    bool HideSelection() const { return hideSelection_; }
    void SetHideSelection(bool hide);
    // Off: the user may edit a node's text in place (as CanEdit allows).
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly);

    // The node at a client point, or nullptr.
    TTreeNode* GetNodeAt(int x, int y);
    // A node's text is being edited in place.
    bool IsEditing() const;

    TTVChangingEvent OnChanging;
    TTVChangedEvent OnChange;
    TTVExpandingEvent OnExpanding;
    TTVExpandedEvent OnExpanded;
    TTVCollapsingEvent OnCollapsing;
    TTVExpandedEvent OnCollapsed;
    TTVEditingEvent OnEditing;
    TTVEditedEvent OnEdited;
    // Each node of a deleted branch, children first (not while the view dies).
    TTVChangedEvent OnDeletion;
    // Asked by the sorts (AlphaSort, SetSortType, a sorted node's new text) instead of the texts.
    TTVCompareEvent OnCompare;
    // For a node whose image is ImageOnRequest, the first time the window draws it.
    TTVChangedEvent OnGetImageIndex;
    TTVChangedEvent OnGetSelectedIndex;

protected:
    void CreateParams(TCreateParams& params) override;
    // Fills the new window with the nodes.
    void CreateWnd() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
    void ColorChanged() override;
    void FontChanged() override;

    // Each raises its event; a descendant that overrides one calls it where the event belongs.
    virtual void Change(TTreeNode* node);
    virtual void Expanded(TTreeNode* node);
    virtual void Collapsed(TTreeNode* node);
    // Asked before the window expands or collapses a node (also by code) and before it selects
    // another; false refuses. None is asked while the window reorganises itself (deleting,
    // re-creating).
    virtual bool CanExpand(TTreeNode* node);
    virtual bool CanCollapse(TTreeNode* node);
    virtual bool CanChange(TTreeNode* node);
    // In-place editing: whether it may start, and the new text once the user commits it.
    virtual bool CanEdit(TTreeNode* node);
    virtual void Edit(TTreeNode* node, const std::string& text);
    // Each node of a deleted branch, children first, before it goes (not while the view dies).
    virtual void Deletion(TTreeNode* node);
    // For a node with ImageOnRequest, when the window first draws it: sets its image indexes,
    // then its selected one.
    virtual void GetImageIndex(TTreeNode* node);
    virtual void GetSelectedIndex(TTreeNode* node);

private:
    friend class TTreeNode;
    friend class TTreeNodes;

    // `which`: TVSIL_NORMAL (Images) or TVSIL_STATE (StateImages).
    void SetImageList(TImageListLink& link, TImageList* list, int which);
    void ImagesChanged(int which);
    void ApplyImageList(int which);
    // What a handler of OnChanging, OnExpanding, OnCollapsing or OnEditing says (true without one).
    bool Allowed(const TTVChangingEvent& event, TTreeNode* node);
    // Below 0 when `a` goes first: OnCompare's answer, else the texts' order.
    int Compare(TTreeNode* a, TTreeNode* b);
    void ApplyColors();
    void UpdateStyleBits();
    DWORD StyleBits() const;

    TTreeNode* Insert(TTreeNode* parent, const std::string& text, const TTreeNode* before = nullptr);
    // Where a node of `text` goes among `siblings` with the current sort.
    size_t InsertPosition(const std::vector<std::unique_ptr<TTreeNode>>& siblings, const std::string& text) const;
    void SortChildren(std::vector<std::unique_ptr<TTreeNode>>& siblings, bool recurse);
    void WindowSortChildren(TTreeNode* parent, bool recurse);
    void WindowInsert(TTreeNode* node, HTREEITEM after);
    void WindowInsertTree(TTreeNode* node);
    void WindowSetItem(TTreeNode* node, UINT mask);
    void ForgetItems(std::vector<std::unique_ptr<TTreeNode>>& nodes);
    // Pulls the expanded states from the window before it goes.
    void PullStates(std::vector<std::unique_ptr<TTreeNode>>& nodes);
    TTreeNode* NodeOf(HTREEITEM item) const;
    void DeleteNode(TTreeNode* node);
    void ReportDeletion(TTreeNode* node);
    void SetExpanded(TTreeNode* node, bool expand);
    TTreeNode* NodeAtGeneration(UINT relation, const TTreeNode* from) const;
    LRESULT FillDisplayInfo(NMTVDISPINFOA* info);

    TTreeNodes nodes_;
    TImageListLink images_{[this] { ImagesChanged(TVSIL_NORMAL); }};
    TImageListLink stateImages_{[this] { ImagesChanged(TVSIL_STATE); }};
    TSortType sortType_ = stNone;
    bool ctl3D_ = true;
    bool autoExpand_ = false;
    bool hideSelection_ = true;
    bool readOnly_ = true;
    TTreeNode* selected_ = nullptr;   // while there is no window
    TTreeNode* dropTarget_ = nullptr;
    bool quiet_ = false;              // the window changes selection or expansion without a report
    bool restoring_ = false;          // a new window takes over the nodes' states
    bool fillingDisplayInfo_ = false; // the window takes the images from the notification
    bool editing_ = false;            // an in-place edit began and has not ended
    TTreeNode* refusedCollapse_ = nullptr;   // the user's collapse a handler refused, until it ends
    bool dying_ = false;
};
