// TWinControl: a control with a window of its own, and the one window procedure behind every
// window of the library.
#include <windows.h>
#include <windowsx.h>
#include <commctrl.h>

#include "BmpFormat.h"
#include "Controls.h"

#include "Exceptions.h"
#include "Forms.h"
#include "GdiObject.h"
#include "LateLibrary.h"

#include <algorithm>
#include <climits>

namespace {

// Nested dispatches of our window procedure; the outermost one gives back the borrowed DCs.
int dispatchDepth = 0;

// Registers our own window class, or one derived from a system class, once per name.
// Returns the procedure that messages we do not handle go to.
WNDPROC RegisterWindowClass(const std::string& name, const std::string& systemClass, UINT style,
                            WNDPROC procedure)
{
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA wc = {};
    WNDPROC fallback = DefWindowProcA;
    if (!systemClass.empty()) {
        if (!GetClassInfoA(nullptr, systemClass.c_str(), &wc))
            throw EOutOfResources("Die Fensterklasse " + systemClass + " ist nicht vorhanden.");
        fallback = wc.lpfnWndProc;
    }
    WNDCLASSA existing = {};
    if (GetClassInfoA(instance, name.c_str(), &existing))
        return fallback;
    if (systemClass.empty()) {
        wc.style = style;
        wc.hCursor = LoadCursor(nullptr, IDC_ARROW);
    }
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.lpszClassName = name.c_str();
    if (!RegisterClassA(&wc))
        throw EOutOfResources("Die Fensterklasse " + name + " kann nicht angemeldet werden: " +
                              SysErrorMessage(GetLastError()));
    return fallback;
}

// A section of our own, not a bitmap compatible with the window: that one asks the window
// system for the screen's format every time.
GdiObject<HBITMAP> MakePaintBitmap(HDC dc, int width, int height)
{
    const BITMAPINFO format = TopDown32BitFormat(width, height);
    void* bits = nullptr;
    return GdiObject<HBITMAP>(CreateDIBSection(dc, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
}

// The off-screen bitmap of buffered paints in its DC, kept from one paint for the next and grown
// when too small: a DC and a bitmap made for each paint cost more than painting a few cells. A
// paint within a paint gets one of its own.
class TPaintBuffer {
public:
    TPaintBuffer(HDC compatibleWith, int width, int height)
    {
        Buffer& kept = Kept();
        buffer_ = kept.lent ? &own_ : &kept;
        buffer_->lent = true;
        if (!buffer_->dc)
            buffer_->dc.emplace(compatibleWith);
        if (width <= buffer_->width && height <= buffer_->height)
            return;
        width = std::max(width, buffer_->width);
        height = std::max(height, buffer_->height);
        buffer_->selection.reset();
        buffer_->bitmap = MakePaintBitmap(compatibleWith, width, height);
        buffer_->width = buffer_->height = 0;
        if (!*buffer_->dc || !buffer_->bitmap)
            return;
        buffer_->selection.emplace(buffer_->dc->get(), buffer_->bitmap.get());
        buffer_->width = width;
        buffer_->height = height;
    }
    // The next paint finds it unclipped, at its origin.
    ~TPaintBuffer()
    {
        if (HDC dc = get()) {
            SelectClipRgn(dc, nullptr);
            SetViewportOrgEx(dc, 0, 0, nullptr);
        }
        buffer_->lent = false;
    }
    TPaintBuffer(const TPaintBuffer&) = delete;
    TPaintBuffer& operator=(const TPaintBuffer&) = delete;

    // nullptr when no bitmap could be had.
    HDC get() const { return buffer_->width > 0 ? buffer_->dc->get() : nullptr; }

private:
    struct Buffer {
        std::optional<MemoryDC> dc;
        GdiObject<HBITMAP> bitmap;
        std::optional<SelectedObject> selection;   // goes first, before the bitmap
        int width = 0;
        int height = 0;
        bool lent = false;
    };
    static Buffer& Kept()
    {
        thread_local Buffer kept;
        return kept;
    }

    Buffer own_;
    Buffer* buffer_;
};

// Where a DC draws: its origin and its clip, which each windowless child moves and narrows and
// which go back after it, also when its paint throws (the DC may be a caller's: WM_PRINTCLIENT).
// Cheaper than saving the whole DC for each child, and the clip is kept only once one needs it.
class TDCPlacement {
public:
    explicit TDCPlacement(HDC dc) : dc_(dc) { GetViewportOrgEx(dc_, &origin_); }

    // Moves the origin to `at` and narrows the clip to `clip` there (unless empty) while it lasts.
    class TPlace {
    public:
        TPlace(TDCPlacement& placement, POINT at, const RECT& clip) : placement_(placement)
        {
            OffsetViewportOrgEx(placement_.dc_, at.x, at.y, nullptr);
            if (IsRectEmpty(&clip))
                return;
            placement_.KeepClip();
            IntersectClipRect(placement_.dc_, clip.left, clip.top, clip.right, clip.bottom);
            clipped_ = true;
        }
        ~TPlace()
        {
            SetViewportOrgEx(placement_.dc_, placement_.origin_.x, placement_.origin_.y, nullptr);
            if (clipped_)
                SelectClipRgn(placement_.dc_, placement_.hadClip_ ? placement_.clip_.get() : nullptr);
        }
        TPlace(const TPlace&) = delete;
        TPlace& operator=(const TPlace&) = delete;

    private:
        TDCPlacement& placement_;
        bool clipped_ = false;
    };

private:
    void KeepClip()
    {
        if (clip_)
            return;
        clip_.reset(CreateRectRgn(0, 0, 0, 0));
        hadClip_ = clip_ && GetClipRgn(dc_, clip_.get()) == 1;
    }

    HDC dc_;
    POINT origin_ = {};
    GdiObject<HRGN> clip_;
    bool hadClip_ = false;
};

// Child windows are told apart by their ids in WM_MEASUREITEM.
int NextChildId()
{
    static int id = 100;
    return ++id;
}

}  // namespace

TWinControl::TWinControl(TComponent* owner) : TControl(owner) {}

TWinControl::~TWinControl()
{
    dying_ = true;
    // A form half taken down is no longer a TForm here, so this never reaches a dead form.
    auto leaveForm = [this] {
        if (TForm* form = GetParentForm(this); form && form != this && form->activeControl_ == this)
            form->activeControl_ = nullptr;
    };
    leaveForm();
    while (!controls_.empty())
        delete controls_.back();
    if (handle_) {
        // The window lives out its last messages with the class's own procedure: what remains
        // of this object is no longer the control it was.
        destroying_ = true;
        HWND window = handle_;
        DestroyWindow(window);
        handle_ = nullptr;
    }
    // A focused child that went (here or in a derived destructor) handed the focus up to this
    // control, which the form then took for its active one.
    leaveForm();
}

TWinControl* TWinControl::FromHandle(HWND window)
{
    if (!window || !IsWindow(window))
        return nullptr;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process != GetCurrentProcessId())
        return nullptr;
    // The class procedure, not the window's: another component may have subclassed the window.
    if (GetClassLongPtrA(window, GCLP_WNDPROC) != static_cast<ULONG_PTR>(reinterpret_cast<LONG_PTR>(&StaticWndProc)))
        return nullptr;
    return reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
}

LRESULT CALLBACK TWinControl::StaticWndProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    auto* control = reinterpret_cast<TWinControl*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (msg == WM_NCCREATE && !control) {
        auto* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        control = static_cast<TWinControl*>(create->lpCreateParams);
        if (control) {
            SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(control));
            control->handle_ = window;
        }
    }
    // Only top-level windows see messages before WM_NCCREATE, and those are of our own classes.
    if (!control)
        return DefWindowProcA(window, msg, wParam, lParam);
    if (control->destroying_)
        return CallWindowProcA(control->defProc_, window, msg, wParam, lParam);

    LRESULT result = 0;
    ++dispatchDepth;
    try {
        result = control->WndProc(msg, wParam, lParam);
    } catch (const std::exception& error) {
        Application.HandleException(error);
    } catch (...) {
        Application.HandleUnknownException();
    }
    if (msg == WM_NCDESTROY) {
        SetWindowLongPtrA(window, GWLP_USERDATA, 0);
        control->handle_ = nullptr;
    }
    if (--dispatchDepth == 0)
        TControlCanvas::ReleaseBorrowed();
    return result;
}

