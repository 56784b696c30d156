// The editor's files: which format a name chooses, what each kind of picture looks like once
// read into the 32x32 picture, and that writing never leaves a broken file behind.
#include <windows.h>

#include "Classes.h"
#include "Exceptions.h"
#include "IconConverter.h"
#include "JpegImage.h"
#include "PictureFiles.h"
#include "PictureOps.h"
#include "PicturePattern.h"
#include "StagedFolder.h"
#include "TransparentKey.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace {

TColor Solid(TBitmap& bitmap, TColor color)
{
    bitmap.Canvas().Brush().SetColor(color);
    bitmap.Canvas().FillRect({0, 0, bitmap.Width(), bitmap.Height()});
    return color;
}

// A fresh picture as the editor has it before reading a file.
void KeyPicture(TBitmap& picture)
{
    ClearPicture(picture, TransparentKeyColor);
}

void WriteBytes(const std::string& file, const std::vector<uint8_t>& bytes)
{
    SaveFileReplacing(file, bytes.data(), bytes.size());
}

}  // namespace

TEST(PictureFiles, TheExtensionChoosesTheFormat)
{
    const struct {
        const char* name;
        TPictureFileKind open, save;
    } names[] = {
        {"a.ico", pkIcon, pkIcon},       {"A.ICO", pkIcon, pkIcon},         {"a.bmp", pkBitmap, pkBitmap},
        {"a.Jpg", pkJpeg, pkJpeg},       {"x.jpeg", pkJpeg, pkJpeg},        {"a.png", pkBitmap, pkIcon},
        {"noext", pkBitmap, pkIcon},     {"C:\\a.jpg\\b", pkBitmap, pkIcon}, {"a.bmp.ico", pkIcon, pkIcon},
    };
    for (const auto& n : names) {
        EXPECT_EQ(OpenKindOf(n.name), n.open) << n.name;
        EXPECT_EQ(SaveKindOf(n.name), n.save) << n.name;
    }
}

TEST(PictureFiles, ASmallBitmapIsStretchedOverTheWholePicture)
{
    StagedFolder folder("editor files");
    TBitmap small(16, 16);
    Solid(small, clRed);
    small.Canvas().SetPixel(15, 15, clBlue);
    const std::string file = folder.Path() + "klein.bmp";
    small.SaveToFile(file);

    TBitmap picture, scratch;
    KeyPicture(picture);
    LoadPictureInto(file, picture, scratch);
    EXPECT_EQ(picture.PixelFormat(), pf24bit);
    EXPECT_EQ(Hex(picture.PixelColor(0, 0)), Hex(clRed));
    EXPECT_EQ(Hex(picture.PixelColor(29, 29)), Hex(clRed));
    // The one blue pixel covers the bottom-right 2 x 2.
    EXPECT_EQ(Hex(picture.PixelColor(30, 30)), Hex(clBlue));
    EXPECT_EQ(Hex(picture.PixelColor(31, 31)), Hex(clBlue));

    // Any other extension is tried as a bitmap.
    const std::string renamed = folder.Path() + "klein.dat";
    ASSERT_TRUE(CopyFileA(file.c_str(), renamed.c_str(), FALSE));
    KeyPicture(picture);
    LoadPictureInto(renamed, picture, scratch);
    EXPECT_EQ(Hex(picture.PixelColor(5, 5)), Hex(clRed));
}

TEST(PictureFiles, AnIconKeepsItsTransparentPixelsTransparent)
{
    StagedFolder folder("editor files");
    TBitmap source(32, 32);
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x)
            source.Canvas().SetPixel(x, y, x < 16 ? PatternColour(x, y) : TransparentKeyColor);
    const std::string file = folder.Path() + "halb.ico";
    SaveBitmapAsIcon(file, source, TransparentKeyColor);

    TBitmap picture, scratch;
    KeyPicture(picture);
    LoadPictureInto(file, picture, scratch);
    EXPECT_EQ(FirstDifference(picture, [](int x, int y) { return x < 16 ? PatternColour(x, y) : TransparentKeyColor; }),
              "");
}

