// The flat group box: frame, caption and the background behind them.
#include <windows.h>

#include "FlatGroupBox.h"

#include "Bitmap.h"

TFlatGroupBox::TFlatGroupBox(TComponent* owner) : TCustomControl(owner)
{
    SetColor(clWindow);
    // As every control of the form library: the parent's colour until one is set.
    SetParentColor(true);
    SetBounds(0, 0, 185, 105);
}

void TFlatGroupBox::SetTransparent(bool transparent)
{
    transparent_ = transparent;
    Invalidate();
}

void TFlatGroupBox::SetBorder(TGroupBoxBorder border)
{
    border_ = border;
    Invalidate();
}

void TFlatGroupBox::Paint()
{
    const RECT cr = ClientRect();
    if (cr.right <= 0 || cr.bottom <= 0)
        return;
    TBitmap buffer(cr.right, cr.bottom);
    TCanvas& canvas = buffer.Canvas();
    canvas.Font().Assign(Font());
    const std::string caption = Caption();
    const SIZE text = caption.empty() ? SIZE{0, canvas.TextHeight("X")} : canvas.TextExtent(caption);
    RECT captionRect = {cr.left + 10, cr.top, cr.left + 10 + text.cx, cr.top + text.cy};
    const int h = text.cy / 2;

    if (transparent_) {
        PaintParentBackground(*this, canvas);
    } else {
        canvas.Brush().SetStyle(bsSolid);
        canvas.Brush().SetColor(Color());
        canvas.FillRect(cr);
    }

    canvas.Pen().SetColor(colors_[fcBorder]);
    const int line = cr.top + h;
    const int gapEnd = cr.left + 12 + text.cx;
    if (border_ == brFull) {
        canvas.Polyline({{cr.left + 5, line}, {cr.left, line}, {cr.left, cr.bottom - 1}, {cr.right - 1, cr.bottom - 1},
                         {cr.right - 1, line}, {gapEnd, line}});
    } else {
        canvas.MoveTo(cr.left, line);
        canvas.LineTo(cr.left + 5, line);
        canvas.MoveTo(gapEnd, line);
        canvas.LineTo(cr.right, line);
    }

    DrawFlatCaption(canvas, caption, captionRect, DT_SINGLELINE, Enabled());
    Canvas().Draw(cr.left, cr.top, buffer);
}

LRESULT TFlatGroupBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case CM_SYSCOLORCHANGE:
    case CM_PARENTCOLORCHANGED: {
        // The children hear of it too.
        LRESULT result = TCustomControl::WndProc(msg, wParam, lParam);
        ParentColorsChanged();
        Invalidate();
        return result;
    }
    case WM_MOVE:
    case WM_SIZE: {
        LRESULT result = TCustomControl::WndProc(msg, wParam, lParam);
        if (transparent_)
            Invalidate();
        return result;
    }
    case CM_DIALOGCHAR:
        if (IsAccel(static_cast<char>(wParam), Caption()) && CanFocus()) {
            SetFocus();
            return 1;
        }
        // Not its own: the controls inside may have it.
        return TCustomControl::WndProc(msg, wParam, lParam);
    default:
        return TCustomControl::WndProc(msg, wParam, lParam);
    }
}
