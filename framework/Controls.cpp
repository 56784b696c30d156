// The control hierarchy: controls, the canvases they draw on, windowless and custom-painted
// controls. Controls with windows of their own are in WinControl.cpp.
#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include "Controls.h"

#include "Exceptions.h"
#include "Forms.h"
#include "GdiObject.h"

#include <algorithm>

namespace {

bool IsKeyPressed(int key)
{
    return GetKeyState(key) < 0;
}

// DCs lent to control canvases outside a paint, given back when the dispatch that took them ends.
std::vector<TControlCanvas*>& BorrowingCanvases()
{
    static std::vector<TControlCanvas*> canvases;
    return canvases;
}

// A paint's DC, lent to a control's canvas for the length of one paint, on every path.
class LentPaintDC {
public:
    LentPaintDC(TCanvas& canvas, HDC dc) : canvas_(canvas)
    {
        TControlCanvas::ReleaseBorrowed();
        canvas_.SetHandle(dc);
    }
    ~LentPaintDC() { canvas_.SetHandle(nullptr); }
    LentPaintDC(const LentPaintDC&) = delete;
    LentPaintDC& operator=(const LentPaintDC&) = delete;

private:
    TCanvas& canvas_;
};

}  // namespace

TShiftState KeyboardShiftState()
{
    TShiftState shift = 0;
    if (IsKeyPressed(VK_SHIFT))
        shift |= ssShift;
    if (IsKeyPressed(VK_CONTROL))
        shift |= ssCtrl;
    if (IsKeyPressed(VK_MENU))
        shift |= ssAlt;
    return shift;
}

TShiftState MouseShiftState(WPARAM wParam)
{
    TShiftState shift = 0;
    if (wParam & MK_SHIFT)
        shift |= ssShift;
    if (wParam & MK_CONTROL)
        shift |= ssCtrl;
    if (wParam & MK_LBUTTON)
        shift |= ssLeft;
    if (wParam & MK_RBUTTON)
        shift |= ssRight;
    if (wParam & MK_MBUTTON)
        shift |= ssMiddle;
    if (IsKeyPressed(VK_MENU))
        shift |= ssAlt;
    return shift;
}

bool IsAccel(char key, const std::string& caption)
{
    for (size_t at = caption.find('&'); at != std::string::npos && at + 1 < caption.size();
         at = caption.find('&', at + 2)) {
        if (caption[at + 1] == '&')
            continue;   // "&&" is a drawn "&"
        // Letter case is ignored by the code page's rules (an "ü" is the accelerator of "&Über").
        char pair[2] = {caption[at + 1], key};
        CharUpperBuffA(pair, 2);
        return pair[0] == pair[1];
    }
    return false;
}

HCURSOR CursorHandle(TCursor cursor)
{
    const char* id = nullptr;
    switch (cursor) {
    case crArrow: id = IDC_ARROW; break;
    case crCross: id = IDC_CROSS; break;
    case crIBeam: id = IDC_IBEAM; break;
    case crHourGlass: id = IDC_WAIT; break;
    case crNo: id = IDC_NO; break;
    case crHandPoint: id = IDC_HAND; break;
    default: return nullptr;
    }
    return LoadCursorA(nullptr, id);
}

// ---------------------------------------------------------------------------------------------
// TControlCanvas

TControlCanvas::~TControlCanvas()
{
    GiveBack();
}

void TControlCanvas::CreateHandle()
{
    auto* windowed = dynamic_cast<TWinControl*>(&control_);
    TWinControl* host = windowed ? windowed : control_.Parent();
    if (!host)
        return;
    borrowed_.emplace(host->Handle());
    HDC dc = borrowed_->get();
    if (!dc) {
        borrowed_.reset();
        return;
    }
    if (!windowed) {
        // GetDC hands out a fresh DC state each time, so moving the origin needs no undoing.
        SetViewportOrgEx(dc, control_.Left(), control_.Top(), nullptr);
        IntersectClipRect(dc, 0, 0, control_.Width(), control_.Height());
    }
    BorrowingCanvases().push_back(this);
    SetHandle(dc);
}

void TControlCanvas::GiveBack()
{
    if (!borrowed_)
        return;
    SetHandle(nullptr);
    borrowed_.reset();
    auto& list = BorrowingCanvases();
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
}

void TControlCanvas::ReleaseBorrowed()
{
    auto list = BorrowingCanvases();
    for (TControlCanvas* canvas : list)
        canvas->GiveBack();
}

// ---------------------------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* owner) : TComponent(owner)
{
    font_.OnChange = [this] {
        if (!takingParentFont_)
            parentFont_ = false;
        FontChanged();
    };
}

TControl::~TControl()
{
    dying_ = true;
    font_.OnChange = nullptr;
    Application.HintMouseLeave(this);
    if (parent_)
        parent_->RemoveControl(this);
}

