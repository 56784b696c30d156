// The gallery's pictures, made from each file's checked bytes, against the pictures the
// platform's own extraction of the file's icon 0 gives, for icon files and libraries of every
// kind of image.
#include <windows.h>
#include <commctrl.h>

#include "Gallery.h"
#include "ImageList.h"
#include "StagedFolder.h"
#include "SysUtils.h"
#include "../controls/IconFileReaderImages.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

namespace {

using iconimages::Buffer;
using iconimages::DepthImage;
using iconimages::FirstDifference;
using iconimages::FramedImage;
using iconimages::IcoFile;

std::string TestIconLibrary()
{
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    return ExtractFilePath(exe) + "ql_test_icons.dll";
}

void WriteBytes(const std::string& path, const Buffer& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// Image `index` of a list drawn with `style` on the gallery's white.
std::vector<COLORREF> Drawn(TImageList& list, int index, UINT style)
{
    TBitmap canvas(32, 32);
    canvas.Canvas().Brush().SetColor(clWhite);
    canvas.Canvas().FillRect({0, 0, 32, 32});
    ImageList_Draw(list.Handle(), index, canvas.Canvas().Handle(), 0, 0, style);
    canvas.Canvas().Changed();
    std::vector<COLORREF> pixels;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            pixels.push_back(static_cast<COLORREF>(canvas.PixelColor(x, y)));
    return pixels;
}

// The picture the platform's extraction of icon 0 gives: an icon file's icon goes into the list
// as it is, a library's is drawn with its badge.
bool PutPlatformPicture(const std::string& path, TImageList& list, int index, TImageList& badges)
{
    HICON icon = ExtractIconA(GetModuleHandleA(nullptr), path.c_str(), 0);
    if (reinterpret_cast<UINT_PTR>(icon) <= 1)
        return false;
    bool put;
    if (IsIconFile(path)) {
        put = ImageList_ReplaceIcon(list.Handle(), index, icon) == index;
    } else {
        TThumbnail thumbnail;
        ComposeLibraryThumbnail(icon, badges, TypeBadgeOf(path), thumbnail);
        put = ReplaceThumbnail(list, index, thumbnail);
    }
    DestroyIcon(icon);
    return put;
}

}  // namespace

TEST(GalleryPictures, LookAsThePlatformsOwnExtractionMakesThem)
{
    StagedFolder root("gallery pictures");
    const struct {
        const char* name;
        Buffer bytes;
    } iconFiles[] = {
        {"a_mehrere.ico", IcoFile({FramedImage(16, RGB(250, 0, 0)), FramedImage(32, RGB(0, 140, 0))})},
        {"b_4bit.ico", IcoFile({DepthImage(4)})},
        {"c_8bit.ico", IcoFile({DepthImage(8)})},
        {"d_32bit.ico", IcoFile({DepthImage(32)})},
        // Images that the platform has to scale or blend, or that are monochrome.
        {"e_alpha.ico", IcoFile({DepthImage(32, 32, true)})},
        {"f_16.ico", IcoFile({FramedImage(16, RGB(0, 0, 200))})},
        {"g_48.ico", IcoFile({FramedImage(48, RGB(200, 0, 200))})},
        {"h_1bit.ico", IcoFile({DepthImage(1)})},
        {"i_16bit.ico", IcoFile({DepthImage(16)})},
    };
    for (const auto& f : iconFiles)
        WriteBytes(root.Path() + f.name, f.bytes);
    // One library of each badge, and libraries of other images.
    for (const char* name : {"j_bibliothek.dll", "k_sammlung.icl", "l_programm.exe", "m_symbole.nil"})
        ASSERT_TRUE(CopyFileA(TestIconLibrary().c_str(), (root.Path() + name).c_str(), FALSE)) << name;
    const struct {
        const char* name;
        Buffer image;
    } libraries[] = {
        {"n_8bit.dll", DepthImage(8)},
        {"o_alpha.dll", DepthImage(32, 32, true)},
        {"p_xor.icl", FramedImage(32, RGB(0, 90, 190))},
        {"q_16.dll", FramedImage(16, RGB(90, 190, 0))},
    };
    for (const auto& l : libraries)
        ASSERT_TRUE(iconimages::WriteIconLibrary(TestIconLibrary(), root.Path() + l.name, {{l.image}})) << l.name;

    TImageList badges(TypeBadgeWidth, TypeBadgeHeight);
    FillTypeBadges(badges);
    TImageList images(32, 32);
    TGalleryContents gallery = BuildGallery(root.Path(), images, badges);
    const size_t count = std::size(iconFiles) + 4 + std::size(libraries);
    ASSERT_EQ(gallery.files.size(), count);

    TImageList platform(32, 32);
    ASSERT_TRUE(ImageList_SetImageCount(platform.Handle(), UINT(count)));
    for (size_t i = 0; i < count; ++i) {
        const std::string& path = gallery.files[i];
        ASSERT_TRUE(PutPlatformPicture(path, platform, int(i), badges)) << path;
        // The gallery shows them on white, also selected. Under the mask the platform keeps an
        // icon's colour, where our pictures are black as masked bitmaps are: only a black
        // background could show the difference.
        const struct {
            UINT style;
            const char* what;
        } looks[] = {{ILD_NORMAL, "normal"}, {ILD_SELECTED, "selected"}, {ILD_MASK, "mask"}};
        for (const auto& look : looks)
            EXPECT_EQ(FirstDifference(Drawn(images, gallery.imageIndexes[i], look.style),
                                      Drawn(platform, int(i), look.style)),
                      "")
                << ExtractFileName(path) << ", " << look.what;
    }
}
