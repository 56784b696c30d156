// The tree view control: the node model and how it is mirrored into the window.
#include <windows.h>
#include <commctrl.h>

#include "TreeView.h"

#include <algorithm>
#include <cstring>
#include <utility>

namespace {

// -1 in a tree item asks the parent for the image on every paint; "no image" is another value.
int WindowImage(int index)
{
    if (index == TTreeNode::ImageOnRequest)
        return I_IMAGECALLBACK;
    return index < 0 ? I_IMAGENONE : index;
}

bool TextBefore(const std::string& a, const std::string& b)
{
    return lstrcmpiA(a.c_str(), b.c_str()) < 0;
}

// Orders the window's children as the model has them.
int CALLBACK ModelOrder(LPARAM a, LPARAM b, LPARAM)
{
    return reinterpret_cast<TTreeNode*>(a)->Index() - reinterpret_cast<TTreeNode*>(b)->Index();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TTreeNode

std::vector<std::unique_ptr<TTreeNode>>& TTreeNode::Siblings() const
{
    return parent_ ? parent_->children_ : view_.nodes_.roots_;
}

int TTreeNode::Level() const
{
    int level = 0;
    for (TTreeNode* p = parent_; p; p = p->parent_)
        ++level;
    return level;
}

int TTreeNode::Index() const
{
    const auto& siblings = Siblings();
    for (size_t i = 0; i < siblings.size(); ++i)
        if (siblings[i].get() == this)
            return static_cast<int>(i);
    return -1;
}

TTreeNode* TTreeNode::GetNextSibling() const
{
    const auto& siblings = Siblings();
    size_t next = static_cast<size_t>(Index()) + 1;
    return next < siblings.size() ? siblings[next].get() : nullptr;
}

TTreeNode* TTreeNode::GetPrevSibling() const
{
    const int index = Index();
    return index > 0 ? Siblings()[static_cast<size_t>(index) - 1].get() : nullptr;
}

TTreeNode* TTreeNode::GetNextVisible() const
{
    return view_.NodeAtGeneration(TVGN_NEXTVISIBLE, this);
}

TTreeNode* TTreeNode::GetPrevVisible() const
{
    return view_.NodeAtGeneration(TVGN_PREVIOUSVISIBLE, this);
}

void TTreeNode::MakeVisible()
{
    if (item_ && view_.HandleAllocated()) {
        SendMessageA(view_.Handle(), TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item_));
        return;
    }
    for (TTreeNode* p = parent_; p; p = p->parent_)
        p->expanded_ = true;
}

RECT TTreeNode::DisplayRect(bool textOnly) const
{
    RECT rect = {};
    if (!item_ || !view_.HandleAllocated())
        return rect;
    // The message takes the item in the rectangle's place.
    std::memcpy(&rect, &item_, sizeof item_);
    if (!SendMessageA(view_.Handle(), TVM_GETITEMRECT, textOnly ? TRUE : FALSE, reinterpret_cast<LPARAM>(&rect)))
        rect = {};
    return rect;
}

void TTreeNode::AlphaSort(bool recurse)
{
    view_.SortChildren(children_, recurse);
    view_.WindowSortChildren(this, recurse);
}

void TTreeNode::SetHasChildren(bool has)
{
    hasChildren_ = has;
    view_.WindowSetItem(this, TVIF_CHILDREN);
}

void TTreeNode::SetText(const std::string& text)
{
    text_ = text;
    view_.WindowSetItem(this, TVIF_TEXT);
    if (view_.sortType_ == stText) {
        view_.SortChildren(Siblings(), false);
        view_.WindowSortChildren(parent_, false);
    }
}

void TTreeNode::SetImageIndex(int index)
{
    imageIndex_ = index;
    view_.WindowSetItem(this, TVIF_IMAGE | TVIF_SELECTEDIMAGE);
}

void TTreeNode::SetSelectedIndex(int index)
{
    selectedIndex_ = index;
    view_.WindowSetItem(this, TVIF_SELECTEDIMAGE);
}

void TTreeNode::SetCut(bool cut)
{
    cut_ = cut;
    view_.WindowSetItem(this, TVIF_STATE);
}

bool TTreeNode::EditText()
{
    if (!item_ || !view_.HandleAllocated() || view_.ReadOnly())
        return false;
    SetFocus(view_.Handle());
    return SendMessageA(view_.Handle(), TVM_EDITLABELA, 0, reinterpret_cast<LPARAM>(item_)) != 0;
}

bool TTreeNode::Expanded() const
{
    if (item_ && view_.HandleAllocated())
        return (SendMessageA(view_.Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item_), TVIS_EXPANDED) &
                TVIS_EXPANDED) != 0;
    return expanded_;
}

