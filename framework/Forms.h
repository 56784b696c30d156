// Forms and the process-wide objects: TForm (a top-level window), TApplication (global
// `Application`: forms, message loop, help, hints, the default exception handler) and TScreen
// (global `Screen`: cursor, fonts, size).
#pragma once

#include <windows.h>

#include "Controls.h"
#include "Handles.h"

#include <exception>
#include <functional>
#include <string>
#include <vector>

enum TFormBorderStyle { bsNone, bsSingle, bsSizeable, bsDialog };
enum TPosition { poDesigned, poScreenCenter };
enum TFormStyle { fsNormal, fsStayOnTop };
enum TCloseAction { caNone, caHide, caFree, caMinimize };

using TModalResult = int;
constexpr TModalResult mrNone = 0;
constexpr TModalResult mrOk = IDOK;
constexpr TModalResult mrCancel = IDCANCEL;
constexpr TModalResult mrAbort = IDABORT;
constexpr TModalResult mrRetry = IDRETRY;
constexpr TModalResult mrIgnore = IDIGNORE;
constexpr TModalResult mrYes = IDYES;
constexpr TModalResult mrNo = IDNO;

using TCloseEvent = std::function<void(TComponent* sender, TCloseAction& action)>;
using TCloseQueryEvent = std::function<void(TComponent* sender, bool& canClose)>;

// A top-level window. A subclass's constructor creates and places its controls; the window
// itself is made when first needed (shown, or its Handle asked for).
class TForm : public TWinControl {
public:
    explicit TForm(TComponent* owner);
    ~TForm() override;

    // Runs OnCreate once; TApplication::CreateForm calls it after the constructor.
    void DoCreate();

    // A change on a live window keeps the client size.
    TFormBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TFormBorderStyle style);
    TPosition Position() const { return position_; }
    void SetPosition(TPosition position) { position_ = position; }
    TFormStyle FormStyle() const { return formStyle_; }
    void SetFormStyle(TFormStyle style);
    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool preview) { keyPreview_ = preview; }
    void SetClientSize(int width, int height);
    void SetClientWidth(int width) { SetClientSize(width, ClientHeight()); }
    void SetClientHeight(int height) { SetClientSize(ClientWidth(), height); }

    void Show();   // visible and in front
    // Asks OnCloseQuery, then OnClose; hides (or frees) the form. The main form's close ends the
    // program; a modal form's ends ShowModal with mrCancel.
    void Close();
    // The question before the form goes: OnCloseQuery's answer, true without one. The main form
    // answers the end of the Windows session with it too.
    virtual bool CloseQuery();
    // Shows the form with every other window of the program disabled until ModalResult is
    // set, and returns it. The windows are enabled again on every path.
    TModalResult ShowModal();
    TModalResult ModalResult() const { return modalResult_; }
    void SetModalResult(TModalResult result) { modalResult_ = result; }
    bool Modal() const { return modal_; }
    // Frees the form once the message being handled is done.
    void Release();
    // The control that has (or, while the form is inactive, gets back) the keyboard focus.
    TWinControl* ActiveControl() const { return activeControl_; }
    void SetActiveControl(TWinControl* control);

    void SetVisible(bool visible) override;
    RECT ClientRect() const override;

    TNotifyEvent OnCreate;
    TNotifyEvent OnShow;
    TNotifyEvent OnHide;
    TCloseEvent OnClose;
    TCloseQueryEvent OnCloseQuery;

protected:
    void CreateParams(TCreateParams& params) override;
    void CreateWnd() override;
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void PreviewKey(UINT msg, WORD& key, TShiftState shift) override;
    void TextChanged() override {}
    virtual void DoShow();
    virtual void DoHide();
    virtual void DoClose(TCloseAction& action);

private:
    friend class TWinControl;
    void CloseModal();
    LRESULT EndSessionMessage(UINT msg, WPARAM wParam);
    void WindowStyles(DWORD& style, DWORD& exStyle) const;
    // Outer size less client size: measured on a live window, computed otherwise.
    SIZE FrameSize() const;

    TFormBorderStyle borderStyle_ = bsSizeable;
    TPosition position_ = poDesigned;
    TFormStyle formStyle_ = fsNormal;
    bool keyPreview_ = false;
    TModalResult modalResult_ = mrNone;
    bool modal_ = false;
    bool created_ = false;
    TWinControl* activeControl_ = nullptr;
};

