// Pixels in tests.
#include "Pixels.h"

#include <random>
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

void Speckle(TBitmap& bitmap, unsigned start, const std::vector<TColor>& special, unsigned oneIn)
{
    std::minstd_rand random(start + 1);   // a start of 0 is no state of this generator
    const TPixelFormat format = bitmap.PixelFormat();
    bitmap.SetPixelFormat(pf24bit);
    for (int y = 0; y < bitmap.Height(); ++y) {
        auto* row = static_cast<uint8_t*>(bitmap.ScanLine(y));
        for (int x = 0; x < bitmap.Width(); ++x) {
            const unsigned pick = random() % oneIn;
            const TColor colour = pick < special.size() ? special[pick] : static_cast<TColor>(random() & 0xFFFFFF);
            row[3 * x] = GetBValue(colour);
            row[3 * x + 1] = GetGValue(colour);
            row[3 * x + 2] = GetRValue(colour);
        }
    }
    bitmap.SetPixelFormat(format);
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
