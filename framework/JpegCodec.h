// JPEG coding over libjpeg without any window: compressed bytes to and from 24-bit pictures.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// A 24-bit picture laid out like the pixels of a DIB section, only top-down: rows of
// blue, green, red bytes, each row padded to a multiple of four bytes.
struct TBgrImage {
    int Width = 0;
    int Height = 0;
    std::vector<uint8_t> Pixels;   // Stride() * Height bytes

    static size_t StrideFor(int width) { return (static_cast<size_t>(width) * 3 + 3) & ~static_cast<size_t>(3); }
    size_t Stride() const { return StrideFor(Width); }
    bool Empty() const { return Width <= 0 || Height <= 0; }
    // Sizes the picture and clears it to black.
    void SetSize(int width, int height);
    uint8_t* Row(int y) { return Pixels.data() + static_cast<size_t>(y) * Stride(); }
    const uint8_t* Row(int y) const { return Pixels.data() + static_cast<size_t>(y) * Stride(); }
};

// Larger pictures are refused before any pixel memory is taken: a few bytes of header could
// otherwise ask for gigabytes.
constexpr uint64_t JpegMaxPixels = 64ull * 1024 * 1024;

// The quality both programs write with; libjpeg's own default would be 75.
constexpr int JpegDefaultQuality = 90;

// Decodes a complete JPEG file image. Greyscale, RGB, YCbCr, CMYK and YCCK pictures, baseline
// or progressive, all come out as 24-bit colour. Truncated or corrupt data, anything that is
// not JPEG and pictures over JpegMaxPixels throw EJPEG with a German message.
TBgrImage JpegDecode(const uint8_t* data, size_t size);
inline TBgrImage JpegDecode(const std::vector<uint8_t>& data) { return JpegDecode(data.data(), data.size()); }

// Encodes a picture as a baseline JFIF file; quality is clamped to 1..100. Throws EJPEG.
std::vector<uint8_t> JpegEncode(const TBgrImage& image, int quality = JpegDefaultQuality);
