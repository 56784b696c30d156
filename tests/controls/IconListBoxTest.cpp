// The icon list box on a form: what it lists for libraries, icon files, missing and foreign
// files, when it reloads, who owns the icons, and what it paints.
#include <windows.h>

#include "../framework/GdiCount.h"
#include "../framework/ImageBytes.h"
#include "Bitmap.h"
#include "Classes.h"
#include "ExceptionLog.h"
#include "Forms.h"
#include "IconCtls.h"
#include "IconFileReaderImages.h"
#include "Pixels.h"
#include "SysUtils.h"
#include "TestForm.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <memory>
#include <string>
#include <vector>

using imagebytes::ScratchFolder;
using iconimages::Buffer;

namespace {

// The library of three icon groups built beside the test program: the named group first,
// as the platform numbers them.
std::string TestLibrary()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string exe(path, length);
    return exe.substr(0, exe.find_last_of('\\') + 1) + "ql_test_icons.dll";
}

const COLORREF LibraryColours[] = {RGB(0, 0, 255), RGB(255, 0, 0), RGB(0, 160, 0)};

std::vector<uint8_t> SolidImage(int size, COLORREF colour)
{
    return imagebytes::IconImage(size, [colour](int, int) { return colour; }, [](int, int) { return false; });
}

void WriteFile(const std::string& fileName, const std::vector<uint8_t>& bytes)
{
    SaveFileReplacing(fileName, bytes.data(), bytes.size());
}

// Whether `icon` is still a live icon of the process.
bool IconAlive(HICON icon)
{
    ICONINFO info = {};
    if (!GetIconInfo(icon, &info))
        return false;
    if (info.hbmColor)
        DeleteObject(info.hbmColor);
    if (info.hbmMask)
        DeleteObject(info.hbmMask);
    return true;
}

std::string WindowItemText(HWND list, int index)
{
    char text[32] = {};
    SendMessageA(list, LB_GETTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text));
    return text;
}

struct ListOnForm : TestForm {
    ListOnForm() : TestForm(40, 40, 400, 120)
    {
        list = new TqelIconListBox(form.get());
        list->SetParent(form.get());
        // One row: the items stand side by side, item i in column i.
        list->SetBounds(0, 0, 360, list->ItemHeight() + 24);
        list->OnFileChange = [this](TComponent*) { ++fileChanges; };
        list->OnClick = [this](TComponent*) { ++clicks; };
        list->OnDblClick = [this](TComponent*) { ++doubleClicks; };
        form->Handle();
    }
    ~ListOnForm()
    {
        form.reset();   // the list goes while the log of its errors is still there
    }

    // The client area as the list box paints it.
    std::unique_ptr<TBitmap> Shot()
    {
        form->Show();
        return PrintClient(list->Handle());
    }

    RECT ItemRect(int index)
    {
        RECT r = {};
        SendMessageA(list->Handle(), LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
        return r;
    }

    ExceptionLog errors;
    TqelIconListBox* list;
    int fileChanges = 0;
    int clicks = 0;
    int doubleClicks = 0;
};

}  // namespace

TEST(IconListBox, ListsTheIconsOfEachKindOfFile)
{
    ScratchFolder folder("iconlb_kinds");
    WriteFile(folder.File("drei.ico"),
              imagebytes::Ico({SolidImage(16, RGB(1, 2, 3)), SolidImage(32, RGB(1, 2, 3)), SolidImage(48, RGB(1, 2, 3))}));
    WriteFile(folder.File("text.dll"), {'k', 'e', 'i', 'n', 'e', ' ', 'S', 'y', 'm', 'b', 'o', 'l', 'e', '\r', '\n'});
    std::vector<uint8_t> broken = imagebytes::Ico({SolidImage(32, RGB(1, 2, 3))});
    imagebytes::Set32(broken, 6 + 12, 0x00100000);   // its image lies far past the end
    WriteFile(folder.File("kaputt.ico"), broken);
    broken[0] = 1;   // and no icon header either
    WriteFile(folder.File("kopflos.ico"), broken);

    const struct {
        std::string file;
        int icons;
        bool enabled;   // with AutoDisable
    } cases[] = {
        {TestLibrary(), 3, true},
        {folder.File("drei.ico"), 1, true},   // one icon however many images it holds
        {folder.File("text.dll"), 0, true},
        {folder.File("kaputt.ico"), 1, true},   // one icon, whose only image is refused
        {folder.File("kopflos.ico"), 0, true},
        {folder.File("fehlt.dll"), -1, false},
        {folder.File(""), -1, false},   // a folder is no file
        {TestLibrary(), 3, true},        // and back, after the empty ones
    };
    ListOnForm f;
    for (const auto& c : cases) {
        f.list->SetFileName(c.file);
        HWND window = f.list->Handle();
        int items = c.icons < 0 ? 0 : c.icons;
        EXPECT_EQ(f.list->NumberOfIcons(), c.icons) << c.file;
        EXPECT_EQ(f.list->ItemCount(), items) << c.file;
        EXPECT_EQ(SendMessageA(window, LB_GETCOUNT, 0, 0), items) << c.file;
        EXPECT_EQ(f.list->Enabled(), c.enabled) << c.file;
        EXPECT_EQ(IsWindowEnabled(window) != FALSE, c.enabled) << c.file;
        EXPECT_EQ(f.list->ItemIndex(), items ? 0 : -1) << c.file;
        for (int i = 0; i < items; ++i)
            EXPECT_EQ(WindowItemText(window, i), std::to_string(i)) << c.file << " item " << i;
    }
    EXPECT_EQ(f.fileChanges, 8);
    f.list->SetFileName(folder.File("kaputt.ico"));
    EXPECT_EQ(f.list->GetIcon(0), nullptr);
    EXPECT_TRUE(f.errors.messages.empty()) << f.errors.messages.front();
}