HWND TWinControl::Handle()
{
    if (handle_)
        return handle_;
    // A parent makes its children's windows with its own.
    if (Parent() && !Parent()->HandleAllocated()) {
        Parent()->Handle();
        if (handle_)
            return handle_;
    }
    CreateWnd();
    if (!handle_)
        throw EOutOfResources("Das Fenster kann nicht erzeugt werden: " + SysErrorMessage(GetLastError()));
    return handle_;
}

void TWinControl::CreateParams(TCreateParams& params)
{
    params.caption = text_;
    params.x = Left();
    params.y = Top();
    params.width = Width();
    params.height = Height();
    if (Parent()) {
        params.style = WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN;
        params.parent = Parent()->Handle();
    }
    if (Visible())
        params.style |= WS_VISIBLE;
    if (!Enabled())
        params.style |= WS_DISABLED;
}

void TWinControl::CreateWnd()
{
    TCreateParams params;
    CreateParams(params);
    if (!params.systemClass.empty()) {
        ComCtl32::RegisterClasses();
        if (params.className == "QlWindow")
            params.className = "Ql" + params.systemClass;
    }
    defProc_ = RegisterWindowClass(params.className, params.systemClass, params.classStyle, &StaticWndProc);
    HMENU id = (params.style & WS_CHILD) ? reinterpret_cast<HMENU>(static_cast<INT_PTR>(NextChildId())) : nullptr;
    HWND window = CreateWindowExA(params.exStyle, params.className.c_str(), params.caption.c_str(), params.style,
                                  params.x, params.y, params.width, params.height, params.parent, id,
                                  GetModuleHandleA(nullptr), this);
    if (!window) {
        handle_ = nullptr;
        return;
    }
    handle_ = window;
    if (!OwnClass())
        SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), FALSE);
    CreateChildWindows();
    for (TControl* child : std::vector<TControl*>(controls_))
        if (!child->Windowed())
            child->ParentWindowMade();
    UpdateBounds();
    AlignControls();
}

