// The flat panel's painting.
#include <windows.h>

#include "FlatPanel.h"

#include "Bitmap.h"

TFlatPanel::TFlatPanel(TComponent* owner) : TPanel(owner)
{
    SetParentFont(true);
    SetParentColor(true);
    SetBounds(0, 0, 185, 41);
}

void TFlatPanel::SetTransparent(bool transparent)
{
    transparent_ = transparent;
    Invalidate();
}

void TFlatPanel::SetColorHighLight(TColor color)
{
    colorHighLight_ = color;
    Invalidate();
}

void TFlatPanel::SetColorShadow(TColor color)
{
    colorShadow_ = color;
    Invalidate();
}

void TFlatPanel::Paint()
{
    const RECT client = ClientRect();
    if (client.right <= 0 || client.bottom <= 0)
        return;
    TBitmap buffer(client.right, client.bottom);
    TCanvas& canvas = buffer.Canvas();
    if (transparent_) {
        PaintParentBackground(*this, canvas);
    } else {
        canvas.Brush().SetColor(Color());
        canvas.FillRect(client);
    }
    canvas.Brush().SetColor(colorHighLight_);
    canvas.FillRect(RECT{0, 0, client.right - 1, 1});
    canvas.FillRect(RECT{0, 0, 1, client.bottom - 1});
    canvas.Brush().SetColor(colorShadow_);
    canvas.FillRect(RECT{0, client.bottom - 1, client.right, client.bottom});
    canvas.FillRect(RECT{client.right - 1, 0, client.right, client.bottom});

    const std::string caption = Caption();
    if (!caption.empty()) {
        canvas.Font().Assign(Font());
        RECT r = client;
        InflateRect(&r, -1, -1);
        UINT flags = DT_SINGLELINE | DT_VCENTER;
        flags |= Alignment() == taLeftJustify ? DT_LEFT : Alignment() == taRightJustify ? DT_RIGHT : DT_CENTER;
        DrawFlatCaption(canvas, caption, r, flags, Enabled());
    }
    Canvas().Draw(0, 0, buffer);
}
