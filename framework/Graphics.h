// Drawing tools (pen, brush, font) and the canvas that draws with them on a device context.
#pragma once

#include <windows.h>

#include "Color.h"
#include "GdiObject.h"

#include <functional>
#include <string>
#include <vector>

class TCanvas;
class TGraphic;

// A pen, brush or font: plain properties plus a GDI object made from them when first needed.
class TGraphicsObject {
public:
    virtual ~TGraphicsObject() = default;
    TGraphicsObject(const TGraphicsObject&) = delete;
    TGraphicsObject& operator=(const TGraphicsObject&) = delete;

    // Runs after every change of a property (controls repaint from here).
    std::function<void()> OnChange;

protected:
    TGraphicsObject() = default;
    // Before a property changes: the canvas showing the object lets go of it, then the object is
    // deleted (a GDI object must never be deleted while selected into a DC).
    void Changing();
    void Changed();

    GdiObject<HGDIOBJ> handle_;

private:
    friend class TCanvas;
    TCanvas* canvas_ = nullptr;
};

enum TPenStyle {
    psSolid = PS_SOLID,
    psDash = PS_DASH,
    psDot = PS_DOT,
    psDashDot = PS_DASHDOT,
    psDashDotDot = PS_DASHDOTDOT,
    psClear = PS_NULL,
    psInsideFrame = PS_INSIDEFRAME,
};

// How the pen combines with what is drawn over: the binary raster operations.
enum TPenMode {
    pmBlack = R2_BLACK,
    pmWhite = R2_WHITE,
    pmNop = R2_NOP,
    pmNot = R2_NOT,
    pmCopy = R2_COPYPEN,
    pmNotCopy = R2_NOTCOPYPEN,
    pmMergePenNot = R2_MERGEPENNOT,
    pmMaskPenNot = R2_MASKPENNOT,
    pmMergeNotPen = R2_MERGENOTPEN,
    pmMaskNotPen = R2_MASKNOTPEN,
    pmMerge = R2_MERGEPEN,
    pmNotMerge = R2_NOTMERGEPEN,
    pmMask = R2_MASKPEN,
    pmNotMask = R2_NOTMASKPEN,
    pmXor = R2_XORPEN,
    pmNotXor = R2_NOTXORPEN,
};

class TPen : public TGraphicsObject {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    int Width() const { return width_; }
    void SetWidth(int width);
    TPenStyle Style() const { return style_; }
    void SetStyle(TPenStyle style);
    TPenMode Mode() const { return mode_; }
    void SetMode(TPenMode mode);
    void Assign(const TPen& source);

    HPEN Handle();

private:
    TColor color_ = clBlack;
    int width_ = 1;
    TPenStyle style_ = psSolid;
    TPenMode mode_ = pmCopy;
};

enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };

class TBrush : public TGraphicsObject {
public:
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TBrushStyle Style() const { return style_; }
    void SetStyle(TBrushStyle style);
    void Assign(const TBrush& source);

    HBRUSH Handle();

private:
    TColor color_ = clWhite;
    TBrushStyle style_ = bsSolid;
};

// Font styles combine as bits: font.SetStyle(fsBold | fsItalic).
enum TFontStyle : unsigned { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = unsigned;

class TFont : public TGraphicsObject {
public:
    TFont();

    const std::string& Name() const { return name_; }
    void SetName(const std::string& name);
    // Size in points; Height in pixels, negative for the character height (as LOGFONT has it).
    int Size() const;
    void SetSize(int points);
    int Height() const { return height_; }
    void SetHeight(int height);
    TColor Color() const { return color_; }
    void SetColor(TColor color);
    TFontStyles Style() const { return style_; }
    void SetStyle(TFontStyles style);
    BYTE Charset() const { return charset_; }
    void SetCharset(BYTE charset);
    // LOGFONT's output quality; DEFAULT_QUALITY leaves smoothing to the system.
    BYTE Quality() const { return quality_; }
    void SetQuality(BYTE quality);
    void Assign(const TFont& source);

    HFONT Handle();
    // What Handle() makes the font from.
    LOGFONTA LogFont() const;

