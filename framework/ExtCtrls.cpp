// Image, panel, shape and timer.
#include <windows.h>

#include "ExtCtrls.h"

#include "Bitmap.h"
#include "Exceptions.h"
#include "Forms.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// TImage

TImage::TImage(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 105, 105);
    picture_.OnChange = [this] { PictureChanged(); };
}

TImage::~TImage()
{
    picture_.OnChange = nullptr;
}

TCanvas& TImage::Canvas()
{
    if (!picture_.Graphic()) {
        TBitmap& bitmap = picture_.Bitmap();
        bitmap.SetSize(Width(), Height());
    }
    auto* bitmap = dynamic_cast<TBitmap*>(picture_.Graphic());
    if (!bitmap)
        throw EInvalidGraphic("Nur auf einem Bitmap kann gezeichnet werden.");
    return bitmap->Canvas();
}

void TImage::SetCenter(bool center)
{
    if (center == center_)
        return;
    center_ = center;
    Invalidate();
}

void TImage::SetStretch(bool stretch)
{
    if (stretch == stretch_)
        return;
    stretch_ = stretch;
    Invalidate();
}

void TImage::SetTransparent(bool transparent)
{
    if (transparent == transparent_)
        return;
    transparent_ = transparent;
    if (TGraphic* graphic = picture_.Graphic())
        graphic->SetTransparent(transparent);
    Invalidate();
}

void TImage::PictureChanged()
{
    TGraphic* graphic = picture_.Graphic();
    if (graphic && graphic->Transparent() != transparent_)
        graphic->SetTransparent(transparent_);   // comes back here once, then matches
    Invalidate();
}

RECT TImage::DestRect() const
{
    const TGraphic* graphic = picture_.Graphic();
    RECT client = ClientRect();
    if (stretch_ || !graphic)
        return client;
    RECT r = {0, 0, graphic->Width(), graphic->Height()};
    if (center_)
        OffsetRect(&r, (client.right - r.right) / 2, (client.bottom - r.bottom) / 2);
    return r;
}

void TImage::Paint()
{
    TGraphic* graphic = picture_.Graphic();
    if (!graphic || graphic->Empty())
        return;
    TGraphicControl::Canvas().StretchDraw(DestRect(), *graphic);
}

// ---------------------------------------------------------------------------------------------
// TPanel

TPanel::TPanel(TComponent* owner) : TCustomControl(owner)
{
    SetBounds(0, 0, 185, 41);
}

void TPanel::SetBevelOuter(TBevelCut bevel)
{
    bevelOuter_ = bevel;
    Invalidate();
}

void TPanel::SetBevelInner(TBevelCut bevel)
{
    bevelInner_ = bevel;
    Invalidate();
}

void TPanel::SetAlignment(TAlignment alignment)
{
    alignment_ = alignment;
    Invalidate();
}

void TPanel::Paint()
{
    TCanvas& canvas = Canvas();
    RECT r = ClientRect();
    canvas.Brush().SetStyle(bsSolid);
    canvas.Brush().SetColor(Color());
    canvas.FillRect(r);
    for (TBevelCut bevel : {bevelOuter_, bevelInner_})
        if (bevel != bvNone)
            DrawEdge(canvas.Handle(), &r, bevel == bvRaised ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
    std::string text = Caption();
    if (text.empty())
        return;
    canvas.Brush().SetStyle(bsClear);
    canvas.Font().Assign(Font());
    UINT align = alignment_ == taCenter ? DT_CENTER : alignment_ == taRightJustify ? DT_RIGHT : DT_LEFT;
    DrawTextA(canvas.Handle(), text.c_str(), static_cast<int>(text.size()), &r,
              DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | align);
}

// ---------------------------------------------------------------------------------------------
// TShape

TShape::TShape(TComponent* owner) : TGraphicControl(owner)
{
    SetBounds(0, 0, 65, 65);
    pen_.OnChange = [this] { Invalidate(); };
    brush_.OnChange = [this] { Invalidate(); };
}

void TShape::SetShape(TShapeType shape)
{
    if (shape == shape_)
        return;
    shape_ = shape;
    Invalidate();
}

void TShape::Paint()
{
    TCanvas& canvas = Canvas();
    canvas.Pen().Assign(pen_);
    canvas.Brush().Assign(brush_);
    // The pen's width lies inside the bounds.
    int x = pen_.Width() / 2;
    int y = x;
    int w = Width() - pen_.Width() + 1;
    int h = Height() - pen_.Width() + 1;
    int side = std::min(w, h);
    if (shape_ == stSquare || shape_ == stRoundSquare || shape_ == stCircle) {
        x += (w - side) / 2;
        y += (h - side) / 2;
        w = h = side;
    }
    switch (shape_) {
    case stRectangle:
    case stSquare:
        canvas.Rectangle(x, y, x + w, y + h);
        break;
    case stRoundRect:
    case stRoundSquare:
        RoundRect(canvas.Handle(), x, y, x + w, y + h, side / 4, side / 4);
        break;
    case stEllipse:
    case stCircle:
        canvas.Ellipse(x, y, x + w, y + h);
        break;
    }
}

// ---------------------------------------------------------------------------------------------
// TTimer

TTimer::TTimer(TComponent* owner) : TComponent(owner)
{
    UpdateTimer();
}

TTimer::~TTimer()
{
    if (running_)
        KillTimer(TimerWindow(), reinterpret_cast<UINT_PTR>(this));
}

// One hidden message window serves every timer; the timer's id is the object itself.
HWND TTimer::TimerWindow()
{
    static struct Holder {
        HWND window = nullptr;
        ~Holder()
        {
            if (window)
                DestroyWindow(window);
        }
    } holder;
    if (!holder.window) {
        HINSTANCE instance = GetModuleHandleA(nullptr);
        WNDCLASSA wc = {};
        wc.lpfnWndProc = &TimerWindowProc;
        wc.hInstance = instance;
        wc.lpszClassName = "QlTimerWindow";
        RegisterClassA(&wc);
        holder.window = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, nullptr);
        if (!holder.window)
            throw EOutOfResources("Es ist kein Zeitgeber verfügbar: " + SysErrorMessage(GetLastError()));
    }
    return holder.window;
}

LRESULT CALLBACK TTimer::TimerWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_TIMER && wParam) {
        auto* timer = reinterpret_cast<TTimer*>(wParam);
        Guarded([timer] { timer->Timer(); });
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

void TTimer::UpdateTimer()
{
    HWND window = TimerWindow();
    if (running_) {
        KillTimer(window, reinterpret_cast<UINT_PTR>(this));
        running_ = false;
    }
    if (!enabled_ || interval_ == 0)
        return;
    if (!SetTimer(window, reinterpret_cast<UINT_PTR>(this), interval_, nullptr))
        throw EOutOfResources("Es ist kein Zeitgeber mehr verfügbar: " + SysErrorMessage(GetLastError()));
    running_ = true;
}

void TTimer::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    UpdateTimer();
}

void TTimer::SetInterval(unsigned milliseconds)
{
    if (milliseconds == interval_)
        return;
    interval_ = milliseconds;
    UpdateTimer();
}

void TTimer::Timer()
{
    if (OnTimer)
        OnTimer(this);
}
