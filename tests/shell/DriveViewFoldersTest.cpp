// The drive tree's folder operations on the staged drive Q: (tools/wine-run.sh): making, deleting
// and renaming folders in place, the right-button menus and properties, cut marks, the clipboard
// with its paste and undo.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "ClipboardFiles.h"
#include "DirView.h"
#include "DragDropFilesEx.h"
#include "DriveTreeForm.h"
#include "ExceptionLog.h"
#include "FileOperator.h"
#include "ShellDialogs.h"
#include "ShellViewShare.h"
#include "StagedFolder.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

bool ItemCut(TTreeView& view, TTreeNode* node)
{
    return (SendMessageA(view.Handle(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(node->ItemId()), TVIS_CUT) &
            TVIS_CUT) != 0;
}

// Types `text` into the node's in-place editor and commits it, as the user does.
void RenameByEditing(DriveTree& tree, TTreeNode* node, const std::string& text)
{
    ASSERT_TRUE(node->EditText()) << node->Text();
    HWND edit = reinterpret_cast<HWND>(SendMessageA(tree.view->Handle(), TVM_GETEDITCONTROL, 0, 0));
    ASSERT_TRUE(edit);
    SetWindowTextA(edit, text.c_str());
    SendMessageA(tree.view->Handle(), TVM_ENDEDITLABELNOW, FALSE, 0);
    PumpMessages();
}

class DriveViewFolders : public testing::Test {
protected:
    DriveViewFolders() : folder("Ordner", "Q:\\")
    {
        for (const char* name : {"Alpha", "Beta", "Gamma"})
            CreateDirectoryA((folder.Path() + name).c_str(), nullptr);
        tree.view->SetDirectory(folder.Path() + "Alpha");
    }
    ~DriveViewFolders() override { tree.view->ClearClipboard(); }
    TTreeNode* Node(const std::string& relative) { return tree.view->NodeOfPath(folder.Path() + relative); }

    StagedFolder folder;
    DriveTree tree;
};

}  // namespace

TEST_F(DriveViewFolders, ANewFolderComesWithItsNodeAndNamesThatLeadElsewhereMakeNone)
{
    TTreeNode* beta = Node("Beta");
    ASSERT_TRUE(beta);
    TTreeNode* made = tree.view->CreateDirectory(beta, "Neu");
    ASSERT_TRUE(made);
    EXPECT_TRUE(FolderExists(folder.Path() + "Beta\\Neu"));
    EXPECT_EQ(made->Parent(), beta);
    EXPECT_TRUE(beta->Expanded());
    EXPECT_EQ(tree.ChildTexts(beta), "Neu;") << "one node, not one more from the read";

    EXPECT_EQ(tree.view->CreateDirectory(beta, "Neu"), nullptr) << "it exists";
    EXPECT_EQ(tree.view->CreateDirectory(beta, "Neu\\Tiefer"), nullptr);
    EXPECT_FALSE(FolderExists(folder.Path() + "Beta\\Neu\\Tiefer"));
    EXPECT_EQ(tree.view->CreateDirectory(beta, "a?b"), nullptr);
    EXPECT_THROW(tree.view->CreateDirectory(nullptr, "x"), ENodeNotAssigned);
}

