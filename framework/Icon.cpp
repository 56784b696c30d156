// TIcon and the checks that a .ico file passes before an icon is made from it.
#include "Icon.h"

#include "BmpFormat.h"
#include "Classes.h"
#include "Exceptions.h"
#include "GdiObject.h"
#include "Graphics.h"

#include <algorithm>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void Invalid(const std::string& why)
{
    throw EInvalidGraphic("Ungültiges Symbol: " + why);
}

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) { return p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24; }
uint32_t BigEndian32(const uint8_t* p) { return uint32_t(p[0]) << 24 | p[1] << 16 | p[2] << 8 | p[3]; }

struct IconImage {
    const uint8_t* data;
    uint32_t size;
    int width;
    int height;
    int bitCount;
};

// Checks one image of the directory (a DIB with its AND mask, or a PNG) and returns its real size.
IconImage CheckImage(const uint8_t* data, uint32_t size, int number)
{
    std::string which = "Bild " + std::to_string(number) + ": ";
    static const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (size >= 8 && std::equal(png, png + 8, data)) {
        // The IHDR chunk comes first: length 13, then width and height.
        if (size < 33 || BigEndian32(data + 8) != 13 || std::string(reinterpret_cast<const char*>(data + 12), 4) != "IHDR")
            Invalid(which + "PNG-Kopf fehlt");
        uint32_t width = BigEndian32(data + 16), height = BigEndian32(data + 20);
        if (width < 1 || width > 256 || height < 1 || height > 256)
            Invalid(which + "ungültige Größe");
        return {data, size, int(width), int(height), 32};
    }
    if (size < 40)
        Invalid(which + "zu kurz");
    uint32_t headerSize = U32(data);
    int32_t width = static_cast<int32_t>(U32(data + 4));
    int32_t doubleHeight = static_cast<int32_t>(U32(data + 8));
    int bitCount = U16(data + 14);
    uint32_t compression = U32(data + 16);
    uint32_t colorsUsed = U32(data + 32);
    if (headerSize < 40 || headerSize > size)
        Invalid(which + "unbekannter Kopf");
    if (width < 1 || width > 256 || doubleHeight < 2 || doubleHeight > 512 || doubleHeight % 2)
        Invalid(which + "ungültige Größe " + std::to_string(width) + " x " + std::to_string(doubleHeight / 2));
    if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)
        Invalid(which + std::to_string(bitCount) + " Bit pro Pixel");
    if (compression != BI_RGB)
        Invalid(which + "komprimierte Bilder werden nicht unterstützt");
    uint64_t colors = colorsUsed;
    if (bitCount <= 8) {
        if (colors == 0)
            colors = uint64_t(1) << bitCount;
        if (colors > (uint64_t(1) << bitCount))
            Invalid(which + "zu viele Farben");
    } else if (colors > 256) {
        Invalid(which + "zu viele Farben");
    }
    int height = doubleHeight / 2;
    uint64_t needed = headerSize + colors * 4 + DibImage::StrideFor(width, bitCount) * uint64_t(height) +
                      DibImage::StrideFor(width, 1) * uint64_t(height);
    if (needed > size)
        Invalid(which + "die Bilddaten sind unvollständig");
    return {data, size, width, height, bitCount};
}

}  // namespace

TIcon::TIcon()
{
    transparent_ = true;
}

TIcon::~TIcon() = default;

void TIcon::SetHandle(HICON icon, int width, int height)
{
    if (icon != handle_.get())
        handle_.reset(icon);
    width_ = icon ? width : 0;
    height_ = icon ? height : 0;
    Changed();
}

