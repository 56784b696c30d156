// The gallery's pictures, made from each file's checked bytes, against the pictures the
// platform's own extraction of the file's icon 0 gives, for icon files and libraries of every
// kind of image, the catalogue, the system's programs and damaged files.
#include <windows.h>
#include <commctrl.h>

#include "Gallery.h"
#include "ThumbnailList.h"
#include "Handles.h"
#include "IconFileReader.h"
#include "ImageList.h"
#include "StagedFolder.h"
#include "SysUtils.h"
#include "../controls/IconFileReaderImages.h"

#include <gtest/gtest.h>

#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace {

using iconimages::Buffer;
using iconimages::DepthImage;
using iconimages::FirstDifference;
using iconimages::FramedImage;
using iconimages::IcoFile;
using iconimages::IconDib;

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

// A 32-bit image whose alpha takes every value four times over changing colours; its AND mask,
// which the platform ignores for such an image, is set in a pattern of its own.
Buffer AlphaSteps(int size = 32, int colorsUsed = 0)
{
    Buffer image = IconDib({size, 32, std::vector<COLORREF>(size_t(colorsUsed), RGB(9, 9, 9)),
                            [size](int x, int y) -> uint32_t {
                                const uint32_t alpha = uint32_t(x + size * y) & 0xFF;
                                return RGB(x * 255 / size, (y * 37) & 0xFF, (x * y) & 0xFF) | alpha << 24;
                            },
                            [](int x, int y) { return (x + y) % 3 == 0; }});
    return image;
}

std::vector<std::vector<COLORREF>> DrawnLooks(TImageList& list, int index)
{
    std::vector<std::vector<COLORREF>> looks;
    for (UINT style : {ILD_NORMAL, ILD_SELECTED, ILD_MASK})
        looks.push_back(Drawn(list, index, style));
    return looks;
}