TEST_F(DriveViewFolders, DeletingRefusesRootsAndFollowsTheDisk)
{
    EXPECT_FALSE(tree.view->DeleteDirectory(tree.Root('Q'), false));
    EXPECT_TRUE(tree.Root('Q'));
    EXPECT_THROW(tree.view->DeleteDirectory(nullptr, false), ENodeNotAssigned);

    // Gone already: its node goes, nothing is asked.
    RemoveDirectoryA((folder.Path() + "Gamma").c_str());
    EXPECT_TRUE(tree.view->DeleteDirectory(Node("Gamma"), false));
    EXPECT_EQ(tree.ChildTexts(Node("")), "Alpha;Beta;");

    // The shell asks first; the selected folder's node goes and the one before it is selected.
    TTreeNode* beta = Node("Beta");
    tree.view->SetDirectory(folder.Path() + "Beta");
    {
        ModalAnswer yes = ModalAnswer::Yes();
        EXPECT_FALSE(tree.view->DeleteDirectory(beta, false)) << "true only for a folder found gone";
        EXPECT_FALSE(yes.seen.empty()) << "the shell asked";
    }
    EXPECT_FALSE(FolderExists(folder.Path() + "Beta"));
    EXPECT_EQ(tree.ChildTexts(Node("")), "Alpha;");
    EXPECT_EQ(tree.view->Directory(), folder.Path() + "Alpha");
}

// Wine reports only changes at the top of a watched tree, so the folder lies there.
TEST(DriveViewDelete, ARefreshWhileTheShellAsksMayTakeTheFoldersNodeFirst)
{
    const std::string path = "Q:\\Weg " + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(path.c_str(), nullptr);
    DriveTree tree;
    tree.view->SetChangeInterval(50);
    tree.Root('Q')->Expand(false);
    tree.view->SetDirectory("S:\\");
    tree.view->SetWatchDirectory(true);
    TTreeNode* node = tree.view->NodeOfPath(path);
    ASSERT_TRUE(node && tree.view->DriveWatched(node));
    bool refreshed = false;
    tree.view->OnChangeDetected = [&](TComponent*, char) { refreshed = true; };
    int ticks = 0;
    {
        // While the shell asks, another program removes the folder and the drive's refresh runs.
        ModalAnswer answer([&](HWND window, const std::string& className) {
            if (ticks++ == 0)
                RemoveDirectoryA(path.c_str());
            if (refreshed || ticks > 50)
                PostMessageA(window, WM_COMMAND, GetDlgItem(window, IDYES) ? IDYES : IDOK, 0);
        });
        tree.view->DeleteDirectory(node, false);
    }
    EXPECT_TRUE(refreshed) << "the refresh ran while the shell asked, after " << ticks << " ticks";
    EXPECT_EQ(tree.view->NodeOfPath(path), nullptr);
    EXPECT_EQ(tree.view->Directory(), "S:\\");
    tree.view->SetWatchDirectory(false);
    RemoveDirectoryA(path.c_str());
}

TEST_F(DriveViewFolders, RenamingInPlaceRenamesTheFolderOrSaysWhyNot)
{
    ExceptionLog errors;
    TTreeNode* alpha = Node("Alpha");
    ASSERT_TRUE(alpha);
    RenameByEditing(tree, alpha, "Zeta");
    EXPECT_TRUE(FolderExists(folder.Path() + "Zeta"));
    EXPECT_FALSE(FolderExists(folder.Path() + "Alpha"));
    EXPECT_EQ(alpha->Text(), "Zeta");
    EXPECT_EQ(tree.view->NodeDirName(alpha), "Zeta");
    EXPECT_EQ(tree.ChildTexts(alpha->Parent()), "Beta;Gamma;Zeta;") << "sorted again";
    EXPECT_EQ(tree.view->Directory(), folder.Path() + "Zeta") << "the selected folder under its new name";
    EXPECT_TRUE(errors.messages.empty());

    RenameByEditing(tree, alpha, "a?b");
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], InvalidDirNameText() + "  \\ / : * ? \" < > |");
    if (PRIMARYLANGID(GetUserDefaultLangID()) == LANG_GERMAN) {
        EXPECT_EQ(errors.messages[0], "Verzeichnisname enthält ungültige Zeichen:  \\ / : * ? \" < > |");
    }
    EXPECT_EQ(alpha->Text(), "Zeta");

    RenameByEditing(tree, alpha, "Beta");
    ASSERT_EQ(errors.messages.size(), 2u);
    EXPECT_EQ(errors.messages[1], RenameFailedText() + "\nBeta");
    EXPECT_EQ(alpha->Text(), "Zeta") << "the node keeps its name";
    EXPECT_TRUE(FolderExists(folder.Path() + "Beta"));

    // Names the file system would change or take as something else are refused as the list does.
    for (const char* changed : {"Zeta.", "Zeta ", "..", "NUL"}) {
        const size_t before = errors.messages.size();
        RenameByEditing(tree, alpha, changed);
        ASSERT_EQ(errors.messages.size(), before + 1) << changed;
        EXPECT_EQ(errors.messages.back(), RenameFailedText() + "\n" + changed);
        EXPECT_EQ(alpha->Text(), "Zeta") << changed;
    }
    EXPECT_TRUE(FolderExists(folder.Path() + "Zeta"));

    errors.messages.clear();
    RenameByEditing(tree, alpha, "");
    RenameByEditing(tree, alpha, "Zeta");
    EXPECT_TRUE(errors.messages.empty()) << "an empty or unchanged name does nothing";
    EXPECT_TRUE(FolderExists(folder.Path() + "Zeta"));
    EXPECT_EQ(RenameFailedTextFor(LANG_GERMAN), "Datei oder Verzeichnis kann nicht umbenannt werden:");
}