void TWinControl::CreateChildWindows()
{
    // All of them, hidden ones too, so that the windows' z-order is the list's.
    std::vector<TControl*> children = controls_;
    for (TControl* child : children)
        if (auto* windowed = dynamic_cast<TWinControl*>(child); windowed && !windowed->handle_)
            windowed->Handle();
}

LRESULT TWinControl::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!handle_)
        return 0;
    return CallWindowProcA(defProc_, handle_, msg, wParam, lParam);
}

LRESULT TWinControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg >= WM_MOUSEFIRST && msg <= WM_MBUTTONDBLCLK)
        return MouseMessage(msg, wParam, lParam);
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP:
    case WM_CHAR:
        return KeyMessage(msg, wParam, lParam);
    case WM_ERASEBKGND:
        if (OwnClass())
            return 1;   // painted with the rest in WM_PAINT
        break;
    case WM_PAINT:
        if (OwnClass()) {
            Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        }
        break;
    case WM_PRINTCLIENT:
        if (OwnClass()) {
            Paint(reinterpret_cast<HDC>(wParam));
            return 0;
        }
        break;
    case WM_MOUSELEAVE:
        mouseInside_ = false;
        if (mouseControl_) {
            TControl* left = mouseControl_;
            mouseControl_ = nullptr;
            left->Perform(CM_MOUSELEAVE);
        }
        Perform(CM_MOUSELEAVE);
        return 0;
    case WM_SETCURSOR:
        if (reinterpret_cast<HWND>(wParam) == handle_ && LOWORD(lParam) == HTCLIENT) {
            TCursor cursor = Screen.Cursor();
            if (cursor == crDefault) {
                POINT point;
                GetCursorPos(&point);
                TControl* child = ControlAtPos(ScreenToClient(point));
                cursor = child && child->Cursor() != crDefault ? child->Cursor() : Cursor();
            }
            if (cursor != crDefault) {
                ::SetCursor(CursorHandle(cursor));
                return TRUE;
            }
        }
        break;
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
        if (msg == WM_CANCELMODE || reinterpret_cast<HWND>(lParam) != handle_) {
            if (TControl* captured = captureControl_) {
                captureControl_ = nullptr;
                captured->Perform(msg, wParam, lParam);
            }
        }
        return TControl::WndProc(msg, wParam, lParam);   // also ends a click in progress
    case WM_SETFOCUS: {
        LRESULT result = DefaultHandler(msg, wParam, lParam);
        // The focus passes through a container while its children are freed: no events then.
        if (dying_)
            return result;
        if (TForm* form = GetParentForm(this); form && form != this)
            form->activeControl_ = this;
        DoEnter();
        return result;
    }
    case WM_KILLFOCUS: {
        LRESULT result = DefaultHandler(msg, wParam, lParam);
        if (!dying_)
            DoExit();
        return result;
    }
    case WM_WINDOWPOSCHANGED: {
        LRESULT result = DefaultHandler(msg, wParam, lParam);
        UpdateBounds();
        return result;
    }
    case WM_SYSCOLORCHANGE:
        for (TControl* child : controls_)
            child->Perform(CM_SYSCOLORCHANGE);
        break;
    case CM_SYSCOLORCHANGE:
        for (TControl* child : controls_)
            child->Perform(CM_SYSCOLORCHANGE);
        Invalidate();
        return 0;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_DRAWITEM:
    case WM_MEASUREITEM:
    case WM_DELETEITEM:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORSCROLLBAR:
    case WM_HSCROLL:
    case WM_VSCROLL: {
        HWND from = nullptr;
        if (msg == WM_NOTIFY)
            from = reinterpret_cast<NMHDR*>(lParam)->hwndFrom;
        else if (msg == WM_DRAWITEM) {
            auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
            from = item->CtlType == ODT_MENU ? nullptr : item->hwndItem;
        } else if (msg == WM_DELETEITEM)
            from = reinterpret_cast<DELETEITEMSTRUCT*>(lParam)->hwndItem;
        else if (msg == WM_MEASUREITEM) {
            auto* item = reinterpret_cast<MEASUREITEMSTRUCT*>(lParam);
            from = item->CtlType == ODT_MENU ? nullptr : GetDlgItem(handle_, item->CtlID);
        } else
            from = reinterpret_cast<HWND>(lParam);
        LRESULT result = 0;
        if (TWinControl* child = from != handle_ ? FromHandle(from) : nullptr)
            if (child->Reflected(msg, wParam, lParam, result))
                return result;
        break;
    }
    case CM_PARENTCOLORCHANGED:
        TControl::WndProc(msg, wParam, lParam);
        return 0;
    case WM_SYSCHAR:
        // An accelerator: the form offers it to its controls; untaken, the system's handling.
        if (TopLevel()->Perform(CM_DIALOGCHAR, wParam, lParam))
            return 0;
        break;
    case CM_DIALOGCHAR: {
        std::vector<TControl*> children = controls_;
        for (TControl* child : children)
            if (child->Visible() && child->Perform(CM_DIALOGCHAR, wParam, lParam))
                return 1;
        return 0;
    }
    case CM_RELEASE:
        break;
    default:
        return TControl::WndProc(msg, wParam, lParam);
    }
    return DefaultHandler(msg, wParam, lParam);
}

