// TBitmap over a bottom-up DIB section, and the canvas that draws on it.
#include "Bitmap.h"

#include "Classes.h"
#include "Exceptions.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <string>
#include <unordered_map>

// The bitmap's own canvas: a memory DC made when first drawn on, holding the bitmap selected.
class TBitmapCanvas : public TCanvas {
public:
    explicit TBitmapCanvas(TBitmap& bitmap) : bitmap_(bitmap) {}
    ~TBitmapCanvas() override { FreeContext(); }

    void FreeContext()
    {
        if (!memoryDC_)
            return;
        FreeHandle();
        selection_.reset();
        memoryDC_.reset();
    }

protected:
    void CreateHandle() override
    {
        auto dc = std::make_unique<MemoryDC>();
        if (!*dc)
            throw EOutOfResources("Für das Bitmap kann kein Gerätekontext erzeugt werden.");
        if (bitmap_.handle_) {
            selection_ = std::make_unique<SelectedObject>(dc->get(), bitmap_.handle_.get());
            if (!selection_->Selected())
                throw EOutOfResources("Das Bitmap ist in einem anderen Gerätekontext ausgewählt.");
        }
        memoryDC_ = std::move(dc);
        SetHandle(memoryDC_->get());
    }

private:
    TBitmap& bitmap_;
    std::unique_ptr<MemoryDC> memoryDC_;
    std::unique_ptr<SelectedObject> selection_;
};

namespace {

int BitsOf(TPixelFormat format)
{
    switch (format) {
    case pf1bit: return 1;
    case pf4bit: return 4;
    case pf8bit: return 8;
    case pf32bit: return 32;
    default: return 24;
    }
}

TPixelFormat FormatOf(int bits)
{
    switch (bits) {
    case 1: return pf1bit;
    case 4: return pf4bit;
    case 8: return pf8bit;
    case 32: return pf32bit;
    default: return pf24bit;
    }
}

RGBQUAD Quad(BYTE red, BYTE green, BYTE blue)
{
    return RGBQUAD{blue, green, red, 0};
}

// Black and white; the sixteen VGA colours; those, a 6x6x6 cube and a grey ramp.
std::vector<RGBQUAD> StandardPalette(int bits)
{
    static const BYTE vga[16][3] = {
        {0, 0, 0},       {128, 0, 0},   {0, 128, 0},   {128, 128, 0}, {0, 0, 128},   {128, 0, 128},
        {0, 128, 128},   {192, 192, 192}, {128, 128, 128}, {255, 0, 0}, {0, 255, 0},   {255, 255, 0},
        {0, 0, 255},     {255, 0, 255}, {0, 255, 255}, {255, 255, 255},
    };
    std::vector<RGBQUAD> colors;
    if (bits == 1) {
        colors = {Quad(0, 0, 0), Quad(255, 255, 255)};
    } else if (bits == 4 || bits == 8) {
        for (const auto& c : vga)
            colors.push_back(Quad(c[0], c[1], c[2]));
    }
    if (bits == 8) {
        for (int r = 0; r < 6; ++r)
            for (int g = 0; g < 6; ++g)
                for (int b = 0; b < 6; ++b)
                    colors.push_back(Quad(BYTE(r * 51), BYTE(g * 51), BYTE(b * 51)));
        for (int i = 1; colors.size() < 256; ++i)
            colors.push_back(Quad(BYTE(i * 10), BYTE(i * 10), BYTE(i * 10)));
    }
    return colors;
}

size_t StrideOf(int width, int bits)
{
    return DibImage::StrideFor(width, bits);
}

// A pixel as stored: a colour-table index, or blue | green << 8 | red << 16 (| alpha << 24).
uint32_t RawPixel(const uint8_t* row, int x, int bits)
{
    switch (bits) {
    case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
    case 4: return (row[x >> 1] >> (x & 1 ? 0 : 4)) & 0x0F;
    case 8: return row[x];
    case 24: return row[3 * x] | row[3 * x + 1] << 8 | row[3 * x + 2] << 16;
    default: return row[4 * x] | row[4 * x + 1] << 8 | row[4 * x + 2] << 16 | uint32_t(row[4 * x + 3]) << 24;
    }
}

void SetRawPixel(uint8_t* row, int x, int bits, uint32_t value)
{
    switch (bits) {
    case 1: {
        uint8_t bit = uint8_t(0x80 >> (x & 7));
        row[x >> 3] = value ? row[x >> 3] | bit : row[x >> 3] & ~bit;
        break;
    }
    case 4:
        if (x & 1)
            row[x >> 1] = uint8_t((row[x >> 1] & 0xF0) | (value & 0x0F));
        else
            row[x >> 1] = uint8_t((row[x >> 1] & 0x0F) | (value & 0x0F) << 4);
        break;
    case 8:
        row[x] = uint8_t(value);
        break;
    case 24:
        row[3 * x] = uint8_t(value);
        row[3 * x + 1] = uint8_t(value >> 8);
        row[3 * x + 2] = uint8_t(value >> 16);
        break;
    default:
        std::memcpy(row + 4 * x, &value, 4);
        break;
    }
}

COLORREF ToColorRef(uint32_t raw, int bits, const std::vector<RGBQUAD>& colors)
{
    if (bits <= 8) {
        if (raw >= colors.size())
            return 0;
        const RGBQUAD& q = colors[raw];
        return RGB(q.rgbRed, q.rgbGreen, q.rgbBlue);
    }
    return RGB(raw >> 16 & 0xFF, raw >> 8 & 0xFF, raw & 0xFF);
}

// Turns colours into stored pixels of one format, looking up palette indexes once per colour.
class PixelEncoder {
public:
    PixelEncoder(int bits, const std::vector<RGBQUAD>& colors) : bits_(bits), colors_(colors) {}

