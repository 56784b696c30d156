// The editor's three output formats.
#include <windows.h>

#include "PictureFiles.h"

#include "IconConverter.h"
#include "JpegImage.h"
#include "SysUtils.h"

TPictureFileKind SaveKindOf(const std::string& fileName)
{
    std::string extension = AnsiUpperCase(ExtractFileExt(fileName));
    if (extension == ".BMP")
        return pkBitmap;
    if (extension == ".JPG")
        return pkJpeg;
    return pkIcon;
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
