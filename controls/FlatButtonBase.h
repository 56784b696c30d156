// TFlatButtonBase: what the windowless flat speed button and the windowed flat push button share:
// colours, glyph and caption layout, the states a press and release go through, latching in a
// group of buttons on one parent, closing a modal form, and the hover look.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Controls.h"
#include "FlatButtonFace.h"
#include "FlatStateColors.h"
#include "FlatUtilitys.h"

#include <string>

// Base is TGraphicControl or TCustomControl.
template <typename Base>
class TFlatButtonBase : public Base, public TFlatStateColors<TFlatButtonBase<Base>>, protected THoverClient {
public:
    ~TFlatButtonBase() override;

    TFlatTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TFlatTransparentMode mode);
    bool AllowAllUp() const { return allowAllUp_; }
    void SetAllowAllUp(bool allow);

    TColor ColorHighLight() const { return this->colors_[fcHighLight]; }
    void SetColorHighLight(TColor color) { this->SetFlatColor(fcHighLight, color); }
    TColor ColorShadow() const { return this->colors_[fcShadow]; }
    void SetColorShadow(TColor color) { this->SetFlatColor(fcShadow, color); }

    // Non-zero: the button latches, and one button of the group on the parent is down.
    int GroupIndex() const { return groupIndex_; }
    void SetGroupIndex(int index);
    bool Down() const { return down_; }
    void SetDown(bool down);
    // The glyph is copied; a strip whose width is a whole multiple (up to 4) of its height
    // sets NumGlyphs.
    TBitmap& Glyph() { return glyph_; }
    void SetGlyph(const TBitmap& glyph);
    TButtonLayout Layout() const { return layout_; }
    void SetLayout(TButtonLayout layout);
    int Margin() const { return margin_; }
    void SetMargin(int margin);
    int NumGlyphs() const { return numGlyphs_; }
    void SetNumGlyphs(int count);
    int Spacing() const { return spacing_; }
    void SetSpacing(int spacing);
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }

    void SetEnabled(bool enabled) override;
    void Click() override;

    TFlatButtonState State() const { return state_; }
    bool Hovered() const { return hovered_; }
    // Where the last paint put the glyph and the caption.
    POINT GlyphPos() const { return glyphPos_; }
    RECT TextBounds() const { return textBounds_; }

protected:
    TFlatButtonBase(TComponent* owner, THoverRecord& hover);

    // The face as the button's state shows it now (a disabled button is drawn disabled).
    TFlatButtonFace Face();
    void Placed(const TGlyphLayout& placed);
    void SetState(TFlatButtonState state) { state_ = state; }
    void SetHovered(bool hovered) { hovered_ = hovered; }
    bool Dragging() const { return dragging_; }
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void DblClick() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void HoverBegin() override;
    void HoverEnd() override;
    void StopHoverTimer() { hover_.Stop(*this); }

private:
    void UpdateExclusive();
    void ButtonPressed(int group, TFlatButtonBase* sender);
    bool Inside(int x, int y) const { return x >= 0 && x < this->ClientWidth() && y >= 0 && y <= this->ClientHeight(); }

    THoverRecord& hover_;
    TFlatTransparentMode transparentMode_ = tmNone;
    RECT textBounds_ = {0, 0, 0, 0};
    POINT glyphPos_ = {0, 0};
    int numGlyphs_ = 1;
    int groupIndex_ = 0;
    TBitmap glyph_;
    bool down_ = false;
    bool dragging_ = false;
    bool allowAllUp_ = false;
    TButtonLayout layout_ = blGlyphTop;
    int spacing_ = 4;
    int margin_ = -1;
    bool hovered_ = false;
    int modalResult_ = 0;
    TFlatButtonState state_ = bsUp;
};

extern template class TFlatButtonBase<TGraphicControl>;
extern template class TFlatButtonBase<TCustomControl>;
