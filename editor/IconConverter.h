// The .ico writer: one bitmap and its transparent colour become an icon file with exactly one
// image, a 24-bit colour bitmap and a 1-bit AND mask. Both programs write their icons with it.
#pragma once

#include "Bitmap.h"
#include "Classes.h"
#include "Color.h"

#include <cstdint>
#include <memory>
#include <string>

// A bitmap exported as a device-independent bitmap: the BITMAPINFO block (header and colour
// table) and the pixel data, both owned and zero-filled when made.
struct DIBData {
    uint32_t InfoHeaderSize = 0;
    uint32_t ImageSize = 0;
    std::unique_ptr<uint8_t[]> InfoHeader;
    std::unique_ptr<uint8_t[]> Image;

    const BITMAPINFOHEADER& Header() const { return *reinterpret_cast<const BITMAPINFOHEADER*>(InfoHeader.get()); }
};

constexpr int IconImageOffset = 22;   // 6-byte directory and one 16-byte entry

int BytesPerScanLine(int bits);
int DIBRowBytes(const BITMAPINFOHEADER& header);
int DIBColorCount(const BITMAPINFOHEADER& header);
uint16_t DIBColorTableSize(const BITMAPINFOHEADER& header);

void GetDIBData(const TBitmap& bitmap, DIBData& pair);
void FreeDIBData(DIBData& pair);

// Colour bitmap: the source with every transparent pixel black. Mask: white (1) exactly where the
// source has the transparent colour.
void BuildIconBitmaps(const TBitmap& source, TBitmap& colour, TBitmap& mask, TColor transparentColor);

bool WriteIconDir(TStream& stream, int count);

// Writes the file in one go: on any failure the error propagates and no partial file is left
// (an existing file keeps its old contents). Sizes up to 256 x 256; the programs pass 32 x 32.
void SaveBitmapAsIcon(const std::string& fileName, const TBitmap& bitmap, TColor transparentColor);
