// The tree view control: nodes made before the window and kept across a new one, sorting by
// text, images, and the change and expand events for the user's actions and for code alike.
#include <windows.h>
#include <commctrl.h>

#include "Forms.h"
#include "ImageList.h"
#include "MessagePump.h"
#include "TestForm.h"
#include "TreeView.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

struct TreeOnForm : TestForm {
    TreeOnForm() : TestForm(20, 20, 300, 300)
    {
        tree = Add<TTreeView>(0, 0, 280, 280);
        tree->OnChange = [this](TComponent*, TTreeNode* node) { events.push_back("change " + Name(node)); };
        tree->OnExpanded = [this](TComponent*, TTreeNode* node) { events.push_back("expanded " + Name(node)); };
        tree->OnCollapsed = [this](TComponent*, TTreeNode* node) { events.push_back("collapsed " + Name(node)); };
    }
    static std::string Name(TTreeNode* node) { return node ? node->Text() : "(none)"; }

    // The window's nodes in display order, children in brackets: "a[x,y],b".
    std::string Shown() { return Shown(TVI_ROOT); }
    std::string Shown(HTREEITEM parent)
    {
        HWND window = tree->Handle();
        std::string shown;
        auto item = reinterpret_cast<HTREEITEM>(SendMessageA(
            window, TVM_GETNEXTITEM, parent == TVI_ROOT ? TVGN_ROOT : TVGN_CHILD, reinterpret_cast<LPARAM>(parent)));
        for (; item; item = reinterpret_cast<HTREEITEM>(
                         SendMessageA(window, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(item)))) {
            char text[64] = {};
            TVITEMA tv = {};
            tv.mask = TVIF_TEXT | TVIF_HANDLE;
            tv.hItem = item;
            tv.pszText = text;
            tv.cchTextMax = sizeof text;
            SendMessageA(window, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
            shown += (shown.empty() ? "" : ",") + std::string(text);
            std::string children = Shown(item);
            if (!children.empty())
                shown += "[" + children + "]";
        }
        return shown;
    }
    std::string Events()
    {
        std::string text;
        for (const std::string& event : events)
            text += (text.empty() ? "" : "; ") + event;
        events.clear();
        return text;
    }
    // The catalogue-like tree: two levels, added out of order.
    void Fill()
    {
        TTreeNodes& nodes = tree->Items();
        TTreeNode* zeta = nodes.Add("Zeta");
        nodes.AddChild(zeta, "b");
        nodes.AddChild(zeta, "A");
        nodes.Add("alpha");
        TTreeNode* mitte = nodes.Add("Mitte");
        nodes.AddChild(mitte, "x");
    }
    TTreeNode* Root(const std::string& text)
    {
        for (int i = 0; i < tree->Items().RootCount(); ++i)
            if (tree->Items().Root(i)->Text() == text)
                return tree->Items().Root(i);
        return nullptr;
    }

    TTreeView* tree;
    std::vector<std::string> events;
};

}  // namespace

TEST(TreeView, NodesMadeBeforeTheWindowAppearInItSortedByText)
{
    TreeOnForm f;
    f.Fill();
    EXPECT_EQ(f.tree->Items().Count(), 6);
    EXPECT_EQ(f.tree->Items().RootCount(), 3);
    f.tree->AlphaSort();
    EXPECT_EQ(f.Shown(), "alpha,Mitte[x],Zeta[A,b]");
    EXPECT_EQ(f.Root("Zeta")->Item(0)->Text(), "A");
    EXPECT_EQ(f.Root("Zeta")->Item(1)->Level(), 1);
    EXPECT_EQ(f.Root("Zeta")->Item(1)->Parent(), f.Root("Zeta"));
    EXPECT_EQ(f.Root("Mitte")->GetNextSibling(), f.Root("Zeta"));
}