void TIcon::SetHandle(HICON icon)
{
    if (icon == handle_.get())
        return;
    handle_.reset(icon);
    width_ = height_ = 0;
    ICONINFO info = {};
    if (icon && GetIconInfo(icon, &info)) {
        // GetIconInfo hands out copies of both bitmaps: they are ours to delete.
        GdiObject<HBITMAP> color(info.hbmColor), mask(info.hbmMask);
        BITMAP bitmap = {};
        if (color && GetObjectA(color.get(), sizeof bitmap, &bitmap)) {
            width_ = bitmap.bmWidth;
            height_ = bitmap.bmHeight;
        } else if (mask && GetObjectA(mask.get(), sizeof bitmap, &bitmap)) {
            width_ = bitmap.bmWidth;
            height_ = bitmap.bmHeight / 2;   // a monochrome icon stacks AND and XOR masks
        }
    }
    Changed();
}

HICON TIcon::ReleaseHandle()
{
    HICON icon = handle_.release();
    width_ = height_ = 0;
    Changed();
    return icon;
}

void TIcon::Assign(const TIcon& source)
{
    if (&source == this)
        return;
    HICON copy = source.handle_ ? CopyIcon(source.handle_.get()) : nullptr;
    if (source.handle_ && !copy)
        throw EOutOfResources("Das Symbol kann nicht kopiert werden.");
    SetHandle(copy);
}

void TIcon::LoadFromStream(TStream& stream)
{
    int64_t size = stream.Size() - stream.Position();
    if (size <= 0 || size > (int64_t(16) << 20))
        Invalid("die Datei ist leer oder zu groß");
    std::vector<uint8_t> data(static_cast<size_t>(size));
    stream.ReadBuffer(data.data(), data.size());
    LoadFromBytes(data.data(), data.size());
}

void TIcon::LoadFromBytes(const uint8_t* data, size_t size)
{
    if (size < 6)
        Invalid("die Datei ist zu kurz");
    if (U16(data) != 0 || U16(data + 2) != 1)
        Invalid("die Datei ist keine Symboldatei");
    int count = U16(data + 4);
    if (count == 0)
        Invalid("die Datei enthält kein Bild");
    if (6 + 16 * size_t(count) > size)
        Invalid("das Verzeichnis ist abgeschnitten");

    // Nearest to the system icon size first, then the most colours, then the earlier entry.
    int wanted = GetSystemMetrics(SM_CXICON);
    bool found = false;
    IconImage best = {};
    // A broken image is passed over; the file is refused only when none is sound.
    std::string firstProblem;
    for (int i = 0; i < count; ++i) {
        const uint8_t* entry = data + 6 + 16 * i;
        uint32_t bytes = U32(entry + 8), offset = U32(entry + 12);
        IconImage image;
        try {
            if (offset > size || bytes > size - offset)
                Invalid("Bild " + std::to_string(i + 1) + " liegt hinter dem Dateiende");
            image = CheckImage(data + offset, bytes, i + 1);
        } catch (const EInvalidGraphic& e) {
            if (firstProblem.empty())
                firstProblem = e.what();
            continue;
        }
        if (!found || std::abs(image.width - wanted) < std::abs(best.width - wanted) ||
            (image.width == best.width && image.bitCount > best.bitCount))
            best = image;
        found = true;
    }
    if (!found)
        throw EInvalidGraphic(firstProblem);
    HICON icon = CreateIconFromResourceEx(const_cast<PBYTE>(best.data), best.size, TRUE, 0x00030000, best.width,
                                          best.height, LR_DEFAULTCOLOR);
    if (!icon)
        Invalid("das Bild kann nicht gelesen werden");
    SetHandle(icon);
}

void TIcon::SaveToStream(TStream&)
{
    throw EInvalidGraphic("Symbole können hier nicht gespeichert werden.");
}

void TIcon::Draw(TCanvas& canvas, const RECT& rect)
{
    if (handle_)
        DrawIconEx(canvas.Handle(), rect.left, rect.top, handle_.get(), rect.right - rect.left, rect.bottom - rect.top, 0,
                   nullptr, DI_NORMAL);
}

std::unique_ptr<TGraphic> TIcon::Clone() const
{
    auto copy = std::make_unique<TIcon>();
    copy->Assign(*this);
    return copy;
}
