// The file list's operations on staged folders: renaming in place and what a rename refuses,
// opening folders and links, new empty files, deleting, running a file, the clipboard's cut,
// copy and paste, and the ranges its indexes are checked against.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "ClipboardFiles.h"
#include "DirView.h"
#include "DirViewTestSupport.h"
#include "DragDrop.h"
#include "DragDropFilesEx.h"
#include "DriveView.h"
#include "ExceptionLog.h"
#include "MessagePump.h"
#include "ShellLink.h"
#include "ShellViewShare.h"
#include "StagedFolder.h"
#include "WitnessWindow.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Types over an item's caption in place, as the user does, and ends the edit with Enter.
void EditCaption(ViewOnForm& on, const std::string& name, const std::string& text)
{
    on.view->SetFocus();
    const int row = on.Row(name);
    ASSERT_GE(row, 0) << name;
    HWND edit = reinterpret_cast<HWND>(SendMessageA(on.view->Handle(), LVM_EDITLABELA, static_cast<WPARAM>(row), 0));
    ASSERT_NE(edit, nullptr) << "no edit box for " << name;
    SetWindowTextA(edit, text.c_str());
    SendMessageA(edit, WM_KEYDOWN, VK_RETURN, 0);
    PumpMessages();
}

// Another program takes the clipboard and puts the same files there: their list stays, but it
// is no longer what the view cut.
void AnotherOwnerCopies(const std::vector<std::string>& files)
{
    HWND other = MakeWitnessWindow("DirViewOtherOwner", DefWindowProcA);
    std::string names;
    for (const std::string& file : files)
        names += file + '\0';
    names += '\0';
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + names.size());
    auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    memcpy(reinterpret_cast<char*>(drop) + sizeof(DROPFILES), names.data(), names.size());
    GlobalUnlock(memory);
    if (OpenClipboard(other)) {
        EmptyClipboard();
        SetClipboardData(CF_HDROP, memory);
        CloseClipboard();
    }
    DestroyWindow(other);
}

class DirViewOperations : public testing::Test {
protected:
    void SetUp() override
    {
        InitDragDrop();
        on.view->SetPath(staged.Path());
    }
    StagedListing staged;
    ViewOnForm on;
};

}  // namespace

TEST(DirViewNames, WhatARenameRefuses)
{
    const std::string folder = "C:\\Ordner";
    const struct { std::string name; bool refused; bool invalidChars; } cases[] = {
        {"neu.txt", false, false},
        {"a:b", true, true},
        {"sub\\x.txt", true, true},
        {"frage?", true, true},
        {"punkt.", true, false},
        {"blank ", true, false},
        {".", true, false},
        {"..", true, false},
        {"con", true, false},
        {"CON.txt", true, false},
        {"com1.log", true, false},
        {"lpt9", true, false},
        {"com10", false, false},
        {"console.txt", false, false},
        {".versteckt", false, false},
        {std::string(250, 'x'), true, false},
        {std::string(240, 'x'), false, false},
    };
    for (const auto& c : cases) {
        bool invalidChars = false;
        const std::string why = RejectedFileName(folder, c.name, invalidChars);
        EXPECT_EQ(!why.empty(), c.refused) << "\"" << c.name << "\": " << why;
        EXPECT_EQ(invalidChars, c.invalidChars) << c.name;
    }
    bool invalidChars = false;
    const std::string why = RejectedFileName(folder, "a:b", invalidChars);
    EXPECT_EQ(why, DirViewTexts().InvalidChars + std::string("  \\ / : * ? \" < > |"));
    EXPECT_EQ(RejectedFileName(folder, "x.", invalidChars), DirViewTexts().RenameError + std::string("\nx."));
}

TEST_F(DirViewOperations, RenameInPlace)
{
    EditCaption(on, "Alpha.txt", "Neu.dat");
    EXPECT_TRUE(Exists(staged.folder.Path() + "Neu.dat"));
    EXPECT_FALSE(Exists(staged.folder.Path() + "Alpha.txt"));
    ASSERT_NE(on.Rec("Neu.dat"), nullptr);
    EXPECT_EQ(on.Rec("Neu.dat")->Ext, "DAT");
    EXPECT_EQ(on.Text(on.Row("Neu.dat"), 0), "Neu.dat");
    EXPECT_TRUE(on.view->LoadEnabled());
}

