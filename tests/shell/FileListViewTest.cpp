// The directory list view: masks and filters, the listing of a staged folder, its texts, sorting by
// header clicks, deferred loads and the change monitor.
#include <windows.h>
#include <commctrl.h>

#include "DirView.h"
#include "DirViewTestSupport.h"
#include "Forms.h"
#include "MessagePump.h"
#include "MouseInput.h"
#include "StagedFolder.h"
#include "TestForm.h"
#include "WitnessWindow.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

WIN32_FIND_DATAA Found(DWORD attributes, int64_t size, const FILETIME& time)
{
    WIN32_FIND_DATAA found = {};
    found.dwFileAttributes = attributes;
    found.nFileSizeLow = static_cast<DWORD>(size);
    found.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    found.ftLastWriteTime = time;
    return found;
}

// A file of `size` bytes that takes no room: its end is set, nothing is written.
void WriteSparseFile(const std::string& path, int64_t size)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    LARGE_INTEGER end;
    end.QuadPart = size;
    SetFilePointerEx(file, end, nullptr, FILE_BEGIN);
    SetEndOfFile(file);
    CloseHandle(file);
}

void SetWriteTime(const std::string& path, const FILETIME& time)
{
    HANDLE file = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    SetFileTime(file, nullptr, nullptr, &time);
    CloseHandle(file);
}

// Tells when the form that owns it is freed.
struct FreedWitness : TComponent {
    FreedWitness(TComponent* owner, bool& freed) : TComponent(owner), freed(freed) {}
    ~FreedWitness() override { freed = true; }
    bool& freed;
};

// The process's open handles. Wine answers GetProcessHandleCount with 0, so every handle value
// below 0x4000 is asked about instead.
int OpenHandles()
{
    int count = 0;
    DWORD flags;
    for (ULONG_PTR value = 4; value < 0x4000; value += 4)
        if (GetHandleInformation(reinterpret_cast<HANDLE>(value), &flags))
            ++count;
    return count;
}

}  // namespace

