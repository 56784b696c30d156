// Reading and writing the BMP file format without trusting the file: every size and offset is
// checked against the data before anything is allocated or read.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <vector>

// An uncompressed device-independent bitmap as a DIB section holds it: bottom-up rows, each
// padded to four bytes, with a colour table for 1, 4 and 8 bits per pixel.
struct DibImage {
    int Width = 0;
    int Height = 0;
    int BitCount = 24;                 // 1, 4, 8, 24 or 32
    std::vector<RGBQUAD> Colors;       // 2^BitCount entries at most; empty above 8 bits
    std::vector<uint8_t> Pixels;       // Stride() * Height bytes, bottom row first

    static size_t StrideFor(int width, int bitCount)
    {
        return ((static_cast<size_t>(width) * bitCount + 31) / 32) * 4;
    }
    size_t Stride() const { return StrideFor(Width, BitCount); }
};

// Where a reader puts the pixels of the image it has read the layout of (Pixels still empty):
// Stride() * Height bytes that start zeroed. Without one they go into Pixels.
using DibPixelTarget = std::function<uint8_t*(const DibImage& layout)>;

// Pictures above this many pixels are refused as absurd.
constexpr uint64_t BmpMaxPixels = 64ull * 1024 * 1024;

// Parses a whole .bmp file image. Core (OS/2 1.x) and Windows info headers of every size up to
// version 5, 1/4/8/16/24/32 bits, BI_RGB and BI_BITFIELDS, top-down or bottom-up. 16-bit and
// bit-field pictures come out as 24 or 32 bits. Throws EInvalidGraphic ("Ungültiges Bitmap: ...").
DibImage ReadBmpFile(const uint8_t* data, size_t size, const DibPixelTarget& target = {});
// The same for a packed DIB (a header, colour table and pixels without the file header), as
// the clipboard's CF_DIB and bitmap resources hold it.
DibImage ReadPackedDib(const uint8_t* data, size_t size, const DibPixelTarget& target = {});

// The format of a DIB section or of GetDIBits' rows that code reads and writes directly: 32 bits
// a pixel, top row first, no colour table.
BITMAPINFO TopDown32BitFormat(int width, int height);

// A .bmp file image with a BITMAPINFOHEADER, as BI_RGB in the image's own bit count.
std::vector<uint8_t> WriteBmpFile(const DibImage& image);
// A packed DIB (for the clipboard).
std::vector<uint8_t> WritePackedDib(const DibImage& image);