TEST(TreeView, SortedTreesKeepLaterNodesInPlace)
{
    TreeOnForm f;
    f.tree->SetSortType(stText);
    f.Fill();
    f.tree->HandleNeeded();
    EXPECT_EQ(f.Shown(), "alpha,Mitte[x],Zeta[A,b]");
    // Nodes added to the live window go to their place too.
    f.tree->Items().Add("beta");
    f.tree->Items().AddChild(f.Root("Zeta"), "a0");
    EXPECT_EQ(f.Shown(), "alpha,beta,Mitte[x],Zeta[A,a0,b]");
    f.Root("beta")->SetText("zz");
    EXPECT_EQ(f.Shown(), "alpha,Mitte[x],Zeta[A,a0,b],zz");
    EXPECT_EQ(f.tree->Items().Root(3)->Text(), "zz");

    // Unsorted trees keep the order of adding.
    TreeOnForm g;
    g.Fill();
    EXPECT_EQ(g.Shown(), "Zeta[b,A],alpha,Mitte[x]");
}

TEST(TreeView, SelectingByCodeReportsTheChangeOnceWithOrWithoutAWindow)
{
    TreeOnForm f;
    f.Fill();
    f.tree->SetSelected(f.Root("alpha"));
    EXPECT_EQ(f.Events(), "change alpha");
    f.tree->SetSelected(f.Root("alpha"));
    EXPECT_EQ(f.Events(), "") << "the same node again is no change";
    EXPECT_EQ(f.tree->Selected(), f.Root("alpha"));

    // The window takes over the selection without a report.
    f.tree->HandleNeeded();
    EXPECT_EQ(f.Events(), "");
    EXPECT_EQ(f.tree->Selected(), f.Root("alpha"));
    EXPECT_TRUE(f.Root("alpha")->Selected());

    // A node inside a collapsed branch opens the branch to show it.
    TTreeNode* child = f.Root("Mitte")->Item(0);
    f.tree->SetSelected(child);
    EXPECT_EQ(f.Events(), "expanded Mitte; change x");
    EXPECT_EQ(f.tree->Selected(), child);
    f.tree->SetSelected(child);
    EXPECT_EQ(f.Events(), "");
}

TEST(TreeView, TheUsersClickOnANodeReportsTheChange)
{
    TreeOnForm f;
    f.Fill();
    f.form->Show();
    HWND window = f.tree->Handle();
    TTreeNode* mitte = f.Root("Mitte");
    // The message takes the item in the rectangle's first bytes.
    RECT rect = {};
    HTREEITEM item = mitte->ItemId();
    std::memcpy(&rect, &item, sizeof item);
    ASSERT_TRUE(SendMessageA(window, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect)));
    LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    EXPECT_EQ(f.tree->GetNodeAt((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2), mitte);
    // The tree view waits in its own loop for the button's release: it is queued beforehand.
    PostMessageA(window, WM_LBUTTONUP, 0, at);
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PumpMessages();
    EXPECT_EQ(f.Events(), "change Mitte");
    EXPECT_EQ(f.tree->Selected(), mitte);
    EXPECT_EQ(f.tree->GetNodeAt(270, 270), nullptr);
}

TEST(TreeView, ExpandingAndCollapsingReportOnlyRealChanges)
{
    TreeOnForm f;
    f.Fill();
    TTreeNode* zeta = f.Root("Zeta");
    zeta->Expand();   // before the window
    EXPECT_EQ(f.Events(), "expanded Zeta");
    EXPECT_TRUE(zeta->Expanded());
    f.tree->HandleNeeded();
    EXPECT_TRUE(zeta->Expanded()) << "the window took over the state";
    EXPECT_EQ(f.Events(), "");
    zeta->Expand();
    EXPECT_EQ(f.Events(), "") << "already expanded";
    zeta->Collapse();
    EXPECT_EQ(f.Events(), "collapsed Zeta");
    EXPECT_FALSE(zeta->Expanded());
    f.Root("alpha")->Expand();
    EXPECT_EQ(f.Events(), "") << "a node without children stays as it is";

    // The keyboard's expand and collapse come from the window.
    f.tree->SetSelected(f.Root("Mitte"));
    f.Events();
    SendMessageA(f.tree->Handle(), WM_KEYDOWN, VK_ADD, 0);
    EXPECT_EQ(f.Events(), "expanded Mitte");
    SendMessageA(f.tree->Handle(), WM_KEYDOWN, VK_SUBTRACT, 0);
    EXPECT_EQ(f.Events(), "collapsed Mitte");
}

