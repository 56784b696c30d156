// Reading, writing and applying the desktop's icon settings, and the wallpaper preview.
#include <windows.h>
#include <wininet.h>   // the active desktop's declarations need it first
#include <shlobj.h>

#include "DesktopSettings.h"

#include "ComPtr.h"
#include "Exceptions.h"
#include "GdiObject.h"
#include "JpegImage.h"
#include "LateLibrary.h"
#include "Registry.h"
#include "SysUtils.h"

#include <algorithm>
#include <cstring>

const char* const WindowMetricsKey = "\\Control Panel\\Desktop\\WindowMetrics";
const char* const ShortcutClassKey = "\\lnkfile";
const char* const ColorsKey = "\\Control Panel\\Colors";
const char* const DesktopKey = "\\Control Panel\\desktop";
const char* const ProgramDesktopKey = "\\Software\\Pelvane.development\\Quillandora!\\Desktop";
const char* const WallpaperBitmapName = "Quillandora!.bmp";

namespace {

constexpr UINT UpdateAndBroadcast = SPIF_UPDATEINIFILE | SPIF_SENDCHANGE;

struct TDepth {
    int bits;
    const char* name;
};
const TDepth Depths[] = {
    {4, "16 Farben"}, {8, "256 Farben"}, {16, "65.535 Farben"}, {24, "16,7 Mio. Farben"}, {32, "True Color"}};

TRegIniFile User()
{
    return TRegIniFile(HKEY_CURRENT_USER, "");
}

// The point size of a font of `face` whose LOGFONT height is `height`: a cell height (positive)
// includes the internal leading, a character height (negative) does not.
int PointSize(const std::string& face, int height)
{
    const int ppi = TFont::PixelsPerInch();
    if (height <= 0)
        return -MulDiv(height, 72, ppi);
    LOGFONTA font = {};
    font.lfHeight = height;
    font.lfCharSet = DEFAULT_CHARSET;
    lstrcpynA(font.lfFaceName, face.c_str(), LF_FACESIZE);
    GdiObject<HFONT> handle(CreateFontIndirectA(&font));
    const WindowDC screen;
    TEXTMETRICA metrics = {};
    {
        const SelectedObject selected(screen.get(), handle.get());
        GetTextMetricsA(screen.get(), &metrics);
    }
    return MulDiv(metrics.tmHeight - metrics.tmInternalLeading, 72, ppi);
}

}  // namespace

int ScreenBits()
{
    const WindowDC screen;
    return GetDeviceCaps(screen.get(), BITSPIXEL) * GetDeviceCaps(screen.get(), PLANES);
}

std::vector<std::string> ColorDepthNames(int screenBits)
{
    std::vector<std::string> names;
    for (const TDepth& depth : Depths)
        if (screenBits > depth.bits - 1)
            names.push_back(depth.name);
    return names;
}

int ColorDepthBits(int index)
{
    return index >= 0 && index < static_cast<int>(std::size(Depths)) ? Depths[index].bits : 0;
}

int ColorDepthIndex(int bits, int screenBits)
{
    bits = std::min(bits, screenBits);
    for (int i = 0; i < static_cast<int>(std::size(Depths)); ++i)
        if (Depths[i].bits == bits && i < static_cast<int>(ColorDepthNames(screenBits).size()))
            return i;
    return -1;
}

std::string BackgroundValue(TColor color)
{
    COLORREF rgb = ColorToRGB(color);
    return IntToStr(GetRValue(rgb)) + " " + IntToStr(GetGValue(rgb)) + " " + IntToStr(GetBValue(rgb));
}

TIconTitleFont IconTitleFontOf(const LOGFONTW& font)
{
    TIconTitleFont t;
    wchar_t face[LF_FACESIZE + 1] = {};
    std::memcpy(face, font.lfFaceName, sizeof font.lfFaceName);
    char narrow[2 * LF_FACESIZE + 1] = {};
    WideCharToMultiByte(CP_ACP, 0, face, -1, narrow, sizeof narrow - 1, nullptr, nullptr);
    t.name = narrow;
    t.size = PointSize(t.name, font.lfHeight);
    t.bold = font.lfWeight >= FW_BOLD;
    t.italic = font.lfItalic == 1;
    t.underline = font.lfUnderline == 1;
    t.strikeOut = font.lfStrikeOut == 1;
    return t;
}