TEST(IconListBox, AutoDisableFollowsTheFileAtOnce)
{
    ListOnForm f;
    f.list->SetFileName(TestLibrary() + ".fehlt");
    EXPECT_FALSE(f.list->Enabled());
    f.list->SetAutoDisable(false);
    EXPECT_TRUE(f.list->Enabled()) << "without AutoDisable it is always enabled";
    EXPECT_TRUE(IsWindowEnabled(f.list->Handle()));
    f.list->SetAutoDisable(true);
    EXPECT_FALSE(f.list->Enabled());
    f.list->SetFileName(TestLibrary());
    EXPECT_TRUE(f.list->Enabled());
}

TEST(IconListBox, OnlyADifferentNameReloads)
{
    ListOnForm f;
    const std::string dll = TestLibrary();
    f.list->SetFileName(dll);
    TIcon* first = f.list->GetIcon(0);
    ASSERT_NE(first, nullptr);
    f.list->SetItemIndex(2);

    f.list->SetFileName(dll);
    EXPECT_EQ(f.fileChanges, 1) << "the same name again is no change";
    EXPECT_EQ(f.list->GetIcon(0), first) << "the same name again kept the icons";
    EXPECT_EQ(f.list->ItemIndex(), 2) << "the same name again kept the selection";

    // The comparison is exact: another spelling of the same file loads it anew.
    f.list->SetFileName(AnsiUpperCase(dll));
    EXPECT_EQ(f.fileChanges, 2);
    EXPECT_EQ(f.list->NumberOfIcons(), 3);
    EXPECT_EQ(f.list->ItemIndex(), 0);
}

TEST(IconListBox, GetIconGivesNothingOutsideTheList)
{
    ListOnForm f;
    EXPECT_EQ(f.list->GetIcon(0), nullptr) << "no file loaded";
    f.list->SetFileName(TestLibrary());
    ASSERT_EQ(f.list->NumberOfIcons(), 3);
    for (int index : {-1, 3, 1000})
        EXPECT_EQ(f.list->GetIcon(index), nullptr) << "index " << index;
    for (int index = 0; index < 3; ++index) {
        TIcon* icon = f.list->GetIcon(index);
        ASSERT_NE(icon, nullptr) << "index " << index;
        EXPECT_EQ(icon->Width(), GetSystemMetrics(SM_CXICON)) << "index " << index;
        EXPECT_EQ(f.list->GetIcon(index), icon) << "index " << index << " is kept";
    }
}

// With caching an icon is extracted when first asked for, so a file that changed since is
// read as it is now; without, every icon was taken when the file was loaded.
TEST(IconListBox, CachingDecidesWhenIconsAreExtracted)
{
    ScratchFolder folder("iconlb_caching");
    const std::string copy = folder.File("kopie.dll");
    const std::vector<uint8_t> library = ReadFileBytes(TestLibrary());
    const std::vector<uint8_t> text = {'n', 'u', 'r', ' ', 'T', 'e', 'x', 't'};
    for (bool caching : {true, false}) {
        WriteFile(copy, library);
        ListOnForm f;
        f.list->SetEnableCaching(caching);
        f.list->SetFileName(copy);
        ASSERT_EQ(f.list->NumberOfIcons(), 3) << "caching " << caching;
        EXPECT_EQ(Screen.Cursor(), crDefault) << "caching " << caching;
        WriteFile(copy, text);
        for (int i = 0; i < 3; ++i)
            EXPECT_EQ(f.list->GetIcon(i) != nullptr, !caching) << "caching " << caching << ", icon " << i;
    }
}

