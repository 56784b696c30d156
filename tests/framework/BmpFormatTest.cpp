#include "BmpFormat.h"
#include "Exceptions.h"
#include "ImageBytes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <functional>
#include <string>

using imagebytes::Bmp;
using imagebytes::Put16;
using imagebytes::Put32;
using imagebytes::Set32;

namespace {

// Colour of pixel (x, y), y counted from the top, as 0x00RRGGBB for easy reading.
uint32_t Rgb(const DibImage& image, int x, int y)
{
    const uint8_t* row = image.Pixels.data() + image.Stride() * size_t(image.Height - 1 - y);
    if (image.BitCount <= 8) {
        int bits = image.BitCount;
        int index = bits == 8 ? row[x] : bits == 4 ? (row[x / 2] >> (x % 2 ? 0 : 4)) & 15 : (row[x / 8] >> (7 - x % 8)) & 1;
        const RGBQUAD& q = image.Colors.at(size_t(index));
        return uint32_t(q.rgbRed) << 16 | q.rgbGreen << 8 | q.rgbBlue;
    }
    const uint8_t* p = row + size_t(x) * (image.BitCount / 8);
    return uint32_t(p[2]) << 16 | p[1] << 8 | p[0];
}

RGBQUAD Q(BYTE r, BYTE g, BYTE b) { return RGBQUAD{b, g, r, 0}; }

// A valid 2x2 24-bit file: top row red, blue; bottom row green, white (stored bottom-up).
std::vector<uint8_t> Valid24()
{
    return Bmp(2, 2, 24, {}, {{0, 255, 0, 255, 255, 255}, {0, 0, 255, 255, 0, 0}});
}

void ExpectInvalid(const std::vector<uint8_t>& bytes, const std::string& what)
{
    try {
        ReadBmpFile(bytes.data(), bytes.size());
        ADD_FAILURE() << what << ": accepted";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Ungültiges Bitmap: ", 0), 0u) << what << ": " << e.what();
    }
}

}  // namespace

TEST(BmpReader, DecodesEveryBitDepth)
{
    struct Case {
        const char* name;
        std::vector<uint8_t> file;
        int bitCount;
        uint32_t topLeft, topRight, bottomLeft;
    };
    const std::vector<Case> cases = {
        {"24 bit", Valid24(), 24, 0xFF0000, 0x0000FF, 0x00FF00},
        {"24 bit top-down", [] {
             auto f = Bmp(2, 2, 24, {}, {{0, 0, 255, 255, 0, 0}, {0, 255, 0, 255, 255, 255}});
             Set32(f, 22, uint32_t(-2));
             return f;
         }(), 24, 0xFF0000, 0x0000FF, 0x00FF00},
        {"8 bit", Bmp(2, 2, 8, {Q(0, 0, 0), Q(255, 0, 0), Q(0, 255, 0)}, {{2, 0}, {1, 0}}), 8, 0xFF0000, 0, 0x00FF00},
        {"4 bit", Bmp(3, 1, 4, {Q(0, 0, 0), Q(1, 2, 3), Q(9, 9, 9)}, {{0x12, 0x00}}), 4, 0x010203, 0x000000, 0x010203},
        {"1 bit", Bmp(9, 1, 1, {Q(10, 20, 30), Q(200, 100, 50)}, {{0x80, 0x00}}), 1, 0xC86432, 0x0A141E, 0xC86432},
        {"16 bit 5-5-5", Bmp(2, 1, 16, {}, {{0x00, 0x7C, 0x1F, 0x00}}), 24, 0xFF0000, 0x0000FF, 0xFF0000},
        {"16 bit 5-6-5", Bmp(2, 1, 16, {}, {{0xE0, 0x07, 0x1F, 0xF8}}, BI_BITFIELDS, {0xF800, 0x07E0, 0x001F}), 24,
         0x00FF00, 0xFF00FF, 0x00FF00},
        {"32 bit", Bmp(1, 1, 32, {}, {{3, 2, 1, 0}}), 32, 0x010203, 0x010203, 0x010203},
        {"32 bit fields", Bmp(1, 1, 32, {}, {{0x11, 0x22, 0x33, 0x44}}, BI_BITFIELDS, {0xFF, 0xFF00, 0xFF0000}), 32,
         0x112233, 0x112233, 0x112233},   // red in the low byte
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DibImage image = ReadBmpFile(c.file.data(), c.file.size());
        EXPECT_EQ(image.BitCount, c.bitCount);
        EXPECT_EQ(image.Pixels.size(), image.Stride() * size_t(image.Height));
        EXPECT_EQ(Rgb(image, 0, 0), c.topLeft) << std::hex << Rgb(image, 0, 0);
        EXPECT_EQ(Rgb(image, image.Width - 1, 0), c.topRight) << std::hex << Rgb(image, image.Width - 1, 0);
        EXPECT_EQ(Rgb(image, 0, image.Height - 1), c.bottomLeft) << std::hex << Rgb(image, 0, image.Height - 1);
        // Straight into memory of the caller's (a DIB section's): the same bytes, none in Pixels.
        std::vector<uint8_t> target;
        DibImage layout = ReadBmpFile(c.file.data(), c.file.size(), [&](const DibImage& read) {
            target.assign(read.Stride() * size_t(read.Height), 0);
            return target.data();
        });
        EXPECT_TRUE(layout.Pixels.empty());
        EXPECT_EQ(layout.Width, image.Width);
        EXPECT_TRUE(target == image.Pixels);
    }
}

