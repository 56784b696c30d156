#include "Bitmap.h"
#include "Exceptions.h"
#include "Icon.h"
#include "ImageBytes.h"
#include "ImageList.h"
#include "Pixels.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

constexpr TColor Key = 8871750;

// A strip of `count` 16x16 images: image i is filled with colours[i] and has a key-coloured
// 4x4 square in its top-left corner.
void Strip(TBitmap& strip, const std::vector<TColor>& colours)
{
    strip.SetSize(16 * int(colours.size()), 16);
    for (size_t i = 0; i < colours.size(); ++i) {
        int left = 16 * int(i);
        strip.Canvas().Brush().SetColor(colours[i]);
        strip.Canvas().FillRect(RECT{left, 0, left + 16, 16});
        strip.Canvas().Brush().SetColor(Key);
        strip.Canvas().FillRect(RECT{left, 0, left + 4, 4});
    }
}

void Fill(TBitmap& bitmap, int width, int height, TColor colour)
{
    bitmap.SetSize(width, height);
    bitmap.Canvas().Brush().SetColor(colour);
    bitmap.Canvas().FillRect(RECT{0, 0, width, height});
}

struct Recorder : TImageListWatcher {
    int changes = 0;
    int destroyed = 0;
    TImageList* removeOnChange = nullptr;
    void OnImageListChange(TImageList& list) override
    {
        ++changes;
        if (removeOnChange)
            removeOnChange->RemoveWatcher(this);
    }
    void OnImageListDestroyed(TImageList&) override { ++destroyed; }
};

}  // namespace

TEST(ImageList, AddMaskedSplitsAStripAndDrawsWithTheMask)
{
    TImageList list(16, 16);
    TBitmap strip;
    Strip(strip, {clRed, clLime, clBlue});
    std::vector<uint8_t> before = strip.ToDib().Pixels;
    EXPECT_EQ(list.AddMasked(strip, Key), 0);
    EXPECT_EQ(list.Count(), 3);
    EXPECT_EQ(strip.ToDib().Pixels, before) << "the source strip stays as it was";

    TBitmap target;
    Fill(target, 20, 20, clYellow);
    list.Draw(target.Canvas(), 2, 2, 1);
    EXPECT_EQ(target.PixelColor(3, 3), clYellow) << "masked corner shows what was there";
    EXPECT_EQ(target.PixelColor(10, 10), clLime);
    EXPECT_EQ(target.PixelColor(1, 1), clYellow) << "nothing outside the image";
    list.Draw(target.Canvas(), 0, 0, 7);   // out of range: nothing
    list.Draw(target.Canvas(), 0, 0, -1);
    EXPECT_EQ(target.PixelColor(0, 0), clYellow);
}

TEST(ImageList, AddTakesAnExplicitMask)
{
    TImageList list(16, 16);
    TBitmap image, mask;
    Fill(image, 16, 16, clRed);
    Fill(mask, 16, 16, clBlack);   // opaque ...
    mask.Canvas().Brush().SetColor(clWhite);
    mask.Canvas().FillRect(RECT{8, 0, 16, 16});   // ... but the right half
    EXPECT_EQ(list.Add(image, &mask), 0);

    TBitmap target;
    Fill(target, 16, 16, clBlue);
    list.Draw(target.Canvas(), 0, 0, 0);
    EXPECT_EQ(target.PixelColor(2, 8), clRed);
    EXPECT_EQ(target.PixelColor(12, 8), clBlue);

    // Without a mask and with clNone the image is opaque everywhere.
    TBitmap keyed;
    Fill(keyed, 16, 16, Key);
    EXPECT_EQ(list.AddMasked(keyed, clNone), 1);
    list.Draw(target.Canvas(), 0, 0, 1);
    EXPECT_EQ(target.PixelColor(12, 8), Key);
}

