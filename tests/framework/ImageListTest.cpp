#include "Bitmap.h"
#include "Exceptions.h"
#include "Icon.h"
#include "ImageBytes.h"
#include "ImageList.h"

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