    uint32_t operator()(COLORREF color)
    {
        if (bits_ > 8)
            return GetBValue(color) | GetGValue(color) << 8 | GetRValue(color) << 16;
        auto found = cache_.find(color);
        if (found != cache_.end())
            return found->second;
        uint32_t best = 0;
        int bestDistance = INT_MAX;
        for (size_t i = 0; i < colors_.size(); ++i) {
            int dr = colors_[i].rgbRed - GetRValue(color);
            int dg = colors_[i].rgbGreen - GetGValue(color);
            int db = colors_[i].rgbBlue - GetBValue(color);
            int distance = dr * dr + dg * dg + db * db;
            if (distance < bestDistance) {
                bestDistance = distance;
                best = static_cast<uint32_t>(i);
            }
        }
        cache_[color] = best;
        return best;
    }

private:
    int bits_;
    const std::vector<RGBQUAD>& colors_;
    std::unordered_map<COLORREF, uint32_t> cache_;
};

struct DibSection {
    GdiObject<HBITMAP> handle;
    void* bits = nullptr;
};

void CheckSize(int width, int height)
{
    if (width < 0 || height < 0)
        throw EInvalidGraphic("Ungültige Bitmapgröße " + std::to_string(width) + " x " + std::to_string(height) + ".");
    if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > BmpMaxPixels)
        throw EInvalidGraphic("Das Bitmap ist zu groß (" + std::to_string(width) + " x " + std::to_string(height) + ").");
}

// A BITMAPINFO block of a bottom-up BI_RGB DIB holding `colors`, with room for 256 entries.
std::vector<uint8_t> DibInfo(int width, int height, int bits, const std::vector<RGBQUAD>& colors)
{
    std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
    header->biSize = sizeof(BITMAPINFOHEADER);
    header->biWidth = width;
    header->biHeight = height;
    header->biPlanes = 1;
    header->biBitCount = static_cast<WORD>(bits);
    header->biCompression = BI_RGB;
    header->biClrUsed = static_cast<DWORD>(colors.size());
    if (!colors.empty())
        std::memcpy(info.data() + sizeof(BITMAPINFOHEADER), colors.data(), colors.size() * sizeof(RGBQUAD));
    return info;
}

