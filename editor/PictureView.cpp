// TPictureView: compares the picture with the pixels it showed last and paints at once only the
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
    if (holds_ > 0)
        heldChanges_ = true;
    else
        ShowChanges();
}

void TPictureView::ShowChanges()
{
    const RECT area = TakeChanges();
    if (!IsRectEmpty(&area) && Parent() && Parent()->HandleAllocated() && Visible())
        Parent()->PaintNow(area);
}

RECT TPictureView::TakeChanges()
{
    heldChanges_ = false;
    auto* picture = dynamic_cast<TBitmap*>(Picture().Graphic());
    if (!picture || picture->Empty()) {
        shown_.SetSize(0, 0);
        return BoundsRect();
    }
    const TColor key = picture->Transparent() ? picture->TransparentColor() : clNone;
    RECT changed = ChangedArea(shown_, *picture);
    if (key != shownKey_ || picture->Transparent() != shownTransparent_) {
        shownKey_ = key;
        shownTransparent_ = picture->Transparent();
        changed = {0, 0, picture->Width(), picture->Height()};
    }
    if (IsRectEmpty(&changed))
        return {};
    if (shown_.Width() != picture->Width() || shown_.Height() != picture->Height() ||
        shown_.PixelFormat() != picture->PixelFormat()) {
        shown_.Assign(*picture);
    } else {
        const size_t rowBytes = size_t(picture->Width()) * (picture->PixelFormat() == pf32bit ? 4 : 3);
        for (int y = changed.top; y < changed.bottom; ++y)
            std::memcpy(shown_.ScanLine(y), picture->ScanLine(y), rowBytes);
    }
    // The picture's pixels as the view places them, widened to whole screen pixels.
    const RECT view = DestRect();
    const int width = picture->Width(), height = picture->Height();
    const int viewWidth = view.right - view.left, viewHeight = view.bottom - view.top;
    RECT cells = {view.left + changed.left * viewWidth / width, view.top + changed.top * viewHeight / height,
                  view.left + (changed.right * viewWidth + width - 1) / width,
                  view.top + (changed.bottom * viewHeight + height - 1) / height};
    OffsetRect(&cells, Left(), Top());
    return cells;
}
