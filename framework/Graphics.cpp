// Pen, brush, font and canvas over GDI.
#include "Graphics.h"

#include "Exceptions.h"
#include "Picture.h"

#include <algorithm>
#include <cstring>

namespace {

// Colours that are no colour (clNone, clDefault) must not reach GDI as they stand.
COLORREF GdiColor(TColor color)
{
    return ColorToRGB(color) & 0x00FFFFFF;
}

}  // namespace

void TGraphicsObject::Changing()
{
    if (canvas_)
        canvas_->DeselectTools();
    handle_.reset();
}

void TGraphicsObject::Changed()
{
    if (canvas_)
        canvas_->dcStateValid_ = false;
    if (OnChange)
        OnChange();
}

void TPen::SetColor(TColor color)
{
    if (color == color_)
        return;
    Changing();
    color_ = color;
    Changed();
}

void TPen::SetWidth(int width)
{
    if (width < 1)
        width = 1;
    if (width == width_)
        return;
    Changing();
    width_ = width;
    Changed();
}

void TPen::SetStyle(TPenStyle style)
{
    if (style == style_)
        return;
    Changing();
    style_ = style;
    Changed();
}

void TPen::SetMode(TPenMode mode)
{
    // The mode is a property of the DC, set before each drawing call: the pen object stays.
    if (mode == mode_)
        return;
    mode_ = mode;
    Changed();
}

void TPen::Assign(const TPen& source)
{
    if (&source == this)
        return;
    Changing();
    color_ = source.color_;
    width_ = source.width_;
    style_ = source.style_;
    mode_ = source.mode_;
    Changed();
}

HPEN TPen::Handle()
{
    if (!handle_) {
        int style = color_ == clNone ? PS_NULL : style_;
        handle_.reset(CreatePen(style, width_, GdiColor(color_)));
        if (!handle_)
            throw EOutOfResources("Der Stift kann nicht erzeugt werden.");
    }
    return static_cast<HPEN>(handle_.get());
}

void TBrush::SetColor(TColor color)
{
    if (color == color_)
        return;
    Changing();
    color_ = color;
    Changed();
}

void TBrush::SetStyle(TBrushStyle style)
{
    if (style == style_)
        return;
    Changing();
    style_ = style;
    Changed();
}

void TBrush::Assign(const TBrush& source)
{
    if (&source == this)
        return;
    Changing();
    color_ = source.color_;
    style_ = source.style_;
    Changed();
}

HBRUSH TBrush::Handle()
{
    if (!handle_) {
        static const int hatches[] = {0, 0, HS_HORIZONTAL, HS_VERTICAL, HS_FDIAGONAL, HS_BDIAGONAL, HS_CROSS, HS_DIAGCROSS};
        LOGBRUSH brush = {};
        brush.lbColor = GdiColor(color_);
        if (style_ == bsClear || color_ == clNone)
            brush.lbStyle = BS_NULL;
        else if (style_ == bsSolid)
            brush.lbStyle = BS_SOLID;
        else {
            brush.lbStyle = BS_HATCHED;
            brush.lbHatch = hatches[style_];
        }
        handle_.reset(CreateBrushIndirect(&brush));
        if (!handle_)
            throw EOutOfResources("Der Pinsel kann nicht erzeugt werden.");
    }
    return static_cast<HBRUSH>(handle_.get());
}

int TFont::PixelsPerInch()
{
    static const int ppi = [] {
        WindowDC screen;
        int value = screen ? GetDeviceCaps(screen.get(), LOGPIXELSY) : 0;
        return value > 0 ? value : 96;
    }();
    return ppi;
}

TFont::TFont() : height_(-MulDiv(8, PixelsPerInch(), 72)) {}

void TFont::SetName(const std::string& name)
{
    if (name == name_ || name.empty())
        return;
    Changing();
    name_ = name;
    Changed();
}

int TFont::Size() const
{
    return -MulDiv(height_, 72, PixelsPerInch());
}

void TFont::SetSize(int points)
{
    SetHeight(-MulDiv(points, PixelsPerInch(), 72));
}

void TFont::SetHeight(int height)
{
    if (height == height_)
        return;
    Changing();
    height_ = height;
    Changed();
}

void TFont::SetColor(TColor color)
{
    // The text colour is set on the DC before each call: the font object stays.
    if (color == color_)
        return;
    color_ = color;
    Changed();
}

void TFont::SetStyle(TFontStyles style)
{
    style &= fsBold | fsItalic | fsUnderline | fsStrikeOut;
    if (style == style_)
        return;
    Changing();
    style_ = style;
    Changed();
}

void TFont::SetCharset(BYTE charset)
{
    if (charset == charset_)
        return;
    Changing();
    charset_ = charset;
    Changed();
}