void TControl::SetParent(TWinControl* parent)
{
    if (parent == parent_)
        return;
    if (parent == this)
        throw Exception("Ein Steuerelement kann nicht sein eigenes übergeordnetes Element sein.");
    if (parent_)
        parent_->RemoveControl(this);
    if (parent)
        parent->InsertControl(this);
}

void TControl::SetBounds(int left, int top, int width, int height)
{
    if (width < 0)
        width = 0;
    if (height < 0)
        height = 0;
    if (left == left_ && top == top_ && width == width_ && height == height_)
        return;
    bool resized = width != width_ || height != height_;
    Invalidate();
    left_ = left;
    top_ = top;
    width_ = width;
    height_ = height;
    Invalidate();
    if (parent_ && align_ != alNone)
        parent_->AlignControls();
    if (resized)
        Resize();
}

int TControl::ClientWidth() const
{
    RECT r = ClientRect();
    return r.right - r.left;
}

int TControl::ClientHeight() const
{
    RECT r = ClientRect();
    return r.bottom - r.top;
}

POINT TControl::ClientToScreen(POINT point) const
{
    if (auto* self = dynamic_cast<const TWinControl*>(this); self && self->HandleAllocated()) {
        ::ClientToScreen(self->handle_, &point);
        return point;
    }
    point.x += left_;
    point.y += top_;
    return parent_ ? parent_->ClientToScreen(point) : point;
}

POINT TControl::ScreenToClient(POINT point) const
{
    POINT origin = ClientToScreen(POINT{0, 0});
    return {point.x - origin.x, point.y - origin.y};
}

void TControl::SetVisible(bool visible)
{
    if (visible == visible_)
        return;
    // A control that draws nothing leaves the screen as it was.
    const bool repaint = !PaintsNothing();
    if (!visible && repaint)
        Invalidate();
    visible_ = visible;
    if (visible) {
        if (repaint)
            Invalidate();
    } else if (parent_) {
        parent_->ForgetMouseControl(this);
    }
    if (parent_ && align_ != alNone)
        parent_->AlignControls();
}

bool TControl::Showing() const
{
    if (!visible_)
        return false;
    if (parent_)
        return parent_->Showing();
    auto* self = dynamic_cast<const TWinControl*>(this);
    return self && self->HandleAllocated() && IsWindowVisible(self->handle_);
}

void TControl::SetEnabled(bool enabled)
{
    if (enabled == enabled_)
        return;
    enabled_ = enabled;
    if (!enabled && parent_)
        parent_->ForgetMouseControl(this);
    Invalidate();
}

void TControl::SetAlign(TAlign align)
{
    if (align == align_)
        return;
    align_ = align;
    if (parent_)
        parent_->AlignControls();
}

void TControl::SetParentFont(bool parentFont)
{
    parentFont_ = parentFont;
    if (parentFont)
        AdoptParentFont();
}

void TControl::AdoptParentFont()
{
    if (!parentFont_ || !parent_)
        return;
    takingParentFont_ = true;
    font_.Assign(parent_->Font());
    takingParentFont_ = false;
}

TColor TControl::Color() const
{
    return parentColor_ && parent_ ? parent_->Color() : color_;
}

void TControl::SetColor(TColor color)
{
    bool changed = color != Color();
    color_ = color;
    parentColor_ = false;
    if (changed)
        ColorChanged();
}

void TControl::SetParentColor(bool parentColor)
{
    if (parentColor == parentColor_)
        return;
    TColor before = Color();
    // Ceasing to follow the parent keeps the colour shown, not the one set before.
    if (!parentColor)
        color_ = before;
    parentColor_ = parentColor;
    if (Color() != before)
        ColorChanged();
}

void TControl::SetText(const std::string& text)
{
    if (text == GetText())
        return;
    text_ = text;
    TextChanged();
}

void TControl::Invalidate()
{
    if (!parent_ || !parent_->HandleAllocated() || !visible_)
        return;
    RECT r = BoundsRect();
    InvalidateRect(parent_->handle_, &r, FALSE);
}

void TControl::Update()
{
    if (auto* self = dynamic_cast<TWinControl*>(this); self && self->HandleAllocated())
        UpdateWindow(self->handle_);
    else if (parent_ && parent_->HandleAllocated())
        UpdateWindow(parent_->handle_);
}

void TControl::Repaint()
{
    Invalidate();
    Update();
}

