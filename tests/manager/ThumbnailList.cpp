#include "ThumbnailList.h"

#include <commctrl.h>

#include <cstdint>

bool ReplaceThumbnail(TImageList& list, int index, TThumbnail& thumbnail)
{
    // 24 bits a pixel, as the gallery composes its pictures.
    for (int y = 0; y < thumbnail.image.Height(); ++y) {
        auto* row = static_cast<uint8_t*>(thumbnail.image.ScanLine(y));
        for (int x = 0; x < thumbnail.image.Width(); ++x)
            if (thumbnail.mask.PixelColor(x, y) == clWhite)
                row[3 * x] = row[3 * x + 1] = row[3 * x + 2] = 0;
    }
    return ImageList_Replace(list.Handle(), index, thumbnail.image.Handle(), thumbnail.mask.Handle()) != FALSE;
}
