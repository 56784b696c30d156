// Clearing, shifting and rotating the working picture, pixel by pixel in its 24-bit rows.
#include <windows.h>

#include "PictureOps.h"

#include "Exceptions.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

struct Bgr {
    uint8_t b, g, r;
};

Bgr ToBgr(TColor color)
{
    COLORREF rgb = ColorToRGB(color);
    return {GetBValue(rgb), GetGValue(rgb), GetRValue(rgb)};
}

Bgr* Row(TBitmap& picture, int y)
{
    return static_cast<Bgr*>(picture.ScanLine(y));
}

// The operations work on square 24-bit pictures of any size; the editor's is 32 x 32.
int SquareSide(TBitmap& picture)
{
    if (picture.PixelFormat() != pf24bit)
        picture.SetPixelFormat(pf24bit);
    if (picture.Width() != picture.Height() || picture.Width() <= 0)
        throw EInvalidGraphic("Das Bild ist nicht quadratisch.");
    return picture.Width();
}

}  // namespace

void ClearPicture(TBitmap& picture, TColor color)
{
    if (picture.Width() != PictureSize || picture.Height() != PictureSize || picture.PixelFormat() != pf24bit) {
        TBitmap fresh(PictureSize, PictureSize, pf24bit);
        picture.Assign(fresh);
    }
    const Bgr pixel = ToBgr(color);
    for (int y = 0; y < PictureSize; ++y) {
        Bgr* row = Row(picture, y);
        for (int x = 0; x < PictureSize; ++x)
            row[x] = pixel;
    }
}

void ShiftPicture(TBitmap& picture, TShiftDirection direction, TColor fill)
{
    const int n = SquareSide(picture);
    const Bgr pixel = ToBgr(fill);
    switch (direction) {
    case sdUp:
        for (int y = 0; y + 1 < n; ++y)
            std::memcpy(Row(picture, y), Row(picture, y + 1), n * sizeof(Bgr));
        for (int x = 0; x < n; ++x)
            Row(picture, n - 1)[x] = pixel;
        break;
    case sdDown:
        for (int y = n - 1; y > 0; --y)
            std::memcpy(Row(picture, y), Row(picture, y - 1), n * sizeof(Bgr));
        for (int x = 0; x < n; ++x)
            Row(picture, 0)[x] = pixel;
        break;
    case sdRight:
        for (int y = 0; y < n; ++y) {
            Bgr* row = Row(picture, y);
            std::memmove(row + 1, row, (n - 1) * sizeof(Bgr));
            row[0] = pixel;
        }
        break;
    case sdLeft:
        for (int y = 0; y < n; ++y) {
            Bgr* row = Row(picture, y);
            std::memmove(row, row + 1, (n - 1) * sizeof(Bgr));
            row[n - 1] = pixel;
        }
        break;
    }
}

void RotatePicture(TBitmap& picture)
{
    const int n = SquareSide(picture);
    std::vector<Bgr> old(static_cast<size_t>(n) * n);
    for (int y = 0; y < n; ++y)
        std::memcpy(&old[static_cast<size_t>(y) * n], Row(picture, y), n * sizeof(Bgr));
    for (int y = 0; y < n; ++y) {
        Bgr* row = Row(picture, y);
        for (int x = 0; x < n; ++x)
            row[x] = old[static_cast<size_t>(x) * n + (n - 1 - y)];
    }
}

RECT ChangedArea(const TBitmap& before, const TBitmap& after)
{
    const int width = std::max(before.Width(), after.Width()), height = std::max(before.Height(), after.Height());
    const TPixelFormat format = after.PixelFormat();
    const int bytes = format == pf24bit ? 3 : format == pf32bit ? 4 : 0;
    if (before.Width() != after.Width() || before.Height() != after.Height() || before.PixelFormat() != format ||
        bytes == 0)
        return {0, 0, width, height};
    RECT area = {width, height, 0, 0};
    for (int y = 0; y < height; ++y) {
        const auto* a = static_cast<const uint8_t*>(before.ScanLine(y));
        const auto* b = static_cast<const uint8_t*>(after.ScanLine(y));
        if (std::memcmp(a, b, size_t(width) * bytes) == 0)
            continue;
        int left = 0, right = width;
        while (std::memcmp(a + left * bytes, b + left * bytes, bytes) == 0)
            ++left;
        while (std::memcmp(a + (right - 1) * bytes, b + (right - 1) * bytes, bytes) == 0)
            --right;
        area.left = std::min<LONG>(area.left, left);
        area.right = std::max<LONG>(area.right, right);
        area.top = std::min<LONG>(area.top, y);
        area.bottom = y + 1;
    }
    return area.left < area.right ? area : RECT{0, 0, 0, 0};
}
