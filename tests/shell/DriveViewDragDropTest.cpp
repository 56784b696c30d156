// The drive tree's drag and drop on the staged drive Q: (tools/wine-run.sh): the effect rules as a
// table, link names, hover expansion, Space and auto-scroll on an injected clock, drops from
// outside carried out by the tree, and a real drag of one node onto another.
#include <windows.h>
#include <ole2.h>
#include <shlobj.h>

#include "DirView.h"
#include "DragDropFilesEx.h"
#include "DriveTreeForm.h"
#include "ExceptionLog.h"
#include "KtDriveInfo.h"
#include "MouseInput.h"
#include "StagedFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr uint64_t Second = 10000000;   // in the clock's 100 ns units

std::string EffectName(DWORD effect)
{
    switch (effect) {
    case DROPEFFECT_NONE: return "none";
    case DROPEFFECT_COPY: return "copy";
    case DROPEFFECT_MOVE: return "move";
    case DROPEFFECT_LINK: return "link";
    default: return std::to_string(effect);
    }
}

// Folder data as another program offers it: the paths as a drop list.
ComPtr<IDataObject> FolderData(const std::vector<std::string>& paths)
{
    TFileList list;
    for (const std::string& path : paths)
        list.AddItem(nullptr, path);
    return ComPtr<IDataObject>(new TDataObjectFilesEx(list, false, true));
}

class DriveViewDrags : public testing::Test {
protected:
    DriveViewDrags() : folder("Ziehen", "Q:\\")
    {
        InitDragDrop();
        for (const char* name : {"Alpha", "Alpha\\Innen", "Beta", "Gamma"})
            CreateDirectoryA((folder.Path() + name).c_str(), nullptr);
        tree.view->SetDirectory(folder.Path() + "Gamma");
    }
    TTreeNode* Node(const std::string& relative) { return tree.view->NodeOfPath(folder.Path() + relative); }

    // Drops `paths` on a node through the tree's drop target, as another program's drag does,
    // and waits until the tree has carried the drop out.
    DWORD DropOn(TTreeNode* node, const std::vector<std::string>& paths, DWORD keys = 0,
                 DWORD offered = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK)
    {
        ComPtr<IDataObject> data = FolderData(paths);
        IDropTarget* target = tree.view->DragDrop().DropTarget();
        const POINT at = tree.ScreenPointOf(node);
        const POINTL pt = {at.x, at.y};
        DWORD effect = offered;
        target->DragEnter(data.get(), MK_LBUTTON | keys, pt, &effect);
        effect = offered;
        target->DragOver(MK_LBUTTON | keys, pt, &effect);
        effect = offered;
        int executed = 0;
        tree.view->OnDDExecuted = [&](TComponent*, DWORD) { ++executed; };
        target->Drop(data.get(), keys, pt, &effect);
        if (effect != DROPEFFECT_NONE)
            PumpMessagesUntil([&] { return executed > 0; });
        tree.view->OnDDExecuted = nullptr;
        return effect;
    }

    StagedFolder folder;
    DriveTree tree;
};

}  // namespace