LRESULT TWinControl::MouseMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    Application.RelayHintMessage(handle_, msg, wParam, lParam);
    if (msg == WM_MOUSEWHEEL)
        return DefaultHandler(msg, wParam, lParam);
    POINT point = {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    bool buttonDown = msg == WM_LBUTTONDOWN || msg == WM_RBUTTONDOWN || msg == WM_MBUTTONDOWN ||
                      msg == WM_LBUTTONDBLCLK || msg == WM_RBUTTONDBLCLK || msg == WM_MBUTTONDBLCLK;
    bool buttonUp = msg == WM_LBUTTONUP || msg == WM_RBUTTONUP || msg == WM_MBUTTONUP;
    bool buttonsLeft = (wParam & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON)) != 0;

    if (msg == WM_MOUSEMOVE) {
        // Asked again on every move: a request made while the pointer was already elsewhere
        // is ignored, and the leave would never come.
        TRACKMOUSEEVENT track = {sizeof track, TME_LEAVE, handle_, 0};
        TrackMouseEvent(&track);
        if (!mouseInside_) {
            mouseInside_ = true;
            Perform(CM_MOUSEENTER);
        }
        // Enter and leave follow the child under the pointer, also while another holds the mouse.
        TControl* under = ControlAtPos(point);
        if (under != mouseControl_) {
            TControl* left = mouseControl_;
            mouseControl_ = under;
            if (left)
                left->Perform(CM_MOUSELEAVE);
            if (under && under == mouseControl_)
                under->Perform(CM_MOUSEENTER);
        }
    }

    TControl* target = captureControl_ ? captureControl_ : ControlAtPos(point);
    if (target) {
        if (buttonDown && !captureControl_) {
            SetCapture(handle_);
            captureControl_ = target;
        }
        target->Perform(msg, wParam, MAKELPARAM(point.x - target->Left(), point.y - target->Top()));
        // Still set, the capture is still ours: losing it (WM_CAPTURECHANGED) clears it, and asking
        // the window system would cost a round trip on every click.
        if (buttonUp && !buttonsLeft && captureControl_) {
            captureControl_ = nullptr;
            ReleaseCapture();
        }
        return 0;
    }

    // The system's controls capture the mouse themselves; ours are given it here.
    if (OwnClass() && buttonDown)
        SetCapture(handle_);
    TControl::MouseMessage(msg, wParam, lParam);
    if (OwnClass() && buttonUp && !buttonsLeft && GetCapture() == handle_)
        ReleaseCapture();
    return DefaultHandler(msg, wParam, lParam);
}

