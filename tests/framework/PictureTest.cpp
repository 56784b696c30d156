#include "Bitmap.h"
#include "Classes.h"
#include "Exceptions.h"
#include "Icon.h"
#include "ImageBytes.h"
#include "Picture.h"

#include <gtest/gtest.h>
#include <windows.h>

using imagebytes::ScratchFolder;

TEST(Picture, LoadFromFilePicksTheKindByExtension)
{
    ScratchFolder folder("ql_picture_kinds");
    TBitmap bitmap(5, 4);
    bitmap.SaveToFile(folder.File("a.BMP"));
    auto ico = imagebytes::Ico({imagebytes::IconImage(
        32, [](int, int) { return RGB(1, 2, 3); }, [](int, int) { return false; })});
    SaveFileReplacing(folder.File("b.Ico"), ico.data(), ico.size());
    const char junk[] = "not a picture";
    for (const char* name : {"c.jpg", "d.jpeg", "e.txt", "f"})
        SaveFileReplacing(folder.File(name), junk, sizeof junk);

    TPicture picture;
    int changes = 0;
    picture.OnChange = [&] { ++changes; };
    picture.LoadFromFile(folder.File("a.BMP"));
    EXPECT_NE(dynamic_cast<TBitmap*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Width(), 5);
    picture.LoadFromFile(folder.File("b.Ico"));
    EXPECT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr);
    EXPECT_EQ(picture.Height(), 32);
    EXPECT_EQ(changes, 2);

    // JPEG files go to the JPEG class (or a refusal when the program has none); both say why.
    for (const char* name : {"c.jpg", "d.jpeg", "e.txt", "f"}) {
        EXPECT_THROW(picture.LoadFromFile(folder.File(name)), EInvalidGraphic) << name;
        EXPECT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr) << name << ": a failed load keeps the picture";
    }
}

TEST(Picture, BitmapAccessReplacesOtherKindsAndAssignCopies)
{
    TPicture picture;
    picture.Icon();
    EXPECT_NE(dynamic_cast<TIcon*>(picture.Graphic()), nullptr);
    TBitmap& bitmap = picture.Bitmap();
    EXPECT_TRUE(bitmap.Empty());
    bitmap.SetSize(3, 3);
    EXPECT_EQ(&picture.Bitmap(), &bitmap) << "a bitmap picture stays the same bitmap";

    int changes = 0;
    picture.OnChange = [&] { ++changes; };
    bitmap.Canvas().SetPixel(1, 1, clRed);
    EXPECT_EQ(changes, 1) << "drawing on the bitmap reaches the picture's watcher";

    TPicture copy;
    copy.Assign(picture);
    ASSERT_NE(copy.Graphic(), picture.Graphic());
    copy.Bitmap().Canvas().SetPixel(1, 1, clBlue);
    EXPECT_EQ(bitmap.PixelColor(1, 1), clRed);
    copy.Assign(static_cast<const TGraphic*>(nullptr));
    EXPECT_EQ(copy.Graphic(), nullptr);
    EXPECT_THROW(copy.SaveToFile("C:\\nothing.bmp"), EInvalidGraphic);
}
