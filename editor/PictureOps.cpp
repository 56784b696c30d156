// Clearing, shifting and rotating the working picture, pixel by pixel in its 24-bit rows.
#include <windows.h>

#include "PictureOps.h"

#include "Exceptions.h"

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
