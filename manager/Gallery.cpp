// Catalogue folders, the gallery's file list, type badges and thumbnails.
#include <windows.h>
#include <commctrl.h>

#include "Gallery.h"

#include "Classes.h"
#include "Exceptions.h"
#include "IconFileReader.h"
#include "SysUtils.h"
#include "TransparentKey.h"

#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>

namespace {

constexpr int ThumbnailSize = 32;

struct FindCloser {
    void operator()(HANDLE find) const { FindClose(find); }
};
using FindHandle = std::unique_ptr<void, FindCloser>;

struct IconDestroyer {
    void operator()(HICON icon) const { DestroyIcon(icon); }
};
using IconHandle = std::unique_ptr<HICON__, IconDestroyer>;

// Every entry of `folder` (which ends in a backslash) but "." and "..".
void ForEachEntry(const std::string& folder, const std::function<void(const WIN32_FIND_DATAA&)>& visit)
{
    WIN32_FIND_DATAA data;
    HANDLE first = FindFirstFileA((folder + "*.*").c_str(), &data);
    if (first == INVALID_HANDLE_VALUE)
        return;
    FindHandle find(first);
    do {
        if (std::strcmp(data.cFileName, ".") != 0 && std::strcmp(data.cFileName, "..") != 0)
            visit(data);
    } while (FindNextFileA(find.get(), &data));
}

bool IsFolder(const WIN32_FIND_DATAA& data)
{
    return (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// The badges' letters, 5 rows high; '#' is ink. Drawn pixel by pixel, they stay crisp at 11 pixels.
struct Glyph {
    char letter;
    const char* rows[5];
};
constexpr Glyph Glyphs[] = {
    {'N', {"#..#", "##.#", "#.##", "#..#", "#..#"}},
    {'I', {"###", ".#.", ".#.", ".#.", "###"}},
    {'L', {"#...", "#...", "#...", "#...", "####"}},
    {'E', {"####", "#...", "###.", "#...", "####"}},
    {'X', {"#..#", "#..#", ".##.", "#..#", "#..#"}},
    {'C', {".###", "#...", "#...", "#...", ".###"}},
    {'D', {"###.", "#..#", "#..#", "#..#", "###."}},
};

const Glyph& GlyphOf(char letter)
{
    for (const Glyph& glyph : Glyphs)
        if (glyph.letter == letter)
            return glyph;
    return Glyphs[0];
}

int GlyphWidth(const Glyph& glyph)
{
    return static_cast<int>(std::strlen(glyph.rows[0]));
}

struct BadgeLook {
    const char* text;
    COLORREF fill;
};
// Indexed by TTypeBadge.
constexpr BadgeLook BadgeLooks[TypeBadgeCount] = {
    {"NIL", RGB(128, 84, 176)},
    {"EXE", RGB(40, 140, 80)},
    {"ICL", RGB(222, 118, 24)},
    {"DLL", RGB(36, 100, 200)},
};

COLORREF Scaled(COLORREF color, double factor)
{
    auto part = [factor](int value) { return static_cast<BYTE>(std::min(255.0, value * factor)); };
    return RGB(part(GetRValue(color)), part(GetGValue(color)), part(GetBValue(color)));
}

COLORREF Lighter(COLORREF color, double amount)
{
    auto part = [amount](int value) { return static_cast<BYTE>(value + (255 - value) * amount); };
    return RGB(part(GetRValue(color)), part(GetGValue(color)), part(GetBValue(color)));
}

void PutPixel(TBitmap& bitmap, int x, int y, COLORREF color)
{
    auto* row = static_cast<uint8_t*>(bitmap.ScanLine(y)) + x * 3;
    row[0] = GetBValue(color);
    row[1] = GetGValue(color);
    row[2] = GetRValue(color);
}

// The key colour behind transparent pixels must be black in a picture the image list masks.
void BlackenMasked(TBitmap& image, const TBitmap& mask)
{
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x)
            if (mask.PixelColor(x, y) == clWhite)
                PutPixel(image, x, y, RGB(0, 0, 0));
}

}  // namespace

TSmallIconSource::TSmallIconSource(const std::string& fileName)
{
    try {
        bytes_ = ReadFileBytes(fileName);
    } catch (const Exception&) {
        return;
    }
    layout_ = CheckIconFileBytes(bytes_.data(), bytes_.size());
}

int TSmallIconSource::IndexOfResource(int id) const
{
    std::string name = "#" + std::to_string(id);
    for (int i = 0; i < Count(); ++i)
        if (layout_.groups[static_cast<size_t>(i)].name == name)
            return i;
    return -1;
}

HICON TSmallIconSource::Extract(int index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    // The richest of the small images: the one with the most bytes.
    const IconImageSpan* best = nullptr;
    for (const IconImageSpan& image : layout_.groups[static_cast<size_t>(index)].images)
        if (image.width == 16 && image.height == 16 && !image.png && (!best || image.size > best->size))
            best = &image;
    if (!best)
        return nullptr;
    // The check has put every image inside the buffer.
    auto* data = const_cast<uint8_t*>(bytes_.data()) + best->offset;
    return CreateIconFromResourceEx(data, best->size, TRUE, 0x00030000, 16, 16, LR_DEFAULTCOLOR);
}

std::vector<std::string> ListSubfolders(const std::string& folder)
{
    std::vector<std::string> folders;
    ForEachEntry(folder, [&](const WIN32_FIND_DATAA& data) {
        if (IsFolder(data) && data.cFileName[0] != '.')
            folders.push_back(folder + data.cFileName);
    });
    return folders;
}

std::string ExtractLastFolderName(const std::string& path)
{
    size_t slash = path.find_last_of('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::vector<std::string> GalleryCandidateNames(const std::string& folder)
{
    static const char* const extensions[] = {".ICL", ".ICO", ".EXE", ".DLL", ".NIL"};
    std::vector<std::string> names;
    ForEachEntry(IncludeTrailingBackslash(folder), [&](const WIN32_FIND_DATAA& data) {
        if (IsFolder(data))
            return;
        std::string ext = AnsiUpperCase(ExtractFileExt(data.cFileName));
        if (std::find(std::begin(extensions), std::end(extensions), ext) != std::end(extensions))
            names.push_back(data.cFileName);
    });
    // As a sorted list box shows them.
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    return names;
}

std::string GalleryFilePath(const std::string& folder, const std::string& name)
{
    return IncludeTrailingBackslash(folder) + name;
}

bool IsIconFile(const std::string& path)
{
    return AnsiUpperCase(ExtractFileExt(path)) == ".ICO";
}

int TypeBadgeOf(const std::string& path)
{
    std::string ext = AnsiUpperCase(ExtractFileExt(path));
    if (ext == ".ICL")
        return tbIcl;
    if (ext == ".DLL")
        return tbDll;
    if (ext == ".EXE")
        return tbExe;
    if (ext == ".NIL")
        return tbNil;
    return -1;
}

void DrawTypeBadge(TBitmap& bitmap, TTypeBadge badge)
{
    const BadgeLook& look = BadgeLooks[badge];
    const int w = TypeBadgeWidth;
    const int h = TypeBadgeHeight;
    if (bitmap.Width() != w || bitmap.Height() != h || bitmap.PixelFormat() != pf24bit) {
        bitmap.SetPixelFormat(pf24bit);
        bitmap.SetSize(w, h);
    }
    const COLORREF key = ColorToRGB(TransparentKeyColor);
    const COLORREF border = Scaled(look.fill, 0.62);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            bool edge = x == 0 || y == 0 || x == w - 1 || y == h - 1;
            bool corner = (x == 0 || x == w - 1) && (y == 0 || y == h - 1);
            // A soft top half gives the label a little body.
            COLORREF fill = y <= h / 2 ? Lighter(look.fill, 0.18) : look.fill;
            PutPixel(bitmap, x, y, corner ? key : edge ? border : fill);
        }
    std::string text = look.text;
    int textWidth = -1;
    for (char letter : text)
        textWidth += GlyphWidth(GlyphOf(letter)) + 1;
    int x = (w - textWidth) / 2;
    const int top = (h - 5) / 2;
    for (char letter : text) {
        const Glyph& glyph = GlyphOf(letter);
        for (int row = 0; row < 5; ++row)
            for (int col = 0; glyph.rows[row][col]; ++col)
                if (glyph.rows[row][col] == '#')
                    PutPixel(bitmap, x + col, top + row, RGB(255, 255, 255));
        x += GlyphWidth(glyph) + 1;
    }
    bitmap.Canvas().Changed();
}

void FillTypeBadges(TImageList& badges)
{
    badges.SetSize(TypeBadgeWidth, TypeBadgeHeight);
    badges.Clear();
    for (int badge = 0; badge < TypeBadgeCount; ++badge) {
        TBitmap bitmap(TypeBadgeWidth, TypeBadgeHeight);
        DrawTypeBadge(bitmap, static_cast<TTypeBadge>(badge));
        if (badges.AddMasked(bitmap, TransparentKeyColor) < 0)
            throw EOutOfResources("Die Typmarken der Icongalerie können nicht angelegt werden.");
    }
}

void ComposeLibraryThumbnail(HICON icon, TImageList& badges, int badge, TThumbnail& thumbnail)
{
    TBitmap& image = thumbnail.image;
    image.SetPixelFormat(pf24bit);
    image.SetSize(ThumbnailSize, ThumbnailSize);
    TCanvas& canvas = image.Canvas();
    canvas.Brush().SetColor(TransparentKeyColor);
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect({0, 0, ThumbnailSize, ThumbnailSize});
    if (icon)
        DrawIconEx(canvas.Handle(), 0, 0, icon, ThumbnailSize, ThumbnailSize, 0, nullptr, DI_NORMAL);
    canvas.Changed();
    badges.Draw(canvas, 0, TypeBadgeTop, badge);
    thumbnail.mask.Assign(image);
    thumbnail.mask.Mask(TransparentKeyColor);
}

void ComposeBlankThumbnail(TThumbnail& thumbnail)
{
    thumbnail.image.SetPixelFormat(pf24bit);
    thumbnail.image.SetSize(ThumbnailSize, ThumbnailSize);
    TCanvas& canvas = thumbnail.image.Canvas();
    canvas.Brush().SetColor(TransparentKeyColor);
    canvas.Brush().SetStyle(bsSolid);
    canvas.FillRect({0, 0, ThumbnailSize, ThumbnailSize});
    thumbnail.mask.Assign(thumbnail.image);
    thumbnail.mask.Mask(TransparentKeyColor);
}

bool ReplaceThumbnail(TImageList& list, int index, const TThumbnail& thumbnail)
{
    TBitmap image;
    image.Assign(thumbnail.image);
    BlackenMasked(image, thumbnail.mask);
    TBitmap mask;
    mask.Assign(thumbnail.mask);
    return ImageList_Replace(list.Handle(), index, image.Handle(), mask.Handle()) != FALSE;
}

TGalleryContents BuildGallery(const std::string& folder, TImageList& images, TImageList& badges)
{
    // Pass 1: the files worth an item. A library is read and checked here once; its reader
    // keeps what it found for the picture.
    struct Candidate {
        std::string path;
        std::unique_ptr<TIconFileReader> reader;
    };
    std::vector<Candidate> candidates;
    for (const std::string& name : GalleryCandidateNames(folder)) {
        std::string path = GalleryFilePath(folder, name);
        auto reader = std::make_unique<TIconFileReader>(path);
        if (IsIconFile(path) || reader->Count() > 0)
            candidates.push_back({path, std::move(reader)});
    }

    // Pass 2: one picture per file, blank where the file gives none. The list is sized once:
    // growing it image by image copies all earlier images again and again.
    TGalleryContents contents;
    TThumbnail blank;
    ComposeBlankThumbnail(blank);
    const int first = images.Count();
    if (!candidates.empty() &&
        !ImageList_SetImageCount(images.Handle(), static_cast<UINT>(first + static_cast<int>(candidates.size()))))
        throw EOutOfResources("Die Bilder der Icongalerie können nicht angelegt werden.");
    for (size_t i = 0; i < candidates.size(); ++i) {
        Candidate& candidate = candidates[i];
        const int index = first + static_cast<int>(i);
        IconHandle icon(candidate.reader->ExtractAt(0));
        bool drawn = false;
        if (icon && IsIconFile(candidate.path)) {
            drawn = ImageList_ReplaceIcon(images.Handle(), index, icon.get()) == index;
        } else if (icon) {
            TThumbnail thumbnail;
            ComposeLibraryThumbnail(icon.get(), badges, TypeBadgeOf(candidate.path), thumbnail);
            drawn = ReplaceThumbnail(images, index, thumbnail);
        }
        if (!drawn && !ReplaceThumbnail(images, index, blank))
            throw EOutOfResources("Die Bilder der Icongalerie können nicht angelegt werden.");
        contents.files.push_back(candidate.path);
        contents.imageIndexes.push_back(index);
    }
    return contents;
}