TEST_F(DriveViewFolders, TheTreeViewsEventsComeWhenTheTreeActsAndMayRefuse)
{
    CreateDirectoryA((folder.Path() + "Beta\\Innen").c_str(), nullptr);
    TDriveView& view = *tree.view;
    std::vector<std::string> events;
    bool allow = true;
    auto ask = [&](const char* what) {
        return [&events, &allow, what](TComponent*, TTreeNode* node, bool& allowed) {
            events.push_back(std::string(what) + " " + node->Text());
            allowed = allow;
        };
    };
    view.OnChanging = ask("changing");
    view.OnExpanding = ask("expanding");
    view.OnCollapsing = ask("collapsing");
    view.OnEditing = ask("editing");
    auto joined = [&] {
        std::string text;
        for (const std::string& event : events)
            text += (text.empty() ? "" : "; ") + event;
        events.clear();
        return text;
    };

    // A refused change leaves the folder selected; an allowed one is asked once.
    allow = false;
    view.SetDirectory(folder.Path() + "Gamma");
    EXPECT_EQ(joined(), "changing Gamma");
    EXPECT_EQ(view.Directory(), folder.Path() + "Alpha");
    allow = true;
    tree.changes.clear();
    view.SetDirectory(folder.Path() + "Gamma");
    EXPECT_EQ(joined(), "changing Gamma");
    EXPECT_EQ(tree.changes, std::vector<std::string>{folder.Path() + "Gamma"});

    // A branch the handler keeps shut is not read either.
    TTreeNode* beta = Node("Beta");
    ASSERT_TRUE(beta);
    view.SyncExpanded(beta->Parent());
    ASSERT_EQ(tree.ChildTexts(beta), "Innen;") << "the level below the shown one is known";
    allow = false;
    beta->Expand(false);
    EXPECT_EQ(joined(), "expanding Beta");
    EXPECT_FALSE(beta->Expanded());
    EXPECT_FALSE(view.NodeVerified(beta)) << "not read";
    allow = true;
    beta->Expand(false);
    EXPECT_EQ(joined(), "expanding Beta");
    EXPECT_TRUE(beta->Expanded());
    EXPECT_TRUE(view.NodeVerified(beta));
    allow = false;
    beta->Collapse(false);
    EXPECT_EQ(joined(), "collapsing Beta");
    EXPECT_TRUE(beta->Expanded());
    allow = true;

    // A rename: asked before the edit, told after it; the node shows the folder's name.
    view.OnEdited = [&](TComponent*, TTreeNode* node, std::string& text) {
        events.push_back("edited " + view.NodeDirName(node) + " as " + text);
        text = "Anders";
    };
    TTreeNode* gamma = Node("Gamma");
    RenameByEditing(tree, gamma, "Delta");
    EXPECT_EQ(joined(), "editing Gamma; edited Delta as Delta");
    EXPECT_EQ(gamma->Text(), "Delta");
    EXPECT_TRUE(FolderExists(folder.Path() + "Delta"));
    allow = false;
    EXPECT_FALSE(gamma->EditText());
    EXPECT_EQ(joined(), "editing Delta");
    allow = true;

    // A node that goes has let go of its folder's data when the handler hears of it.
    std::vector<std::string> deleted;
    view.OnDeletion = [&](TComponent*, TTreeNode* node) {
        deleted.push_back(node->Text() + (TDriveView::NodeData(node) ? " with data" : ""));
    };
    RemoveDirectoryA((folder.Path() + "Beta\\Innen").c_str());
    view.SyncExpanded(beta);
    EXPECT_EQ(deleted, std::vector<std::string>{"Innen"});

    // Images: the tree's own first, then the handler's word; the open folders' list as states.
    std::vector<std::string> images;
    view.OnGetImageIndex = [&](TComponent*, TTreeNode* node) {
        images.push_back(node->Text() + (node->ImageIndex() >= 0 ? " chosen" : ""));
    };
    CreateDirectoryA((folder.Path() + "Beta\\Neu").c_str(), nullptr);
    view.SyncExpanded(beta);
    TTreeNode* neu = Node("Beta\\Neu");
    ASSERT_TRUE(neu);
    neu->MakeVisible();
    UpdateWindow(view.Handle());
    PumpMessages();
    EXPECT_EQ(images, std::vector<std::string>{"Neu chosen"});
    EXPECT_NE(SendMessageA(view.Handle(), TVM_GETIMAGELIST, TVSIL_STATE, 0), 0);
}