TEST_F(DirViewOperations, ARefusedRenameKeepsTheNameAndLetsLoadsRun)
{
    ExceptionLog errors;
    EditCaption(on, "Alpha.txt", "a:b");
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_EQ(errors.messages[0], DirViewTexts().InvalidChars + std::string("  \\ / : * ? \" < > |"));
    EXPECT_EQ(on.Text(on.Row("Alpha.txt"), 0), "Alpha.txt");
    EXPECT_TRUE(on.view->LoadEnabled());
    WriteFile(staged.folder.Path() + "spaeter.txt", 1);
    on.view->Reload(true);
    EXPECT_NE(on.view->FindFileItem("spaeter.txt"), nullptr) << "a later load runs: " << on.Names();

    // Onto a name that is taken: the system refuses, the caption stays the file's.
    EditCaption(on, "Alpha.txt", "beta.ico");
    ASSERT_EQ(errors.messages.size(), 2u);
    EXPECT_EQ(errors.messages[1], DirViewTexts().RenameError + std::string("\nbeta.ico"));
    EXPECT_EQ(on.Text(on.Row("Alpha.txt"), 0), "Alpha.txt");
    EXPECT_EQ(on.Text(on.Row("beta.ico"), 0), "beta.ico");
    EXPECT_TRUE(Exists(staged.folder.Path() + "Alpha.txt"));

    // A name the file system would change is refused before it can.
    EditCaption(on, "Alpha.txt", "Alpha.");
    ASSERT_EQ(errors.messages.size(), 3u);
    EXPECT_TRUE(Exists(staged.folder.Path() + "Alpha.txt"));
    EXPECT_TRUE(on.view->LoadEnabled());
}

TEST_F(DirViewOperations, EnterOpensFoldersAndLinksToThem)
{
    on.view->SetSelected(on.view->FindFileItem("Unter"));
    on.view->SetItemFocused(on.view->FindFileItem("Unter"));
    SendMessageA(on.view->Handle(), WM_KEYDOWN, VK_RETURN, 0);
    PumpMessages();
    EXPECT_EQ(on.view->Path(), staged.Path() + "\\Unter");

    StagedListing other("andere");
    ASSERT_TRUE(CreateShellLink(staged.folder.Path() + "Unter", other.folder.Path() + "Unter.lnk", "Unter"));
    ASSERT_TRUE(CreateShellLink(staged.folder.Path() + "fehlt", other.folder.Path() + "Fehlt.lnk", "Fehlt"));
    on.view->SetPath(other.Path());
    on.view->SetSelected(on.view->FindFileItem("Fehlt.lnk"));
    on.view->OpenSelected();
    EXPECT_EQ(on.view->Path(), other.Path()) << "a link to nothing opens nothing";
    on.view->SetSelected(on.view->FindFileItem("Unter.lnk"));
    on.view->OpenSelected();
    EXPECT_EQ(on.view->Path(), staged.Path() + "\\Unter") << "a link to a folder opens the folder";
}

// A drive tree beside the file list it drives, on a folder of the staged drive Q:.
class DirViewWithTree : public testing::Test {
protected:
    void SetUp() override
    {
        InitDragDrop();
        tree = form.Add<TDriveView>(0, 0, 200, 380);
        view = form.Add<TDirView>(210, 0, 480, 380);
        form.form->Show();
        PumpMessages();
        tree->SetDirView(view);
        tree->SetDirectory(staged.folder.Path());
    }
    StagedListing staged{"Baum", "Q:\\"};
    TestForm form{20, 20, 700, 400};
    TDriveView* tree = nullptr;
    TDirView* view = nullptr;
};

TEST_F(DirViewWithTree, AnOpenedFolderIsSelectedInTheTree)
{
    EXPECT_EQ(view->Path(), staged.Path()) << "the tree drives the view";
    view->SetSelected(view->FindFileItem("Unter"));
    view->OpenSelected();
    EXPECT_EQ(tree->Directory(), staged.Path() + "\\Unter");
    EXPECT_EQ(view->Path(), staged.Path() + "\\Unter");
    delete tree;
    EXPECT_EQ(view->DriveView(), nullptr) << "a freed tree leaves no link behind";
}

TEST_F(DirViewWithTree, ClipboardMarksAndAMoveOntoTheTree)
{
    // Each side's clipboard change takes the other's cut marks away.
    view->SetSelected(view->FindFileItem("Alpha.txt"));
    ASSERT_TRUE(view->CutToClipboard());
    const int alpha = view->FindFileItem("Alpha.txt")->Index();
    EXPECT_TRUE(ListView_GetItemState(view->Handle(), alpha, LVIS_CUT));
    tree->ClearClipboard();
    EXPECT_FALSE(ListView_GetItemState(view->Handle(), alpha, LVIS_CUT));
    ASSERT_TRUE(tree->CutNodeToClipboard(tree->Selected()));
    EXPECT_FALSE(tree->CutPath().empty());
    view->EmptyClipboard();
    EXPECT_EQ(tree->CutPath(), "");

    // A file dragged from the list and moved by the tree leaves the list at once.
    view->OnDDQueryContinueDrag = [&](TComponent*, BOOL, DWORD, HRESULT& result) {
        if (result == DRAGDROP_S_CANCEL)
            return;
        tree->DragDrop().FileList.Clear();
        tree->DragDrop().FileList.AddItem(nullptr, staged.folder.Path() + "Alpha.txt");
        tree->DDFileOperation(staged.folder.Path() + "Unter", DROPEFFECT_MOVE, false);
        result = DRAGDROP_S_CANCEL;
    };
    view->StartDrag();
    EXPECT_TRUE(Exists(staged.folder.Path() + "Unter\\Alpha.txt"));
    EXPECT_EQ(view->FindFileItem("Alpha.txt"), nullptr);
}