void TTreeNode::Expand(bool recurse)
{
    view_.SetExpanded(this, true);
    if (recurse)
        for (auto& child : children_)
            child->Expand(true);
}

void TTreeNode::Collapse(bool recurse)
{
    if (recurse)
        for (auto& child : children_)
            child->Collapse(true);
    view_.SetExpanded(this, false);
}

bool TTreeNode::Selected() const
{
    return view_.Selected() == this;
}

// ---------------------------------------------------------------------------------------------
// TTreeNodes

int TTreeNodes::Count() const
{
    int count = 0;
    std::vector<const TTreeNode*> pending;
    for (const auto& root : roots_)
        pending.push_back(root.get());
    while (!pending.empty()) {
        const TTreeNode* node = pending.back();
        pending.pop_back();
        ++count;
        for (const auto& child : node->children_)
            pending.push_back(child.get());
    }
    return count;
}

TTreeNode* TTreeNodes::Add(const std::string& text)
{
    return view_.Insert(nullptr, text);
}

TTreeNode* TTreeNodes::AddChild(TTreeNode* parent, const std::string& text)
{
    return view_.Insert(parent, text);
}

TTreeNode* TTreeNodes::Insert(TTreeNode* sibling, const std::string& text)
{
    return view_.Insert(sibling ? sibling->Parent() : nullptr, text, sibling);
}

void TTreeNodes::Delete(TTreeNode* node)
{
    if (node)
        view_.DeleteNode(node);
}

void TTreeNodes::Clear()
{
    while (!roots_.empty())
        view_.DeleteNode(roots_.back().get());
}

void TTreeNodes::BeginUpdate()
{
    if (updateCount_++ == 0 && view_.HandleAllocated())
        SendMessageA(view_.Handle(), WM_SETREDRAW, FALSE, 0);
}

void TTreeNodes::EndUpdate()
{
    if (updateCount_ == 0 || --updateCount_ > 0 || !view_.HandleAllocated())
        return;
    SendMessageA(view_.Handle(), WM_SETREDRAW, TRUE, 0);
    InvalidateRect(view_.Handle(), nullptr, TRUE);
}

// ---------------------------------------------------------------------------------------------
// TTreeView

TTreeView::TTreeView(TComponent* owner) : TWinControl(owner), nodes_(*this)
{
    SetBounds(0, 0, 121, 97);
    SetColor(clWindow);
    // The tree view reports its own clicks and keeps the mouse while a button is down.
    clickEvents_ = false;
    doubleClicks_ = false;
}

TTreeView::~TTreeView()
{
    dying_ = true;
    images_.SetList(nullptr);
    stateImages_.SetList(nullptr);
    // The window goes while the nodes its entries point to still exist.
    if (HandleAllocated())
        DestroyWindow(Handle());
}

DWORD TTreeView::StyleBits() const
{
    DWORD bits = TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT;
    if (!hideSelection_)
        bits |= TVS_SHOWSELALWAYS;
    if (autoExpand_)
        bits |= TVS_SINGLEEXPAND;
    if (!readOnly_)
        bits |= TVS_EDITLABELS;
    return bits;
}

void TTreeView::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.systemClass = WC_TREEVIEWA;
    params.style |= WS_TABSTOP | StyleBits();
    if (ctl3D_)
        params.exStyle |= WS_EX_CLIENTEDGE;
    else
        params.style |= WS_BORDER;
}

