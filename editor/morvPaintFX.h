// TmorvPaintFX: the editor's mirror operations on a bitmap.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Component.h"

class TmorvPaintFX : public TComponent {
public:
    explicit TmorvPaintFX(TComponent* owner = nullptr) : TComponent(owner) {}

    // Both leave the bitmap 24-bit: row y (FlipTopBottom) or column x (FlipLeftRight) then
    // holds what row or column height - 1 - y, width - 1 - x held before.
    static void FlipTopBottom(TBitmap& bitmap);
    static void FlipLeftRight(TBitmap& bitmap);
};
