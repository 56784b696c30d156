// The desktop's icon settings apart from the page that edits them: reading them from the
// registry and the system, writing and applying them, and the pictures and lists the page shows.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Color.h"
#include "Picture.h"

#include <string>
#include <vector>

// Where the settings live.
extern const char* const WindowMetricsKey;     // "\Control Panel\Desktop\WindowMetrics"
extern const char* const ShortcutClassKey;     // "\lnkfile" under HKEY_CLASSES_ROOT
extern const char* const ColorsKey;            // "\Control Panel\Colors"
extern const char* const DesktopKey;           // "\Control Panel\desktop"
extern const char* const ProgramDesktopKey;    // the program's own "...\Quillandora!\Desktop"
// The file the chosen wallpaper is converted to, in the Windows folder.
extern const char* const WallpaperBitmapName;  // "Quillandora!.bmp"

// The names of the icon colour depths the screen allows, from 16 colours up; item i stands for
// ColorDepthBits(i) bits per pixel.
std::vector<std::string> ColorDepthNames(int screenBits);
int ColorDepthBits(int index);                 // 4, 8, 16, 24, 32; 0 for any other index
// The item for a stored depth, lowered to the screen's depth first; -1 for a depth of no item.
int ColorDepthIndex(int bits, int screenBits);
// The screen's bits per pixel.
int ScreenBits();

// The font of the icon titles as the page edits it.
struct TIconTitleFont {
    std::string name;
    int size = 8;   // points
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool strikeOut = false;
};

struct TDesktopSettings {
    bool shortcutOverlays = true;
    int iconSize = 32;
    int iconSpacingX = 75;
    int iconSpacingY = 75;
    int colorDepthIndex = -1;      // into ColorDepthNames; -1: the stored depth is kept
    TIconTitleFont font;
    bool fontTransparent = false;  // mirrors the program's "icotrans", never written
    TColor desktopColor = 0;
    std::string wallpaper;         // "" when there is none
    // The wallpaper as the system names it, written back as it stands rather than converted.
    bool wallpaperAsStored = false;
    // The icon titles' font as the system gave it: what `font` leaves as read is written back
    // from here exactly (a face the font box does not list, the height, the character set).
    LOGFONTW systemFont = {};
    bool hasSystemFont = false;
};

// The page's terms for a font as the system describes it.
TIconTitleFont IconTitleFontOf(const LOGFONTW& font);

// Reads everything from the registry and the system; missing values read as their defaults.
TDesktopSettings ReadDesktopValues();

// What "Übernehmen" applies: the page's settings, except that every value the user left as the
// page showed it after reading (`shown`) goes back as it was read (`read`), even where the page
// could not show it (a font the box does not list, a depth above the screen's, a size out of
// the box's range, a wallpaper that is gone).
TDesktopSettings KeepUnchanged(const TDesktopSettings& page, const TDesktopSettings& shown,
                               const TDesktopSettings& read);

// Writes and applies everything, in the order the system wants it. Returns true when the stored
// colour depth changed, which takes a restart. A wallpaper that cannot be read raises before the
// font and the desktop reload are applied.
bool ApplyDesktopValues(const TDesktopSettings& settings);

// "R G B" in decimal, as the colour scheme stores the desktop colour.
std::string BackgroundValue(TColor color);

// 0 centred, 1 tiled, 2 stretched, from "WallpaperStyle" or else "TileWallpaper".
int WallpaperStyle();

// The screen as the wallpaper makes it: `width` x `height` of the desktop colour with the picture
// centred, tiled or stretched over it (none: the colour alone).
void ComposeWallpaperPreview(TBitmap& screen, int width, int height, TColor desktopColor, TGraphic* picture,
                             int style);

// Reads a wallpaper file: ".JPG" and ".JPEG" (any case) as JPEG, anything else as a bitmap.
void LoadWallpaper(const std::string& file, TBitmap& bitmap);

// Converts `file` to the program's bitmap in the Windows folder and makes that the wallpaper.
void SetDesktopWallpaper(const std::string& file);
// Whether the shell shows its web-view desktop, which keeps a wallpaper of its own.
bool IsActiveDesktopOn();
// The program's bitmap in the Windows folder that a chosen wallpaper becomes.
std::string WallpaperBitmapPath();
