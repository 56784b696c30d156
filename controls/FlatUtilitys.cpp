// Colour shift, parent background, disabled glyph, layout and hover timer of the flat controls.
#include <windows.h>

#include "FlatUtilitys.h"

#include "GdiObject.h"
#include "HSLUtils.h"

#include <algorithm>
#include <cmath>

TColor ComputeAdvColor(TColor base, TColor fallback, TAdvColors strength, bool darken)
{
    if (strength == 0)
        return fallback;
    TScaledHSL hsl = ColorToScaledHSL(static_cast<TColor>(ColorToRGB(base)));
    hsl.l += 10;
    // The cap is 100, not the top of the scale: light faces come out darker, as the look wants.
    hsl.l = darken ? std::max(hsl.l - strength, 0) : std::min(hsl.l + strength, 100);
    return ScaledHSLToColor(hsl.h, hsl.s, hsl.l);
}

TFlatColors::TFlatColors()
{
    colors_[fcFocused] = FlatFocusedColor;
    colors_[fcDown] = FlatDownColor;
    colors_[fcBorder] = FlatBorderColor;
    colors_[fcFlat] = FlatFaceColor;
    colors_[fcMark] = FlatMarkColor;
    colors_[fcArrowBackground] = FlatDownColor;
    colors_[fcHighLight] = FlatHighlightColor;
    colors_[fcShadow] = FlatMarkColor;
    strengths_.fill(0);
    strengths_[fcFocused] = AdvColorFocusedDefault;
    strengths_[fcDown] = AdvColorDownDefault;
    strengths_[fcBorder] = AdvColorBorderDefault;
    strengths_[fcArrowBackground] = AdvColorArrowBackgroundDefault;
}

void TFlatColors::Derive(TColor base, std::initializer_list<TFlatColorSlot> slots)
{
    for (TFlatColorSlot slot : slots)
        colors_[slot] = ComputeAdvColor(base, colors_[slot], strengths_[slot], slot != fcFocused);
}

