#include "Bitmap.h"
#include "Classes.h"
#include "Exceptions.h"
#include "ImageBytes.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <string>

using imagebytes::ScratchFolder;

namespace {

constexpr TColor Key = 8871750;

// A 32x32 picture of distinct colours: every pixel tells where it is.
void Pattern(TBitmap& bitmap, int size = 32)
{
    bitmap.SetSize(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x)
            bitmap.Canvas().SetPixel(x, y, RGB(x * 7, y * 7, (x + y) * 3));
}

std::string FileText(const std::string& fileName)
{
    auto bytes = ReadFileBytes(fileName);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

TEST(Bitmap, NewAreaIsWhiteAndResizingKeepsTheTopLeft)
{
    TBitmap bitmap(4, 3);
    EXPECT_EQ(bitmap.PixelColor(3, 2), clWhite);
    bitmap.Canvas().SetPixel(0, 0, clRed);
    bitmap.Canvas().SetPixel(3, 2, clBlue);
    bitmap.SetSize(6, 5);
    EXPECT_EQ(bitmap.PixelColor(0, 0), clRed);
    EXPECT_EQ(bitmap.PixelColor(3, 2), clBlue);
    EXPECT_EQ(bitmap.PixelColor(5, 4), clWhite);
    bitmap.SetSize(2, 2);
    EXPECT_EQ(bitmap.PixelColor(0, 0), clRed);
    bitmap.SetSize(0, 0);
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(bitmap.Handle(), nullptr);
    EXPECT_THROW(bitmap.SetSize(-1, 5), EInvalidGraphic);
    EXPECT_THROW(bitmap.SetSize(100000, 100000), EInvalidGraphic);
}

TEST(Bitmap, ScanLineZeroIsTheTopRow)
{
    TBitmap bitmap(3, 4, pf24bit);
    bitmap.Canvas().SetPixel(0, 0, clRed);
    bitmap.Canvas().SetPixel(2, 3, clBlue);
    auto* top = static_cast<const uint8_t*>(bitmap.ScanLine(0));
    auto* bottom = static_cast<const uint8_t*>(bitmap.ScanLine(3));
    EXPECT_EQ(top[0], 0);
    EXPECT_EQ(top[2], 255) << "red is the third byte of a pixel";
    EXPECT_EQ(bottom[6], 255) << "blue is the first byte";

    // Writing through ScanLine is what the canvas then sees.
    static_cast<uint8_t*>(bitmap.ScanLine(1))[3 * 1 + 1] = 0;   // (1,1): white without green
    EXPECT_EQ(bitmap.Canvas().Pixels(1, 1), clFuchsia);
    EXPECT_THROW(bitmap.ScanLine(4), Exception);
    EXPECT_THROW(bitmap.ScanLine(-1), Exception);
}

TEST(Bitmap, PixelFormatsKeepThePixels)
{
    TBitmap original;
    Pattern(original);
    const TPixelFormat lossless[] = {pf32bit, pf24bit};
    TBitmap copy;
    copy.Assign(original);
    for (TPixelFormat format : lossless) {
        copy.SetPixelFormat(format);
        EXPECT_EQ(copy.PixelFormat(), format);
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 32; ++x)
                ASSERT_EQ(copy.PixelColor(x, y), original.PixelColor(x, y)) << "format " << format << " at " << x << "," << y;
    }

    // Palette formats keep the standard colours exactly.
    const TColor vga[] = {clBlack, clMaroon, clGreen, clOlive, clNavy, clPurple, clTeal, clSilver,
                          clGray,  clRed,    clLime,  clYellow, clBlue, clFuchsia, clAqua, clWhite};
    for (TPixelFormat format : {pf4bit, pf8bit}) {
        TBitmap paletted(16, 1);
        for (int x = 0; x < 16; ++x)
            paletted.Canvas().SetPixel(x, 0, vga[x]);
        paletted.SetPixelFormat(format);
        paletted.SetPixelFormat(pf24bit);
        for (int x = 0; x < 16; ++x)
            EXPECT_EQ(paletted.PixelColor(x, 0), vga[x]) << "format " << format << " colour " << x;
    }
    TBitmap mono(2, 1);
    mono.Canvas().SetPixel(0, 0, clBlack);
    mono.Canvas().SetPixel(1, 0, RGB(250, 250, 240));
    mono.SetPixelFormat(pf1bit);
    EXPECT_TRUE(mono.Monochrome());
    EXPECT_EQ(mono.PixelColor(0, 0), clBlack);
    EXPECT_EQ(mono.PixelColor(1, 0), clWhite);

    TBitmap device(2, 2, pfDevice);
    EXPECT_EQ(device.PixelFormat(), pf24bit);
}

TEST(Bitmap, AssignIsDeep)
{
    TBitmap original;
    Pattern(original, 8);
    original.SetTransparent(true);
    original.SetTransparentColor(clLime);
    TBitmap copy;
    copy.Assign(original);
    EXPECT_NE(copy.Handle(), original.Handle());
    EXPECT_TRUE(copy.Transparent());
    EXPECT_EQ(copy.TransparentColor(), clLime);
    TColor before = original.PixelColor(2, 2);
    copy.Canvas().SetPixel(2, 2, before ^ 0xFFFFFF);
    EXPECT_EQ(original.PixelColor(2, 2), before);
    EXPECT_EQ(copy.PixelColor(3, 4), original.PixelColor(3, 4));

    std::unique_ptr<TGraphic> clone = original.Clone();
    EXPECT_EQ(clone->Width(), 8);
    EXPECT_NE(dynamic_cast<TBitmap*>(clone.get()), nullptr);
}

TEST(Bitmap, AssignIntoTheSameShapeCopiesThePixelsIntoTheBitmapThereIs)
{
    TBitmap source, target(8, 8);
    Pattern(source, 8);
    HBITMAP kept = target.Handle();
    target.Assign(source);
    EXPECT_EQ(target.Handle(), kept);
    EXPECT_EQ(target.PixelColor(5, 6), source.PixelColor(5, 6));
    target.Canvas().SetPixel(5, 6, clRed);
    EXPECT_NE(source.PixelColor(5, 6), clRed);

    TBitmap larger(9, 8);
    larger.Assign(source);
    EXPECT_EQ(larger.Width(), 8) << "another shape takes a new bitmap";
    EXPECT_EQ(larger.PixelColor(5, 6), source.PixelColor(5, 6));
}

// Drawn at its own size, a transparent bitmap keeps the mask of its key colour between draws;
// every way of changing the pixels or the key must show in the next draw.
TEST(Bitmap, TransparentDrawsFollowEveryChangeOfThePixelsAndTheKey)
{
    TBitmap picture;
    Pattern(picture, 16);
    for (int i = 0; i < 16; ++i)
        picture.Canvas().SetPixel(i, i, Key);
    picture.SetTransparent(true);
    picture.SetTransparentColor(Key);
    auto pixels = [&picture](std::initializer_list<POINT> points) {
        TBitmap screen(24, 24);
        screen.Canvas().Brush().SetColor(clYellow);
        screen.Canvas().FillRect({0, 0, 24, 24});
        picture.Draw(screen.Canvas(), {0, 0, picture.Width(), picture.Height()});
        std::vector<TColor> colours;
        for (POINT p : points)
            colours.push_back(screen.PixelColor(p.x, p.y));
        return colours;
    };
    using Colours = std::vector<TColor>;
    EXPECT_EQ(pixels({{4, 4}, {5, 9}}), (Colours{clYellow, picture.PixelColor(5, 9)}));
    EXPECT_EQ(pixels({{4, 4}, {5, 9}}), (Colours{clYellow, picture.PixelColor(5, 9)})) << "drawn again";

    auto* row = static_cast<uint8_t*>(picture.ScanLine(9));
    std::memset(row + 3 * 5, 0x40, 3);
    EXPECT_EQ(pixels({{5, 9}}), Colours{static_cast<TColor>(0x404040)}) << "written through a row";
    picture.Canvas().SetPixel(5, 9, Key);
    EXPECT_EQ(pixels({{5, 9}}), Colours{clYellow}) << "drawn on the canvas";
    TBitmap other;
    Pattern(other, 16);
    other.SetTransparent(true);
    other.SetTransparentColor(Key);
    picture.Assign(other);
    EXPECT_EQ(pixels({{4, 4}, {5, 9}}), (Colours{other.PixelColor(4, 4), other.PixelColor(5, 9)})) << "assigned";
    picture.SetTransparentColor(other.PixelColor(4, 4));
    EXPECT_EQ(pixels({{4, 4}, {5, 9}}), (Colours{clYellow, other.PixelColor(5, 9)})) << "another key";
    TBitmap larger;
    Pattern(larger, 20);
    larger.Canvas().SetPixel(18, 17, Key);
    larger.SetTransparent(true);
    larger.SetTransparentColor(Key);
    picture.Assign(larger);
    EXPECT_EQ(pixels({{18, 17}, {19, 17}, {5, 9}}), (Colours{clYellow, larger.PixelColor(19, 17), larger.PixelColor(5, 9)}))
        << "another size";
}

TEST(Bitmap, MaskIsWhiteExactlyWhereTheKeyColourIs)
{
    // What the icon writer stores as the AND mask: 1 (white) = transparent.
    TBitmap bitmap(32, 32);
    bitmap.Canvas().Brush().SetColor(Key);
    bitmap.Canvas().FillRect(RECT{0, 0, 32, 32});
    bitmap.Canvas().SetPixel(0, 31, clRed);   // bottom-left: the first pixel of the DIB
    bitmap.Canvas().SetPixel(5, 0, RGB(70, 95, 136));   // one step off the key
    bitmap.Mask(Key);
    EXPECT_EQ(bitmap.PixelFormat(), pf1bit);
    EXPECT_EQ(bitmap.PixelColor(0, 31), clBlack);
    EXPECT_EQ(bitmap.PixelColor(5, 0), clBlack);
    EXPECT_EQ(bitmap.PixelColor(1, 31), clWhite);
    DibImage dib = bitmap.ToDib();
    ASSERT_EQ(dib.Pixels.size(), 128u);
    EXPECT_EQ(dib.Pixels[0], 0x7F) << "bottom row first, leftmost pixel in the top bit";
    EXPECT_EQ(dib.Colors.size(), 2u);

    TBitmap none(32, 32);
    none.Mask(Key);
    DibImage allOpaque = none.ToDib();
    EXPECT_EQ(std::count(allOpaque.Pixels.begin(), allOpaque.Pixels.end(), 0), 128);

    // Monochrome switching takes the canvas's brush colour as the colour that becomes white.
    TBitmap glyph(4, 1);
    glyph.Canvas().SetPixel(2, 0, clBlack);
    glyph.Canvas().Brush().SetColor(clBlack);
    glyph.SetMonochrome(true);
    EXPECT_EQ(glyph.PixelColor(2, 0), clWhite);
    EXPECT_EQ(glyph.PixelColor(0, 0), clBlack);
}

TEST(Bitmap, TransparentColourDefaultsToTheBottomLeftPixel)
{
    TBitmap bitmap(4, 4);
    bitmap.Canvas().SetPixel(0, 3, clTeal);
    EXPECT_EQ(bitmap.TransparentMode(), tmAuto);
    EXPECT_EQ(bitmap.TransparentColor(), clTeal);
    bitmap.SetTransparentColor(clRed);
    EXPECT_EQ(bitmap.TransparentMode(), tmFixed);
    EXPECT_EQ(bitmap.TransparentColor(), clRed);
    bitmap.SetTransparentMode(tmAuto);
    EXPECT_EQ(bitmap.TransparentColor(), clTeal);
}

TEST(Bitmap, HandleCanBeSelectedElsewhereAfterDrawing)
{
    TBitmap bitmap(8, 8);
    bitmap.Canvas().Brush().SetColor(clRed);
    bitmap.Canvas().FillRect(RECT{0, 0, 8, 8});
    MemoryDC other;
    SelectedObject selected(other.get(), bitmap.Handle());
    EXPECT_TRUE(selected.Selected()) << "the canvas's DC must let go of the bitmap";
    EXPECT_EQ(GetPixel(other.get(), 3, 3), RGB(255, 0, 0));
}

TEST(Bitmap, SetHandleTakesOverADeviceBitmap)
{
    HBITMAP ddb = imagebytes::DeviceBitmap(5, 3, WHITENESS, POINT{4, 0}, RGB(0, 0, 255));
    TBitmap bitmap;
    bitmap.SetHandle(ddb);
    EXPECT_EQ(bitmap.Width(), 5);
    EXPECT_EQ(bitmap.Height(), 3);
    EXPECT_EQ(bitmap.PixelColor(4, 0), clBlue);
    EXPECT_EQ(bitmap.PixelColor(0, 2), clWhite);
    EXPECT_EQ(GetObjectType(ddb), 0u) << "the bitmap took ownership and deleted the original";

    HBITMAP released = bitmap.ReleaseHandle();
    EXPECT_TRUE(bitmap.Empty());
    EXPECT_EQ(GetObjectType(released), static_cast<DWORD>(OBJ_BITMAP));
    DeleteObject(released);
}

TEST(Bitmap, BmpFilesRoundTripInEveryFormat)
{
    ScratchFolder folder("ql_bitmap_files");
    TBitmap original;
    Pattern(original, 13);   // odd width: row padding matters
    for (TPixelFormat format : {pf1bit, pf4bit, pf8bit, pf24bit, pf32bit}) {
        TBitmap source;
        source.Assign(original);
        source.SetPixelFormat(format);
        std::string file = folder.File("round" + std::to_string(format) + ".bmp");
        source.SaveToFile(file);
        TBitmap loaded;
        loaded.LoadFromFile(file);
        EXPECT_EQ(loaded.PixelFormat(), format);
        ASSERT_EQ(loaded.Width(), 13);
        ASSERT_EQ(loaded.Height(), 13);
        for (int y = 0; y < 13; ++y)
            for (int x = 0; x < 13; ++x)
                ASSERT_EQ(loaded.PixelColor(x, y), source.PixelColor(x, y)) << "format " << format << " at " << x << "," << y;
    }
}

TEST(Bitmap, FailedSaveLeavesTheOldFile)
{
    ScratchFolder folder("ql_bitmap_save");
    std::string file = folder.File("keep.bmp");
    TBitmap bitmap(4, 4);
    bitmap.SaveToFile(file);
    std::string saved = FileText(file);

    // A file held open by another program cannot be replaced; nor can an empty bitmap be
    // written at all.
    {
        HANDLE held = CreateFileA(file.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
        ASSERT_NE(held, INVALID_HANDLE_VALUE);
        TBitmap other(8, 8);
        EXPECT_THROW(other.SaveToFile(file), EStreamError);
        CloseHandle(held);
    }
    EXPECT_EQ(FileText(file), saved);
    TBitmap empty;
    EXPECT_THROW(empty.SaveToFile(file), EInvalidGraphic);
    EXPECT_EQ(FileText(file), saved);
}

TEST(Bitmap, LoadingABrokenFileKeepsThePicture)
{
    ScratchFolder folder("ql_bitmap_broken");
    std::string file = folder.File("broken.bmp");
    TBitmap good(6, 6);
    good.SaveToFile(file);
    auto bytes = ReadFileBytes(file);
    bytes.resize(bytes.size() - 10);
    SaveFileReplacing(file, bytes.data(), bytes.size());

    TBitmap bitmap(3, 2);
    bitmap.Canvas().SetPixel(1, 1, clRed);
    try {
        bitmap.LoadFromFile(file);
        FAIL() << "a truncated file loaded";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(std::string(e.what()).rfind("Ungültiges Bitmap", 0), 0u) << e.what();
    }
    EXPECT_EQ(bitmap.Width(), 3);
    EXPECT_EQ(bitmap.PixelColor(1, 1), clRed);
    EXPECT_THROW(bitmap.LoadFromFile(folder.File("missing.bmp")), EStreamError);
}

TEST(Bitmap, LoadsABitmapResource)
{
    // The common controls library carries its toolbar strips as bitmap resources.
    HMODULE comctl = LoadLibraryA("comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    TBitmap strip;
    strip.LoadFromResourceName(comctl, MAKEINTRESOURCEA(120));   // the small standard toolbar images
    EXPECT_GT(strip.Width(), 0);
    EXPECT_GT(strip.Height(), 0);
    EXPECT_THROW(strip.LoadFromResourceName(comctl, "NO_SUCH_BITMAP"), EInvalidGraphic);
    EXPECT_GT(strip.Width(), 0) << "a failed load keeps the picture";
    FreeLibrary(comctl);
}

TEST(Bitmap, AssignFromAnotherKindOfPictureDrawsIt)
{
    TBitmap source(3, 3);
    source.Canvas().SetPixel(1, 1, clRed);
    TBitmap copy(10, 10, pf8bit);
    copy.Assign(static_cast<TGraphic&>(source));
    EXPECT_EQ(copy.Width(), 3);
    EXPECT_EQ(copy.PixelColor(1, 1), clRed);
}

TEST(Bitmap, DeletesTheObjectsItMade)
{
    HBITMAP handle;
    HPEN pen;
    HFONT font;
    {
        TBitmap bitmap(16, 16);
        bitmap.Canvas().LineTo(5, 5);
        bitmap.Canvas().TextOut(0, 0, "x");
        pen = bitmap.Canvas().Pen().Handle();
        font = bitmap.Canvas().Font().Handle();
        handle = bitmap.Handle();
        bitmap.Canvas().Pen().SetColor(clRed);   // a changed tool drops its old object
        EXPECT_EQ(GetObjectType(pen), 0u);
        pen = bitmap.Canvas().Pen().Handle();
    }
    EXPECT_EQ(GetObjectType(handle), 0u);
    EXPECT_EQ(GetObjectType(pen), 0u);
    EXPECT_EQ(GetObjectType(font), 0u);
}
