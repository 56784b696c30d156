// Pixels in tests.
#include "Pixels.h"

#include <sstream>

std::string Hex(uint32_t value)
{
    std::ostringstream out;
    out << std::hex << "$" << value;
    return out.str();
}

void FillRect(TBitmap& bitmap, const RECT& rect, TColor colour)
{
    bitmap.Canvas().Brush().SetColor(colour);
    bitmap.Canvas().FillRect(rect);
}

std::unique_ptr<TBitmap> PrintClient(HWND window, LPARAM flags)
{
    RECT client = {};
    GetClientRect(window, &client);
    return PrintClient(window, client.right, client.bottom, flags);
}

std::unique_ptr<TBitmap> PrintClient(HWND window, int width, int height, LPARAM flags)
{
    auto shot = std::make_unique<TBitmap>(width, height);
    SendMessageA(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(shot->Canvas().Handle()), flags);
    GdiFlush();
    return shot;
}
