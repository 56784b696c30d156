// The BMP reader checks each field against the buffer before using it; the writer emits BI_RGB.
#include "BmpFormat.h"

#include "Exceptions.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>

namespace {

constexpr size_t FileHeaderSize = 14;
constexpr size_t CoreHeaderSize = 12;

[[noreturn]] void Invalid(const std::string& why)
{
    throw EInvalidGraphic("Ungültiges Bitmap: " + why);
}

// Little-endian fields of a buffer; every access is checked against its end.
class Bytes {
public:
    Bytes(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t Size() const { return size_; }
    bool Has(uint64_t at, uint64_t count) const { return at <= size_ && count <= size_ - at; }
    void Need(uint64_t at, uint64_t count, const char* what) const
    {
        if (!Has(at, count))
            Invalid(what);
    }
    const uint8_t* At(size_t at) const { return data_ + at; }
    uint16_t U16(size_t at) const
    {
        Need(at, 2, "die Datei ist zu kurz");
        return static_cast<uint16_t>(data_[at] | data_[at + 1] << 8);
    }
    uint32_t U32(size_t at) const
    {
        Need(at, 4, "die Datei ist zu kurz");
        return data_[at] | data_[at + 1] << 8 | data_[at + 2] << 16 | uint32_t(data_[at + 3]) << 24;
    }
    int32_t I32(size_t at) const { return static_cast<int32_t>(U32(at)); }

private:
    const uint8_t* data_;
    size_t size_;
};

// One channel of a bit-field pixel, scaled to 0..255.
class Channel {
public:
    explicit Channel(uint32_t mask) : mask_(mask)
    {
        if (!mask)
            return;
        while (!(mask >> shift_ & 1))
            ++shift_;
        for (uint32_t m = mask >> shift_; m & 1; m >>= 1)
            ++bits_;
    }
    uint8_t operator()(uint32_t pixel) const
    {
        if (!mask_)
            return 0;
        uint32_t max = bits_ >= 32 ? 0xFFFFFFFFu : (1u << bits_) - 1;
        uint32_t value = std::min((pixel & mask_) >> shift_, max);
        if (bits_ >= 8)
            return static_cast<uint8_t>(value >> (bits_ - 8));
        return static_cast<uint8_t>((value * 255 + max / 2) / max);
    }

private:
    uint32_t mask_;
    int shift_ = 0;
    int bits_ = 0;
};

struct Header {
    bool core = false;
    size_t size = 0;
    int64_t width = 0;
    int64_t height = 0;   // negative: top-down
    int planes = 0;
    int bitCount = 0;
    uint32_t compression = BI_RGB;
    uint32_t colorsUsed = 0;
    uint32_t masks[4] = {};   // red, green, blue, alpha
};

Header ReadHeader(const Bytes& in, size_t at)
{
    Header h;
    h.size = in.U32(at);
    in.Need(at, h.size, "der Bitmap-Kopf ist abgeschnitten");
    if (h.size == CoreHeaderSize) {
        h.core = true;
        h.width = in.U16(at + 4);
        h.height = in.U16(at + 6);
        h.planes = in.U16(at + 8);
        h.bitCount = in.U16(at + 10);
        return h;
    }
    // BITMAPINFOHEADER, its two bit-field extensions, V4 and V5.
    if (h.size != 40 && h.size != 52 && h.size != 56 && h.size != 108 && h.size != 124)
        Invalid("unbekannter Bitmap-Kopf (" + std::to_string(h.size) + " Bytes)");
    h.width = in.I32(at + 4);
    h.height = in.I32(at + 8);
    h.planes = in.U16(at + 12);
    h.bitCount = in.U16(at + 14);
    h.compression = in.U32(at + 16);
    h.colorsUsed = in.U32(at + 32);
    if (h.compression == BI_BITFIELDS) {
        // Right behind a plain 40-byte header, or inside the larger ones: at offset 40 either way.
        for (int i = 0; i < 3; ++i)
            h.masks[i] = in.U32(at + 40 + 4 * i);
        if (h.size >= 56)
            h.masks[3] = in.U32(at + 52);
    }
    return h;
}

void CheckHeader(const Header& h)
{
    if (h.width <= 0)
        Invalid("die Breite " + std::to_string(h.width) + " ist ungültig");
    if (h.height == 0 || h.height == INT32_MIN)
        Invalid("die Höhe " + std::to_string(h.height) + " ist ungültig");
    if (h.planes != 1)
        Invalid(std::to_string(h.planes) + " Farbebenen");
    int b = h.bitCount;
    if (b != 1 && b != 4 && b != 8 && b != 16 && b != 24 && b != 32)
        Invalid(std::to_string(b) + " Bit pro Pixel werden nicht unterstützt");
    if (h.compression == BI_RLE4 || h.compression == BI_RLE8)
        Invalid("komprimierte Bitmaps (RLE) werden nicht unterstützt");
    if (h.compression == BI_BITFIELDS ? b != 16 && b != 32 : h.compression != BI_RGB)
        Invalid("die Kompressionsart " + std::to_string(h.compression) + " wird nicht unterstützt");
    uint64_t rows = static_cast<uint64_t>(h.height < 0 ? -h.height : h.height);
    if (static_cast<uint64_t>(h.width) * rows > BmpMaxPixels)
        Invalid("das Bild ist mit " + std::to_string(h.width) + " x " + std::to_string(rows) + " Pixeln zu groß");
}

DibImage ParseDib(const Bytes& in, size_t headerAt, std::optional<uint32_t> fileDataOffset,
                  const DibPixelTarget& target)
{
    Header h = ReadHeader(in, headerAt);
    CheckHeader(h);
    bool topDown = h.height < 0;
    int width = static_cast<int>(h.width);
    int height = static_cast<int>(topDown ? -h.height : h.height);

    // Colour table: behind the header (and behind separate bit-field masks).
    uint64_t tableAt = headerAt + h.size;
    if (h.compression == BI_BITFIELDS && h.size == 40)
        tableAt += 12;
    size_t entrySize = h.core ? 3 : 4;
    uint64_t colorCount = h.colorsUsed;
    if (h.bitCount <= 8) {
        uint64_t maximum = uint64_t(1) << h.bitCount;
        if (colorCount == 0)
            colorCount = maximum;
        if (colorCount > maximum)
            Invalid(std::to_string(colorCount) + " Farben bei " + std::to_string(h.bitCount) + " Bit pro Pixel");
    } else if (colorCount > 256) {
        Invalid("die Farbtabelle ist mit " + std::to_string(colorCount) + " Einträgen zu groß");
    }
    in.Need(tableAt, colorCount * entrySize, "die Farbtabelle ist abgeschnitten");

    uint64_t dataAt = tableAt + colorCount * entrySize;
    if (fileDataOffset && *fileDataOffset != 0) {
        if (*fileDataOffset < headerAt + h.size)
            Invalid("der Beginn der Bilddaten liegt im Kopf");
        dataAt = *fileDataOffset;
    }
    if (dataAt > in.Size())
        Invalid("der Beginn der Bilddaten liegt hinter dem Dateiende");
    size_t sourceStride = DibImage::StrideFor(width, h.bitCount);
    in.Need(dataAt, static_cast<uint64_t>(sourceStride) * static_cast<uint64_t>(height),
            "die Bilddaten sind unvollständig");

    DibImage image;
    image.Width = width;
    image.Height = height;
    if (h.bitCount <= 8) {
        image.BitCount = h.bitCount;
        image.Colors.resize(static_cast<size_t>(colorCount));
        for (size_t i = 0; i < image.Colors.size(); ++i) {
            const uint8_t* entry = in.At(static_cast<size_t>(tableAt) + i * entrySize);
            image.Colors[i] = RGBQUAD{entry[0], entry[1], entry[2], 0};
        }
    } else {
        image.BitCount = h.bitCount == 16 ? 24 : h.bitCount;
    }

    bool plainCopy = h.bitCount != 16 &&
                     (h.compression == BI_RGB ||
                      (h.masks[0] == 0xFF0000 && h.masks[1] == 0xFF00 && h.masks[2] == 0xFF));
    Channel red(h.bitCount == 16 && h.compression == BI_RGB ? 0x7C00 : h.masks[0]);
    Channel green(h.bitCount == 16 && h.compression == BI_RGB ? 0x03E0 : h.masks[1]);
    Channel blue(h.bitCount == 16 && h.compression == BI_RGB ? 0x001F : h.masks[2]);
    Channel alpha(h.masks[3]);

    size_t stride = image.Stride();
    uint8_t* pixels = nullptr;
    if (target) {
        pixels = target(image);
    } else {
        image.Pixels.assign(stride * static_cast<size_t>(height), 0);
        pixels = image.Pixels.data();
    }
    for (int y = 0; y < height; ++y) {
        // Our rows are bottom-up; a top-down file stores the top row first.
        const uint8_t* from = in.At(static_cast<size_t>(dataAt) + sourceStride * static_cast<size_t>(y));
        uint8_t* to = pixels + stride * static_cast<size_t>(topDown ? height - 1 - y : y);
        if (plainCopy) {
            std::memcpy(to, from, std::min(stride, sourceStride));
            continue;
        }
        int bytesPerPixel = h.bitCount / 8;
        for (int x = 0; x < width; ++x) {
            const uint8_t* p = from + static_cast<size_t>(x) * bytesPerPixel;
            uint32_t pixel = bytesPerPixel == 2 ? uint32_t(p[0] | p[1] << 8)
                                                : p[0] | p[1] << 8 | p[2] << 16 | uint32_t(p[3]) << 24;
            uint8_t* q = to + static_cast<size_t>(x) * (image.BitCount / 8);
            q[0] = blue(pixel);
            q[1] = green(pixel);
            q[2] = red(pixel);
            if (image.BitCount == 32)
                q[3] = alpha(pixel);
        }
    }
    return image;
}

void CheckImage(const DibImage& image)
{
    int b = image.BitCount;
    if (image.Width <= 0 || image.Height <= 0 || (b != 1 && b != 4 && b != 8 && b != 24 && b != 32) ||
        (b <= 8 && image.Colors.size() > (size_t(1) << b)) ||
        image.Pixels.size() < image.Stride() * static_cast<size_t>(image.Height))
        throw EInvalidGraphic("Das Bitmap kann so nicht geschrieben werden.");
}

void Put16(std::vector<uint8_t>& out, uint32_t value)
{
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t value)
{
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

}  // namespace

DibImage ReadBmpFile(const uint8_t* data, size_t size, const DibPixelTarget& target)
{
    Bytes in(data, size);
    if (!in.Has(0, FileHeaderSize + 4))
        Invalid("die Datei ist zu kurz");
    if (data[0] != 'B' || data[1] != 'M')
        Invalid("die Datei ist keine BMP-Datei");
    return ParseDib(in, FileHeaderSize, in.U32(10), target);
}

DibImage ReadPackedDib(const uint8_t* data, size_t size, const DibPixelTarget& target)
{
    return ParseDib(Bytes(data, size), 0, std::nullopt, target);
}

std::vector<uint8_t> WritePackedDib(const DibImage& image)
{
    CheckImage(image);
    size_t pixelBytes = image.Stride() * static_cast<size_t>(image.Height);
    size_t colors = image.BitCount <= 8 ? image.Colors.size() : 0;
    std::vector<uint8_t> out;
    out.reserve(40 + colors * 4 + pixelBytes);
    Put32(out, 40);
    Put32(out, static_cast<uint32_t>(image.Width));
    Put32(out, static_cast<uint32_t>(image.Height));
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(image.BitCount));
    Put32(out, BI_RGB);
    Put32(out, static_cast<uint32_t>(pixelBytes));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(colors));
    Put32(out, 0);
    for (size_t i = 0; i < colors; ++i) {
        const RGBQUAD& c = image.Colors[i];
        out.insert(out.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed, 0});
    }
    out.insert(out.end(), image.Pixels.begin(), image.Pixels.begin() + static_cast<ptrdiff_t>(pixelBytes));
    return out;
}

std::vector<uint8_t> WriteBmpFile(const DibImage& image)
{
    std::vector<uint8_t> dib = WritePackedDib(image);
    size_t colors = image.BitCount <= 8 ? image.Colors.size() : 0;
    std::vector<uint8_t> out;
    out.reserve(FileHeaderSize + dib.size());
    out.push_back('B');
    out.push_back('M');
    Put32(out, static_cast<uint32_t>(FileHeaderSize + dib.size()));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(FileHeaderSize + 40 + colors * 4));
    out.insert(out.end(), dib.begin(), dib.end());
    return out;
}

BITMAPINFO TopDown32BitFormat(int width, int height)
{
    BITMAPINFO format = {};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = width;
    format.bmiHeader.biHeight = -height;
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 32;
    format.bmiHeader.biCompression = BI_RGB;
    return format;
}
