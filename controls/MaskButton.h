// TMaskButton: the push button of the skinned windows, drawn from a five-row image strip whose
// last row is the click mask that decides which pixels belong to the button.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Color.h"
#include "Controls.h"
#include "ImageList.h"

// Looks of the button, also the strip's rows from the top; the fifth row is the click mask.
enum TMaskButtonLook { mlNormal = 0, mlHover = 1, mlPressed = 2, mlDisabled = 3 };
constexpr int MaskButtonMaskRow = 4;

// Height of one row of a strip `listHeight` pixels high, rounded to nearest (27 gives 5).
int MaskButtonRowHeight(int listHeight);

class TMaskButton : public TGraphicControl {
public:
    explicit TMaskButton(TComponent* owner);
    ~TMaskButton() override;

    TImageList* ImageList() const { return imageLink_.List(); }
    void SetImageList(TImageList* list);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int index);
    TImageList* GlyphImageList() const { return glyphLink_.List(); }
    void SetGlyphImageList(TImageList* list);
    int GlyphImageIndex() const { return glyphIndex_; }
    void SetGlyphImageIndex(int index);
    int DisabledGlyphIndex() const { return disabledGlyphIndex_; }
    void SetDisabledGlyphIndex(int index) { disabledGlyphIndex_ = index; }

    // The button's own flag: the control underneath stays enabled, so that a disabled button
    // still follows the mouse and shows its disabled row.
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) override;

    TColor DisabledFontColor() const { return disabledFontColor_; }
    void SetDisabledFontColor(TColor color) { disabledFontColor_ = color; }
    TColor ClickColor() const { return clickColor_; }
    void SetClickColor(TColor color) { clickColor_ = color; }
    // Leaves the face's TransparentKeyColor pixels out, so the skin shows around the outline.
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool transparent);

    TMaskButtonLook Look() const { return look_; }
    bool Pressed() const { return pressed_; }
    // Whether (x, y) lies on a pixel of the click mask that has ClickColor; remembered for the
    // click that a release may raise.
    bool HitTest(int x, int y);

protected:
    void Paint() override;
    void Click() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void MouseEnter() override;
    void MouseLeave() override;
    void TextChanged() override { Repaint(); }

    // For variants that follow the mouse in their own way.
    void SetLook(TMaskButtonLook look) { look_ = look; }
    void SetPressed(bool pressed) { pressed_ = pressed; }
    // The look the button settles in when the mouse is not pressing it.
    TMaskButtonLook RestingLook(TMaskButtonLook enabledLook) const { return enabled_ ? enabledLook : mlDisabled; }
    // Whether a click now would run OnClick: pressed inside the mask, still inside, enabled.
    bool ClickAllowed() const { return enabled_ && look_ != mlDisabled && !outside_ && pressed_; }
    // How far the glyph sinks on the face.
    virtual int GlyphOffset() const { return pressed_ && !outside_ ? 1 : 0; }

private:
    void ImageListChanged();
    void FitToStrip();
    // Where a glyph of that size sits on the face.
    POINT GlyphPlace(int width, int height, int offset) const;
    void DrawGlyph(int offset);

    TImageListLink imageLink_{[this] { ImageListChanged(); }};
    TImageListLink glyphLink_{[this] { Invalidate(); }};
    int imageIndex_ = 0;
    int glyphIndex_ = 0;
    int disabledGlyphIndex_ = 0;
    TMaskButtonLook look_ = mlNormal;
    bool pressed_ = false;
    bool outside_ = false;
    bool enabled_ = true;
    TColor disabledFontColor_ = clSilver;
    TColor clickColor_ = clBlack;
    bool transparent_ = false;
    TBitmap face_;
    TBitmap glyph_;
};