LRESULT TWinControl::KeyMessage(UINT msg, WPARAM wParam, LPARAM lParam)
{
    TWinControl* top = TopLevel();
    if (msg == WM_CHAR) {
        char key = static_cast<char>(wParam);
        WORD previewed = static_cast<BYTE>(key);
        if (top != this) {
            top->PreviewKey(msg, previewed, 0);
            if (!previewed)
                return 0;
            key = static_cast<char>(previewed);
        }
        KeyPress(key);
        if (!key)
            return 0;
        return DefaultHandler(msg, static_cast<BYTE>(key), lParam);
    }
    WORD key = static_cast<WORD>(wParam);
    TShiftState shift = KeyboardShiftState();
    if (top != this) {
        top->PreviewKey(msg, key, shift);
        if (!key)
            return 0;
    }
    if (msg == WM_KEYDOWN || msg == WM_SYSKEYDOWN)
        KeyDown(key, shift);
    else
        KeyUp(key, shift);
    if (!key)
        return 0;
    return DefaultHandler(msg, key, lParam);
}

TWinControl* TWinControl::TopLevel()
{
    TWinControl* top = this;
    while (top->Parent())
        top = top->Parent();
    return top;
}

void TWinControl::KeyDown(WORD& key, TShiftState shift)
{
    if (OnKeyDown)
        OnKeyDown(this, key, shift);
}

void TWinControl::KeyUp(WORD& key, TShiftState shift)
{
    if (OnKeyUp)
        OnKeyUp(this, key, shift);
}

void TWinControl::KeyPress(char& key)
{
    if (OnKeyPress)
        OnKeyPress(this, key);
}

void TWinControl::DoEnter()
{
    if (OnEnter)
        OnEnter(this);
}

void TWinControl::DoExit()
{
    if (OnExit)
        OnExit(this);
}

bool TWinControl::Reflected(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result)
{
    switch (msg) {
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX: {
        auto dc = reinterpret_cast<HDC>(wParam);
        SetTextColor(dc, ColorToRGB(Font().Color()) & 0xFFFFFF);
        SetBkColor(dc, ColorToRGB(Color()) & 0xFFFFFF);
        controlBrush_.SetColor(Color());
        result = reinterpret_cast<LRESULT>(controlBrush_.Handle());
        return true;
    }
    default:
        return false;
    }
}

void TWinControl::Paint(HDC given)
{
    if (given) {
        PaintAll(given);
        return;
    }
    // Asked before the paint validates it: parts far apart (a cell of a picture and its preview)
    // paint only themselves, not all that lies between them.
    GdiObject<HRGN> update(CreateRectRgn(0, 0, 0, 0));
    const bool parts = doubleBuffered_ && GetUpdateRgn(handle_, update.get(), FALSE) == COMPLEXREGION;
    PaintDC paint(handle_);
    if (!paint)
        return;
    if (!doubleBuffered_ || !PaintBuffered(paint.get(), paint.Area(), parts ? update.get() : nullptr))
        PaintAll(paint.get());
}

void TWinControl::PaintNow(const RECT& area)
{
    // Hidden or minimised, the window shows nothing now; the paint that shows it draws all.
    if (!handle_ || !IsWindowVisible(handle_) || IsIconic(handle_))
        return;
    const RECT client = ClientRect();
    RECT clipped;
    if (!IntersectRect(&clipped, &area, &client))
        return;
    // GetDC clips as BeginPaint does (children, siblings, the window's region, what covers it),
    // and a cached DC costs no round trip to the window system, which an invalidation does.
    WindowDC window(handle_);
    if (!window)
        return;
    if (!PaintBuffered(window.get(), clipped, nullptr)) {
        IntersectClipRect(window.get(), clipped.left, clipped.top, clipped.right, clipped.bottom);
        PaintAll(window.get());
    }
}