TEST(DriveViewDropRules, TheEffectOfADropOnANode)
{
    const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
    const DWORD copyLink = DROPEFFECT_COPY | DROPEFFECT_LINK;
    const DWORD C = DROPEFFECT_COPY, M = DROPEFFECT_MOVE, L = DROPEFFECT_LINK, N = DROPEFFECT_NONE;
    struct Row {
        DWORD effect, keys, offered;
        UINT type;
        char target, drag;
        bool recycle, mapped, executables, own, inside, root;
        DWORD expected;
    };
    const Row rows[] = {
        // effect keys offered type target drag  recycle mapped exe own inside root  expected
        {C, 0, all, DRIVE_FIXED, 'Q', 'R', false, false, false, false, false, false, C},   // another drive
        {C, 0, all, DRIVE_FIXED, 'Q', 'Q', false, false, false, false, false, false, M},   // same drive moves
        {C, 0, all, DRIVE_FIXED, 'Q', 'q', false, false, false, false, false, false, M},
        {C, MK_CONTROL, all, DRIVE_FIXED, 'Q', 'Q', false, false, false, false, false, false, C},
        {C, 0, copyLink, DRIVE_FIXED, 'Q', 'Q', false, false, false, false, false, false, C},
        {C, 0, all, DRIVE_CDROM, 'Q', 'R', false, false, false, false, false, false, N},
        {L, MK_SHIFT | MK_CONTROL, all, DRIVE_CDROM, 'Q', 'R', false, false, false, false, false, false, N},
        {C, 0, all, DRIVE_FIXED, 'Q', 'R', true, false, false, false, false, false, M},    // recycle bin
        {C, 0, copyLink, DRIVE_FIXED, 'Q', 'R', true, false, false, false, false, false, N},
        {C, 0, all, DRIVE_FIXED, 'Q', 'R', true, true, false, false, false, false, N},     // out of a bin
        {L, 0, all, DRIVE_FIXED, 'Q', 'R', true, false, false, false, false, true, N},     // a root
        {C, 0, all, DRIVE_FIXED, 'C', 'R', false, false, true, false, false, false, L},    // programs
        {C, 0, all, DRIVE_FIXED, 'Q', 'Q', false, false, true, false, false, false, L},
        {C, 0, all, DRIVE_REMOVABLE, 'B', 'R', false, false, true, false, false, false, C},
        {C, MK_CONTROL, all, DRIVE_FIXED, 'C', 'R', false, false, true, false, false, false, C},
        {C, 0, all, DRIVE_FIXED, 'Q', 'Q', false, false, false, true, false, false, N},    // own node
        {M, MK_SHIFT, all, DRIVE_FIXED, 'Q', 'Q', false, false, false, true, false, false, N},
        {L, MK_SHIFT | MK_CONTROL, all, DRIVE_FIXED, 'Q', 'Q', false, false, false, true, false, false, L},
        {C, 0, all, DRIVE_FIXED, 'Q', 'R', false, false, false, false, true, false, N},    // into itself
        {M, MK_SHIFT, all, DRIVE_FIXED, 'Q', 'R', false, false, false, false, true, false, N},
        {L, MK_SHIFT | MK_CONTROL, all, DRIVE_FIXED, 'Q', 'R', false, false, false, false, true, false, L},
        {M, MK_SHIFT, all, DRIVE_FIXED, 'Q', 'R', false, false, false, false, false, true, N},   // a root moves not
        {L, 0, L, DRIVE_FIXED, 'Q', 'R', false, false, false, false, false, true, L},
        {N, 0, all, DRIVE_FIXED, 'Q', 'R', true, false, false, false, false, false, N},
    };
    for (const Row& r : rows) {
        TTreeDropInput in;
        in.effect = r.effect;
        in.keyState = r.keys;
        in.offered = r.offered;
        in.targetDriveType = r.type;
        in.targetDrive = r.target;
        in.dragDrive = r.drag;
        in.recycleBinTarget = r.recycle;
        in.namesMapped = r.mapped;
        in.linkExecutables = r.executables;
        in.ownDragBlocked = r.own;
        in.targetInsideSource = r.inside;
        in.rootSource = r.root;
        EXPECT_EQ(EffectName(TreeDropEffect(in)), EffectName(r.expected)) << "row " << (&r - rows);
    }
}

TEST(DriveViewDropRules, PathsWithinFolders)
{
    EXPECT_TRUE(PathWithin("Q:\\A\\B", "q:\\a"));
    EXPECT_TRUE(PathWithin("Q:\\A", "Q:\\A\\"));
    EXPECT_TRUE(PathWithin("Q:\\A", "Q:\\"));
    EXPECT_FALSE(PathWithin("Q:\\AB", "Q:\\A"));
    EXPECT_FALSE(PathWithin("Q:\\A", "Q:\\A\\B"));
    EXPECT_FALSE(PathWithin("Q:\\A", ""));

}