TEST(TreeView, ANewWindowKeepsNodesStatesAndSelectionQuietly)
{
    TreeOnForm f;
    f.tree->SetSortType(stText);
    f.Fill();
    f.tree->HandleNeeded();
    f.Root("Zeta")->Expand();
    TTreeNode* child = f.Root("Zeta")->Item(1);
    f.tree->SetSelected(child);
    f.Events();
    DestroyWindow(f.tree->Handle());
    EXPECT_FALSE(f.tree->HandleAllocated());
    EXPECT_EQ(f.tree->Selected(), child) << "the selection outlives the window";
    f.tree->HandleNeeded();
    EXPECT_EQ(f.Shown(), "alpha,Mitte[x],Zeta[A,b]");
    EXPECT_TRUE(f.Root("Zeta")->Expanded());
    EXPECT_FALSE(f.Root("Mitte")->Expanded());
    EXPECT_EQ(f.tree->Selected(), child);
    EXPECT_EQ(f.Events(), "");
}

TEST(TreeView, NodesShowTheirImagesAndNoneForMinusOne)
{
    TreeOnForm f;
    TImageList images(16, 16);
    f.tree->SetImages(&images);
    TTreeNode* a = f.tree->Items().Add("a");
    a->SetImageIndex(1);
    a->SetSelectedIndex(0);
    TTreeNode* b = f.tree->Items().Add("b");
    f.tree->HandleNeeded();
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(f.tree->Handle(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0)),
              images.Handle());
    auto shownImages = [&](TTreeNode* node) {
        TVITEMA tv = {};
        tv.mask = TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_HANDLE;
        tv.hItem = node->ItemId();
        SendMessageA(f.tree->Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
        return std::to_string(tv.iImage) + "/" + std::to_string(tv.iSelectedImage);
    };
    EXPECT_EQ(shownImages(a), "1/0");
    EXPECT_EQ(shownImages(b), std::to_string(I_IMAGENONE) + "/" + std::to_string(I_IMAGENONE));
    a->SetImageIndex(0);
    b->SetImageIndex(2);
    EXPECT_EQ(shownImages(a), "0/0");
    EXPECT_EQ(shownImages(b), "2/2") << "the selected image follows when none is set";
}

TEST(TreeView, DeletingNodesForgetsTheirSelectionWithoutAReport)
{
    TreeOnForm f;
    f.tree->SetSortType(stText);
    f.Fill();
    f.tree->HandleNeeded();
    f.tree->SetSelected(f.Root("Zeta")->Item(0));
    f.Events();
    f.tree->Items().Delete(f.Root("Zeta"));
    EXPECT_EQ(f.Shown(), "alpha,Mitte[x]");
    EXPECT_EQ(f.tree->Items().Count(), 3);
    EXPECT_EQ(f.Events(), "");
    TTreeNode* selected = f.tree->Selected();
    EXPECT_TRUE(selected == nullptr || selected == f.Root("alpha") || selected == f.Root("Mitte") ||
                selected == f.Root("Mitte")->Item(0))
        << "a deleted node stays selected";
    f.tree->Items().Clear();
    EXPECT_EQ(f.Shown(), "");
    EXPECT_EQ(f.tree->Items().Count(), 0);
    EXPECT_EQ(f.tree->Selected(), nullptr);
    EXPECT_EQ(f.Events(), "");
}

namespace {

// Answers the view's questions as told and writes down what it was asked.
class AskingTree : public TTreeView {
public:
    using TTreeView::TTreeView;
    std::vector<std::string> asked;
    bool allowExpand = true;

protected:
    bool CanExpand(TTreeNode* node) override
    {
        asked.push_back("expand? " + node->Text());
        // Children read as the node opens, the way lazy trees do it.
        if (allowExpand && node->Count() == 0)
            Items().AddChild(node, "gelesen");
        return allowExpand;
    }
    void Deletion(TTreeNode* node) override { asked.push_back("delete " + node->Text()); }
    void GetImageIndex(TTreeNode* node) override
    {
        asked.push_back("image " + node->Text());
        node->SetImageIndex(3);
        node->SetSelectedIndex(4);
    }
};

}  // namespace