void TFont::SetQuality(BYTE quality)
{
    if (quality == quality_)
        return;
    Changing();
    quality_ = quality;
    Changed();
}

void TFont::Assign(const TFont& source)
{
    if (&source == this)
        return;
    Changing();
    name_ = source.name_;
    height_ = source.height_;
    color_ = source.color_;
    style_ = source.style_;
    charset_ = source.charset_;
    quality_ = source.quality_;
    Changed();
}

LOGFONTA TFont::LogFont() const
{
    LOGFONTA font = {};
    font.lfHeight = height_;
    font.lfWeight = style_ & fsBold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = style_ & fsItalic ? 1 : 0;
    font.lfUnderline = style_ & fsUnderline ? 1 : 0;
    font.lfStrikeOut = style_ & fsStrikeOut ? 1 : 0;
    font.lfCharSet = charset_;
    font.lfOutPrecision = OUT_DEFAULT_PRECIS;
    font.lfClipPrecision = CLIP_DEFAULT_PRECIS;
    font.lfQuality = quality_;
    font.lfPitchAndFamily = DEFAULT_PITCH;
    strncpy(font.lfFaceName, name_.c_str(), LF_FACESIZE - 1);
    return font;
}

HFONT TFont::Handle()
{
    if (!handle_) {
        const LOGFONTA font = LogFont();
        handle_.reset(CreateFontIndirectA(&font));
        if (!handle_)
            throw EOutOfResources("Die Schrift \"" + name_ + "\" kann nicht erzeugt werden.");
    }
    return static_cast<HFONT>(handle_.get());
}

TCanvas::TCanvas()
{
    pen_.canvas_ = this;
    brush_.canvas_ = this;
    font_.canvas_ = this;
}

TCanvas::TCanvas(HDC dc) : TCanvas()
{
    SetHandle(dc);
}

TCanvas::~TCanvas()
{
    FreeHandle();
}

void TCanvas::SetHandle(HDC dc)
{
    if (dc == dc_)
        return;
    FreeHandle();
    dc_ = dc;
    if (dc_)
        SetStretchBltMode(dc_, COLORONCOLOR);
}

void TCanvas::FreeHandle()
{
    DeselectTools();
    dc_ = nullptr;
}

void TCanvas::DeselectTools()
{
    if (!toolsSelected_)
        return;
    SelectObject(dc_, oldPen_);
    SelectObject(dc_, oldBrush_);
    SelectObject(dc_, oldFont_);
    toolsSelected_ = false;
}

void TCanvas::RequireDC()
{
    if (dc_)
        return;
    CreateHandle();
    if (!dc_)
        throw Exception("Auf dieser Zeichenfläche kann nicht gezeichnet werden.");
}

void TCanvas::RequireState()
{
    RequireDC();
    if (!toolsSelected_) {
        // Make all three before selecting any: a failure then leaves the DC untouched.
        HPEN pen = pen_.Handle();
        HBRUSH brush = brush_.Handle();
        HFONT font = font_.Handle();
        oldPen_ = SelectObject(dc_, pen);
        oldBrush_ = SelectObject(dc_, brush);
        oldFont_ = SelectObject(dc_, font);
        toolsSelected_ = true;
        dcStateValid_ = false;
    }
    if (!dcStateValid_) {
        SetROP2(dc_, pen_.Mode());
        SetTextColor(dc_, GdiColor(font_.Color()));
        SetBkColor(dc_, GdiColor(brush_.Color()));
        SetBkMode(dc_, brush_.Style() == bsSolid && brush_.Color() != clNone ? OPAQUE : TRANSPARENT);
        dcStateValid_ = true;
    }
}

HDC TCanvas::Handle()
{
    RequireState();
    return dc_;
}

HDC TCanvas::PlainHandle()
{
    RequireDC();
    return dc_;
}

void TCanvas::Changed()
{
    if (OnChange)
        OnChange();
}

POINT TCanvas::PenPos()
{
    POINT pos = {};
    GetCurrentPositionEx(Handle(), &pos);
    return pos;
}

RECT TCanvas::ClipRect()
{
    RECT rect = {};
    GetClipBox(Handle(), &rect);
    return rect;
}

void TCanvas::FillRect(const RECT& rect)
{
    ::FillRect(Handle(), &rect, brush_.Handle());
    Changed();
}

void TCanvas::FrameRect(const RECT& rect)
{
    ::FrameRect(Handle(), &rect, brush_.Handle());
    Changed();
}

void TCanvas::Rectangle(int left, int top, int right, int bottom)
{
    ::Rectangle(Handle(), left, top, right, bottom);
    Changed();
}

void TCanvas::Ellipse(int left, int top, int right, int bottom)
{
    ::Ellipse(Handle(), left, top, right, bottom);
    Changed();
}

