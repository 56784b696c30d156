// The icon gallery: icon references, the catalogue's folders and files, type badges and
// thumbnails, and the gallery page of the main window with its category tree, library view and
// the current icon it hands to the information window.
#include <windows.h>
#include <commctrl.h>

#include "Bitmap.h"
#include "DialogStub.h"
#include "ExactNames.h"
#include "Exceptions.h"
#include "Gallery.h"
#include "ThumbnailList.h"
#include "IconConverter.h"
#include "IconFileReader.h"
#include "IconInfo.h"
#include "IconSpec.h"
#include "Info.h"
#include "Main.h"
#include "MessagePump.h"
#include "ProgramForms.h"
#include "StagedFolder.h"
#include "Startup.h"
#include "SysUtils.h"
#include "TransparentKey.h"
#include "toolsunit.h"
#include "../controls/IconFileReaderImages.h"
#include "../framework/GdiCount.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

constexpr TColor Red = 0x0000FF;
constexpr TColor Green = 0x00FF00;
constexpr TColor Blue = 0xFF0000;
constexpr TColor Magenta = 0xFF00FF;

// A one-image icon: a square of `colour` in the middle, transparent around it.
void WriteIcon(const std::string& path, TColor colour)
{
    TBitmap bitmap(32, 32);
    bitmap.Canvas().Brush().SetColor(TransparentKeyColor);
    bitmap.Canvas().FillRect({0, 0, 32, 32});
    bitmap.Canvas().Brush().SetColor(colour);
    bitmap.Canvas().FillRect({6, 6, 26, 26});
    SaveBitmapAsIcon(path, bitmap, TransparentKeyColor);
}

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string BinFolder()
{
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    return ExtractFilePath(exe);
}

// The test library with three icon groups.
std::string TestIconLibrary()
{
    return BinFolder() + "ql_test_icons.dll";
}

// A real library without icons.
std::string LibraryWithoutIcons()
{
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    return IncludeTrailingBackslash(system) + "kernel32.dll";
}

// Image `index` of a list drawn on `background`.
TColor DrawnPixel(TImageList& list, int index, int x, int y, TColor background)
{
    TBitmap canvas(list.Width(), list.Height());
    canvas.Canvas().Brush().SetColor(background);
    canvas.Canvas().FillRect({0, 0, list.Width(), list.Height()});
    list.Draw(canvas.Canvas(), 0, 0, index);
    return canvas.PixelColor(x, y);
}

