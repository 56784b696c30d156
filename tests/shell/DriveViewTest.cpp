// The drive tree on the drives that tools/wine-run.sh stages for this program: Q: (a folder with
// the label "Testlauf"), R: (a removable drive without medium) and S: (the folder Q:\Wechsel).
// Paths, short names, recycle bins, the selection and its deferral, the texts, sizes and colours,
// whole-drive reads and change watching. The other drives, C: (the prefix's own) and Z: (the build
// folder), show as roots but are never opened.
#include <windows.h>
#include <commctrl.h>

#include "DragImageHold.h"
#include "DriveView.h"
#include "KtDriveInfo.h"
#include "MessagePump.h"
#include "StagedFolder.h"
#include "SysUtils.h"
#include "TestForm.h"
#include "DriveTreeForm.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

std::string Separator()
{
    char separator[8] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, sizeof separator);
    return separator;
}

}  // namespace

TEST(DriveView, TheStagedDrivesHaveRootsWithTheirLabels)
{
    DriveTree tree;
    ASSERT_TRUE(tree.Root('Q')) << "tools/wine-run.sh stages Q:";
    ASSERT_TRUE(tree.Root('R'));
    EXPECT_EQ(tree.Root('Q')->Text(), "Q: Testlauf");
    EXPECT_EQ(tree.view->GetDirPath(tree.Root('Q')), "Q:");
    EXPECT_EQ(tree.view->NodePathName(tree.Root('Q')), "Q:\\");
    EXPECT_TRUE(tree.Root('Q')->HasChildren()) << "a root offers its button before it is read";
    EXPECT_EQ(tree.Root('Q')->GetNextSibling(), tree.Root('R')) << "roots in letter order";

    tree.view->SetVolDisplayStyle(doDisplayName);
    EXPECT_EQ(tree.Root('Q')->Text(), "Testlauf (Q:)");
    tree.view->SetShowVolLabel(false);
    EXPECT_EQ(tree.Root('Q')->Text(), "Q:");
    EXPECT_EQ(tree.view->DriveCaption('Y'), "Y:") << "a drive without names shows its letter";
}

TEST(DriveView, DirectoryFindsFoldersAsOnDiskAndFallsBackToTheDeepestThatExists)
{
    StagedFolder folder("Pfade", "Q:\\");
    CreateDirectoryA((folder.Path() + "Alpha").c_str(), nullptr);
    CreateDirectoryA((folder.Path() + "Alpha\\Beta").c_str(), nullptr);
    DriveTree tree;
    const std::string alpha = folder.Path() + "Alpha";

    tree.view->SetDirectory(AnsiLowerCase(alpha + "\\beta"));
    EXPECT_EQ(tree.view->Directory(), alpha + "\\Beta") << "read back with the names on disk";
    EXPECT_EQ(tree.changes.back(), alpha + "\\Beta");
    // The gallery hands over paths upper-cased with umlauts and all.
    CreateDirectoryA((folder.Path() + "Bär").c_str(), nullptr);
    tree.view->SyncExpanded(tree.view->NodeOfPath(folder.Path()));
    tree.view->SetDirectory(AnsiUpperCase(folder.Path() + "Bär"));
    EXPECT_EQ(tree.view->Directory(), folder.Path() + "Bär");
    tree.view->SetDirectory(alpha + "\\Beta");

    const size_t changes = tree.changes.size();
    tree.view->SetDirectory("Q:");
    EXPECT_EQ(tree.view->Directory(), alpha + "\\Beta") << "\"Q:\" changes nothing";
    for (const char* path : {"", "\\\\server\\share\\x"}) {
        EXPECT_NO_THROW(tree.view->SetDirectory(path)) << path;
        EXPECT_EQ(tree.view->Directory(), alpha + "\\Beta") << path;
    }
    for (const char* path : {"1:\\x", ".\\x"}) {
        try {
            tree.view->SetDirectory(path);
            ADD_FAILURE() << "no error for " << path;
        } catch (const EConvertError& error) {
            EXPECT_EQ(std::string(error.what()), std::string(1, path[0]) + " is a invalid drive letter.");
        }
        EXPECT_EQ(tree.view->Directory(), alpha + "\\Beta") << path;
    }
    EXPECT_EQ(tree.changes.size(), changes) << "no change reported";

    tree.view->SetDirectory("Q:\\");
    EXPECT_EQ(tree.view->Directory(), "Q:\\");
    EXPECT_EQ(tree.view->Selected(), tree.Root('Q'));

    tree.view->SetDirectory(alpha + "\\Gibt es nicht\\Auch nicht");
    EXPECT_EQ(tree.view->Directory(), alpha) << "the deepest folder that exists";

    try {
        tree.view->NodeOfPath("1:\\x");
        ADD_FAILURE() << "no error for a digit";
    } catch (const EConvertError& error) {
        EXPECT_STREQ(error.what(), "1 is a invalid drive letter.");
    }
    EXPECT_EQ(tree.view->NodeOfPath("Q:"), nullptr);
}

