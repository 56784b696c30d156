// The gallery's file mode: "Erweitert" swaps the catalogue tree for the drive tree at the current
// file's folder, a folder chosen there fills the gallery, and a drive without medium says so and
// changes nothing. Everything lies on the drives tools/wine-run.sh stages (Q:, and R: without
// medium).
#include <windows.h>

#include "Bitmap.h"
#include "DialogStub.h"
#include "DragDropFilesEx.h"
#include "ExactNames.h"
#include "Gallery.h"
#include "IconConverter.h"
#include "IconInfo.h"
#include "Main.h"
#include "MessagePump.h"
#include "MouseInput.h"
#include "ProgramForms.h"
#include "StagedFolder.h"
#include "Startup.h"
#include "SysUtils.h"
#include "toolsunit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

void WriteIcon(const std::string& path)
{
    TBitmap bitmap(32, 32);
    bitmap.Canvas().Brush().SetColor(0x0000FF);
    bitmap.Canvas().FillRect({0, 0, 32, 32});
    SaveBitmapAsIcon(path, bitmap, clNone);
}

class FileModeTest : public testing::Test {
protected:
    FileModeTest() : catalogue("Katalog", "Q:\\"), files("Dateien", "Q:\\") {}

    void SetUp() override
    {
        // Ahead of the "Eigene Icons" the program adds: the first category.
        WriteIcon(catalogue.Folder("Affen") + "katze.ico");
        WriteIcon(files.Folder("Bilder") + "rot.ico");
        char exe[MAX_PATH];
        GetModuleFileNameA(nullptr, exe, MAX_PATH);
        CopyFileA((ExtractFilePath(exe) + "ql_test_icons.dll").c_str(), (files.Folder("Bilder") + "sammlung.dll").c_str(),
                  FALSE);
        ResetMainState();
        OverrideProgramFolder(catalogue.Path());
        CreateProgramForms();
        MainForm->Show();
        PumpMessages();
    }
    void TearDown() override
    {
        FreeProgramForms();
        OverrideProgramFolder("");
    }
    std::string CurrentIcon() const { return IconInfoForm->lFile->Text(); }
    void Erweitert() { MainForm->bErweitert->OnClick(MainForm->bErweitert); }

    StagedFolder catalogue;
    StagedFolder files;
    DialogStub dialogs;
};

}  // namespace