TEST_F(DirViewOperations, NewEmptyFiles)
{
    TListItem* item = on.view->CreateEmptyFile("leer.txt");
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->Focused());
    EXPECT_TRUE(Exists(staged.folder.Path() + "leer.txt"));
    EXPECT_EQ(TDirView::ItemRec(item)->Size, 0);
    EXPECT_EQ(on.view->CreateEmptyFile("leer.txt"), nullptr) << "never over a file that is there";
    EXPECT_EQ(on.view->CreateEmptyFile("..\\draussen.txt"), nullptr) << "never outside the folder";
    EXPECT_FALSE(Exists(staged.folder.Path() + "..\\draussen.txt"));
}

TEST_F(DirViewOperations, DeletingTheSelection)
{
    on.view->ConfirmDelete = false;
    on.Select({"Alpha.txt", "delta.bmp"});
    EXPECT_TRUE(on.view->DeleteSelectedFiles(false));
    EXPECT_FALSE(Exists(staged.folder.Path() + "Alpha.txt"));
    EXPECT_FALSE(Exists(staged.folder.Path() + "delta.bmp"));
    EXPECT_EQ(on.Names(), "Unter,beta.ico,gamma.ICO");
    EXPECT_EQ(on.view->FilesSize(), 1500 + 300);

    // Into the Recycle Bin, and items whose files went by other hands leave on request.
    on.Select({"gamma.ICO"});
    EXPECT_TRUE(on.view->DeleteSelectedFiles(true));
    EXPECT_FALSE(Exists(staged.folder.Path() + "gamma.ICO"));
    on.Select({"beta.ico"});
    DeleteFileA((staged.folder.Path() + "beta.ico").c_str());
    on.view->RemoveVanishedSelected();
    EXPECT_EQ(on.Names(), "Unter");
}

TEST_F(DirViewOperations, RunningAFileThatIsGoneSaysWhich)
{
    TListItem* item = on.view->FindFileItem("Alpha.txt");
    DeleteFileA((staged.folder.Path() + "Alpha.txt").c_str());
    try {
        on.view->ExecuteFile(item);
        FAIL() << "no error";
    } catch (const EExecFile& error) {
        EXPECT_EQ(std::string(error.what()), DirViewTexts().OpenError + staged.Path() + "\\Alpha.txt");
    }
}

TEST_F(DirViewOperations, CutCopyAndPaste)
{
    StagedListing target("Ziel");
    ViewOnForm there;
    there.view->SetPath(target.Path() + "\\Unter");

    on.view->SetSelected(nullptr);
    EXPECT_FALSE(on.view->CutToClipboard()) << "nothing selected";
    EXPECT_EQ(ViewClipboard().mode, cbNone);
    EXPECT_TRUE(ClipboardFiles().empty());

    // Copied files stay where they are and can be pasted twice.
    on.Select({"Alpha.txt"});
    ASSERT_TRUE(on.view->CopyToClipboard());
    EXPECT_EQ(ViewClipboard().mode, cbCopy);
    EXPECT_EQ(ClipboardFiles(), std::vector<std::string>{staged.Path() + "\\Alpha.txt"});
    ASSERT_TRUE(there.view->CanPasteFromClipboard());
    EXPECT_TRUE(there.view->PasteFromClipboard());
    EXPECT_TRUE(Exists(target.folder.Path() + "Unter\\Alpha.txt"));
    EXPECT_TRUE(Exists(staged.folder.Path() + "Alpha.txt"));
    EXPECT_NE(there.view->FindFileItem("Alpha.txt"), nullptr);
    EXPECT_EQ(ClipboardFiles().size(), 1u) << "a copy stays on the clipboard";

    // Cut files move, and the clipboard is emptied once they have.
    on.Select({"delta.bmp"});
    ASSERT_TRUE(on.view->CutToClipboard());
    EXPECT_EQ(ViewClipboard().mode, cbCut);
    EXPECT_TRUE(ListView_GetItemState(on.view->Handle(), on.Row("delta.bmp"), LVIS_CUT)) << "drawn as cut";
    EXPECT_TRUE(there.view->PasteFromClipboard());
    EXPECT_TRUE(Exists(target.folder.Path() + "Unter\\delta.bmp"));
    EXPECT_FALSE(Exists(staged.folder.Path() + "delta.bmp"));
    EXPECT_EQ(ViewClipboard().mode, cbNone);
    EXPECT_TRUE(ClipboardFiles().empty());

    // A cut that another program's copy replaced is pasted as a copy.
    on.view->Reload(true);
    on.Select({"beta.ico"});
    ASSERT_TRUE(on.view->CutToClipboard());
    AnotherOwnerCopies({staged.Path() + "\\beta.ico"});
    EXPECT_TRUE(there.view->PasteFromClipboard());
    EXPECT_TRUE(Exists(target.folder.Path() + "Unter\\beta.ico"));
    EXPECT_TRUE(Exists(staged.folder.Path() + "beta.ico")) << "the original stays";
    EXPECT_EQ(ViewClipboard().mode, cbNone);
    EXPECT_EQ(ClipboardFiles().size(), 1u) << "the other program's files stay on the clipboard";

    there.view->SetPath(target.folder.Path() + "fehlt");
    EXPECT_FALSE(there.view->CanPasteFromClipboard()) << "no folder, no paste";
}

