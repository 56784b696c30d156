// TIconImagePainter: icon images drawn as the platform draws their icons, without making any.
#pragma once

#include <windows.h>

#include "GdiObject.h"
#include "IconFileReader.h"

#include <cstddef>
#include <cstdint>
#include <optional>

// Draws icon images as files store them, pixel for pixel as DrawIconEx draws the icon the
// platform makes of them at their own size: decoded here, and put on the DC from one reused
// bitmap, either blended by their alpha or as the AND mask and then the XORed colours. Making
// and drawing an icon asks the platform's server several times; this asks it nothing.
class TIconImagePainter {
public:
    TIconImagePainter() = default;
    TIconImagePainter(const TIconImagePainter&) = delete;
    TIconImagePainter& operator=(const TIconImagePainter&) = delete;

    // Draws `image` with its top left corner at (x, y) when it is `width` x `height` pixels.
    // False, drawing nothing, for every image that only the platform draws faithfully: another
    // size, PNG, 16 bits, and those the decoders leave to it for other reasons.
    bool Draw(HDC dc, int x, int y, const uint8_t* image, size_t size, int width, int height);

private:
    // The bitmap of `width` x 2 `height` pixels, top row first: the colours (premultiplied by
    // their alpha when blended) over the AND mask. Nullptr when the platform refuses it.
    uint32_t* Rows(int width, int height);

    // Made at the first drawing, released in reverse order: the bitmap leaves the DC before
    // either goes.
    GdiObject<HBITMAP> bitmap_;
    std::optional<MemoryDC> dc_;
    std::optional<SelectedObject> selected_;
    uint32_t* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    IconImagePixels pixels_;
    IconImageAlphaPixels alphaPixels_;
};
