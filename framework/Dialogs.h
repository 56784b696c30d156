// The dialog service: one replaceable object for everything that waits for the user or leaves
// the process (message boxes, file, colour and font dialogs, shell execution, help, dragging a
// window), the message functions over it, and the dialog components. Programs use the
// platform's; tests install their own answers.
#pragma once

#include <windows.h>

#include "Color.h"
#include "Component.h"
#include "Graphics.h"

#include <string>

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };

enum TMsgDlgBtn : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };
using TMsgDlgButtons = unsigned;
constexpr TMsgDlgButtons mbYesNo = mbYes | mbNo;
constexpr TMsgDlgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;
constexpr TMsgDlgButtons mbOKCancel = mbOK | mbCancel;

// One open or save dialog: what the program asks, and (on success) what the user chose.
struct TFileDialogRequest {
    bool save = false;
    HWND owner = nullptr;
    std::string title;
    std::string filter;        // pairs of text and pattern: "Bitmap (*.bmp)|*.bmp|Alle Dateien|*.*"
    int filterIndex = 1;       // counted from 1
    std::string defaultExt;    // without dot
    std::string initialDir;
    std::string fileName;      // proposed, then chosen
    DWORD options = 0;         // OFN_ flags
};

class TDialogService {
public:
    virtual ~TDialogService() = default;

    // Returns the modal result of the button pressed (mrYes, mrNo, mrOk, mrCancel).
    virtual int MessageDialog(const std::string& text, const std::string& caption, TMsgDlgType type,
                              TMsgDlgButtons buttons) = 0;
    // False when the user cancelled.
    virtual bool FileDialog(TFileDialogRequest& request) = 0;
    virtual bool ColorDialog(HWND owner, TColor& color) = 0;
    virtual bool FontDialog(HWND owner, TFont& font) = 0;
    // True when the shell started what was asked (ShellExecute's result above 32).
    virtual bool ShellExecuteFile(HWND owner, const std::string& verb, const std::string& file,
                                  const std::string& parameters, const std::string& directory, int show) = 0;
    // The help file opened at a topic, given by its name ("Index").
    virtual bool ShowHelp(HWND owner, const std::string& helpFile, const std::string& keyword) = 0;
    // Lets the user move a window with the mouse; returns when the button is released.
    virtual void DragWindow(HWND window) = 0;
};

// The platform's dialogs, with German texts on the message boxes' buttons.
class TPlatformDialogs : public TDialogService {
public:
    int MessageDialog(const std::string& text, const std::string& caption, TMsgDlgType type,
                      TMsgDlgButtons buttons) override;
    bool FileDialog(TFileDialogRequest& request) override;
    bool ColorDialog(HWND owner, TColor& color) override;
    bool FontDialog(HWND owner, TFont& font) override;
    bool ShellExecuteFile(HWND owner, const std::string& verb, const std::string& file,
                          const std::string& parameters, const std::string& directory, int show) override;
    bool ShowHelp(HWND owner, const std::string& helpFile, const std::string& keyword) override;
    void DragWindow(HWND window) override;

private:
    COLORREF customColors_[16] = {};
};

// The service in force: the platform's unless another was installed.
TDialogService& DialogService();
// Installs a service (nullptr: the platform's again) and returns the one it replaces.
TDialogService* SetDialogService(TDialogService* service);

// The context number under which the help file maps a topic: the help viewers' own hash of the
// topic's name (tools/make_help.py writes that map). A context call is the one jump that every
// viewer carries out, so topics open by name without a table of numbers in the programs.
DWORD HelpTopicContext(const std::string& topic);

// The caption of a message box of that type: "Warnung", "Fehler", "Information", "Bestätigen";
// the application's title for mtCustom.
std::string MessageDlgCaption(TMsgDlgType type);
int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons);
void ShowMessage(const std::string& text);

class TOpenDialog : public TComponent {
public:
    explicit TOpenDialog(TComponent* owner = nullptr) : TComponent(owner) {}

    const std::string& Title() const { return request_.title; }
    void SetTitle(const std::string& title) { request_.title = title; }
    const std::string& Filter() const { return request_.filter; }
    void SetFilter(const std::string& filter) { request_.filter = filter; }
    int FilterIndex() const { return request_.filterIndex; }
    void SetFilterIndex(int index) { request_.filterIndex = index; }
    const std::string& DefaultExt() const { return request_.defaultExt; }
    // "bmp", ".bmp" and "*.bmp" all mean the extension bmp.
    void SetDefaultExt(const std::string& ext);
    const std::string& InitialDir() const { return request_.initialDir; }
    void SetInitialDir(const std::string& dir) { request_.initialDir = dir; }
    const std::string& FileName() const { return request_.fileName; }
    void SetFileName(const std::string& name) { request_.fileName = name; }
    DWORD Options() const { return request_.options; }
    void SetOptions(DWORD options) { request_.options = options; }

    // Asks the user; FileName holds the choice when it returns true.
    bool Execute();

protected:
    explicit TOpenDialog(TComponent* owner, bool save) : TComponent(owner) { request_.save = save; }

private:
    TFileDialogRequest request_;
};

class TSaveDialog : public TOpenDialog {
public:
    explicit TSaveDialog(TComponent* owner = nullptr) : TOpenDialog(owner, true) {}
};

class TColorDialog : public TComponent {
public:
    explicit TColorDialog(TComponent* owner = nullptr) : TComponent(owner) {}
    TColor Color() const { return color_; }
    void SetColor(TColor color) { color_ = color; }
    bool Execute();

private:
    TColor color_ = clBlack;
};

class TFontDialog : public TComponent {
public:
    explicit TFontDialog(TComponent* owner = nullptr) : TComponent(owner) {}
    TFont& Font() { return font_; }
    bool Execute();

private:
    TFont font_;
};