TEST(BmpReader, ReadsCoreAndVersion5Headers)
{
    // OS/2 core header: 12 bytes, 16-bit sizes, three-byte colour entries.
    std::vector<uint8_t> core = {'B', 'M'};
    Put32(core, 14 + 12 + 6 + 4);
    Put32(core, 0);
    Put32(core, 14 + 12 + 6);
    Put32(core, 12);
    Put16(core, 1);
    Put16(core, 1);
    Put16(core, 1);
    Put16(core, 1);
    core.insert(core.end(), {0, 0, 0, 0, 0, 255});   // black, red (blue, green, red order)
    core.insert(core.end(), {0x80, 0, 0, 0});
    DibImage image = ReadBmpFile(core.data(), core.size());
    EXPECT_EQ(Rgb(image, 0, 0), 0xFF0000u);

    // A V5 header is a BITMAPINFOHEADER followed by masks, colour space and profile fields.
    auto v5 = Valid24();
    v5.insert(v5.begin() + 54, 124 - 40, 0);
    Set32(v5, 14, 124);
    Set32(v5, 10, 14 + 124);
    Set32(v5, 2, uint32_t(v5.size()));
    image = ReadBmpFile(v5.data(), v5.size());
    EXPECT_EQ(Rgb(image, 0, 0), 0xFF0000u);
}

TEST(BmpReader, RejectsMalformedFiles)
{
    auto withField = [](std::vector<uint8_t> f, size_t at, uint32_t value) {
        Set32(f, at, value);
        return f;
    };
    auto with16 = [](std::vector<uint8_t> f, size_t at, uint16_t value) {
        f[at] = uint8_t(value);
        f[at + 1] = uint8_t(value >> 8);
        return f;
    };
    auto valid = Valid24();
    auto palette = Bmp(2, 1, 8, {Q(1, 1, 1), Q(2, 2, 2)}, {{0, 1}});
    const std::vector<std::pair<const char*, std::vector<uint8_t>>> cases = {
        {"empty", {}},
        {"too short", {'B', 'M', 0, 0}},
        {"bad magic", [&] { auto f = valid; f[0] = 'X'; return f; }()},
        {"data offset past the end", withField(valid, 10, 0x7FFFFFF0)},
        {"data offset inside the header", withField(valid, 10, 20)},
        {"header size unknown", withField(valid, 14, 41)},
        {"header size past the end", withField(valid, 14, 0xFFFFFFF0)},
        {"zero width", withField(valid, 18, 0)},
        {"negative width", withField(valid, 18, uint32_t(-2))},
        {"zero height", withField(valid, 22, 0)},
        {"most negative height", withField(valid, 22, 0x80000000)},
        {"absurd dimensions", withField(withField(valid, 18, 100000), 22, 100000)},
        {"size overflow", withField(withField(valid, 18, 0x7FFFFFFF), 22, 0x7FFFFFFF)},
        {"two planes", with16(valid, 26, 2)},
        {"7 bits per pixel", with16(valid, 28, 7)},
        {"RLE compression", withField(palette, 30, BI_RLE8)},
        {"unknown compression", withField(valid, 30, 9)},
        {"bit fields at 24 bits", withField(valid, 30, BI_BITFIELDS)},
        {"colour count above 2^bits", withField(palette, 46, 257)},
        {"colour table past the end", withField(palette, 46, 200)},
        {"truncated pixel data", std::vector<uint8_t>(valid.begin(), valid.end() - 1)},
        {"taller than the data", withField(valid, 22, 3)},
    };
    for (const auto& c : cases)
        ExpectInvalid(c.second, c.first);
}

