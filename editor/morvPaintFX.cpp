// TmorvPaintFX: mirroring in place on the rows of a 24-bit bitmap.
#include <windows.h>

#include "morvPaintFX.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr int BytesPerPixel = 3;

}  // namespace

void TmorvPaintFX::FlipTopBottom(TBitmap& bitmap)
{
    bitmap.SetPixelFormat(pf24bit);
    const size_t rowBytes = static_cast<size_t>(bitmap.Width()) * BytesPerPixel;
    std::vector<uint8_t> buffer(rowBytes);
    for (int top = 0, bottom = bitmap.Height() - 1; top < bottom; ++top, --bottom) {
        auto* upper = static_cast<uint8_t*>(bitmap.ScanLine(top));
        auto* lower = static_cast<uint8_t*>(bitmap.ScanLine(bottom));
        std::memcpy(buffer.data(), upper, rowBytes);
        std::memcpy(upper, lower, rowBytes);
        std::memcpy(lower, buffer.data(), rowBytes);
    }
    bitmap.Canvas().Changed();
}

void TmorvPaintFX::FlipLeftRight(TBitmap& bitmap)
{
    bitmap.SetPixelFormat(pf24bit);
    for (int y = 0; y < bitmap.Height(); ++y) {
        auto* row = static_cast<uint8_t*>(bitmap.ScanLine(y));
        for (int left = 0, right = bitmap.Width() - 1; left < right; ++left, --right)
            std::swap_ranges(row + left * BytesPerPixel, row + (left + 1) * BytesPerPixel, row + right * BytesPerPixel);
    }
    bitmap.Canvas().Changed();
}