// A bottom-up DIB section; the colour table is padded with black to its full size.
DibSection CreateDib(int width, int height, int bits, std::vector<RGBQUAD>& colors)
{
    if (bits <= 8)
        colors.resize(size_t(1) << bits, RGBQUAD{0, 0, 0, 0});
    else
        colors.clear();
    std::vector<uint8_t> info = DibInfo(width, height, bits, colors);
    DibSection dib;
    dib.handle.reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS,
                                      &dib.bits, nullptr, 0));
    if (!dib.handle || !dib.bits)
        throw EOutOfResources("Für ein Bitmap von " + std::to_string(width) + " x " + std::to_string(height) +
                              " Pixeln ist nicht genug Speicher frei.");
    return dib;
}

void FillWhite(void* bits, int width, int height, int bitCount, const std::vector<RGBQUAD>& colors)
{
    uint8_t pattern = 0xFF;
    if (bitCount <= 8) {
        uint32_t white = PixelEncoder(bitCount, colors)(RGB(255, 255, 255));
        pattern = bitCount == 1 ? (white ? 0xFF : 0x00) : bitCount == 4 ? uint8_t(white << 4 | white) : uint8_t(white);
    }
    std::memset(bits, pattern, StrideOf(width, bitCount) * height);
}

}  // namespace

struct TBitmap::TransparentMasks {
    COLORREF key = 0;
    bool current = false;   // made from the pixels as they are
    TBitmap mask;    // 1 bit, white where see-through
    TBitmap black;   // the pixels, black where see-through
};

TBitmap::TBitmap() : colors_(StandardPalette(24)) {}

void TBitmap::PixelsTouched()
{
    // Made again in place, DCs and all, when next drawn: a picture shown while it is being drawn
    // (the editor's preview) changes often.
    if (masks_)
        masks_->current = false;
}

TBitmap::TBitmap(int width, int height, TPixelFormat format) : TBitmap()
{
    SetPixelFormat(format);
    SetSize(width, height);
}

TBitmap::~TBitmap()
{
    // The canvas's DC must let go of the bitmap before the bitmap is deleted.
    canvas_.reset();
}

size_t TBitmap::Stride() const
{
    return StrideOf(width_, BitsOf(format_));
}

uint8_t* TBitmap::Row(int row) const
{
    return static_cast<uint8_t*>(bits_) + Stride() * static_cast<size_t>(height_ - 1 - row);
}

void TBitmap::FreeContext()
{
    if (canvas_)
        canvas_->FreeContext();
}

void TBitmap::Replace(GdiObject<HBITMAP> handle, void* bits, int width, int height, TPixelFormat format,
                      std::vector<RGBQUAD> colors)
{
    FreeContext();
    PixelsTouched();
    handle_ = std::move(handle);
    bits_ = bits;
    width_ = handle_ ? width : 0;
    height_ = handle_ ? height : 0;
    format_ = format;
    colors_ = std::move(colors);
    Changed();
}

TCanvas& TBitmap::Canvas()
{
    PixelsTouched();
    if (!canvas_) {
        canvas_ = std::make_unique<TBitmapCanvas>(*this);
        canvas_->OnChange = [this] {
            PixelsTouched();
            Changed();
        };
    }
    return *canvas_;
}

