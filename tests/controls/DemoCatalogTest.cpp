// The demo icon catalogue beside the programs and the staged copies the tests read: every file
// passes the icon reader, the reader and the platform count alike, and libraries show the same
// pictures as the icon files they were made from.
#include <windows.h>

#include "Bitmap.h"
#include "Graphics.h"
#include "Icon.h"
#include "IconFileReader.h"
#include "SysUtils.h"

#include <gtest/gtest.h>
#include <shellapi.h>

#include <set>
#include <string>
#include <vector>

namespace {

std::string WindowsPath(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return IncludeTrailingBackslash(path);
}

// The catalogue beside the test programs is the one beside Quillandora.exe.
std::string ShippedCatalog()
{
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return ExtractFilePath(std::string(path, length));
}

std::string SmallCatalog() { return WindowsPath(QL_TEST_CATALOG); }

std::vector<std::string> Entries(const std::string& folder, bool folders)
{
    std::vector<std::string> out;
    WIN32_FIND_DATAA data;
    HANDLE find = FindFirstFileA((folder + "*.*").c_str(), &data);
    if (find == INVALID_HANDLE_VALUE)
        return out;
    do {
        bool isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
        if (data.cFileName[0] != '.' && isFolder == folders)
            out.push_back(data.cFileName);
    } while (FindNextFileA(find, &data));
    FindClose(find);
    return out;
}

// The files a gallery would list: the categories and their sub-folders, two levels deep.
std::vector<std::string> GalleryFiles(const std::string& catalog)
{
    static const std::set<std::string> extensions = {".ICO", ".ICL", ".EXE", ".DLL", ".NIL"};
    std::vector<std::string> folders;
    for (const std::string& category : Entries(catalog, true)) {
        folders.push_back(catalog + category + "\\");
        for (const std::string& sub : Entries(catalog + category + "\\", true))
            folders.push_back(catalog + category + "\\" + sub + "\\");
    }
    std::vector<std::string> files;
    for (const std::string& folder : folders)
        for (const std::string& name : Entries(folder, false))
            if (extensions.count(AnsiUpperCase(ExtractFileExt(name))))
                files.push_back(folder + name);
    return files;
}

int PlatformCount(const std::string& fileName)
{
    return int(reinterpret_cast<UINT_PTR>(ExtractIconA(GetModuleHandleA(nullptr), fileName.c_str(), UINT(-1))));
}

int PlatformCountEx(const std::string& fileName)
{
    return int(ExtractIconExA(fileName.c_str(), -1, nullptr, nullptr, 0));
}

IconFileKind KindByExtension(const std::string& fileName)
{
    std::string ext = AnsiUpperCase(ExtractFileExt(fileName));
    if (ext == ".ICO")
        return IconFileKind::Icon;
    if (ext == ".ICL" || ext == ".NIL")
        return IconFileKind::Ne;
    return IconFileKind::Pe;
}

// The 32x32 picture of an icon over a backdrop no icon uses, row by row.
std::vector<COLORREF> Pixels(HICON handle)
{
    TIcon icon;
    icon.SetHandle(handle);
    TBitmap canvas(32, 32, pf24bit);
    canvas.Canvas().Brush().SetColor(static_cast<TColor>(RGB(1, 254, 3)));
    canvas.Canvas().FillRect(RECT{0, 0, 32, 32});
    DrawIconEx(canvas.Canvas().Handle(), 0, 0, handle, 32, 32, 0, nullptr, DI_NORMAL);
    std::vector<COLORREF> out;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            out.push_back(ColorToRGB(canvas.PixelColor(x, y)));
    return out;
}

int Opaque(const std::vector<COLORREF>& pixels)
{
    int n = 0;
    for (COLORREF c : pixels)
        n += c != RGB(1, 254, 3);
    return n;
}

void CheckEveryFile(const std::string& catalog, size_t minimumFiles)
{
    std::vector<std::string> files = GalleryFiles(catalog);
    ASSERT_GE(files.size(), minimumFiles) << "gallery files in " << catalog;
    for (const std::string& file : files) {
        SCOPED_TRACE(file);
        IconFileLayout layout = CheckIconFile(file);
        ASSERT_TRUE(layout.safe) << "refused: " << layout.problem;
        EXPECT_EQ(int(layout.kind), int(KindByExtension(file))) << "kind";
        EXPECT_GT(layout.IconCount(), 0) << "icons";
        EXPECT_EQ(layout.IconCount(), PlatformCount(file)) << "ExtractIconA counts otherwise";
        EXPECT_EQ(layout.IconCount(), PlatformCountEx(file)) << "ExtractIconExA counts otherwise";
        for (int i = 0; i < layout.IconCount(); ++i) {
            const IconGroupSpan& group = layout.groups[size_t(i)];
            ASSERT_EQ(group.images.size(), 2u) << "images of icon " << i;
            EXPECT_EQ(group.images[0].width, 32) << "icon " << i;
            EXPECT_EQ(group.images[1].width, 16) << "icon " << i;
            HICON icon = ExtractCheckedIcon(file, i);
            ASSERT_NE(icon, nullptr) << "icon " << i << " not extracted";
            int opaque = Opaque(Pixels(icon));
            EXPECT_GT(opaque, 150) << "icon " << i << " is nearly empty";
            EXPECT_LT(opaque, 1024) << "icon " << i << " has no transparent pixel";
        }
    }
}

TEST(DemoCatalog, ShippedCatalogHasCategoriesSubFoldersAndOwnIcons)
{
    std::string catalog = ShippedCatalog();
    std::vector<std::string> categories = Entries(catalog, true);
    int withSubFolders = 0;
    for (const std::string& category : categories)
        withSubFolders += !Entries(catalog + category + "\\", true).empty();
    EXPECT_GE(withSubFolders, 3) << "categories with sub-folders in " << catalog;
    ASSERT_TRUE(DirectoryExists(catalog + "Eigene Icons")) << catalog;

    int icoFiles = 0;
    for (const std::string& file : GalleryFiles(catalog))
        icoFiles += AnsiUpperCase(ExtractFileExt(file)) == ".ICO";
    EXPECT_GE(icoFiles, 60) << "icon files in " << catalog;
}

TEST(DemoCatalog, EveryFilePassesTheReaderAndMatchesThePlatform)
{
    CheckEveryFile(ShippedCatalog(), 63);
    CheckEveryFile(SmallCatalog(), 23);
}

TEST(DemoCatalog, ShippedLibrariesHoldEnoughIcons)
{
    struct Case {
        const char* file;
        IconFileKind kind;
        int minimum;
        const char* firstName;
    };
    const Case cases[] = {
        {"Natur\\Natur.icl", IconFileKind::Ne, 10, "SONNE"},
        {"Symbole\\Symbole.nil", IconFileKind::Ne, 10, "#1"},
        {"Buero\\Buero.dll", IconFileKind::Pe, 20, "#1"},
    };
    for (const Case& c : cases) {
        std::string file = ShippedCatalog() + c.file;
        IconFileLayout layout = CheckIconFile(file);
        ASSERT_TRUE(layout.safe) << file << ": " << layout.problem;
        EXPECT_EQ(int(layout.kind), int(c.kind)) << file;
        EXPECT_GE(layout.IconCount(), c.minimum) << file;
        EXPECT_EQ(PlatformCount(file), layout.IconCount()) << file;
        EXPECT_EQ(layout.groups[0].name, c.firstName) << file;
    }
}

// The small catalogue's content is fixed: other tests may rely on these counts and names.
TEST(DemoCatalog, SmallLibrariesShowTheirIconFilesInOrder)
{
    struct Case {
        const char* library;
        std::vector<const char*> icons;
    };
    const Case cases[] = {
        {"Natur\\Natur.icl",
         {"Natur\\Wetter\\Sonne.ico", "Natur\\Wetter\\Mond.ico", "Natur\\Pflanzen\\Blatt.ico",
          "Natur\\Pflanzen\\Baum.ico"}},
        {"Symbole\\Symbole.nil",
         {"Symbole\\Formen\\Kreis.ico", "Symbole\\Formen\\Quadrat.ico", "Symbole\\Zeichen\\Haken.ico",
          "Symbole\\Zeichen\\Kreuz.ico"}},
        {"Buero\\Buero.dll",
         {"Buero\\Schreibtisch\\Dokument.ico", "Buero\\Schreibtisch\\Bleistift.ico", "Buero\\Ablage\\Aktenordner.ico",
          "Buero\\Ablage\\Buch.ico", "Geraete\\Computer\\Monitor.ico", "Geraete\\Computer\\Notebook.ico"}},
    };
    std::string catalog = SmallCatalog();
    EXPECT_EQ(GalleryFiles(catalog).size(), 23u) << "20 icon files and 3 libraries in " << catalog;
    for (const Case& c : cases) {
        std::string library = catalog + c.library;
        ASSERT_EQ(CountIcons(library), int(c.icons.size())) << library;
        for (size_t i = 0; i < c.icons.size(); ++i) {
            std::vector<COLORREF> fromLibrary = Pixels(ExtractCheckedIcon(library, int(i)));
            std::vector<COLORREF> fromFile = Pixels(ExtractCheckedIcon(catalog + c.icons[i], 0));
            EXPECT_EQ(Opaque(fromLibrary), Opaque(fromFile)) << library << " icon " << i << " vs " << c.icons[i];
            EXPECT_TRUE(fromLibrary == fromFile) << library << " icon " << i << " differs from " << c.icons[i];
        }
    }
}

TEST(DemoCatalog, BulkFilesAreDistinctValidIcons)
{
    std::string folder = WindowsPath(QL_TEST_BULK);
    std::vector<std::string> names = Entries(folder, false);
    ASSERT_EQ(names.size(), 1000u) << "files in " << folder;
    std::set<std::vector<COLORREF>> pictures;
    for (const std::string& name : names) {
        IconFileLayout layout = CheckIconFile(folder + name);
        ASSERT_TRUE(layout.safe) << name << ": " << layout.problem;
        if (pictures.size() < 100)
            pictures.insert(Pixels(ExtractCheckedIcon(folder + name, 0)));
    }
    EXPECT_EQ(pictures.size(), 100u) << "the first hundred pictures are not all different";
}

}  // namespace
