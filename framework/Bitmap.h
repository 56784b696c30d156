// TBitmap: a picture in a DIB section, with a canvas to draw on it and direct access to its rows.
#pragma once

#include <windows.h>

#include "BmpFormat.h"
#include "Color.h"
#include "GdiObject.h"
#include "Graphics.h"
#include "Picture.h"

#include <functional>
#include <memory>
#include <string>

// pfDevice stands for the screen's format; a bitmap made with it is 24-bit.
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf24bit, pf32bit };

// tmAuto takes the transparent colour from the bottom-left pixel, tmFixed from TransparentColor.
enum TTransparentMode { tmAuto, tmFixed };

class TBitmapCanvas;

class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(int width, int height, TPixelFormat format = pf24bit);
    ~TBitmap() override;

    int Width() const override { return width_; }
    int Height() const override { return height_; }
    // Keeps the pixels of the top-left part that both sizes share; new area is white.
    void SetSize(int width, int height);
    void SetWidth(int width) { SetSize(width, height_); }
    void SetHeight(int height) { SetSize(width_, height); }

    TPixelFormat PixelFormat() const { return format_; }
    // Converts the pixels: exact up to 24/32 bits, to the nearest colour of the standard
    // palette for 1, 4 and 8 bits.
    void SetPixelFormat(TPixelFormat format);

    // The canvas draws on this bitmap through a memory DC that the bitmap makes when first
    // needed and drops whenever its handle changes or is handed out.
    TCanvas& Canvas();

    // The pixels of row `row`, counted from the top, in the layout of PixelFormat (BGR order).
    void* ScanLine(int row);
    const void* ScanLine(int row) const;

    // Deep copy of pixels, format, colour table and transparency settings.
    void Assign(const TBitmap& source);
    // Any other picture is drawn onto a 24-bit bitmap of its size (white where it is transparent).
    void Assign(TGraphic& source);

    // The DIB section, taken out of the canvas's DC so that other code may select it.
    // nullptr for an empty bitmap. The bitmap keeps owning it.
    HBITMAP Handle();
    // Gives up the DIB section to the caller; the bitmap is empty afterwards.
    HBITMAP ReleaseHandle();
    // Takes over any bitmap (DDB or DIB section): its pixels are copied and it is deleted.
    void SetHandle(HBITMAP bitmap);

    void LoadFromStream(TStream& stream) override;   // a .bmp file image
    void SaveToStream(TStream& stream) override;
    // A RT_BITMAP resource; throws EInvalidGraphic when it is missing or broken.
    void LoadFromResourceName(HINSTANCE instance, const char* name);

    // The pixels as a DIB in the bitmap's own format, and back.
    DibImage ToDib() const;
    void FromDib(const DibImage& image);

    void Draw(TCanvas& canvas, const RECT& rect) override;
    std::unique_ptr<TGraphic> Clone() const override;

    TColor TransparentColor() const;
    void SetTransparentColor(TColor color);   // also switches to tmFixed (clDefault: tmAuto)
    TTransparentMode TransparentMode() const { return transparentMode_; }
    void SetTransparentMode(TTransparentMode mode);

    bool Monochrome() const { return format_ == pf1bit; }
    // Switching on makes the mask of the canvas's brush colour (see Mask); switching off
    // converts to 24 bits.
    void SetMonochrome(bool monochrome);
    // Turns the bitmap into a 1-bit mask of `transparentColor`: white (bit 1) exactly where a
    // pixel has that colour, black (bit 0) everywhere else.
    void Mask(TColor transparentColor);

    // The colour of one pixel read from memory (no DC needed); clNone outside the bitmap.
    TColor PixelColor(int x, int y) const;

private:
    friend class TBitmapCanvas;
    // What a transparent draw at the bitmap's own size needs: the mask of the key colour and
    // the pixels black where they are see-through. Kept until the pixels or the key change, for
    // a picture drawn over again and again (the editor's grid).
    struct TransparentMasks;
    // Drops them: the pixels may change.
    void PixelsTouched();
    bool DrawMasked(HDC dest, const RECT& rect, COLORREF key);
    void Replace(GdiObject<HBITMAP> handle, void* bits, int width, int height, TPixelFormat format,
                 std::vector<RGBQUAD> colors);
    // Reads a picture with its pixels going straight into a new DIB section: big pictures are
    // not copied twice.
    void ReadDirectly(const std::function<DibImage(const DibPixelTarget&)>& read);
    void FreeContext();
    size_t Stride() const;
    uint8_t* Row(int row) const;

    GdiObject<HBITMAP> handle_;
    void* bits_ = nullptr;
    int width_ = 0;
    int height_ = 0;
    TPixelFormat format_ = pf24bit;
    std::vector<RGBQUAD> colors_;
    std::unique_ptr<TBitmapCanvas> canvas_;
    TTransparentMode transparentMode_ = tmAuto;
    TColor transparentColor_ = clDefault;
    std::unique_ptr<TransparentMasks> masks_;
};