void TTreeView::CreateWnd()
{
    TWinControl::CreateWnd();
    if (!HandleAllocated())
        return;
    ApplyColors();
    ApplyImageList(TVSIL_NORMAL);
    ApplyImageList(TVSIL_STATE);
    for (auto& root : nodes_.roots_)
        WindowInsertTree(root.get());
    // The window takes over the states the nodes kept; none of this is news to the handlers.
    quiet_ = true;
    restoring_ = true;
    std::vector<TTreeNode*> pending;
    for (auto& root : nodes_.roots_)
        pending.push_back(root.get());
    while (!pending.empty()) {
        TTreeNode* node = pending.back();
        pending.pop_back();
        if (node->expanded_)
            SendMessageA(Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(node->item_));
        for (auto& child : node->children_)
            pending.push_back(child.get());
    }
    if (selected_)
        SendMessageA(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(selected_->item_));
    quiet_ = false;
    restoring_ = false;
}

LRESULT TTreeView::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // However the window goes (re-creation, a new parent), the nodes keep what it knew.
    if (msg == WM_DESTROY && !dying_) {
        selected_ = Selected();
        PullStates(nodes_.roots_);
        quiet_ = true;
        restoring_ = true;
        LRESULT result = TWinControl::WndProc(msg, wParam, lParam);
        quiet_ = false;
        restoring_ = false;
        ForgetItems(nodes_.roots_);
        dropTarget_ = nullptr;
        return result;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

void TTreeView::PullStates(std::vector<std::unique_ptr<TTreeNode>>& nodes)
{
    for (auto& node : nodes) {
        node->expanded_ = node->Expanded();
        PullStates(node->children_);
    }
}

void TTreeView::ForgetItems(std::vector<std::unique_ptr<TTreeNode>>& nodes)
{
    for (auto& node : nodes) {
        node->item_ = nullptr;
        ForgetItems(node->children_);
    }
}

bool TTreeView::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    if (msg != WM_NOTIFY)
        return TWinControl::Reflected(msg, wParam, lParam, result);
    if (dying_)
        return false;
    auto* header = reinterpret_cast<NMHDR*>(lParam);
    // The ANSI and wide notifications agree in everything read here.
    auto* info = reinterpret_cast<NMTREEVIEWA*>(lParam);
    switch (header->code) {
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
        if (!quiet_)
            Change(NodeOf(info->itemNew.hItem));
        result = 0;
        return true;
    case TVN_ITEMEXPANDINGA:
    case TVN_ITEMEXPANDINGW: {
        TTreeNode* node = restoring_ ? nullptr : NodeOf(info->itemNew.hItem);
        // A collapse by code was asked before (the window asks only for the user's).
        const bool refused = node && ((info->action & TVE_EXPAND) ? !CanExpand(node)
                                      : (info->action & TVE_COLLAPSE) ? !quiet_ && !CanCollapse(node) : false);
        refusedCollapse_ = refused && (info->action & TVE_COLLAPSE) ? node : nullptr;
        result = refused ? TRUE : FALSE;
        return true;
    }
    case TVN_SELCHANGINGA:
    case TVN_SELCHANGINGW: {
        TTreeNode* node = quiet_ || restoring_ ? nullptr : NodeOf(info->itemNew.hItem);
        result = node && !CanChange(node) ? TRUE : FALSE;
        return true;
    }
    case TVN_BEGINLABELEDITA:
    case TVN_BEGINLABELEDITW: {
        TTreeNode* node = NodeOf(reinterpret_cast<NMTVDISPINFOA*>(lParam)->item.hItem);
        result = !readOnly_ && node && CanEdit(node) ? FALSE : TRUE;
        editing_ = result == FALSE;
        return true;
    }
    case TVN_ENDLABELEDITA: {
        // The node takes the text itself (or keeps its own); the window follows the node. An edit
        // ends once: Wine reports the end again while it takes the editor down.
        auto* edit = reinterpret_cast<NMTVDISPINFOA*>(lParam);
        const bool ending = std::exchange(editing_, false);
        if (TTreeNode* node = ending && edit->item.pszText ? NodeOf(edit->item.hItem) : nullptr)
            Edit(node, edit->item.pszText);
        result = FALSE;
        return true;
    }
    case TVN_GETDISPINFOA:
        result = FillDisplayInfo(reinterpret_cast<NMTVDISPINFOA*>(lParam));
        return true;
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW:
        if (TTreeNode* refused = std::exchange(refusedCollapse_, nullptr);
            refused && refused == NodeOf(info->itemNew.hItem) && (info->action & TVE_COLLAPSE)) {
            // Wine collapses a node for the user although the handler refused: it opens again.
            quiet_ = true;
            SendMessageA(Handle(), TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(refused->item_));
            quiet_ = false;
            result = 0;
            return true;
        }
        if (TTreeNode* node = quiet_ ? nullptr : NodeOf(info->itemNew.hItem)) {
            if (info->action & TVE_EXPAND)
                Expanded(node);
            else if (info->action & TVE_COLLAPSE)
                Collapsed(node);
        }
        result = 0;
        return true;
    default:
        return false;
    }
}