void TBitmap::SetSize(int width, int height)
{
    CheckSize(width, height);
    if (width == width_ && height == height_)
        return;
    if (width == 0 || height == 0) {
        Replace({}, nullptr, 0, 0, format_, colors_);
        return;
    }
    int bits = BitsOf(format_);
    std::vector<RGBQUAD> colors = colors_;
    DibSection dib = CreateDib(width, height, bits, colors);
    FillWhite(dib.bits, width, height, bits, colors);
    if (bits_) {
        GdiFlush();
        size_t newStride = StrideOf(width, bits);
        int keepWidth = std::min(width, width_), keepHeight = std::min(height, height_);
        for (int y = 0; y < keepHeight; ++y) {
            const uint8_t* from = Row(y);
            uint8_t* to = static_cast<uint8_t*>(dib.bits) + newStride * static_cast<size_t>(height - 1 - y);
            if (bits >= 8)
                std::memcpy(to, from, static_cast<size_t>(keepWidth) * (bits / 8));
            else
                for (int x = 0; x < keepWidth; ++x)
                    SetRawPixel(to, x, bits, RawPixel(from, x, bits));
        }
    }
    Replace(std::move(dib.handle), dib.bits, width, height, format_, std::move(colors));
}

void TBitmap::SetPixelFormat(TPixelFormat format)
{
    if (format == pfDevice)
        format = pf24bit;
    if (format == format_)
        return;
    int oldBits = BitsOf(format_), bits = BitsOf(format);
    std::vector<RGBQUAD> colors = StandardPalette(bits);
    if (Empty()) {
        Replace({}, nullptr, 0, 0, format, std::move(colors));
        return;
    }
    DibSection dib = CreateDib(width_, height_, bits, colors);
    GdiFlush();
    PixelEncoder encode(bits, colors);
    size_t stride = StrideOf(width_, bits);
    for (int y = 0; y < height_; ++y) {
        const uint8_t* from = Row(y);
        uint8_t* to = static_cast<uint8_t*>(dib.bits) + stride * static_cast<size_t>(height_ - 1 - y);
        for (int x = 0; x < width_; ++x)
            SetRawPixel(to, x, bits, encode(ToColorRef(RawPixel(from, x, oldBits), oldBits, colors_)));
    }
    Replace(std::move(dib.handle), dib.bits, width_, height_, format, std::move(colors));
}

void TBitmap::Mask(TColor transparentColor)
{
    COLORREF key = ColorToRGB(transparentColor);
    int oldBits = BitsOf(format_);
    std::vector<RGBQUAD> colors = StandardPalette(1);
    if (Empty()) {
        Replace({}, nullptr, 0, 0, pf1bit, std::move(colors));
        return;
    }
    DibSection dib = CreateDib(width_, height_, 1, colors);
    GdiFlush();
    size_t stride = StrideOf(width_, 1);
    for (int y = 0; y < height_; ++y) {
        const uint8_t* from = Row(y);
        uint8_t* to = static_cast<uint8_t*>(dib.bits) + stride * static_cast<size_t>(height_ - 1 - y);
        for (int x = 0; x < width_; ++x)
            SetRawPixel(to, x, 1, ToColorRef(RawPixel(from, x, oldBits), oldBits, colors_) == key);
    }
    Replace(std::move(dib.handle), dib.bits, width_, height_, pf1bit, std::move(colors));
}

void TBitmap::SetMonochrome(bool monochrome)
{
    if (monochrome == Monochrome())
        return;
    if (monochrome)
        Mask(Canvas().Brush().Color());
    else
        SetPixelFormat(pf24bit);
}

void* TBitmap::ScanLine(int row)
{
    PixelsTouched();
    return const_cast<void*>(static_cast<const TBitmap*>(this)->ScanLine(row));
}

const void* TBitmap::ScanLine(int row) const
{
    if (row < 0 || row >= height_)
        throw Exception("Zeile " + std::to_string(row) + " liegt außerhalb des Bitmaps.");
    GdiFlush();
    return Row(row);
}

TColor TBitmap::PixelColor(int x, int y) const
{
    if (x < 0 || y < 0 || x >= width_ || y >= height_)
        return clNone;
    GdiFlush();
    int bits = BitsOf(format_);
    return static_cast<TColor>(ToColorRef(RawPixel(Row(y), x, bits), bits, colors_));
}