// The gallery of `folder` against what each file gave before the gallery composed its pictures
// itself: the platform's icon made from the file's checked image at 32x32, put into the list as
// an icon (.ico) or drawn with its badge (a library), blank where there is none; the same files in
// the same order, and the same captions.
void ExpectThePicturesOfBefore(const std::string& folder, TImageList& badges)
{
    TImageList images(32, 32);
    const TGalleryContents gallery = BuildGallery(folder, images, badges);

    TImageList before(32, 32);
    std::vector<std::string> files, captions;
    for (const std::string& name : GalleryCandidateNames(folder)) {
        const std::string path = GalleryFilePath(folder, name);
        TCheckedIconFile file(path);
        if (!IsIconFile(path) && file.Count() == 0)
            continue;
        const IconImageSpan* image = file.ChooseImage(0, 32, 32);
        const std::vector<uint8_t> bytes = image ? file.ImageBytes(*image) : std::vector<uint8_t>();
        IconHandle icon(bytes.empty() ? nullptr : MakeIconFromImage(bytes.data(), bytes.size(), 32, 32));
        const int index = int(files.size());
        ASSERT_TRUE(ImageList_SetImageCount(before.Handle(), UINT(index + 1)));
        bool pictured = icon && IsIconFile(path) && ImageList_ReplaceIcon(before.Handle(), index, icon.get()) == index;
        if (!pictured) {
            TThumbnail thumbnail;
            const bool drawn = icon && !IsIconFile(path);
            ComposeLibraryThumbnail(drawn ? icon.get() : nullptr, badges, drawn ? TypeBadgeOf(path) : -1, thumbnail);
            ASSERT_TRUE(ReplaceThumbnail(before, index, thumbnail)) << path;
            pictured = drawn;
        }
        files.push_back(path);
        captions.push_back(pictured ? "" : name);
    }

    ASSERT_EQ(gallery.files, files) << folder;
    EXPECT_EQ(gallery.captions, captions) << folder;
    ASSERT_EQ(gallery.imageIndexes.size(), files.size()) << folder;
    for (size_t i = 0; i < files.size(); ++i) {
        const auto ours = DrawnLooks(images, gallery.imageIndexes[i]), theirs = DrawnLooks(before, int(i));
        for (size_t look = 0; look < ours.size(); ++look)
            EXPECT_EQ(FirstDifference(ours[look], theirs[look]), "")
                << ExtractFileName(files[i]) << ", " << (look == 0 ? "normal" : look == 1 ? "selected" : "mask");
    }
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
        {"i_alphastufen.ico", IcoFile({AlphaSteps()})},
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
        // Alpha of every level, also behind a colour table and scaled.
        {"r_alphastufen.dll", AlphaSteps()},
        {"s_alpha_farbtabelle.exe", AlphaSteps(32, 4)},
        {"t_alpha_48.icl", AlphaSteps(48)},
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

TEST(GalleryPictures, TheCatalogueAndTheSystemsProgramsKeepThePicturesOfBefore)
{
    TImageList badges(TypeBadgeWidth, TypeBadgeHeight);
    FillTypeBadges(badges);
    const std::string catalogue = ExtractFilePath(TestIconLibrary());
    int folders = 0;
    for (const TSubfolder& category : ListSubfolders(catalogue)) {
        ExpectThePicturesOfBefore(category.path, badges);
        for (const TSubfolder& sub : ListSubfolders(category.path + "\\"))
            ExpectThePicturesOfBefore(sub.path, badges);
        ++folders;
    }
    EXPECT_GE(folders, 4) << "categories in " << catalogue;

    // Their icons hold images with alpha at every size.
    char system[MAX_PATH] = {};
    GetSystemDirectoryA(system, MAX_PATH);
    StagedFolder programs("gallery programs");
    for (const char* name : {"shell32.dll", "user32.dll", "comctl32.dll", "notepad.exe", "winecfg.exe", "cmd.exe"})
        CopyFileA((IncludeTrailingBackslash(system) + name).c_str(), (programs.Path() + name).c_str(), FALSE);
    ExpectThePicturesOfBefore(programs.Path(), badges);
}

TEST(GalleryPictures, DamagedFilesKeepThePicturesOfBefore)
{
    StagedFolder root("gallery damaged");
    StagedFolder sources("gallery undamaged");
    const std::string library = TestIconLibrary();
    const std::string alphaLibrary = sources.Path() + "alpha.dll";
    ASSERT_TRUE(iconimages::WriteIconLibrary(library, alphaLibrary, {{AlphaSteps(), FramedImage(16, RGB(0, 120, 0))}}));
    auto bytesOf = [](const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return Buffer((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    };
    const Buffer libraries[] = {bytesOf(library), bytesOf(alphaLibrary)};
    const Buffer& whole = libraries[0];
    const Buffer ico = IcoFile({AlphaSteps(), FramedImage(16, RGB(0, 120, 0)), DepthImage(8)});
    // The damage falls on what the reader checks: directories and the heads of images.
    auto targets = [](const std::string& path) {
        std::vector<std::pair<size_t, size_t>> spans;
        TCheckedIconFile file(path);
        file.CheckAll();
        for (const IconGroupSpan& group : file.Layout().groups) {
            spans.emplace_back(group.offset, group.size);
            for (const IconImageSpan& image : group.images)
                spans.emplace_back(image.offset, std::min<size_t>(image.size, 48));
        }
        return spans;
    };
    WriteBytes(root.Path() + "ganz.ico", ico);
    const decltype(targets(library)) spansOf[] = {targets(library), targets(alphaLibrary), targets(root.Path() + "ganz.ico")};
    ASSERT_FALSE(spansOf[0].empty()) << library;
    ASSERT_FALSE(spansOf[1].empty()) << alphaLibrary;
    std::mt19937 random(20250301);
    for (int round = 0; round < 48; ++round) {
        const int kind = round % 3;
        const bool isIco = kind == 2;
        Buffer bytes = isIco ? ico : libraries[kind];
        const auto& spans = spansOf[kind];
        for (int hit = 0; hit < 3; ++hit) {
            const auto& [start, length] = spans[random() % spans.size()];
            bytes[std::min(start + random() % std::max<size_t>(length, 1), bytes.size() - 1)] = uint8_t(random());
        }
        char name[32];
        std::snprintf(name, sizeof name, isIco ? "schaden%02d.ico" : "schaden%02d.dll", round);
        WriteBytes(root.Path() + name, bytes);
    }
    // Cut short anywhere.
    for (int cut = 1; cut <= 8; ++cut) {
        const Buffer& from = cut % 2 ? whole : ico;
        WriteBytes(root.Path() + "kurz" + std::to_string(cut) + (cut % 2 ? ".exe" : ".ico"),
                   Buffer(from.begin(), from.begin() + std::ptrdiff_t(from.size() * size_t(cut) / 9)));
    }
    // Alpha images the platform reads its own way: a mask cut off, a larger header, an odd height.
    auto with = [](Buffer image, size_t at, uint32_t value) {
        for (int i = 0; i < 4; ++i)
            image[at + size_t(i)] = uint8_t(value >> (8 * i));
        return image;
    };
    const Buffer alpha = AlphaSteps();
    const struct {
        const char* name;
        Buffer image;
    } odd[] = {
        {"maske_fehlt.dll", Buffer(alpha.begin(), alpha.end() - 100)},
        {"grosser_kopf.dll", with(alpha, 0, 108)},
        {"ungerade_hoehe.dll", with(alpha, 8, 63)},
        {"kein_alpha.nil", IconDib({32, 32, {}, [](int x, int y) -> uint32_t { return RGB(x * 8, y * 8, 50); },
                                    [](int x, int) { return x > 25; }})},
    };
    for (const auto& o : odd) {
        ASSERT_TRUE(iconimages::WriteIconLibrary(library, root.Path() + o.name, {{o.image}})) << o.name;
        WriteBytes(root.Path() + ChangeFileExt(o.name, ".ico"), IcoFile({o.image}));
    }

    TImageList badges(TypeBadgeWidth, TypeBadgeHeight);
    FillTypeBadges(badges);
    ExpectThePicturesOfBefore(root.Path(), badges);
}

// Badge lists of another size, or none at all, draw what the platform draws of them.
TEST(GalleryPictures, OtherBadgeListsKeepThePicturesOfBefore)
{
    StagedFolder root("gallery badges");
    for (const char* name : {"a.dll", "b.exe", "c.icl", "d.nil"})
        ASSERT_TRUE(CopyFileA(TestIconLibrary().c_str(), (root.Path() + name).c_str(), FALSE)) << name;
    ASSERT_TRUE(iconimages::WriteIconLibrary(TestIconLibrary(), root.Path() + "e_alpha.dll", {{AlphaSteps()}}));
    TImageList none(TypeBadgeWidth, TypeBadgeHeight);
    ExpectThePicturesOfBefore(root.Path(), none);
    TImageList small(16, 16);
    for (COLORREF color : {RGB(200, 0, 0), RGB(0, 200, 0), RGB(0, 0, 200), RGB(90, 90, 90)}) {
        TBitmap badge(16, 16);
        badge.Canvas().Brush().SetColor(clFuchsia);
        badge.Canvas().FillRect({0, 0, 16, 16});
        badge.Canvas().Brush().SetColor(static_cast<TColor>(color));
        badge.Canvas().FillRect({0, 2, 16, 9});
        ASSERT_GE(small.AddMasked(badge, clFuchsia), 0);
    }
    ExpectThePicturesOfBefore(root.Path(), small);
}