LRESULT TTreeView::FillDisplayInfo(NMTVDISPINFOA* info)
{
    auto* node = reinterpret_cast<TTreeNode*>(info->item.lParam);
    if (!node || !(info->item.mask & (TVIF_IMAGE | TVIF_SELECTEDIMAGE)))
        return 0;
    if (node->imageIndex_ == TTreeNode::ImageOnRequest) {
        // Released on every way out: the window takes the images from the notification meanwhile.
        struct Filling {
            bool& flag;
            explicit Filling(bool& f) : flag(f) { flag = true; }
            ~Filling() { flag = false; }
        } filling(fillingDisplayInfo_);
        GetImageIndex(node);
        GetSelectedIndex(node);
    }
    info->item.iImage = WindowImage(node->imageIndex_ == TTreeNode::ImageOnRequest ? -1 : node->imageIndex_);
    const int selected = node->ShownSelectedImage();
    info->item.iSelectedImage = WindowImage(selected == TTreeNode::ImageOnRequest ? -1 : selected);
    // The window keeps what it got and asks no more.
    info->item.mask |= TVIF_DI_SETITEM;
    return 0;
}

TTreeNode* TTreeView::NodeAtGeneration(UINT relation, const TTreeNode* from) const
{
    if (!from->item_ || !HandleAllocated())
        return nullptr;
    return NodeOf(reinterpret_cast<HTREEITEM>(SendMessageA(const_cast<TTreeView*>(this)->Handle(), TVM_GETNEXTITEM,
                                                           relation, reinterpret_cast<LPARAM>(from->item_))));
}

TTreeNode* TTreeView::NodeOf(HTREEITEM item) const
{
    if (!item || !HandleAllocated())
        return nullptr;
    TVITEMA tv = {};
    tv.mask = TVIF_PARAM | TVIF_HANDLE;
    tv.hItem = item;
    if (!SendMessageA(const_cast<TTreeView*>(this)->Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv)))
        return nullptr;
    return reinterpret_cast<TTreeNode*>(tv.lParam);
}

void TTreeView::Change(TTreeNode* node)
{
    if (OnChange)
        OnChange(this, node);
}

bool TTreeView::CanChange(TTreeNode* node)
{
    return Allowed(OnChanging, node);
}

bool TTreeView::CanExpand(TTreeNode* node)
{
    return Allowed(OnExpanding, node);
}

bool TTreeView::CanCollapse(TTreeNode* node)
{
    return Allowed(OnCollapsing, node);
}

bool TTreeView::CanEdit(TTreeNode* node)
{
    return Allowed(OnEditing, node);
}

bool TTreeView::Allowed(const TTVChangingEvent& event, TTreeNode* node)
{
    bool allow = true;
    if (event)
        event(this, node, allow);
    return allow;
}

void TTreeView::Edit(TTreeNode* node, const std::string& text)
{
    std::string edited = text;
    if (OnEdited)
        OnEdited(this, node, edited);
    node->SetText(edited);
}

void TTreeView::Deletion(TTreeNode* node)
{
    if (OnDeletion)
        OnDeletion(this, node);
}

void TTreeView::GetImageIndex(TTreeNode* node)
{
    if (OnGetImageIndex)
        OnGetImageIndex(this, node);
}

void TTreeView::GetSelectedIndex(TTreeNode* node)
{
    if (OnGetSelectedIndex)
        OnGetSelectedIndex(this, node);
}

