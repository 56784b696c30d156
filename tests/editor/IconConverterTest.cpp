#include "IconConverter.h"
#include "TransparentKey.h"

#include "Bitmap.h"
#include "Classes.h"
#include "Exceptions.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <vector>

namespace {

constexpr size_t kFileSize = 3262;
constexpr size_t kColourData = 62;
constexpr size_t kMaskData = 3134;

std::string TempPath(const std::string& name)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "ql_ico_" + std::to_string(GetCurrentProcessId()) + "_" + name;
}

// A picture with something in every corner: key colour on a diagonal band, distinct colours elsewhere.
TColor PatternColor(int x, int y)
{
    if ((x + y) % 7 == 0)
        return TransparentKeyColor;
    return RGB(x * 8, y * 8, (x * y) % 256);
}

std::unique_ptr<TBitmap> MakePicture(TColor (*color)(int, int))
{
    auto bitmap = std::make_unique<TBitmap>(32, 32, pf24bit);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            bitmap->Canvas().SetPixel(x, y, color(x, y));
    return bitmap;
}

std::vector<uint8_t> SaveAndRead(const TBitmap& bitmap, const std::string& name)
{
    std::string path = TempPath(name);
    SaveBitmapAsIcon(path, bitmap, TransparentKeyColor);
    auto bytes = ReadFileBytes(path);
    DeleteFileA(path.c_str());
    return bytes;
}

uint16_t Word(const std::vector<uint8_t>& b, size_t at) { return static_cast<uint16_t>(b[at] | b[at + 1] << 8); }
uint32_t DWord(const std::vector<uint8_t>& b, size_t at) { return Word(b, at) | static_cast<uint32_t>(Word(b, at + 2)) << 16; }

// Picture row y (top = 0) is file row 31 - y: icon images are stored bottom row first.
COLORREF ColourAt(const std::vector<uint8_t>& file, int x, int y)
{
    size_t at = kColourData + static_cast<size_t>(31 - y) * 96 + x * 3;
    return RGB(file[at + 2], file[at + 1], file[at]);
}

bool MaskBit(const std::vector<uint8_t>& file, int x, int y)
{
    uint8_t byte = file[kMaskData + static_cast<size_t>(31 - y) * 4 + x / 8];
    return (byte >> (7 - x % 8)) & 1;
}

}  // namespace

TEST(IconWriter, SizeRules)
{
    EXPECT_EQ(BytesPerScanLine(32), 4);
    EXPECT_EQ(BytesPerScanLine(33), 8);
    EXPECT_EQ(BytesPerScanLine(96 * 8), 96);
    BITMAPINFOHEADER h{};
    h.biWidth = 32; h.biPlanes = 1;
    struct { WORD bits; DWORD used; int count; int row; } rows[] = {
        {1, 0, 2, 4}, {4, 0, 16, 16}, {8, 0, 256, 32}, {8, 17, 17, 32}, {24, 0, 0, 96}, {32, 0, 0, 128},
    };
    for (auto& r : rows) {
        h.biBitCount = r.bits; h.biClrUsed = r.used;
        EXPECT_EQ(DIBColorCount(h), r.count) << r.bits << " bits";
        EXPECT_EQ(DIBColorTableSize(h), r.count * 4) << r.bits << " bits";
        EXPECT_EQ(DIBRowBytes(h), r.row) << r.bits << " bits";
    }
    TMemoryStream s;
    EXPECT_TRUE(WriteIconDir(s, 1));
    EXPECT_EQ(s.Data(), (std::vector<uint8_t>{0, 0, 1, 0, 1, 0}));
}

TEST(IconWriter, ByteLayoutOfTheOneImageFile)
{
    auto file = SaveAndRead(*MakePicture(PatternColor), "layout.ico");
    ASSERT_EQ(file.size(), kFileSize);

    EXPECT_EQ(Word(file, 0), 0);
    EXPECT_EQ(Word(file, 2), 1) << "resource type";
    EXPECT_EQ(Word(file, 4), 1) << "image count";
    EXPECT_EQ(file[6], 32);
    EXPECT_EQ(file[7], 32);
    EXPECT_EQ(file[8], 0) << "colour count";
    EXPECT_EQ(file[9], 0);
    EXPECT_EQ(Word(file, 10), 1) << "planes";
    EXPECT_EQ(Word(file, 12), 24) << "bit count";
    EXPECT_EQ(DWord(file, 14), 3240u) << "bytes in resource";
    EXPECT_EQ(DWord(file, 18), 22u) << "image offset";

    const uint32_t header[] = {40, 32, 64};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(DWord(file, 22 + 4 * i), header[i]) << "header field " << i;
    EXPECT_EQ(Word(file, 34), 1);
    EXPECT_EQ(Word(file, 36), 24);
    for (size_t at = 38; at < 62; ++at)
        EXPECT_EQ(file[at], 0) << "header byte " << at;

    // The first colour bytes are the bottom-left pixel, blue first.
    COLORREF bottomLeft = PatternColor(0, 31);
    EXPECT_EQ(file[kColourData], GetBValue(bottomLeft));
    EXPECT_EQ(file[kColourData + 1], GetGValue(bottomLeft));
    EXPECT_EQ(file[kColourData + 2], GetRValue(bottomLeft));

    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) {
            bool transparent = PatternColor(x, y) == TransparentKeyColor;
            ASSERT_EQ(MaskBit(file, x, y), transparent) << "mask at " << x << "," << y;
            COLORREF expected = transparent ? RGB(0, 0, 0) : static_cast<COLORREF>(PatternColor(x, y));
            ASSERT_EQ(ColourAt(file, x, y), expected) << "colour at " << x << "," << y;
        }
    // Leftmost pixel in the most significant bit: of the bottom row's first eight pixels only (4,31)
    // has the key colour.
    EXPECT_EQ(file[kMaskData], 0x08);
}