TEST(ImageList, GetBitmapAndGetIconGiveTheImageBack)
{
    TImageList list(16, 16);
    TBitmap strip;
    Strip(strip, {clRed, clNavy});
    list.AddMasked(strip, Key);

    // As the skinned buttons fetch a glyph: a key-coloured bitmap, the image drawn over it.
    TBitmap glyph;
    Fill(glyph, 16, 16, Key);
    list.GetBitmap(1, glyph);
    EXPECT_EQ(glyph.PixelColor(8, 8), clNavy);
    EXPECT_EQ(glyph.PixelColor(1, 1), Key);

    TIcon icon;
    list.GetIcon(0, icon);
    EXPECT_EQ(icon.Width(), 16);
    EXPECT_THROW(list.GetIcon(5, icon), EInvalidGraphic);
    EXPECT_EQ(list.AddIcon(icon), 2);
    EXPECT_EQ(list.Count(), 3);
    TBitmap back;
    Fill(back, 16, 16, clWhite);
    list.Draw(back.Canvas(), 0, 0, 2);
    EXPECT_EQ(back.PixelColor(8, 8), clRed);
    EXPECT_EQ(back.PixelColor(1, 1), clWhite) << "the icon's mask came along";
}

TEST(ImageList, DisabledImagesAreEmbossed)
{
    TImageList list(16, 16);
    TBitmap strip;
    Strip(strip, {clRed});
    list.AddMasked(strip, Key);
    TBitmap target;
    Fill(target, 20, 20, clWhite);
    list.Draw(target.Canvas(), 0, 0, 0, false);
    COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    EXPECT_EQ(target.PixelColor(8, 8), TColor(shadow)) << std::hex << "got 0x" << target.PixelColor(8, 8);
    EXPECT_EQ(target.PixelColor(1, 1), clWhite) << "the masked corner stays clear";
    EXPECT_EQ(target.PixelColor(16, 16), TColor(GetSysColor(COLOR_BTNHIGHLIGHT))) << "highlight one pixel down-right";
}

TEST(ImageList, WatchersHearOfChangesAndOfTheEnd)
{
    Recorder recorder, leaver;
    {
        TImageList list(16, 16);
        list.AddWatcher(&recorder);
        list.AddWatcher(&recorder);   // once only
        list.AddWatcher(&leaver);
        leaver.removeOnChange = &list;
        TBitmap strip;
        Strip(strip, {clRed});
        list.AddMasked(strip, Key);
        list.Clear();
        EXPECT_EQ(list.Count(), 0);
        list.SetSize(32, 32);
        EXPECT_EQ(list.Width(), 32);
        EXPECT_EQ(recorder.changes, 3);
        EXPECT_EQ(leaver.changes, 1) << "a watcher may leave while being told";
    }
    EXPECT_EQ(recorder.destroyed, 1);
    EXPECT_EQ(leaver.destroyed, 0);
}

TEST(ImageList, LoadsAStripFromAResource)
{
    HMODULE comctl = LoadLibraryA("comctl32.dll");
    ASSERT_NE(comctl, nullptr);
    TBitmap strip;
    strip.LoadFromResourceName(comctl, MAKEINTRESOURCEA(120));
    TImageList list(16, 16);
    list.LoadStripFromResource(comctl, MAKEINTRESOURCEA(120), clFuchsia);
    EXPECT_EQ(list.Count(), strip.Width() / 16);
    FreeLibrary(comctl);
}