int TTreeView::Compare(TTreeNode* a, TTreeNode* b)
{
    int order = lstrcmpiA(a->text_.c_str(), b->text_.c_str());
    if (OnCompare)
        OnCompare(this, a, b, 0, order);
    return order;
}

void TTreeView::Expanded(TTreeNode* node)
{
    if (OnExpanded)
        OnExpanded(this, node);
}

void TTreeView::Collapsed(TTreeNode* node)
{
    if (OnCollapsed)
        OnCollapsed(this, node);
}

size_t TTreeView::InsertPosition(const std::vector<std::unique_ptr<TTreeNode>>& siblings,
                                 const std::string& text) const
{
    if (sortType_ != stText)
        return siblings.size();
    auto place = std::upper_bound(siblings.begin(), siblings.end(), text,
                                  [](const std::string& t, const std::unique_ptr<TTreeNode>& node) {
                                      return TextBefore(t, node->text_);
                                  });
    return static_cast<size_t>(place - siblings.begin());
}

TTreeNode* TTreeView::Insert(TTreeNode* parent, const std::string& text, const TTreeNode* before)
{
    if ((parent && &parent->view_ != this) || (before && &before->view_ != this))
        throw Exception("Der Knoten gehört zu einer anderen Baumansicht.");
    auto& siblings = parent ? parent->children_ : nodes_.roots_;
    size_t position = before ? static_cast<size_t>(before->Index()) : InsertPosition(siblings, text);
    auto inserted = siblings.insert(siblings.begin() + static_cast<std::ptrdiff_t>(position),
                                    std::unique_ptr<TTreeNode>(new TTreeNode(*this, parent)));
    TTreeNode* node = inserted->get();
    node->text_ = text;
    if (HandleAllocated() && (!parent || parent->item_)) {
        WindowInsert(node, position == 0 ? TVI_FIRST : siblings[position - 1]->item_);
        if (parent && siblings.size() == 1)
            WindowSetItem(parent, TVIF_CHILDREN);
    }
    return node;
}

void TTreeView::WindowInsert(TTreeNode* node, HTREEITEM after)
{
    TVINSERTSTRUCTA insert = {};
    insert.hParent = node->parent_ ? node->parent_->item_ : TVI_ROOT;
    insert.hInsertAfter = after;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN | TVIF_STATE;
    insert.item.state = node->cut_ ? TVIS_CUT : 0;
    insert.item.stateMask = TVIS_CUT;
    insert.item.cChildren = node->HasChildren() ? 1 : 0;
    insert.item.pszText = const_cast<char*>(node->text_.c_str());
    insert.item.iImage = WindowImage(node->imageIndex_);
    insert.item.iSelectedImage = WindowImage(node->ShownSelectedImage());
    insert.item.lParam = reinterpret_cast<LPARAM>(node);
    node->item_ = reinterpret_cast<HTREEITEM>(
        SendMessageA(Handle(), TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&insert)));
}

void TTreeView::WindowInsertTree(TTreeNode* node)
{
    WindowInsert(node, TVI_LAST);
    for (auto& child : node->children_)
        WindowInsertTree(child.get());
}

