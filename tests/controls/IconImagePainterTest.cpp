// Icon images drawn without icons: every kind of image, on bitmaps of several depths and
// backgrounds, against what the platform's DrawIconEx draws of the icon it makes of the image.
#include <windows.h>

#include "GdiObject.h"
#include "IconFileReader.h"
#include "IconFileReaderImages.h"
#include "IconImagePainter.h"
#include "Pixels.h"

#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

using iconimages::Buffer;
using iconimages::DepthImage;
using iconimages::FramedImage;
using iconimages::IconDib;

namespace {

// A top-down bitmap of `bits` bits per pixel filled with one colour, and a DC drawing on it.
struct Surface {
    static constexpr int Width = 41, Height = 44;

    Surface(int bits, COLORREF background)
    {
        BITMAPINFO info = {};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = Width;
        info.bmiHeader.biHeight = -Height;
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = static_cast<WORD>(bits);
        void* raw = nullptr;
        bitmap.reset(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &raw, nullptr, 0));
        pixels = static_cast<const uint8_t*>(raw);
        stride = ((Width * bits + 31) / 32) * 4;
        selected.emplace(dc.get(), bitmap.get());
        GdiObject<HBRUSH> brush(CreateSolidBrush(background));
        RECT all = {0, 0, Width, Height};
        ::FillRect(dc.get(), &all, brush.get());
    }

    // The first row where the two differ, as text; "" when they agree byte for byte.
    std::string FirstDifference(const Surface& other) const
    {
        GdiFlush();
        for (int y = 0; y < Height; ++y)
            if (std::memcmp(pixels + y * stride, other.pixels + y * stride, size_t(stride)) != 0) {
                int x = 0;
                while (GetPixel(dc.get(), x, y) == GetPixel(other.dc.get(), x, y))
                    ++x;
                return "(" + std::to_string(x) + "," + std::to_string(y) + "): " + Hex(GetPixel(dc.get(), x, y)) +
                       " against " + Hex(GetPixel(other.dc.get(), x, y));
            }
        return "";
    }

    GdiObject<HBITMAP> bitmap;
    MemoryDC dc;
    std::optional<SelectedObject> selected;
    const uint8_t* pixels = nullptr;
    int stride = 0;
};

// Every alpha, over colours that make each rounding show; the AND mask set here and there, which
// the platform ignores where there is alpha.
Buffer EveryAlpha()
{
    return IconDib({32, 32, {},
                    [](int x, int y) -> uint32_t {
                        const uint32_t alpha = uint32_t(y * 32 + x) & 255;
                        return RGB(x * 8 + y / 8, 255 - y * 5, (x * y * 7) & 255) | alpha << 24;
                    },
                    [](int x, int y) { return (x + y) % 3 == 0; }});
}

// Both colours over and under the AND mask. In black and white the platform keeps the icon so.
Buffer TwoColours(COLORREF first, COLORREF second)
{
    return IconDib({32, 1, {first, second}, [](int x, int y) -> uint32_t { return ((x ^ y) & 4) ? 1 : 0; },
                    [](int x, int y) { return (x + y) % 5 == 0; }});
}

}  // namespace

TEST(IconImagePainter, DrawsEachKindOfImageAsThePlatformDrawsItsIcon)
{
    Buffer onlyOne = TwoColours(RGB(0, 0, 0), RGB(255, 255, 255));
    onlyOne[32] = 1;
    const struct {
        const char* what;
        Buffer image;
        bool drawn;   // by the painter; the others are left to the platform
    } kinds[] = {
        {"4 bits", DepthImage(4), true},
        {"8 bits", DepthImage(8), true},
        {"24 bits", DepthImage(24), true},
        {"24 bits, XOR under the mask", FramedImage(32, RGB(10, 120, 240)), true},
        {"32 bits without alpha", DepthImage(32), true},
        {"32 bits, alpha in part", DepthImage(32, 32, true), true},
        {"32 bits, every alpha", EveryAlpha(), true},
        {"1 bit", DepthImage(1), true},
        {"1 bit, black and white", TwoColours(RGB(0, 0, 0), RGB(255, 255, 255)), true},
        {"1 bit, white and black", TwoColours(RGB(255, 255, 255), RGB(0, 0, 0)), true},
        {"1 bit, index past the colour table", onlyOne, false},
        {"16 bits", DepthImage(16), false},
        {"PNG", iconimages::PngImage(32, [](int x, int y) { return RGB(x * 8, y * 8, 99) | uint32_t(x * 8) << 24; }), false},
        {"16 pixels", FramedImage(16, RGB(240, 0, 0)), false},
        {"48 pixels", DepthImage(24, 48), false},
        {"index past the colour table", iconimages::PastColourTable(), false},
    };
    const COLORREF backgrounds[] = {RGB(255, 255, 255), RGB(0, 0, 0), ColorToRGB(clHighlight) & 0xFFFFFF,
                                    RGB(10, 200, 77)};
    TIconImagePainter painter;
    for (const auto& kind : kinds) {
        HICON icon = MakeIconFromImage(kind.image.data(), kind.image.size(), 32, 32);
        ASSERT_NE(icon, nullptr) << kind.what << ": the platform made no icon";
        for (int bits : {32, 24, 16})
            for (COLORREF background : backgrounds) {
                const std::string what = std::string(kind.what) + " on " + std::to_string(bits) + " bits over " +
                                         Hex(background);
                Surface ours(bits, background), platform(bits, background), untouched(bits, background);
                EXPECT_EQ(painter.Draw(ours.dc.get(), 5, 7, kind.image.data(), kind.image.size(), 32, 32), kind.drawn)
                    << what;
                DrawIconEx(platform.dc.get(), 5, 7, icon, 32, 32, 0, nullptr, DI_NORMAL);
                EXPECT_EQ(ours.FirstDifference(kind.drawn ? platform : untouched), "") << what;
            }
        DestroyIcon(icon);
    }
}

TEST(IconImagePainter, BrokenAndCutImagesDrawNothing)
{
    TIconImagePainter painter;
    Surface surface(32, RGB(1, 2, 3)), whole(32, RGB(1, 2, 3));
    EXPECT_FALSE(painter.Draw(surface.dc.get(), 0, 0, nullptr, 0, 32, 32));
    for (const Buffer& image : {DepthImage(8), EveryAlpha(), TwoColours(RGB(0, 0, 0), RGB(255, 255, 255))}) {
        for (size_t length = 0; length < image.size(); length += length < 64 ? 1 : 97) {
            // Its own copy, so that a read past the end is a read past the buffer.
            Buffer cut(image.begin(), image.begin() + long(length));
            EXPECT_FALSE(painter.Draw(surface.dc.get(), 0, 0, cut.data(), cut.size(), 32, 32)) << length;
        }
        EXPECT_TRUE(painter.Draw(whole.dc.get(), 0, 0, image.data(), image.size(), 32, 32)) << "the whole image";
    }
    EXPECT_EQ(surface.FirstDifference(Surface(32, RGB(1, 2, 3))), "");
}