TEST(DriveView, ASyncFollowsTheDiskAndTheSelectionLeavesAVanishedBranch)
{
    StagedFolder folder("Abgleich", "Q:\\");
    CreateDirectoryA((folder.Path() + "Bleibt").c_str(), nullptr);
    CreateDirectoryA((folder.Path() + "Geht").c_str(), nullptr);
    CreateDirectoryA((folder.Path() + "Geht\\Drin").c_str(), nullptr);
    DriveTree tree;
    tree.view->SetDirectory(folder.Path() + "Geht\\Drin");
    TTreeNode* parent = tree.view->NodeOfPath(folder.Path());
    ASSERT_TRUE(parent);
    RemoveDirectoryA((folder.Path() + "Geht\\Drin").c_str());
    RemoveDirectoryA((folder.Path() + "Geht").c_str());
    CreateDirectoryA((folder.Path() + "Neu").c_str(), nullptr);
    tree.changes.clear();
    tree.view->SyncBranches(parent);
    std::string children;
    for (int i = 0; i < parent->Count(); ++i)
        children += parent->Item(i)->Text() + ";";
    EXPECT_EQ(children, "Bleibt;Neu;") << "the gone folder left, the new one came";
    // The control chose the new selection; its change ran once.
    ASSERT_EQ(tree.changes.size(), 1u);
    EXPECT_EQ(tree.changes[0], tree.view->Directory());
    EXPECT_TRUE(DirectoryExists(tree.view->Directory())) << tree.view->Directory();
}

TEST(DriveView, AHandlerThatThrowsInASyncLeavesLaterSyncsAndTheWatcherWorking)
{
    StagedFolder folder("Wurf", "Q:\\");
    CreateDirectoryA((folder.Path() + "Alt").c_str(), nullptr);
    DriveTree tree;
    tree.view->SetWatchDirectory(true);
    tree.view->SetDirectory(folder.Path());
    TTreeNode* parent = tree.view->Selected();
    ASSERT_TRUE(parent && tree.view->SelectedDriveWatched());
    tree.view->OnScanDir = [](TComponent*, TTreeNode* node, bool&) {
        if (node->Text() == "Alt")
            throw Exception("Abbruch");
    };
    EXPECT_THROW(tree.view->SyncAll(parent), Exception);
    tree.view->OnScanDir = nullptr;
    EXPECT_TRUE(tree.view->SelectedDriveWatched()) << "watching again after the failed sync";
    CreateDirectoryA((folder.Path() + "Neu").c_str(), nullptr);
    tree.view->SyncExpanded(parent);
    EXPECT_EQ(tree.ChildTexts(parent), "Alt;Neu;") << "the next sync reads the disk";
    tree.view->SetWatchDirectory(false);
}

TEST(DriveView, AShortNameFindsItsFolder)
{
    StagedFolder folder("Kurz", "Q:\\");
    const std::string longName = folder.Path() + "Ein langer Ordnername";
    CreateDirectoryA(longName.c_str(), nullptr);
    char shortPath[MAX_PATH] = {};
    ASSERT_NE(GetShortPathNameA(longName.c_str(), shortPath, MAX_PATH), 0u);
    const std::string alias = ExtractFileName(shortPath);
    ASSERT_NE(alias, "Ein langer Ordnername");
    DriveTree tree;
    TTreeNode* node = tree.view->NodeOfPath(folder.Path() + alias);
    ASSERT_TRUE(node) << "alias " << alias;
    EXPECT_EQ(tree.view->NodeDirName(node), "Ein langer Ordnername");
    EXPECT_EQ(TDriveView::NodeData(node)->ShortName, alias);
}