TEST_F(DriveViewDrags, HoveringTwoAndAHalfSecondsOnTheClockExpandsANodeAndSpaceTogglesOne)
{
    uint64_t now = 1000 * Second;
    tree.view->SetClock([&] { return now; });
    TTreeNode* alpha = Node("Alpha");
    ASSERT_TRUE(alpha);
    ASSERT_FALSE(alpha->Expanded());
    const POINT at = tree.ScreenPointOf(alpha);
    auto over = [&](uint64_t time) {
        now = time;
        DWORD effect = DROPEFFECT_COPY;
        tree.view->DDDragOver(MK_LBUTTON, at, effect);
    };
    DWORD effect = DROPEFFECT_COPY;
    bool accept = true;
    tree.view->DDDragEnter(nullptr, MK_LBUTTON, at, effect, accept);
    const uint64_t start = now + Second;
    over(start);
    EXPECT_EQ(tree.view->DropTarget(), alpha);
    over(start + 2 * Second);
    over(start + 25 * Second / 10);
    EXPECT_FALSE(alpha->Expanded()) << "not before 2.5 s";
    over(start + 25 * Second / 10 + 1);
    EXPECT_TRUE(alpha->Expanded());
    EXPECT_EQ(tree.ChildTexts(alpha), "Innen;");

    auto pressSpace = [] {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SPACE] = 0x80;
        SetKeyboardState(keys);
    };
    pressSpace();
    over(start + 26 * Second / 10);
    EXPECT_FALSE(alpha->Expanded()) << "Space collapses at once";
    over(start + 27 * Second / 10);
    EXPECT_FALSE(alpha->Expanded()) << "the key was taken";
    pressSpace();
    over(start + 28 * Second / 10);
    EXPECT_TRUE(alpha->Expanded());

    tree.view->SetDirectory(folder.Path() + "Alpha\\Innen");
    pressSpace();
    over(start + 29 * Second / 10);
    EXPECT_TRUE(alpha->Expanded()) << "never the branch that holds the selection";
    tree.view->DDDragLeave();
    EXPECT_EQ(tree.view->DropTarget(), nullptr);
}

TEST(DriveViewAutoScroll, OverTheTopRowOneRowEveryFifthOfASecondThenEveryTenth)
{
    StagedFolder many("Viele", "Q:\\");
    for (int i = 0; i < 40; ++i)
        CreateDirectoryA((many.Path() + "Ordner " + std::to_string(100 + i)).c_str(), nullptr);
    DriveTree tree(200);
    uint64_t now = 1000 * Second;
    tree.view->SetClock([&] { return now; });
    TTreeNode* last = tree.view->NodeOfPath(many.Path() + "Ordner 139");
    ASSERT_TRUE(last);
    last->MakeVisible();
    TTreeNode* top = tree.view->TopItem();
    ASSERT_TRUE(top);
    const POINT at = tree.ScreenPointOf(top);
    DWORD effect = DROPEFFECT_COPY;
    bool accept = true;
    tree.view->DDDragEnter(nullptr, MK_LBUTTON, at, effect, accept);
    std::vector<uint64_t> steps;
    for (uint64_t t = now; t <= now + 2 * Second; t += Second / 100) {
        const size_t before = tree.view->vscrolls.size();
        const uint64_t saved = now;
        now = t;
        DWORD e = DROPEFFECT_COPY;
        tree.view->DDDragOver(MK_LBUTTON, at, e);
        now = saved;
        if (tree.view->vscrolls.size() > before)
            steps.push_back(t - saved);
    }
    ASSERT_GE(steps.size(), 8u);
    for (size_t i = 0; i < 8; ++i) {
        const uint64_t expected = i < 6 ? (i + 1) * (2 * Second / 10 + Second / 100)
                                        : 6 * (2 * Second / 10 + Second / 100) + (i - 5) * (Second / 10 + Second / 100);
        EXPECT_EQ(steps[i], expected) << "step " << i + 1;
    }
    for (WPARAM code : tree.view->vscrolls)
        EXPECT_EQ(code, static_cast<WPARAM>(SB_LINEUP));

    // Near the bottom edge: down.
    tree.view->vscrolls.clear();
    TTreeNode* bottom = tree.view->TopItem();
    while (bottom->GetNextVisible() && bottom->GetNextVisible()->DisplayRect(false).bottom <= tree.view->ClientHeight())
        bottom = bottom->GetNextVisible();
    const POINT low = tree.ScreenPointOf(bottom);
    now += 10 * Second;
    tree.view->DDDragOver(MK_LBUTTON, low, effect = DROPEFFECT_COPY);
    ASSERT_EQ(tree.view->vscrolls.size(), 1u);
    EXPECT_EQ(tree.view->vscrolls[0], static_cast<WPARAM>(SB_LINEDOWN));
    tree.view->DDDragLeave();
}

