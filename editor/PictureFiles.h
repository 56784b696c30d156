// Writing the editor's picture to a file whose extension chooses the format.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Color.h"

#include <string>

enum TPictureFileKind { pkIcon, pkBitmap, pkJpeg };

// The extension from the last dot on, upper-cased: ".BMP" is a bitmap, ".JPG" a JPEG picture,
// anything else an icon.
TPictureFileKind SaveKindOf(const std::string& fileName);

// Writes the picture; a failure raises and leaves any old file intact. Icons take `transparent`
// as their see-through colour.
void SavePicture(const std::string& fileName, TBitmap& picture, TColor transparent);
