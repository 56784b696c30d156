// TPictureView: compares the picture with the pixels it showed last and invalidates only the
// part of the view that covers the changed ones.
#include <windows.h>

#include "PictureView.h"

#include "PictureOps.h"

#include <cstring>

TPictureView::TPictureView(TComponent* owner) : TImage(owner) {}

void TPictureView::PictureChanged()
{
    // What the base does, but for the cells that changed instead of the whole view.
    TGraphic* graphic = Picture().Graphic();
    if (graphic && graphic->Transparent() != Transparent())
        graphic->SetTransparent(Transparent());
    ShowChanges();
}

void TPictureView::ShowChanges()
{
    auto* picture = dynamic_cast<TBitmap*>(Picture().Graphic());
    if (!picture || picture->Empty()) {
        shown_.SetSize(0, 0);
        Invalidate();
        return;
    }
    const RECT changed = ChangedArea(shown_, *picture);
    if (IsRectEmpty(&changed))
        return;
    if (shown_.Width() != picture->Width() || shown_.Height() != picture->Height() ||
        shown_.PixelFormat() != picture->PixelFormat()) {
        shown_.Assign(*picture);
    } else {
        const size_t rowBytes = size_t(picture->Width()) * (picture->PixelFormat() == pf32bit ? 4 : 3);
        for (int y = changed.top; y < changed.bottom; ++y)
            std::memcpy(shown_.ScanLine(y), picture->ScanLine(y), rowBytes);
    }
    if (!Parent() || !Parent()->HandleAllocated() || !Visible())
        return;
    // The picture's pixels as the view places them, widened to whole screen pixels.
    const RECT view = DestRect();
    const int viewWidth = view.right - view.left, viewHeight = view.bottom - view.top;
    RECT cells = {view.left + changed.left * viewWidth / picture->Width(),
                  view.top + changed.top * viewHeight / picture->Height(),
                  view.left + (changed.right * viewWidth + picture->Width() - 1) / picture->Width(),
                  view.top + (changed.bottom * viewHeight + picture->Height() - 1) / picture->Height()};
    OffsetRect(&cells, Left(), Top());
    InvalidateRect(Parent()->Handle(), &cells, FALSE);
}
