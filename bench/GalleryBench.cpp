// Times the gallery and the icon list box against the platform alone on the same files, in
// alternating runs. Run by hand:
//   GalleryBench.exe gallery FOLDER   the gallery of a folder against ExtractIconA per file, whose
//                                     icons go into an image list
//   GalleryBench.exe library FILE...  the icons of a library in the icon list box, as first shown,
//                                     scrolled to the end, and every one asked for, each against
//                                     one ranged ExtractIconExA
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "BenchTiming.h"
#include "Forms.h"
#include "Gallery.h"
#include "IconCtls.h"
#include "ImageList.h"
#include "SysUtils.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace {

int BenchGallery(const std::string& folder)
{
    TImageList badges(TypeBadgeWidth, TypeBadgeHeight);
    FillTypeBadges(badges);
    std::vector<std::string> paths;
    for (const std::string& name : GalleryCandidateNames(folder))
        paths.push_back(GalleryFilePath(folder, name));

    size_t listed = 0;
    int extracted = 0;
    bench::Samples ours, platform;
    bench::Alternate(
        bench::Runs(),
        [&] {
            TImageList images(32, 32);
            listed = BuildGallery(folder, images, badges).files.size();
        },
        [&] {
            // Room for every file from the start, as the gallery makes it.
            HIMAGELIST images = ImageList_Create(32, 32, ILC_COLOR24 | ILC_MASK, static_cast<int>(paths.size()), 16);
            extracted = 0;
            for (const std::string& path : paths) {
                HICON icon = ExtractIconA(GetModuleHandleA(nullptr), path.c_str(), 0);
                if (reinterpret_cast<UINT_PTR>(icon) <= 1)
                    continue;
                if (ImageList_ReplaceIcon(images, -1, icon) >= 0)
                    ++extracted;
                DestroyIcon(icon);
            }
            ImageList_Destroy(images);
        },
        ours, platform);
    std::printf("# %s: %zu candidate files, gallery items %zu, icons the platform extracted %d\n", folder.c_str(),
                paths.size(), listed, extracted);
    bench::Report("gallery, " + std::to_string(paths.size()) + " files | ExtractIconA per file into an image list",
                  ours, platform);
    return 0;
}

// The list box of the gallery's library view, on a window of its own on the screen.
struct ShownList {
    ShownList() : form(nullptr)
    {
        form.SetBorderStyle(bsNone);
        form.SetBounds(0, 0, LibraryViewWidth, LibraryViewHeight);
        list = new TqelIconListBox(&form);
        list->SetParent(&form);
        list->SetBounds(0, 0, LibraryViewWidth, LibraryViewHeight);
        form.Show();
        Paint();
    }
    void Paint() { RedrawWindow(list->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }
    // Loaded while hidden, then shown and painted, as the gallery's library view does it.
    void Show(const std::string& file)
    {
        list->Hide();
        list->SetFileName(file);
        list->Show();
        Paint();
    }
    // The items the window shows at once, and the one it shows first.
    int ItemsShown()
    {
        RECT client;
        GetClientRect(list->Handle(), &client);
        const int rows = std::max(1, static_cast<int>(client.bottom / list->ItemHeight()));
        const int columns = (client.right + list->ColumnWidth() - 1) / list->ColumnWidth();
        return rows * columns;
    }
    int TopIndex() { return static_cast<int>(SendMessageA(list->Handle(), LB_GETTOPINDEX, 0, 0)); }

    static constexpr int LibraryViewWidth = 419;
    static constexpr int LibraryViewHeight = 296;
    TForm form;
    TqelIconListBox* list;
};

int BenchLibrary(const std::string& file)
{
    const UINT count = ExtractIconExA(file.c_str(), -1, nullptr, nullptr, 0);
    auto platformAll = [&] {
        std::vector<HICON> icons(count);
        const UINT got = count ? ExtractIconExA(file.c_str(), 0, icons.data(), nullptr, count) : 0;
        for (UINT i = 0; i < got && i < count; ++i)
            if (icons[i])
                DestroyIcon(icons[i]);
    };
    const std::string name = ExtractFileName(file);
    auto measure = [&](const std::string& what, const std::function<void()>& ours) {
        bench::Samples oursTimes, platformTimes;
        bench::Alternate(bench::Runs(), ours, platformAll, oursTimes, platformTimes);
        bench::Report("icons of " + name + ", " + what + " | one ranged ExtractIconExA", oursTimes, platformTimes);
    };

    // The list as the user first sees it, then cleared, which gives its icons back.
    ShownList shown;
    int drawn = 0;
    measure("the list shown", [&] {
        shown.Show(file);
        drawn = std::min(shown.ItemsShown(), shown.list->ItemCount());
        shown.list->SetFileName("");
    });
    std::printf("# %s: the platform counts %u icons, the list box shows %d of them at first\n", file.c_str(), count,
                drawn);

    // Scrolled page by page to the end: every icon drawn.
    int pages = 0;
    measure("scrolled to the end", [&] {
        shown.Show(file);
        for (pages = 1; shown.TopIndex() + shown.ItemsShown() < shown.list->ItemCount(); ++pages) {
            SendMessageA(shown.list->Handle(), LB_SETTOPINDEX, shown.TopIndex() + shown.ItemsShown(), 0);
            shown.Paint();
        }
        shown.list->SetFileName("");
    });
    std::printf("# %s: %d pages\n", name.c_str(), pages);

    // Every icon asked for, without a window, as measured before the list made icons per row.
    int listed = 0;
    measure("every one asked for", [&] {
        TqelIconListBox box(nullptr);
        box.SetFileName(file);
        listed = 0;
        for (int i = 0; i < box.NumberOfIcons(); ++i)
            listed += box.GetIcon(i) != nullptr;
    });
    std::printf("# %s: the list box made %d\n", name.c_str(), listed);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && std::strcmp(argv[1], "gallery") == 0)
        return BenchGallery(ExcludeTrailingBackslash(argv[2]));
    if (argc >= 3 && std::strcmp(argv[1], "library") == 0) {
        for (int i = 2; i < argc; ++i)
            BenchLibrary(argv[i]);
        return 0;
    }
    std::printf("usage: GalleryBench gallery FOLDER | library FILE...\n");
    return 2;
}
