// The directory list view: masks and filters, the listing of a staged folder, its texts, sorting by
// header clicks, deferred loads and the change monitor.
#include <windows.h>
#include <commctrl.h>

#include "DirView.h"
#include "Forms.h"
#include "MessagePump.h"
#include "MouseInput.h"
#include "StagedFolder.h"
#include "TestForm.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

FILETIME LocalTime(WORD year, WORD month, WORD day, WORD hour = 12)
{
    SYSTEMTIME local = {};
    local.wYear = year;
    local.wMonth = month;
    local.wDay = day;
    local.wHour = hour;
    FILETIME localFile, utc;
    SystemTimeToFileTime(&local, &localFile);
    LocalFileTimeToFileTime(&localFile, &utc);
    return utc;
}

WIN32_FIND_DATAA Found(DWORD attributes, DWORD size, const FILETIME& time)
{
    WIN32_FIND_DATAA found = {};
    found.dwFileAttributes = attributes;
    found.nFileSizeLow = size;
    found.ftLastWriteTime = time;
    return found;
}

void WriteFile(const std::string& path, size_t size, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    std::string bytes(size, 'x');
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

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

struct ViewOnForm : TestForm {
    ViewOnForm() : TestForm(20, 20, 640, 400)
    {
        view = Add<TDirView>(0, 0, 620, 380);
        form->Show();
        PumpMessages();
    }

    // The names in the window's order, joined by ",".
    std::string Names()
    {
        std::string names;
        const int rows = static_cast<int>(SendMessageA(view->Handle(), LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row)
            names += (row ? "," : "") + Text(row, 0);
        return names;
    }

    std::string Text(int row, int column) { return ListViewText(view->Handle(), row, column); }

    int Row(const std::string& name)
    {
        TListItem* item = view->FindFileItem(name);
        return item ? item->Index() : -1;
    }

    // A real click on a column's header.
    void ClickHeader(int column)
    {
        HWND header = ListView_GetHeader(view->Handle());
        RECT rect = {};
        SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&rect));
        ClickAt(header, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        PumpMessages();
    }

    int HeaderFormat(int column)
    {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        SendMessageA(ListView_GetHeader(view->Handle()), HDM_GETITEMA, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&item));
        return item.fmt;
    }

    // The arrow a column's header shows, read from its bitmap: 'v' when the dark pixels crowd
    // the upper half (a triangle standing on its point), '^' the lower, ' ' for none.
    char Arrow(int column)
    {
        HDITEMA item = {};
        item.mask = HDI_FORMAT | HDI_BITMAP;
        SendMessageA(ListView_GetHeader(view->Handle()), HDM_GETITEMA, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&item));
        if (!(item.fmt & HDF_BITMAP) || !item.hbm)
            return ' ';
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, item.hbm);
        int upper = 0, lower = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const COLORREF c = GetPixel(dc, x, y);
                if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 300)
                    ++(y < 8 ? upper : lower);
            }
        SelectObject(dc, old);
        DeleteDC(dc);
        return upper > lower ? 'v' : lower > upper ? '^' : '?';
    }

    TDirView* view;
};

// Four files of distinct sizes and one sub-folder.
struct StagedListing {
    StagedListing() : folder("dir view")
    {
        WriteFile(folder.Path() + "beta.ico", 1500);
        WriteFile(folder.Path() + "Alpha.txt", 20);
        WriteFile(folder.Path() + "gamma.ICO", 300);
        WriteFile(folder.Path() + "delta.bmp", 4000);
        folder.Folder("Unter");
    }
    std::string Path() const { return folder.Path().substr(0, folder.Path().size() - 1); }
    StagedFolder folder;
};

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
    const struct { DWORD attributes; DWORD size; FILETIME time; bool passes; const char* what; } cases[] = {
        {FILE_ATTRIBUTE_NORMAL, 0, now, true, "empty file"},
        {FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY, 123, now, true, "hidden system file"},
        {FILE_ATTRIBUTE_ARCHIVE, 0x7FFFFFFF, now, true, "largest size"},
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
    for (DWORD size : {9u, 10u, 20u, 21u})
        EXPECT_EQ(sizes.Accepts(Found(FILE_ATTRIBUTE_NORMAL, size, now)), size >= 10 && size <= 20)
            << "size " << size << ": both ends belong to the range";
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
