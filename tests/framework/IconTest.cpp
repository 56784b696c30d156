#include "Bitmap.h"
#include "Classes.h"
#include "Exceptions.h"
#include "Icon.h"
#include "ImageBytes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>

using imagebytes::Ico;
using imagebytes::IconImage;
using imagebytes::Set32;

namespace {

constexpr TColor Key = 8871750;

// 32x32: left half red and opaque, right half transparent; one blue pixel at the top left.
std::vector<uint8_t> HalfIcon(int size = 32)
{
    return IconImage(
        size, [](int x, int y) { return x == 0 && y == 0 ? RGB(0, 0, 255) : RGB(255, 0, 0); },
        [size](int x, int) { return x >= size / 2; });
}

void LoadBytes(TIcon& icon, const std::vector<uint8_t>& bytes)
{
    TMemoryStream stream(bytes);
    icon.LoadFromStream(stream);
}

}  // namespace

TEST(Icon, LoadsAndDrawsWithItsMask)
{
    TIcon icon;
    LoadBytes(icon, Ico({HalfIcon()}));
    ASSERT_NE(icon.Handle(), nullptr);
    EXPECT_EQ(icon.Width(), 32);
    EXPECT_EQ(icon.Height(), 32);
    EXPECT_TRUE(icon.Transparent());

    TBitmap bitmap(32, 32);
    bitmap.Canvas().Brush().SetColor(Key);
    bitmap.Canvas().FillRect(RECT{0, 0, 32, 32});
    bitmap.Canvas().Draw(0, 0, icon);
    EXPECT_EQ(bitmap.PixelColor(0, 0), clBlue) << "the image's top row is drawn at the top";
    EXPECT_EQ(bitmap.PixelColor(5, 20), clRed);
    EXPECT_EQ(bitmap.PixelColor(20, 20), Key) << "transparent pixels leave the key colour";
}

TEST(Icon, PicksTheImageOfTheSystemIconSize)
{
    auto small = IconImage(16, [](int, int) { return RGB(0, 255, 0); }, [](int, int) { return false; });
    TIcon icon;
    LoadBytes(icon, Ico({small, HalfIcon(32), HalfIcon(48)}));
    EXPECT_EQ(icon.Width(), GetSystemMetrics(SM_CXICON));

    TIcon only48;
    LoadBytes(only48, Ico({HalfIcon(48)}));
    EXPECT_EQ(only48.Width(), 48);
    TBitmap bitmap(32, 32);
    bitmap.Canvas().StretchDraw(RECT{0, 0, 32, 32}, only48);   // the system scales it into the box
    EXPECT_EQ(bitmap.PixelColor(4, 16), clRed);
    EXPECT_EQ(bitmap.PixelColor(28, 16), clWhite);
}

TEST(Icon, RejectsMalformedFilesBeforeThePlatformSeesThem)
{
    auto good = Ico({HalfIcon()});
    const size_t image = 6 + 16;   // where the only image starts
    auto with32 = [&](size_t at, uint32_t value) {
        auto f = good;
        Set32(f, at, value);
        return f;
    };
    auto with16 = [&](size_t at, uint16_t value) {
        auto f = good;
        f[at] = uint8_t(value);
        f[at + 1] = uint8_t(value >> 8);
        return f;
    };
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
        {"empty", {}},
        {"too short", {0, 0, 1, 0}},
        {"not an icon (cursor type)", with16(2, 2)},
        {"reserved word set", with16(0, 1)},
        {"no images", with16(4, 0)},
        {"directory longer than the file", with16(4, 5000)},
        {"image offset past the end", with32(6 + 12, 0x7FFFFFF0)},
        {"image size past the end", with32(6 + 8, 0x7FFFFFF0)},
        {"image shorter than a header", with32(6 + 8, 20)},
        {"header size unknown", with32(image, 12)},
        {"zero width", with32(image + 4, 0)},
        {"absurd width", with32(image + 4, 70000)},
        {"odd double height", with32(image + 8, 63)},
        {"negative height", with32(image + 8, uint32_t(-64))},
        {"7 bits per pixel", with16(image + 14, 7)},
        {"compressed", with32(image + 16, BI_RLE8)},
        {"colour count too high", with32(image + 32, 300)},
        {"pixel data cut short", std::vector<uint8_t>(good.begin(), good.end() - 1)},
        {"broken PNG", [&] {
             auto f = good;
             const uint8_t png[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
             std::copy(png, png + 8, f.begin() + image);
             return f;
         }()},
    };
    for (const auto& c : cases) {
        TIcon icon;
        LoadBytes(icon, Ico({HalfIcon(16)}));
        try {
            LoadBytes(icon, c.second);
            ADD_FAILURE() << c.first << ": accepted";
        } catch (const EInvalidGraphic& e) {
            EXPECT_EQ(std::string(e.what()).rfind("Ungültiges Symbol", 0), 0u) << c.first << ": " << e.what();
        }
        EXPECT_EQ(icon.Width(), 16) << c.first << ": a failed load keeps the icon";
    }
}

TEST(Icon, ABrokenImageIsPassedOverWhenAnotherIsSound)
{
    // The system-size image broken: the file still opens, with the sound 16x16 one.
    auto file = Ico({HalfIcon(16), HalfIcon()});
    const size_t second = 6 + 2 * 16 + HalfIcon(16).size();
    Set32(file, second, 12);
    TIcon icon;
    try {
        LoadBytes(icon, file);
    } catch (const EInvalidGraphic& e) {
        FAIL() << "refused: " << e.what();
    }
    EXPECT_EQ(icon.Width(), 16);
}

TEST(Icon, SurvivesRandomDamage)
{
    // One byte at a time in the directory and in both image headers.
    auto good = Ico({HalfIcon(16), HalfIcon()});
    const size_t second = 6 + 2 * 16 + HalfIcon(16).size();
    uint32_t randomState = 777;
    for (int round = 0; round < 1500; ++round) {
        auto damaged = good;
        randomState = randomState * 1103515245 + 12345;
        size_t at = (randomState >> 8) % (38 + 40 + 40);
        if (at >= 78)
            at = second + (at - 78);
        damaged[at] = uint8_t(randomState >> 20);
        TIcon icon;
        try {
            LoadBytes(icon, damaged);
        } catch (const EInvalidGraphic&) {
        }
    }
}

TEST(Icon, CopiesOwnTheirHandle)
{
    TIcon icon;
    LoadBytes(icon, Ico({HalfIcon()}));
    TIcon copy;
    copy.Assign(icon);
    ASSERT_NE(copy.Handle(), nullptr);
    EXPECT_NE(copy.Handle(), icon.Handle());
    EXPECT_EQ(copy.Width(), 32);

    HICON released = icon.ReleaseHandle();
    EXPECT_TRUE(icon.Empty());
    TIcon adopter;
    adopter.SetHandle(released);
    EXPECT_EQ(adopter.Width(), 32);
    EXPECT_EQ(adopter.Height(), 32);
    TMemoryStream out;
    EXPECT_THROW(adopter.SaveToStream(out), EInvalidGraphic);
}