void TTreeView::WindowSetItem(TTreeNode* node, UINT mask)
{
    if (!node->item_ || !HandleAllocated() || fillingDisplayInfo_)
        return;
    TVITEMA tv = {};
    tv.mask = mask | TVIF_HANDLE;
    tv.cChildren = node->HasChildren() ? 1 : 0;
    tv.hItem = node->item_;
    tv.pszText = const_cast<char*>(node->text_.c_str());
    tv.iImage = WindowImage(node->imageIndex_);
    tv.iSelectedImage = WindowImage(node->ShownSelectedImage());
    tv.state = node->cut_ ? TVIS_CUT : 0;
    tv.stateMask = TVIS_CUT;
    SendMessageA(Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
}

void TTreeView::ReportDeletion(TTreeNode* node)
{
    for (auto& child : node->children_)
        ReportDeletion(child.get());
    Deletion(node);
}

void TTreeView::DeleteNode(TTreeNode* node)
{
    if (!dying_)
        ReportDeletion(node);
    for (TTreeNode* p = selected_; p; p = p->parent_)
        if (p == node) {
            selected_ = nullptr;
            break;
        }
    for (TTreeNode* p = dropTarget_; p; p = p->parent_)
        if (p == node) {
            dropTarget_ = nullptr;
            break;
        }
    if (node->item_ && HandleAllocated()) {
        // The window moves its selection off the deleted branch; the node goes without a report.
        quiet_ = true;
        SendMessageA(Handle(), TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(node->item_));
        quiet_ = false;
    }
    TTreeNode* parent = node->parent_;
    auto& siblings = node->Siblings();
    siblings.erase(siblings.begin() + node->Index());
    if (parent && siblings.empty())
        WindowSetItem(parent, TVIF_CHILDREN);
}

TTreeNode* TTreeView::DropTarget() const
{
    return HandleAllocated() ? dropTarget_ : nullptr;
}

void TTreeView::SetDropTarget(TTreeNode* node)
{
    if (!HandleAllocated())
        return;
    // Kept here too: Wine's control does not mark the selected node, yet a drop there must land.
    dropTarget_ = node;
    SendMessageA(Handle(), TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(node ? node->item_ : nullptr));
}

TTreeNode* TTreeView::TopItem() const
{
    if (!HandleAllocated())
        return nullptr;
    return NodeOf(reinterpret_cast<HTREEITEM>(
        SendMessageA(const_cast<TTreeView*>(this)->Handle(), TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0)));
}

void TTreeView::SetTopItem(TTreeNode* node)
{
    if (node && node->item_ && HandleAllocated())
        SendMessageA(Handle(), TVM_SELECTITEM, TVGN_FIRSTVISIBLE, reinterpret_cast<LPARAM>(node->item_));
}

TTreeNode* TTreeView::Selected() const
{
    if (HandleAllocated())
        return NodeOf(reinterpret_cast<HTREEITEM>(
            SendMessageA(const_cast<TTreeView*>(this)->Handle(), TVM_GETNEXTITEM, TVGN_CARET, 0)));
    return selected_;
}

void TTreeView::SetSelected(TTreeNode* node)
{
    if (HandleAllocated()) {
        // The window reports the change (TVN_SELCHANGED) when there is one.
        SendMessageA(Handle(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(node ? node->item_ : nullptr));
        return;
    }
    if (node == selected_)
        return;
    selected_ = node;
    Change(node);
}

void TTreeView::SetExpanded(TTreeNode* node, bool expand)
{
    if (node->Expanded() == expand)
        return;
    if (node->item_ && HandleAllocated()) {
        if (!expand && !CanCollapse(node))
            return;
        // The window asks before every expansion, not only before a node's first.
        TVITEMA tv = {};
        tv.mask = TVIF_HANDLE | TVIF_STATE;
        tv.hItem = node->item_;
        tv.stateMask = TVIS_EXPANDEDONCE;
        SendMessageA(Handle(), TVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        // The window reports some of these (a node's first expansion); this reports each once.
        quiet_ = true;
        SendMessageA(Handle(), TVM_EXPAND, expand ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(node->item_));
        quiet_ = false;
        // A node without children stays as it was.
        if (node->Expanded() != expand)
            return;
    } else {
        if (expand ? !CanExpand(node) : !CanCollapse(node))
            return;
        node->expanded_ = expand;
    }
    if (expand)
        Expanded(node);
    else
        Collapsed(node);
}

void TTreeView::SortChildren(std::vector<std::unique_ptr<TTreeNode>>& siblings, bool recurse)
{
    std::stable_sort(siblings.begin(), siblings.end(),
                     [this](const std::unique_ptr<TTreeNode>& a, const std::unique_ptr<TTreeNode>& b) {
                         return Compare(a.get(), b.get()) < 0;
                     });
    if (recurse)
        for (auto& node : siblings)
            SortChildren(node->children_, true);
}

void TTreeView::WindowSortChildren(TTreeNode* parent, bool recurse)
{
    if (!HandleAllocated() || (parent && !parent->item_))
        return;
    TVSORTCB sort = {};
    sort.hParent = parent ? parent->item_ : TVI_ROOT;
    sort.lpfnCompare = ModelOrder;
    SendMessageA(Handle(), TVM_SORTCHILDRENCB, 0, reinterpret_cast<LPARAM>(&sort));
    if (recurse)
        for (auto& child : parent ? parent->children_ : nodes_.roots_)
            if (child->HasChildren())
                WindowSortChildren(child.get(), true);
}

void TTreeView::AlphaSort()
{
    SortChildren(nodes_.roots_, true);
    WindowSortChildren(nullptr, true);
}

void TTreeView::SetSortType(TSortType type)
{
    sortType_ = type;
    if (type == stText)
        AlphaSort();
}

TTreeNode* TTreeView::GetNodeAt(int x, int y)
{
    if (!HandleAllocated())
        return nullptr;
    TVHITTESTINFO hit = {};
    hit.pt = {x, y};
    auto item = reinterpret_cast<HTREEITEM>(SendMessageA(Handle(), TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    return hit.flags & TVHT_ONITEM ? NodeOf(item) : nullptr;
}

bool TTreeView::IsEditing() const
{
    return HandleAllocated() && SendMessageA(const_cast<TTreeView*>(this)->Handle(), TVM_GETEDITCONTROL, 0, 0) != 0;
}

void TTreeView::SetImages(TImageList* list)
{
    SetImageList(images_, list, TVSIL_NORMAL);
}

void TTreeView::SetStateImages(TImageList* list)
{
    SetImageList(stateImages_, list, TVSIL_STATE);
}

void TTreeView::SetImageList(TImageListLink& link, TImageList* list, int which)
{
    if (list == link.List())
        return;
    link.SetList(list);
    ApplyImageList(which);
}

void TTreeView::ApplyImageList(int which)
{
    TImageList* list = which == TVSIL_STATE ? StateImages() : Images();
    if (HandleAllocated())
        SendMessageA(Handle(), TVM_SETIMAGELIST, static_cast<WPARAM>(which),
                     reinterpret_cast<LPARAM>(list ? list->Handle() : nullptr));
}

void TTreeView::ImagesChanged(int which)
{
    // The list may have a new handle after a change of size, or be gone.
    if (dying_)
        return;
    ApplyImageList(which);
    Invalidate();
}

void TTreeView::SetCtl3D(bool on)
{
    if (on == ctl3D_)
        return;
    ctl3D_ = on;
    if (!HandleAllocated())
        return;
    HWND window = Handle();
    LONG style = GetWindowLongA(window, GWL_STYLE);
    LONG exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    SetWindowLongA(window, GWL_STYLE, on ? style & ~WS_BORDER : style | WS_BORDER);
    SetWindowLongA(window, GWL_EXSTYLE, on ? exStyle | WS_EX_CLIENTEDGE : exStyle & ~WS_EX_CLIENTEDGE);
    SetWindowPos(window, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

void TTreeView::SetAutoExpand(bool on)
{
    autoExpand_ = on;
    UpdateStyleBits();
}

void TTreeView::SetHideSelection(bool hide)
{
    hideSelection_ = hide;
    UpdateStyleBits();
}

void TTreeView::SetReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    UpdateStyleBits();
}

void TTreeView::UpdateStyleBits()
{
    if (!HandleAllocated())
        return;
    const DWORD mask = TVS_SHOWSELALWAYS | TVS_SINGLEEXPAND | TVS_EDITLABELS;
    HWND window = Handle();
    DWORD style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
    DWORD wanted = (style & ~mask) | (StyleBits() & mask);
    if (wanted != style) {
        SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(wanted));
        InvalidateRect(window, nullptr, TRUE);
    }
}

void TTreeView::ApplyColors()
{
    if (!HandleAllocated())
        return;
    SendMessageA(Handle(), TVM_SETBKCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Color()) & 0xFFFFFF));
    SendMessageA(Handle(), TVM_SETTEXTCOLOR, 0, static_cast<LPARAM>(ColorToRGB(Font().Color()) & 0xFFFFFF));
}

void TTreeView::ColorChanged()
{
    ApplyColors();
    TWinControl::ColorChanged();
}

void TTreeView::FontChanged()
{
    TWinControl::FontChanged();
    ApplyColors();
}