TEST_F(FileModeTest, ErweitertShowsTheCurrentFilesFolderAndTwiceGoesBack)
{
    // The drive tree is made at the first "Erweitert"; before any file was chosen it keeps what
    // it shows.
    MainForm->NeedGalleryPage();
    EXPECT_EQ(MainForm->DriveView1, nullptr);
    Erweitert();
    ASSERT_NE(MainForm->DriveView1, nullptr);
    EXPECT_TRUE(MainForm->DriveView1->Visible());
    EXPECT_EQ(MainForm->DriveView1->Parent(), MainForm->pIcons);
    Erweitert();
    EXPECT_TRUE(dialogs.messages.empty());

    MainForm->bIconsClick(MainForm->bIcons);
    ASSERT_EQ(CurrentIcon(), AnsiUpperCase(catalogue.Path() + "Affen\\katze.ico"));
    Erweitert();
    EXPECT_TRUE(MainForm->DriveView1->Visible());
    EXPECT_FALSE(MainForm->TreeView->Visible());
    EXPECT_EQ(MainForm->bErweitert->Caption(), "Standard");
    EXPECT_EQ(MainForm->DriveView1->Directory(), catalogue.Path() + "Affen") << "the folder as it is on disk";
    EXPECT_EQ(CurrentCategory, "Affen");
    ASSERT_EQ(Toolsform->GalleryFiles.size(), 1u);

    Erweitert();
    EXPECT_FALSE(MainForm->DriveView1->Visible());
    EXPECT_TRUE(MainForm->TreeView->Visible());
    EXPECT_EQ(MainForm->bErweitert->Caption(), "Erweitert");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(FileModeTest, AChosenFolderFillsTheGalleryAndARootIsItsOwnCategory)
{
    MainForm->bIconsClick(MainForm->bIcons);
    Erweitert();
    // A library open in its icon list gives way to the gallery of the new folder.
    MainForm->ListView1->SetSelected(MainForm->ListView1->Items()[0]);
    MainForm->DriveView1->SetDirectory(files.Path() + "Bilder");
    ASSERT_EQ(Toolsform->GalleryFiles.size(), 2u);
    EXPECT_EQ(Toolsform->GalleryFiles[0], files.Path() + "Bilder\\rot.ico");
    EXPECT_EQ(Toolsform->GalleryFiles[1], files.Path() + "Bilder\\sammlung.dll");
    EXPECT_EQ(MainForm->ListView1->Items().Count(), 2);
    EXPECT_EQ(CurrentCategory, "Bilder");
    MainForm->ListView1->SetSelected(MainForm->ListView1->Items()[1]);
    MainForm->ListView1DblClick(MainForm->ListView1);
    ASSERT_TRUE(MainForm->lbIcons->Visible());

    MainForm->DriveView1->SetDirectory("Q:\\");
    EXPECT_EQ(CurrentCategory, "Q:\\") << "a root is named by itself";
    EXPECT_TRUE(Toolsform->GalleryFiles.empty());
    EXPECT_TRUE(MainForm->ListView1->Visible());
    EXPECT_FALSE(MainForm->lbIcons->Visible());
}

TEST_F(FileModeTest, ADriveWithoutMediumSaysSoAndKeepsGalleryAndCurrentIcon)
{
    MainForm->bIconsClick(MainForm->bIcons);
    Erweitert();
    const std::vector<std::string> gallery = Toolsform->GalleryFiles;
    const std::string icon = CurrentIcon();
    const std::string category = CurrentCategory;
    MainForm->DriveView1->SetDirectory("R:\\");
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Es befindet sich kein Datenträger im Laufwerk.");
    EXPECT_EQ(dialogs.messages[0].type, mtError);
    EXPECT_EQ(dialogs.messages[0].buttons, TMsgDlgButtons(mbOK));
    EXPECT_EQ(Toolsform->GalleryFiles, gallery);
    EXPECT_EQ(CurrentIcon(), icon);
    EXPECT_EQ(CurrentCategory, category);

    // No selection at all (a sync in between) is no missing medium.
    MainForm->DriveView1->SetSelected(nullptr);
    EXPECT_EQ(dialogs.messages.size(), 1u);
}

TEST_F(FileModeTest, AFolderThatCannotBeShownSaysWhyInGerman)
{
    EXPECT_EQ(GalleryFolderProblem("R:\\"), "Es befindet sich kein Datenträger im Laufwerk.");
    EXPECT_EQ(GalleryFolderProblem("R:\\Ordner"), "Es befindet sich kein Datenträger im Laufwerk.");
    EXPECT_EQ(GalleryFolderProblem(files.Path() + "fehlt"),
              "Der Ordner \x84" + files.Path() + "fehlt\x93 ist nicht mehr vorhanden.");
    EXPECT_EQ(GalleryFolderProblem(files.Path() + "Bilder"), "");
    EXPECT_EQ(GalleryFolderProblem("Q:\\"), "");

    // A paste or drop into a folder that went meanwhile is said in German, and nothing arrives.
    const std::string target = files.Folder("Ziel");
    MainForm->bIconsClick(MainForm->bIcons);
    Erweitert();
    MainForm->DriveView1->SetDirectory(target);
    ASSERT_EQ(MainForm->DriveView1->Directory() + "\\", target);
    MainForm->DriveView1->DragDrop().FileList.AddItem(nullptr, files.Path() + "Bilder\\rot.ico");
    ASSERT_TRUE(MainForm->DriveView1->DragDrop().CopyListToClipboard());
    RemoveDirectoryA(target.c_str());
    MainForm->DriveView1->PasteIntoSelected();
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Der Zielordner ist nicht mehr vorhanden; es wurde nichts kopiert oder verschoben.");
    EXPECT_FALSE(FileExists(ExcludeTrailingBackslash(target))) << "no file of the folder's name";
    MainForm->DriveView1->ClearClipboard();
}

TEST_F(FileModeTest, LookAlikeFilesAreTwoGalleryItemsEachLeadingToItsOwnFile)
{
    const std::string bilder = files.Folder("Bilder");
    WriteIcon(bilder + "Omega.ico");
    WriteIcon(bilder + "griechisch.ico");
    ASSERT_TRUE(MoveFileW(WideOf(bilder + "griechisch.ico").c_str(), (WideOf(bilder) + L"\u03A9mega.ico").c_str()));
    MainForm->bIconsClick(MainForm->bIcons);
    Erweitert();
    MainForm->DriveView1->SetDirectory(bilder);
    ASSERT_EQ(Toolsform->GalleryFiles.size(), 4u);
    std::vector<std::wstring> reached;
    for (const std::string& file : Toolsform->GalleryFiles) {
        wchar_t full[MAX_PATH] = {};
        ASSERT_TRUE(GetLongPathNameW(WideOf(file).c_str(), full, MAX_PATH)) << file;
        const std::wstring name = full;
        reached.push_back(name.substr(name.rfind(L'\\') + 1));
    }
    std::sort(reached.begin(), reached.end());
    EXPECT_EQ(reached, (std::vector<std::wstring>{L"Omega.ico", L"rot.ico", L"sammlung.dll", L"\u03A9mega.ico"}));
}

namespace {

// A catalogue deep down on Q:, so that the drive tree's nodes reach past its right edge.
class FileModeDeepTest : public testing::Test {
protected:
    FileModeDeepTest() : deep("Ein recht langer Ordnername fuer die Tiefe", "Q:\\")
    {
        std::string folder = deep.Path();
        for (const char* name : {"Noch ein langer Ordnername", "Und ein weiterer langer Name", "Katalog"})
            CreateDirectoryA((folder += std::string(name) + "\\").c_str(), nullptr);
        program = folder;
    }
    void SetUp() override
    {
        CreateDirectoryA((program + "Affen").c_str(), nullptr);
        WriteIcon(program + "Affen\\katze.ico");
        CreateDirectoryA((program + "Vögel mit einem langen Namen").c_str(), nullptr);
        ResetMainState();
        OverrideProgramFolder(program);
        CreateProgramForms();
        MainForm->Show();
        PumpMessages();
    }
    void TearDown() override
    {
        FreeProgramForms();
        OverrideProgramFolder("");
    }
    // The drive tree is made at the first one.
    void Erweitert()
    {
        MainForm->bErweitert->OnClick(MainForm->bErweitert);
        tree = MainForm->DriveView1;
    }
    // The tree shows its nodes from the left edge, the selected one within its rows.
    void ExpectLeftEdgeAndSelectionShown(const char* after)
    {
        PumpMessages();
        EXPECT_EQ(GetScrollPos(tree->Handle(), SB_HORZ), 0) << after;
        TTreeNode* selected = tree->Selected();
        ASSERT_NE(selected, nullptr) << after;
        const RECT row = selected->DisplayRect(false);
        EXPECT_GE(row.top, 0) << after;
        EXPECT_LE(row.bottom, tree->ClientHeight()) << after;
        EXPECT_LT(row.top, row.bottom) << after << ": the selected node is shown";
    }

    StagedFolder deep;
    std::string program;
    TDriveView* tree = nullptr;
    DialogStub dialogs;
};

}  // namespace

TEST_F(FileModeDeepTest, TheDriveTreeShowsItsLeftEdgeAfterErweitertDirectoryAndARename)
{
    MainForm->bIconsClick(MainForm->bIcons);
    ASSERT_EQ(CurrentCategory, "Affen");
    Erweitert();
    ASSERT_TRUE(tree->Visible());
    ASSERT_EQ(tree->Directory(), program + "Affen");
    ExpectLeftEdgeAndSelectionShown("Erweitert");

    // Back to the catalogue and once more: the tree opens as it was left.
    Erweitert();
    Erweitert();
    ExpectLeftEdgeAndSelectionShown("Erweitert again");

    tree->SetDirectory(program + "Vögel mit einem langen Namen");
    ASSERT_EQ(tree->Directory(), program + "Vögel mit einem langen Namen");
    ExpectLeftEdgeAndSelectionShown("Directory");

    // A sideways scroll of the user's stays until the next step.
    SendMessageA(tree->Handle(), WM_HSCROLL, MAKEWPARAM(SB_LINERIGHT, 0), 0);
    SendMessageA(tree->Handle(), WM_HSCROLL, SB_ENDSCROLL, 0);
    EXPECT_GT(GetScrollPos(tree->Handle(), SB_HORZ), 0) << "the user's scroll";
    tree->SetDirectory(program + "Affen");
    ExpectLeftEdgeAndSelectionShown("Directory after the user's scroll");

    TTreeNode* node = tree->Selected();
    ASSERT_TRUE(node->EditText());
    HWND edit = reinterpret_cast<HWND>(SendMessageA(tree->Handle(), TVM_GETEDITCONTROL, 0, 0));
    ASSERT_NE(edit, nullptr);
    SetWindowTextA(edit, "Affen und noch mehr Affen mit einem langen Namen");
    SendMessageA(tree->Handle(), TVM_ENDEDITLABELNOW, FALSE, 0);
    ASSERT_EQ(tree->Directory(), program + "Affen und noch mehr Affen mit einem langen Namen");
    ExpectLeftEdgeAndSelectionShown("a rename");

    // An edit given up leaves the tree at its edge too.
    ASSERT_TRUE(tree->Selected()->EditText());
    SendMessageA(tree->Handle(), TVM_ENDEDITLABELNOW, TRUE, 0);
    ExpectLeftEdgeAndSelectionShown("an edit given up");
}

namespace {

// The main window on the demo catalogue beside the test program, switched to the file mode.
void ShowFileMode()
{
    ResetMainState();
    CreateProgramForms();
    MainForm->Show();
    MainForm->bIconsClick(MainForm->bIcons);
    MainForm->bErweitert->OnClick(MainForm->bErweitert);
}

}  // namespace

// Not a test: shows the gallery in file mode for a screenshot (QL_SHOW_MS milliseconds) with the
// demo catalogue beside the test program. QL_SHOW_FOLDER: a folder chosen in the drive tree;
// QL_SHOW_BACK: "Standard" pressed afterwards.
TEST(FileModeScreen, DISABLED_ShowForScreenshot)
{
    DialogStub dialogs;
    ShowFileMode();
    if (const char* folder = std::getenv("QL_SHOW_FOLDER"))
        MainForm->DriveView1->SetDirectory(folder);
    if (std::getenv("QL_SHOW_BACK"))
        MainForm->bErweitert->OnClick(MainForm->bErweitert);
    const char* ms = std::getenv("QL_SHOW_MS");
    PumpMessages(ms ? static_cast<DWORD>(std::atoi(ms)) : 3000);
    FreeProgramForms();
}

namespace {

void CALLBACK CloseMenu(HWND, UINT, UINT_PTR id, DWORD)
{
    KillTimer(nullptr, id);
    EndMenu();
}

}  // namespace

// Not a test: the drive tree of the file mode on the staged drive Q: for a screenshot, with the
// shell's menu of a folder open (QL_SHOW_MENU), a folder renamed in place (QL_SHOW_RENAME) or a
// folder dragged onto another and held there (QL_SHOW_DRAG) for QL_SHOW_MS milliseconds; the drag
// is cancelled at the end.
TEST(FileModeScreen, DISABLED_DriveTreeMenuAndDrag)
{
    StagedFolder icons("Icons", "Q:\\");
    for (const char* name : {"Pflanzen", "Tiere", "Werkzeuge"})
        icons.Folder(name);
    DialogStub dialogs;
    ShowFileMode();
    TDriveView* tree = MainForm->DriveView1;
    tree->SetDirectory(icons.Path() + "Tiere");
    PumpMessages(300);
    const char* ms = std::getenv("QL_SHOW_MS");
    const DWORD hold = ms ? static_cast<DWORD>(std::atoi(ms)) : 3000;
    TTreeNode* werkzeuge = tree->NodeOfPath(icons.Path() + "Werkzeuge");
    TTreeNode* pflanzen = tree->NodeOfPath(icons.Path() + "Pflanzen");
    werkzeuge->MakeVisible();
    // Away from the edges, where a drag would scroll the tree.
    tree->ScrollNodeToMiddle(pflanzen);
    // Wine scrolls a node it shows to the left edge; back, so that the icons show.
    SendMessageA(tree->Handle(), WM_HSCROLL, MAKEWPARAM(SB_THUMBPOSITION, 0), 0);
    SendMessageA(tree->Handle(), WM_HSCROLL, SB_ENDSCROLL, 0);
    auto centre = [&](TTreeNode* node) {
        const RECT text = node->DisplayRect(true);
        return tree->ClientToScreen({(text.left + text.right) / 2, (text.top + text.bottom) / 2});
    };
    const POINT from = centre(werkzeuge);
    const POINT to = centre(pflanzen);
    if (std::getenv("QL_SHOW_MENU")) {
        SetCursorPos(from.x, from.y);
        SetTimer(nullptr, 0, hold, &CloseMenu);
        const POINT client = tree->ScreenToClient(from);
        PostMessageA(tree->Handle(), WM_RBUTTONUP, 0, MAKELPARAM(client.x, client.y));
        SendMessageA(tree->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(client.x, client.y));
    } else if (std::getenv("QL_SHOW_RENAME")) {
        tree->SetDirectory(icons.Path() + "Werkzeuge");
        if (werkzeuge->EditText())
            SetWindowTextA(reinterpret_cast<HWND>(SendMessageA(tree->Handle(), TVM_GETEDITCONTROL, 0, 0)), "Werkzeugkiste");
        PumpMessages(hold);
        SendMessageA(tree->Handle(), TVM_ENDEDITLABELNOW, FALSE, 0);
    } else if (std::getenv("QL_SHOW_DRAG")) {
        DragWithTheMouse(from, to, hold, true);
    }
    PumpMessages(500);
    FreeProgramForms();
}
