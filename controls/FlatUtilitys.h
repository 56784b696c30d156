// What the flat controls share: their palette and colour strengths, the lightness shift that
// derives hover, pressed and border colours from a face colour, painting the parent behind a
// transparent control, the embossed disabled glyph, glyph-and-caption layout, font and rectangle
// helpers, and the one hover timer per control class that notices the mouse leaving.
#pragma once

#include <windows.h>

#include "Bitmap.h"
#include "Color.h"
#include "Controls.h"
#include "ExtCtrls.h"
#include "GdiObject.h"

#include <array>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <string>

// The flat palette.
constexpr TColor FlatBorderColor = 0x8396A0;
constexpr TColor FlatFaceColor = 0xE1EAEB;
constexpr TColor FlatFocusedColor = 0xFFFFFF;
constexpr TColor FlatDownColor = 0xC5D6D9;
constexpr TColor FlatMarkColor = 0x000000;
constexpr TColor FlatHighlightColor = 0xFFFFFF;

// Strength of a lightness shift, 0..100 (steps on the 0..240 lightness scale).
using TAdvColors = uint8_t;
constexpr TAdvColors AdvColorFocusedDefault = 10;
constexpr TAdvColors AdvColorDownDefault = 10;
constexpr TAdvColors AdvColorBorderDefault = 50;
constexpr TAdvColors AdvColorArrowBackgroundDefault = 10;
// Values above the range are taken as its top.
constexpr TAdvColors AdvColorsInRange(int value) { return static_cast<TAdvColors>(value < 0 ? 0 : value > 100 ? 100 : value); }

// The base colour with its lightness shifted by `strength` (lightened, or darkened when
// `darken`); `fallback` unchanged for strength 0.
TColor ComputeAdvColor(TColor base, TColor fallback, TAdvColors strength, bool darken);

// The colour roles of the flat controls; a slot means the same role in every control.
enum TFlatColorSlot {
    fcFocused,           // the face while focused or under the mouse
    fcDown,              // the face while pressed
    fcBorder,
    fcFlat,              // the face of the edits
    fcMark,              // check mark, radio dot, combo box arrow
    fcArrowBackground,   // the combo box's arrow button
    fcHighLight,         // the lit edge of a raised button
    fcShadow,            // its shaded edge
    fcSlotCount
};

// The colours of one flat control by slot, with the strengths of the lightness shifts that derive
// some of them from the face colour while UseAdvColors is on. A control uses the slots it has
// properties for; every slot starts with the flat palette's colour for its role.
class TFlatColors {
public:
    TFlatColors();

    TColor operator[](TFlatColorSlot slot) const { return colors_[slot]; }
    void Set(TFlatColorSlot slot, TColor color) { colors_[slot] = color; }
    TAdvColors Strength(TFlatColorSlot slot) const { return strengths_[slot]; }
    // Values outside 0..100 are taken as the nearest end.
    void SetStrength(TFlatColorSlot slot, int value) { strengths_[slot] = AdvColorsInRange(value); }
    // Recomputes `slots` from `base` by their strengths: the focused colour lightened, the
    // pressed, border and arrow background colours darkened.
    void Derive(TColor base, std::initializer_list<TFlatColorSlot> slots);

private:
    std::array<TColor, fcSlotCount> colors_;
    std::array<TAdvColors, fcSlotCount> strengths_;
};

// Paints what the control's parent shows behind the control onto the control's canvas.
void PaintParentBackground(TControl& control, TCanvas& canvas);

// An embossed copy of `glyph`: the pixels of `maskColor` in `shadow`, and with `drawHighlight`
// one pixel down and right in `highlight` beneath, all else `back`.
std::unique_ptr<TBitmap> MakeDisabledGlyph(const TBitmap& glyph, TColor maskColor, TColor back, TColor highlight,
                                           TColor shadow, bool drawHighlight);

enum TButtonLayout { blGlyphLeft, blGlyphRight, blGlyphTop, blGlyphBottom };

struct TGlyphLayout {
    POINT glyphPos;
    RECT textBounds;
};

// Where a glyph (one of `numGlyphs` images side by side in `glyph`, or none) and a one-line
// caption go in `client`; margin and spacing -1 share the free room evenly.
TGlyphLayout LayoutGlyphAndCaption(TCanvas& canvas, const RECT& client, POINT offset, const std::string& caption,
                                   TButtonLayout layout, int margin, int spacing, TBitmap* glyph, int numGlyphs);

WORD SmallerWord(WORD a, WORD b);
// Metrics of `font` as the screen shows it.
TEXTMETRICA FontTextMetrics(TFont& font);
// A line of `font` with a little leading: tmHeight and an eighth, rounded.
int FontLineHeight(TFont& font);
bool RectsOverlap(const RECT& a, const RECT& b);
// A caption with a clear brush in the canvas's font colour; disabled, engraved instead: once one
// pixel down and right in the button highlight colour, then in place in the button shadow colour.
void DrawFlatCaption(TCanvas& canvas, const std::string& text, const RECT& r, UINT flags, bool enabled);
// Sets or clears WS_TABSTOP of a live window.
void ApplyTabStop(TWinControl& control, bool tabStop);
// A solid brush of a colour, system colours resolved.
GdiObject<HBRUSH> SolidColorBrush(TColor color);

// A control that the hover timer can tell when the mouse came and went.
class THoverClient {
public:
    virtual void HoverBegin() = 0;
    virtual void HoverEnd() = 0;

protected:
    ~THoverClient() = default;
};

// The hover state of one control class: a 100 ms timer, made with the first instance and freed
// with the last, that watches the one control of the class the mouse is over and tells it when
// the mouse has gone (a windowless control gets no leave message of its own).
class THoverRecord {
public:
    THoverRecord() = default;
    THoverRecord(const THoverRecord&) = delete;
    THoverRecord& operator=(const THoverRecord&) = delete;

    // From each constructor and destructor of the class.
    void InstanceCreated();
    void InstanceDestroyed(TControl& control);
    // After a mouse move over `control`, at a point of its client area.
    void MouseMoved(TControl& control, THoverClient& client, POINT clientPoint);
    // Stops watching `control` when it is the one being watched.
    void Stop(TControl& control);
    // The cursor's position decides: HoverBegin when it is over `control`, else HoverEnd.
    static void Reevaluate(TControl& control, THoverClient& client);

    TTimer* Timer() const { return timer_.get(); }
    TControl* HotControl() const { return hot_; }
    int InstanceCount() const { return count_; }

private:
    void Tick();

    std::unique_ptr<TTimer> timer_;
    int count_ = 0;
    TControl* hot_ = nullptr;
    THoverClient* hotClient_ = nullptr;
};
