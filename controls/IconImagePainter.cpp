// Icon images put on a DC as the platform's icon drawing puts them.
#include "IconImagePainter.h"

#include "BmpFormat.h"

namespace {

uint32_t Bgr(COLORREF color)
{
    return uint32_t(GetRValue(color)) << 16 | uint32_t(GetGValue(color)) << 8 | GetBValue(color);
}

// A colour channel multiplied by its alpha, rounded as the platform does it for its icons.
uint32_t Premultiplied(uint32_t channel, uint32_t alpha)
{
    return (channel * alpha + 127) / 255;
}

}  // namespace

uint32_t* TIconImagePainter::Rows(int width, int height)
{
    if (bits_ && width == width_ && height == height_)
        return bits_;
    selected_.reset();
    bitmap_.reset();
    bits_ = nullptr;
    if (!dc_)
        dc_.emplace();
    if (!*dc_)
        return nullptr;
    const BITMAPINFO info = TopDown32BitFormat(width, 2 * height);
    void* bits = nullptr;
    bitmap_.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap_ || !bits)
        return nullptr;
    selected_.emplace(dc_->get(), bitmap_.get());
    if (!selected_->Selected())
        return nullptr;
    bits_ = static_cast<uint32_t*>(bits);
    width_ = width;
    height_ = height;
    return bits_;
}

bool TIconImagePainter::Draw(HDC dc, int x, int y, const uint8_t* image, size_t size, int width, int height)
{
    const size_t count = size_t(width) * size_t(height);
    if (DecodeAlphaIconImage(image, size, alphaPixels_)) {
        uint32_t* rows = alphaPixels_.width == width && alphaPixels_.height == height ? Rows(width, height) : nullptr;
        if (!rows)
            return false;
        GdiFlush();   // the platform may still be reading the image drawn before
        for (size_t i = 0; i < count; ++i) {
            const COLORREF color = alphaPixels_.colors[i];
            const uint32_t alpha = alphaPixels_.alpha[i];
            rows[i] = alpha << 24 | Premultiplied(GetRValue(color), alpha) << 16 |
                      Premultiplied(GetGValue(color), alpha) << 8 | Premultiplied(GetBValue(color), alpha);
        }
        const BLENDFUNCTION blend = {AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
        return GdiAlphaBlend(dc, x, y, width, height, dc_->get(), 0, 0, width, height, blend);
    }
    if (DecodeIconImage(image, size, pixels_) || DecodeTwoColourIconImage(image, size, pixels_)) {
        uint32_t* rows = pixels_.width == width && pixels_.height == height ? Rows(width, height) : nullptr;
        if (!rows)
            return false;
        GdiFlush();
        for (size_t i = 0; i < count; ++i) {
            rows[i] = Bgr(pixels_.colors[i]);
            rows[count + i] = pixels_.transparent[i] ? 0xFFFFFF : 0;
        }
        if (!BitBlt(dc, x, y, width, height, dc_->get(), 0, height, SRCAND))
            return false;
        BitBlt(dc, x, y, width, height, dc_->get(), 0, 0, SRCINVERT);
        return true;
    }
    return false;
}