std::string Names(const std::vector<std::string>& names)
{
    std::string text;
    for (const std::string& name : names)
        text += (text.empty() ? "" : ", ") + name;
    return "[" + text + "]";
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Icon references

TEST(IconSpec, SplitsAtTheLastCommaAndReadsTheIndexLeniently)
{
    const struct {
        const char* spec;
        const char* file;
        int index;
    } cases[] = {
        {"C:\\CAT\\LIB.DLL,5", "C:\\CAT\\LIB.DLL", 5},
        {"C:\\CAT\\A.ICO", "C:\\CAT\\A.ICO", 0},
        {"C:\\A,B\\LIB.DLL,2", "C:\\A,B\\LIB.DLL", 2},         // comma in a folder name
        {"C:\\A,B\\X.ICO", "C:\\A,B\\X.ICO", 0},               // ... and no index
        {"C:\\ICONS\\ROT, BLAU.ICO", "C:\\ICONS\\ROT, BLAU.ICO", 0},
        {"%SystemRoot%\\system32\\shell32.dll,-33", "%SystemRoot%\\system32\\shell32.dll", -33},
        {"C:\\X.DLL, 3", "C:\\X.DLL", 3},
        {"C:\\X.DLL,+7", "C:\\X.DLL", 7},
        {"C:\\X.DLL,", "C:\\X.DLL", 0},                         // missing index
        {"C:\\X.DLL,abc", "C:\\X.DLL", 0},                      // garbage
        {"C:\\X.DLL,-", "C:\\X.DLL", 0},
        {"C:\\X.DLL,1 2", "C:\\X.DLL", 0},
        {"C:\\X.DLL,99999999999", "C:\\X.DLL", 0},              // out of range
        {"C:\\X.DLL,\"3\"", "C:\\X.DLL", 0},                    // quoted index
        {"\"C:\\Programme\\Y.EXE\",1", "C:\\Programme\\Y.EXE", 1},   // quoted path
        {"\"C:\\Programme\\Y.EXE\"", "C:\\Programme\\Y.EXE", 0},
        {"", "", 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IconSpecFile(c.spec), c.file) << c.spec;
        int index = -1;
        EXPECT_NO_THROW(index = IconSpecIndex(c.spec)) << c.spec;
        EXPECT_EQ(index, c.index) << c.spec;
    }
}

// ---------------------------------------------------------------------------------------------
// Catalogue folders and the files of a folder

TEST(CatalogueFolders, SubfoldersAreFoldersOnlyWithoutDotNames)
{
    StagedFolder root("gallery subfolders");
    for (const char* folder : {"Zeta", "alpha", ".versteckt", "Mitte.ico"})
        root.Folder(folder);
    WriteBytes(root.Path() + "datei.txt", "x");
    WriteBytes(root.Path() + "Beta", "a file, not a folder");
    std::vector<std::string> found;
    for (const TSubfolder& folder : ListSubfolders(root.Path())) {
        found.push_back(folder.path);
        EXPECT_EQ(folder.shown, ExtractLastFolderName(folder.path));
    }
    std::set<std::string> expected = {root.Path() + "Zeta", root.Path() + "alpha", root.Path() + "Mitte.ico"};
    EXPECT_EQ(std::set<std::string>(found.begin(), found.end()), expected) << Names(found);
    EXPECT_EQ(found.size(), expected.size()) << Names(found);

    EXPECT_TRUE(ListSubfolders(root.Path() + "fehlt\\").empty());

    // A look-alike shows as the platform shows it and leads to its own folder.
    ASSERT_TRUE(CreateDirectoryW((WideOf(root.Path()) + L"\u03A9mega").c_str(), nullptr));
    root.Folder("Omega");
    int omegas = 0;
    for (const TSubfolder& folder : ListSubfolders(root.Path()))
        if (folder.shown == "Omega") {
            ++omegas;
            wchar_t full[MAX_PATH] = {};
            ASSERT_TRUE(GetLongPathNameW(WideOf(folder.path).c_str(), full, MAX_PATH));
            EXPECT_EQ(std::wstring(full).substr(std::wstring(full).rfind(L'\\') + 1) == L"Omega",
                      ExtractLastFolderName(folder.path) == "Omega");
        }
    EXPECT_EQ(omegas, 2);
}

TEST(CatalogueFolders, LastFolderNameIsWhatFollowsTheLastBackslash)
{
    const struct {
        const char* path;
        const char* name;
    } cases[] = {
        {"C:\\Programme\\Quillandora\\Natur", "Natur"},
        {"C:\\Programme\\Quillandora\\Natur\\Blumen", "Blumen"},
        {"Natur", "Natur"},
        {"C:\\Natur\\", ""},
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ExtractLastFolderName(c.path), c.name) << c.path;
}

TEST(GalleryFiles, CandidatesAreTheIconBearingTypesSortedWithoutCase)
{
    StagedFolder root("gallery candidates");
    for (const char* name : {"b.ICO", "a.dll", "C.exe", "d.Icl", "E.nil", "readme.txt", "x.icox", "ico", "F.ico"})
        WriteBytes(root.Path() + name, "x");
    root.Folder("ordner.ico");
    std::vector<std::string> names = GalleryCandidateNames(root.Path());
    std::vector<std::string> expected = {"a.dll", "b.ICO", "C.exe", "d.Icl", "E.nil", "F.ico"};
    EXPECT_EQ(names, expected) << Names(names);

    // Without the trailing backslash the folder reads the same.
    EXPECT_EQ(GalleryCandidateNames(ExcludeTrailingBackslash(root.Path())), expected);
    EXPECT_TRUE(GalleryCandidateNames(root.Path() + "fehlt").empty());
}

TEST(GalleryFiles, PathsHaveOneBackslashAlsoInADriveRoot)
{
    const struct {
        const char* folder;
        const char* name;
        const char* path;
    } cases[] = {
        {"C:\\", "X.ICO", "C:\\X.ICO"},
        {"C:\\Icons", "X.ICO", "C:\\Icons\\X.ICO"},
        {"C:\\Icons\\", "X.ICO", "C:\\Icons\\X.ICO"},
        {"\\\\server\\freigabe", "X.ICO", "\\\\server\\freigabe\\X.ICO"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(GalleryFilePath(c.folder, c.name), c.path) << c.folder << " + " << c.name;
}

// ---------------------------------------------------------------------------------------------
// Badges and thumbnails

TEST(TypeBadges, FollowTheExtensionAndLookApart)
{
    const struct {
        const char* path;
        int badge;
    } cases[] = {
        {"C:\\A.NIL", tbNil}, {"C:\\A.exe", tbExe}, {"C:\\A.Icl", tbIcl}, {"C:\\A.DLL", tbDll},
        {"C:\\A.ICO", -1},    {"C:\\A", -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TypeBadgeOf(c.path), c.badge) << c.path;

    std::set<TColor> fills;
    for (int badge = 0; badge < TypeBadgeCount; ++badge) {
        TBitmap bitmap(TypeBadgeWidth, TypeBadgeHeight);
        DrawTypeBadge(bitmap, static_cast<TTypeBadge>(badge));
        EXPECT_EQ(bitmap.Width(), 20);
        EXPECT_EQ(bitmap.Height(), 11);
        for (POINT corner : {POINT{0, 0}, POINT{19, 0}, POINT{0, 10}, POINT{19, 10}})
            EXPECT_EQ(bitmap.PixelColor(corner.x, corner.y), TransparentKeyColor)
                << "badge " << badge << " corner " << corner.x << "," << corner.y;
        int letters = 0;
        for (int y = 0; y < TypeBadgeHeight; ++y)
            for (int x = 0; x < TypeBadgeWidth; ++x)
                letters += bitmap.PixelColor(x, y) == clWhite;
        EXPECT_GT(letters, 20) << "badge " << badge;
        fills.insert(bitmap.PixelColor(2, 8));
    }
    EXPECT_EQ(fills.size(), 4u) << "the four badges share a colour";
}

TEST(Thumbnails, LibraryIconCarriesItsBadgeBottomLeftAndTheKeyColourIsMasked)
{
    StagedFolder root("gallery thumbnail");
    WriteIcon(root.Path() + "rot.ico", Red);
    HICON icon = ExtractCheckedIcon(root.Path() + "rot.ico", 0);
    ASSERT_NE(icon, nullptr);
    TImageList badges(TypeBadgeWidth, TypeBadgeHeight);
    FillTypeBadges(badges);
    ASSERT_EQ(badges.Count(), 4);

    TThumbnail thumbnail;
    ComposeLibraryThumbnail(icon, badges, tbDll, thumbnail);
    DestroyIcon(icon);
    ASSERT_EQ(thumbnail.image.Width(), 32);
    ASSERT_EQ(thumbnail.image.Height(), 32);
    EXPECT_EQ(thumbnail.image.PixelFormat(), pf24bit);

    TBitmap badge(TypeBadgeWidth, TypeBadgeHeight);
    DrawTypeBadge(badge, tbDll);
    int differing = 0;
    for (int y = 0; y < TypeBadgeHeight; ++y)
        for (int x = 0; x < TypeBadgeWidth; ++x) {
            TColor expected = badge.PixelColor(x, y);
            if (expected != TransparentKeyColor)
                differing += thumbnail.image.PixelColor(x, TypeBadgeTop + y) != expected;
        }
    EXPECT_EQ(differing, 0) << "badge pixels not at (0," << TypeBadgeTop << ")";
    // The badge's rounded corner lets the picture show through: here the transparent border.
    EXPECT_EQ(thumbnail.image.PixelColor(0, TypeBadgeTop), TransparentKeyColor);
    EXPECT_EQ(thumbnail.image.PixelColor(16, 12), Red) << "the icon sits at (0,0)";
    EXPECT_EQ(thumbnail.image.PixelColor(31, 0), TransparentKeyColor);

    ASSERT_TRUE(thumbnail.mask.Monochrome());
    int wrong = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            bool clear = thumbnail.image.PixelColor(x, y) == TransparentKeyColor;
            wrong += (thumbnail.mask.PixelColor(x, y) == clWhite) != clear;
        }
    EXPECT_EQ(wrong, 0) << "mask pixels that disagree with the key colour";

    // In the image list the key colour is see-through and nothing of it shows.
    TImageList list(32, 32);
    ASSERT_TRUE(ImageList_SetImageCount(list.Handle(), 1));
    ASSERT_TRUE(ReplaceThumbnail(list, 0, thumbnail));
    EXPECT_EQ(DrawnPixel(list, 0, 31, 0, Magenta), Magenta);
    EXPECT_EQ(DrawnPixel(list, 0, 0, TypeBadgeTop, Magenta), Magenta);
    EXPECT_EQ(DrawnPixel(list, 0, 16, 12, Magenta), Red);
    EXPECT_EQ(DrawnPixel(list, 0, 2, 29, Magenta), badge.PixelColor(2, 8));
}

// ---------------------------------------------------------------------------------------------
// Building the gallery of a folder

TEST(GalleryBuild, ListsEveryIconFileButNoLibraryWithoutIcons)
{
    StagedFolder root("gallery build");
    WriteIcon(root.Path() + "b_gruen.ico", Green);
    WriteIcon(root.Path() + "A_rot.ICO", Red);
    ASSERT_TRUE(CopyFileA(TestIconLibrary().c_str(), (root.Path() + "c_bibliothek.dll").c_str(), FALSE))
        << TestIconLibrary();
    ASSERT_EQ(CountIcons(LibraryWithoutIcons()), 0) << LibraryWithoutIcons();
    ASSERT_TRUE(CopyFileA(LibraryWithoutIcons().c_str(), (root.Path() + "d_ohne.dll").c_str(), FALSE));
    WriteBytes(root.Path() + "e_text.dll", "Das ist keine Bibliothek.");
    WriteBytes(root.Path() + "f_leer.exe", "");
    WriteBytes(root.Path() + "g_notiz.txt", "x");

    TImageList images(32, 32);
    TImageList badges(TypeBadgeWidth, TypeBadgeHeight);
    FillTypeBadges(badges);
    TGalleryContents gallery = BuildGallery(root.Path(), images, badges);
    std::vector<std::string> expected = {root.Path() + "A_rot.ICO", root.Path() + "b_gruen.ico",
                                         root.Path() + "c_bibliothek.dll"};
    EXPECT_EQ(gallery.files, expected) << Names(gallery.files);
    ASSERT_EQ(gallery.imageIndexes.size(), gallery.files.size());
    EXPECT_EQ(images.Count(), 3);
    EXPECT_EQ(DrawnPixel(images, gallery.imageIndexes[0], 16, 16, Magenta), Red);
    EXPECT_EQ(DrawnPixel(images, gallery.imageIndexes[1], 16, 16, Magenta), Green);
    // The library shows its first icon with the DLL badge.
    TBitmap badge(TypeBadgeWidth, TypeBadgeHeight);
    DrawTypeBadge(badge, tbDll);
    EXPECT_EQ(DrawnPixel(images, gallery.imageIndexes[2], 2, 29, Magenta), badge.PixelColor(2, 8));

    // An empty folder and a missing one give an empty gallery.
    TGalleryContents empty = BuildGallery(root.Folder("leer"), images, badges);
    EXPECT_TRUE(empty.files.empty()) << Names(empty.files);
    EXPECT_TRUE(BuildGallery(root.Path() + "fehlt", images, badges).files.empty());
}

TEST(GalleryBuild, BrokenIconFilesGetABlankPictureAndKeepTheOthersInPlace)
{
    StagedFolder root("gallery broken");
    WriteIcon(root.Path() + "1_rot.ico", Red);
    WriteBytes(root.Path() + "2_kaputt.ico", std::string("\0\0\1\0\1\0 \0garbage", 16));
    WriteIcon(root.Path() + "3_gruen.ico", Green);
    WriteBytes(root.Path() + "4_leer.ico", "");
    // A directory that claims a thousand images far beyond the end of the file.
    WriteBytes(root.Path() + "5_luegt.ico", std::string("\0\0\1\0\xE8\x03", 6) + std::string(16, '\x7F'));
    WriteIcon(root.Path() + "6_blau.ico", Blue);

    TImageList images(32, 32);
    TImageList badges(TypeBadgeWidth, TypeBadgeHeight);
    FillTypeBadges(badges);
    TGalleryContents gallery = BuildGallery(root.Path(), images, badges);
    ASSERT_EQ(gallery.files.size(), 6u) << Names(gallery.files);
    ASSERT_EQ(gallery.imageIndexes.size(), 6u);
    const TColor expected[] = {Red, Magenta, Green, Magenta, Magenta, Blue};
    ASSERT_EQ(gallery.captions.size(), 6u);
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(ExtractFileName(gallery.files[i]).substr(0, 1), std::to_string(i + 1)) << gallery.files[i];
        EXPECT_EQ(gallery.captions[i], expected[i] == Magenta ? ExtractFileName(gallery.files[i]) : "")
            << gallery.files[i];
        EXPECT_EQ(DrawnPixel(images, gallery.imageIndexes[i], 16, 16, Magenta), expected[i])
            << gallery.files[i] << " (Magenta: blank)";
    }
}

// The system's own configuration program holds incomplete 256x256 images in its second icon;
// it is listed with the picture of its first.
TEST(GalleryBuild, AProgramWithOneBrokenIconIsListedWithItsFirst)
{
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    const std::string program = IncludeTrailingBackslash(system) + "winecfg.exe";
    if (GetFileAttributesA(program.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "no " << program;
    StagedFolder root("gallery system");
    ASSERT_TRUE(CopyFileA(program.c_str(), (root.Path() + "winecfg.exe").c_str(), FALSE));

    TImageList images(32, 32);
    TImageList badges(TypeBadgeWidth, TypeBadgeHeight);
    FillTypeBadges(badges);
    TGalleryContents gallery = BuildGallery(root.Path(), images, badges);
    ASSERT_EQ(gallery.files.size(), 1u) << CheckIconFile(program).problem;
    EXPECT_NE(DrawnPixel(images, gallery.imageIndexes[0], 16, 16, Magenta), Magenta) << "a blank picture";
}

TEST(GalleryBuild, LeavesNoGdiObjectsBehind)
{
    StagedFolder root("gallery gdi");
    WriteIcon(root.Path() + "rot.ico", Red);
    WriteBytes(root.Path() + "kaputt.ico", "kein Icon");
    CopyFileA(TestIconLibrary().c_str(), (root.Path() + "sammlung.dll").c_str(), FALSE);
    // An image with alpha, which is blended.
    ASSERT_TRUE(iconimages::WriteIconLibrary(TestIconLibrary(), root.Path() + "transparent.dll",
                                             {{iconimages::DepthImage(32, 32, true)}}));
    TImageList badges(TypeBadgeWidth, TypeBadgeHeight);
    FillTypeBadges(badges);
    auto build = [&] {
        TImageList images(32, 32);
        EXPECT_EQ(BuildGallery(root.Path(), images, badges).files.size(), 4u);
    };
    build();
    long before = gdicount::LiveObjects();
    if (before < 0)
        GTEST_SKIP() << "no way to count GDI objects here";
    for (int i = 0; i < 5; ++i)
        build();
    EXPECT_EQ(gdicount::LiveObjects(), before);
}

#ifdef QL_TEST_BULK
TEST(GalleryBuild, AThousandFilesLoadInReasonableTime)
{
    TImageList images(32, 32);
    TImageList badges(TypeBadgeWidth, TypeBadgeHeight);
    FillTypeBadges(badges);
    auto start = std::chrono::steady_clock::now();
    TGalleryContents gallery = BuildGallery(QL_TEST_BULK, images, badges);
    auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EXPECT_EQ(gallery.files.size(), 1000u);
    EXPECT_EQ(images.Count(), 1000);
    EXPECT_LT(seconds, 60.0) << "1000 files took " << seconds << " s";
}
#endif

// ---------------------------------------------------------------------------------------------
// The gallery page of the main window

namespace {

std::vector<std::string> Texts(const std::vector<TTreeNode*>& nodes)
{
    std::vector<std::string> texts;
    for (TTreeNode* node : nodes)
        texts.push_back(node->Text());
    return texts;
}

// A program folder with a small catalogue of its own.
class GalleryPageTest : public testing::Test {
protected:
    GalleryPageTest() : catalogue("gallery catalogue") {}

    void SetUp() override
    {
        std::string alpha = catalogue.Folder("alpha");
        WriteIcon(alpha + "rot.ico", Red);
        WriteIcon(alpha + "gruen.ico", Green);
        CopyFileA(TestIconLibrary().c_str(), (alpha + "sammlung.dll").c_str(), FALSE);
        WriteBytes(alpha + "kaputt.ico", "kein Icon");
        catalogue.Folder("Zeta");
        std::string mitte = catalogue.Folder("Mitte");
        catalogue.Folder("Mitte\\b2");
        WriteIcon(catalogue.Folder("Mitte\\a1") + "blau.ico", Blue);
        catalogue.Folder("Mitte\\a1\\tiefer");
        catalogue.Folder(".versteckt");
        WriteBytes(catalogue.Path() + "datei.ico", "x");
        (void)mitte;
        ResetMainState();
        OverrideProgramFolder(catalogue.Path());
        CreateProgramForms();
        ASSERT_NE(MainForm, nullptr);
        MainForm->Show();
        if (showPage)
            MainForm->bIconsClick(MainForm->bIcons);
        PumpMessages();
    }
    void TearDown() override
    {
        FreeProgramForms();
        OverrideProgramFolder("");
    }

    std::vector<TTreeNode*> Roots() const
    {
        std::vector<TTreeNode*> roots;
        for (int i = 0; i < MainForm->TreeView->Items().RootCount(); ++i)
            roots.push_back(MainForm->TreeView->Items().Root(i));
        return roots;
    }
    TTreeNode* Root(const std::string& text) const
    {
        for (TTreeNode* node : Roots())
            if (node->Text() == text)
                return node;
        return nullptr;
    }
    std::string CurrentIcon() const { return IconInfoForm->lFile->Text(); }
    int GalleryIndexOf(const std::string& name) const
    {
        const auto& files = Toolsform->GalleryFiles;
        for (size_t i = 0; i < files.size(); ++i)
            if (ExtractFileName(files[i]) == name)
                return static_cast<int>(i);
        return -1;
    }
    // A click on a gallery item as the mouse makes it (the list view reports NM_CLICK).
    void ClickItem(int index, bool twice = false)
    {
        HWND list = MainForm->ListView1->Handle();
        RECT rect = {LVIR_ICON, 0, 0, 0};
        SendMessageA(list, LVM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
        LPARAM at = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(list, WM_LBUTTONUP, 0, at);
        if (twice) {
            SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
            SendMessageA(list, WM_LBUTTONUP, 0, at);
        }
        PumpMessages();
    }
    void ClickEmptySpace()
    {
        HWND list = MainForm->ListView1->Handle();
        LPARAM at = MAKELPARAM(MainForm->ListView1->Width() - 20, MainForm->ListView1->Height() - 20);
        SendMessageA(list, WM_LBUTTONDOWN, MK_LBUTTON, at);
        SendMessageA(list, WM_LBUTTONUP, 0, at);
        SendMessageA(list, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        SendMessageA(list, WM_LBUTTONUP, 0, at);
        PumpMessages();
    }

    StagedFolder catalogue;
    DialogStub dialogs;
    bool showPage = true;
};

// The main window before its gallery page was first shown.
class FirstGalleryUseTest : public GalleryPageTest {
protected:
    FirstGalleryUseTest() { showPage = false; }
};

}  // namespace

TEST_F(GalleryPageTest, CategoriesAndSubCategoriesAreSortedFoldersTwoLevelsDeep)
{
    std::vector<std::string> roots = Texts(Roots());
    // "Eigene Icons" is made at start for the user's own icons.
    std::vector<std::string> expected = {"alpha", "Eigene Icons", "Mitte", "Zeta"};
    EXPECT_EQ(roots, expected) << Names(roots);
    TTreeNode* mitte = Root("Mitte");
    ASSERT_NE(mitte, nullptr);
    ASSERT_EQ(mitte->Count(), 2);
    EXPECT_EQ(mitte->Item(0)->Text(), "a1");
    EXPECT_EQ(mitte->Item(1)->Text(), "b2");
    EXPECT_EQ(mitte->Item(0)->Count(), 0) << "a third level is not shown";
    EXPECT_EQ(MainForm->TreeView->Items().Count(), 6);
    for (TTreeNode* node : {Root("alpha"), mitte, mitte->Item(0)})
        EXPECT_EQ(node->ImageIndex(), 1) << node->Text();
    EXPECT_EQ(Toolsform->TreeImages.Count(), 2) << "open and closed folder";
    EXPECT_EQ(MainForm->TreeView->Images(), &Toolsform->TreeImages);

    // The first category is selected and shown.
    EXPECT_EQ(MainForm->TreeView->Selected(), Root("alpha"));
    EXPECT_EQ(CurrentCategory, "alpha");
    EXPECT_EQ(Toolsform->GalleryFolder, catalogue.Path() + "alpha");
    EXPECT_EQ(Names(Toolsform->GalleryFiles),
              Names({catalogue.Path() + "alpha\\gruen.ico", catalogue.Path() + "alpha\\kaputt.ico",
                     catalogue.Path() + "alpha\\rot.ico", catalogue.Path() + "alpha\\sammlung.dll"}));
}

TEST_F(GalleryPageTest, ItemsFilesAndPicturesStayAligned)
{
    TqelEnhListView& view = *MainForm->ListView1;
    ASSERT_EQ(view.Items().Count(), 4);
    ASSERT_EQ(Toolsform->GalleryImages.Count(), 4);
    EXPECT_EQ(view.LargeImages(), &Toolsform->GalleryImages);
    const TColor centres[] = {Green, Magenta, Red};
    // Only the file that gives no picture says its name: an item of neither would be invisible.
    const char* const captions[] = {"", "kaputt.ico", ""};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(view.Items()[i]->Caption(), captions[i]);
        EXPECT_EQ(DrawnPixel(Toolsform->GalleryImages, view.Items()[i]->ImageIndex(), 16, 16, Magenta), centres[i])
            << Toolsform->GalleryFiles[static_cast<size_t>(i)];
    }
}

TEST_F(GalleryPageTest, SelectingAnItemMakesItsUpperCasedPathTheCurrentIcon)
{
    int red = GalleryIndexOf("rot.ico");
    ASSERT_GE(red, 0);
    ClickItem(red);
    std::string expected = AnsiUpperCase(catalogue.Path() + "alpha\\rot.ico");
    EXPECT_EQ(CurrentIcon(), expected);
    EXPECT_EQ(MainForm->sbIcons->SimpleText(), expected);
    EXPECT_EQ(CurrentIconFile, expected);
    EXPECT_EQ(IconInfoForm->lRubrikname->Caption(), "alpha");
    EXPECT_EQ(IconInfoForm->lDateiname->Caption(), "rot.ico");

    // Keys move the selection too.
    int green = GalleryIndexOf("gruen.ico");
    MainForm->ListView1->SetSelected(MainForm->ListView1->Items()[green]);
    WORD key = VK_LEFT;
    MainForm->ListView1KeyUp(MainForm->ListView1, key, 0);
    EXPECT_EQ(CurrentIcon(), AnsiUpperCase(catalogue.Path() + "alpha\\gruen.ico"));
}

TEST_F(GalleryPageTest, TheAssignmentBoxShowsTheCurrentIconOrNone)
{
    ClickItem(GalleryIndexOf("rot.ico"));
    MainForm->bSystemClick(MainForm->bSystem);
    TGraphic* shown = MainForm->iIcon->Picture().Graphic();
    ASSERT_TRUE(shown && !shown->Empty()) << "the red icon is not shown";
    MainForm->bIconsClick(MainForm->bIcons);
    ClickItem(GalleryIndexOf("kaputt.ico"));
    MainForm->bSystemClick(MainForm->bSystem);
    EXPECT_EQ(MainForm->lDateiname->Caption(), "kaputt.ico");
    shown = MainForm->iIcon->Picture().Graphic();
    EXPECT_TRUE(!shown || shown->Empty()) << "the icon before is shown beside a file that gives none";
}

TEST(GalleryLookAlikes, CategoriesOfLookAlikeNamesShowAsThePlatformShowsThemAndEachItsOwnFiles)
{
    StagedFolder catalogue("gallery look-alikes");
    WriteIcon(catalogue.Folder("Omega") + "latein.ico", Red);
    const std::wstring greek = WideOf(catalogue.Path()) + L"\u03A9mega";
    ASSERT_TRUE(CreateDirectoryW(greek.c_str(), nullptr));
    WriteIcon(catalogue.Path() + "griechisch.ico", Blue);
    ASSERT_TRUE(MoveFileW((WideOf(catalogue.Path()) + L"griechisch.ico").c_str(), (greek + L"\\griechisch.ico").c_str()));
    DialogStub dialogs;
    ResetMainState();
    OverrideProgramFolder(catalogue.Path());
    CreateProgramForms();
    MainForm->Show();
    MainForm->bIconsClick(MainForm->bIcons);
    std::vector<std::string> shown;
    for (int i = 0; i < MainForm->TreeView->Items().RootCount(); ++i) {
        TTreeNode* node = MainForm->TreeView->Items().Root(i);
        shown.push_back(node->Text());
        if (node->Text() != "Omega")
            continue;
        MainForm->TreeView->SetSelected(node);
        ASSERT_EQ(Toolsform->GalleryFiles.size(), 1u) << "in " << Toolsform->GalleryFolder;
        shown.push_back(ExtractFileName(Toolsform->GalleryFiles[0]));
    }
    std::sort(shown.begin(), shown.end());
    EXPECT_EQ(shown, (std::vector<std::string>{"Eigene Icons", "Omega", "Omega", "griechisch.ico", "latein.ico"}));
    FreeProgramForms();
    OverrideProgramFolder("");
}

TEST_F(GalleryPageTest, ASubCategoryShowsItsFilesUnderParentAndName)
{
    TTreeNode* a1 = Root("Mitte")->Item(0);
    MainForm->TreeView->SetSelected(a1);
    EXPECT_EQ(CurrentCategory, "Mitte\\a1");
    ASSERT_EQ(Toolsform->GalleryFiles.size(), 1u);
    EXPECT_EQ(Toolsform->GalleryFiles[0], catalogue.Path() + "Mitte\\a1\\blau.ico");
    ClickItem(0);
    EXPECT_EQ(CurrentIcon(), AnsiUpperCase(catalogue.Path() + "MITTE\\A1\\BLAU.ICO"));
    EXPECT_EQ(IconInfoForm->lRubrikname->Caption(), "Mitte\\a1");
}

TEST_F(GalleryPageTest, ALibraryOpensInItsIconListAndZurueckReturns)
{
    int library = GalleryIndexOf("sammlung.dll");
    ASSERT_GE(library, 0);
    ClickItem(library, true);
    std::string path = AnsiUpperCase(catalogue.Path() + "alpha\\sammlung.dll");
    ASSERT_TRUE(MainForm->lbIcons->Visible()) << "the double click did not open the library";
    EXPECT_FALSE(MainForm->ListView1->Visible());
    EXPECT_EQ(MainForm->lbIcons->FileName(), path);
    EXPECT_EQ(MainForm->lbIcons->NumberOfIcons(), 3);
    EXPECT_EQ(CurrentIcon(), path + ",0");

    MainForm->lbIcons->SetItemIndex(2);
    MainForm->lbIconsClick(MainForm->lbIcons);
    EXPECT_EQ(CurrentIcon(), path + ",2");
    EXPECT_EQ(MainForm->sbIcons->SimpleText(), path);
    EXPECT_EQ(IconInfoForm->lRubrikname->Caption(), "alpha");

    MainForm->bZurueckClick(MainForm->bZurueck);
    EXPECT_TRUE(MainForm->ListView1->Visible());
    EXPECT_FALSE(MainForm->lbIcons->Visible());

    // A change of category also returns from the library.
    ClickItem(library, true);
    ASSERT_TRUE(MainForm->lbIcons->Visible());
    MainForm->TreeView->SetSelected(Root("Zeta"));
    EXPECT_TRUE(MainForm->ListView1->Visible());
    EXPECT_FALSE(MainForm->lbIcons->Visible());
}

TEST_F(GalleryPageTest, AnIconFileDoesNotOpenAsALibrary)
{
    ClickItem(GalleryIndexOf("rot.ico"), true);
    EXPECT_TRUE(MainForm->ListView1->Visible());
    EXPECT_FALSE(MainForm->lbIcons->Visible());
    EXPECT_EQ(CurrentIcon(), AnsiUpperCase(catalogue.Path() + "alpha\\rot.ico"));
}

TEST_F(GalleryPageTest, NothingSelectedChangesNothing)
{
    ClickItem(GalleryIndexOf("rot.ico"));
    std::string before = CurrentIcon();
    ClickEmptySpace();
    MainForm->ListView1->SetSelected(nullptr);
    MainForm->ListView1Click(MainForm->ListView1);
    MainForm->ListView1DblClick(MainForm->ListView1);
    MainForm->lbIcons->SetItemIndex(-1);
    MainForm->lbIconsClick(MainForm->lbIcons);
    EXPECT_EQ(CurrentIcon(), before);
    EXPECT_TRUE(MainForm->ListView1->Visible());

    // An empty category: clicks, keys and double clicks find nothing to show.
    MainForm->TreeView->SetSelected(Root("Zeta"));
    EXPECT_EQ(MainForm->ListView1->Items().Count(), 0);
    ClickEmptySpace();
    char key = 'a';
    MainForm->ListView1KeyPress(MainForm->ListView1, key);
    MainForm->pIconsEnter(MainForm->pIcons);
    EXPECT_EQ(CurrentIcon(), before);
}

TEST_F(FirstGalleryUseTest, AnEmptyGalleryIsSafeAndLoadsOnceFilled)
{
    // Every category empty: the first one shown has nothing to select.
    for (const char* name : {"rot.ico", "gruen.ico", "sammlung.dll", "kaputt.ico"})
        DeleteFileA((catalogue.Path() + "alpha\\" + name).c_str());
    EXPECT_TRUE(CurrentIcon().empty());
    MainForm->bIconsClick(MainForm->bIcons);
    EXPECT_EQ(MainForm->ListView1->Items().Count(), 0);
    EXPECT_TRUE(CurrentIcon().empty());
    EXPECT_EQ(Screen.Cursor(), crDefault);

    WriteIcon(catalogue.Path() + "alpha\\neu.ico", Red);
    MainForm->bSystemClick(MainForm->bSystem);
    EXPECT_EQ(MainForm->ListView1->Items().Count(), 1);
    EXPECT_EQ(CurrentIcon(), AnsiUpperCase(catalogue.Path() + "alpha\\neu.ico"));
}

TEST_F(GalleryPageTest, TheSystemIconsReadForAPageLaterLeaveTheGallerysSelection)
{
    TqelEnhListView& view = *MainForm->ListView1;
    ClickItem(2);
    const std::string current = CurrentIcon();
    // Opening the desktop page, then the system page, reads the table the first time.
    MainForm->bAnzeigeClick(MainForm->bAnzeige);
    MainForm->bSystemClick(MainForm->bSystem);
    EXPECT_EQ(view.Selected(), view.Items()[2]);
    EXPECT_EQ(CurrentIcon(), current);
    // Reading it again, as an assignment does, selects the first item without showing it.
    Toolsform->BuildSystemIconTable();
    EXPECT_EQ(view.Selected(), view.Items()[0]);
    EXPECT_EQ(CurrentIcon(), current);
}

TEST_F(GalleryPageTest, LoadingIsNotReenteredAndAlwaysEndsClean)
{
    TqelEnhListView& view = *MainForm->ListView1;
    int nested = 0;
    view.OnDeletion = [&](TComponent*, TListItem*) {
        ++nested;
        Toolsform->LoadGallery();   // ignored while the gallery loads
    };
    Toolsform->LoadGallery();
    EXPECT_GT(nested, 0);
    EXPECT_EQ(view.Items().Count(), 4);
    EXPECT_EQ(Toolsform->GalleryFiles.size(), 4u);
    EXPECT_FALSE(Toolsform->LoadingGallery());
    EXPECT_EQ(Screen.Cursor(), crDefault);

    view.OnDeletion = [](TComponent*, TListItem*) { throw std::runtime_error("Abbruch"); };
    EXPECT_THROW(Toolsform->LoadGallery(), std::runtime_error);
    EXPECT_FALSE(Toolsform->LoadingGallery()) << "the busy flag stayed set";
    EXPECT_EQ(Screen.Cursor(), crDefault) << "the hourglass stayed";
    view.OnDeletion = nullptr;
    Toolsform->LoadGallery();
    EXPECT_EQ(view.Items().Count(), 4) << "the gallery loads again after a failure";
}

TEST_F(GalleryPageTest, FocusEnteringThePageFromElsewhereInTheWindowShowsAnIcon)
{
    auto* other = new TEdit(MainForm);   // a control of the main window outside the page
    other->SetParent(MainForm);
    other->SetBounds(300, 40, 60, 20);
    TqelEnhListView& view = *MainForm->ListView1;
    auto enteredWithNothingSelected = [&](TWinControl* from, TWinControl* to) {
        from->SetFocus();
        view.SetSelected(nullptr);
        IconInfoForm->lFile->SetText("");
        to->SetFocus();
        PumpMessages();
        return view.Selected() == view.Items()[0] && CurrentIcon() == AnsiUpperCase(Toolsform->GalleryFiles[0]);
    };
    EXPECT_TRUE(enteredWithNothingSelected(other, &view)) << "selected " << (view.Selected() ? view.Selected()->Index() : -1);
    EXPECT_TRUE(enteredWithNothingSelected(other, MainForm->TreeView));
    EXPECT_FALSE(enteredWithNothingSelected(MainForm->TreeView, &view)) << "a move inside the page";
    EXPECT_FALSE(enteredWithNothingSelected(IconInfoForm->lFile, &view)) << "back from the information window";

    // A selection the user made stays when the focus comes in.
    other->SetFocus();
    view.SetSelected(view.Items()[2]);
    view.SetFocus();
    EXPECT_EQ(view.Selected(), view.Items()[2]);
    EXPECT_EQ(CurrentIcon(), AnsiUpperCase(Toolsform->GalleryFiles[2]));
}

TEST_F(GalleryPageTest, TheGalleryHasFlatScrollBarsAlsoInANewWindow)
{
    TqelEnhListView& view = *MainForm->ListView1;
    auto extended = [&view] { return DWORD(SendMessageA(view.Handle(), LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0)); };
    EXPECT_TRUE(extended() & LVS_EX_FLATSB) << "extended style " << std::hex << extended();
    // A sunken edge takes a new window.
    HWND before = view.Handle();
    view.SetCtl3D(true);
    ASSERT_NE(view.Handle(), before);
    EXPECT_TRUE(extended() & LVS_EX_FLATSB) << "extended style " << std::hex << extended();
    view.SetExtendedStyle(0);
    EXPECT_FALSE(extended() & LVS_EX_FLATSB) << "extended style " << std::hex << extended();
}

TEST_F(GalleryPageTest, ExpandingAndCollapsingSwapsTheFolderPictures)
{
    TTreeNode* mitte = Root("Mitte");
    mitte->Expand();
    EXPECT_EQ(mitte->ImageIndex(), 0);
    mitte->Collapse();
    EXPECT_EQ(mitte->ImageIndex(), 1);
}

TEST(ShellIcons, SmallPicturesComeFromTheIconsOwnSmallImages)
{
    TSmallIconSource library(TestIconLibrary());
    ASSERT_EQ(library.Count(), 3) << TestIconLibrary();
    int green = library.IndexOfResource(2);
    ASSERT_GE(green, 0);
    EXPECT_EQ(library.IndexOfResource(9), -1);
    HICON icon = library.Extract(green);
    ASSERT_NE(icon, nullptr);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icon, &info));
    BITMAP bits = {};
    GetObjectA(info.hbmColor, sizeof bits, &bits);
    EXPECT_EQ(bits.bmWidth, 16);
    EXPECT_EQ(bits.bmHeight, 16);
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    TImageList list(16, 16);
    list.AddIcon(icon);
    DestroyIcon(icon);
    EXPECT_EQ(DrawnPixel(list, 0, 8, 8, Magenta), static_cast<TColor>(0x00A000)) << "resource 2 is the green icon";
    EXPECT_EQ(library.Extract(3), nullptr);
    EXPECT_EQ(library.Extract(-1), nullptr);
    EXPECT_EQ(TSmallIconSource(TestIconLibrary() + ".fehlt").Count(), 0);

    // A library without the shell's folder resources falls back to the usual indexes.
    EXPECT_EQ(ShellFolderIconIndex(library, false), 3);
    EXPECT_EQ(ShellFolderIconIndex(library, true), 4);
    char system[MAX_PATH];
    GetSystemDirectoryA(system, MAX_PATH);
    TSmallIconSource shell32(IncludeTrailingBackslash(system) + "shell32.dll");
    for (bool open : {false, true}) {
        HICON folder = shell32.Extract(ShellFolderIconIndex(shell32, open));
        EXPECT_NE(folder, nullptr) << (open ? "open" : "closed") << " folder";
        if (folder)
            DestroyIcon(folder);
    }
}

TEST(ShellIcons, AnEmptySettingTakesTheShellsOwnFolderIcon)
{
    EXPECT_EQ(ShellIconSpec("", "C:\\WINDOWS\\SYSTEM32\\", 4), "C:\\WINDOWS\\SYSTEM32\\Shell32.dll,4");
    EXPECT_EQ(ShellIconSpec("D:\\Ordner.ico", "C:\\WINDOWS\\SYSTEM32\\", 3), "D:\\Ordner.ico");
}

// Not a test: shows the gallery for a screenshot (QL_SHOW_MS milliseconds) with the demo
// catalogue beside the test program; QL_SHOW_CATEGORY picks a category.
TEST(GalleryScreen, DISABLED_ShowForScreenshot)
{
    ResetMainState();
    DialogStub dialogs;
    CreateProgramForms();
    MainForm->Show();
    MainForm->bIconsClick(MainForm->bIcons);
    // "Natur" or "Natur\\Wetter".
    if (const char* wanted = std::getenv("QL_SHOW_CATEGORY"))
        for (int i = 0; i < MainForm->TreeView->Items().RootCount(); ++i) {
            TTreeNode* root = MainForm->TreeView->Items().Root(i);
            if (root->Text() == wanted)
                MainForm->TreeView->SetSelected(root);
            for (int j = 0; j < root->Count(); ++j)
                if (root->Text() + "\\" + root->Item(j)->Text() == wanted)
                    MainForm->TreeView->SetSelected(root->Item(j));
        }
    int shown = std::min(2, MainForm->ListView1->Items().Count() - 1);
    if (shown >= 0) {
        MainForm->ListView1->SetSelected(MainForm->ListView1->Items()[shown]);
        MainForm->ShowSelectedIconInfo();
        if (std::getenv("QL_SHOW_LIBRARY"))
            MainForm->ListView1DblClick(MainForm->ListView1);
    }
    // QL_SHOW_SYSTEM: the system-icon page with the chosen icon.
    if (std::getenv("QL_SHOW_SYSTEM"))
        MainForm->bSystemClick(MainForm->bSystem);
    const char* ms = std::getenv("QL_SHOW_MS");
    PumpMessages(ms ? static_cast<DWORD>(std::atoi(ms)) : 3000);
    FreeProgramForms();
}