    // The screen's logical pixels per inch, which turns points into pixels.
    static int PixelsPerInch();

private:
    std::string name_ = "MS Sans Serif";
    int height_;
    TColor color_ = clWindowText;
    TFontStyles style_ = 0;
    BYTE charset_ = DEFAULT_CHARSET;
    BYTE quality_ = DEFAULT_QUALITY;
};

enum TFillStyle { fsSurface, fsBorder };

// Draws on a device context: either one that somebody else owns (a window's paint DC, attached
// with SetHandle) or, in a derived class, one the canvas makes itself (a bitmap's memory DC).
// Pen, brush and font are selected into the DC before each drawing call and taken out again
// when the DC goes or a tool changes.
class TCanvas {
public:
    TCanvas();
    explicit TCanvas(HDC dc);
    virtual ~TCanvas();
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // The DC with the current pen, brush and font selected, ready for direct GDI calls.
    // Throws when the canvas has no DC and cannot make one.
    HDC Handle();
    // The DC as it is, for copying pictures, which take neither pen, brush nor font: selecting
    // them for each picture a paint copies would cost more than the copy.
    HDC PlainHandle();
    // Attaches a DC owned by the caller; nullptr detaches and restores the DC's own objects.
    void SetHandle(HDC dc);
    bool HandleAllocated() const { return dc_ != nullptr; }

    TPen& Pen() { return pen_; }
    TBrush& Brush() { return brush_; }
    TFont& Font() { return font_; }
    // Raster operation of CopyRect and of drawing bitmaps, SRCCOPY by default.
    DWORD CopyMode() const { return copyMode_; }
    void SetCopyMode(DWORD rop) { copyMode_ = rop; }
    POINT PenPos();
    RECT ClipRect();

    void FillRect(const RECT& rect);   // with the brush, no outline
    void FrameRect(const RECT& rect);  // one-pixel frame in the brush colour
    void Rectangle(int left, int top, int right, int bottom);
    void Rectangle(const RECT& rect) { Rectangle(rect.left, rect.top, rect.right, rect.bottom); }
    void Ellipse(int left, int top, int right, int bottom);
    void Ellipse(const RECT& rect) { Ellipse(rect.left, rect.top, rect.right, rect.bottom); }
    void MoveTo(int x, int y);
    void LineTo(int x, int y);
    void Polygon(const std::vector<POINT>& points);
    void Polyline(const std::vector<POINT>& points);
    // With the brush: fsSurface fills the area of `color` around (x, y); fsBorder fills up to
    // a border of `color`.
    void FloodFill(int x, int y, TColor color, TFillStyle style);

    // clNone outside the DC's surface.
    TColor Pixels(int x, int y);
    void SetPixel(int x, int y, TColor color);

    // Text in the font; the background is the brush colour unless the brush is clear.
    void TextOut(int x, int y, const std::string& text);
    void TextRect(const RECT& rect, int x, int y, const std::string& text);   // clipped to rect
    SIZE TextExtent(const std::string& text);
    int TextWidth(const std::string& text) { return TextExtent(text).cx; }
    int TextHeight(const std::string& text) { return TextExtent(text).cy; }

    void Draw(int x, int y, TGraphic& graphic);
    void StretchDraw(const RECT& rect, TGraphic& graphic);
    void CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect);

    // Runs after every drawing call (an image showing the canvas's bitmap repaints). Code that
    // draws on Handle() directly calls Changed() itself.
    std::function<void()> OnChange;
    void Changed();

protected:
    // Makes the DC of a canvas that owns one; the base canvas has none to make.
    virtual void CreateHandle() {}
    // Takes our tools out of the DC and forgets it; a derived canvas then deletes the DC.
    void FreeHandle();

private:
    friend class TGraphicsObject;
    void RequireDC();
    void RequireState();
    void DeselectTools();

    HDC dc_ = nullptr;
    TPen pen_;
    TBrush brush_;
    TFont font_;
    bool toolsSelected_ = false;
    // Text and background colours, background mode and pen mode are put on the DC when a tool
    // changes, not before every call: settings made directly on Handle() hold until then.
    bool dcStateValid_ = false;
    HGDIOBJ oldPen_ = nullptr;
    HGDIOBJ oldBrush_ = nullptr;
    HGDIOBJ oldFont_ = nullptr;
    DWORD copyMode_ = SRCCOPY;
};

// The names of the screen's fonts, sorted and each once (the font lists of the dialogs).
std::vector<std::string> ScreenFontNames();
// The face the system draws with when asked for a font of this name (the name itself when it
// is there).
std::string ActualFontFace(const std::string& name);
// The place of `name` in a list of font names, or of the face the system draws in its place;
// -1 when neither is there.
int FontNameIndex(const std::vector<std::string>& names, const std::string& name);
