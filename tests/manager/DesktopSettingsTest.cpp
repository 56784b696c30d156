// The desktop settings apart from their page: the colour-depth list, the stored forms of values,
// the wallpaper preview, and a round trip through the real registry and system settings.
#include <windows.h>

#include "Classes.h"
#include "DesktopSettings.h"
#include "Exceptions.h"
#include "JpegImage.h"
#include "Pixels.h"
#include "Registry.h"
#include "RegistrySandbox.h"
#include "StagedFolder.h"
#include "SysUtils.h"

#include <gtest/gtest.h>

TEST(DesktopSettings, TheDepthListOffersWhatTheScreenCanShow)
{
    const struct {
        int screenBits;
        size_t count;
    } screens[] = {{1, 0}, {4, 1}, {8, 2}, {16, 3}, {24, 4}, {32, 5}};
    for (auto s : screens)
        EXPECT_EQ(ColorDepthNames(s.screenBits).size(), s.count) << s.screenBits << " bits";
    EXPECT_EQ(ColorDepthNames(32).front(), "16 Farben");
    EXPECT_EQ(ColorDepthNames(32).back(), "True Color");
    EXPECT_EQ(ColorDepthNames(16).back(), "65.535 Farben");

    EXPECT_EQ(ColorDepthIndex(4, 32), 0);
    EXPECT_EQ(ColorDepthIndex(32, 32), 4);
    EXPECT_EQ(ColorDepthIndex(32, 24), 3) << "lowered to the screen's depth";
    EXPECT_EQ(ColorDepthIndex(12, 32), -1) << "no item for 12 bits";
    EXPECT_EQ(ColorDepthBits(2), 16);
    EXPECT_EQ(ColorDepthBits(-1), 0);
    EXPECT_EQ(ColorDepthBits(5), 0);
}

TEST(DesktopSettings, TheBackgroundIsStoredAsDecimalRedGreenBlue)
{
    EXPECT_EQ(BackgroundValue(static_cast<TColor>(RGB(0, 78, 152))), "0 78 152");
    EXPECT_EQ(BackgroundValue(0x808000), "0 128 128");
    COLORREF face = GetSysColor(COLOR_BTNFACE);
    std::string expected = IntToStr(GetRValue(face)) + " " + IntToStr(GetGValue(face)) + " " +
                           IntToStr(GetBValue(face));
    EXPECT_EQ(BackgroundValue(clBtnFace), expected) << "a system colour is resolved first";
}

TEST(DesktopSettings, ThePreviewCentresTilesOrStretchesThePicture)
{
    TBitmap picture(10, 6);
    picture.Canvas().Brush().SetColor(clRed);
    picture.Canvas().FillRect({0, 0, 10, 6});
    TBitmap screen;

    ComposeWallpaperPreview(screen, 40, 30, clBlue, &picture, 0);
    EXPECT_EQ(Hex(screen.PixelColor(20, 15)), Hex(clRed));
    EXPECT_EQ(Hex(screen.PixelColor(15, 12)), Hex(clRed)) << "from (40/2 - 10/2, 30/2 - 6/2)";
    EXPECT_EQ(Hex(screen.PixelColor(14, 12)), Hex(clBlue));
    EXPECT_EQ(Hex(screen.PixelColor(25, 18)), Hex(clBlue));

    ComposeWallpaperPreview(screen, 40, 30, clBlue, &picture, 1);
    EXPECT_EQ(Hex(screen.PixelColor(0, 0)), Hex(clRed));
    EXPECT_EQ(Hex(screen.PixelColor(39, 29)), Hex(clRed)) << "tiles cover the whole screen";

    ComposeWallpaperPreview(screen, 40, 30, clBlue, &picture, 2);
    EXPECT_EQ(Hex(screen.PixelColor(0, 0)), Hex(clRed));
    EXPECT_EQ(Hex(screen.PixelColor(38, 28)), Hex(clRed));
    EXPECT_EQ(Hex(screen.PixelColor(39, 29)), Hex(clBlue)) << "stretched to one short of the edges";

    ComposeWallpaperPreview(screen, 40, 30, clBlue, nullptr, 0);
    EXPECT_EQ(Hex(screen.PixelColor(20, 15)), Hex(clBlue));
}

TEST(DesktopSettings, ATinyTiledPictureCoversTheScreenAtOnce)
{
    // Two colours, so that a tile out of step shows.
    TBitmap dot(2, 1);
    dot.Canvas().SetPixel(0, 0, clRed);
    dot.Canvas().SetPixel(1, 0, clLime);
    TBitmap screen;
    const DWORD start = GetTickCount();
    ComposeWallpaperPreview(screen, 1024, 768, clBlue, &dot, 1);
    const DWORD took = GetTickCount() - start;
    EXPECT_LT(took, 2000u) << "ms for 393,216 tiles";
    for (POINT p : {POINT{0, 0}, POINT{1, 0}, POINT{512, 300}, POINT{1023, 767}, POINT{777, 1}})
        EXPECT_EQ(Hex(screen.PixelColor(p.x, p.y)), Hex(p.x % 2 ? clLime : clRed)) << p.x << "," << p.y;
}

TEST(DesktopSettings, TheWallpaperStyleFallsBackToTiling)
{
    RegistrySandbox sandbox;
    TRegIniFile user(HKEY_CURRENT_USER, "");
    EXPECT_EQ(WallpaperStyle(), 0);
    user.WriteString(DesktopKey, "TileWallpaper", "1");
    EXPECT_EQ(WallpaperStyle(), 1);
    user.WriteString(DesktopKey, "WallpaperStyle", "2");
    EXPECT_EQ(WallpaperStyle(), 2);
}

