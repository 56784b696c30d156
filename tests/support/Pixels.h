// Pixels in tests: a colour written out for assertion messages, a filled rectangle, and what a
// window paints.
#pragma once

#include <windows.h>

#include "Bitmap.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// "$" and the hexadecimal digits of a colour (or any bit set).
std::string Hex(uint32_t value);

void FillRect(TBitmap& bitmap, const RECT& rect, TColor colour);

// Fills the bitmap, keeping its size and pixel format, with pixels that differ from their
// neighbours: a fixed pseudo-random sequence for each `start`. About one pixel in `oneIn` takes
// a colour of `special` instead (index i of them with a chance of one in `oneIn` each), so that
// key colours and their near misses lie among the others.
void Speckle(TBitmap& bitmap, unsigned start, const std::vector<TColor>& special, unsigned oneIn);

// What a window paints into its client area (WM_PRINTCLIENT): the whole area, or its top-left
// width x height.
std::unique_ptr<TBitmap> PrintClient(HWND window, LPARAM flags = PRF_CLIENT);
std::unique_ptr<TBitmap> PrintClient(HWND window, int width, int height, LPARAM flags = PRF_CLIENT);
