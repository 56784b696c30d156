// The shared part of the flat buttons: properties, the mouse, groups and the hover look.
#include <windows.h>

#include "FlatButtonBase.h"

#include "Forms.h"

#include <algorithm>
#include <type_traits>
#include <vector>

template <typename Base>
TFlatButtonBase<Base>::TFlatButtonBase(TComponent* owner, THoverRecord& hover) : Base(owner), hover_(hover)
{
    hover_.InstanceCreated();
    // Clicks are decided here: a group button clicks on release even when it stays down.
    this->clickEvents_ = false;
    this->SetBounds(0, 0, 25, 25);
    this->SetParentFont(true);
    this->SetColor(FlatFaceColor);
    this->SetParentColor(true);
    // A flat button lit by the mouse keeps its face colour.
    this->colors_.Set(fcFocused, FlatFaceColor);
}

template <typename Base>
TFlatButtonBase<Base>::~TFlatButtonBase()
{
    StopHoverTimer();
    hover_.InstanceDestroyed(*this);
}

template <typename Base>
TFlatButtonFace TFlatButtonBase<Base>::Face()
{
    if (!this->Enabled()) {
        state_ = bsDisabled;
        dragging_ = false;
    } else if (state_ == bsDisabled) {
        state_ = down_ && groupIndex_ != 0 ? bsExclusive : bsUp;
    }
    TFlatButtonFace face;
    face.state = state_;
    face.hovered = hovered_;
    face.transparentMode = transparentMode_;
    face.color = this->Color();
    face.colors = this->colors_;
    face.glyph = &glyph_;
    face.numGlyphs = numGlyphs_;
    face.caption = this->Caption();
    face.layout = layout_;
    face.margin = margin_;
    face.spacing = spacing_;
    return face;
}

template <typename Base>
void TFlatButtonBase<Base>::Placed(const TGlyphLayout& placed)
{
    glyphPos_ = placed.glyphPos;
    textBounds_ = placed.textBounds;
}

template <typename Base>
void TFlatButtonBase<Base>::SetTransparentMode(TFlatTransparentMode mode)
{
    transparentMode_ = mode;
    this->Invalidate();
}

template <typename Base>
void TFlatButtonBase<Base>::SetAllowAllUp(bool allow)
{
    allowAllUp_ = allow;
    UpdateExclusive();
}

template <typename Base>
void TFlatButtonBase<Base>::SetGroupIndex(int index)
{
    groupIndex_ = index;
    UpdateExclusive();
}

template <typename Base>
void TFlatButtonBase<Base>::SetDown(bool down)
{
    if (groupIndex_ == 0)
        down = false;
    if (down == down_ || (down_ && !allowAllUp_))
        return;
    down_ = down;
    if (down) {
        if (state_ == bsUp)
            this->Invalidate();
        state_ = bsExclusive;
        UpdateExclusive();
    } else {
        state_ = bsUp;
        this->Repaint();
    }
}

template <typename Base>
void TFlatButtonBase<Base>::UpdateExclusive()
{
    if (groupIndex_ == 0 || !this->Parent())
        return;
    std::vector<TControl*> siblings = this->Parent()->Controls();
    for (TControl* sibling : siblings)
        sibling->Perform(CM_BUTTONPRESSED, static_cast<WPARAM>(groupIndex_),
                         reinterpret_cast<LPARAM>(static_cast<TControl*>(this)));
}

template <typename Base>
void TFlatButtonBase<Base>::ButtonPressed(int group, TFlatButtonBase* sender)
{
    if (group != groupIndex_ || !sender || sender == this)
        return;
    if (sender->down_ && down_) {
        down_ = false;
        state_ = bsUp;
        this->Invalidate();
    }
    allowAllUp_ = sender->allowAllUp_;
}

template <typename Base>
void TFlatButtonBase<Base>::SetGlyph(const TBitmap& glyph)
{
    glyph_.Assign(glyph);
    numGlyphs_ = NumGlyphsOfStrip(glyph_, numGlyphs_);
    this->Invalidate();
}

template <typename Base>
void TFlatButtonBase<Base>::SetLayout(TButtonLayout layout)
{
    layout_ = layout;
    this->Invalidate();
}