TEST_F(DriveViewDrags, ADropFromOutsideMovesOnTheSameDriveAndCopiesWithCtrl)
{
    TTreeNode* beta = Node("Beta");
    EXPECT_EQ(EffectName(DropOn(beta, {folder.Path() + "Alpha"})), "move");
    EXPECT_TRUE(FolderExists(folder.Path() + "Beta\\Alpha\\Innen"));
    EXPECT_FALSE(FolderExists(folder.Path() + "Alpha"));
    EXPECT_EQ(tree.ChildTexts(Node("")), "Beta;Gamma;") << "the source's branch read again";
    EXPECT_EQ(tree.ChildTexts(beta), "Alpha;") << "and the target's";
    EXPECT_TRUE(tree.view->CanUndoFileOperation());

    EXPECT_EQ(EffectName(DropOn(Node("Gamma"), {folder.Path() + "Beta\\Alpha"}, MK_CONTROL)), "copy");
    EXPECT_TRUE(FolderExists(folder.Path() + "Gamma\\Alpha"));
    EXPECT_TRUE(FolderExists(folder.Path() + "Beta\\Alpha"));

    EXPECT_EQ(EffectName(DropOn(Node("Beta\\Alpha\\Innen"), {folder.Path() + "Beta"})), "none") << "not into itself";
    EXPECT_EQ(EffectName(DropOn(Node("Beta"), {folder.Path() + "Beta"})), "none");
    EXPECT_TRUE(FolderExists(folder.Path() + "Beta\\Alpha\\Innen"));
    EXPECT_EQ(tree.view->DropTarget(), nullptr);
}

TEST_F(DriveViewDrags, LinksToARootAndToProgramsAreNamedAfterThem)
{
    TTreeNode* beta = Node("Beta");
    EXPECT_EQ(EffectName(DropOn(beta, {"Q:\\"}, 0, DROPEFFECT_LINK)), "link");
    EXPECT_EQ(folder.Files("Beta\\"), std::vector<std::string>{"Testlauf (Q).lnk"}) << "the drive's name and letter";

    // Programs only, from a source that offers links: a link without keys on Q: and later.
    Touch(folder.Path() + "Gamma\\Werkzeug.EXE");
    Touch(folder.Path() + "Gamma\\alt.com");
    EXPECT_EQ(EffectName(DropOn(Node("Alpha"), {folder.Path() + "Gamma\\Werkzeug.EXE", folder.Path() + "Gamma\\alt.com"})),
              "link");
    std::vector<std::string> links = folder.Files("Alpha\\");
    std::sort(links.begin(), links.end());
    EXPECT_EQ(links, (std::vector<std::string>{"Werkzeug.EXE.lnk", "alt.com.lnk"}));
    EXPECT_EQ(folder.Files("Gamma\\").size(), 2u) << "the programs stay";
}

TEST_F(DriveViewDrags, TheFileOperationEventMayStopTheDropButTheTreeIsReadAgain)
{
    std::string seen;
    tree.view->OnDDFileOperation = [&](TComponent*, DWORD effect, const std::string& source,
                                       const std::string& target, bool& doOperation) {
        seen = EffectName(effect) + " " + source + " > " + target;
        doOperation = false;
    };
    int executed = 0;
    tree.view->OnDDFileOperationExecuted = [&](TComponent*, DWORD, const std::string&, const std::string&) {
        ++executed;
    };
    CreateDirectoryA((folder.Path() + "Beta\\Neu").c_str(), nullptr);
    DropOn(Node("Beta"), {folder.Path() + "Alpha"});
    EXPECT_EQ(seen, "move " + folder.Path() + "Alpha > " + folder.Path() + "Beta");
    EXPECT_EQ(executed, 0);
    EXPECT_TRUE(FolderExists(folder.Path() + "Alpha"));
    EXPECT_EQ(tree.ChildTexts(Node("Beta")), "Neu;") << "read again all the same";
}

