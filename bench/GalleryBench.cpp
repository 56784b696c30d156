// Times loading a folder of icon files into the gallery against the platform's bare extraction
// of the same icons. Run by hand: GalleryBench.exe FOLDER
#include <windows.h>

#include "Gallery.h"
#include "ImageList.h"
#include "SysUtils.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

double Seconds(std::chrono::steady_clock::time_point since)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::printf("usage: GalleryBench FOLDER\n");
        return 2;
    }
    const std::string folder = ExcludeTrailingBackslash(argv[1]);

    TImageList badges(20, 11);
    FillTypeBadges(badges);
    TImageList images(32, 32);
    auto start = std::chrono::steady_clock::now();
    TGalleryContents contents = BuildGallery(folder, images, badges);
    const double gallery = Seconds(start);

    start = std::chrono::steady_clock::now();
    int extracted = 0;
    for (const std::string& file : contents.files) {
        HICON icon = ExtractIconA(GetModuleHandleA(nullptr), file.c_str(), 0);
        if (icon && icon != reinterpret_cast<HICON>(1)) {
            ++extracted;
            DestroyIcon(icon);
        }
    }
    const double platform = Seconds(start);

    std::printf("files: %zu, gallery images: %d, icons the platform extracted: %d\n", contents.files.size(),
                images.Count(), extracted);
    std::printf("gallery load: %.2f s, platform extraction alone: %.2f s, ratio %.2f\n", gallery, platform,
                platform > 0 ? gallery / platform : 0.0);
    return 0;
}
