// Forms, the application object with its message loop and exception handler, and the screen.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>

#include "Forms.h"

#include "Dialogs.h"
#include "Exceptions.h"
#include "GdiObject.h"
#include "LateLibrary.h"

#include <algorithm>
#include <new>

TApplication Application;
TScreen Screen;

namespace {

struct DisabledWindows {
    HWND keep, alsoKeep;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableWindow(HWND window, LPARAM data)
{
    auto& walk = *reinterpret_cast<DisabledWindows*>(data);
    Guarded([&] {
        if (window != walk.keep && window != walk.alsoKeep && IsWindowVisible(window) && IsWindowEnabled(window)) {
            walk.windows.push_back(window);
            EnableWindow(window, FALSE);
        }
    });
    return TRUE;
}

// Disables the visible, enabled top-level windows of this thread but two, for a modal loop;
// returns them so that exactly these are enabled again.
std::vector<HWND> DisableThreadWindows(HWND keep, HWND alsoKeep)
{
    DisabledWindows walk{keep, alsoKeep, {}};
    EnumThreadWindows(GetCurrentThreadId(), &DisableWindow, reinterpret_cast<LPARAM>(&walk));
    return walk.windows;
}

int CALLBACK AddFontName(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM data)
{
    Guarded([&] {
        auto& names = *reinterpret_cast<std::vector<std::string>*>(data);
        std::string name = font->lfFaceName;
        // Vertical variants ("@Name") are no face of their own.
        if (!name.empty() && name[0] != '@')
            names.push_back(name);
    });
    return 1;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TForm

TForm::TForm(TComponent* owner) : TWinControl(owner)
{
    TControl::SetVisible(false);
    TControl::SetBounds(0, 0, 320, 240);
}

TForm::~TForm()
{
    Application.FormDestroyed(this);
}

void TForm::DoCreate()
{
    if (created_)
        return;
    created_ = true;
    if (OnCreate)
        OnCreate(this);
}

void TForm::WindowStyles(DWORD& style, DWORD& exStyle) const
{
    style = WS_CLIPCHILDREN;
    exStyle = 0;
    switch (borderStyle_) {
    case bsNone:
        style |= WS_POPUP;
        break;
    case bsSingle:
        style |= WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
        break;
    case bsSizeable:
        style |= WS_OVERLAPPEDWINDOW;
        break;
    case bsDialog:
        style |= WS_POPUP | WS_CAPTION | WS_SYSMENU;
        exStyle |= WS_EX_DLGMODALFRAME;
        break;
    }
    if (formStyle_ == fsStayOnTop)
        exStyle |= WS_EX_TOPMOST;
    if (!Enabled())
        style |= WS_DISABLED;
}

void TForm::CreateParams(TCreateParams& params)
{
    TWinControl::CreateParams(params);
    params.className = "QlForm";
    WindowStyles(params.style, params.exStyle);
    // Shown by SetVisible, after OnShow and the placing; other forms belong to the main form.
    TForm* main = Application.MainForm();
    params.parent = main && main != this ? main->Handle() : nullptr;
}

void TForm::CreateWnd()
{
    TWinControl::CreateWnd();
    if (HWND window = HandleAllocated() ? Handle() : nullptr) {
        HICON icon = Application.Icon();
        SendMessageA(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
        SendMessageA(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    }
}

SIZE TForm::FrameSize() const
{
    if (HandleAllocated()) {
        HWND window = const_cast<TForm*>(this)->Handle();
        RECT outer, client;
        GetWindowRect(window, &outer);
        GetClientRect(window, &client);
        return {(outer.right - outer.left) - client.right, (outer.bottom - outer.top) - client.bottom};
    }
    DWORD style, exStyle;
    WindowStyles(style, exStyle);
    RECT r = {0, 0, 0, 0};
    AdjustWindowRectEx(&r, style, FALSE, exStyle);
    return {r.right - r.left, r.bottom - r.top};
}

RECT TForm::ClientRect() const
{
    if (HandleAllocated())
        return TWinControl::ClientRect();
    SIZE frame = FrameSize();
    return {0, 0, std::max<LONG>(Width() - frame.cx, 0), std::max<LONG>(Height() - frame.cy, 0)};
}

void TForm::SetClientSize(int width, int height)
{
    SIZE frame = FrameSize();
    SetBounds(Left(), Top(), width + frame.cx, height + frame.cy);
}

void TForm::SetBorderStyle(TFormBorderStyle style)
{
    if (style == borderStyle_)
        return;
    RECT client = ClientRect();
    borderStyle_ = style;
    if (HandleAllocated()) {
        HWND window = Handle();
        DWORD newStyle, newExStyle;
        WindowStyles(newStyle, newExStyle);
        DWORD kept = GetWindowLongA(window, GWL_STYLE) & (WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
        SetWindowLongA(window, GWL_STYLE, static_cast<LONG>(newStyle | kept));
        SetWindowLongA(window, GWL_EXSTYLE, static_cast<LONG>(newExStyle));
        SetWindowPos(window, nullptr, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
    }
    SetClientSize(client.right - client.left, client.bottom - client.top);
    Invalidate();
}

void TForm::SetFormStyle(TFormStyle style)
{
    if (style == formStyle_)
        return;
    formStyle_ = style;
    if (HandleAllocated())
        SetWindowPos(Handle(), style == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                     SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm::SetVisible(bool visible)
{
    if (visible == Visible())
        return;
    if (visible) {
        HWND window = Handle();
        if (position_ == poScreenCenter)
            SetBounds((Screen.Width() - Width()) / 2, (Screen.Height() - Height()) / 2, Width(), Height());
        DoShow();
        TControl::SetVisible(true);
        ShowWindow(window, SW_SHOW);
    } else {
        DoHide();
        TControl::SetVisible(false);
        if (HandleAllocated())
            ShowWindow(Handle(), SW_HIDE);
    }
}

void TForm::Show()
{
    SetVisible(true);
    BringToFront();
}

void TForm::DoShow()
{
    if (OnShow)
        OnShow(this);
}

void TForm::DoHide()
{
    if (OnHide)
        OnHide(this);
}

void TForm::DoClose(TCloseAction& action)
{
    if (OnClose)
        OnClose(this, action);
}

bool TForm::CloseQuery()
{
    bool canClose = true;
    if (OnCloseQuery)
        OnCloseQuery(this, canClose);
    return canClose;
}

void TForm::Close()
{
    if (modal_) {
        modalResult_ = mrCancel;
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone)
        return;
    if (Application.MainForm() == this) {
        Application.Terminate();
        return;
    }
    switch (action) {
    case caMinimize:
        ShowWindow(Handle(), SW_MINIMIZE);
        break;
    case caFree:
        Release();
        break;
    default:
        Hide();
        break;
    }
}

void TForm::CloseModal()
{
    if (!CloseQuery()) {
        modalResult_ = mrNone;
        return;
    }
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone)
        modalResult_ = mrNone;
    else if (action == caFree)
        Release();
}

TModalResult TForm::ShowModal()
{
    if (Visible() || modal_)
        throw Exception("Ein sichtbares Fenster kann nicht modal angezeigt werden.");
    if (HWND captured = GetCapture()) {
        SendMessageA(captured, WM_CANCELMODE, 0, 0);
        ReleaseCapture();
    }
    HWND active = GetActiveWindow();
    HWND self = Handle();
    std::vector<HWND> disabled = DisableThreadWindows(self, Application.tooltip_);
    // Everything disabled comes back on every path, before the form goes, so that activation
    // returns to this program's window and not to another program's.
    auto enableAgain = [&] {
        for (HWND window : disabled)
            if (IsWindow(window))
                EnableWindow(window, TRUE);
        disabled.clear();
        modal_ = false;
    };
    modal_ = true;
    modalResult_ = mrNone;
    try {
        Show();
        while (modalResult_ == mrNone) {
            if (!Application.HandleMessage()) {
                modalResult_ = mrCancel;
                break;
            }
            if (modalResult_ != mrNone)
                CloseModal();
        }
    } catch (...) {
        enableAgain();
        Hide();
        throw;
    }
    TModalResult result = modalResult_;
    enableAgain();
    if (HandleAllocated())
        Hide();
    if (active && IsWindow(active))
        SetActiveWindow(active);
    return result;
}

void TForm::Release()
{
    PostMessageA(Handle(), CM_RELEASE, 0, 0);
}

void TForm::SetActiveControl(TWinControl* control)
{
    activeControl_ = control;
    if (control && HandleAllocated() && GetActiveWindow() == Handle() && control->CanFocus())
        control->SetFocus();
}

void TForm::PreviewKey(UINT msg, WORD& key, TShiftState shift)
{
    if (!keyPreview_)
        return;
    switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
        KeyDown(key, shift);
        break;
    case WM_KEYUP:
    case WM_SYSKEYUP:
        KeyUp(key, shift);
        break;
    case WM_CHAR: {
        char c = static_cast<char>(key);
        KeyPress(c);
        key = static_cast<BYTE>(c);
        break;
    }
    }
}

LRESULT TForm::WndProc(UINT msg, WPARAM wParam, LPARAM lParam)
{
    switch (msg) {
    case WM_CLOSE:
        Close();
        return 0;
    case CM_RELEASE:
        delete this;
        return 0;
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
        if (Application.MainForm() == this)
            return EndSessionMessage(msg, wParam);
        break;
    case WM_ACTIVATE:
        // Activation gives the focus back to the control that had it, not to the form.
        if (LOWORD(wParam) != WA_INACTIVE && !HIWORD(wParam) && activeControl_ && activeControl_->CanFocus()) {
            activeControl_->SetFocus();
            return 0;
        }
        break;
    }
    return TWinControl::WndProc(msg, wParam, lParam);
}

// The end of the Windows session is the main form's close: its question may refuse it; once
// the session does end, the program ends as on close, without asking again.
LRESULT TForm::EndSessionMessage(UINT msg, WPARAM wParam)
{
    if (msg == WM_QUERYENDSESSION)
        return CloseQuery() ? TRUE : FALSE;
    if (wParam) {
        TCloseAction action = caHide;
        DoClose(action);
        Application.Terminate();
    }
    return 0;
}

TForm* GetParentForm(const TControl* control)
{
    if (!control)
        return nullptr;
    while (control->Parent())
        control = control->Parent();
    return dynamic_cast<TForm*>(const_cast<TControl*>(control));
}

// ---------------------------------------------------------------------------------------------
// TApplication

TApplication::TApplication() = default;

TApplication::~TApplication()
{
    while (!Components().empty())
        delete Components().back();
    if (tooltip_)
        DestroyWindow(tooltip_);
}

void TApplication::Initialize()
{
}

void TApplication::Run()
{
    if (!mainForm_)
        return;
    running_ = true;
    mainForm_->Show();
    while (!terminated_)
        HandleMessage();
    running_ = false;
    while (!Components().empty())
        delete Components().back();
}

void TApplication::Terminate()
{
    // The loop ends when it takes the quit message, so that none is left in the queue.
    if (!quitPosted_)
        PostQuitMessage(0);
    quitPosted_ = true;
}

bool TApplication::HandleMessage()
{
    MSG msg;
    BOOL got = GetMessageA(&msg, nullptr, 0, 0);
    if (got == 0) {
        terminated_ = true;
        return false;
    }
    if (got > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
    return !terminated_;
}

void TApplication::ProcessMessages()
{
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) {
            terminated_ = true;
            return;
        }
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }
}

void TApplication::FormDestroyed(TForm* form)
{
    if (form != mainForm_)
        return;
    mainForm_ = nullptr;
    if (running_)
        Terminate();
}

std::string TApplication::ExeName() const
{
    char path[MAX_PATH] = {};
    DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return std::string(path, n);
}

namespace {

BOOL CALLBACK TakeFirstName(HMODULE, LPCSTR, LPSTR name, LONG_PTR found)
{
    auto& first = *reinterpret_cast<std::string*>(found);
    first = IS_INTRESOURCE(name) ? "#" + std::to_string(reinterpret_cast<UINT_PTR>(name)) : name;
    return FALSE;
}

// The program's first icon at the system's size, as extracting icon 0 of its file gives it, but
// from the module already loaded rather than the file read again.
HICON FirstIconOfProgram()
{
    HMODULE program = GetModuleHandleA(nullptr);
    std::string first;
    EnumResourceNamesA(program, MAKEINTRESOURCEA(14) /* RT_GROUP_ICON */, &TakeFirstName,
                       reinterpret_cast<LONG_PTR>(&first));
    if (first.empty())
        return nullptr;
    return static_cast<HICON>(LoadImageA(program, first.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE));
}

}  // namespace

HICON TApplication::Icon()
{
    if (!icon_) {
        HICON icon = FirstIconOfProgram();
        // The system's icon is shared: a copy of it can be destroyed like the extracted one.
        if (!icon || icon == reinterpret_cast<HICON>(1))
            icon = CopyIcon(LoadIconA(nullptr, IDI_APPLICATION));
        icon_.reset(icon);
    }
    return icon_.get();
}

bool TApplication::HelpJump(const std::string& keyword)
{
    if (helpFile_.empty())
        return false;
    HWND owner = mainForm_ && mainForm_->HandleAllocated() ? mainForm_->Handle() : GetActiveWindow();
    return DialogService().ShowHelp(owner, helpFile_, keyword);
}

void TApplication::HandleException(const std::exception& error) noexcept
{
    try {
        if (OnException)
            OnException(error);
        else
            ShowException(error);
    } catch (...) {
        // A failing handler has nowhere left to report to.
    }
}

void TApplication::HandleUnknownException() noexcept
{
    try {
        HandleException(Exception("Unbekannter Fehler."));
    } catch (...) {
    }
}

void TApplication::ShowException(const std::exception& error)
{
    // Our own errors say in German what went wrong; the standard library's say it in English.
    std::string text = error.what();
    if (dynamic_cast<const std::bad_alloc*>(&error))
        text = "Nicht genügend Arbeitsspeicher.";
    else if (!dynamic_cast<const Exception*>(&error))
        text = "Interner Fehler.";
    DialogService().MessageDialog(text, title_.empty() ? "Fehler" : title_, mtError, mbOK);
}

void TApplication::SetShowHint(bool show)
{
    showHint_ = show;
    if (!show && hintControl_)
        HintMouseLeave(hintControl_);
}

void TApplication::HintMouseEnter(TControl* control)
{
    if (!showHint_ || !control || !control->ShowHint() || control->Hint().empty())
        return;
    auto* windowed = dynamic_cast<TWinControl*>(control);
    TWinControl* host = windowed ? windowed : control->Parent();
    if (!host || !host->HandleAllocated())
        return;
    if (hintControl_)
        HintMouseLeave(hintControl_);
    if (!tooltip_) {
        ComCtl32::RegisterClasses();
        tooltip_ = CreateWindowExA(WS_EX_TOPMOST, TOOLTIPS_CLASSA, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                   CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                   GetModuleHandleA(nullptr), nullptr);
        if (!tooltip_)
            return;
    }
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = host->Handle();
    tool.uId = 1;
    tool.rect = windowed ? windowed->ClientRect() : control->BoundsRect();
    std::string text = control->Hint();
    tool.lpszText = &text[0];
    if (SendMessageA(tooltip_, TTM_ADDTOOLA, 0, reinterpret_cast<LPARAM>(&tool))) {
        hintControl_ = control;
        hintHost_ = tool.hwnd;
    }
}

void TApplication::HintMouseLeave(TControl* control)
{
    if (!control || control != hintControl_ || !tooltip_)
        return;
    TTTOOLINFOA tool = {};
    tool.cbSize = TTTOOLINFOA_V2_SIZE;
    tool.hwnd = hintHost_;
    tool.uId = 1;
    SendMessageA(tooltip_, TTM_DELTOOLA, 0, reinterpret_cast<LPARAM>(&tool));
    hintControl_ = nullptr;
    hintHost_ = nullptr;
}

void TApplication::RelayHintMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (!tooltip_ || !hintControl_ || window != hintHost_)
        return;
    MSG relayed = {};
    relayed.hwnd = window;
    relayed.message = msg;
    relayed.wParam = wParam;
    relayed.lParam = lParam;
    relayed.time = static_cast<DWORD>(GetMessageTime());
    GetCursorPos(&relayed.pt);
    SendMessageA(tooltip_, TTM_RELAYEVENT, 0, reinterpret_cast<LPARAM>(&relayed));
}

// ---------------------------------------------------------------------------------------------
// TScreen

void TScreen::SetCursor(TCursor cursor)
{
    if (cursor == cursor_)
        return;
    cursor_ = cursor;
    if (cursor != crDefault) {
        ::SetCursor(CursorHandle(cursor));
        return;
    }
    // Back to each control's own cursor: the window under the pointer chooses it again.
    POINT point;
    GetCursorPos(&point);
    HWND window = WindowFromPoint(point);
    if (window && GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
        LRESULT hit = SendMessageA(window, WM_NCHITTEST, 0, MAKELPARAM(point.x, point.y));
        if (SendMessageA(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(hit, WM_MOUSEMOVE)))
            return;
    }
    ::SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

const std::vector<std::string>& TScreen::Fonts()
{
    if (!fonts_.empty())
        return fonts_;
    WindowDC screen;
    LOGFONTA wanted = {};
    wanted.lfCharSet = DEFAULT_CHARSET;
    EnumFontFamiliesExA(screen.get(), &wanted, &AddFontName, reinterpret_cast<LPARAM>(&fonts_), 0);
    std::sort(fonts_.begin(), fonts_.end(), [](const std::string& a, const std::string& b) {
        return lstrcmpiA(a.c_str(), b.c_str()) < 0;
    });
    fonts_.erase(std::unique(fonts_.begin(), fonts_.end()), fonts_.end());
    return fonts_;
}