TEST(DriveView, ARecycleBinBelowARootIsNeverRead)
{
    const std::string bin = "Q:\\RECYCLED";
    CreateDirectoryA(bin.c_str(), nullptr);
    CreateDirectoryA((bin + "\\Inhalt").c_str(), nullptr);
    SetFileAttributesA(bin.c_str(), FILE_ATTRIBUTE_SYSTEM);
    StagedFolder deeper("Tiefer", "Q:\\");
    const std::string deeperBin = deeper.Path() + "RECYCLED";
    CreateDirectoryA(deeperBin.c_str(), nullptr);
    CreateDirectoryA((deeperBin + "\\Inhalt").c_str(), nullptr);
    SetFileAttributesA(deeperBin.c_str(), FILE_ATTRIBUTE_SYSTEM);
    {
        DriveTree tree;
        tree.Root('Q')->Expand(false);
        TTreeNode* node = tree.view->NodeOfPath(bin);
        ASSERT_TRUE(node);
        EXPECT_TRUE(TDriveView::NodeData(node)->IsRecycler);
        node->Expand(false);
        EXPECT_EQ(node->Count(), 0) << "not read";
        EXPECT_EQ(tree.view->NodeOfPath(bin + "\\Inhalt"), nullptr);

        TTreeNode* ordinary = tree.view->NodeOfPath(deeperBin + "\\Inhalt");
        ASSERT_TRUE(ordinary) << "one level deeper it is an ordinary folder";
        EXPECT_FALSE(TDriveView::NodeData(ordinary->Parent())->IsRecycler);

        int asked = 0;
        tree.view->OnScanDir = [&](TComponent*, TTreeNode* n, bool& doScan) {
            if (n == node) {
                ++asked;
                doScan = true;
            }
        };
        tree.view->SyncExpanded(node);
        EXPECT_GE(asked, 1);
        EXPECT_EQ(node->Count(), 1) << "read when the handler says so";
    }
    SetFileAttributesA(bin.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA((bin + "\\Inhalt").c_str());
    RemoveDirectoryA(bin.c_str());
}

TEST(DriveView, AVanishedDriveMovesTheSelectionToThePreviousRoot)
{
    DriveTree tree;
    ASSERT_TRUE(tree.Root('S')) << "tools/wine-run.sh stages S: as Q:\\Wechsel";
    tree.view->SetDirectory("S:\\");
    ASSERT_EQ(tree.view->Directory(), "S:\\");
    ASSERT_TRUE(MoveFileA("Q:\\Wechsel", "Q:\\Wechsel weg"));
    tree.view->UpdateDriveRoots(false, 8);
    MoveFileA("Q:\\Wechsel weg", "Q:\\Wechsel");
    EXPECT_EQ(tree.Root('S'), nullptr);
    EXPECT_EQ(tree.view->Directory(), "R:\\") << "the root before the removed one";
    tree.view->UpdateDriveRoots(false, 8);
    EXPECT_TRUE(tree.Root('S')) << "back again";
}

TEST(DriveView, APressDefersTheChangeToTheRelease)
{
    StagedFolder folder("Maus", "Q:\\");
    CreateDirectoryA((folder.Path() + "Eins").c_str(), nullptr);
    CreateDirectoryA((folder.Path() + "Zwei").c_str(), nullptr);
    DriveTree tree;
    tree.view->SetDirectory(folder.Path() + "Eins");
    TTreeNode* zwei = tree.view->NodeOfPath(folder.Path() + "Zwei");
    ASSERT_TRUE(zwei);
    zwei->MakeVisible();
    const RECT text = zwei->DisplayRect(true);
    const LPARAM point = MAKELPARAM((text.left + text.right) / 2, (text.top + text.bottom) / 2);
    tree.view->asked.clear();
    tree.changes.clear();
    std::vector<std::string> changing;
    tree.view->OnChanging = [&](TComponent*, TTreeNode* node, bool&) { changing.push_back(node->Text()); };
    // The release waits in the queue: the control takes it while it handles the press.
    PostMessageA(tree.view->Handle(), WM_LBUTTONUP, 0, point);
    SendMessageA(tree.view->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, point);
    PumpMessages();
    ASSERT_EQ(tree.view->asked.size(), 2u);
    EXPECT_EQ(tree.view->asked[0], "defer Zwei") << "while the button is down the node only looks chosen";
    EXPECT_EQ(tree.view->asked[1], "allow Zwei");
    ASSERT_EQ(tree.changes.size(), 1u);
    EXPECT_EQ(tree.changes[0], folder.Path() + "Zwei");
    EXPECT_EQ(changing, std::vector<std::string>{"Zwei"}) << "asked once, as the change happens";
    EXPECT_EQ(tree.view->DropTarget(), nullptr);
}

TEST(DriveView, ADriveWithoutMediumLosesItsFoldersAndNothingSelectedIsQuiet)
{
    DriveTree tree;
    std::vector<char> disks;
    tree.view->OnDiskChange = [&](TComponent*, char drive) { disks.push_back(drive); };
    tree.view->SetDirectory("R:\\");
    EXPECT_EQ(tree.view->Directory(), "R:\\");
    EXPECT_EQ(disks, std::vector<char>{'R'});
    EXPECT_EQ(tree.Root('R')->Count(), 0);
    EXPECT_NO_THROW(tree.view->SetSelected(nullptr));
    EXPECT_EQ(tree.view->Directory(), "");
}

TEST(DriveView, NodeTextsCarryFolderSizesIn64Bits)
{
    const struct {
        int64_t size;
        std::string text;
    } table[] = {{0, "0K"},       {1, "1K"},         {1023, "1K"},  {1024, "1K"},        {2048, "2K"},
                 {1234 * 1024, "1" + Separator() + "234K"}, {102400000, "97M"},
                 {5LL << 30, "5" + Separator() + "120M"}};
    for (const auto& t : table)
        EXPECT_EQ(FormatDirSize(t.size), t.text) << t.size;

    StagedFolder folder("Groessen", "Q:\\");
    CreateDirectoryA((folder.Path() + "Eins").c_str(), nullptr);
    CreateDirectoryA((folder.Path() + "Gross").c_str(), nullptr);
    Touch(folder.Path() + "Eins\\a.txt", 1);
    // A sparse file: five gibibytes that take no room.
    Touch(folder.Path() + "Gross\\gross.bin", 5LL << 30);
    DriveTree tree;
    tree.view->SetDirectory(folder.Path() + "Eins");
    tree.view->SetShowDirSize(true);
    TTreeNode* eins = tree.view->NodeOfPath(folder.Path() + "Eins");
    TTreeNode* gross = tree.view->NodeOfPath(folder.Path() + "Gross");
    ASSERT_TRUE(eins && gross);
    EXPECT_EQ(eins->Text(), "Eins = 1K");
    EXPECT_EQ(tree.view->GetDirSize(gross), 5LL << 30);
    EXPECT_EQ(gross->Text(), "Gross = 5" + Separator() + "120M");
    EXPECT_FALSE(tree.view->CanEdit(eins)) << "never while a size shows";
    EXPECT_EQ(tree.view->GetSubTreeSize(eins->Parent()), (5LL << 30) + 1);
    tree.view->SetShowDirSize(false);
    EXPECT_EQ(eins->Text(), "Eins");
}

TEST(DriveView, NodeColoursFollowHiddenSelectedFocusedAndBold)
{
    const TColor blue = 0xFF0000;
    const struct {
        bool dimm, hidden, selected, focused, hideSelection, bold;
        TNodeColors expected;
    } table[] = {
        {false, false, false, false, true, false, {clNone, clNone, false}},
        {true, true, false, true, true, false, {clGrayText, clNone, false}},
        {true, true, true, true, true, false, {clNone, clNone, false}},       // grey only while not selected
        {false, true, false, true, true, false, {clNone, clNone, false}},     // dimming off
        {false, false, true, false, true, false, {clBtnText, clBtnFace, false}},
        {false, false, true, false, false, false, {clNone, clNone, false}},   // the control shows it
        {false, false, true, true, true, false, {clNone, clNone, false}},
        {true, true, false, false, true, true, {blue, clNone, true}},
        {false, false, true, false, true, true, {blue, clBtnFace, true}},
    };
    for (const auto& t : table) {
        TNodeLook look;
        look.dimmHiddenDirs = t.dimm;
        look.hidden = t.hidden;
        look.selected = t.selected;
        look.viewFocused = t.focused;
        look.hideSelection = t.hideSelection;
        look.bold = t.bold;
        look.colorBold = blue;
        const TNodeColors colors = NodeColors(look);
        const std::string row = std::to_string(&t - table);
        EXPECT_EQ(colors.font, t.expected.font) << "row " << row;
        EXPECT_EQ(colors.brush, t.expected.brush) << "row " << row;
        EXPECT_EQ(colors.bold, t.expected.bold) << "row " << row;
    }
    EXPECT_EQ(InvalidDirNameTextFor(LANG_GERMAN), "Verzeichnisname enthält ungültige Zeichen:");
    EXPECT_EQ(InvalidDirNameTextFor(LANG_FRENCH), "Le nouveau nom contient des caractères invalides:");
    EXPECT_EQ(InvalidDirNameTextFor(LANG_SPANISH), "New name contains Invalid characters:");
}

TEST(DriveView, OnlyPlainFoldersMayBeRenamedInPlace)
{
    StagedFolder folder("Umbenennen", "Q:\\");
    CreateDirectoryA((folder.Path() + "Frei").c_str(), nullptr);
    CreateDirectoryA((folder.Path() + "System").c_str(), nullptr);
    // Wine keeps no read-only mark on folders; the system mark bars renaming alike.
    SetFileAttributesA((folder.Path() + "System").c_str(), FILE_ATTRIBUTE_SYSTEM);
    DriveTree tree;
    TTreeNode* frei = tree.view->NodeOfPath(folder.Path() + "Frei");
    TTreeNode* fixed = tree.view->NodeOfPath(folder.Path() + "System");
    ASSERT_TRUE(frei && fixed);
    EXPECT_TRUE(tree.view->CanEdit(frei)) << "folders are renamed in place";
    tree.view->SetReadOnly(true);
    EXPECT_FALSE(tree.view->CanEdit(frei)) << "a read-only view";
    tree.view->SetReadOnly(false);
    EXPECT_FALSE(tree.view->CanEdit(fixed));
    EXPECT_FALSE(tree.view->CanEdit(tree.Root('Q')));
    EXPECT_FALSE(tree.view->CanEdit(nullptr));
    SetFileAttributesA((folder.Path() + "System").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(DriveView, KeysOpenAndCloseTheSelectedBranch)
{
    StagedFolder folder("Tasten", "Q:\\");
    CreateDirectoryA((folder.Path() + "A").c_str(), nullptr);
    CreateDirectoryA((folder.Path() + "A\\B").c_str(), nullptr);
    DriveTree tree;
    tree.view->SetDirectory(folder.Path() + "A");
    TTreeNode* a = tree.view->Selected();
    ASSERT_TRUE(a);
    EXPECT_FALSE(a->Expanded());
    tree.view->Perform(WM_CHAR, '\r', 0);
    EXPECT_TRUE(a->Expanded());
    tree.view->Perform(WM_CHAR, '\r', 0);
    EXPECT_FALSE(a->Expanded());
    a->Expand(false);
    a->Item(0)->Expand(false);
    tree.view->Perform(WM_CHAR, '/', 0);
    EXPECT_FALSE(a->Expanded());
    EXPECT_FALSE(a->Item(0)->Expanded()) << "the whole branch";
}

TEST(DriveView, AWholeDriveReadRunsOnceAndStopsAtItsDepthLimit)
{
    StagedFolder folder("Ganz", "Q:\\");
    std::string deep = folder.Path();
    for (int i = 0; i < 40; ++i) {
        deep += "t\\";
        CreateDirectoryA(deep.c_str(), nullptr);
    }
    DriveTree tree;
    tree.view->SetFullDriveScan(true);
    int scans = 0;
    tree.view->OnStartScan = [&](TComponent*) { ++scans; };
    tree.Root('Q')->Expand(false);
    EXPECT_EQ(scans, 1);
    EXPECT_TRUE(tree.view->DriveSlotOf('Q').FullScan);
    tree.Root('Q')->Collapse(false);
    tree.Root('Q')->Expand(false);
    EXPECT_EQ(scans, 1) << "read once";
    int depth = 0;
    for (TTreeNode* node = tree.view->NodeOfPath(folder.Path()); node && node->GetFirstChild(); node = node->GetFirstChild())
        ++depth;
    EXPECT_GE(depth, 30);
    EXPECT_LT(depth, 40) << "the read stops at its depth limit";
}

TEST(DriveView, AWholeDriveReadRefusesToExpandOrSelectMeanwhile)
{
    DriveTree tree;
    tree.view->SetDirectory("R:\\");
    tree.view->SetFullDriveScan(true);
    bool tried = false;
    tree.view->OnScanDir = [&](TComponent*, TTreeNode*, bool&) {
        if (tried)
            return;
        tried = true;
        tree.Root('S')->Expand(false);
        tree.view->SetSelectedNode(tree.Root('S'));
        tree.view->ClearNodeChildren(tree.Root('Q'));
    };
    tree.Root('Q')->Expand(false);
    ASSERT_TRUE(tried);
    EXPECT_FALSE(tree.Root('S')->Expanded());
    EXPECT_EQ(tree.view->Directory(), "R:\\");
    EXPECT_TRUE(tree.view->NodeOfPath("Q:\\Wechsel")) << "the read's nodes stay";
}

TEST(DriveView, ABurstOfNewFoldersRefreshesTheTreeOnceAfterTheLast)
{
    DriveTree tree;
    tree.view->SetChangeInterval(0);
    EXPECT_EQ(tree.view->ChangeInterval(), 1000u) << "0 is ignored";
    tree.view->SetChangeInterval(800);
    tree.view->SetWatchDirectory(true);
    tree.view->SetDirectory("Q:\\");
    ASSERT_TRUE(tree.view->SelectedDriveWatched());
    std::vector<DWORD> refreshed;
    tree.view->OnChangeDetected = [&](TComponent*, char drive) {
        EXPECT_EQ(drive, 'Q');
        refreshed.push_back(GetTickCount());
    };
    PumpMessages(300);
    // Wine reports only changes at the top of a watched tree, so the folders go there.
    const std::vector<std::string> made = {"Q:\\Neu 1", "Q:\\Neu 2", "Q:\\Neu 3"};
    DWORD last = 0;
    for (const std::string& name : made) {
        CreateDirectoryA(name.c_str(), nullptr);
        last = GetTickCount();
        PumpMessages(200);
    }
    EXPECT_TRUE(PumpMessagesUntil([&] { return !refreshed.empty(); }, 5000));
    PumpMessages(1200);
    EXPECT_EQ(refreshed.size(), 1u) << "one refresh for the burst";
    if (!refreshed.empty()) {
        EXPECT_GE(refreshed[0] - last, 700u) << "about ChangeInterval after the last change";
    }
    EXPECT_TRUE(tree.view->NodeOfPath("Q:\\Neu 3")) << "the tree shows the new folders";
    tree.view->SetWatchDirectory(false);
    for (const std::string& name : made)
        RemoveDirectoryA(name.c_str());
}

TEST(DriveView, WatchersStartOnlyAsTheTreeLoadsOrSelects)
{
    DriveTree tree;
    tree.view->SetDirectory("Q:\\Wechsel");
    EXPECT_EQ(tree.view->DriveSlotOf('Q').Watcher, nullptr) << "selecting starts none while watching is off";
    tree.Root('S')->Expand(false);
    ASSERT_NE(tree.view->DriveSlotOf('S').Watcher, nullptr) << "loading a drive by expanding it does";
    tree.view->SetWatchDirectory(true);
    EXPECT_TRUE(tree.view->DriveWatched(tree.Root('S')));
    EXPECT_EQ(tree.view->DriveSlotOf('R').Watcher, nullptr) << "only drives that were loaded";
    tree.view->SetWatchDirectory(false);
    EXPECT_FALSE(tree.view->DriveWatched(tree.Root('S')));
    EXPECT_NE(tree.view->DriveSlotOf('S').Watcher, nullptr) << "stopped, not dropped";
}

TEST(DragImageHold, TheSharedListLivesWhileAnyoneHoldsIt)
{
    const int before = TDragImageHold::Holders();
    auto first = std::make_unique<TDragImageHold>();
    TImageList* list = TDragImageHold::List();
    ASSERT_TRUE(list);
    {
        TDragImageHold second;
        EXPECT_EQ(TDragImageHold::List(), list);
    }
    EXPECT_EQ(TDragImageHold::List(), list) << "one holder going frees nothing";
    first.reset();
    EXPECT_EQ(TDragImageHold::Holders(), before);
    if (before == 0) {
        EXPECT_EQ(TDragImageHold::List(), nullptr);
    }
}