TEST(IconListBox, SwitchingCachingOffReloadsWithEveryIcon)
{
    ScratchFolder folder("iconlb_switch");
    const std::string copy = folder.File("kopie.dll");
    WriteFile(copy, ReadFileBytes(TestLibrary()));
    ListOnForm f;
    f.list->SetFileName(copy);
    f.list->SetEnableCaching(false);
    WriteFile(copy, {'n', 'u', 'r', ' ', 'T', 'e', 'x', 't'});
    for (int i = 0; i < 3; ++i)
        EXPECT_NE(f.list->GetIcon(i), nullptr) << "icon " << i;
    EXPECT_EQ(f.fileChanges, 1) << "switching caching is no change of the file";
}

TEST(IconListBox, IconsLiveUntilReloadOrDestruction)
{
    auto f = std::make_unique<ListOnForm>();
    f->list->SetFileName(TestLibrary());
    std::vector<HICON> icons;
    for (int i = 0; i < 3; ++i)
        icons.push_back(f->list->GetIcon(i)->Handle());

    f->list->SetItemIndex(2);
    TIcon* before = f->list->GetIcon(1);
    f->list->RecreateWnd();
    EXPECT_EQ(SendMessageA(f->list->Handle(), LB_GETCOUNT, 0, 0), 3);
    EXPECT_EQ(f->list->ItemIndex(), 2) << "the new window keeps the selection";
    EXPECT_EQ(f->list->GetIcon(1), before) << "the new window keeps the icons";
    for (size_t i = 0; i < icons.size(); ++i)
        EXPECT_TRUE(IconAlive(icons[i])) << "icon " << i << " after the new window";

    // Caching: the new file's icons are not extracted yet, so no handle can be reused.
    f->list->SetFileName(TestLibrary() + ".fehlt");
    for (size_t i = 0; i < icons.size(); ++i)
        EXPECT_FALSE(IconAlive(icons[i])) << "icon " << i << " after a reload";

    f->list->SetEnableCaching(false);
    f->list->SetFileName(TestLibrary());
    icons.clear();
    for (int i = 0; i < 3; ++i)
        icons.push_back(f->list->GetIcon(i)->Handle());
    f.reset();
    for (size_t i = 0; i < icons.size(); ++i)
        EXPECT_FALSE(IconAlive(icons[i])) << "icon " << i << " after the list box went";
}

// A row's icon is made when the row is first drawn: a file that turns unreadable afterwards
// keeps the icons drawn before and gives none for the rows not drawn yet. Scrolled page by page
// to the end, a list of more icons than one reading of the file takes draws every one.
TEST(IconListBox, RowsMakeTheirIconsWhenFirstDrawnAndScrollingReachesEveryOne)
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    ScratchFolder folder("iconlb_rows");
    const std::string copy = folder.File("shell.dll");
    const std::vector<uint8_t> library = ReadFileBytes(std::string(system) + "\\shell32.dll");
    const std::vector<uint8_t> text = {'n', 'u', 'r', ' ', 'T', 'e', 'x', 't'};
    for (bool scroll : {false, true}) {
        WriteFile(copy, library);
        ListOnForm f;
        f.list->SetFileName(copy);
        const int count = f.list->ItemCount();
        ASSERT_GT(count, 2 * TIconFileReader::ImagesPerReading) << "the system's shell library";
        HWND window = f.list->Handle();
        RECT client;
        GetClientRect(window, &client);
        // One row: the columns wholly shown, and those shown at all.
        const int page = client.right / f.list->ColumnWidth();
        const int shown = (client.right + f.list->ColumnWidth() - 1) / f.list->ColumnWidth();
        ASSERT_GT(page, 0);
        f.Shot();
        for (int top = page; scroll && top < count; top += page) {
            SendMessageA(window, LB_SETTOPINDEX, static_cast<WPARAM>(top), 0);
            f.Shot();
        }
        WriteFile(copy, text);
        for (int i = 0; i < count; ++i) {
            const bool drawn = scroll || i < shown;
            EXPECT_EQ(f.list->GetIcon(i) != nullptr, drawn) << "scrolled " << scroll << ", icon " << i;
        }
        EXPECT_TRUE(f.errors.messages.empty()) << f.errors.messages.front();
    }
}