TDesktopSettings ReadDesktopValues()
{
    TDesktopSettings s;
    s.shortcutOverlays = TRegIniFile(HKEY_CLASSES_ROOT, "").ValueExists(ShortcutClassKey, "isShortCut");
    TRegIniFile user = User();
    s.iconSize = user.ReadInteger(WindowMetricsKey, "Shell Icon Size", 32);
    s.iconSpacingX = GetSystemMetrics(SM_CXICONSPACING);
    s.iconSpacingY = GetSystemMetrics(SM_CYICONSPACING);
    s.colorDepthIndex = ColorDepthIndex(user.ReadInteger(WindowMetricsKey, "Shell Icon Bpp", 4), ScreenBits());

    // The wide form: the narrow one garbles the face name on some systems.
    LOGFONTW font = {};
    if (SystemParametersInfoW(SPI_GETICONTITLELOGFONT, sizeof font, &font, 0)) {
        s.systemFont = font;
        s.hasSystemFont = true;
        s.font = IconTitleFontOf(font);
    }
    s.fontTransparent = user.ReadBool(ProgramDesktopKey, "icotrans", false);
    s.desktopColor = static_cast<TColor>(GetSysColor(COLOR_BACKGROUND));
    s.wallpaper = user.ReadString(DesktopKey, "Wallpaper", "");
    return s;
}

TDesktopSettings KeepUnchanged(const TDesktopSettings& page, const TDesktopSettings& shown,
                               const TDesktopSettings& read)
{
    TDesktopSettings s = page;
    auto keep = [](auto& value, const auto& pageValue, const auto& shownValue, const auto& readValue) {
        if (pageValue == shownValue)
            value = readValue;
    };
    keep(s.shortcutOverlays, page.shortcutOverlays, shown.shortcutOverlays, read.shortcutOverlays);
    keep(s.iconSize, page.iconSize, shown.iconSize, read.iconSize);
    keep(s.iconSpacingX, page.iconSpacingX, shown.iconSpacingX, read.iconSpacingX);
    keep(s.iconSpacingY, page.iconSpacingY, shown.iconSpacingY, read.iconSpacingY);
    // The depth as stored, also one the list shows lowered to the screen's.
    if (page.colorDepthIndex == shown.colorDepthIndex)
        s.colorDepthIndex = -1;
    keep(s.font.name, page.font.name, shown.font.name, read.font.name);
    keep(s.font.size, page.font.size, shown.font.size, read.font.size);
    keep(s.font.bold, page.font.bold, shown.font.bold, read.font.bold);
    keep(s.font.italic, page.font.italic, shown.font.italic, read.font.italic);
    keep(s.font.underline, page.font.underline, shown.font.underline, read.font.underline);
    keep(s.font.strikeOut, page.font.strikeOut, shown.font.strikeOut, read.font.strikeOut);
    keep(s.desktopColor, page.desktopColor, shown.desktopColor, read.desktopColor);
    s.wallpaperAsStored = !page.wallpaper.empty() && page.wallpaper == shown.wallpaper &&
                          page.wallpaper == read.wallpaper;
    s.systemFont = read.systemFont;
    s.hasSystemFont = read.hasSystemFont;
    return s;
}

bool ApplyDesktopValues(const TDesktopSettings& s)
{
    TRegIniFile user = User();
    user.WriteInteger(WindowMetricsKey, "Shell Icon Size", s.iconSize);

    // A depth the list does not offer stays as it is stored.
    const int stored = user.ReadInteger(WindowMetricsKey, "Shell Icon BPP", 4);
    const int bits = s.colorDepthIndex >= 0 ? ColorDepthBits(s.colorDepthIndex) : stored;
    const bool restart = bits != stored;
    user.WriteInteger(WindowMetricsKey, "Shell Icon BPP", bits);

    TRegIniFile classes(HKEY_CLASSES_ROOT, "");
    classes.DeleteKey(ShortcutClassKey, "IsShortCut");
    if (s.shortcutOverlays)
        classes.WriteString(ShortcutClassKey, "IsShortCut", "");

    SystemParametersInfoA(SPI_ICONHORIZONTALSPACING, s.iconSpacingX, nullptr, UpdateAndBroadcast);
    SystemParametersInfoA(SPI_ICONVERTICALSPACING, s.iconSpacingY, nullptr, UpdateAndBroadcast);

    const COLORREF background = ColorToRGB(s.desktopColor);
    user.WriteString(ColorsKey, "Background", BackgroundValue(s.desktopColor));
    const int element = COLOR_BACKGROUND;
    SetSysColors(1, &element, &background);

    if (s.wallpaper.empty() || s.wallpaperAsStored) {
        user.WriteString("\\Control Panel\\Desktop", "Wallpaper", s.wallpaper);
        std::vector<char> path(s.wallpaper.begin(), s.wallpaper.end());
        path.push_back('\0');
        SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, path.data(), UpdateAndBroadcast);
    } else {
        SetDesktopWallpaper(s.wallpaper);
    }

    // Starting from the font as read, only what differs from it changes.
    LOGFONTW font = s.hasSystemFont ? s.systemFont : LOGFONTW{};
    const TIconTitleFont read = s.hasSystemFont ? IconTitleFontOf(s.systemFont) : TIconTitleFont{};
    if (!s.hasSystemFont || s.font.name != read.name) {
        std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
        MultiByteToWideChar(CP_ACP, 0, s.font.name.c_str(), -1, font.lfFaceName, LF_FACESIZE - 1);
        font.lfCharSet = DEFAULT_CHARSET;
    }
    if (!s.hasSystemFont || s.font.size != read.size) {
        TFont size;
        size.SetSize(s.font.size);
        font.lfHeight = size.Height();
    }
    if (!s.hasSystemFont || s.font.bold != read.bold)
        font.lfWeight = s.font.bold ? FW_BOLD : FW_NORMAL;
    if (!s.hasSystemFont || s.font.italic != read.italic)
        font.lfItalic = s.font.italic ? 1 : 0;
    if (!s.hasSystemFont || s.font.underline != read.underline)
        font.lfUnderline = s.font.underline ? 1 : 0;
    if (!s.hasSystemFont || s.font.strikeOut != read.strikeOut)
        font.lfStrikeOut = s.font.strikeOut ? 1 : 0;
    SystemParametersInfoW(SPI_SETICONTITLELOGFONT, sizeof font, &font, UpdateAndBroadcast);

    // The desktop reloads its icons; a shell that does not answer is not waited for.
    if (HWND desktop = FindWindowA("Progman", "Program Manager")) {
        DWORD_PTR ignored = 0;
        SendMessageTimeoutA(desktop, WM_COMMAND, 41061, 0, SMTO_ABORTIFHUNG, 5000, &ignored);
    }
    return restart;
}