TEST(TreeView, MarkedNodesAskBeforeOpeningAndDeletedBranchesAreReportedChildrenFirst)
{
    TestForm host(20, 20, 200, 200);
    auto* tree = host.Add<AskingTree>(0, 0, 180, 180);
    TTreeNode* lazy = tree->Items().Add("lazy");
    lazy->SetHasChildren(true);
    TTreeNode* last = tree->Items().Add("last");
    TTreeNode* first = tree->Items().Insert(lazy, "first");
    tree->HandleNeeded();
    EXPECT_EQ(tree->Items().Root(0), first);
    EXPECT_TRUE(lazy->HasChildren());
    TVITEMA tv = {};
    tv.mask = TVIF_CHILDREN | TVIF_HANDLE;
    tv.hItem = lazy->ItemId();
    SendMessageA(tree->Handle(), TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tv));
    EXPECT_EQ(tv.cChildren, 1) << "the window shows the button before any child exists";

    tree->allowExpand = false;
    lazy->Expand(false);
    EXPECT_FALSE(lazy->Expanded()) << "refused";
    tree->allowExpand = true;
    lazy->Expand(false);
    EXPECT_TRUE(lazy->Expanded());
    EXPECT_EQ(lazy->Count(), 1);
    lazy->Collapse(false);
    tree->asked.clear();
    lazy->Expand(false);
    EXPECT_EQ(tree->asked, std::vector<std::string>{"expand? lazy"}) << "asked before every opening";

    TTreeNode* child = lazy->Item(0);
    child->SetImageIndex(TTreeNode::ImageOnRequest);
    tree->asked.clear();
    host.form->Show();
    UpdateWindow(tree->Handle());
    PumpMessages();
    EXPECT_EQ(std::count(tree->asked.begin(), tree->asked.end(), "image gelesen"), 1);
    EXPECT_EQ(child->ImageIndex(), 3);
    EXPECT_EQ(child->SelectedIndex(), 4);

    tree->asked.clear();
    tree->Items().AddChild(child, "enkel");
    tree->Items().Delete(lazy);
    EXPECT_EQ(tree->asked, (std::vector<std::string>{"delete enkel", "delete gelesen", "delete lazy"}));
    EXPECT_EQ(tree->Items().RootCount(), 2);
    EXPECT_EQ(tree->Items().Root(1), last);
}

namespace {

// Commits `text` in the node's in-place editor; the tree takes it as its Edit gets it.
class EditingTree : public TTreeView {
public:
    using TTreeView::TTreeView;
    std::vector<std::string> edits;

protected:
    void Edit(TTreeNode* node, const std::string& text) override
    {
        edits.push_back(text);
        TTreeView::Edit(node, text);
    }
};

}  // namespace

