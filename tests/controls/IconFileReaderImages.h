// Icon images of every colour depth, .ico files and libraries of them, and what the platform
// draws of an icon: for the tests of checked icon images and of the gallery's pictures.
#pragma once

#include <windows.h>

#include "Bitmap.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace iconimages {

using Buffer = std::vector<uint8_t>;

inline void Put16(Buffer& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

inline void Put32(Buffer& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

// One icon image as files store it. `pixel(x, y)` (counted from the top) gives a palette index
// up to 8 bits, a 5-5-5 value at 16 bits, a COLORREF at 24 bits and a COLORREF with the alpha in
// its top byte at 32 bits. `transparent` gives the AND-mask bit. The palette is stored with
// `palette.size()` as the number of colours used.
struct ImageSpec {
    int size = 32;
    int bits = 24;
    std::vector<COLORREF> palette;
    std::function<uint32_t(int x, int y)> pixel;
    std::function<bool(int x, int y)> transparent;
};

inline size_t Stride(int width, int bits)
{
    return ((size_t(width) * size_t(bits) + 31) / 32) * 4;
}

inline Buffer IconDib(const ImageSpec& spec)
{
    Buffer out;
    Put32(out, 40);
    Put32(out, uint32_t(spec.size));
    Put32(out, uint32_t(spec.size * 2));
    Put16(out, 1);
    Put16(out, uint32_t(spec.bits));
    for (uint32_t field : {0u, 0u, 0u, 0u, uint32_t(spec.palette.size()), 0u})
        Put32(out, field);
    for (COLORREF c : spec.palette)
        out.insert(out.end(), {GetBValue(c), GetGValue(c), GetRValue(c), 0});
    for (int y = spec.size - 1; y >= 0; --y) {
        Buffer row(Stride(spec.size, spec.bits), 0);
        for (int x = 0; x < spec.size; ++x) {
            uint32_t v = spec.pixel(x, y);
            switch (spec.bits) {
            case 1: row[x / 8] |= uint8_t((v & 1) << (7 - x % 8)); break;
            case 4: row[x / 2] |= uint8_t(x % 2 ? v & 0x0F : (v & 0x0F) << 4); break;
            case 8: row[x] = uint8_t(v); break;
            case 16: row[2 * x] = uint8_t(v); row[2 * x + 1] = uint8_t(v >> 8); break;
            default: {
                uint8_t* p = &row[size_t(x) * size_t(spec.bits / 8)];
                p[0] = GetBValue(v);
                p[1] = GetGValue(v);
                p[2] = GetRValue(v);
                if (spec.bits == 32)
                    p[3] = uint8_t(v >> 24);
            }
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = spec.size - 1; y >= 0; --y) {
        Buffer row(Stride(spec.size, 1), 0);
        for (int x = 0; x < spec.size; ++x)
            if (spec.transparent(x, y))
                row[x / 8] |= uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// A 24-bit image of one colour, with a transparent frame and a pixel inside the frame whose
// colour the screen is XORed with (transparent, yet not black).
inline Buffer FramedImage(int size, COLORREF colour)
{
    return IconDib({size, 24, {},
                     [colour](int x, int y) -> uint32_t { return x == 1 && y == 0 ? RGB(0, 0, 255) : colour; },
                     [size](int x, int y) { return y == 0 || x == size - 1; }});
}

// An image of `bits` bits with a transparent corner, its pixels in all colours of a small
// palette or in a gradient; at 32 bits, `alpha` makes the right part half see-through.
inline Buffer DepthImage(int bits, int size = 32, bool alpha = false)
{
    std::vector<COLORREF> palette = {RGB(0, 0, 0), RGB(200, 30, 30), RGB(30, 160, 60), RGB(250, 250, 120)};
    ImageSpec spec{size, bits, {}, nullptr, [](int x, int y) { return x < 3 && y < 3; }};
    if (bits <= 8) {
        palette.resize(std::min<size_t>(palette.size(), size_t(1) << bits));
        spec.palette = palette;
        spec.pixel = [colors = uint32_t(palette.size())](int x, int y) { return uint32_t(x * 7 + y * 3) % colors; };
    } else if (bits == 16) {
        spec.pixel = [](int x, int y) { return uint32_t(x) << 10 | uint32_t(y) << 5 | 9; };
    } else {
        spec.pixel = [alpha](int x, int y) { return RGB(x * 8, y * 8, 128) | (alpha && x > 20 ? 0x80000000u : 0); };
    }
    return IconDib(spec);
}

// A 4-bit image with two colours in its table and four in its pixels.
inline Buffer PastColourTable()
{
    Buffer image = DepthImage(4);
    image[32] = 2;
    image.erase(image.begin() + 40 + 8, image.begin() + 40 + 16);
    return image;
}

// A true-colour PNG image with alpha, its deflate blocks stored: `pixel(x, y)` (counted from the
// top) gives a COLORREF with the alpha in its top byte.
inline Buffer PngImage(int size, const std::function<uint32_t(int x, int y)>& pixel)
{
    auto crc = [](const uint8_t* data, size_t length) {
        uint32_t c = 0xFFFFFFFF;
        for (size_t i = 0; i < length; ++i) {
            c ^= data[i];
            for (int k = 0; k < 8; ++k)
                c = c & 1 ? 0xEDB88320 ^ (c >> 1) : c >> 1;
        }
        return ~c;
    };
    auto bigEndian = [](Buffer& out, uint32_t v) {
        out.insert(out.end(), {uint8_t(v >> 24), uint8_t(v >> 16), uint8_t(v >> 8), uint8_t(v)});
    };
    auto chunk = [&](Buffer& out, const char* type, const Buffer& data) {
        bigEndian(out, uint32_t(data.size()));
        Buffer typed(type, type + 4);
        typed.insert(typed.end(), data.begin(), data.end());
        out.insert(out.end(), typed.begin(), typed.end());
        bigEndian(out, crc(typed.data(), typed.size()));
    };
    Buffer raw;
    for (int y = 0; y < size; ++y) {
        raw.push_back(0);   // no filter
        for (int x = 0; x < size; ++x) {
            uint32_t v = pixel(x, y);
            raw.insert(raw.end(), {GetRValue(v), GetGValue(v), GetBValue(v), uint8_t(v >> 24)});
        }
    }
    Buffer zlib = {0x78, 0x01};
    for (size_t at = 0; at < raw.size(); at += 0xFFFF) {
        const size_t length = std::min<size_t>(0xFFFF, raw.size() - at);
        zlib.push_back(at + length == raw.size() ? 1 : 0);
        Put16(zlib, uint32_t(length));
        Put16(zlib, uint32_t(~length & 0xFFFF));
        zlib.insert(zlib.end(), raw.begin() + long(at), raw.begin() + long(at + length));
    }
    uint32_t a = 1, b = 0;
    for (uint8_t byte : raw) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    bigEndian(zlib, b << 16 | a);

    Buffer out = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    Buffer header;
    bigEndian(header, uint32_t(size));
    bigEndian(header, uint32_t(size));
    header.insert(header.end(), {8, 6, 0, 0, 0});   // 8 bits of RGBA
    chunk(out, "IHDR", header);
    chunk(out, "IDAT", zlib);
    chunk(out, "IEND", {});
    return out;
}

// The directory entry fields of an image: width, height, colour count and bit count as its
// header says (a PNG image's are left 0 but for the sizes).
inline void PutEntryHead(Buffer& out, const Buffer& image)
{
    static const uint8_t png[4] = {0x89, 'P', 'N', 'G'};
    bool isPng = image.size() >= 24 && std::equal(png, png + 4, image.begin());
    uint32_t width = isPng ? image[19] : image[4] | image[5] << 8;
    unsigned bits = isPng ? 32 : image[14];
    uint32_t used = isPng ? 0 : image[32] | image[33] << 8;
    out.push_back(uint8_t(width));
    out.push_back(uint8_t(width));
    out.push_back(uint8_t(bits <= 8 ? (used ? used : 1u << bits) : 0));
    out.push_back(0);
    Put16(out, 1);
    Put16(out, bits);
    Put32(out, uint32_t(image.size()));
}

inline Buffer IcoFile(const std::vector<Buffer>& images)
{
    Buffer out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, uint32_t(images.size()));
    size_t offset = 6 + 16 * images.size();
    for (const Buffer& image : images) {
        PutEntryHead(out, image);
        Put32(out, uint32_t(offset));
        offset += image.size();
    }
    for (const Buffer& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

// An icon group directory as libraries store it, naming icon resources from `firstId` on.
inline Buffer GroupDirectory(const std::vector<Buffer>& images, unsigned firstId)
{
    Buffer out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, uint32_t(images.size()));
    for (size_t i = 0; i < images.size(); ++i) {
        PutEntryHead(out, images[i]);
        Put16(out, uint32_t(firstId + i));
    }
    return out;
}

// Rewrites the resources of a copy of a real library through the platform's resource update:
// one icon group per entry of `icons`, numbered from 1. False when the platform refused.
inline bool WriteIconLibrary(const std::string& templateLibrary, const std::string& path,
                             const std::vector<std::vector<Buffer>>& icons)
{
    if (!CopyFileA(templateLibrary.c_str(), path.c_str(), FALSE))
        return false;
    HANDLE update = BeginUpdateResourceA(path.c_str(), TRUE);
    if (!update)
        return false;
    bool ok = true;
    unsigned imageId = 1;
    for (size_t group = 0; group < icons.size(); ++group) {
        Buffer directory = GroupDirectory(icons[group], imageId);
        for (const Buffer& image : icons[group])
            ok = ok && UpdateResourceA(update, MAKEINTRESOURCEA(3), MAKEINTRESOURCEA(imageId++), 0,
                                       const_cast<uint8_t*>(image.data()), DWORD(image.size()));
        ok = ok && UpdateResourceA(update, MAKEINTRESOURCEA(14), MAKEINTRESOURCEA(group + 1), 0, directory.data(),
                                   DWORD(directory.size()));
    }
    return EndUpdateResourceA(update, !ok) && ok;
}

// An icon drawn as it is (DI_NORMAL) on `background`, top row first; empty for no icon.
inline std::vector<COLORREF> DrawnIcon(HICON icon, COLORREF background, int size = 32)
{
    if (!icon)
        return {};
    TBitmap bitmap(size, size);
    bitmap.Canvas().Brush().SetColor(static_cast<TColor>(background));
    bitmap.Canvas().FillRect({0, 0, size, size});
    DrawIconEx(bitmap.Canvas().Handle(), 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
    bitmap.Canvas().Changed();
    std::vector<COLORREF> pixels;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            pixels.push_back(static_cast<COLORREF>(bitmap.PixelColor(x, y)));
    return pixels;
}

// The first pixel where two pictures differ, as text; "" when they agree.
inline std::string FirstDifference(const std::vector<COLORREF>& a, const std::vector<COLORREF>& b, int width = 32)
{
    if (a.size() != b.size())
        return std::to_string(a.size()) + " against " + std::to_string(b.size()) + " pixels";
    for (size_t i = 0; i < a.size(); ++i)
        if (a[i] != b[i]) {
            char text[80];
            wsprintfA(text, "(%d,%d): %06X against %06X", int(i % width), int(i / width), unsigned(a[i]),
                      unsigned(b[i]));
            return text;
        }
    return "";
}

}  // namespace iconimages
