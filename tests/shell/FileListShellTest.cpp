// The file list and the shell: type names and icons as rows are drawn, the icon thread giving
// programs their own icons, the Recycle Bin listed through its shell folder, and the texts.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "DirView.h"
#include "DirViewTestSupport.h"
#include "IconUpdateThread.h"
#include "MessagePump.h"
#include "StagedFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string ProgramFolder()
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe = path;
    return exe.substr(0, exe.find_last_of('\\') + 1);
}

// Two programs of the build with icons of their own, under new names in `folder`.
bool StagePrograms(const StagedFolder& folder)
{
    return CopyFileA((ProgramFolder() + "Quillandora.exe").c_str(), (folder.Path() + "eins.exe").c_str(), FALSE) &&
           CopyFileA((ProgramFolder() + "editor.exe").c_str(), (folder.Path() + "zwei.exe").c_str(), FALSE);
}

void DeleteToBin(const std::string& file)
{
    const std::string from = file + '\0';
    SHFILEOPSTRUCTA op = {};
    op.wFunc = FO_DELETE;
    op.pFrom = from.c_str();
    op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
    SHFileOperationA(&op);
}

// Where Wine keeps the bin: the XDG trash of the program's own prefix, as a Windows path; empty
// when not under Wine.
std::string TrashFolder()
{
    char home[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("XDG_DATA_HOME", home, MAX_PATH))
        return std::string();
    using DosName = WCHAR*(CDECL*)(const char*);
    auto dosName = reinterpret_cast<DosName>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "wine_get_dos_file_name"));
    WCHAR* wide = dosName ? dosName((std::string(home) + "/Trash").c_str()) : nullptr;
    if (!wide)
        return std::string();
    char path[MAX_PATH] = {};
    WideCharToMultiByte(CP_ACP, 0, wide, -1, path, MAX_PATH, nullptr, nullptr);
    HeapFree(GetProcessHeap(), 0, wide);
    return path;
}

// The bin holds only what a test puts there, and nothing after it.
class EmptyBin {
public:
    explicit EmptyBin(const std::string& trash) : trash_(trash) { Empty(); }
    ~EmptyBin() { Empty(); }
    EmptyBin(const EmptyBin&) = delete;
    EmptyBin& operator=(const EmptyBin&) = delete;

private:
    void Empty() const
    {
        StagedFolder::Remove(trash_ + "\\files\\", true);
        StagedFolder::Remove(trash_ + "\\info\\", true);
    }
    std::string trash_;
};

// Wine's prefix maps no class to ".exe", so all its programs show one icon; Windows maps it to
// the program class, whose icon is each file's own. The test maps it so while it runs.
class ProgramClass {
public:
    ProgramClass()
    {
        HKEY key = nullptr;
        DWORD disposition = 0;
        if (RegCreateKeyExA(HKEY_CLASSES_ROOT, ".exe", 0, nullptr, 0, KEY_WRITE, nullptr, &key, &disposition) != 0)
            return;
        made_ = disposition == REG_CREATED_NEW_KEY;
        if (made_)
            RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("exefile"), 8);
        RegCloseKey(key);
    }
    ~ProgramClass()
    {
        if (made_)
            RegDeleteKeyA(HKEY_CLASSES_ROOT, ".exe");
    }

private:
    bool made_ = false;
};

class CurrentFolder {
public:
    explicit CurrentFolder(const std::string& folder)
    {
        char current[MAX_PATH] = {};
        GetCurrentDirectoryA(MAX_PATH, current);
        previous_ = current;
        SetCurrentDirectoryA(folder.c_str());
    }
    ~CurrentFolder() { SetCurrentDirectoryA(previous_.c_str()); }

private:
    std::string previous_;
};

}  // namespace

