// TVantuButton: caps, repeated middle slice and caption composed off-screen, key colour left out.
#include <windows.h>

#include "VantuButton.h"

#include "SkinStrip.h"
#include "TransparentKey.h"

#include <cmath>

int VantuButtonRowHeight(int listHeight)
{
    return RoundHalfEven(listHeight / static_cast<double>(VantuButtonRows));
}

int VantuCaptionX(TAlignment alignment, int width, int textWidth, int textDistance)
{
    switch (alignment) {
    case taLeftJustify:
        return textDistance;
    case taRightJustify:
        return width - textWidth - textDistance;
    default:
        return RoundHalfEven(width / 2.0) - textWidth / 2;
    }
}

TVantuButton::TVantuButton(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(Left(), Top(), 30, 30);
}

TVantuButton::~TVantuButton() = default;

void TVantuButton::SetImageList(TImageList* list)
{
    if (list == ImageList())
        return;
    imageLink_.SetList(list);
    if (!list)
        return;
    if (imageIndex_ > ImageList()->Count() - 1)
        imageIndex_ = ImageList()->Count() - 1;
    FitToStrip();
    Repaint();
}

void TVantuButton::SetImageIndex(int index)
{
    if (ImageList() && index > ImageList()->Count() - 1)
        index = ImageList()->Count() - 1;
    imageIndex_ = index;
    Repaint();
}

void TVantuButton::SetEnabled(bool enabled)
{
    enabled_ = enabled;
    look_ = enabled ? vlNormal : vlDisabled;
    Repaint();
}

void TVantuButton::SetTextDistance(int distance)
{
    textDistance_ = distance;
    Repaint();
}

void TVantuButton::SetAlignment(TAlignment alignment)
{
    alignment_ = alignment;
    Repaint();
}

void TVantuButton::FitToStrip()
{
    if (!ImageList())
        return;
    int height = VantuButtonRowHeight(ImageList()->Height());
    if (Height() != height)
        SetBounds(Left(), Top(), Width(), height);
}

void TVantuButton::Click()
{
    if (enabled_ && look_ != vlDisabled)
        TGraphicControl::Click();
}

void TVantuButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TGraphicControl::MouseDown(button, shift, x, y);
    look_ = RestingLook(vlDown);
    Repaint();
}

void TVantuButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TGraphicControl::MouseUp(button, shift, x, y);
    if (look_ != vlNormal)
        look_ = RestingLook(vlHot);
    Repaint();
}

void TVantuButton::MouseEnter()
{
    TGraphicControl::MouseEnter();
    look_ = RestingLook(vlHot);
    // A disabled face does not change under the mouse.
    if (enabled_)
        Repaint();
}

void TVantuButton::MouseLeave()
{
    TGraphicControl::MouseLeave();
    look_ = RestingLook(vlNormal);
    Repaint();
}

void TVantuButton::DrawFace(TVantuLook look, int rowHeight)
{
    int width = Width();
    int height = Height();
    int listWidth = ImageList()->Width();
    int top = look * rowHeight;

    // The whole image on the key colour, so that its outline stays see-through in the slices.
    TBitmap scratch(listWidth, ImageList()->Height());
    FillBitmap(scratch, TransparentKeyColor);
    ImageList()->Draw(scratch.Canvas(), 0, 0, imageIndex_);

    if (face_.Width() != width || face_.Height() != height)
        face_.SetSize(width, height);
    FillBitmap(face_, TransparentKeyColor);
    TCanvas& canvas = face_.Canvas();
    ImageList()->Draw(canvas, 0, -top, imageIndex_);
    ImageList()->Draw(canvas, width - listWidth, -top, imageIndex_);

    // Each slice's first column covers the previous slice's second; the last slice reaches two
    // columns into the right cap.
    int slice = roundWidth_ + 1;
    if (roundWidth_ < 0 || slice + 2 > listWidth)
        return;
    RECT source = {slice, top, slice + 2, top + rowHeight};
    for (int i = 0; i <= width - 2 * roundWidth_; ++i)
        canvas.CopyRect(RECT{roundWidth_ + i, 0, roundWidth_ + i + 2, height}, scratch.Canvas(), source);
}

void TVantuButton::DrawCaption(TVantuLook look)
{
    TCanvas& canvas = face_.Canvas();
    canvas.Font().Assign(Font());
    if (look == vlDisabled)
        canvas.Font().SetColor(disabledFontColor_);
    canvas.Brush().SetStyle(bsClear);
    std::string caption = Caption();
    SIZE text = canvas.TextExtent(caption);
    captionLeft_ = VantuCaptionX(alignment_, Width(), text.cx, textDistance_);
    if (!caption.empty())
        canvas.TextOut(captionLeft_, RoundHalfEven(Height() / 2.0) - text.cy / 2, caption);
    canvas.Brush().SetStyle(bsSolid);
}

void TVantuButton::Paint()
{
    if (!ImageList())
        return;
    TVantuLook look = enabled_ ? look_ : vlDisabled;
    FitToStrip();
    DrawFace(look, VantuButtonRowHeight(ImageList()->Height()));
    DrawCaption(look);
    face_.SetTransparentColor(TransparentKeyColor);
    face_.SetTransparent(true);
    Canvas().Draw(0, 0, face_);
    paintedLook_ = look;
}