template <typename Base>
void TFlatButtonBase<Base>::SetMargin(int margin)
{
    if (margin < -1)
        return;
    margin_ = margin;
    this->Invalidate();
}

template <typename Base>
void TFlatButtonBase<Base>::SetNumGlyphs(int count)
{
    numGlyphs_ = std::clamp(count, 1, 4);
    this->Invalidate();
}

template <typename Base>
void TFlatButtonBase<Base>::SetSpacing(int spacing)
{
    spacing_ = spacing;
    this->Invalidate();
}

template <typename Base>
void TFlatButtonBase<Base>::SetEnabled(bool enabled)
{
    Base::SetEnabled(enabled);
    if (!enabled) {
        hovered_ = false;
        state_ = bsDisabled;
        StopHoverTimer();
    }
    THoverRecord::Reevaluate(*this, *this);
    this->Invalidate();
}

template <typename Base>
void TFlatButtonBase<Base>::Click()
{
    if (this->Parent())
        if (TForm* form = GetParentForm(this))
            form->SetModalResult(modalResult_);
    Base::Click();
}

template <typename Base>
void TFlatButtonBase<Base>::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    Base::MouseDown(button, shift, x, y);
    if (button != mbLeft || !this->Enabled())
        return;
    if (!down_) {
        state_ = bsDown;
        this->Invalidate();
    }
    dragging_ = true;
    if constexpr (std::is_base_of_v<TWinControl, Base>)
        if (this->CanFocus() && !this->Focused())
            this->SetFocus();
}

template <typename Base>
void TFlatButtonBase<Base>::MouseMove(TShiftState shift, int x, int y)
{
    Base::MouseMove(shift, x, y);
    hover_.MouseMoved(*this, *this, POINT{x, y});
    if (!dragging_)
        return;
    TFlatButtonState state = down_ ? bsExclusive : Inside(x, y) ? bsDown : bsUp;
    if (state != state_) {
        state_ = state;
        this->Invalidate();
    }
}

template <typename Base>
void TFlatButtonBase<Base>::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    Base::MouseUp(button, shift, x, y);
    if (button != mbLeft || !dragging_)
        return;
    dragging_ = false;
    const bool click = Inside(x, y);
    if (groupIndex_ == 0) {
        state_ = bsUp;
        hovered_ = false;
        if (click)
            this->Invalidate();
    } else if (click) {
        SetDown(!down_);
        if (down_)
            this->Invalidate();
    } else if (down_) {
        state_ = bsExclusive;
        this->Invalidate();
    } else {
        // Released off the button without a move out first: it must not stay drawn pressed.
        state_ = bsUp;
        this->Invalidate();
    }
    if (click)
        Click();
    else
        HoverEnd();
    THoverRecord::Reevaluate(*this, *this);
}

template <typename Base>
void TFlatButtonBase<Base>::DblClick()
{
    if (down_)
        Base::DblClick();
}

template <typename Base>
LRESULT TFlatButtonBase<Base>::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case CM_BUTTONPRESSED:
        ButtonPressed(static_cast<int>(wParam),
                      dynamic_cast<TFlatButtonBase*>(reinterpret_cast<TControl*>(lParam)));
        return 0;
    case CM_SYSCOLORCHANGE:
    case CM_PARENTCOLORCHANGED:
        if (msg == CM_PARENTCOLORCHANGED)
            Base::WndProc(msg, wParam, lParam);
        this->ParentColorsChanged();
        this->Invalidate();
        return 0;
    default:
        return Base::WndProc(msg, wParam, lParam);
    }
}

template <typename Base>
void TFlatButtonBase<Base>::HoverBegin()
{
    if (!this->Enabled() || hovered_)
        return;
    hovered_ = true;
    this->Repaint();
}

template <typename Base>
void TFlatButtonBase<Base>::HoverEnd()
{
    if (!this->Enabled() || !hovered_ || dragging_)
        return;
    hovered_ = false;
    StopHoverTimer();
    this->Repaint();
}

template class TFlatButtonBase<TGraphicControl>;
template class TFlatButtonBase<TCustomControl>;