TEST_F(DriveViewFolders, CopyThenPasteCopiesAndKeepsTheClipboard)
{
    Touch(folder.Path() + "Alpha\\a.txt");
    ASSERT_TRUE(tree.view->CopySelectedToClipboard());
    EXPECT_EQ(ClipboardFiles(), std::vector<std::string>{folder.Path() + "Alpha"});
    EXPECT_EQ(ViewClipboard().mode, cbCopy);
    tree.view->SetDirectory(folder.Path() + "Beta");
    EXPECT_TRUE(tree.view->ClipboardHasFiles());
    DWORD executed = 0;
    tree.view->OnDDExecuted = [&](TComponent*, DWORD effect) { executed = effect; };
    ASSERT_TRUE(tree.view->PasteIntoSelected());
    EXPECT_EQ(executed, static_cast<DWORD>(DROPEFFECT_COPY));
    EXPECT_TRUE(FolderExists(folder.Path() + "Alpha"));
    EXPECT_TRUE(FolderExists(folder.Path() + "Beta\\Alpha")) << "copied";
    EXPECT_EQ(folder.Files("Beta\\Alpha\\"), std::vector<std::string>{"a.txt"});
    EXPECT_EQ(tree.ChildTexts(Node("Beta")), "Alpha;") << "the target's branch read again";
    EXPECT_EQ(ClipboardFiles(), std::vector<std::string>{folder.Path() + "Alpha"}) << "kept";

    // The copy can be taken back.
    ASSERT_TRUE(tree.view->CanUndoFileOperation());
    EXPECT_TRUE(tree.view->UndoLastFileOperation());
    EXPECT_FALSE(FolderExists(folder.Path() + "Beta\\Alpha"));
    EXPECT_EQ(tree.ChildTexts(Node("Beta")), "") << "the undo re-read the drive";
    EXPECT_FALSE(tree.view->CanUndoFileOperation());
}