// The form a control lies on (the top of its parent chain), or nullptr.
TForm* GetParentForm(const TControl* control);

class TApplication : public TComponent {
public:
    TApplication();
    ~TApplication() override;

    // Programs call it first. The common controls load with the first window that needs them.
    void Initialize();
    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

    // Creates a form owned by the application and stores it in `reference` before its OnCreate
    // runs; the first form created becomes the main form.
    template <typename T>
    void CreateForm(T*& reference)
    {
        T* form = new T(this);
        reference = form;
        if (!mainForm_)
            mainForm_ = form;
        form->DoCreate();
    }
    TForm* MainForm() const { return mainForm_; }

    // Shows the main form and handles messages until it closes; then frees the forms.
    void Run();
    void Terminate();
    bool Terminated() const { return terminated_; }
    // Waits for one message and handles it; false once the program is to end.
    bool HandleMessage();
    void ProcessMessages();

    std::string ExeName() const;
    // The program's icon (its first icon resource, else the system's), owned here.
    HICON Icon();
    const std::string& HelpFile() const { return helpFile_; }
    void SetHelpFile(const std::string& file) { helpFile_ = file; }
    // Opens the help file at a keyword through the dialog service.
    bool HelpJump(const std::string& keyword);

    bool ShowHint() const { return showHint_; }
    void SetShowHint(bool show);

    // The one place where exceptions from entries of Windows into our code end: OnException
    // when set, otherwise a message box with the exception's text. Never throws.
    void HandleException(const std::exception& error) noexcept;
    void HandleUnknownException() noexcept;
    void ShowException(const std::exception& error);
    std::function<void(const std::exception& error)> OnException;

    // Hints: the control under the pointer, and the mouse messages the tooltip must see.
    void HintMouseEnter(TControl* control);
    void HintMouseLeave(TControl* control);
    void RelayHintMessage(HWND window, UINT msg, WPARAM wParam, LPARAM lParam);
    HWND HintWindow() const { return tooltip_; }

private:
    friend class TForm;
    void FormDestroyed(TForm* form);

    std::string title_;
    std::string helpFile_;
    TForm* mainForm_ = nullptr;
    bool terminated_ = false;
    bool quitPosted_ = false;
    IconHandle icon_;
    bool showHint_ = true;
    bool running_ = false;
    HWND tooltip_ = nullptr;
    TControl* hintControl_ = nullptr;
    HWND hintHost_ = nullptr;
};

extern TApplication Application;

// Runs `action`; an exception does not pass but goes to Application.HandleException. For every
// entry from Windows into our code (callbacks, hooks, COM methods, thread bodies).
template <typename Action>
bool Guarded(Action&& action) noexcept
{
    try {
        action();
        return true;
    } catch (const std::exception& error) {
        Application.HandleException(error);
    } catch (...) {
        Application.HandleUnknownException();
    }
    return false;
}

class TScreen {
public:
    // Shown over every window of the program while not crDefault.
    TCursor Cursor() const { return cursor_; }
    void SetCursor(TCursor cursor);
    // Face names of the installed fonts, sorted, read once.
    const std::vector<std::string>& Fonts();
    int Width() const { return GetSystemMetrics(SM_CXSCREEN); }
    int Height() const { return GetSystemMetrics(SM_CYSCREEN); }

private:
    TCursor cursor_ = crDefault;
    std::vector<std::string> fonts_;
};

extern TScreen Screen;

// Sets the screen cursor for a scope and puts the previous one back on every path out.
class TCursorGuard {
public:
    explicit TCursorGuard(TCursor cursor = crHourGlass) : previous_(Screen.Cursor()) { Screen.SetCursor(cursor); }
    ~TCursorGuard() { Screen.SetCursor(previous_); }
    TCursorGuard(const TCursorGuard&) = delete;
    TCursorGuard& operator=(const TCursorGuard&) = delete;

private:
    TCursor previous_;
};
