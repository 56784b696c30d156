// Builders of BMP and ICO file images for the picture tests, and a scratch folder for files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace imagebytes {

inline void Put16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

inline void Put32(std::vector<uint8_t>& out, uint32_t v)
{
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

inline void Set32(std::vector<uint8_t>& out, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        out[at + i] = uint8_t(v >> (8 * i));
}

inline size_t Stride(int width, int bits) { return ((size_t(width) * bits + 31) / 32) * 4; }

// A BMP file with a BITMAPINFOHEADER; `rows` are stored exactly as given (file order), each
// padded here to the stride. `extra` goes between header and colour table (bit-field masks).
inline std::vector<uint8_t> Bmp(int width, int height, int bits, const std::vector<RGBQUAD>& colors,
                                const std::vector<std::vector<uint8_t>>& rows, uint32_t compression = BI_RGB,
                                const std::vector<uint32_t>& masks = {})
{
    std::vector<uint8_t> pixels;
    for (const auto& row : rows) {
        std::vector<uint8_t> padded = row;
        padded.resize(Stride(width, bits), 0);
        pixels.insert(pixels.end(), padded.begin(), padded.end());
    }
    size_t offset = 14 + 40 + masks.size() * 4 + colors.size() * 4;
    std::vector<uint8_t> out = {'B', 'M'};
    Put32(out, uint32_t(offset + pixels.size()));
    Put32(out, 0);
    Put32(out, uint32_t(offset));
    Put32(out, 40);
    Put32(out, uint32_t(width));
    Put32(out, uint32_t(height));
    Put16(out, 1);
    Put16(out, uint32_t(bits));
    Put32(out, compression);
    Put32(out, uint32_t(pixels.size()));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, uint32_t(colors.size()));
    Put32(out, 0);
    for (uint32_t m : masks)
        Put32(out, m);
    for (const RGBQUAD& c : colors)
        out.insert(out.end(), {c.rgbBlue, c.rgbGreen, c.rgbRed, 0});
    out.insert(out.end(), pixels.begin(), pixels.end());
    return out;
}

// One 24-bit icon image: `color(x, y)` gives the RGB colour (COLORREF) of a pixel counted from
// the top, `transparent(x, y)` its AND-mask bit. Transparent pixels are stored black, as icons
// must be (the colour is XORed onto the screen).
template <typename ColorFn, typename MaskFn>
std::vector<uint8_t> IconImage(int size, ColorFn color, MaskFn transparent)
{
    std::vector<uint8_t> out;
    Put32(out, 40);
    Put32(out, uint32_t(size));
    Put32(out, uint32_t(size * 2));
    Put16(out, 1);
    Put16(out, 24);
    for (int i = 0; i < 6; ++i)
        Put32(out, 0);
    for (int y = size - 1; y >= 0; --y) {
        std::vector<uint8_t> row;
        for (int x = 0; x < size; ++x) {
            COLORREF c = transparent(x, y) ? 0 : color(x, y);
            row.insert(row.end(), {GetBValue(c), GetGValue(c), GetRValue(c)});
        }
        row.resize(Stride(size, 24), 0);
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = size - 1; y >= 0; --y) {
        std::vector<uint8_t> row(Stride(size, 1), 0);
        for (int x = 0; x < size; ++x)
            if (transparent(x, y))
                row[x / 8] |= uint8_t(0x80 >> (x % 8));
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

// An .ico file of the given images (each square, its size in the first header field).
inline std::vector<uint8_t> Ico(const std::vector<std::vector<uint8_t>>& images)
{
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, uint32_t(images.size()));
    size_t offset = 6 + 16 * images.size();
    for (const auto& image : images) {
        uint32_t size = image[4] | image[5] << 8;
        out.push_back(uint8_t(size));
        out.push_back(uint8_t(size));
        out.push_back(0);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 24);
        Put32(out, uint32_t(image.size()));
        Put32(out, uint32_t(offset));
        offset += image.size();
    }
    for (const auto& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return out;
}

// A device-dependent bitmap (as other programs put on the clipboard), filled with the raster
// operation `fill` (WHITENESS, BLACKNESS), with one pixel set. The caller owns it.
inline HBITMAP DeviceBitmap(int width, int height, DWORD fill, POINT pixel, COLORREF color)
{
    HDC screen = GetDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HDC dc = CreateCompatibleDC(screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    PatBlt(dc, 0, 0, width, height, fill);
    SetPixelV(dc, pixel.x, pixel.y, color);
    SelectObject(dc, old);
    DeleteDC(dc);
    ReleaseDC(nullptr, screen);
    return bitmap;
}

// A fresh folder under the temporary folder, removed with its files when the object goes.
class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name)
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + name + "_" + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder()
    {
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                std::string file = path_ + "\\" + found.cFileName;
                SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(file.c_str());
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path_.c_str());
    }
    std::string File(const std::string& name) const { return path_ + "\\" + name; }

private:
    std::string path_;
};

}  // namespace imagebytes