TEST(IconListBox, LoadingAndPaintingLeakNoGdiObjects)
{
    ListOnForm f;
    ScratchFolder folder("iconlb_leak");
    WriteFile(folder.File("text.dll"), {'T', 'e', 'x', 't'});
    auto cycle = [&] {
        f.list->SetEnableCaching(true);
        f.list->SetFileName(TestLibrary());
        f.Shot();
        f.list->SetFileName(folder.File("text.dll"));
        f.list->SetEnableCaching(false);
        f.list->SetFileName(TestLibrary());
        f.Shot();
        f.list->RecreateWnd();
        f.list->SetFileName("");
    };
    // Our fonts and brushes, and the platform's own caches, are made in the first rounds.
    cycle();
    cycle();
    long before = gdicount::LiveObjects();
    if (before < 0)
        GTEST_SKIP() << "no count of GDI objects on this platform";
    for (int i = 0; i < 5; ++i)
        cycle();
    EXPECT_EQ(gdicount::LiveObjects(), before);
}

// Each item shows its icon centred in the item; the icons' one-pixel border is transparent.
TEST(IconListBox, PaintsEachIconCentredInItsItem)
{
    const int iconWidth = GetSystemMetrics(SM_CXICON), iconHeight = GetSystemMetrics(SM_CYICON);
    for (int margin : {5, 14}) {
        ListOnForm f;
        f.list->SetMargin(margin);
        f.list->SetFileName(TestLibrary());
        f.list->SetItemIndex(-1);
        ASSERT_EQ(f.list->ItemHeight(), iconHeight + margin);
        EXPECT_EQ(SendMessageA(f.list->Handle(), LB_GETITEMHEIGHT, 0, 0), iconHeight + margin) << "margin " << margin;
        std::unique_ptr<TBitmap> shot = f.Shot();
        const COLORREF background = ColorToRGB(clWindow) & 0xFFFFFF;
        for (int i = 0; i < 3; ++i) {
            RECT item = f.ItemRect(i);
            std::string what = "margin " + std::to_string(margin) + ", item " + std::to_string(i);
            EXPECT_EQ(item.left, i * (iconWidth + margin)) << what << ": column width";
            EXPECT_EQ(item.bottom - item.top, iconHeight + margin) << what;
            int x = item.left + margin / 2;
            int y = item.top + margin / 2;
            const struct {
                POINT at;
                COLORREF expected;
            } pixels[] = {
                {{x + 1, y + 1}, LibraryColours[i]},
                {{x + iconWidth - 2, y + iconHeight - 2}, LibraryColours[i]},
                {{x + iconWidth / 2, y + iconHeight / 2}, LibraryColours[i]},
                {{x, y}, background},
                {{x + iconWidth - 1, y + iconHeight - 1}, background},
                {{item.left, item.top}, background},
            };
            for (const auto& p : pixels) {
                COLORREF seen = ColorToRGB(shot->Canvas().Pixels(p.at.x, p.at.y)) & 0xFFFFFF;
                EXPECT_EQ(seen, p.expected) << what << " at (" << p.at.x << "," << p.at.y << "): " << Hex(seen);
            }
        }
        EXPECT_TRUE(f.errors.messages.empty()) << f.errors.messages.front();
    }
}

TEST(IconListBox, ASelectedItemKeepsItsIconOnTheHighlight)
{
    ListOnForm f;
    f.list->SetFileName(TestLibrary());
    f.list->SetItemIndex(1);
    std::unique_ptr<TBitmap> shot = f.Shot();
    RECT item = f.ItemRect(1);
    COLORREF corner = ColorToRGB(shot->Canvas().Pixels(item.left, item.top)) & 0xFFFFFF;
    COLORREF middle = ColorToRGB(shot->Canvas().Pixels((item.left + item.right) / 2, (item.top + item.bottom) / 2)) & 0xFFFFFF;
    EXPECT_EQ(corner, ColorToRGB(clHighlight) & 0xFFFFFF) << Hex(corner);
    EXPECT_EQ(middle, LibraryColours[1]) << Hex(middle);
}

