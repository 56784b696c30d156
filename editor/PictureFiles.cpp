// The editor's three output formats.
#include <windows.h>

#include "PictureFiles.h"

#include "Icon.h"
#include "IconConverter.h"
#include "JpegImage.h"
#include "PictureOps.h"
#include "SysUtils.h"

TPictureFileKind SaveKindOf(const std::string& fileName)
{
    std::string extension = AnsiUpperCase(ExtractFileExt(fileName));
    if (extension == ".BMP")
        return pkBitmap;
    // The long spelling is a JPEG picture too: an icon under that name would open nowhere.
    if (extension == ".JPG" || extension == ".JPEG")
        return pkJpeg;
    return pkIcon;
}

TPictureFileKind OpenKindOf(const std::string& fileName)
{
    std::string extension = AnsiUpperCase(ExtractFileExt(fileName));
    if (extension == ".ICO")
        return pkIcon;
    if (extension == ".JPG" || extension == ".JPEG")
        return pkJpeg;
    return pkBitmap;
}

void LoadPictureInto(const std::string& fileName, TBitmap& picture, TBitmap& scratch)
{
    const RECT square = {0, 0, PictureSize, PictureSize};
    switch (OpenKindOf(fileName)) {
    case pkIcon: {
        TIcon icon;
        icon.LoadFromFile(fileName);
        picture.SetPixelFormat(pf24bit);
        picture.Canvas().StretchDraw(square, icon);
        return;
    }
    case pkJpeg: {
        TJPEGImage jpeg;
        jpeg.LoadFromFile(fileName);
        jpeg.AssignTo(scratch);
        break;
    }
    case pkBitmap:
        scratch.LoadFromFile(fileName);
        break;
    }
    scratch.SetPixelFormat(pf24bit);
    scratch.SetTransparent(false);
    picture.SetPixelFormat(pf24bit);
    picture.Canvas().StretchDraw(square, scratch);
}

void SavePicture(const std::string& fileName, TBitmap& picture, TColor transparent)
{
    switch (SaveKindOf(fileName)) {
    case pkBitmap: {
        TBitmap copy;
        copy.Assign(picture);
        copy.SetPixelFormat(pf24bit);
        copy.SaveToFile(fileName);
        break;
    }
    case pkJpeg: {
        TJPEGImage jpeg;
        jpeg.Assign(picture);
        jpeg.SaveToFile(fileName);
        break;
    }
    case pkIcon:
        SaveBitmapAsIcon(fileName, picture, transparent);
        break;
    }
}