bool TWinControl::PaintBuffered(HDC dc, const RECT& area, HRGN parts)
{
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0)
        return false;
    TPaintBuffer buffer(dc, width, height);
    HDC memory = buffer.get();
    if (!memory)
        return false;
    // The bitmap may be larger than the area.
    if (parts) {
        OffsetRgn(parts, -area.left, -area.top);
        SelectClipRgn(memory, parts);
    } else {
        IntersectClipRect(memory, 0, 0, width, height);
    }
    SetViewportOrgEx(memory, -area.left, -area.top, nullptr);
    PaintAll(memory);
    BitBlt(dc, area.left, area.top, width, height, memory, area.left, area.top, SRCCOPY);
    return true;
}

void TWinControl::PaintAll(HDC dc)
{
    PaintWindow(dc);
    PaintControls(dc);
}

void TWinControl::PaintWindow(HDC dc)
{
    controlBrush_.SetColor(Color());
    RECT r = ClientRect();
    ::FillRect(dc, &r, controlBrush_.Handle());
}

void TWinControl::PaintControls(HDC dc)
{
    // Asked once: a paint of a small part passes over most children.
    RECT box, overlap;
    int clip = GetClipBox(dc, &box);
    if (clip == NULLREGION)
        return;
    if (clip == ERROR) {
        // Unknown: every child is asked.
        box = {INT_MIN / 2, INT_MIN / 2, INT_MAX / 2, INT_MAX / 2};
        clip = COMPLEXREGION;
    }
    TDCPlacement placement(dc);
    std::vector<TControl*> children = controls_;
    for (TControl* child : children) {
        RECT bounds = child->BoundsRect();
        if (!child->Visible() || !IntersectRect(&overlap, &bounds, &box))
            continue;
        auto* graphic = dynamic_cast<TGraphicControl*>(child);
        if (!graphic || (clip == COMPLEXREGION && !RectVisible(dc, &bounds)))
            continue;
        // A child that holds all there is to paint needs no clip of its own.
        const RECT own = EqualRect(&overlap, &box) ? RECT{} : RECT{0, 0, graphic->Width(), graphic->Height()};
        TDCPlacement::TPlace place(placement, {graphic->Left(), graphic->Top()}, own);
        graphic->PaintInto(dc);
    }
}

TControl* TWinControl::ControlAtPos(POINT point, bool allowDisabled) const
{
    for (auto it = controls_.rbegin(); it != controls_.rend(); ++it) {
        TControl* child = *it;
        if (child->Windowed() || !child->Visible() || (!child->Enabled() && !allowDisabled))
            continue;
        RECT r = child->BoundsRect();
        if (PtInRect(&r, point))
            return child;
    }
    return nullptr;
}

void TWinControl::InsertControl(TControl* control)
{
    controls_.push_back(control);
    control->parent_ = this;
    control->AdoptParentFont();
    if (auto* windowed = dynamic_cast<TWinControl*>(control)) {
        if (windowed->handle_) {
            if (handle_)
                ::SetParent(windowed->handle_, handle_);
        } else if (handle_)
            windowed->Handle();
    }
    if (control->Align() != alNone)
        AlignControls();
    control->Invalidate();
}

void TWinControl::RemoveControl(TControl* control)
{
    control->Invalidate();
    ForgetMouseControl(control);
    controls_.erase(std::remove(controls_.begin(), controls_.end(), control), controls_.end());
    control->parent_ = nullptr;
    if (control->Align() != alNone && !dying_)
        AlignControls();
}

void TWinControl::ForgetMouseControl(TControl* control)
{
    if (captureControl_ == control) {
        captureControl_ = nullptr;
        if (handle_ && GetCapture() == handle_)
            ReleaseCapture();
    }
    if (mouseControl_ == control) {
        mouseControl_ = nullptr;
        if (!control->dying_)
            control->Perform(CM_MOUSELEAVE);
    }
}

void TWinControl::SetParent(TWinControl* parent)
{
    TControl::SetParent(parent);
    if (handle_ && !parent && !dynamic_cast<TForm*>(this)) {
        // A window without parent control would become a top-level window: it goes instead.
        destroying_ = true;
        DestroyWindow(handle_);
        destroying_ = false;
        handle_ = nullptr;
    }
}