namespace {

// A picture with every pixel different from its neighbours, some of them the key colour.
void Speckled(TBitmap& bitmap, int width, int height, TPixelFormat format, unsigned start)
{
    bitmap.SetPixelFormat(format);
    bitmap.SetSize(width, height);
    Speckle(bitmap, start, {Key}, 5);
}

enum class Filling { KeyColour, OneBitMask, ColourMask, Opaque };

// Fills a list in one of the ways the programs fill theirs.
void FillList(TImageList& list, Filling filling, TPixelFormat format)
{
    TBitmap strip, mask;
    Speckled(strip, 3 * list.Width(), list.Height(), format, 7);
    switch (filling) {
    case Filling::KeyColour:
        ASSERT_EQ(list.AddMasked(strip, Key), 0);
        break;
    case Filling::OneBitMask:
    case Filling::ColourMask:
        Speckled(mask, strip.Width(), strip.Height(), pf24bit, 11);
        if (filling == Filling::OneBitMask)
            mask.Mask(Key);
        ASSERT_EQ(list.Add(strip, &mask), 0);
        break;
    case Filling::Opaque:
        ASSERT_EQ(list.AddMasked(strip, clNone), 0);
        break;
    }
    ASSERT_EQ(list.Count(), 3);
}

// Every image, enabled and disabled, drawn over a speckled background of a target format.
std::vector<uint8_t> Drawn(TImageList& list, TPixelFormat target)
{
    TBitmap canvas;
    Speckled(canvas, 4 * list.Width() + 8, 2 * list.Height() + 8, target, 3);
    for (int index = 0; index < 3; ++index) {
        list.Draw(canvas.Canvas(), 2 + index * list.Width(), 2, index);
        list.Draw(canvas.Canvas(), 3 + index * list.Width(), 4 + list.Height(), index, false);
    }
    TBitmap glyph;
    list.GetBitmap(2, glyph);
    canvas.Canvas().Draw(3 * list.Width() + 4, 2, glyph);
    return canvas.ToDib().Pixels;
}

}  // namespace

// The list keeps its images itself until a platform control needs its handle: what it draws
// then, before and after the handle was made, is what the platform's list draws.
TEST(ImageList, DrawsAsThePlatformsListBeforeAndAfterItsHandleIsMade)
{
    const Filling fillings[] = {Filling::KeyColour, Filling::OneBitMask, Filling::ColourMask, Filling::Opaque};
    for (Filling filling : fillings) {
        for (TPixelFormat source : {pf24bit, pf8bit}) {
            for (TPixelFormat target : {pf24bit, pf32bit}) {
                SCOPED_TRACE("filling " + std::to_string(int(filling)) + ", source " + std::to_string(source) +
                             ", target " + std::to_string(target));
                TImageList platform(13, 17), own(13, 17);
                ASSERT_NE(platform.Handle(), nullptr);
                FillList(platform, filling, source);
                FillList(own, filling, source);
                EXPECT_EQ(own.HandleAllocated(), source != pf24bit) << "a list no platform function asked for";
                const std::vector<uint8_t> expected = Drawn(platform, target);
                EXPECT_TRUE(Drawn(own, target) == expected) << "drawn from the list's own bitmaps";
                ASSERT_NE(own.Handle(), nullptr);
                EXPECT_EQ(ImageList_GetImageCount(own.Handle()), 3);
                EXPECT_TRUE(Drawn(own, target) == expected) << "drawn from the platform's list it made";
            }
        }
    }
}

TEST(ImageList, APictureOfAnotherHeightOrAnIconGoesToThePlatformsList)
{
    TImageList list(16, 16);
    TBitmap strip;
    Strip(strip, {clRed, clLime});
    EXPECT_EQ(list.AddMasked(strip, Key), 0);
    EXPECT_FALSE(list.HandleAllocated());
    TBitmap tall;
    Fill(tall, 16, 20, clBlue);
    EXPECT_EQ(list.AddMasked(tall, Key), 2);
    EXPECT_TRUE(list.HandleAllocated());
    EXPECT_EQ(list.Count(), 3);
    TBitmap target;
    Fill(target, 16, 16, clWhite);
    list.Draw(target.Canvas(), 0, 0, 1);
    EXPECT_EQ(target.PixelColor(8, 8), clLime) << "the images before it came along";

    TImageList icons(16, 16);
    TIcon icon;
    list.GetIcon(0, icon);
    EXPECT_EQ(icons.AddIcon(icon), 0);
    EXPECT_TRUE(icons.HandleAllocated());
}