TEST_F(DriveViewFolders, CutOfANodeThenPasteMovesItAndEmptiesTheClipboard)
{
    TTreeNode* gamma = Node("Gamma");
    ASSERT_FALSE(gamma->Selected());
    ASSERT_TRUE(tree.view->CutNodeToClipboard(gamma));
    EXPECT_EQ(ClipboardFiles(), std::vector<std::string>{folder.Path() + "Gamma"}) << "the node cut, not the selected";
    EXPECT_EQ(tree.view->CutPath(), folder.Path() + "Gamma");
    EXPECT_TRUE(gamma->Cut());
    EXPECT_TRUE(ItemCut(*tree.view, gamma)) << "drawn as cut";
    EXPECT_FALSE(tree.view->CutNodeToClipboard(tree.Root('Q'))) << "a root stays where it is";
    ASSERT_TRUE(tree.view->CutNodeToClipboard(gamma));

    tree.view->SetDirectory(folder.Path() + "Beta");
    ASSERT_TRUE(tree.view->PasteIntoSelected());
    EXPECT_FALSE(FolderExists(folder.Path() + "Gamma"));
    EXPECT_TRUE(FolderExists(folder.Path() + "Beta\\Gamma")) << "moved";
    EXPECT_EQ(tree.ChildTexts(Node("")), "Alpha;Beta;") << "the source's branch read again";
    EXPECT_EQ(tree.ChildTexts(Node("Beta")), "Gamma;");
    EXPECT_TRUE(ClipboardFiles().empty());
    EXPECT_EQ(ViewClipboard().mode, cbNone);
    EXPECT_EQ(tree.view->CutPath(), "");
    EXPECT_FALSE(tree.view->ClipboardHasFiles());
    EXPECT_FALSE(tree.view->PasteIntoSelected()) << "nothing left to paste";
}

TEST_F(DriveViewFolders, ACutReplacedOnTheClipboardIsCopiedNotMoved)
{
    ASSERT_TRUE(tree.view->CutNodeToClipboard(Node("Gamma")));
    // Another program puts the same folder there anew.
    HWND owner = GetParentForm(tree.view)->Handle();
    ASSERT_TRUE(FilesInvokeVerb(owner, "copy", folder.Path(), {"Gamma"}));
    ASSERT_TRUE(PumpMessagesUntil([&] { return !ClipboardFiles().empty(); }));
    EXPECT_EQ(ViewClipboard().mode, cbCut) << "the tree was not told";
    tree.view->SetDirectory(folder.Path() + "Beta");
    ASSERT_TRUE(tree.view->PasteIntoSelected());
    EXPECT_TRUE(FolderExists(folder.Path() + "Gamma")) << "copied, not moved";
    EXPECT_TRUE(FolderExists(folder.Path() + "Beta\\Gamma"));
}

TEST_F(DriveViewFolders, ARightClickShowsTheShellMenuOrThePopupMenuAndLeavesDragDetectionAsItWas)
{
    MenuHandle popup(CreatePopupMenu());
    AppendMenuA(popup.get(), MF_STRING, 1, "Eintrag");
    tree.view->PopupMenu = popup.get();
    auto rightClick = [&](POINT screen) {
        SetCursorPos(screen.x, screen.y);
        const POINT client = tree.view->ScreenToClient(screen);
        const LPARAM at = MAKELPARAM(client.x, client.y);
        // The control takes the release from the queue while it handles the press.
        PostMessageA(tree.view->Handle(), WM_RBUTTONUP, 0, at);
        SendMessageA(tree.view->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, at);
        PumpMessages();
    };
    POINT cursor;
    TTreeNode* beta = Node("Beta");
    const POINT onBeta = tree.ScreenPointOf(beta);
    SetCursorPos(onBeta.x, onBeta.y);
    GetCursorPos(&cursor);
    if (cursor.x != onBeta.x || cursor.y != onBeta.y)
        GTEST_SKIP() << "the pointer cannot be placed";

    for (bool detecting : {false, true}) {
        tree.view->DragDrop().AutoDetectDnD = detecting;
        std::vector<std::string> seen;
        {
            ModalAnswer close = ModalAnswer::Yes();
            rightClick(onBeta);
            seen = close.seen;
        }
        EXPECT_FALSE(seen.empty()) << "a menu for the node";
        EXPECT_EQ(tree.view->DragDrop().AutoDetectDnD, detecting) << "as it was before the menu";
        EXPECT_EQ(tree.view->DropTarget(), nullptr) << "no mark left behind";
    }

    // Below the last node: the tree's own menu.
    const POINT empty = tree.view->ClientToScreen({100, tree.view->ClientHeight() - 5});
    ModalAnswer close = ModalAnswer::Yes();
    tree.view->UseSystemContextMenu = false;
    rightClick(onBeta);
    tree.view->UseSystemContextMenu = true;
    rightClick(empty);
    EXPECT_EQ(close.seen, (std::vector<std::string>{"#32768", "#32768"}));
}