TEST(DirViewMask, NormalisedAndSplit)
{
    const struct { const char* in; const char* stored; } cases[] = {
        {"  *.ICO , *.Bmp  ", "*.ico;*.bmp"},
        {"", "*.*"},
        {"   ", "*.*"},
        {"a  b,,c", "a;b;c"},
        {"*.Ico;*.CUR", "*.ico;*.cur"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(NormalizeMask(c.in), c.stored) << "mask \"" << c.in << "\"";

    std::string masks = "*.ico;*.bmp", mask;
    NextMask(masks, mask);
    EXPECT_EQ(mask, "*.ico");
    EXPECT_EQ(masks, "*.bmp");
    NextMask(masks, mask);
    EXPECT_EQ(mask, "*.bmp");
    EXPECT_EQ(masks, "") << "the last mask leaves nothing";
}

TEST(DirViewTexts, AttributeLettersInTheirOrder)
{
    const struct { DWORD attributes; const char* letters; } cases[] = {
        {0, ""},
        {FILE_ATTRIBUTE_ARCHIVE, "A"},
        {FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM, "RHS"},
        {FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_COMPRESSED | FILE_ATTRIBUTE_READONLY, "RADC"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(AttrString(c.attributes), c.letters) << "attributes " << c.attributes;
}

TEST(DirViewFilter, DefaultsPassEverythingWithinTheDosDateRange)
{
    TDirFilter filter;
    const FILETIME now = LocalTime(2024, 6, 1);
    const struct { DWORD attributes; int64_t size; FILETIME time; bool passes; const char* what; } cases[] = {
        {FILE_ATTRIBUTE_NORMAL, 0, now, true, "empty file"},
        {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY, 123, now, true, "hidden system file"},
        {FILE_ATTRIBUTE_ARCHIVE, 0x7FFFFFFF, now, true, "2 GB less a byte"},
        {FILE_ATTRIBUTE_ARCHIVE, 0x80000000, now, true, "2 GB"},
        {FILE_ATTRIBUTE_ARCHIVE, 0x1C0000000, now, true, "7 GB, whose low half alone reads 3 GB"},
        {FILE_ATTRIBUTE_NORMAL, 1, LocalTime(1980, 1, 1, 0), true, "first DOS day"},
        {FILE_ATTRIBUTE_NORMAL, 1, LocalTime(2099, 12, 31, 23), true, "last day of the range"},
        {FILE_ATTRIBUTE_NORMAL, 1, LocalTime(1979, 12, 31), false, "1979"},
        {FILE_ATTRIBUTE_NORMAL, 1, LocalTime(2100, 1, 1), false, "2100"},
        {FILE_ATTRIBUTE_DIRECTORY, 0, now, false, "folder"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(filter.Accepts(Found(c.attributes, c.size, c.time)), c.passes) << c.what;
}

TEST(DirViewFilter, AttributeAndSizeSelection)
{
    const FILETIME now = LocalTime(2024, 6, 1);
    TDirFilter filter;
    filter.SelHidden = SelYes;
    filter.SelReadOnly = SelNo;
    EXPECT_TRUE(filter.Accepts(Found(FILE_ATTRIBUTE_HIDDEN, 5, now)));
    EXPECT_FALSE(filter.Accepts(Found(FILE_ATTRIBUTE_NORMAL, 5, now))) << "must be hidden";
    EXPECT_FALSE(filter.Accepts(Found(FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY, 5, now))) << "must not be read-only";

    TDirFilter sizes;
    sizes.SizeFrom = 10;
    sizes.SizeTo = 20;
    for (int64_t size : {9, 10, 20, 21})
        EXPECT_EQ(sizes.Accepts(Found(FILE_ATTRIBUTE_NORMAL, size, now)), size >= 10 && size <= 20)
            << "size " << size << ": both ends belong to the range";
    sizes.SizeTo = 0x100000000;
    EXPECT_FALSE(sizes.Accepts(Found(FILE_ATTRIBUTE_NORMAL, 0x100000014, now))) << "4 GB and 20 bytes is no 20";
}

TEST(DirViewSort, DirectoriesFirstAndDescendingReversesAll)
{
    TFileRec folder, small, large;
    folder.IsDirectory = true;
    folder.DisplayName = "zzz";
    small.DisplayName = "B";
    small.Size = 10;
    large.DisplayName = "a";
    large.Size = 0x1C0000000;   // 7 GB: its low half alone would be smaller than 10 bytes' half
    EXPECT_LT(CompareFileRecs(folder, small, sName, true), 0);
    EXPECT_LT(CompareFileRecs(large, small, sName, true), 0) << "names compare without case";
    EXPECT_LT(CompareFileRecs(small, large, sSize, true), 0) << "sizes are 64-bit";
    EXPECT_GT(CompareFileRecs(folder, small, sSize, false), 0) << "descending: folders last";
    EXPECT_LT(CompareFileRecs(large, small, sSize, false), 0) << "descending: the largest first";
    EXPECT_EQ(CompareFileRecs(small, small, sSize, false), 0);
}

TEST(DirView, ListsFilesAndFoldersWithTheirTexts)
{
    StagedListing staged;
    ViewOnForm on;
    int loaded = 0;
    on.view->OnLoaded = [&](TComponent*) { ++loaded; };
    on.view->SetPath(staged.folder.Path());
    EXPECT_EQ(on.view->Path(), staged.Path()) << "trailing backslash dropped";
    EXPECT_TRUE(on.view->DirOK());
    EXPECT_EQ(loaded, 1);
    EXPECT_EQ(on.Names(), "Unter,Alpha.txt,beta.ico,delta.bmp,gamma.ICO");
    EXPECT_EQ(on.view->FilesSize(), 20 + 1500 + 300 + 4000);

    char separator[8] = {};
    GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, sizeof separator);
    const int delta = on.Row("delta.bmp");
    EXPECT_EQ(on.Text(delta, 1), std::string("4") + separator + "000");
    EXPECT_EQ(on.Text(on.Row("Unter"), 1), "") << "folders show no size";
    EXPECT_NE(on.Text(on.Row("Unter"), 4).find('D'), std::string::npos) << on.Text(on.Row("Unter"), 4);
    EXPECT_FALSE(on.Text(delta, 2).empty()) << "a type name for .bmp";
    EXPECT_EQ(on.view->ItemData(delta)->Ext, "BMP");
    EXPECT_EQ(on.view->ItemData(on.Row("gamma.ICO"))->Ext, "ICO");
    EXPECT_EQ(on.view->ItemData(99), nullptr);
    EXPECT_EQ(on.view->ItemFullFileName(on.view->FindFileItem("beta.ico")), staged.Path() + "\\beta.ico");

    // The date column carries the year in four digits, and seconds only in the longest form.
    const std::string withSeconds = on.Text(delta, 3);
    SYSTEMTIME now;
    GetLocalTime(&now);
    EXPECT_NE(withSeconds.find(std::to_string(now.wYear)), std::string::npos) << withSeconds;
    EXPECT_NE(withSeconds.find("  "), std::string::npos) << withSeconds;
    on.view->SetDateTimeDisplay(dtdDate);
    const std::string dateOnly = on.Text(delta, 3);
    EXPECT_EQ(withSeconds.substr(0, dateOnly.size()), dateOnly) << withSeconds << " / " << dateOnly;
    EXPECT_EQ(dateOnly.find("  "), std::string::npos) << dateOnly;
    on.view->SetDateTimeDisplay(dtdDateTime);
    const std::string noSeconds = on.Text(delta, 3);
    EXPECT_GT(noSeconds.size(), dateOnly.size()) << noSeconds;
    EXPECT_LT(noSeconds.size(), withSeconds.size()) << noSeconds << " / " << withSeconds;
}

TEST(DirView, MasksFiltersAndVetoes)
{
    StagedListing staged;
    WriteFile(staged.folder.Path() + "versteckt.ico", 10, FILE_ATTRIBUTE_HIDDEN);
    ViewOnForm on;
    on.view->SetShowDirectories(false);
    on.view->SetPath(staged.Path());
    on.view->SetMask(" *.ICO , beta.* ");
    EXPECT_EQ(on.view->Mask(), "*.ico;beta.*");
    EXPECT_EQ(on.Names(), "beta.ico,gamma.ICO,versteckt.ico") << "beta.ico matches both masks, listed once";

    on.view->Filter().SelHidden = SelNo;
    on.view->Reload(false);
    EXPECT_EQ(on.Names(), "beta.ico,gamma.ICO");

    on.view->OnAddFile = [](TComponent*, WIN32_FIND_DATAA& found, bool& add) {
        add = std::string(found.cFileName) != "gamma.ICO";
    };
    on.view->SetMask("");
    EXPECT_EQ(on.view->Mask(), "*.*");
    EXPECT_EQ(on.Names(), "Alpha.txt,beta.ico,delta.bmp");

    on.view->SetShowMaskInHeader(true);
    on.view->SetMask("*.ico");
    EXPECT_EQ(on.view->Columns()[0]->Caption(), on.view->Columns()[0]->Caption().substr(0, 4) + " (*.ico)")
        << on.view->Columns()[0]->Caption();
}

TEST(DirView, HeaderClicksSortAndMoveTheArrow)
{
    StagedListing staged;
    ViewOnForm on;
    on.view->SetPath(staged.Path());
    EXPECT_EQ(on.Arrow(0), 'v') << "ascending shows the down arrow";
    EXPECT_TRUE(on.HeaderFormat(0) & HDF_BITMAP_ON_RIGHT) << "beside a left-aligned title: " << on.HeaderFormat(0);

    on.ClickHeader(1);
    EXPECT_EQ(on.view->SortColumn(), sSize);
    EXPECT_TRUE(on.view->SortAscending());
    EXPECT_EQ(on.Names(), "Unter,Alpha.txt,gamma.ICO,beta.ico,delta.bmp");
    EXPECT_EQ(on.Arrow(0), ' ') << "arrow left the name column";
    EXPECT_EQ(on.Arrow(1), 'v');
    EXPECT_FALSE(on.HeaderFormat(1) & HDF_BITMAP_ON_RIGHT) << "a right-aligned title keeps it left";

    on.ClickHeader(1);
    EXPECT_FALSE(on.view->SortAscending()) << "a second click reverses";
    EXPECT_EQ(on.Names(), "delta.bmp,beta.ico,gamma.ICO,Alpha.txt,Unter") << "largest first, folders last";
    EXPECT_EQ(on.Arrow(1), '^');

    on.view->SetShowColumnIcon(false);
    EXPECT_EQ(on.Arrow(1), ' ');
    EXPECT_TRUE(on.HeaderFormat(1) & HDF_STRING) << "the title stays";
}

TEST(DirView, PathsSelectionAndShortcuts)
{
    StagedListing staged;
    WriteFile(staged.folder.Path() + "Verknuepfung.Lnk", 0);
    ViewOnForm on;
    on.view->SetPath(staged.Path());
    TListItem* shortcut = on.view->FindFileItem("Verknuepfung.Lnk");
    ASSERT_NE(shortcut, nullptr);
    const UINT overlay = ListView_GetItemState(on.view->Handle(), shortcut->Index(), LVIS_OVERLAYMASK);
    EXPECT_EQ(overlay, static_cast<UINT>(INDEXTOOVERLAYMASK(1))) << "overlay state " << overlay;

    on.view->FindFileItem("beta.ico")->SetSelected(true);
    on.view->FindFileItem("delta.bmp")->SetSelected(true);
    PumpMessages();
    EXPECT_EQ(on.view->SelectedSize(), 1500 + 4000);
    std::vector<std::string> selected;
    on.view->GetSelectedFiles(selected);
    ASSERT_EQ(selected.size(), 2u);
    EXPECT_EQ(selected[0], staged.Path() + "\\beta.ico");

    WriteFile(staged.folder.Path() + "neu.txt", 1);
    on.view->Reload(true);
    EXPECT_TRUE(on.view->FindFileItem("delta.bmp")->Selected()) << "the selection survives a reload";
    EXPECT_FALSE(on.view->FindFileItem("neu.txt")->Selected());

    const int64_t before = on.view->FilesSize();
    on.view->FindFileItem("delta.bmp")->Delete();
    EXPECT_EQ(on.view->FilesSize(), before - 4000) << "a deleted item takes its size along";
    EXPECT_EQ(on.view->SelectedSize(), 1500);

    on.view->SetPath("C:\\");
    EXPECT_EQ(on.view->Path(), "C:");
    EXPECT_EQ(on.view->PathForShell(), "C:\\");
    EXPECT_EQ(on.view->LastPath(), staged.Path());

    on.view->SetPath(staged.folder.Path() + "fehlt");
    EXPECT_FALSE(on.view->DirOK());
    EXPECT_EQ(on.view->Items().Count(), 0);
    EXPECT_EQ(on.view->FilesSize(), 0);
}

TEST(DirView, LoadDuringAnEditWaitsForItsEnd)
{
    StagedListing staged;
    ViewOnForm on;
    on.view->SetPath(staged.Path());
    on.view->SetChangeInterval(0);
    EXPECT_EQ(on.view->ChangeInterval(), 1000u) << "0 keeps the old interval";

    on.view->SetFocus();
    ASSERT_NE(SendMessageA(on.view->Handle(), LVM_EDITLABELA, 0, 0), 0) << "no edit box";
    EXPECT_FALSE(on.view->LoadEnabled()) << "an edit holds loads back";
    WriteFile(staged.folder.Path() + "neu.txt", 1);
    on.view->Reload(true);
    EXPECT_TRUE(on.view->ReloadPending());
    EXPECT_EQ(on.view->FindFileItem("neu.txt"), nullptr);
    SendMessageA(on.view->Handle(), LVM_CANCELEDITLABEL, 0, 0);
    PumpMessages();
    EXPECT_TRUE(on.view->LoadEnabled());
    EXPECT_FALSE(on.view->ReloadPending());
    EXPECT_NE(on.view->FindFileItem("neu.txt"), nullptr) << "items " << on.Names();
}

TEST(DirView, MonitorNoticesANewFile)
{
    StagedListing staged;
    ViewOnForm on;
    int noticed = 0;
    on.view->OnChangeDetected = [&](TComponent*) { ++noticed; };
    on.view->SetChangeInterval(50);
    on.view->SetWatchForChanges(true);
    on.view->SetPath(staged.Path());
    PumpMessages(100);
    WriteFile(staged.folder.Path() + "neu.txt", 7);
    EXPECT_TRUE(PumpMessagesUntil([&] { return on.view->FindFileItem("neu.txt") != nullptr; }, 5000))
        << "items " << on.Names();
    EXPECT_GE(noticed, 1);
    on.view->SetWatchForChanges(false);
}

TEST(DirView, AThrowingAddHandlerLeavesNoSearchOpen)
{
    StagedListing staged;
    ViewOnForm on;
    on.view->SetPath(staged.Path());
    on.view->SetMask("*.ico;*.bmp");
    // Files go through the mask searches, the folder through the search for folders.
    for (const std::string vetoed : {"beta.ico", "delta.bmp", "Unter"}) {
        on.view->OnAddFile = [&](TComponent*, WIN32_FIND_DATAA& found, bool&) {
            if (found.cFileName == vetoed)
                throw std::runtime_error("abgelehnt");
        };
        // The first load may open what the platform keeps for later (caches, keys).
        EXPECT_THROW(on.view->Reload(false), std::runtime_error) << vetoed;
        const int before = OpenHandles();
        for (int i = 0; i < 3; ++i)
            EXPECT_THROW(on.view->Reload(false), std::runtime_error) << vetoed;
        EXPECT_EQ(OpenHandles(), before) << "handles after three loads that stopped at " << vetoed;
    }
}

TEST(DirView, LargeFilesShowTheirSizeAndOldFilesStayOut)
{
    StagedListing staged;
    const int64_t threeGB = 3LL << 30;
    WriteSparseFile(staged.folder.Path() + "gross.bin", threeGB);
    WriteFile(staged.folder.Path() + "alt.txt", 5);
    SetWriteTime(staged.folder.Path() + "alt.txt", LocalTime(1979, 6, 1));
    ViewOnForm on;
    on.view->SetPath(staged.Path());
    ASSERT_NE(on.Rec("gross.bin"), nullptr) << "a 3 GB file passes the default filter: " << on.Names();
    EXPECT_EQ(on.Rec("gross.bin")->Size, threeGB);
    std::string digits = on.Text(on.Row("gross.bin"), 1);
    digits.erase(std::remove_if(digits.begin(), digits.end(), [](char c) { return c < '0' || c > '9'; }), digits.end());
    EXPECT_EQ(digits, "3221225472") << on.Text(on.Row("gross.bin"), 1);
    EXPECT_EQ(on.view->FilesSize(), threeGB + 20 + 1500 + 300 + 4000);
    EXPECT_EQ(on.view->FindFileItem("alt.txt"), nullptr) << "1979 lies before the default date range";
}

TEST(DirView, ALoadAddsBareItemsAndRowsAskForTheirTexts)
{
    StagedListing staged;
    TestForm hidden(20, 20, 400, 300);
    auto* view = hidden.Add<TDirView>(0, 0, 380, 280);
    view->HandleNeeded();
    view->SetPath(staged.Path());
    ASSERT_EQ(view->Items().Count(), 5);
    for (int i = 0; i < view->Items().Count(); ++i) {
        const TFileRec* rec = view->ItemData(i);
        EXPECT_TRUE(rec->InfoEmpty && rec->IconEmpty) << rec->FileName << ": looked up during the load";
    }
    const int row = view->FindFileItem("delta.bmp")->Index();
    EXPECT_FALSE(ListViewText(view->Handle(), row, 2).empty()) << "the type name, asked for as the row is drawn";
    EXPECT_FALSE(view->ItemData(row)->InfoEmpty);
    EXPECT_TRUE(view->ItemData(view->FindFileItem("Alpha.txt")->Index())->InfoEmpty) << "rows not drawn wait";
}

TEST(DirView, AThrowingAddHandlerEndsTheLoadCleanly)
{
    StagedListing staged;
    ViewOnForm on;
    on.view->SetPath(staged.Path());
    on.view->OnAddFile = [](TComponent*, WIN32_FIND_DATAA& found, bool&) {
        if (std::string(found.cFileName) == "delta.bmp")
            throw std::runtime_error("abgelehnt");
    };
    EXPECT_THROW(on.view->Reload(false), std::runtime_error);
    EXPECT_FALSE(on.view->Loading());
    on.view->OnAddFile = nullptr;
    on.view->Reload(false);
    // Painting was not left held back: the rows are drawn, and so ask for their texts.
    ASSERT_NE(on.Rec("Alpha.txt"), nullptr) << "the next load runs";
    EXPECT_TRUE(PumpMessagesUntil([&] { return !on.Rec("Alpha.txt")->InfoEmpty; }, 2000));
    EXPECT_EQ(on.Names(), "Unter,Alpha.txt,beta.ico,delta.bmp,gamma.ICO");
}

TEST(DirView, ALoadIsNotEnteredAgainWhileItLetsMessagesRun)
{
    StagedFolder many("viele");
    for (int i = 0; i < 250; ++i)
        WriteFile(many.Path() + "datei" + std::to_string(1000 + i) + ".txt", 1);
    StagedListing other;
    ViewOnForm on;
    std::vector<std::string> loads;
    on.view->OnLoaded = [&](TComponent*) { loads.push_back(on.view->Path() + " " + std::to_string(on.view->Items().Count())); };
    PostedAction changePath([&] { on.view->SetPath(other.Path()); });
    bool posted = false;
    on.view->OnAddFile = [&](TComponent*, WIN32_FIND_DATAA&, bool&) {
        if (!posted)
            changePath.Post();
        posted = true;
    };
    on.view->SetPath(many.Path());
    ASSERT_EQ(loads.size(), 2u);
    EXPECT_EQ(loads[0], RemoveTrailing(many.Path()) + " 250") << "the first load ran to its end";
    EXPECT_EQ(loads[1], other.Path() + " 5") << "then the path asked for meanwhile";
    EXPECT_EQ(on.view->LastPath(), RemoveTrailing(many.Path()));
}

TEST(DirView, AFormFreedDuringALoadGoesAfterIt)
{
    StagedFolder many("viele");
    for (int i = 0; i < 250; ++i)
        WriteFile(many.Path() + "datei" + std::to_string(1000 + i) + ".txt", 1);
    bool freed = false;
    auto* form = new TForm(nullptr);
    new FreedWitness(form, freed);
    form->SetBounds(20, 20, 300, 200);
    auto* view = new TDirView(form);
    view->SetParent(form);
    view->SetBounds(0, 0, 280, 180);
    form->Show();
    // The animation of a long load, where the platform has it, goes with the load.
    view->SetShowAnimation(true);
    int loaded = -1;
    view->OnLoaded = [&](TComponent*) { loaded = view->Items().Count(); };
    view->OnAddFile = [&](TComponent*, WIN32_FIND_DATAA&, bool&) {
        if (loaded == -1)
            form->Release();
        loaded = 0;
    };
    view->SetPath(many.Path());
    EXPECT_EQ(loaded, 250);
    EXPECT_FALSE(freed) << "the release waited for the end of the load";
    EXPECT_TRUE(PumpMessagesUntil([&] { return freed; }));
}
