// The control hierarchy: TControl (bounds, visibility, mouse, font, colour), TWinControl (one
// window and the window procedure behind it), TGraphicControl (windowless: painted, hit-tested and
// fed with mouse messages by its parent) and TCustomControl (a window that paints on a canvas).
#pragma once

#include <windows.h>

#include "Color.h"
#include "Component.h"
#include "Graphics.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TControl;
class TWinControl;

enum TAlign { alNone, alTop, alBottom, alClient };
enum TMouseButton { mbLeft, mbRight, mbMiddle };
enum TAlignment { taLeftJustify, taRightJustify, taCenter };

using TShiftState = unsigned;
enum TShiftFlag : unsigned { ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64 };

// Shift keys as GetKeyState has them, and the state a mouse message carries (plus Alt).
TShiftState KeyboardShiftState();
TShiftState MouseShiftState(WPARAM wParam);

using TCursor = int;
constexpr TCursor crDefault = 0;
constexpr TCursor crArrow = -2;
constexpr TCursor crCross = -3;
constexpr TCursor crIBeam = -4;
constexpr TCursor crHourGlass = -11;
constexpr TCursor crNo = -18;
constexpr TCursor crHandPoint = -21;
// The shared system cursor for a TCursor; nullptr for crDefault.
HCURSOR CursorHandle(TCursor cursor);

// Messages of the library itself, sent through Perform (never to other programs).
constexpr UINT CM_BASE = WM_APP + 0x3000;
constexpr UINT CM_MOUSEENTER = CM_BASE + 1;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 2;
constexpr UINT CM_PARENTCOLORCHANGED = CM_BASE + 3;   // to children whose colour follows the parent
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 4;       // to every control of a form
constexpr UINT CM_RELEASE = CM_BASE + 5;              // a form frees itself (TForm::Release)
constexpr UINT CM_BUTTONPRESSED = CM_BASE + 6;        // to a parent's controls: wParam group, lParam the button now down
// A character typed with Alt, offered by the form to its controls until one answers non-zero:
// wParam the character. A container offers it to its own controls.
constexpr UINT CM_DIALOGCHAR = CM_BASE + 7;

// Whether `key` is the accelerator of `caption`: the character after its first single "&"
// ("&&" stands for a drawn "&"), letter case ignored.
bool IsAccel(char key, const std::string& caption);

using TMouseEvent = std::function<void(TComponent* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TComponent* sender, TShiftState shift, int x, int y)>;
using TKeyEvent = std::function<void(TComponent* sender, WORD& key, TShiftState shift)>;
using TKeyPressEvent = std::function<void(TComponent* sender, char& key)>;

// The canvas of a control. During a paint it draws on the paint DC; outside one it borrows the
// window's DC (for a windowless control: the parent's, moved and clipped to the control), which
// is given back once the window message being handled is done.
class TControlCanvas : public TCanvas {
public:
    explicit TControlCanvas(TControl& control) : control_(control) {}
    ~TControlCanvas() override;

    // Gives back every borrowed DC; the window procedure calls it when a dispatch ends.
    static void ReleaseBorrowed();

protected:
    void CreateHandle() override;

private:
    void GiveBack();

    TControl& control_;
    std::optional<WindowDC> borrowed_;
};

// Controls live on the heap: a parent frees its children, an owner what it owns.
class TControl : public TComponent {
public:
    explicit TControl(TComponent* owner);
    ~TControl() override;

    TWinControl* Parent() const { return parent_; }
    virtual void SetParent(TWinControl* parent);

