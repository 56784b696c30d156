#include "Bitmap.h"
#include "Classes.h"
#include "Clipboard.h"
#include "GdiCount.h"
#include "Icon.h"
#include "ImageBytes.h"
#include "ImageList.h"
#include "Picture.h"

#include <gtest/gtest.h>
#include <windows.h>

namespace {

// One round of what the programs do with pictures, every object made and dropped again.
void UsePictures(const std::vector<uint8_t>& iconFile)
{
    TBitmap bitmap(32, 32);
    bitmap.Canvas().Brush().SetColor(clRed);
    bitmap.Canvas().Ellipse(0, 0, 20, 20);
    bitmap.Canvas().Font().SetStyle(fsBold);
    bitmap.Canvas().TextOut(1, 1, "Ab");
    TBitmap copy;
    copy.Assign(bitmap);
    copy.SetPixelFormat(pf8bit);
    copy.Mask(clRed);
    copy.SetTransparent(true);
    bitmap.Canvas().Draw(0, 0, copy);
    bitmap.SetHandle(CreateBitmap(4, 4, 1, 1, nullptr));

    TIcon icon;
    TMemoryStream stream(iconFile);
    icon.LoadFromStream(stream);
    TIcon iconCopy;
    iconCopy.Assign(icon);
    bitmap.Canvas().Draw(0, 0, iconCopy);

    TImageList list(16, 16);
    TBitmap strip(48, 16);
    list.AddMasked(strip, clWhite);
    list.AddIcon(icon);
    list.Draw(bitmap.Canvas(), 0, 0, 1, false);
    TIcon fromList;
    list.GetIcon(0, fromList);
    TBitmap glyph;
    list.GetBitmap(0, glyph);

    TPicture picture;
    picture.Assign(&icon);
    picture.Bitmap().Assign(bitmap);

    Clipboard().SetBitmap(bitmap);
    Clipboard().GetBitmap(glyph);
}

}  // namespace

TEST(GdiLeaks, RepeatedUseLeavesNoObjectsBehind)
{
    auto iconFile = imagebytes::Ico({imagebytes::IconImage(
        32, [](int x, int y) { return RGB(x, y, 9); }, [](int x, int) { return x > 20; })});
    UsePictures(iconFile);   // first use makes what lives for the whole run (caches, the clipboard window)
    long before = gdicount::LiveObjects();
    if (before < 0)
        GTEST_SKIP() << "the platform offers no count of GDI objects";
    for (int round = 0; round < 20; ++round)
        UsePictures(iconFile);
    long after = gdicount::LiveObjects();
    EXPECT_EQ(after, before) << "live GDI objects before " << before << ", after 20 rounds " << after;
}