TEST(IconWriter, AllTransparentAndNoTransparent)
{
    auto clear = SaveAndRead(*MakePicture([](int, int) { return TransparentKeyColor; }), "clear.ico");
    ASSERT_EQ(clear.size(), kFileSize);
    EXPECT_EQ(std::vector<uint8_t>(clear.begin() + kColourData, clear.begin() + kMaskData), std::vector<uint8_t>(3072, 0));
    EXPECT_EQ(std::vector<uint8_t>(clear.begin() + kMaskData, clear.end()), std::vector<uint8_t>(128, 0xFF));

    auto solid = SaveAndRead(*MakePicture([](int x, int y) { return static_cast<TColor>(RGB(x * 7, 200, y * 7)); }), "solid.ico");
    ASSERT_EQ(solid.size(), kFileSize);
    EXPECT_EQ(std::vector<uint8_t>(solid.begin() + kMaskData, solid.end()), std::vector<uint8_t>(128, 0));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            ASSERT_EQ(ColourAt(solid, x, y), RGB(x * 7, 200, y * 7)) << x << "," << y;
}

TEST(IconWriter, PaletteSourceIsWrittenAsTwentyFourBits)
{
    // Colours of the standard palette survive the 8-bit round, so the result can be checked exactly.
    TBitmap picture(32, 32, pf8bit);
    picture.Canvas().Brush().SetColor(clRed);
    picture.Canvas().FillRect(RECT{0, 0, 32, 32});
    picture.Canvas().Brush().SetColor(clBlue);
    picture.Canvas().FillRect(RECT{0, 0, 16, 16});
    ASSERT_EQ(picture.PixelFormat(), pf8bit);

    std::string path = TempPath("pal.ico");
    SaveBitmapAsIcon(path, picture, clBlue);
    auto file = ReadFileBytes(path);
    DeleteFileA(path.c_str());
    ASSERT_EQ(file.size(), kFileSize);
    EXPECT_EQ(Word(file, 12), 24);
    EXPECT_EQ(file[8], 0);
    EXPECT_TRUE(MaskBit(file, 0, 0));
    EXPECT_FALSE(MaskBit(file, 31, 31));
    EXPECT_EQ(ColourAt(file, 0, 0), RGB(0, 0, 0));
    EXPECT_EQ(ColourAt(file, 31, 31), RGB(255, 0, 0));
}

TEST(IconWriter, PlatformLoadsTheFileWithTheSamePixels)
{
    std::string path = TempPath("load.ico");
    SaveBitmapAsIcon(path, *MakePicture(PatternColor), TransparentKeyColor);

    HICON icon = static_cast<HICON>(LoadImageA(nullptr, path.c_str(), IMAGE_ICON, 32, 32, LR_LOADFROMFILE));
    ASSERT_NE(icon, nullptr) << "LoadImage refused the file";
    auto bytes = ReadFileBytes(path);
    HICON fromResource = CreateIconFromResourceEx(bytes.data() + 22, static_cast<DWORD>(bytes.size() - 22), TRUE,
                                                  0x00030000, 32, 32, LR_DEFAULTCOLOR);
    ASSERT_NE(fromResource, nullptr) << "CreateIconFromResourceEx refused the image";
    DeleteFileA(path.c_str());

    for (HICON h : {icon, fromResource}) {
        TBitmap canvas(32, 32, pf24bit);
        const COLORREF backdrop = RGB(1, 254, 3);
        canvas.Canvas().Brush().SetColor(static_cast<TColor>(backdrop));
        canvas.Canvas().FillRect(RECT{0, 0, 32, 32});
        ASSERT_TRUE(DrawIconEx(canvas.Canvas().Handle(), 0, 0, h, 32, 32, 0, nullptr, DI_NORMAL));
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x) {
                TColor source = PatternColor(x, y);
                COLORREF expected = source == TransparentKeyColor ? backdrop : static_cast<COLORREF>(source);
                ASSERT_EQ(ColorToRGB(canvas.PixelColor(x, y)), expected) << "pixel " << x << "," << y;
            }
        DestroyIcon(h);
    }
}

TEST(IconWriter, FailedSaveLeavesNoPartialFile)
{
    std::string path = TempPath("locked.ico");
    SaveFileReplacing(path, "old icon", 8);
    HANDLE lock = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(lock, INVALID_HANDLE_VALUE);
    EXPECT_THROW(SaveBitmapAsIcon(path, *MakePicture(PatternColor), TransparentKeyColor), EStreamError);
    CloseHandle(lock);
    auto bytes = ReadFileBytes(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "old icon") << "the old file must stay intact";
    DeleteFileA(path.c_str());

    EXPECT_THROW(SaveBitmapAsIcon("Z:\\no\\such\\folder\\x.ico", *MakePicture(PatternColor), TransparentKeyColor),
                 EFCreateError);
    EXPECT_THROW(SaveBitmapAsIcon(TempPath("empty.ico"), TBitmap(), TransparentKeyColor), EInvalidGraphic);
}