TEST(DirViewIcons, ProgramsGetTheirOwnIconsFromTheThread)
{
    const ProgramClass programs;
    StagedFolder folder("Programme");
    ASSERT_TRUE(StagePrograms(folder)) << "the programs are built beside the tests";
    WriteFile(folder.Path() + "liesmich.txt", 3);
    ViewOnForm on;
    on.view->SetUseIconUpdateThread(true);
    on.view->SetPath(folder.Path());
    ASSERT_NE(on.view->IconUpdateThread(), nullptr) << "a load with items starts the thread";
    EXPECT_TRUE(PumpMessagesUntil([&] { return !on.Rec("eins.exe")->IconEmpty && !on.Rec("zwei.exe")->IconEmpty; },
                                  20000))
        << "the thread did not report both icons";
    const int eins = on.Rec("eins.exe")->ImageIndex, zwei = on.Rec("zwei.exe")->ImageIndex;
    EXPECT_NE(eins, zwei) << "two programs with their own icons";
    EXPECT_NE(eins, DefaultIcons().Executable);
    EXPECT_FALSE(on.Rec("liesmich.txt")->IconEmpty) << "plain types get theirs as they are drawn";
    EXPECT_TRUE(PumpMessagesUntil([&] { return on.view->IconUpdateThread()->Sleeping(); }))
        << "the thread sleeps once its rows are done";

    // Stopping the sleeping thread for the next load ends it at once; icons survive a reload.
    on.view->Reload(true);
    EXPECT_FALSE(on.Rec("eins.exe")->IconEmpty);
    EXPECT_EQ(on.Rec("eins.exe")->ImageIndex, eins);

    // Without the thread the rows look the icons up themselves.
    ViewOnForm plain;
    plain.view->SetPath(folder.Path());
    plain.Names();
    PumpMessages(100);
    EXPECT_EQ(plain.Rec("eins.exe")->ImageIndex, eins);
    EXPECT_EQ(plain.Rec("zwei.exe")->ImageIndex, zwei);
}

TEST(DirViewIcons, AViewFreedWhileItsThreadWorksGoesAtOnce)
{
    const ProgramClass programs;
    StagedFolder folder("Viele Programme");
    for (int i = 0; i < 30; ++i) {
        const std::string name = folder.Path() + "programm" + std::to_string(i) + ".exe";
        if (!CreateHardLinkA(name.c_str(), (ProgramFolder() + "editor.exe").c_str(), nullptr)) {
            ASSERT_TRUE(CopyFileA((ProgramFolder() + "editor.exe").c_str(), name.c_str(), FALSE));
        }
    }
    for (int round = 0; round < 3; ++round) {
        auto on = std::make_unique<ViewOnForm>();
        on->view->SetUseIconUpdateThread(true);
        on->view->SetPath(folder.Path());
        ASSERT_NE(on->view->IconUpdateThread(), nullptr);
        PumpMessages(round * 50);
        const ULONGLONG start = GetTickCount64();
        on.reset();
        EXPECT_LT(GetTickCount64() - start, 5000u) << "round " << round;
        // A result the thread was handing over must not reach the freed view.
        PumpMessages(200);
    }
}