void TBitmap::Assign(const TBitmap& source)
{
    if (&source == this)
        return;
    if (source.Empty()) {
        Replace({}, nullptr, 0, 0, source.format_, source.colors_);
    } else if (source.width_ == width_ && source.height_ == height_ && source.format_ == format_ &&
               source.colors_.size() == colors_.size() &&
               std::equal(source.colors_.begin(), source.colors_.end(), colors_.begin(),
                          [](const RGBQUAD& a, const RGBQUAD& b) { return std::memcmp(&a, &b, sizeof a) == 0; })) {
        // The same shape: the pixels go into the bitmap there is, which makes no new one.
        GdiFlush();
        PixelsTouched();
        std::memcpy(bits_, source.bits_, Stride() * static_cast<size_t>(height_));
        Changed();
    } else {
        std::vector<RGBQUAD> colors = source.colors_;
        int bits = BitsOf(source.format_);
        DibSection dib = CreateDib(source.width_, source.height_, bits, colors);
        GdiFlush();
        std::memcpy(dib.bits, source.bits_, source.Stride() * static_cast<size_t>(source.height_));
        Replace(std::move(dib.handle), dib.bits, source.width_, source.height_, source.format_, std::move(colors));
    }
    transparent_ = source.transparent_;
    transparentMode_ = source.transparentMode_;
    transparentColor_ = source.transparentColor_;
}

void TBitmap::Assign(TGraphic& source)
{
    if (auto* bitmap = dynamic_cast<TBitmap*>(&source)) {
        Assign(*bitmap);
        return;
    }
    SetSize(0, 0);
    SetPixelFormat(pf24bit);
    SetSize(source.Width(), source.Height());
    if (!Empty())
        Canvas().StretchDraw(RECT{0, 0, width_, height_}, source);
}

HBITMAP TBitmap::Handle()
{
    FreeContext();
    PixelsTouched();
    return handle_.get();
}

HBITMAP TBitmap::ReleaseHandle()
{
    FreeContext();
    HBITMAP handle = handle_.release();
    Replace({}, nullptr, 0, 0, format_, colors_);
    return handle;
}

void TBitmap::SetHandle(HBITMAP bitmap)
{
    if (bitmap && bitmap == handle_.get())
        return;
    GdiObject<HBITMAP> owned(bitmap);
    if (!bitmap) {
        Replace({}, nullptr, 0, 0, format_, colors_);
        return;
    }
    BITMAP info = {};
    if (!GetObjectA(bitmap, sizeof info, &info))
        throw EInvalidGraphic("Ungültiges Bitmap-Handle.");
    int width = info.bmWidth, height = info.bmHeight < 0 ? -info.bmHeight : info.bmHeight;
    CheckSize(width, height);
    int sourceBits = info.bmBitsPixel * info.bmPlanes;
    int bits = sourceBits == 1 ? 1 : sourceBits == 32 ? 32 : 24;
    if (width == 0 || height == 0) {
        Replace({}, nullptr, 0, 0, FormatOf(bits), StandardPalette(bits));
        return;
    }
    std::vector<RGBQUAD> colors = StandardPalette(bits);
    DibSection dib = CreateDib(width, height, bits, colors);
    // GetDIBits fills in the colour table that it converted to.
    std::vector<uint8_t> infoBuffer = DibInfo(width, height, bits, {});
    WindowDC screen;
    if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(height), dib.bits,
                  reinterpret_cast<BITMAPINFO*>(infoBuffer.data()), DIB_RGB_COLORS) != height)
        throw EInvalidGraphic("Die Pixel des Bitmaps können nicht gelesen werden.");
    if (bits == 1) {
        std::memcpy(colors.data(), infoBuffer.data() + sizeof(BITMAPINFOHEADER), 2 * sizeof(RGBQUAD));
        MemoryDC dc;
        SelectedObject select(dc.get(), dib.handle.get());
        SetDIBColorTable(dc.get(), 0, 2, colors.data());
    }
    Replace(std::move(dib.handle), dib.bits, width, height, FormatOf(bits), std::move(colors));
}