TEST(TreeView, AnEditInPlaceEndsOnceAndOnlyInAViewThatIsNotReadOnly)
{
    TestForm f(20, 20, 300, 300);
    auto* tree = f.Add<EditingTree>(0, 0, 280, 280);
    TTreeNode* node = tree->Items().Add("alt");
    tree->HandleNeeded();
    EXPECT_FALSE(node->EditText()) << "read-only";
    tree->SetReadOnly(false);
    ASSERT_TRUE(node->EditText());
    EXPECT_TRUE(tree->IsEditing());
    HWND edit = reinterpret_cast<HWND>(SendMessageA(tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
    SetWindowTextA(edit, "neu");
    SendMessageA(tree->Handle(), TVM_ENDEDITLABELNOW, FALSE, 0);
    PumpMessages();
    EXPECT_FALSE(tree->IsEditing());
    EXPECT_EQ(tree->edits, std::vector<std::string>{"neu"}) << "the end is reported once";
    EXPECT_EQ(node->Text(), "neu");
}

TEST(TreeView, CutMarksOutliveTheWindowAndADropTargetItsSelection)
{
    TreeOnForm f;
    f.Fill();
    TTreeNode* alpha = f.Root("alpha");
    alpha->SetCut(true);
    f.tree->HandleNeeded();
    auto shownCut = [&](TTreeNode* node) {
        return (SendMessageA(f.tree->Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node->ItemId()), TVIS_CUT) &
                TVIS_CUT) != 0;
    };
    EXPECT_TRUE(shownCut(alpha)) << "marked before the window";
    DestroyWindow(f.tree->Handle());
    f.tree->HandleNeeded();
    EXPECT_TRUE(shownCut(f.Root("alpha"))) << "and after a new one";
    alpha->SetCut(false);
    EXPECT_FALSE(shownCut(alpha));

    // Wine's control marks no selected node as drop target; the tree still knows it.
    f.tree->SetSelected(alpha);
    f.tree->SetDropTarget(alpha);
    EXPECT_EQ(f.tree->DropTarget(), alpha);
    TTreeNode* x = f.Root("Mitte")->Item(0);
    f.tree->SetDropTarget(x);
    EXPECT_EQ(f.tree->DropTarget(), x);
    f.tree->Items().Delete(f.Root("Mitte"));
    EXPECT_EQ(f.tree->DropTarget(), nullptr) << "gone with its branch";
}

TEST(TreeView, HandlersMayRefuseChangesExpansionsCollapsesAndEdits)
{
    TreeOnForm f;
    f.Fill();
    f.tree->SetReadOnly(false);
    bool allow = false;
    auto ask = [&](const char* what) {
        return [&f, &allow, what](TComponent*, TTreeNode* node, bool& allowed) {
            EXPECT_TRUE(allowed) << what << " comes in allowed";
            f.events.push_back(std::string(what) + "? " + f.Name(node));
            allowed = allow;
        };
    };
    f.tree->OnChanging = ask("change");
    f.tree->OnExpanding = ask("expand");
    f.tree->OnCollapsing = ask("collapse");
    f.tree->OnEditing = ask("edit");
    TTreeNode* zeta = f.Root("Zeta");

    // Without a window, then with one; by code and by the keyboard.
    zeta->Expand();
    EXPECT_EQ(f.Events(), "expand? Zeta");
    EXPECT_FALSE(zeta->Expanded());
    f.tree->HandleNeeded();
    zeta->Expand();
    EXPECT_EQ(f.Events(), "expand? Zeta");
    EXPECT_FALSE(zeta->Expanded());
    allow = true;
    zeta->Expand();
    EXPECT_EQ(f.Events(), "expand? Zeta; expanded Zeta");
    allow = false;
    zeta->Collapse();
    EXPECT_EQ(f.Events(), "collapse? Zeta");
    EXPECT_TRUE(zeta->Expanded());

    f.tree->SetSelected(f.Root("Mitte"));
    EXPECT_EQ(f.Events(), "change? Mitte");
    EXPECT_EQ(f.tree->Selected(), nullptr) << "refused";
    allow = true;
    f.tree->SetSelected(f.Root("Zeta"));
    EXPECT_EQ(f.Events(), "change? Zeta; change Zeta");
    allow = false;
    SendMessageA(f.tree->Handle(), WM_KEYDOWN, VK_DOWN, 0);
    EXPECT_EQ(f.Events(), "change? b");
    EXPECT_EQ(f.tree->Selected(), f.Root("Zeta"));
    SendMessageA(f.tree->Handle(), WM_KEYDOWN, VK_SUBTRACT, 0);
    EXPECT_EQ(f.Events(), "collapse? Zeta") << "the user's collapse";
    EXPECT_TRUE(zeta->Expanded());

    EXPECT_FALSE(f.Root("alpha")->EditText());
    EXPECT_EQ(f.Events(), "edit? alpha");
    EXPECT_FALSE(f.tree->IsEditing());
}

TEST(TreeView, EditsDeletionsSortsAndImagesOnRequestReachTheHandlers)
{
    TreeOnForm f;
    f.Fill();
    f.tree->SetReadOnly(false);
    f.tree->OnEdited = [&](TComponent*, TTreeNode* node, std::string& text) {
        f.events.push_back("edited " + f.Name(node) + " to " + text);
        text += "!";
    };
    f.tree->HandleNeeded();
    TTreeNode* alpha = f.Root("alpha");
    ASSERT_TRUE(alpha->EditText());
    f.Events();   // the focus selects the first node
    SetWindowTextA(reinterpret_cast<HWND>(SendMessageA(f.tree->Handle(), TVM_GETEDITCONTROL, 0, 0)), "beta");
    SendMessageA(f.tree->Handle(), TVM_ENDEDITLABELNOW, FALSE, 0);
    EXPECT_EQ(f.Events(), "edited alpha to beta");
    EXPECT_EQ(alpha->Text(), "beta!") << "as the handler left it";

    // Reversed by the handler: the sorts ask it, with the texts' order to start from.
    f.tree->OnCompare = [&](TComponent*, TTreeNode* a, TTreeNode* b, int, int& compare) {
        EXPECT_EQ(compare < 0, lstrcmpiA(a->Text().c_str(), b->Text().c_str()) < 0);
        compare = -compare;
    };
    f.tree->AlphaSort();
    EXPECT_EQ(f.Shown(), "Zeta[b,A],Mitte[x],beta!");
    f.tree->OnCompare = nullptr;
    f.Root("Zeta")->AlphaSort();
    EXPECT_EQ(f.Shown(), "Zeta[A,b],Mitte[x],beta!") << "one node's children by their texts";

    // Asked once a node on request is drawn: its image, then its selected image.
    TImageList images(16, 16);
    f.tree->SetImages(&images);
    f.tree->OnGetImageIndex = [&](TComponent*, TTreeNode* node) {
        f.events.push_back("image " + f.Name(node));
        node->SetImageIndex(2);
    };
    f.tree->OnGetSelectedIndex = [&](TComponent*, TTreeNode* node) {
        f.events.push_back("selected image " + f.Name(node));
        node->SetSelectedIndex(5);
    };
    TTreeNode* x = f.Root("Mitte")->Item(0);
    x->SetImageIndex(TTreeNode::ImageOnRequest);
    f.Events();
    f.Root("Mitte")->Expand();
    f.form->Show();
    UpdateWindow(f.tree->Handle());
    PumpMessages();
    EXPECT_EQ(f.Events(), "expanded Mitte; image x; selected image x");
    EXPECT_EQ(x->ImageIndex(), 2);
    EXPECT_EQ(x->SelectedIndex(), 5);

    // Children first; not for the nodes that go with the view.
    f.tree->OnDeletion = [&](TComponent*, TTreeNode* node) { f.events.push_back("delete " + f.Name(node)); };
    f.tree->Items().Delete(f.Root("Zeta"));
    EXPECT_EQ(f.Events(), "delete A; delete b; delete Zeta");
}

TEST(TreeView, AStateImageListReachesTheWindowAndLeavesWithIt)
{
    TreeOnForm f;
    auto stateList = [&] {
        return reinterpret_cast<HIMAGELIST>(SendMessageA(f.tree->Handle(), TVM_GETIMAGELIST, TVSIL_STATE, 0));
    };
    auto states = std::make_unique<TImageList>(16, 16);
    f.tree->SetStateImages(states.get());
    f.tree->HandleNeeded();
    EXPECT_EQ(f.tree->StateImages(), states.get());
    EXPECT_EQ(stateList(), states->Handle()) << "set before the window";
    f.tree->SetStateImages(nullptr);
    EXPECT_EQ(stateList(), nullptr);
    f.tree->SetStateImages(states.get());
    EXPECT_EQ(stateList(), states->Handle());
    EXPECT_EQ(reinterpret_cast<HIMAGELIST>(SendMessageA(f.tree->Handle(), TVM_GETIMAGELIST, TVSIL_NORMAL, 0)), nullptr)
        << "the normal list is another";
    states.reset();
    EXPECT_EQ(f.tree->StateImages(), nullptr) << "a list destroyed first is let go";
    EXPECT_EQ(stateList(), nullptr);
}