// Every row shows, pixel for pixel, what DrawIconEx draws of the icon the platform extracts for
// it, normal and selected: for the images the list box draws itself and for those it leaves to
// the platform.
TEST(IconListBox, RowsShowWhatThePlatformDrawsOfEachIcon)
{
    using iconimages::DepthImage;
    using iconimages::FramedImage;
    const struct {
        const char* what;
        std::vector<Buffer> images;
    } kinds[] = {
        {"4 bits", {DepthImage(4)}},
        {"8 bits", {DepthImage(8)}},
        {"24 bits, XOR under the mask", {FramedImage(32, RGB(10, 120, 240))}},
        {"32 bits without alpha", {DepthImage(32)}},
        {"32 bits with alpha", {iconimages::IconDib({32, 32, {},
                                                      [](int x, int y) -> uint32_t {
                                                          return RGB(x * 8, 255 - y * 7, x * y) | uint32_t(y * 32 + x) << 24;
                                                      },
                                                      [](int x, int) { return x % 3 == 0; }})}},
        {"the 32x32 one of three", {DepthImage(8, 16), DepthImage(24), DepthImage(32, 48, true)}},
        {"1 bit", {DepthImage(1)}},
        {"1 bit, black and white", {iconimages::IconDib({32, 1, {RGB(0, 0, 0), RGB(255, 255, 255)},
                                                          [](int x, int y) -> uint32_t { return ((x ^ y) & 4) ? 1 : 0; },
                                                          [](int x, int y) { return (x + y) % 5 == 0; }})}},
        {"16 bits", {DepthImage(16)}},
        {"PNG", {iconimages::PngImage(32, [](int x, int y) { return RGB(x * 8, y * 8, 99) | uint32_t(x * 8) << 24; })}},
        {"16 pixels, scaled", {FramedImage(16, RGB(240, 0, 0))}},
        {"48 pixels, scaled", {DepthImage(32, 48, true)}},
        {"index past the colour table", {iconimages::PastColourTable()}},
    };
    ScratchFolder folder("iconlb_drawn");
    const std::string library = folder.File("arten.dll");
    std::vector<std::vector<Buffer>> groups;
    for (const auto& kind : kinds)
        groups.push_back(kind.images);
    ASSERT_TRUE(iconimages::WriteIconLibrary(TestLibrary(), library, groups));
    const int count = static_cast<int>(std::size(kinds));

    ListOnForm f;
    f.form->SetBounds(40, 40, count * f.list->ColumnWidth() + 60, 140);
    f.list->SetBounds(0, 0, count * f.list->ColumnWidth() + 20, f.list->ItemHeight() + 24);
    f.list->SetFileName(library);
    ASSERT_EQ(f.list->ItemCount(), count);
    // The shots come first: drawing the rows must not wait for their icons.
    std::vector<std::unique_ptr<TBitmap>> shots;
    for (int selected = -1; selected < count; ++selected) {
        f.list->SetItemIndex(selected);
        shots.push_back(f.Shot());
    }

    const int size = GetSystemMetrics(SM_CXICON);
    for (int i = 0; i < count; ++i) {
        HICON extracted = nullptr;
        ASSERT_EQ(ExtractIconExA(library.c_str(), i, &extracted, nullptr, 1), 1u) << kinds[i].what;
        const RECT item = f.ItemRect(i);
        const int left = item.left + (item.right - item.left - size) / 2, top = item.top + (item.bottom - item.top - size) / 2;
        for (bool selected : {false, true}) {
            const TBitmap& shot = *shots[selected ? size_t(i + 1) : 0];
            std::vector<COLORREF> row;
            for (int y = 0; y < size; ++y)
                for (int x = 0; x < size; ++x)
                    row.push_back(static_cast<COLORREF>(shot.PixelColor(left + x, top + y)));
            const COLORREF background = ColorToRGB(selected ? clHighlight : f.list->Color()) & 0xFFFFFF;
            EXPECT_EQ(iconimages::FirstDifference(row, iconimages::DrawnIcon(extracted, background, size), size), "")
                << kinds[i].what << (selected ? ", selected" : "");
        }
        DestroyIcon(extracted);
    }
    EXPECT_TRUE(f.errors.messages.empty()) << f.errors.messages.front();
}

TEST(IconListBox, TheUsersChoiceIsAClickAndCodesIsNot)
{
    ListOnForm f;
    f.list->SetFileName(TestLibrary());
    f.list->SetItemIndex(2);
    EXPECT_EQ(f.clicks, 0) << "selection by code";

    f.form->Show();
    RECT item = f.ItemRect(1);
    LPARAM at = MAKELPARAM((item.left + item.right) / 2, (item.top + item.bottom) / 2);
    SendMessageA(f.list->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageA(f.list->Handle(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(f.list->ItemIndex(), 1);
    EXPECT_EQ(f.clicks, 1);
    SendMessageA(f.list->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, at);
    SendMessageA(f.list->Handle(), WM_LBUTTONUP, 0, at);
    EXPECT_EQ(f.doubleClicks, 1);
    SendMessageA(f.list->Handle(), WM_KEYDOWN, VK_RIGHT, 0);
    EXPECT_EQ(f.list->ItemIndex(), 2);
    EXPECT_EQ(f.clicks, 2) << "a choice by keyboard";
}
