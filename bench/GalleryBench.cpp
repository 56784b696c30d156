// Times the gallery and the icon list box against the platform alone on the same files, in
// alternating runs. Run by hand:
//   GalleryBench.exe gallery FOLDER   the gallery of a folder against ExtractIconA per file, whose
//                                     icons go into an image list
//   GalleryBench.exe library FILE...  all icons of a library as the icon list box gets them
//                                     against one ranged ExtractIconExA
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "BenchTiming.h"
#include "Gallery.h"
#include "IconCtls.h"
#include "ImageList.h"
#include "SysUtils.h"

#include <cstdio>
#include <cstring>
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

int BenchLibrary(const std::string& file)
{
    const UINT count = ExtractIconExA(file.c_str(), -1, nullptr, nullptr, 0);
    int listed = 0;
    bench::Samples ours, platform;
    bench::Alternate(
        bench::Runs(),
        [&] {
            TqelIconListBox box(nullptr);
            box.SetFileName(file);
            listed = 0;
            for (int i = 0; i < box.NumberOfIcons(); ++i)
                listed += box.GetIcon(i) != nullptr;
        },
        [&] {
            std::vector<HICON> icons(count);
            const UINT got = count ? ExtractIconExA(file.c_str(), 0, icons.data(), nullptr, count) : 0;
            for (UINT i = 0; i < got && i < count; ++i)
                if (icons[i])
                    DestroyIcon(icons[i]);
        },
        ours, platform);
    std::printf("# %s: the platform counts %u icons, the list box made %d\n", file.c_str(), count, listed);
    bench::Report("all icons of " + ExtractFileName(file) + " | one ranged ExtractIconExA", ours, platform);
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