void PaintParentBackground(TControl& control, TCanvas& canvas)
{
    TWinControl* parent = control.Parent();
    if (!parent)
        return;
    // The parent paints itself and its windowless children, never a windowed child such as the
    // callers: a transparent parent asks its own parent in turn, and no call comes back here.
    HDC dc = canvas.Handle();
    SavedDC saved(dc);
    POINT origin;
    GetViewportOrgEx(dc, &origin);
    SetViewportOrgEx(dc, origin.x - control.Left(), origin.y - control.Top(), nullptr);
    IntersectClipRect(dc, 0, 0, parent->ClientWidth(), parent->ClientHeight());
    parent->Perform(WM_ERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
    parent->Perform(WM_PAINT, reinterpret_cast<WPARAM>(dc), 0);
}

namespace {

// Paints `brush` onto `dest` at (x, y) wherever the mask is white; leaves the rest alone.
void PaintThroughMask(HDC dest, int x, int y, TBitmap& mask, TColor brush)
{
    GdiObject<HBRUSH> solid(CreateSolidBrush(ColorToRGB(brush) & 0xFFFFFF));
    MemoryDC source(dest);
    SelectedObject maskIn(source.get(), mask.Handle());
    SelectedObject brushIn(dest, solid.get());
    SetTextColor(dest, RGB(0, 0, 0));
    SetBkColor(dest, RGB(255, 255, 255));
    BitBlt(dest, x, y, mask.Width(), mask.Height(), source.get(), 0, 0, 0x00E20746);
}

}  // namespace

std::unique_ptr<TBitmap> MakeDisabledGlyph(const TBitmap& glyph, TColor maskColor, TColor back, TColor highlight,
                                           TColor shadow, bool drawHighlight)
{
    auto result = std::make_unique<TBitmap>(glyph.Width(), glyph.Height());
    TBitmap mask;
    mask.Assign(glyph);
    mask.Canvas().Brush().SetColor(maskColor);
    if (mask.Monochrome()) {
        mask.SetMonochrome(false);
        mask.Canvas().Brush().SetColor(clWhite);
    }
    mask.SetMonochrome(true);

    TCanvas& canvas = result->Canvas();
    canvas.Brush().SetColor(back);
    canvas.FillRect(RECT{0, 0, result->Width(), result->Height()});
    HDC dest = canvas.Handle();
    if (drawHighlight)
        PaintThroughMask(dest, 1, 1, mask, highlight);
    PaintThroughMask(dest, 0, 0, mask, shadow);
    canvas.Changed();
    return result;
}

TGlyphLayout LayoutGlyphAndCaption(TCanvas& canvas, const RECT& client, POINT offset, const std::string& caption,
                                   TButtonLayout layout, int margin, int spacing, TBitmap* glyph, int numGlyphs)
{
    const POINT clientSize = {client.right - client.left, client.bottom - client.top};
    POINT glyphSize = {0, 0};
    if (glyph && !glyph->Empty() && numGlyphs > 0)
        glyphSize = {glyph->Width() / numGlyphs, glyph->Height()};

    TGlyphLayout result = {{0, 0}, {0, 0, 0, 0}};
    POINT textSize = {0, 0};
    if (!caption.empty()) {
        result.textBounds = {0, 0, clientSize.x, 0};
        DrawTextA(canvas.Handle(), caption.c_str(), -1, &result.textBounds, DT_CALCRECT | DT_SINGLELINE);
        textSize = {result.textBounds.right - result.textBounds.left,
                    result.textBounds.bottom - result.textBounds.top};
    }

    const bool horizontal = layout == blGlyphLeft || layout == blGlyphRight;
    POINT glyphPos = {0, 0};
    POINT textPos = {0, 0};
    // Across the layout's axis both are centred.
    if (horizontal) {
        glyphPos.y = (clientSize.y - glyphSize.y + 1) / 2;
        textPos.y = (clientSize.y - textSize.y + 1) / 2;
    } else {
        glyphPos.x = (clientSize.x - glyphSize.x + 1) / 2;
        textPos.x = (clientSize.x - textSize.x + 1) / 2;
    }

    if (textSize.x == 0 || glyphSize.x == 0)
        spacing = 0;
    auto along = [horizontal](POINT p) { return horizontal ? p.x : p.y; };
    if (margin == -1 && spacing == -1) {
        POINT total = {glyphSize.x + textSize.x, glyphSize.y + textSize.y};
        margin = (along(clientSize) - along(total)) / 3;
        spacing = margin;
    } else if (margin == -1) {
        POINT total = {glyphSize.x + spacing + textSize.x, glyphSize.y + spacing + textSize.y};
        margin = (along(clientSize) - along(total) + 1) / 2;
    } else if (spacing == -1) {
        POINT total = {clientSize.x - (margin + glyphSize.x), clientSize.y - (margin + glyphSize.y)};
        spacing = (along(total) - along(textSize)) / 2;
    }

    switch (layout) {
    case blGlyphLeft:
        glyphPos.x = margin;
        textPos.x = glyphPos.x + glyphSize.x + spacing;
        break;
    case blGlyphRight:
        glyphPos.x = clientSize.x - margin - glyphSize.x;
        textPos.x = glyphPos.x - spacing - textSize.x;
        break;
    case blGlyphTop:
        glyphPos.y = margin;
        textPos.y = glyphPos.y + glyphSize.y + spacing;
        break;
    case blGlyphBottom:
        glyphPos.y = clientSize.y - margin - glyphSize.y;
        textPos.y = glyphPos.y - spacing - textSize.y;
        break;
    }

    result.glyphPos = {glyphPos.x + client.left + offset.x, glyphPos.y + client.top + offset.y};
    OffsetRect(&result.textBounds, client.left + textPos.x + offset.x, client.top + textPos.y + offset.y);
    return result;
}

WORD SmallerWord(WORD a, WORD b)
{
    return a < b ? a : b;
}

TEXTMETRICA FontTextMetrics(TFont& font)
{
    TEXTMETRICA metrics = {};
    WindowDC screen(nullptr);
    SelectedObject selected(screen.get(), font.Handle());
    GetTextMetricsA(screen.get(), &metrics);
    return metrics;
}

int FontLineHeight(TFont& font)
{
    int height = FontTextMetrics(font).tmHeight;
    return static_cast<int>(std::nearbyint(height + height / 8.0));
}

bool RectsOverlap(const RECT& a, const RECT& b)
{
    RECT common;
    return IntersectRect(&common, &a, &b) != FALSE;
}

void DrawFlatCaption(TCanvas& canvas, const std::string& text, const RECT& r, UINT flags, bool enabled)
{
    if (text.empty())
        return;
    canvas.Brush().SetStyle(bsClear);
    if (!enabled) {
        RECT moved = r;
        OffsetRect(&moved, 1, 1);
        canvas.Font().SetColor(clBtnHighlight);
        DrawTextA(canvas.Handle(), text.c_str(), -1, &moved, flags);
        canvas.Font().SetColor(clBtnShadow);
    }
    RECT bounds = r;
    DrawTextA(canvas.Handle(), text.c_str(), -1, &bounds, flags);
    canvas.Brush().SetStyle(bsSolid);
}

void ApplyTabStop(TWinControl& control, bool tabStop)
{
    if (!control.HandleAllocated())
        return;
    LONG style = GetWindowLongA(control.Handle(), GWL_STYLE);
    SetWindowLongA(control.Handle(), GWL_STYLE, tabStop ? style | WS_TABSTOP : style & ~WS_TABSTOP);
}

GdiObject<HBRUSH> SolidColorBrush(TColor color)
{
    return GdiObject<HBRUSH>(CreateSolidBrush(ColorToRGB(color) & 0xFFFFFF));
}

// ---------------------------------------------------------------------------------------------
// THoverRecord

void THoverRecord::InstanceCreated()
{
    if (!timer_) {
        timer_ = std::make_unique<TTimer>(nullptr);
        timer_->SetEnabled(false);
        timer_->SetInterval(100);
        timer_->OnTimer = [this](TComponent*) { Tick(); };
    }
    ++count_;
}

void THoverRecord::InstanceDestroyed(TControl& control)
{
    Stop(control);
    if (--count_ <= 0) {
        count_ = 0;
        timer_.reset();
    }
}

void THoverRecord::MouseMoved(TControl& control, THoverClient& client, POINT clientPoint)
{
    POINT screen = control.ClientToScreen(clientPoint);
    if (hot_ == &control || FindDragTarget(screen, true) != &control)
        return;
    if (hot_)
        hotClient_->HoverEnd();
    if (!GetActiveWindow())
        return;
    if (timer_)
        timer_->SetEnabled(false);
    hot_ = &control;
    hotClient_ = &client;
    if (timer_)
        timer_->SetEnabled(true);
    client.HoverBegin();
}

void THoverRecord::Stop(TControl& control)
{
    if (hot_ != &control)
        return;
    if (timer_)
        timer_->SetEnabled(false);
    hot_ = nullptr;
    hotClient_ = nullptr;
}

void THoverRecord::Reevaluate(TControl& control, THoverClient& client)
{
    POINT cursor;
    GetCursorPos(&cursor);
    if (FindDragTarget(cursor, true) == &control)
        client.HoverBegin();
    else
        client.HoverEnd();
}

void THoverRecord::Tick()
{
    if (!hot_)
        return;
    POINT cursor;
    GetCursorPos(&cursor);
    if (FindDragTarget(cursor, true) != hot_)
        hotClient_->HoverEnd();
}