DibImage TBitmap::ToDib() const
{
    DibImage image;
    image.Width = width_;
    image.Height = height_;
    image.BitCount = BitsOf(format_);
    if (image.BitCount <= 8)
        image.Colors = colors_;
    if (!Empty()) {
        GdiFlush();
        const auto* bits = static_cast<const uint8_t*>(bits_);
        image.Pixels.assign(bits, bits + Stride() * static_cast<size_t>(height_));
    }
    return image;
}

void TBitmap::FromDib(const DibImage& image)
{
    int bits = image.BitCount;
    if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32)
        throw EInvalidGraphic("Ungültiges Bitmap: " + std::to_string(bits) + " Bit pro Pixel werden nicht unterstützt.");
    CheckSize(image.Width, image.Height);
    if (image.Width == 0 || image.Height == 0) {
        Replace({}, nullptr, 0, 0, FormatOf(bits), StandardPalette(bits));
        return;
    }
    size_t size = image.Stride() * static_cast<size_t>(image.Height);
    if (image.Pixels.size() < size || (bits <= 8 && image.Colors.size() > (size_t(1) << bits)))
        throw EInvalidGraphic("Ungültiges Bitmap: die Bilddaten passen nicht zur Größe.");
    std::vector<RGBQUAD> colors = image.Colors;
    DibSection dib = CreateDib(image.Width, image.Height, bits, colors);
    std::memcpy(dib.bits, image.Pixels.data(), size);
    Replace(std::move(dib.handle), dib.bits, image.Width, image.Height, FormatOf(bits), std::move(colors));
}

void TBitmap::ReadDirectly(const std::function<DibImage(const DibPixelTarget&)>& read)
{
    DibSection dib;
    std::vector<RGBQUAD> colors;
    const DibImage image = read([&](const DibImage& layout) {
        CheckSize(layout.Width, layout.Height);
        colors = layout.Colors;
        dib = CreateDib(layout.Width, layout.Height, layout.BitCount, colors);
        return static_cast<uint8_t*>(dib.bits);
    });
    Replace(std::move(dib.handle), dib.bits, image.Width, image.Height, FormatOf(image.BitCount), std::move(colors));
}

void TBitmap::LoadFromStream(TStream& stream)
{
    int64_t size = stream.Size() - stream.Position();
    if (size <= 0 || size > (int64_t(256) << 20))
        throw EInvalidGraphic("Ungültiges Bitmap: die Datei ist leer oder zu groß.");
    std::vector<uint8_t> data(static_cast<size_t>(size));
    stream.ReadBuffer(data.data(), data.size());
    ReadDirectly([&](const DibPixelTarget& target) { return ReadBmpFile(data.data(), data.size(), target); });
}

void TBitmap::SaveToStream(TStream& stream)
{
    if (Empty())
        throw EInvalidGraphic("Ein leeres Bitmap kann nicht gespeichert werden.");
    std::vector<uint8_t> data = WriteBmpFile(ToDib());
    stream.WriteBuffer(data.data(), data.size());
}

void TBitmap::LoadFromResourceName(HINSTANCE instance, const char* name)
{
    std::string shown = IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<uintptr_t>(name)) : name;
    HRSRC resource = FindResourceA(instance, name, MAKEINTRESOURCEA(2) /* RT_BITMAP */);
    HGLOBAL loaded = resource ? LoadResource(instance, resource) : nullptr;
    const void* data = loaded ? LockResource(loaded) : nullptr;
    if (!data)
        throw EInvalidGraphic("Die Bitmap-Ressource \"" + shown + "\" wurde nicht gefunden.");
    ReadDirectly([&](const DibPixelTarget& target) {
        return ReadPackedDib(static_cast<const uint8_t*>(data), SizeofResource(instance, resource), target);
    });
}