    // Bounds in the parent's client coordinates (a form's: on the screen).
    int Left() const { return left_; }
    int Top() const { return top_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    void SetLeft(int left) { SetBounds(left, top_, width_, height_); }
    void SetTop(int top) { SetBounds(left_, top, width_, height_); }
    void SetWidth(int width) { SetBounds(left_, top_, width, height_); }
    void SetHeight(int height) { SetBounds(left_, top_, width_, height); }
    virtual void SetBounds(int left, int top, int width, int height);
    RECT BoundsRect() const { return {left_, top_, left_ + width_, top_ + height_}; }
    // The client area in the control's own coordinates.
    virtual RECT ClientRect() const { return {0, 0, width_, height_}; }
    int ClientWidth() const;
    int ClientHeight() const;
    POINT ClientToScreen(POINT point) const;
    POINT ScreenToClient(POINT point) const;

    bool Visible() const { return visible_; }
    virtual void SetVisible(bool visible);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible itself and on every parent up to a shown window.
    bool Showing() const;
    bool Enabled() const { return enabled_; }
    virtual void SetEnabled(bool enabled);

    TAlign Align() const { return align_; }
    void SetAlign(TAlign align);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& hint) { hint_ = hint; }
    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show) { showHint_ = show; }
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor) { cursor_ = cursor; }

    // Changing the font or the colour ends following the parent's.
    TFont& Font() { return font_; }
    void SetFont(const TFont& font) { font_.Assign(font); }
    bool ParentFont() const { return parentFont_; }
    void SetParentFont(bool parentFont);
    TColor Color() const;
    void SetColor(TColor color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool parentColor);

    std::string Caption() const { return GetText(); }
    void SetCaption(const std::string& caption) { SetText(caption); }

    virtual void Invalidate();
    void Update();
    // Paints now: invalidates and lets the window (or the parent) paint before returning.
    void Repaint();
    void BringToFront();
    void SendToBack();

    LRESULT Perform(UINT msg, WPARAM wParam = 0, LPARAM lParam = 0) { return WndProc(msg, wParam, lParam); }
    // Mouse messages carry client coordinates of this control; a windowless control gets them
    // from its parent.
    virtual LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam);

    TNotifyEvent OnClick;
    TNotifyEvent OnDblClick;
    TMouseEvent OnMouseDown;
    TMouseMoveEvent OnMouseMove;
    TMouseEvent OnMouseUp;
    TNotifyEvent OnMouseEnter;
    TNotifyEvent OnMouseLeave;
    // The mouse was taken away (another window, the system) while a button was held here: the
    // press ends without its release.
    TNotifyEvent OnMouseCancel;
    TNotifyEvent OnResize;

protected:
    virtual LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) { return 0; }
    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseMove(TShiftState shift, int x, int y);
    virtual void MouseUp(TMouseButton button, TShiftState shift, int x, int y);
    virtual void MouseEnter();
    virtual void MouseLeave();
    virtual void MouseCancel();
    virtual void Resize();
    virtual void TextChanged() { Invalidate(); }
    virtual void FontChanged();
    virtual void ColorChanged();
    // A windowless control: its parent's window was just made.
    virtual void ParentWindowMade() {}

    virtual std::string GetText() const { return text_; }
    virtual void SetText(const std::string& text);
    // Repaints of windowless controls happen in the parent; a window invalidates itself.
    virtual bool Windowed() const { return false; }
    // A control that draws nothing leaves the screen as it is when it shows or hides.
    virtual bool PaintsNothing() const { return false; }

    // Press and release of the left button inside make a click (the system's buttons report
    // their own clicks and switch this off).
    bool clickEvents_ = true;
    // A double click arrives as DblClick plus a press with ssDouble; off: as a plain press.
    bool doubleClicks_ = true;
    std::string text_;

private:
    friend class TWinControl;
    void MouseMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void AdoptParentFont();

    TWinControl* parent_ = nullptr;
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
    bool visible_ = true;
    bool enabled_ = true;
    TAlign align_ = alNone;
    std::string hint_;
    bool showHint_ = false;
    TCursor cursor_ = crDefault;
    TFont font_;
    bool parentFont_ = true;
    bool takingParentFont_ = false;
    TColor color_ = clBtnFace;
    bool parentColor_ = false;
    bool clicked_ = false;
    bool buttonHeld_ = false;   // pressed here and not yet released
    bool dying_ = false;   // in the destructor: no more events
};

class TWinControl : public TControl {
public:
    explicit TWinControl(TComponent* owner);
    // Frees the child controls first, then the window.
    ~TWinControl() override;

    // The window, made (with the parents' and all children's) on first use.
    HWND Handle();
    bool HandleAllocated() const { return handle_ != nullptr; }
    void HandleNeeded() { Handle(); }
    // The control behind a window of this library, nullptr for any other window.
    static TWinControl* FromHandle(HWND window);

    // Children in z-order, bottom first.
    const std::vector<TControl*>& Controls() const { return controls_; }
    int ControlCount() const { return static_cast<int>(controls_.size()); }
    // The topmost visible (and, unless allowed otherwise, enabled) windowless child at a client
    // point, or nullptr.
    TControl* ControlAtPos(POINT point, bool allowDisabled = false) const;

    bool Focused() const;
    bool CanFocus() const;
    void SetFocus();

