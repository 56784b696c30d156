// Catalogue folders, the gallery's file list, type badges and thumbnails.
#include <windows.h>
#include <commctrl.h>

#include "Gallery.h"

#include "BmpFormat.h"
#include "Classes.h"
#include "ExactNames.h"
#include "Exceptions.h"
#include "GdiObject.h"
#include "Handles.h"
#include "IconFileReader.h"
#include "IconImagePainter.h"
#include "LateLibrary.h"
#include "SysUtils.h"
#include "TransparentKey.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <utility>

namespace {

constexpr int ThumbnailSize = 32;
constexpr size_t ThumbnailPixels = ThumbnailSize * ThumbnailSize;
// Strips this long take a large gallery in a few copies, without one huge bitmap.
constexpr int PicturesPerStrip = 256;

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

// The badges' pixels, read once from the badge list, so that a library picture is composed in
// memory like an icon file's.
class TBadgePixels {
public:
    explicit TBadgePixels(TImageList& badges) : count_(badges.Count())
    {
        if (!ReadStored(badges))
            ReadDrawn(badges);
    }

    // Badge `badge` over a picture's pixels (top row first) at (0, TypeBadgeTop); a badge out of
    // range draws nothing.
    void DrawOver(int badge, COLORREF* picture) const
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
    // From the list's own bitmaps, which two reads give: drawn, a masked list lets the picture
    // through where the mask is set and shows its image elsewhere. False when they cannot be read.
    bool ReadStored(TImageList& badges)
    {
        IMAGEINFO info;
        if (count_ <= 0 || !ComCtl32::ImageList_GetImageInfo(badges.Handle(), 0, &info))
            return false;
        int width = 0, height = 0;
        const std::vector<uint32_t> image = Pixels(info.hbmImage, width, height);
        int maskWidth = 0, maskHeight = 0;
        const std::vector<uint32_t> mask = Pixels(info.hbmMask, maskWidth, maskHeight);
        if (image.empty() || maskWidth != width || maskHeight != height)
            return false;
        std::vector<COLORREF> pixels;
        for (int badge = 0; badge < count_; ++badge) {
            if (!ComCtl32::ImageList_GetImageInfo(badges.Handle(), badge, &info) || info.rcImage.left < 0 || info.rcImage.top < 0 ||
                info.rcImage.right - info.rcImage.left != TypeBadgeWidth ||
                info.rcImage.bottom - info.rcImage.top != TypeBadgeHeight || info.rcImage.right > width ||
                info.rcImage.bottom > height)
                return false;
            for (int y = 0; y < TypeBadgeHeight; ++y)
                for (int x = 0; x < TypeBadgeWidth; ++x) {
                    const size_t at = static_cast<size_t>(info.rcImage.top + y) * static_cast<size_t>(width) +
                                      static_cast<size_t>(info.rcImage.left + x);
                    const uint32_t bgr = image[at];
                    pixels.push_back((mask[at] & 0xFFFFFF) ? See : RGB(bgr >> 16 & 0xFF, bgr >> 8 & 0xFF, bgr & 0xFF));
                }
        }
        pixels_ = std::move(pixels);
        return true;
    }

    // A bitmap top row first, 32 bits a pixel (a monochrome one black and white); empty when it
    // cannot be read.
    static std::vector<uint32_t> Pixels(HBITMAP bitmap, int& width, int& height)
    {
        BITMAP shape;
        if (!bitmap || !GetObjectA(bitmap, sizeof shape, &shape) || shape.bmWidth <= 0 || shape.bmHeight <= 0)
            return {};
        width = shape.bmWidth;
        height = shape.bmHeight;
        BITMAPINFO format = TopDown32BitFormat(width, height);
        std::vector<uint32_t> pixels(static_cast<size_t>(width) * static_cast<size_t>(height));
        const MemoryDC dc;
        if (!dc || GetDIBits(dc.get(), bitmap, 0, static_cast<UINT>(height), pixels.data(), &format, DIB_RGB_COLORS) != height)
            return {};
        return pixels;
    }