void TBitmap::Draw(TCanvas& canvas, const RECT& rect)
{
    if (Empty())
        return;
    // Two colours may come out in the text and background colours the canvas sets.
    HDC dest = Monochrome() ? canvas.Handle() : canvas.PlainHandle();
    int width = rect.right - rect.left, height = rect.bottom - rect.top;
    TColor key = Transparent() ? TransparentColor() : clNone;
    if (key != clNone && key != clDefault) {
        if (DrawMasked(dest, rect, ColorToRGB(key) & 0x00FFFFFF))
            return;
        GdiTransparentBlt(dest, rect.left, rect.top, width, height, Canvas().Handle(), 0, 0, width_, height_,
                          ColorToRGB(key) & 0x00FFFFFF);
    } else {
        StretchBlt(dest, rect.left, rect.top, width, height, Canvas().Handle(), 0, 0, width_, height_,
                   canvas.CopyMode());
    }
}

bool TBitmap::DrawMasked(HDC dest, const RECT& rect, COLORREF key)
{
    if (rect.right - rect.left != width_ || rect.bottom - rect.top != height_ || format_ != pf24bit)
        return false;
    if (!masks_ || masks_->mask.Width() != width_ || masks_->mask.Height() != height_) {
        masks_ = std::make_unique<TransparentMasks>();
        masks_->mask.SetPixelFormat(pf1bit);
        masks_->mask.SetSize(width_, height_);
        masks_->black.SetSize(width_, height_);
    }
    if (!masks_->current || masks_->key != key) {
        const uint8_t blue = GetBValue(key), green = GetGValue(key), red = GetRValue(key);
        GdiFlush();
        for (int y = 0; y < height_; ++y) {
            const uint8_t* pixel = Row(y);
            auto* mask = static_cast<uint8_t*>(masks_->mask.ScanLine(y));
            auto* black = static_cast<uint8_t*>(masks_->black.ScanLine(y));
            for (int x = 0; x < width_; ++x, pixel += 3, black += 3) {
                const bool seeThrough = pixel[0] == blue && pixel[1] == green && pixel[2] == red;
                SetRawPixel(mask, x, 1, seeThrough);
                if (seeThrough)
                    std::memset(black, 0, 3);
                else
                    std::memcpy(black, pixel, 3);
            }
        }
        masks_->key = key;
        masks_->current = true;
    }
    // Where the mask is white the screen stays; elsewhere it becomes the pixel.
    const COLORREF text = SetTextColor(dest, RGB(0, 0, 0)), back = SetBkColor(dest, RGB(255, 255, 255));
    const int width = width_, height = height_;
    BitBlt(dest, rect.left, rect.top, width, height, masks_->mask.Canvas().Handle(), 0, 0, SRCAND);
    BitBlt(dest, rect.left, rect.top, width, height, masks_->black.Canvas().Handle(), 0, 0, SRCPAINT);
    SetTextColor(dest, text);
    SetBkColor(dest, back);
    return true;
}

std::unique_ptr<TGraphic> TBitmap::Clone() const
{
    auto copy = std::make_unique<TBitmap>();
    copy->Assign(*this);
    return copy;
}

TColor TBitmap::TransparentColor() const
{
    if (transparentMode_ == tmFixed)
        return transparentColor_;
    return PixelColor(0, height_ - 1);
}

void TBitmap::SetTransparentColor(TColor color)
{
    transparentColor_ = color;
    transparentMode_ = color == clDefault ? tmAuto : tmFixed;
    Changed();
}

void TBitmap::SetTransparentMode(TTransparentMode mode)
{
    if (mode == transparentMode_)
        return;
    transparentMode_ = mode;
    if (mode == tmFixed && transparentColor_ == clDefault)
        transparentColor_ = PixelColor(0, height_ - 1);
    Changed();
}