int WallpaperStyle()
{
    TRegIniFile user = User();
    int style = user.ReadInteger(DesktopKey, "WallpaperStyle", 0);
    if (style == 0)
        style = user.ReadInteger(DesktopKey, "TileWallpaper", 0);
    return style;
}

void ComposeWallpaperPreview(TBitmap& screen, int width, int height, TColor desktopColor, TGraphic* picture,
                             int style)
{
    TBitmap fresh(std::max(width, 1), std::max(height, 1));
    screen.Assign(fresh);
    TCanvas& canvas = screen.Canvas();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(desktopColor);
    canvas.FillRect({0, 0, width, height});
    if (!picture || picture->Empty())
        return;
    const int pw = picture->Width(), ph = picture->Height();
    switch (style) {
    case 2:
        canvas.StretchDraw({0, 0, width - 1, height - 1}, *picture);
        break;
    case 1: {
        // One copy, then the tiled part doubled until it covers the screen: a tiny picture
        // would otherwise take a million copies.
        canvas.Draw(0, 0, *picture);
        const HDC dc = canvas.Handle();
        for (int done = pw; done < width; done *= 2)
            BitBlt(dc, done, 0, std::min(done, width - done), ph, dc, 0, 0, SRCCOPY);
        for (int done = ph; done < height; done *= 2)
            BitBlt(dc, 0, done, width, std::min(done, height - done), dc, 0, 0, SRCCOPY);
        canvas.Changed();
        break;
    }
    default:
        canvas.Draw(width / 2 - pw / 2, height / 2 - ph / 2, *picture);
        break;
    }
}

void LoadWallpaper(const std::string& file, TBitmap& bitmap)
{
    // The picture dialog offers ".jpeg" as well: both spellings are JPEG pictures.
    const std::string extension = AnsiUpperCase(ExtractFileExt(file));
    if (extension == ".JPG" || extension == ".JPEG") {
        TJPEGImage jpeg;
        jpeg.LoadFromFile(file);
        jpeg.AssignTo(bitmap);
    } else {
        bitmap.LoadFromFile(file);
    }
}

std::string WallpaperBitmapPath()
{
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, MAX_PATH);
    return ExcludeTrailingBackslash(folder) + "\\" + WallpaperBitmapName;
}

bool IsActiveDesktopOn()
{
    HWND program = FindWindowA("Progman", nullptr);
    HWND view = program ? FindWindowExA(program, nullptr, "SHELLDLL_DefView", nullptr) : nullptr;
    return view && FindWindowExA(view, nullptr, "Internet Explorer_Server", nullptr);
}

void SetDesktopWallpaper(const std::string& file)
{
    const std::string target = WallpaperBitmapPath();
    if (!file.empty()) {
        TBitmap bitmap;
        LoadWallpaper(file, bitmap);
        bitmap.SaveToFile(target);
    }
    std::vector<char> path(target.begin(), target.end());
    path.push_back('\0');
    SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, path.data(), UpdateAndBroadcast);
    if (!IsActiveDesktopOn())
        return;
    ComPtr<IActiveDesktop> desktop;
    if (FAILED(Ole32::CoCreateInstance(CLSID_ActiveDesktop, nullptr, CLSCTX_INPROC_SERVER, IID_IActiveDesktop,
                                       desktop.put_void())))
        return;
    wchar_t wide[1024] = {};
    MultiByteToWideChar(CP_ACP, 0, target.c_str(), -1, wide, 1023);
    desktop->SetWallpaper(wide, 0);
    desktop->ApplyChanges(AD_APPLY_ALL);
}