TEST(DirViewIcons, TypesWithIconsOfTheirOwn)
{
    const struct { const char* ext; bool perFile; } cases[] = {
        {"EXE", true}, {"LNK", true}, {"ICO", true}, {"CPL", true}, {"TXT", false}, {"EX", false}, {"", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(HasPerFileIcons(c.ext), c.perFile) << c.ext;
    EXPECT_EQ(FileExt("Bild.jpeg", false), "JPE");
    EXPECT_EQ(FileExt("ordner.exe", true), "") << "folders have no extension";
    EXPECT_EQ(FileExt("ohne", false), "");
}

TEST(DirViewTexts, ThreeLanguages)
{
    EXPECT_STREQ(DirViewTextsFor(LANG_GERMAN).FileType, "Datei %s");
    EXPECT_STREQ(DirViewTextsFor(LANG_FRENCH).FileType, "Fichier %s");
    EXPECT_STREQ(DirViewTextsFor(LANG_SPANISH).FileType, "File %s") << "any other language: English";
    EXPECT_STREQ(DirViewTextsFor(LANG_GERMAN).ColumnTitles[3], "Geändert am");
    EXPECT_STREQ(DirViewTextsFor(LANG_FRENCH).ColumnTitles[4], "Attributs");
    EXPECT_STREQ(DirViewTextsFor(LANG_GERMAN).DragDirectories, "%u Verzeichnisse");
    const std::string named = FileTypeName("XYZ");
    EXPECT_TRUE(named == "Datei XYZ" || named == "Fichier XYZ" || named == "File XYZ") << named;
}

TEST(DirViewRecycleBin, ListsTheBinByTheItemsDisplayNames)
{
    const std::string trash = TrashFolder();
    if (trash.empty())
        GTEST_SKIP() << "no XDG trash: not under Wine";
    EmptyBin emptyBin(trash);
    StagedFolder first("Korb eins", "Q:\\"), second("Korb zwei", "Q:\\");
    WriteFile(first.Path() + "notiz.txt", 10);
    WriteFile(second.Path() + "rechnung.txt", 20);
    WriteFile(first.Path() + "brief.doc", 30);
    for (const std::string& file : {first.Path() + "notiz.txt", second.Path() + "rechnung.txt", first.Path() + "brief.doc"})
        DeleteToBin(file);
    // The bin's folder itself: only a drive's own "RECYCLED" stands for it.
    struct BinFolder {
        BinFolder() { CreateDirectoryA("Q:\\RECYCLED", nullptr); }
        ~BinFolder() { RemoveDirectoryA("Q:\\RECYCLED"); }
    } bin;
    ViewOnForm on;
    on.view->SetUseIconUpdateThread(true);
    std::vector<std::string> offered;
    {
        // Wine's bin gives each item its bare file name as file-system path; with the trash's
        // folder current, a search finds that as Windows finds an item's full path.
        CurrentFolder inTrash(trash + "\\files");
        on.view->OnAddFile = [&](TComponent*, WIN32_FIND_DATAA& found, bool&) { offered.push_back(found.cFileName); };
        on.view->SetPath("Q:\\RECYCLED");
    }
    EXPECT_TRUE(on.view->IsRecycleBin());
    ASSERT_EQ(on.view->Items().Count(), 3) << on.Names();
    EXPECT_EQ(on.Names(), "brief.doc,notiz.txt,rechnung.txt") << "shown by their names before deletion";
    std::vector<int64_t> sizes;
    for (int i = 0; i < 3; ++i) {
        const TFileRec* rec = on.view->ItemData(i);
        sizes.push_back(rec->Size);
        EXPECT_TRUE(rec->PIDL) << rec->DisplayName << " keeps its ID list in the bin";
        EXPECT_FALSE(rec->InfoEmpty || rec->IconEmpty) << "the bin's items come with their type and icon";
        EXPECT_EQ(on.view->ItemFullFileName(on.view->Items()[i]), rec->FileName);
    }
    EXPECT_EQ(sizes, (std::vector<int64_t>{30, 10, 20})) << "each from its own file in the bin";
    EXPECT_EQ(offered.size(), 3u);
    EXPECT_EQ(on.view->IconUpdateThread(), nullptr) << "a bin never runs the icon thread";

    // A double click in the bin opens nothing unless the handler allows it.
    on.view->SetSelected(on.view->Items()[0]);
    bool asked = false, allowedByDefault = true;
    on.view->OnExecFile = [&](TComponent*, TListItem*, bool& allow) {
        asked = true;
        allowedByDefault = allow;
        allow = false;
    };
    on.view->OpenSelected();
    EXPECT_TRUE(asked);
    EXPECT_FALSE(allowedByDefault);

    // Items whose files no search finds are left out, not shown with made-up data.
    on.view->Reload(false);
    EXPECT_EQ(on.view->Items().Count(), 0) << on.Names();
}