TEST(DesktopSettings, ApplyingWritesEverythingAndReadingGivesItBack)
{
    RegistrySandbox sandbox;
    TRegIniFile user(HKEY_CURRENT_USER, "");
    TDesktopSettings before = ReadDesktopValues();
    EXPECT_EQ(before.iconSize, 32) << "the default without a stored size";

    TDesktopSettings s = before;
    s.iconSize = 48;
    s.colorDepthIndex = 1;   // 256 colours
    s.shortcutOverlays = false;
    s.iconSpacingX = 90;
    s.iconSpacingY = 80;
    s.desktopColor = static_cast<TColor>(RGB(0, 78, 152));
    s.font.name = "Tahoma";
    s.font.size = 10;
    s.font.bold = true;
    s.font.underline = true;
    s.wallpaper.clear();
    EXPECT_TRUE(ApplyDesktopValues(s)) << "4 to 8 bits takes a restart";
    EXPECT_FALSE(ApplyDesktopValues(s)) << "the same depth again does not";

    EXPECT_EQ(user.ReadString(WindowMetricsKey, "Shell Icon Size", ""), "48");
    EXPECT_EQ(user.ReadString(WindowMetricsKey, "Shell Icon BPP", ""), "8");
    EXPECT_EQ(user.ReadString(ColorsKey, "Background", ""), "0 78 152");
    bool exists = false;
    EXPECT_EQ(ReadRegString(HKEY_CURRENT_USER, "Control Panel\\Desktop", "Wallpaper", &exists), "");
    EXPECT_TRUE(exists) << "no wallpaper is written as an empty value";

    TDesktopSettings after = ReadDesktopValues();
    EXPECT_EQ(after.iconSize, 48);
    EXPECT_EQ(after.colorDepthIndex, ColorDepthIndex(8, ScreenBits()));
    EXPECT_FALSE(after.shortcutOverlays);
    EXPECT_EQ(after.iconSpacingX, 90);
    EXPECT_EQ(after.iconSpacingY, 80);
    EXPECT_EQ(Hex(after.desktopColor), Hex(s.desktopColor));
    EXPECT_EQ(after.font.name, "Tahoma");
    EXPECT_EQ(after.font.size, 10);
    EXPECT_TRUE(after.font.bold);
    EXPECT_TRUE(after.font.underline);
    EXPECT_FALSE(after.font.italic);

    s.shortcutOverlays = true;
    ApplyDesktopValues(s);
    EXPECT_TRUE(ReadDesktopValues().shortcutOverlays);

    ApplyDesktopValues(before);
}

TEST(DesktopSettings, AJpegWallpaperBecomesTheProgramsBitmap)
{
    StagedFolder folder("desktop wallpaper");
    TBitmap photo(64, 48);
    photo.Canvas().Brush().SetColor(static_cast<TColor>(RGB(30, 160, 60)));
    photo.Canvas().FillRect({0, 0, 64, 48});
    TJPEGImage jpeg;
    jpeg.Assign(photo);
    for (const char* name : {"Bild.JPG", "Bild.jpeg"}) {
        const std::string file = folder.Path() + name;
        jpeg.SaveToFile(file);
        DeleteFileA(WallpaperBitmapPath().c_str());
        SetDesktopWallpaper(file);
        TBitmap written;
        written.LoadFromFile(WallpaperBitmapPath());
        EXPECT_EQ(written.Width(), 64) << name;
        EXPECT_EQ(written.Height(), 48) << name;
    }
    const std::string junk = folder.Path() + "kein Bild.bmp";
    const char text[] = "kein Bild";
    SaveFileReplacing(junk, text, sizeof text);
    EXPECT_THROW(SetDesktopWallpaper(junk), Exception);
    DeleteFileA(WallpaperBitmapPath().c_str());
}

TEST(DesktopSettings, WhatTheUserLeftAloneGoesBackAsRead)
{
    TDesktopSettings read;
    read.iconSize = 100;          // beyond the size box's range
    read.colorDepthIndex = 3;     // shown lowered
    read.font.name = "MS Shell Dlg";
    read.font.size = 8;
    read.wallpaper = "C:\\alt.bmp";
    read.hasSystemFont = true;
    read.systemFont.lfHeight = -11;
    TDesktopSettings shown = read;
    shown.iconSize = 80;
    shown.font.name = "DejaVu Sans";   // what the box selected in its place

    TDesktopSettings kept = KeepUnchanged(shown, shown, read);
    EXPECT_EQ(kept.iconSize, 100);
    EXPECT_EQ(kept.colorDepthIndex, -1) << "the stored depth";
    EXPECT_EQ(kept.font.name, "MS Shell Dlg");
    EXPECT_TRUE(kept.wallpaperAsStored);
    EXPECT_TRUE(kept.hasSystemFont);
    EXPECT_EQ(kept.systemFont.lfHeight, -11);

    TDesktopSettings page = shown;
    page.iconSize = 40;
    page.colorDepthIndex = 1;
    page.font.name = "Tahoma";
    page.font.bold = true;
    page.wallpaper = "C:\\neu.jpg";
    TDesktopSettings changed = KeepUnchanged(page, shown, read);
    EXPECT_EQ(changed.iconSize, 40);
    EXPECT_EQ(changed.colorDepthIndex, 1);
    EXPECT_EQ(changed.font.name, "Tahoma");
    EXPECT_TRUE(changed.font.bold);
    EXPECT_EQ(changed.font.size, 8);
    EXPECT_FALSE(changed.wallpaperAsStored) << "a picked picture is converted";
}