TEST(BmpReader, SurvivesEveryTruncationAndRandomDamage)
{
    auto file = Bmp(5, 3, 8, {Q(1, 2, 3), Q(4, 5, 6), Q(7, 8, 9)}, {{0, 1, 2, 3, 4}, {4, 3, 2, 1, 0}, {255, 0, 1, 2, 9}});
    for (size_t size = 0; size < file.size(); ++size)
        EXPECT_THROW(ReadBmpFile(file.data(), size), EInvalidGraphic) << "cut to " << size << " bytes";

    // Damage one header byte at a time: either a clean refusal or a consistent picture.
    uint32_t randomState = 12345;
    for (int round = 0; round < 3000; ++round) {
        auto damaged = file;
        randomState = randomState * 1103515245 + 12345;
        size_t at = (randomState >> 8) % 60;
        damaged[at] = uint8_t(randomState >> 20);
        try {
            DibImage image = ReadBmpFile(damaged.data(), damaged.size());
            ASSERT_GE(image.Pixels.size(), image.Stride() * size_t(image.Height)) << "byte " << at;
            if (image.BitCount <= 8) {
                ASSERT_LE(image.Colors.size(), size_t(1) << image.BitCount) << "byte " << at;
            }
        } catch (const EInvalidGraphic&) {
        }
    }
}

TEST(BmpReader, OutOfRangePaletteIndexesStayInsideTheImage)
{
    // Index 255 with a three-colour table: the reader keeps the table as it is; the picture
    // owner pads it, and the pixels stay addressable.
    auto file = Bmp(1, 1, 8, {Q(1, 2, 3), Q(4, 5, 6), Q(7, 8, 9)}, {{255}});
    DibImage image = ReadBmpFile(file.data(), file.size());
    EXPECT_EQ(image.Colors.size(), 3u);
    EXPECT_EQ(image.Pixels[0], 255);
}

TEST(BmpWriter, WritesWhatTheReaderReadsBack)
{
    for (int bits : {1, 4, 8, 24, 32}) {
        DibImage image;
        image.Width = 7;
        image.Height = 3;
        image.BitCount = bits;
        if (bits <= 8)
            for (int i = 0; i < (1 << bits) && i < 16; ++i)
                image.Colors.push_back(Q(BYTE(i * 16), BYTE(255 - i), BYTE(i)));
        image.Pixels.resize(image.Stride() * 3);
        for (size_t i = 0; i < image.Pixels.size(); ++i)
            image.Pixels[i] = uint8_t(bits == 8 ? i % 16 : i * 37);   // 8 bits: only 16 colours in the table

        auto file = WriteBmpFile(image);
        DibImage back = ReadBmpFile(file.data(), file.size());
        EXPECT_EQ(back.BitCount, bits);
        EXPECT_EQ(back.Width, 7);
        EXPECT_EQ(back.Height, 3);
        for (int y = 0; y < 3; ++y)
            for (int x = 0; x < 7; ++x)
                ASSERT_EQ(Rgb(back, x, y), Rgb(image, x, y)) << bits << " bits at " << x << "," << y;

        auto packed = WritePackedDib(image);
        EXPECT_EQ(packed.size() + 14, file.size());
        DibImage fromPacked = ReadPackedDib(packed.data(), packed.size());
        EXPECT_EQ(fromPacked.Pixels, back.Pixels) << bits << " bits";
    }
    DibImage broken;
    broken.Width = 4;
    broken.Height = 4;
    EXPECT_THROW(WriteBmpFile(broken), EInvalidGraphic) << "no pixels for the size";
}
