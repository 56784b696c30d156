// The editor's whole-picture operations: clearing, shifting by one pixel and rotating, on the
// square working bitmap.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Color.h"

// The working picture is this many pixels square.
constexpr int PictureSize = 32;

// Named by where the picture moves.
enum TShiftDirection { sdUp, sdDown, sdRight, sdLeft };

// A 24-bit bitmap of the picture's size, all `color`.
void ClearPicture(TBitmap& picture, TColor color);

// Moves every pixel one step; what crosses the edge is lost and the row or column left empty on
// the other side becomes `fill`.
void ShiftPicture(TBitmap& picture, TShiftDirection direction, TColor fill);

// A quarter turn anticlockwise: the top edge becomes the left edge, new (x, y) = old (n-1-y, x).
void RotatePicture(TBitmap& picture);

// The smallest rectangle (right and bottom exclusive) that holds every pixel in which the two
// pictures differ; empty when they are alike. Pictures of different sizes or formats differ
// everywhere: the rectangle covers the larger.
RECT ChangedArea(const TBitmap& before, const TBitmap& after);
