#include "IconConverter.h"

#include "Exceptions.h"

#include <algorithm>
#include <cstring>

int BytesPerScanLine(int bits)
{
    return ((bits + 31) / 32) * 4;
}

int DIBRowBytes(const BITMAPINFOHEADER& header)
{
    return BytesPerScanLine(header.biWidth * header.biPlanes * header.biBitCount);
}

int DIBColorCount(const BITMAPINFOHEADER& header)
{
    if (header.biClrUsed != 0)
        return static_cast<int>(header.biClrUsed);
    switch (header.biBitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

uint16_t DIBColorTableSize(const BITMAPINFOHEADER& header)
{
    return static_cast<uint16_t>(DIBColorCount(header) * 4);
}

void GetDIBData(const TBitmap& bitmap, DIBData& pair)
{
    FreeDIBData(pair);
    DibImage dib = bitmap.ToDib();

    BITMAPINFOHEADER header{};
    header.biSize = sizeof(BITMAPINFOHEADER);
    header.biWidth = dib.Width;
    header.biHeight = dib.Height;
    header.biPlanes = 1;
    header.biBitCount = static_cast<WORD>(dib.BitCount);
    header.biCompression = BI_RGB;
    header.biSizeImage = static_cast<DWORD>(dib.Pixels.size());

    uint32_t tableSize = DIBColorTableSize(header);
    pair.InfoHeaderSize = sizeof header + tableSize;
    pair.ImageSize = static_cast<uint32_t>(dib.Pixels.size());
    pair.InfoHeader.reset(new uint8_t[pair.InfoHeaderSize]());
    pair.Image.reset(new uint8_t[pair.ImageSize]());
    std::memcpy(pair.InfoHeader.get(), &header, sizeof header);
    std::memcpy(pair.InfoHeader.get() + sizeof header, dib.Colors.data(),
                std::min<size_t>(tableSize, dib.Colors.size() * sizeof(RGBQUAD)));
    std::memcpy(pair.Image.get(), dib.Pixels.data(), pair.ImageSize);
}

void FreeDIBData(DIBData& pair)
{
    pair.InfoHeader.reset();
    pair.Image.reset();
    pair.InfoHeaderSize = pair.ImageSize = 0;
}

void BuildIconBitmaps(const TBitmap& source, TBitmap& colour, TBitmap& mask, TColor transparentColor)
{
    const int width = source.Width(), height = source.Height();
    const COLORREF key = ColorToRGB(transparentColor);

    mask.Assign(source);
    mask.Mask(transparentColor);
    TCanvas& maskCanvas = mask.Canvas();
    maskCanvas.Brush().SetColor(clWhite);
    maskCanvas.FillRect(RECT{0, 0, width, height});
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            if (ColorToRGB(source.PixelColor(x, y)) != key)
                maskCanvas.SetPixel(x, y, clBlack);

    // Raster operations on palette indices would mix unrelated colours: work in 24 bits.
    colour.Assign(source);
    colour.SetPixelFormat(pf24bit);
    TBitmap sourceCopy;
    sourceCopy.Assign(colour);

    TCanvas& canvas = colour.Canvas();
    const RECT all{0, 0, width, height};
    // A monochrome source blits as text colour (0) and background colour (1).
    SetTextColor(canvas.Handle(), RGB(0, 0, 0));
    SetBkColor(canvas.Handle(), RGB(255, 255, 255));
    const DWORD oldMode = canvas.CopyMode();
    canvas.SetCopyMode(SRCINVERT);   // transparent pixels become the inverse of the key ...
    canvas.CopyRect(all, maskCanvas, all);
    canvas.SetCopyMode(SRCAND);      // ... and inverse AND key is black; other pixels keep their colour
    canvas.CopyRect(all, sourceCopy.Canvas(), all);
    canvas.SetCopyMode(oldMode);
}

bool WriteIconDir(TStream& stream, int count)
{
    const uint16_t words[3] = {0, 1, static_cast<uint16_t>(count)};
    return stream.Write(words, sizeof words) == sizeof words;
}

void SaveBitmapAsIcon(const std::string& fileName, const TBitmap& bitmap, TColor transparentColor)
{
    const int width = bitmap.Width(), height = bitmap.Height();
    if (width < 1 || height < 1 || width > 256 || height > 256)
        throw EInvalidGraphic("Ein Icon kann nur aus einem Bild von 1 bis 256 Pixeln Kantenlänge entstehen.");

    TBitmap colour, mask;
    BuildIconBitmaps(bitmap, colour, mask, transparentColor);
    colour.SetPixelFormat(pf24bit);

    DIBData colourDib, maskDib;
    GetDIBData(colour, colourDib);
    GetDIBData(mask, maskDib);
    const BITMAPINFOHEADER& colourHeader = colourDib.Header();

    const int planesBits = colourHeader.biPlanes * colourHeader.biBitCount;
    const uint32_t resourceBytes = DIBColorTableSize(colourHeader) + sizeof(BITMAPINFOHEADER) +
                                   DIBRowBytes(colourHeader) * height +
                                   BytesPerScanLine(width) * height;

    TMemoryStream out;
    WriteIconDir(out, 1);
    const uint8_t entry[4] = {
        static_cast<uint8_t>(width == 256 ? 0 : width),
        static_cast<uint8_t>(height == 256 ? 0 : height),
        static_cast<uint8_t>(planesBits < 8 ? 1 << planesBits : 0),
        0,
    };
    out.WriteBuffer(entry, sizeof entry);
    out.WriteWord(colourHeader.biPlanes);
    out.WriteWord(colourHeader.biBitCount);
    out.WriteDWord(resourceBytes);
    out.WriteDWord(IconImageOffset);

    BITMAPINFOHEADER header{};
    header.biSize = sizeof header;
    header.biWidth = width;
    header.biHeight = height * 2;   // colour and mask stacked, as icon resources count them
    header.biPlanes = 1;
    header.biBitCount = colourHeader.biBitCount;
    out.WriteBuffer(&header, sizeof header);
    out.WriteBuffer(colourDib.Image.get(), colourDib.ImageSize);
    out.WriteBuffer(maskDib.Image.get(), maskDib.ImageSize);

    SaveFileReplacing(fileName, out.Data().data(), out.Data().size());
}