// Counts the menus that open over a window.
class MenuWatch {
public:
    explicit MenuWatch(HWND window) : window_(window)
    {
        SetWindowSubclass(window_, Proc, 1, reinterpret_cast<DWORD_PTR>(this));
    }
    ~MenuWatch() { RemoveWindowSubclass(window_, Proc, 1); }
    int opened = 0;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self)
    {
        if (msg == WM_INITMENUPOPUP)
            ++reinterpret_cast<MenuWatch*>(self)->opened;
        return DefSubclassProc(window, msg, wParam, lParam);
    }
    HWND window_;
};

TEST_F(DirViewOperations, TheRightButtonsMenus)
{
    HMENU own = CreatePopupMenu();
    AppendMenuA(own, MF_STRING, 1, "Eigenes");
    on.view->SetPopupMenu(own);
    MenuWatch watch(on.form->Handle());
    // Whatever menu opens is closed at once, also one that reports to a window of its own.
    PostedAction close([] { EndMenu(); });
    const LPARAM at = MAKELPARAM(100, 100);

    on.view->SetSelected(nullptr);
    close.Post();
    SendMessageA(on.view->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(on.view->Handle()), at);
    EXPECT_EQ(watch.opened, 1) << "no selection: the view's own menu";

    on.Select({"Alpha.txt"});
    on.view->SetUseSystemContextMenu(false);
    close.Post();
    SendMessageA(on.view->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(on.view->Handle()), at);
    EXPECT_EQ(watch.opened, 2) << "the shell's menu switched off: the view's own";

    on.view->SetUseSystemContextMenu(true);
    close.Post();
    SendMessageA(on.view->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(on.view->Handle()), at);
    EXPECT_EQ(watch.opened, 2) << "a selection: the shell's menu, not the view's";
    EXPECT_TRUE(Exists(staged.folder.Path() + "Alpha.txt"));
    PumpMessages();
    DestroyMenu(own);
}

TEST_F(DirViewOperations, IndexesOutOfRange)
{
    EXPECT_EQ(on.view->ColWidth(5), 0);
    EXPECT_EQ(on.view->ColWidth(-1), 0);
    on.view->SetColWidth(7, 99);
    on.view->SetColWidth(1, 99);
    EXPECT_EQ(on.view->ColWidth(1), 99);
    EXPECT_EQ(on.view->Columns()[1]->Width(), 99);
    on.view->SetSortColumn(static_cast<TSortColumn>(9));
    EXPECT_EQ(on.view->SortColumn(), sName);
    const int twice[5] = {0, 1, 1, 3, 4};
    on.view->SetColumnOrder(twice);
    int order[5] = {};
    on.view->GetColumnOrder(order);
    EXPECT_EQ(std::vector<int>(order, order + 5), (std::vector<int>{0, 1, 2, 3, 4})) << "an order that loses a column";
    const int turned[5] = {4, 3, 2, 1, 0};
    on.view->SetColumnOrder(turned);
    on.view->GetColumnOrder(order);
    EXPECT_EQ(std::vector<int>(order, order + 5), (std::vector<int>{4, 3, 2, 1, 0}));
    EXPECT_EQ(on.view->ItemData(-1), nullptr);
    EXPECT_EQ(on.view->ItemData(5), nullptr);
}
