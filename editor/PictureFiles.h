// Reading pictures into the editor's picture and writing it out, in the format the file name's
// extension chooses.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Color.h"

#include <string>

enum TPictureFileKind { pkIcon, pkBitmap, pkJpeg };

// The extension from the last dot on, upper-cased: ".BMP" is a bitmap, ".JPG" and ".JPEG" a JPEG
// picture, anything else an icon.
TPictureFileKind SaveKindOf(const std::string& fileName);

// Opening: ".ICO" is an icon, ".JPG" and ".JPEG" are JPEG pictures, anything else is tried as a
// bitmap (compared after upper-casing the text from the last dot on).
TPictureFileKind OpenKindOf(const std::string& fileName);

// Draws the file's picture over `picture` (32 x 32, 24-bit afterwards): an icon in the 32 x 32
// square, its transparent pixels leaving the picture as it was; any other picture stretched to
// fill the whole square. `scratch` holds the decoded picture. A file that cannot be read or
// decoded raises, and the picture is left as it was.
void LoadPictureInto(const std::string& fileName, TBitmap& picture, TBitmap& scratch);

// Writes the picture; a failure raises and leaves any old file intact. Icons take `transparent`
// as their see-through colour.
void SavePicture(const std::string& fileName, TBitmap& picture, TColor transparent);