    // Paints through an off-screen bitmap (the default), so that windowless children do not
    // flicker when one of them repaints.
    bool DoubleBuffered() const { return doubleBuffered_; }
    void SetDoubleBuffered(bool on) { doubleBuffered_ = on; }

    void SetParent(TWinControl* parent) override;
    void SetBounds(int left, int top, int width, int height) override;
    RECT ClientRect() const override;
    void SetVisible(bool visible) override;
    void SetEnabled(bool enabled) override;
    void Invalidate() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

    TNotifyEvent OnEnter;
    TNotifyEvent OnExit;
    TKeyEvent OnKeyDown;
    TKeyEvent OnKeyUp;
    TKeyPressEvent OnKeyPress;

protected:
    struct TCreateParams {
        std::string caption;
        DWORD style = 0;
        DWORD exStyle = 0;
        int x = 0, y = 0, width = 0, height = 0;
        HWND parent = nullptr;   // the parent window, or a top-level window's owner
        // Our own window class; or, with systemClass set, a class derived from that system
        // class (our procedure first, the system's behind it).
        std::string className = "QlWindow";
        std::string systemClass;
        UINT classStyle = CS_DBLCLKS;
    };
    virtual void CreateParams(TCreateParams& params);
    // Makes the window from CreateParams. Overrides that set the window up call it first.
    virtual void CreateWnd();
    LRESULT DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) override;

    // The background (the colour; TCustomControl: Paint); windowless children follow.
    virtual void PaintWindow(HDC dc);
    virtual void KeyDown(WORD& key, TShiftState shift);
    virtual void KeyUp(WORD& key, TShiftState shift);
    virtual void KeyPress(char& key);
    // The top-level control sees keys of its children first when it wants to (a form's
    // KeyPreview); setting key to 0 swallows it.
    virtual void PreviewKey(UINT msg, WORD& key, TShiftState shift) {}
    virtual void DoEnter();
    virtual void DoExit();
    // Notifications this control's window sent to its parent (WM_COMMAND, WM_NOTIFY,
    // WM_DRAWITEM, WM_MEASUREITEM, WM_DELETEITEM, WM_CTLCOLOR..., WM_HSCROLL, WM_VSCROLL).
    // Returns false to leave the message to the parent's default handling.
    virtual bool Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result);
    // Places the aligned children; a page control places its pages instead.
    virtual void AlignControls();
    bool Windowed() const override { return true; }
    void FontChanged() override;
    void ColorChanged() override;
    std::string GetText() const override;
    void SetText(const std::string& text) override;
    bool OwnClass() const { return defProc_ == DefWindowProcA; }

private:
    friend class TControl;
    friend class TControlCanvas;
    static LRESULT CALLBACK StaticWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    void InsertControl(TControl* control);
    void RemoveControl(TControl* control);
    // A windowless child stopped taking the mouse (hidden, disabled, removed).
    void ForgetMouseControl(TControl* control);
    LRESULT MouseMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    LRESULT KeyMessage(UINT msg, WPARAM wParam, LPARAM lParam);
    void Paint(HDC given);
    void PaintAll(HDC dc);
    void PaintControls(HDC dc);
    void UpdateBounds();
    void RealignParent();
    void CreateChildWindows();
    TWinControl* TopLevel();

    HWND handle_ = nullptr;
    WNDPROC defProc_ = DefWindowProcA;
    bool destroying_ = false;
    std::vector<TControl*> controls_;
    TControl* mouseControl_ = nullptr;     // windowless child under the pointer
    TControl* captureControl_ = nullptr;   // windowless child holding the mouse while a button is down
    bool mouseInside_ = false;
    bool aligning_ = false;
    bool doubleBuffered_ = true;
    TBrush controlBrush_;
};

// The control of this program under a point of the screen: a windowless one where there is
// one, else the window's; nullptr over other programs' windows.
TControl* FindDragTarget(POINT screenPoint, bool allowDisabled);

class TGraphicControl : public TControl {
public:
    explicit TGraphicControl(TComponent* owner);
    ~TGraphicControl() override;

    TCanvas& Canvas() { return canvas_; }

protected:
    virtual void Paint() {}

private:
    friend class TWinControl;
    void PaintInto(HDC dc);

    TControlCanvas canvas_;
};

class TCustomControl : public TWinControl {
public:
    explicit TCustomControl(TComponent* owner);
    ~TCustomControl() override;

    TCanvas& Canvas() { return canvas_; }

protected:
    virtual void Paint();
    void PaintWindow(HDC dc) override;

private:
    TControlCanvas canvas_;
};
