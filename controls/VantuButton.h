// TVantuButton: the text button of the skinned windows, drawn from a four-row image strip whose
// caps stay as they are while a slice of the middle is repeated to any width.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Color.h"
#include "Controls.h"
#include "ImageList.h"

#include <string>

// Looks of the button, also the strip's rows from the top.
enum TVantuLook { vlNormal = 0, vlHot = 1, vlDown = 2, vlDisabled = 3 };
constexpr int VantuButtonRows = 4;

// Height of one row of a strip `listHeight` pixels high, rounded to nearest, halves to even.
int VantuButtonRowHeight(int listHeight);

// Where the caption of a button `width` pixels wide starts.
int VantuCaptionX(TAlignment alignment, int width, int textWidth, int textDistance);

class TVantuButton : public TGraphicControl {
public:
    explicit TVantuButton(TComponent* owner);
    ~TVantuButton() override;

    TImageList* ImageList() const { return imageLink_.List(); }
    void SetImageList(TImageList* list);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);

    // The button's own flag: the control underneath stays enabled, so that a disabled button
    // still gets the mouse and keeps showing its disabled row.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) override;

    TColor DisabledFontColor() const { return disabledFontColor_; }
    void SetDisabledFontColor(TColor color) { disabledFontColor_ = color; }
    // Width of each cap; the middle slice is taken just inside the left one.
    int RoundWidth() const { return roundWidth_; }
    void SetRoundWidth(int width) { roundWidth_ = width; }
    // Inset of a left- or right-aligned caption.
    int TextDistance() const { return textDistance_; }
    void SetTextDistance(int distance);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment alignment);

    TVantuLook Look() const { return look_; }
    // The look of the last paint, -1 before the first.
    int PaintedLook() const { return paintedLook_; }
    // Where the last paint put the caption.
    int CaptionLeft() const { return captionLeft_; }

protected:
    void Paint() override;
    void Click() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void TextChanged() override { Repaint(); }

private:
    TVantuLook RestingLook(TVantuLook enabledLook) const { return enabled_ ? enabledLook : vlDisabled; }
    void FitToStrip();
    void DrawFace(TVantuLook look, int rowHeight);
    void DrawCaption(TVantuLook look);

    TImageListLink imageLink_{[this] { Invalidate(); }};
    int imageIndex_ = 0;
    TVantuLook look_ = vlNormal;
    int paintedLook_ = -1;
    int captionLeft_ = 0;
    bool enabled_ = true;
    TColor disabledFontColor_ = clSilver;
    int roundWidth_ = 15;
    int textDistance_ = 5;
    TAlignment alignment_ = taCenter;
    TBitmap face_;
};