void TWinControl::SetBounds(int left, int top, int width, int height)
{
    if (!handle_) {
        TControl::SetBounds(left, top, width, height);
        AlignControls();
        return;
    }
    SetWindowPos(handle_, nullptr, left, top, std::max(width, 0), std::max(height, 0),
                 SWP_NOZORDER | SWP_NOACTIVATE);
    // WM_WINDOWPOSCHANGED took the new bounds, also a size the window chose itself (a combo
    // box's field); a minimised window keeps the asked ones here.
    if (IsIconic(handle_) && (Left() != left || Top() != top || Width() != width || Height() != height))
        TControl::SetBounds(left, top, width, height);
}

void TWinControl::UpdateBounds()
{
    if (!handle_ || IsIconic(handle_))
        return;
    RECT r;
    GetWindowRect(handle_, &r);
    if (HWND parent = GetParent(handle_); parent && (GetWindowLongA(handle_, GWL_STYLE) & WS_CHILD))
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    if (r.left == Left() && r.top == Top() && width == Width() && height == Height())
        return;
    bool resized = width != Width() || height != Height();
    left_ = r.left;
    top_ = r.top;
    width_ = width;
    height_ = height;
    if (resized) {
        AlignControls();
        Resize();
    }
    if (Parent() && Align() != alNone)
        Parent()->AlignControls();
}

RECT TWinControl::ClientRect() const
{
    if (handle_) {
        RECT r;
        GetClientRect(handle_, &r);
        return r;
    }
    return TControl::ClientRect();
}

void TWinControl::AlignControls()
{
    if (aligning_)
        return;
    aligning_ = true;
    RECT area = ClientRect();
    std::vector<TControl*> children = controls_;
    for (TAlign pass : {alTop, alBottom, alClient}) {
        for (TControl* child : children) {
            if (child->Align() != pass || !child->Visible())
                continue;
            int width = area.right - area.left;
            switch (pass) {
            case alTop:
                child->SetBounds(area.left, area.top, width, child->Height());
                area.top += child->Height();
                break;
            case alBottom:
                child->SetBounds(area.left, area.bottom - child->Height(), width, child->Height());
                area.bottom -= child->Height();
                break;
            default:
                child->SetBounds(area.left, area.top, width, area.bottom - area.top);
                break;
            }
        }
    }
    aligning_ = false;
}

void TWinControl::SetVisible(bool visible)
{
    if (visible == Visible())
        return;
    TControl::SetVisible(visible);
    if (handle_)
        ShowWindow(handle_, visible ? SW_SHOWNA : SW_HIDE);
    else if (visible && Parent() && Parent()->HandleAllocated())
        Handle();
}

void TWinControl::SetEnabled(bool enabled)
{
    TControl::SetEnabled(enabled);
    if (handle_)
        EnableWindow(handle_, enabled);
}

void TWinControl::Invalidate()
{
    if (handle_)
        InvalidateRect(handle_, nullptr, TRUE);
}

bool TWinControl::Focused() const
{
    return handle_ && GetFocus() == handle_;
}

bool TWinControl::CanFocus() const
{
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

void TWinControl::SetFocus()
{
    ::SetFocus(Handle());
}

void TWinControl::FontChanged()
{
    if (handle_ && !OwnClass())
        SendMessageA(handle_, WM_SETFONT, reinterpret_cast<WPARAM>(Font().Handle()), TRUE);
    for (TControl* child : controls_)
        child->AdoptParentFont();
    Invalidate();
}

void TWinControl::ColorChanged()
{
    for (TControl* child : controls_)
        child->Perform(CM_PARENTCOLORCHANGED);
    Invalidate();
}

std::string TWinControl::GetText() const
{
    if (!handle_)
        return text_;
    int length = GetWindowTextLengthA(handle_);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    length = GetWindowTextA(handle_, &text[0], length + 1);
    text.resize(static_cast<size_t>(std::max(length, 0)));
    return text;
}

void TWinControl::SetText(const std::string& text)
{
    if (text == GetText())
        return;
    text_ = text;
    if (handle_)
        SetWindowTextA(handle_, text.c_str());
    TextChanged();
}

TControl* FindDragTarget(POINT screenPoint, bool allowDisabled)
{
    HWND window = WindowFromPoint(screenPoint);
    TWinControl* control = TWinControl::FromHandle(window);
    if (!control)
        return nullptr;
    POINT client = screenPoint;
    ScreenToClient(window, &client);
    TControl* child = control->ControlAtPos(client, allowDisabled);
    return child ? child : control;
}
