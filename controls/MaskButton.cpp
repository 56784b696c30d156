// TMaskButton: face, glyph and caption drawn off-screen; clicks only inside the click mask.
#include <windows.h>
#include <windowsx.h>

#include "MaskButton.h"

#include "SkinStrip.h"
#include "TransparentKey.h"

#include <algorithm>
#include <cmath>

int MaskButtonRowHeight(int listHeight)
{
    return RoundHalfEven(listHeight / 5.0);
}

TMaskButton::TMaskButton(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(Left(), Top(), 30, 30);
}

TMaskButton::~TMaskButton() = default;

void TMaskButton::SetImageList(TImageList* list)
{
    if (list == ImageList())
        return;
    imageLink_.SetList(list);
    if (ImageList() && imageIndex_ > ImageList()->Count() - 1)
        imageIndex_ = ImageList()->Count() - 1;
    FitToStrip();
    Repaint();
}

void TMaskButton::SetImageIndex(int index)
{
    if (ImageList() && index > ImageList()->Count() - 1)
        index = ImageList()->Count() - 1;
    imageIndex_ = index;
    Repaint();
}

void TMaskButton::SetGlyphImageList(TImageList* list)
{
    if (list == GlyphImageList())
        return;
    glyphLink_.SetList(list);
    if (GlyphImageList())
        Repaint();
}

void TMaskButton::SetGlyphImageIndex(int index)
{
    if (GlyphImageList() && index > GlyphImageList()->Count() - 1)
        index = GlyphImageList()->Count() - 1;
    glyphIndex_ = index;
    Repaint();
}

void TMaskButton::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    look_ = enabled ? mlNormal : mlDisabled;
    Repaint();
}

void TMaskButton::SetTransparent(bool transparent)
{
    transparent_ = transparent;
    Repaint();
}

void TMaskButton::ImageListChanged()
{
    if (!ImageList())
        imageIndex_ = 0;
    Invalidate();
}

void TMaskButton::FitToStrip()
{
    if (!ImageList())
        return;
    int height = MaskButtonRowHeight(ImageList()->Height());
    if (Width() != ImageList()->Width() || Height() != height)
        SetBounds(Left(), Top(), ImageList()->Width(), height);
}

bool TMaskButton::HitTest(int x, int y)
{
    bool inside = false;
    if (ImageList()) {
        int rowHeight = ImageList()->Height() / 5;
        COLORREF click = ColorToRGB(clickColor_) & 0x00FFFFFF;
        TBitmap scratch(ImageList()->Width(), std::max(rowHeight, 1));
        // The mask row's transparent pixels keep this background, which must never pass as
        // the click colour.
        FillBitmap(scratch, static_cast<TColor>(click ^ 0x00FFFFFF));
        ImageList()->Draw(scratch.Canvas(), 0, -MaskButtonMaskRow * rowHeight, imageIndex_);
        inside = static_cast<COLORREF>(scratch.PixelColor(x, y)) == click;
    }
    outside_ = !inside;
    return inside;
}

LRESULT TMaskButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    // The click comes before the release handling and would otherwise judge by the last move,
    // which need not have been at the release point.
    if (msg == WM_LBUTTONUP)
        HitTest(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
    return TGraphicControl::WndProc(msg, wParam, lParam);
}

void TMaskButton::Click()
{
    if (ClickAllowed())
        TGraphicControl::Click();
}

void TMaskButton::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    TGraphicControl::MouseDown(button, shift, x, y);
    if (HitTest(x, y)) {
        pressed_ = true;
        look_ = mlPressed;
        Repaint();
    }
}

void TMaskButton::MouseMove(TShiftState shift, int x, int y)
{
    TGraphicControl::MouseMove(shift, x, y);
    if (HitTest(x, y)) {
        // Moves within the outline change nothing on the face.
        TMaskButtonLook look = pressed_ ? mlPressed : mlHover;
        if (look != look_) {
            look_ = look;
            Repaint();
        }
    } else if (look_ != mlNormal) {
        look_ = mlNormal;
        Repaint();
    }
}

void TMaskButton::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    TGraphicControl::MouseUp(button, shift, x, y);
    pressed_ = false;
    if (HitTest(x, y)) {
        if (look_ != mlNormal)
            look_ = RestingLook(mlHover);
        Repaint();
    }
}

void TMaskButton::MouseEnter()
{
    TGraphicControl::MouseEnter();
    look_ = RestingLook(mlHover);
    if (!outside_)
        Repaint();
}

void TMaskButton::MouseLeave()
{
    TGraphicControl::MouseLeave();
    look_ = RestingLook(mlNormal);
    Repaint();
}

POINT TMaskButton::GlyphPlace(int width, int height, int offset) const
{
    return {RoundHalfEven(Width() / 2.0) - RoundHalfEven(width / 2.0) + offset,
            RoundHalfEven(Height() / 2.0) - RoundHalfEven(height / 2.0) + offset};
}

void TMaskButton::DrawGlyph(int offset)
{
    POINT place = GlyphPlace(glyph_.Width(), glyph_.Height(), offset);
    face_.Canvas().Draw(place.x, place.y, glyph_);
}

void TMaskButton::Paint()
{
    if (!ImageList())
        return;
    TMaskButtonLook look = enabled_ ? look_ : mlDisabled;
    FitToStrip();
    int rowHeight = MaskButtonRowHeight(ImageList()->Height());
    const int glyphIndex = look == mlDisabled ? disabledGlyphIndex_ : glyphIndex_;
    // The lists are loaded masked by the key colour: drawn through their masks straight onto the
    // parent, row and glyph show exactly what a face composed on the key colour shows with its
    // key pixels left out.
    if (transparent_ && Caption().empty()) {
        ImageList()->Draw(Canvas(), 0, -look * rowHeight, imageIndex_);
        if (TImageList* glyphs = GlyphImageList()) {
            POINT place = GlyphPlace(glyphs->Width(), glyphs->Height(), GlyphOffset());
            glyphs->Draw(Canvas(), place.x, place.y, glyphIndex);
        }
        return;
    }
    if (face_.Width() != Width() || face_.Height() != Height())
        face_.SetSize(Width(), Height());
    TCanvas& canvas = face_.Canvas();

    if (transparent_)
        FillBitmap(face_, TransparentKeyColor);
    else
        ImageList()->Draw(canvas, 0, -MaskButtonMaskRow * rowHeight, imageIndex_);
    ImageList()->Draw(canvas, 0, -look * rowHeight, imageIndex_);

    int offset = GlyphOffset();
    if (GlyphImageList()) {
        glyph_.SetSize(GlyphImageList()->Width(), GlyphImageList()->Height());
        FillBitmap(glyph_, TransparentKeyColor);
        glyph_.SetTransparentColor(TransparentKeyColor);
        glyph_.SetTransparent(true);
        GlyphImageList()->GetBitmap(glyphIndex, glyph_);
    }

    std::string caption = Caption();
    if (!caption.empty()) {
        canvas.Font().Assign(Font());
        if (look == mlDisabled)
            canvas.Font().SetColor(disabledFontColor_);
        canvas.Brush().SetStyle(bsClear);
        SIZE text = canvas.TextExtent(caption);
        canvas.TextOut(RoundHalfEven(Width() / 2.0) - text.cx / 2, RoundHalfEven(Height() / 2.0) - text.cy / 2,
                       caption);
        canvas.Brush().SetStyle(bsSolid);
    }
    if (GlyphImageList())
        DrawGlyph(offset);

    face_.SetTransparentColor(TransparentKeyColor);
    face_.SetTransparent(transparent_);
    Canvas().Draw(0, 0, face_);
}