    // Each badge drawn as a picture gets it, on black and on white: where the two differ, the
    // badge lets the picture through.
    void ReadDrawn(TImageList& badges)
    {
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

    static constexpr COLORREF See = 0xFFFFFFFF;   // no colour a pixel can have
    int count_;
    std::vector<COLORREF> pixels_;
};

// A picture on its way into the gallery's list: its colours, top row first, and where it is
// see-through.
struct TGalleryPicture {
    std::array<COLORREF, ThumbnailPixels> colors;
    std::array<uint8_t, ThumbnailPixels> transparent;
};

// A library's picture is drawn over the key colour with its badge on top; the key colour is what
// is see-through.
void FinishLibraryPicture(const TBadgePixels& badges, int badge, TGalleryPicture& picture)
{
    const COLORREF key = ColorToRGB(TransparentKeyColor);
    badges.DrawOver(badge, picture.colors.data());
    for (size_t i = 0; i < ThumbnailPixels; ++i)
        picture.transparent[i] = picture.colors[i] == key;
}

// A decoded 32x32 icon as the platform's drawing makes its picture. An icon file's goes into the
// list as an icon: its AND mask is the mask. A library's is drawn over the key colour, where the
// AND mask is set the colour is XORed onto the key.
void ComposeDecodedPicture(const IconImagePixels& icon, const TBadgePixels* badges, int badge, TGalleryPicture& picture)
{
    const COLORREF key = ColorToRGB(TransparentKeyColor);
    for (size_t i = 0; i < ThumbnailPixels; ++i) {
        picture.colors[i] = badges && icon.transparent[i] ? key ^ icon.colors[i] : icon.colors[i];
        picture.transparent[i] = icon.transparent[i];
    }
    if (badges)
        FinishLibraryPicture(*badges, badge, picture);
}

// A library's 32x32 image that the platform draws with more than a mask and colours (alpha, or
// one bit a pixel) drawn over the key colour as DrawIconEx draws its icon, without making one.
class TKeyedImagePainter {
public:
    TKeyedImagePainter() : onKey_(ThumbnailSize, ThumbnailSize, pf24bit) {}