TEST_F(DriveViewDrags, ADropOnAFolderThatWentReadsItAwayAndReportsError1)
{
    TTreeNode* beta = Node("Beta");
    ComPtr<IDataObject> data = FolderData({folder.Path() + "Alpha"});
    IDropTarget* target = tree.view->DragDrop().DropTarget();
    const POINT at = tree.ScreenPointOf(beta);
    DWORD effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->DragEnter(data.get(), MK_LBUTTON, {at.x, at.y}, &effect);
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->DragOver(MK_LBUTTON, {at.x, at.y}, &effect);
    RemoveDirectoryA((folder.Path() + "Beta").c_str());
    std::vector<int> errors;
    tree.view->OnDDError = [&](TComponent*, int error) { errors.push_back(error); };
    effect = DROPEFFECT_COPY | DROPEFFECT_MOVE;
    target->Drop(data.get(), 0, {at.x, at.y}, &effect);
    EXPECT_TRUE(PumpMessagesUntil([&] { return !errors.empty(); }));
    EXPECT_EQ(errors, std::vector<int>{1});
    EXPECT_EQ(tree.ChildTexts(Node("")), "Alpha;Gamma;") << "the gone folder left the tree";
    EXPECT_TRUE(FolderExists(folder.Path() + "Alpha"));

    tree.view->OnDDError = nullptr;
    try {
        tree.view->DDError(0);
        ADD_FAILURE() << "no error";
    } catch (const EDragDrop& error) {
        EXPECT_STREQ(error.what(), "DragDrop Error: 0");
    }
}