void TCanvas::MoveTo(int x, int y)
{
    MoveToEx(Handle(), x, y, nullptr);
}

void TCanvas::LineTo(int x, int y)
{
    ::LineTo(Handle(), x, y);
    Changed();
}

void TCanvas::Polygon(const std::vector<POINT>& points)
{
    if (points.empty())
        return;
    ::Polygon(Handle(), points.data(), static_cast<int>(points.size()));
    Changed();
}

void TCanvas::Polyline(const std::vector<POINT>& points)
{
    if (points.empty())
        return;
    ::Polyline(Handle(), points.data(), static_cast<int>(points.size()));
    Changed();
}

void TCanvas::FloodFill(int x, int y, TColor color, TFillStyle style)
{
    ExtFloodFill(Handle(), x, y, GdiColor(color), style == fsSurface ? FLOODFILLSURFACE : FLOODFILLBORDER);
    Changed();
}

TColor TCanvas::Pixels(int x, int y)
{
    COLORREF color = GetPixel(Handle(), x, y);
    return color == CLR_INVALID ? clNone : static_cast<TColor>(color);
}

void TCanvas::SetPixel(int x, int y, TColor color)
{
    ::SetPixelV(Handle(), x, y, GdiColor(color));
    Changed();
}

void TCanvas::TextOut(int x, int y, const std::string& text)
{
    ::TextOutA(Handle(), x, y, text.data(), static_cast<int>(text.size()));
    Changed();
}

void TCanvas::TextRect(const RECT& rect, int x, int y, const std::string& text)
{
    UINT options = ETO_CLIPPED;
    if (brush_.Style() != bsClear)
        options |= ETO_OPAQUE;
    ExtTextOutA(Handle(), x, y, options, &rect, text.data(), static_cast<UINT>(text.size()), nullptr);
    Changed();
}

SIZE TCanvas::TextExtent(const std::string& text)
{
    SIZE size = {};
    if (!GetTextExtentPoint32A(Handle(), text.data(), static_cast<int>(text.size()), &size))
        size = {};
    // An empty text still has the font's height, as callers centring a caption expect.
    if (text.empty()) {
        TEXTMETRICA metrics = {};
        GetTextMetricsA(Handle(), &metrics);
        size.cy = metrics.tmHeight;
    }
    return size;
}

void TCanvas::Draw(int x, int y, TGraphic& graphic)
{
    if (graphic.Empty())
        return;
    StretchDraw(RECT{x, y, x + graphic.Width(), y + graphic.Height()}, graphic);
}

void TCanvas::StretchDraw(const RECT& rect, TGraphic& graphic)
{
    if (graphic.Empty())
        return;
    graphic.Draw(*this, rect);
    Changed();
}

void TCanvas::CopyRect(const RECT& dest, TCanvas& source, const RECT& sourceRect)
{
    HDC sourceDC = source.Handle();
    StretchBlt(Handle(), dest.left, dest.top, dest.right - dest.left, dest.bottom - dest.top, sourceDC,
               sourceRect.left, sourceRect.top, sourceRect.right - sourceRect.left,
               sourceRect.bottom - sourceRect.top, copyMode_);
    Changed();
}

namespace {

int CALLBACK CollectFont(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM list)
{
    // Vertical fonts ("@...") are no choice for a text lying across.
    if (font->lfFaceName[0] != '@')
        reinterpret_cast<std::vector<std::string>*>(list)->push_back(font->lfFaceName);
    return 1;
}

}  // namespace

std::vector<std::string> ScreenFontNames()
{
    std::vector<std::string> names;
    const WindowDC screen;
    LOGFONTA all = {};
    all.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(screen.get(), &all, CollectFont, reinterpret_cast<LPARAM>(&names), 0);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

std::string ActualFontFace(const std::string& name)
{
    LOGFONTA wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wanted.lfHeight = -12;
    lstrcpynA(wanted.lfFaceName, name.c_str(), LF_FACESIZE);
    GdiObject<HFONT> font(CreateFontIndirectA(&wanted));
    const WindowDC screen;
    const SelectedObject selected(screen.get(), font.get());
    char face[LF_FACESIZE] = {};
    GetTextFaceA(screen.get(), LF_FACESIZE, face);
    return face;
}

int FontNameIndex(const std::vector<std::string>& names, const std::string& name)
{
    auto find = [&names](const std::string& face) {
        for (size_t i = 0; i < names.size(); ++i)
            if (lstrcmpiA(names[i].c_str(), face.c_str()) == 0)
                return static_cast<int>(i);
        return -1;
    };
    int index = find(name);
    return index >= 0 || name.empty() ? index : find(ActualFontFace(name));
}