    // False, leaving `picture` alone, for images only the platform draws faithfully.
    bool Draw(const std::vector<uint8_t>& image, TGalleryPicture& picture)
    {
        TCanvas& canvas = onKey_.Canvas();
        canvas.Brush().SetColor(TransparentKeyColor);
        canvas.Brush().SetStyle(bsSolid);
        canvas.FillRect({0, 0, ThumbnailSize, ThumbnailSize});
        if (!painter_.Draw(canvas.Handle(), 0, 0, image.data(), image.size(), ThumbnailSize, ThumbnailSize))
            return false;
        GdiFlush();
        for (int y = 0; y < ThumbnailSize; ++y) {
            const auto* from = static_cast<const uint8_t*>(onKey_.ScanLine(y));
            for (int x = 0; x < ThumbnailSize; ++x, from += 3)
                picture.colors[static_cast<size_t>(y) * ThumbnailSize + static_cast<size_t>(x)] =
                    RGB(from[2], from[1], from[0]);
        }
        return true;
    }

private:
    TBitmap onKey_;
    TIconImagePainter painter_;
};

// A thumbnail composed on bitmaps, as a picture.
void PictureOfThumbnail(TThumbnail& thumbnail, TGalleryPicture& picture)
{
    for (int y = 0; y < ThumbnailSize; ++y) {
        const auto* row = static_cast<const uint8_t*>(thumbnail.image.ScanLine(y));
        for (int x = 0; x < ThumbnailSize; ++x) {
            const size_t at = static_cast<size_t>(y) * ThumbnailSize + static_cast<size_t>(x);
            picture.colors[at] = RGB(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
            picture.transparent[at] = thumbnail.mask.PixelColor(x, y) == clWhite;
        }
    }
}

// Pictures side by side in one bitmap and one mask, which the list takes in one go: one copy
// into it per strip instead of one per picture.
class TPictureStrip {
public:
    explicit TPictureStrip(int count)
    {
        image_.SetPixelFormat(pf24bit);
        image_.SetSize(count * ThumbnailSize, ThumbnailSize);
        mask_.SetPixelFormat(pf1bit);
        mask_.SetSize(count * ThumbnailSize, ThumbnailSize);
    }

    // Masked pixels turn black, as a masked image list wants them.
    void Put(int slot, const TGalleryPicture& picture)
    {
        for (int y = 0; y < ThumbnailSize; ++y) {
            auto* row = static_cast<uint8_t*>(image_.ScanLine(y)) + 3 * ThumbnailSize * slot;
            auto* maskRow = static_cast<uint8_t*>(mask_.ScanLine(y)) + ThumbnailSize / 8 * slot;
            std::memset(maskRow, 0, ThumbnailSize / 8);
            for (int x = 0; x < ThumbnailSize; ++x) {
                const size_t at = static_cast<size_t>(y) * ThumbnailSize + static_cast<size_t>(x);
                const COLORREF color = picture.transparent[at] ? RGB(0, 0, 0) : picture.colors[at];
                row[3 * x] = GetBValue(color);
                row[3 * x + 1] = GetGValue(color);
                row[3 * x + 2] = GetRValue(color);
                // Bit 1, white, is see-through.
                if (picture.transparent[at])
                    maskRow[x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
            }
        }
    }
    // Transparent all over: the picture of a file that shows none.
    void PutBlank(int slot)
    {
        for (int y = 0; y < ThumbnailSize; ++y) {
            std::memset(static_cast<uint8_t*>(image_.ScanLine(y)) + 3 * ThumbnailSize * slot, 0, 3 * ThumbnailSize);
            std::memset(static_cast<uint8_t*>(mask_.ScanLine(y)) + ThumbnailSize / 8 * slot, 0xFF, ThumbnailSize / 8);
        }
    }
    // The index of the first picture in `list`; -1 when the list refused them.
    int AppendTo(TImageList& list) { return ComCtl32::ImageList_Add(list.Handle(), image_.Handle(), mask_.Handle()); }

private:
    TBitmap image_;
    TBitmap mask_;
};

// Where a file's picture comes from.
enum class TPictureSource {
    None,       // no icon to show
    Composed,   // composed in memory
    Icon,       // an .ico's image that only the platform draws: it puts the icon into the list
};

// Composes the gallery's pictures, each from the checked image of a file's icon 0.
class TGalleryPainter {
public:
    explicit TGalleryPainter(TImageList& badges) : badges_(badges) {}

    TPictureSource Compose(const std::string& path, const std::vector<uint8_t>& image, TGalleryPicture& picture)
    {
        if (image.empty())
            return TPictureSource::None;
        const bool library = !IsIconFile(path);
        const int badge = TypeBadgeOf(path);
        if (DecodeIconImage(image.data(), image.size(), pixels_) && pixels_.width == ThumbnailSize &&
            pixels_.height == ThumbnailSize) {
            ComposeDecodedPicture(pixels_, library ? &BadgePixels() : nullptr, badge, picture);
            return TPictureSource::Composed;
        }
        if (library) {
            if (!keyedPainter_)
                keyedPainter_ = std::make_unique<TKeyedImagePainter>();
            if (keyedPainter_->Draw(image, picture)) {
                FinishLibraryPicture(BadgePixels(), badge, picture);
                return TPictureSource::Composed;
            }
        }
        // Scaled, PNG and 16-bit images, and an icon file's with alpha or of one bit: the platform
        // draws them.
        if (!library)
            return TPictureSource::Icon;
        IconHandle icon(MakeIconFromImage(image.data(), image.size(), ThumbnailSize, ThumbnailSize));
        if (!icon)
            return TPictureSource::None;
        ComposeLibraryThumbnail(icon.get(), badges_, badge, scratch_);
        PictureOfThumbnail(scratch_, picture);
        return TPictureSource::Composed;
    }

private:
    const TBadgePixels& BadgePixels()
    {
        if (!badgePixels_)
            badgePixels_ = std::make_unique<TBadgePixels>(badges_);
        return *badgePixels_;
    }

    TImageList& badges_;
    TThumbnail scratch_;
    IconImagePixels pixels_;
    std::unique_ptr<TBadgePixels> badgePixels_;   // made for the first library
    std::unique_ptr<TKeyedImagePainter> keyedPainter_;   // made for the first such image
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

    // Pass 2: one picture per file, blank where the file gives none.
    TGalleryContents contents;
    TGalleryPainter painter(badges);
    TGalleryPicture picture;
    for (size_t start = 0; start < candidates.size(); start += PicturesPerStrip) {
        const int count = static_cast<int>(std::min(candidates.size() - start, size_t(PicturesPerStrip)));
        TPictureStrip strip(count);
        std::vector<TPictureSource> sources;
        for (int slot = 0; slot < count; ++slot) {
            const Candidate& candidate = candidates[start + static_cast<size_t>(slot)];
            sources.push_back(painter.Compose(candidate.path, candidate.image, picture));
            if (sources.back() == TPictureSource::Composed)
                strip.Put(slot, picture);
            else
                strip.PutBlank(slot);
        }
        const int first = strip.AppendTo(images);
        if (first < 0)
            throw EOutOfResources("Die Bilder der Icongalerie können nicht angelegt werden.");
        for (int slot = 0; slot < count; ++slot) {
            const Candidate& candidate = candidates[start + static_cast<size_t>(slot)];
            const int index = first + slot;
            bool pictured = sources[static_cast<size_t>(slot)] == TPictureSource::Composed;
            if (sources[static_cast<size_t>(slot)] == TPictureSource::Icon) {
                IconHandle icon(MakeIconFromImage(candidate.image.data(), candidate.image.size(), ThumbnailSize,
                                                  ThumbnailSize));
                // The blank stays where the platform refuses it.
                pictured = icon && ComCtl32::ImageList_ReplaceIcon(images.Handle(), index, icon.get()) == index;
            }
            contents.files.push_back(candidate.path);
            contents.imageIndexes.push_back(index);
            contents.captions.push_back(pictured ? std::string() : ShownFileName(candidate.path));
        }
    }
    return contents;
}