TEST_F(DriveViewDrags, ARecycleBinTakesOnlyWhatMayBeMovedAway)
{
    const std::string bin = "Q:\\RECYCLED";
    CreateDirectoryA(bin.c_str(), nullptr);
    SetFileAttributesA(bin.c_str(), FILE_ATTRIBUTE_SYSTEM);
    tree.view->SyncExpanded(tree.Root('Q'));
    TTreeNode* node = tree.view->NodeOfPath(bin);
    ASSERT_TRUE(node && TDriveView::NodeData(node)->IsRecycler);
    tree.view->ConfirmDelete = false;
    EXPECT_EQ(EffectName(DropOn(node, {folder.Path() + "Beta"}, 0, DROPEFFECT_COPY | DROPEFFECT_LINK)), "none");
    EXPECT_TRUE(FolderExists(folder.Path() + "Beta"));
    EXPECT_EQ(EffectName(DropOn(node, {folder.Path() + "Beta"}, MK_CONTROL)), "move") << "whatever the keys";
    EXPECT_FALSE(FolderExists(folder.Path() + "Beta")) << "deleted into the recycle bin";
    EXPECT_EQ(tree.ChildTexts(Node("")), "Alpha;Gamma;");

    // A paste of what was copied is no move: the bin leaves it alone.
    ASSERT_TRUE(tree.view->CopySelectedToClipboard());
    tree.view->SetDirectory(bin);
    ASSERT_TRUE(tree.view->PasteIntoSelected());
    EXPECT_TRUE(FolderExists(folder.Path() + "Gamma"));
    tree.view->ClearClipboard();
    SetFileAttributesA(bin.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(bin.c_str());
}

// The cursor's display count, read without changing it.
int CursorCount()
{
    ShowCursor(TRUE);
    return ShowCursor(FALSE);
}

TEST_F(DriveViewDrags, ADragOfOneNodeOntoAnotherMovesTheFolder)
{
    tree.view->SetDirectory(folder.Path() + "Alpha");
    tree.changes.clear();
    const int cursorShown = CursorCount();
    uint64_t now = 1000 * Second;
    // Each look at the clock is 50 ms later: the drop comes well after the drag began, yet no
    // node is hovered over long enough to open.
    tree.view->SetClock([&] { return now += Second / 20; });
    TTreeNode* alpha = Node("Alpha");
    TTreeNode* beta = Node("Beta");
    std::vector<TDragDetectStatus> detected;
    tree.view->OnDDDragDetect = [&](TComponent*, DWORD, POINT, POINT, TDragDetectStatus status) {
        detected.push_back(status);
    };
    DWORD executed = 0;
    tree.view->OnDDExecuted = [&](TComponent*, DWORD effect) { executed = effect; };
    if (!DragWithTheMouse(tree.ScreenPointOf(alpha), tree.ScreenPointOf(beta)))
        GTEST_SKIP() << "the pointer cannot be placed";
    ASSERT_EQ(detected, std::vector<TDragDetectStatus>{ddsDrag}) << "one drag began";
    EXPECT_EQ(EffectName(executed), "move");
    EXPECT_TRUE(FolderExists(folder.Path() + "Beta\\Alpha\\Innen"));
    EXPECT_FALSE(FolderExists(folder.Path() + "Alpha"));
    EXPECT_EQ(tree.ChildTexts(Node("")), "Beta;Gamma;") << "the source's branch read again";
    EXPECT_EQ(tree.ChildTexts(Node("Beta")), "Alpha;") << "and the target's";
    EXPECT_EQ(tree.view->DragNode(), nullptr);
    EXPECT_EQ(tree.view->DropTarget(), nullptr);
    EXPECT_EQ(CursorCount(), cursorShown) << "the cursor shown for the drag image is hidden again";
    EXPECT_TRUE(tree.view->CanEdit(Node("Gamma"))) << "renaming works again once the drag is over";
    // Its drag image was made without the selection: that step aside was no change.
    for (const std::string& change : tree.changes)
        EXPECT_FALSE(change.empty()) << "a change reported with nothing selected";
    EXPECT_TRUE(FolderExists(tree.view->Directory())) << "the selection left the moved node: " << tree.view->Directory();
}

TEST_F(DriveViewDrags, ADropRightAfterTheTreesOwnDragBeganIsIgnored)
{
    tree.view->SetClock([] { return 1000 * Second; });
    TTreeNode* alpha = Node("Alpha");
    TTreeNode* beta = Node("Beta");
    DWORD executed = 0, dropped = 0;
    tree.view->OnDDExecuted = [&](TComponent*, DWORD effect) { executed = effect; };
    tree.view->OnDDDrop = [&](TComponent*, IDataObject*, DWORD, POINT, DWORD& effect) { dropped = effect; };
    if (!DragWithTheMouse(tree.ScreenPointOf(alpha), tree.ScreenPointOf(beta)))
        GTEST_SKIP() << "the pointer cannot be placed";
    EXPECT_EQ(EffectName(dropped), "move") << "dropped";
    EXPECT_EQ(executed, 0u) << "but not carried out";
    EXPECT_TRUE(FolderExists(folder.Path() + "Alpha"));
    EXPECT_FALSE(FolderExists(folder.Path() + "Beta\\Alpha"));
    EXPECT_EQ(tree.view->DropTarget(), nullptr);
}

TEST_F(DriveViewDrags, OnlyAPressOnTheTextOrItsIconDragsAndARootOffersOnlyALink)
{
    // The drags below end at once (no button is down); the pointer waits where no window takes them.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 5, GetSystemMetrics(SM_CYSCREEN) - 5);
    int drags = 0;
    DWORD offered = 0;
    tree.view->OnDDQueryContinueDrag = [&](TComponent*, BOOL, DWORD, HRESULT&) {
        ++drags;
        offered = tree.view->DragDrop().SourceEffects();
    };
    auto pressAt = [&](TTreeNode* node, int dx) {
        node->MakeVisible();
        const RECT text = node->DisplayRect(true);
        const POINT at = tree.view->ClientToScreen({dx < 0 ? text.left + dx : text.right + dx, (text.top + text.bottom) / 2});
        drags = 0;
        tree.view->DDDragDetect(MK_LBUTTON, at, at, ddsDrag);
    };
    TTreeNode* beta = Node("Beta");
    pressAt(beta, 4);
    EXPECT_EQ(drags, 0) << "right of the text";
    EXPECT_EQ(tree.view->DragNode(), nullptr);
    pressAt(beta, -17);
    EXPECT_EQ(drags, 0) << "left of the icon";
    pressAt(beta, -8);
    EXPECT_GT(drags, 0) << "on the icon";
    EXPECT_EQ(offered, static_cast<DWORD>(deCopy | deMove | deLink));
    pressAt(tree.Root('Q'), -8);
    EXPECT_GT(drags, 0);
    EXPECT_EQ(offered, static_cast<DWORD>(deLink)) << "a drive root is only linked to";
    EXPECT_EQ(tree.view->DragNode(), nullptr);
    EXPECT_TRUE(FolderExists(folder.Path() + "Beta"));
}

TEST_F(DriveViewDrags, AMoveFromANetworkPathHasNoNodeToReadAgain)
{
    tree.view->OnDDFileOperation = [](TComponent*, DWORD, const std::string&, const std::string&, bool& doOperation) {
        doOperation = false;
    };
    tree.view->DragDrop().FileList.AddItem(nullptr, "\\\\Rechner\\Freigabe\\Ordner");
    EXPECT_NO_THROW(tree.view->DDFileOperation(folder.Path() + "Beta", DROPEFFECT_MOVE, false));
    EXPECT_EQ(tree.view->DragDrop().FileList.Count(), 0);
}