TEST_F(DriveViewFolders, TheShellMenusCutMarksTheNodeAndAPasteMovesIt)
{
    TTreeNode* gamma = Node("Gamma");
    const POINT onGamma = tree.ScreenPointOf(gamma);
    SetCursorPos(onGamma.x, onGamma.y);
    // Chooses the menu's cut item from the keyboard, as the user may. (Wine's menu offers no
    // rename beside the explorer's items, so the in-place rename is reached by clicking.)
    bool found = false;
    ModalAnswer choose([&](HWND window, const std::string& className) {
        if (className != "#32768" || found)
            return;
        HMENU menu = reinterpret_cast<HMENU>(SendMessageA(window, MN_GETHMENU, 0, 0));
        int steps = 0;
        for (int i = 0; i < GetMenuItemCount(menu) && !found; ++i) {
            char text[128] = {};
            GetMenuStringA(menu, static_cast<UINT>(i), text, sizeof text, MF_BYPOSITION);
            if (GetMenuState(menu, static_cast<UINT>(i), MF_BYPOSITION) & (MF_SEPARATOR | MF_GRAYED | MF_DISABLED))
                continue;
            ++steps;
            const std::string caption = AnsiLowerCase(text);
            found = caption == "c&ut" || caption == "&ausschneiden";
        }
        for (int i = 0; found && i < steps; ++i)
            PostMessageA(window, WM_KEYDOWN, VK_DOWN, 0);
        PostMessageA(window, WM_KEYDOWN, found ? VK_RETURN : VK_ESCAPE, 0);
    });
    tree.view->DisplayContextMenu(gamma);
    ASSERT_TRUE(found) << "a cut item in the shell's menu";
    EXPECT_EQ(ViewClipboard().mode, cbCut);
    EXPECT_EQ(tree.view->CutPath(), folder.Path() + "Gamma");
    EXPECT_TRUE(gamma->Cut());
    EXPECT_EQ(tree.view->DropTarget(), nullptr);
    ASSERT_TRUE(PumpMessagesUntil([&] { return !ClipboardFiles().empty(); })) << "the shell put the folder there";

    tree.view->SetDirectory(folder.Path() + "Beta");
    ASSERT_TRUE(tree.view->PasteIntoSelected());
    EXPECT_TRUE(FolderExists(folder.Path() + "Beta\\Gamma"));
    EXPECT_FALSE(FolderExists(folder.Path() + "Gamma")) << "moved";
}

TEST_F(DriveViewFolders, AltEnterShowsTheSelectedFoldersProperties)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[VK_MENU] = 0x80;
    SetKeyboardState(keys);
    ModalAnswer close = ModalAnswer::Yes();
    tree.view->Perform(WM_SYSKEYDOWN, VK_RETURN, 1 << 29);
    PumpMessagesUntil([&] { return !close.seen.empty(); }, 2000);
    keys[VK_MENU] = 0;
    SetKeyboardState(keys);
    EXPECT_EQ(close.seen, std::vector<std::string>{"#32770"}) << "one properties dialog";
}
