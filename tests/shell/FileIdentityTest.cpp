// The tree, the file list and the file operator act on exactly the entries they list: look-alike
// names the code page cannot hold, names the shell would read as patterns, links that lead back
// into a folder or to another file, folders that went meanwhile. Every case ends with the user's
// other files as they were. The host-made entries under Q:\Wirt come from tools/wine-run.sh.
#include <windows.h>
#include <shellapi.h>
#include <shlobj.h>

#include "DialogStub.h"
#include "ExceptionLog.h"
#include "DirViewTestSupport.h"
#include "DragDropFilesEx.h"
#include "DriveTreeForm.h"
#include "ExactNames.h"
#include "FileOperator.h"
#include "PIDL.h"
#include "StagedFolder.h"
#include "WideFiles.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

const std::string Host = "Q:\\Wirt\\";

bool WideExists(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// The long names in a folder, sorted: what is on the disk, whatever the programs call it.
std::vector<std::wstring> OnDisk(const std::wstring& folder)
{
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do
        if (wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0)
            names.push_back(found.cFileName);
    while (FindNextFileW(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

TTreeNode* ChildShownAs(TTreeNode* parent, const std::string& text, int skip = 0)
{
    for (int i = 0; parent && i < parent->Count(); ++i)
        if (parent->Item(i)->Text() == text && skip-- == 0)
            return parent->Item(i);
    return nullptr;
}

std::string Messages(const DialogStub& dialogs)
{
    std::string all;
    for (const auto& m : dialogs.messages)
        all += m.text + "\n";
    return all;
}

}  // namespace

TEST(ExactIdentity, TheTreeKeepsLookAlikesApartAndRenamesTheOneEdited)
{
    StagedFolder folder("Doppelt", "Q:\\");
    const std::wstring base = WideOf(folder.Path());
    ASSERT_TRUE(CreateDirectoryW((base + L"Omega").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((base + L"\u03A9mega").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((base + L"eins").c_str(), nullptr));
    MakeWideFile(base + L"Omega\\latein.ico", "latein");
    MakeWideFile(base + L"\u03A9mega\\griechisch.ico", "griechisch");
    DriveTree tree;
    tree.view->SetDirectory(folder.Path());
    TTreeNode* parent = tree.view->Selected();
    ASSERT_TRUE(parent);
    parent->Expand(false);
    EXPECT_EQ(tree.ChildTexts(parent), "eins;Omega;Omega;") << "both shown as the platform shows them";

    // Each node leads to its own folder.
    std::vector<std::wstring> reached;
    for (int skip = 0; skip < 2; ++skip)
        reached.push_back(LongNameOf(tree.view->GetDirPath(ChildShownAs(parent, "Omega", skip))));
    std::sort(reached.begin(), reached.end());
    EXPECT_EQ(reached, (std::vector<std::wstring>{L"Omega", L"\u03A9mega"}));

    // Renaming the Greek one renames it and leaves the Latin one alone.
    TTreeNode* greek = ChildShownAs(parent, "Omega", 0);
    if (LongNameOf(tree.view->GetDirPath(greek)) != L"\u03A9mega")
        greek = ChildShownAs(parent, "Omega", 1);
    // The shell's menus get the Greek folder too.
    wchar_t parsed[MAX_PATH] = {};
    ASSERT_TRUE(SHGetPathFromIDListW(PathToPIDL(tree.view->GetDirPath(greek)).get(), parsed));
    EXPECT_EQ(WideOf(folder.Path()) + L"\u03A9mega", parsed);
    ExceptionLog errors;
    ASSERT_TRUE(greek->EditText());
    HWND edit = reinterpret_cast<HWND>(SendMessageA(tree.view->Handle(), TVM_GETEDITCONTROL, 0, 0));
    SetWindowTextA(edit, "Griechisch");
    SendMessageA(tree.view->Handle(), TVM_ENDEDITLABELNOW, FALSE, 0);
    PumpMessages();
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
    EXPECT_EQ(OnDisk(base), (std::vector<std::wstring>{L"Griechisch", L"Omega", L"eins"}));
    EXPECT_EQ(WideFileContent(base + L"Griechisch\\griechisch.ico"), "griechisch");
    EXPECT_EQ(WideFileContent(base + L"Omega\\latein.ico"), "latein");

    // A change of case only reaches the disk too.
    TTreeNode* eins = ChildShownAs(parent, "eins");
    ASSERT_TRUE(eins && eins->EditText());
    edit = reinterpret_cast<HWND>(SendMessageA(tree.view->Handle(), TVM_GETEDITCONTROL, 0, 0));
    SetWindowTextA(edit, "EINS");
    SendMessageA(tree.view->Handle(), TVM_ENDEDITLABELNOW, FALSE, 0);
    PumpMessages();
    EXPECT_EQ(OnDisk(base), (std::vector<std::wstring>{L"EINS", L"Griechisch", L"Omega"}));
    EXPECT_EQ(tree.view->GetDirPath(ChildShownAs(parent, "EINS")), folder.Path() + "EINS");

    // Names that would make a folder under another name, or none, make none.
    for (const char* name : {"a.", "b ", "nul.txt", "CON"})
        EXPECT_EQ(tree.view->CreateDirectory(parent, name), nullptr) << name;
    EXPECT_EQ(OnDisk(base), (std::vector<std::wstring>{L"EINS", L"Griechisch", L"Omega"}));
}

TEST(ExactIdentity, TheFileListDeletesOnlyTheFilesItsItemsName)
{
    StagedFolder folder("Liste", "Q:\\");
    const std::wstring base = WideOf(folder.Path());
    for (const wchar_t* name : {L"Omega.ico", L"\u03A9mega.ico", L"\U0001F600.ico", L"zz.ico", L"ab.ico"})
        MakeWideFile(base + name, DisplayAnsi(name));
    ViewOnForm on;
    on.view->SetPath(RemoveTrailing(folder.Path()));
    ASSERT_EQ(on.view->Items().Count(), 5);
    int shownOmega = 0;
    for (int i = 0; i < on.view->Items().Count(); ++i) {
        TFileRec* rec = TDirView::ItemRec(on.view->Items()[i]);
        shownOmega += rec->DisplayName == "Omega.ico";
        const std::wstring onDisk = LongNameOf(on.view->ItemFullFileName(on.view->Items()[i]));
        on.view->Items()[i]->SetSelected(onDisk == L"\u03A9mega.ico" || onDisk == L"\U0001F600.ico");
    }
    EXPECT_EQ(shownOmega, 2);
    on.view->ConfirmDelete = false;
    EXPECT_TRUE(on.view->DeleteSelectedFiles(false));
    EXPECT_EQ(OnDisk(base), (std::vector<std::wstring>{L"Omega.ico", L"ab.ico", L"zz.ico"}))
        << "\"??.ico\" took no look-alike with it";
    EXPECT_EQ(WideFileContent(base + L"Omega.ico"), "Omega.ico");
    EXPECT_EQ(on.view->Items().Count(), 3);
}

TEST(ExactIdentity, NamesTheShellReadsAsPatternsAreRefusedAndMatchNothing)
{
    DialogStub dialogs;
    const std::string patterns = Host + "Muster\\";
    const std::wstring wide = WideOf(patterns);
    const std::vector<std::wstring> before = OnDisk(wide);
    StagedFolder target("Musterziel", "Q:\\");

    // The tree lists the folder with a star, and neither deletes nor copies it.
    DriveTree tree;
    tree.view->SetDirectory(patterns);
    TTreeNode* parent = tree.view->Selected();
    ASSERT_TRUE(parent);
    parent->Expand(false);
    TTreeNode* wild = ChildShownAs(parent, "wild*card");
    ASSERT_TRUE(wild) << tree.ChildTexts(parent);
    EXPECT_EQ(LongNameOf(tree.view->GetDirPath(wild)), L"wild*card");
    EXPECT_FALSE(PathToPIDL(tree.view->GetDirPath(wild))) << "no shell menu could act on it as a pattern";
    tree.view->DeleteDirectory(wild, false);
    tree.view->DragDrop().FileList.AddItem(nullptr, tree.view->GetDirPath(wild));
    EXPECT_FALSE(tree.view->DDFileOperation(RemoveTrailing(target.Path()), DROPEFFECT_COPY, false));
    EXPECT_EQ(OnDisk(wide), before);
    EXPECT_EQ(WideFileContent(wide + L"wild-card\\drin.txt"), "wild-card\n");
    EXPECT_TRUE(OnDisk(WideOf(target.Path())).empty());
    ASSERT_EQ(dialogs.messages.size(), 2u) << Messages(dialogs);
    EXPECT_NE(dialogs.messages[0].text.find("Muster"), std::string::npos) << dialogs.messages[0].text;

    // So does the file list with a file of "?" in its name.
    ViewOnForm on;
    on.view->SetPath(RemoveTrailing(patterns));
    on.view->ConfirmDelete = false;
    for (int i = 0; i < on.view->Items().Count(); ++i)
        on.view->Items()[i]->SetSelected(TDirView::ItemRec(on.view->Items()[i])->DisplayName == "q?x.ico");
    EXPECT_FALSE(on.view->DeleteSelectedFiles(false));
    EXPECT_EQ(OnDisk(wide), before);

    // A pattern handed to the operator is never expanded, so its undo can take nothing.
    StagedFolder source("Musterquelle", "Q:\\");
    MakeWideFile(WideOf(source.Path()) + L"neu.txt", "neu");
    MakeWideFile(WideOf(target.Path()) + L"keep.txt", "eigen");
    TFileOperator op;
    op.SetFlags(foAllowUndo | foSilent | foNoConfirmation);
    for (const std::string& pattern : {source.Path() + "*.txt", source.Path() + "ne?.txt"}) {
        op.SourceFiles = {pattern};
        op.DestFiles = {RemoveTrailing(target.Path())};
        EXPECT_FALSE(op.Execute()) << pattern;
        EXPECT_FALSE(op.CanUndo());
        EXPECT_FALSE(op.UndoExecute());
    }
    EXPECT_EQ(OnDisk(WideOf(target.Path())), std::vector<std::wstring>{L"keep.txt"});
    EXPECT_EQ(WideFileContent(WideOf(target.Path()) + L"keep.txt"), "eigen");
    EXPECT_EQ(dialogs.messages.size(), 5u) << Messages(dialogs);
}

TEST(ExactIdentity, LoopsAndLinksAreRefusedBeforeAnythingIsWritten)
{
    DialogStub dialogs;
    StagedFolder target("Schleifenziel", "Q:\\");
    wchar_t current[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, current);
    const std::vector<std::wstring> inCurrent = OnDisk(std::wstring(current) + L"\\");

    TFileOperator op;
    op.SetFlags(foAllowUndo | foSilent | foNoConfirmation);
    op.SourceFiles = {Host + "Schleife"};
    op.DestFiles = {RemoveTrailing(target.Path())};
    EXPECT_FALSE(op.Execute());
    EXPECT_TRUE(OnDisk(WideOf(target.Path())).empty()) << "nothing written";
    EXPECT_EQ(OnDisk(std::wstring(current) + L"\\"), inCurrent) << "nor into the current folder";
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].text.find("zurück"), std::string::npos) << dialogs.messages[0].text;

    // Deleting through a link would reach the file it points at.
    op.SetOperation(foDelete);
    for (const std::string& linked : {Host + "Verweis\\verweis.ico", Host + "Verweis\\ordner", Host + "Verweis"}) {
        op.SourceFiles = {linked};
        EXPECT_FALSE(op.Execute()) << linked;
    }
    EXPECT_EQ(WideFileContent(WideOf(Host) + L"Ziel\\echt.ico"), "echt\n");
    EXPECT_TRUE(WideExists(WideOf(Host) + L"Verweis\\verweis.ico"));
    EXPECT_EQ(dialogs.messages.size(), 4u) << Messages(dialogs);
}

TEST(ExactIdentity, APasteIntoAFolderThatWentMeanwhileIsRefused)
{
    StagedFolder folder("Einfuegen", "Q:\\");
    MakeWideFile(WideOf(folder.Path()) + L"a.txt", "a");
    CreateDirectoryA((folder.Path() + "Ziel").c_str(), nullptr);
    CreateDirectoryA((folder.Path() + "Mappe").c_str(), nullptr);
    DriveTree tree;
    std::vector<int> errors;
    tree.view->OnDDError = [&](TComponent*, int error) { errors.push_back(error); };
    tree.view->SetDirectory(folder.Path() + "Ziel");

    tree.view->DragDrop().FileList.AddItem(nullptr, folder.Path() + "a.txt");
    ASSERT_TRUE(tree.view->DragDrop().CopyListToClipboard());
    RemoveDirectoryA((folder.Path() + "Ziel").c_str());
    tree.view->PasteIntoSelected();
    EXPECT_EQ(errors, std::vector<int>{1});

    // A cut folder stays where it was.
    tree.view->SetDirectory(folder.Path() + "Ziel");
    if (tree.view->Directory() != folder.Path() + "Ziel") {
        CreateDirectoryA((folder.Path() + "Ziel").c_str(), nullptr);
        tree.view->SyncExpanded(tree.view->NodeOfPath(folder.Path()));
        tree.view->SetDirectory(folder.Path() + "Ziel");
    }
    ASSERT_TRUE(tree.view->CutNodeToClipboard(tree.view->NodeOfPath(folder.Path() + "Mappe")));
    RemoveDirectoryA((folder.Path() + "Ziel").c_str());
    tree.view->PasteIntoSelected();
    EXPECT_EQ(errors, (std::vector<int>{1, 1}));
    EXPECT_EQ(OnDisk(WideOf(folder.Path())), (std::vector<std::wstring>{L"Mappe", L"a.txt"}));
    EXPECT_EQ(WideFileContent(WideOf(folder.Path()) + L"a.txt"), "a");
    tree.view->ClearClipboard();
}

TEST(ExactIdentity, TheOperatorReportsOnlyWhatHappenedAndUndoesOnlyWhatItCan)
{
    DialogStub dialogs;
    StagedFolder folder("Ergebnis", "Q:\\");
    const std::string von = folder.Folder("von"), nach = folder.Folder("nach");
    folder.Folder("von\\innen");
    MakeWideFile(WideOf(von) + L"a.txt", "a");
    TFileOperator op;
    op.SetFlags(foAllowUndo | foSilent | foNoConfirmation);

    // Into itself: refused, said, and nothing to undo.
    for (TFileOperation operation : {foCopy, foMove}) {
        op.SetOperation(operation);
        op.SourceFiles = {RemoveTrailing(von)};
        op.DestFiles = {von + "innen"};
        EXPECT_FALSE(op.Execute());
        EXPECT_FALSE(op.CanUndo());
    }
    EXPECT_EQ(dialogs.messages.size(), 2u) << Messages(dialogs);
    EXPECT_EQ(OnDisk(WideOf(von) + L"innen\\"), std::vector<std::wstring>{});

    // No destination: nothing goes anywhere, least of all into the current folder.
    op.SetOperation(foCopy);
    op.SourceFiles = {von + "a.txt"};
    EXPECT_FALSE(op.Execute());
    EXPECT_EQ(dialogs.messages.back().text, "Die Dateioperation hat kein Ziel.");

    // A move under a new name is undone under the old one.
    op.SetOperation(foMove);
    op.SourceFiles = {von + "a.txt"};
    op.DestFiles = {nach + "b.txt"};
    ASSERT_TRUE(op.Execute());
    EXPECT_EQ(OnDisk(WideOf(nach)), std::vector<std::wstring>{L"b.txt"});
    ASSERT_TRUE(op.CanUndo());
    EXPECT_TRUE(op.UndoExecute());
    EXPECT_EQ(WideFileContent(WideOf(von) + L"a.txt"), "a");
    EXPECT_TRUE(OnDisk(WideOf(nach)).empty());

    // A rename is done, case included, and offers no undo it could not carry out.
    op.SetOperation(foRename);
    op.SourceFiles = {von + "a.txt"};
    op.DestFiles = {von + "A.TXT"};
    EXPECT_TRUE(op.Execute());
    EXPECT_EQ(LongNameOf(von + "a.txt"), L"A.TXT");
    EXPECT_FALSE(op.CanUndo());

    // A read-only file that the shell does not delete (Wine's refuses it; Windows' asks) is
    // reported, in German.
    SetFileAttributesW((WideOf(von) + L"A.TXT").c_str(), FILE_ATTRIBUTE_READONLY);
    const size_t said = dialogs.messages.size();
    op.SetOperation(foDelete);
    op.SetFlags(foSilent | foNoConfirmation);
    op.SourceFiles = {von + "A.TXT"};
    const bool deleted = op.Execute();
    EXPECT_EQ(deleted, !WideExists(WideOf(von) + L"A.TXT")) << "true only when it went";
    if (!deleted) {
        ASSERT_EQ(dialogs.messages.size(), said + 1);
        EXPECT_EQ(dialogs.messages.back().text, "Die Dateioperation ist fehlgeschlagen: Zugriff verweigert.");
    }
    SetFileAttributesW((WideOf(von) + L"A.TXT").c_str(), FILE_ATTRIBUTE_NORMAL);
}
