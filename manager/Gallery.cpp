// Catalogue folders, the gallery's file list, type badges and thumbnails.
#include <windows.h>
#include <commctrl.h>

#include "Gallery.h"

#include "Classes.h"
#include "ExactNames.h"
#include "Exceptions.h"
#include "Handles.h"
#include "IconFileReader.h"
#include "LateLibrary.h"
#include "SysUtils.h"
#include "TransparentKey.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <utility>

namespace {

constexpr int ThumbnailSize = 32;

// The file's name as the platform shows it, which its exact name (an alias) may not be.
std::string ShownFileName(const std::string& path)
{
    std::wstring wide;
    if (!ExactWidePath(path, wide))
        return ExtractFileName(path);
    return DisplayAnsi(WideLastComponent(wide));
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

bool PutThumbnail(TImageList& list, int index, TThumbnail& thumbnail)
{
    return ComCtl32::ImageList_Replace(list.Handle(), index, thumbnail.image.Handle(),
                                       thumbnail.mask.Handle()) != FALSE;
}

// The badges' pixels, read once from the badge list, so that a library picture is composed in
// memory like an icon file's.
class TBadgePixels {
public:
    explicit TBadgePixels(TImageList& badges) : count_(badges.Count())
    {
        // Drawn as a picture gets it, on black and on white: where the two differ, the badge
        // lets the picture through.
        TBitmap onBlack(TypeBadgeWidth, TypeBadgeHeight), onWhite(TypeBadgeWidth, TypeBadgeHeight);
        for (int badge = 0; badge < count_; ++badge) {
            for (TBitmap* bitmap : {&onBlack, &onWhite}) {
                TCanvas& canvas = bitmap->Canvas();
                canvas.Brush().SetColor(bitmap == &onBlack ? clBlack : clWhite);
                canvas.Brush().SetStyle(bsSolid);
                canvas.FillRect({0, 0, TypeBadgeWidth, TypeBadgeHeight});
                badges.Draw(canvas, 0, 0, badge);
            }
            for (int y = 0; y < TypeBadgeHeight; ++y)
                for (int x = 0; x < TypeBadgeWidth; ++x) {
                    TColor color = onBlack.PixelColor(x, y);
                    pixels_.push_back(color == onWhite.PixelColor(x, y) ? ColorToRGB(color) : See);
                }
        }
    }

    // Badge `badge` over a picture's pixels (top row first) at (0, TypeBadgeTop); a badge out of
    // range draws nothing.
    void DrawOver(int badge, std::vector<COLORREF>& picture) const
    {
        if (badge < 0 || badge >= count_)
            return;
        const COLORREF* from = &pixels_[static_cast<size_t>(badge) * TypeBadgeWidth * TypeBadgeHeight];
        for (int y = 0; y < TypeBadgeHeight; ++y)
            for (int x = 0; x < TypeBadgeWidth; ++x, ++from)
                if (*from != See)
                    picture[static_cast<size_t>(TypeBadgeTop + y) * ThumbnailSize + static_cast<size_t>(x)] = *from;
    }

private:
    static constexpr COLORREF See = 0xFFFFFFFF;   // no colour a pixel can have
    int count_;
    std::vector<COLORREF> pixels_;
};

// A decoded 32x32 icon as the platform's drawing makes its picture. An icon file's goes into the
// list as an icon: its AND mask is the mask. A library's is drawn over the key colour (where the
// AND mask is set the colour is XORed onto the key), its badge goes on top, and the key colour
// is what is see-through. Masked pixels are black, as in any masked bitmap; the platform keeps
// an icon's colour there, which only a black background would show.
void ComposeDecodedThumbnail(const IconImagePixels& icon, const TBadgePixels* badges, int badge,
                             TThumbnail& thumbnail)
{
    const size_t count = static_cast<size_t>(ThumbnailSize) * ThumbnailSize;
    std::vector<COLORREF> colors(icon.colors);
    std::vector<uint8_t> transparent(icon.transparent);
    if (badges) {
        const COLORREF key = ColorToRGB(TransparentKeyColor);
        for (size_t i = 0; i < count; ++i)
            colors[i] = transparent[i] ? key ^ colors[i] : colors[i];
        badges->DrawOver(badge, colors);
        for (size_t i = 0; i < count; ++i)
            transparent[i] = colors[i] == key;
    }

    thumbnail.image.SetPixelFormat(pf24bit);
    thumbnail.image.SetSize(ThumbnailSize, ThumbnailSize);
    thumbnail.mask.SetPixelFormat(pf1bit);
    thumbnail.mask.SetSize(ThumbnailSize, ThumbnailSize);
    for (int y = 0; y < ThumbnailSize; ++y) {
        auto* row = static_cast<uint8_t*>(thumbnail.image.ScanLine(y));
        auto* maskRow = static_cast<uint8_t*>(thumbnail.mask.ScanLine(y));
        std::memset(maskRow, 0, ThumbnailSize / 8);
        for (int x = 0; x < ThumbnailSize; ++x) {
            const size_t at = static_cast<size_t>(y) * ThumbnailSize + static_cast<size_t>(x);
            const COLORREF color = transparent[at] ? RGB(0, 0, 0) : colors[at];
            row[3 * x] = GetBValue(color);
            row[3 * x + 1] = GetGValue(color);
            row[3 * x + 2] = GetRValue(color);
            // Bit 1, white, is see-through.
            if (transparent[at])
                maskRow[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
        }
    }
}

// Puts the gallery's pictures into its image list, composing each in one scratch bitmap and mask.
class TGalleryPainter {
public:
    TGalleryPainter(TImageList& images, TImageList& badges) : images_(images), badges_(badges) {}

    // The picture of a file from the checked image of its icon 0; false when there is none.
    bool Put(int index, const std::string& path, const std::vector<uint8_t>& image)
    {
        if (image.empty())
            return false;
        const bool library = !IsIconFile(path);
        if (DecodeIconImage(image.data(), image.size(), pixels_) && pixels_.width == ThumbnailSize &&
            pixels_.height == ThumbnailSize) {
            if (library && !badgePixels_)
                badgePixels_ = std::make_unique<TBadgePixels>(badges_);
            ComposeDecodedThumbnail(pixels_, library ? badgePixels_.get() : nullptr, TypeBadgeOf(path), scratch_);
            return PutThumbnail(images_, index, scratch_);
        }
        // Scaled, PNG, alpha and monochrome images: the platform draws them.
        IconHandle icon(MakeIconFromImage(image.data(), image.size(), ThumbnailSize, ThumbnailSize));
        if (!icon)
            return false;
        if (!library)
            return ComCtl32::ImageList_ReplaceIcon(images_.Handle(), index, icon.get()) == index;
        ComposeLibraryThumbnail(icon.get(), badges_, TypeBadgeOf(path), scratch_);
        return ReplaceThumbnail(images_, index, scratch_);
    }

private:
    TImageList& images_;
    TImageList& badges_;
    TThumbnail scratch_;
    IconImagePixels pixels_;
    std::unique_ptr<TBadgePixels> badgePixels_;   // made for the first library
};

}  // namespace

TSmallIconSource::TSmallIconSource(const std::string& fileName)
    : file_(std::make_shared<const TCheckedIconFile>(fileName))
{
}

TSmallIconSource::TSmallIconSource(std::shared_ptr<const TCheckedIconFile> file) : file_(std::move(file))
{
}

int TSmallIconSource::IndexOfResource(int id) const
{
    return file_->IndexOfResource(id);
}

HICON TSmallIconSource::Extract(int index) const
{
    // The richest of the small images: the one with the most bytes.
    const IconImageSpan* best = file_->RichestImage(index, 16, 16);
    if (!best)
        return nullptr;
    std::vector<uint8_t> bytes = file_->ImageBytes(*best);
    return MakeIconFromImage(bytes.data(), bytes.size(), 16, 16);
}

std::vector<TSubfolder> ListSubfolders(const std::string& folder)
{
    std::vector<TSubfolder> folders;
    for (const TFoundEntry& entry : FindExactEntries(folder))
        if ((entry.Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && entry.DisplayName[0] != '.')
            folders.push_back({folder + entry.Data.cFileName, entry.DisplayName});
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
    // Each by its exact name.
    for (const TFoundEntry& entry : FindExactEntries(folder)) {
        const WIN32_FIND_DATAA& data = entry.Data;
        if (IsFolder(data))
            continue;
        std::string ext = AnsiUpperCase(ExtractFileExt(data.cFileName));
        if (std::find(std::begin(extensions), std::end(extensions), ext) != std::end(extensions))
            names.push_back(data.cFileName);
    }
    // As a sorted list box shows them.
    std::stable_sort(names.begin(), names.end(),
                     [](const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) < 0; });
    return names;
}

std::string GalleryFolderProblem(const std::string& folder)
{
    const std::string shown = "„" + ExcludeTrailingBackslash(folder) + "“";
    if (!DirectoryExists(folder)) {
        const std::string root = folder.size() >= 2 && folder[1] == ':' ? folder.substr(0, 2) + "\\" : std::string();
        if (root.empty() || !DirectoryExists(root))
            return "Es befindet sich kein Datenträger im Laufwerk.";
        return "Der Ordner " + shown + " ist nicht mehr vorhanden.";
    }
    WIN32_FIND_DATAW found;
    const FindHandle search(FindFirstFileW((WideOf(IncludeTrailingBackslash(folder)) + L"*").c_str(), &found));
    const DWORD error = search ? ERROR_SUCCESS : GetLastError();
    if (error != ERROR_SUCCESS && error != ERROR_FILE_NOT_FOUND && error != ERROR_NO_MORE_FILES)
        return "Der Ordner " + shown + " kann nicht geöffnet werden: " + SysErrorMessage(error);
    return std::string();
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

bool ReplaceThumbnail(TImageList& list, int index, TThumbnail& thumbnail)
{
    BlackenMasked(thumbnail.image, thumbnail.mask);
    return PutThumbnail(list, index, thumbnail);
}

TGalleryContents BuildGallery(const std::string& folder, TImageList& images, TImageList& badges)
{
    // Pass 1: the files worth an item. Each is read and checked once; of its icon 0 only the
    // image the platform would take for the picture is kept.
    struct Candidate {
        std::string path;
        std::vector<uint8_t> image;   // empty: no icon to show
    };
    std::vector<Candidate> candidates;
    for (const std::string& name : GalleryCandidateNames(folder)) {
        std::string path = GalleryFilePath(folder, name);
        TCheckedIconFile file(path);
        if (!IsIconFile(path) && file.Count() == 0)
            continue;
        const IconImageSpan* image = file.ChooseImage(0, ThumbnailSize, ThumbnailSize);
        candidates.push_back({path, image ? file.ImageBytes(*image) : std::vector<uint8_t>()});
    }

    // Pass 2: one picture per file, blank where the file gives none. The list is sized once:
    // growing it image by image copies all earlier images again and again.
    TGalleryContents contents;
    TThumbnail blank;
    ComposeBlankThumbnail(blank);
    TGalleryPainter painter(images, badges);
    const int first = images.Count();
    if (!candidates.empty() &&
        !ComCtl32::ImageList_SetImageCount(images.Handle(),
                                           static_cast<UINT>(first + static_cast<int>(candidates.size()))))
        throw EOutOfResources("Die Bilder der Icongalerie können nicht angelegt werden.");
    for (size_t i = 0; i < candidates.size(); ++i) {
        const Candidate& candidate = candidates[i];
        const int index = first + static_cast<int>(i);
        const bool pictured = painter.Put(index, candidate.path, candidate.image);
        if (!pictured && !ReplaceThumbnail(images, index, blank))
            throw EOutOfResources("Die Bilder der Icongalerie können nicht angelegt werden.");
        contents.files.push_back(candidate.path);
        contents.imageIndexes.push_back(index);
        contents.captions.push_back(pictured ? std::string() : ShownFileName(candidate.path));
    }
    return contents;
}