TEST(PictureFiles, ALargeIconIsDrawnIntoTheSquare)
{
    StagedFolder folder("editor files");
    TBitmap big(48, 48);
    Solid(big, clGreen);
    const std::string file = folder.Path() + "gross.ico";
    SaveBitmapAsIcon(file, big, TransparentKeyColor);
    TBitmap picture, scratch;
    KeyPicture(picture);
    LoadPictureInto(file, picture, scratch);
    EXPECT_EQ(picture.Width(), 32);
    EXPECT_EQ(FirstDifference(picture, [](int, int) { return clGreen; }), "");
}

TEST(PictureFiles, JpegUnderEitherSpellingIsDecoded)
{
    StagedFolder folder("editor files");
    TBitmap photo(64, 40);
    Solid(photo, RGB(200, 40, 40));
    TJPEGImage jpeg;
    jpeg.Assign(photo);
    for (const char* name : {"foto.jpg", "foto.jpeg"}) {
        const std::string file = folder.Path() + name;
        jpeg.SaveToFile(file);
        TBitmap picture, scratch;
        KeyPicture(picture);
        LoadPictureInto(file, picture, scratch);
        COLORREF middle = ColorToRGB(picture.PixelColor(16, 16));
        EXPECT_NEAR(GetRValue(middle), 200, 12) << name;
        EXPECT_NEAR(GetGValue(middle), 40, 12) << name;
        EXPECT_NEAR(GetBValue(middle), 40, 12) << name;
    }
}

TEST(PictureFiles, ABrokenFileRaisesAndLeavesThePictureAsItWas)
{
    StagedFolder folder("editor files");
    TBitmap good(32, 32);
    Solid(good, clYellow);
    const std::string bmp = folder.Path() + "gut.bmp";
    good.SaveToFile(bmp);
    std::vector<uint8_t> bytes = ReadFileBytes(bmp);

    struct Case {
        const char* name;
        std::vector<uint8_t> bytes;
    };
    std::vector<Case> cases = {
        {"kurz.bmp", std::vector<uint8_t>(bytes.begin(), bytes.begin() + 40)},
        {"leer.ico", {}},
        {"falsch.jpg", std::vector<uint8_t>(bytes.begin(), bytes.end())},
        {"text.png", {'k', 'e', 'i', 'n', ' ', 'B', 'i', 'l', 'd'}},
    };
    for (const Case& c : cases) {
        const std::string file = folder.Path() + c.name;
        WriteBytes(file, c.bytes);
        TBitmap picture, scratch;
        KeyPicture(picture);
        EXPECT_THROW(LoadPictureInto(file, picture, scratch), Exception) << c.name;
        EXPECT_EQ(FirstDifference(picture, [](int, int) { return TransparentKeyColor; }), "") << c.name;
    }
    TBitmap picture, scratch;
    EXPECT_THROW(LoadPictureInto(folder.Path() + "fehlt.bmp", picture, scratch), Exception);
}

TEST(PictureFiles, SavingWritesEachFormatAndAFailureKeepsTheOldFile)
{
    StagedFolder folder("editor files");
    TBitmap picture;
    ClearPicture(picture, TransparentKeyColor);
    FillPattern(picture);

    const std::string ico = folder.Path() + "name.ico";
    SavePicture(ico, picture, TransparentKeyColor);
    EXPECT_EQ(ReadFileBytes(ico).size(), 3262u);

    const std::string bmp = folder.Path() + "name.bmp";
    SavePicture(bmp, picture, TransparentKeyColor);
    TBitmap reread;
    reread.LoadFromFile(bmp);
    EXPECT_EQ(reread.PixelFormat(), pf24bit);
    EXPECT_EQ(FirstDifference(reread, PatternColour), "");

    for (const char* name : {"name.jpg", "name.JPEG"}) {
        const std::string jpg = folder.Path() + name;
        SavePicture(jpg, picture, TransparentKeyColor);
        std::vector<uint8_t> bytes = ReadFileBytes(jpg);
        ASSERT_GE(bytes.size(), 2u) << name;
        EXPECT_TRUE(bytes[0] == 0xFF && bytes[1] == 0xD8) << name << ": a JPEG stream begins with FF D8";
    }

    // A picture that cannot be written as an icon leaves the old icon intact.
    TBitmap tooBig(300, 300);
    EXPECT_THROW(SavePicture(ico, tooBig, TransparentKeyColor), Exception);
    EXPECT_EQ(ReadFileBytes(ico).size(), 3262u);
}