void TControl::BringToFront()
{
    if (parent_) {
        auto& list = parent_->controls_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        list.push_back(this);
    }
    if (auto* self = dynamic_cast<TWinControl*>(this); self && self->HandleAllocated())
        SetWindowPos(self->handle_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Invalidate();
}

void TControl::SendToBack()
{
    if (parent_) {
        auto& list = parent_->controls_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
        list.insert(list.begin(), this);
    }
    if (auto* self = dynamic_cast<TWinControl*>(this); self && self->HandleAllocated())
        SetWindowPos(self->handle_, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    Invalidate();
}

LRESULT TControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        MouseMessage(msg, wParam, lParam);
        return DefaultHandler(msg, wParam, lParam);
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
        clicked_ = false;
        if (buttonHeld_) {
            buttonHeld_ = false;
            MouseCancel();
        }
        return DefaultHandler(msg, wParam, lParam);
    case CM_MOUSEENTER:
        Application.HintMouseEnter(this);
        MouseEnter();
        return 0;
    case CM_MOUSELEAVE:
        Application.HintMouseLeave(this);
        MouseLeave();
        return 0;
    case CM_PARENTCOLORCHANGED:
        if (parentColor_)
            ColorChanged();
        return 0;
    case CM_DIALOGCHAR:
        return 0;   // taken only by the controls that have an accelerator
    default:
        return DefaultHandler(msg, wParam, lParam);
    }
}

void TControl::MouseMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    int x = GET_X_LPARAM(lParam);
    int y = GET_Y_LPARAM(lParam);
    TShiftState shift = MouseShiftState(wParam);
    if (!doubleClicks_ && (msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK))
        msg -= WM_LBUTTONDBLCLK - WM_LBUTTONDOWN;
    // Settled before the handlers: a release handler may open a modal window, which cancels the
    // mouse mode, and its press is over by then.
    if (msg != WM_MOUSEMOVE)
        buttonHeld_ = (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;
    switch (msg) {
    case WM_MOUSEMOVE:
        MouseMove(shift, x, y);
        break;
    case WM_LBUTTONDOWN:
        clicked_ = clickEvents_;
        MouseDown(mbLeft, shift, x, y);
        break;
    case WM_LBUTTONDBLCLK:
        DblClick();
        MouseDown(mbLeft, shift | ssDouble, x, y);
        break;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        MouseDown(mbRight, shift | (msg == WM_RBUTTONDBLCLK ? TShiftState(ssDouble) : 0), x, y);
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        MouseDown(mbMiddle, shift | (msg == WM_MBUTTONDBLCLK ? TShiftState(ssDouble) : 0), x, y);
        break;
    case WM_LBUTTONUP: {
        bool click = clicked_ && x >= 0 && y >= 0 && x < width_ && y < height_;
        clicked_ = false;
        // The click comes before the release, as a button's own release handling expects.
        if (click)
            Click();
        MouseUp(mbLeft, shift, x, y);
        break;
    }
    case WM_RBUTTONUP:
        MouseUp(mbRight, shift, x, y);
        break;
    case WM_MBUTTONUP:
        MouseUp(mbMiddle, shift, x, y);
        break;
    }
}

void TControl::Click()
{
    if (OnClick)
        OnClick(this);
}

void TControl::DblClick()
{
    if (OnDblClick)
        OnDblClick(this);
}

void TControl::MouseDown(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseDown)
        OnMouseDown(this, button, shift, x, y);
}

void TControl::MouseMove(TShiftState shift, int x, int y)
{
    if (OnMouseMove)
        OnMouseMove(this, shift, x, y);
}

void TControl::MouseUp(TMouseButton button, TShiftState shift, int x, int y)
{
    if (OnMouseUp)
        OnMouseUp(this, button, shift, x, y);
}

void TControl::MouseEnter()
{
    if (OnMouseEnter)
        OnMouseEnter(this);
}

void TControl::MouseLeave()
{
    if (OnMouseLeave)
        OnMouseLeave(this);
}

void TControl::MouseCancel()
{
    if (OnMouseCancel)
        OnMouseCancel(this);
}

void TControl::Resize()
{
    if (OnResize)
        OnResize(this);
}

void TControl::FontChanged()
{
    Invalidate();
}

void TControl::ColorChanged()
{
    Invalidate();
}

// ---------------------------------------------------------------------------------------------
// TGraphicControl and TCustomControl

TGraphicControl::TGraphicControl(TComponent* owner) : TControl(owner), canvas_(*this) {}

TGraphicControl::~TGraphicControl() = default;

void TGraphicControl::PaintInto(HDC dc)
{
    LentPaintDC lent(canvas_, dc);
    Paint();
}

TCustomControl::TCustomControl(TComponent* owner) : TWinControl(owner), canvas_(*this) {}

TCustomControl::~TCustomControl() = default;

void TCustomControl::PaintWindow(HDC dc)
{
    // The children paint on the DC after it, as it was.
    SavedDC saved(dc);
    LentPaintDC lent(canvas_, dc);
    Paint();
}

void TCustomControl::Paint()
{
    canvas_.Brush().SetColor(Color());
    canvas_.FillRect(ClientRect());
}
