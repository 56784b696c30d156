// The platform's dialogs behind the dialog service, and the message and dialog helpers over it.
#include <windows.h>
#include <commdlg.h>
#include <shellapi.h>

#include "Dialogs.h"

#include "Forms.h"
#include "LateLibrary.h"

#include <cstring>
#include <vector>

namespace {

TDialogService* installed = nullptr;

TPlatformDialogs& PlatformDialogs()
{
    static TPlatformDialogs dialogs;
    return dialogs;
}

// The message box's buttons speak the system's language; ours speak German. The hook renames
// them when the box is activated, before it is first drawn.
LRESULT CALLBACK GermanButtonsHook(int code, WPARAM wParam, LPARAM lParam)
{
    if (code == HCBT_ACTIVATE) {
        Guarded([&] {
            auto box = reinterpret_cast<HWND>(wParam);
            char className[16] = {};
            GetClassNameA(box, className, sizeof className);
            if (std::strcmp(className, "#32770") != 0)
                return;
            const struct { int id; const char* text; } names[] = {
                {IDYES, "Ja"}, {IDNO, "Nein"}, {IDCANCEL, "Abbrechen"}, {IDOK, "OK"}};
            for (const auto& name : names)
                if (HWND button = GetDlgItem(box, name.id))
                    SetWindowTextA(button, name.text);
        });
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

UINT MessageBoxFlags(TMsgDlgType type, TMsgDlgButtons buttons)
{
    UINT flags = MB_SETFOREGROUND;
    switch (type) {
    case mtWarning: flags |= MB_ICONWARNING; break;
    case mtError: flags |= MB_ICONERROR; break;
    case mtInformation: flags |= MB_ICONINFORMATION; break;
    case mtConfirmation: flags |= MB_ICONQUESTION; break;
    case mtCustom: break;
    }
    if ((buttons & mbYesNoCancel) == mbYesNoCancel)
        flags |= MB_YESNOCANCEL;
    else if ((buttons & mbYesNo) == mbYesNo)
        flags |= MB_YESNO;
    else if ((buttons & mbOKCancel) == mbOKCancel)
        flags |= MB_OKCANCEL;
    else
        flags |= MB_OK;
    return flags;
}

// "Text|*.txt|All|*.*" as the dialog wants it: zero-separated, two zeros at the end.
std::string DialogFilter(const std::string& filter)
{
    std::string result = filter;
    for (char& c : result)
        if (c == '|')
            c = '\0';
    result.push_back('\0');
    result.push_back('\0');
    return result;
}

}  // namespace

TDialogService& DialogService()
{
    return installed ? *installed : PlatformDialogs();
}

TDialogService* SetDialogService(TDialogService* service)
{
    TDialogService* previous = installed;
    installed = service;
    return previous;
}

int TPlatformDialogs::MessageDialog(const std::string& text, const std::string& caption, TMsgDlgType type,
                                    TMsgDlgButtons buttons)
{
    MSGBOXPARAMSA params = {};
    params.cbSize = sizeof params;
    params.hwndOwner = GetActiveWindow();
    params.hInstance = GetModuleHandleA(nullptr);
    params.lpszText = text.c_str();
    params.lpszCaption = caption.c_str();
    params.dwStyle = MessageBoxFlags(type, buttons) | (params.hwndOwner ? 0 : MB_TASKMODAL);
    // Each box its own hook: one opened while another is up must not lose the other's.
    HHOOK hook = SetWindowsHookExA(WH_CBT, GermanButtonsHook, nullptr, GetCurrentThreadId());
    int result = MessageBoxIndirectA(&params);
    if (hook)
        UnhookWindowsHookEx(hook);
    return result;
}

bool TPlatformDialogs::FileDialog(TFileDialogRequest& request)
{
    std::vector<char> name(4096, '\0');
    request.fileName.copy(name.data(), name.size() - 1);
    std::string filter = DialogFilter(request.filter);
    OPENFILENAMEA ofn = {};
    ofn.lStructSize = sizeof ofn;
    ofn.hwndOwner = request.owner ? request.owner : GetActiveWindow();
    ofn.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
    ofn.nFilterIndex = static_cast<DWORD>(request.filterIndex);
    ofn.lpstrFile = name.data();
    ofn.nMaxFile = static_cast<DWORD>(name.size());
    ofn.lpstrInitialDir = request.initialDir.empty() ? nullptr : request.initialDir.c_str();
    ofn.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    ofn.lpstrDefExt = request.defaultExt.empty() ? nullptr : request.defaultExt.c_str();
    ofn.Flags = request.options | OFN_EXPLORER;
    BOOL chosen = request.save ? ComDlg32::GetSaveFileNameA(&ofn) : ComDlg32::GetOpenFileNameA(&ofn);
    if (!chosen)
        return false;
    request.fileName = name.data();
    request.filterIndex = static_cast<int>(ofn.nFilterIndex);
    return true;
}

bool TPlatformDialogs::ColorDialog(HWND owner, TColor& color)
{
    for (COLORREF& custom : customColors_)
        if (custom == 0)
            custom = RGB(255, 255, 255);
    CHOOSECOLORA cc = {};
    cc.lStructSize = sizeof cc;
    cc.hwndOwner = owner ? owner : GetActiveWindow();
    cc.rgbResult = ColorToRGB(color) & 0xFFFFFF;
    cc.lpCustColors = customColors_;
    cc.Flags = CC_RGBINIT | CC_ANYCOLOR;
    if (!ComDlg32::ChooseColorA(&cc))
        return false;
    color = static_cast<TColor>(cc.rgbResult);
    return true;
}

bool TPlatformDialogs::FontDialog(HWND owner, TFont& font)
{
    LOGFONTA lf = {};
    lf.lfHeight = font.Height();
    lf.lfWeight = (font.Style() & fsBold) ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = (font.Style() & fsItalic) ? 1 : 0;
    lf.lfUnderline = (font.Style() & fsUnderline) ? 1 : 0;
    lf.lfStrikeOut = (font.Style() & fsStrikeOut) ? 1 : 0;
    lf.lfCharSet = font.Charset();
    lstrcpynA(lf.lfFaceName, font.Name().c_str(), LF_FACESIZE);
    CHOOSEFONTA cf = {};
    cf.lStructSize = sizeof cf;
    cf.hwndOwner = owner ? owner : GetActiveWindow();
    cf.lpLogFont = &lf;
    cf.Flags = CF_SCREENFONTS | CF_EFFECTS | CF_INITTOLOGFONTSTRUCT;
    cf.rgbColors = ColorToRGB(font.Color()) & 0xFFFFFF;
    if (!ComDlg32::ChooseFontA(&cf))
        return false;
    TFontStyles style = 0;
    if (lf.lfWeight >= FW_BOLD)
        style |= fsBold;
    if (lf.lfItalic)
        style |= fsItalic;
    if (lf.lfUnderline)
        style |= fsUnderline;
    if (lf.lfStrikeOut)
        style |= fsStrikeOut;
    font.SetName(lf.lfFaceName);
    font.SetHeight(lf.lfHeight);
    font.SetStyle(style);
    font.SetCharset(lf.lfCharSet);
    font.SetColor(static_cast<TColor>(cf.rgbColors));
    return true;
}

bool TPlatformDialogs::ShellExecuteFile(HWND owner, const std::string& verb, const std::string& file,
                                        const std::string& parameters, const std::string& directory, int show)
{
    auto result = reinterpret_cast<INT_PTR>(Shell32::ShellExecuteA(
        owner, verb.empty() ? nullptr : verb.c_str(), file.c_str(), parameters.empty() ? nullptr : parameters.c_str(),
        directory.empty() ? nullptr : directory.c_str(), show));
    return result > 32;
}

bool TPlatformDialogs::ShowHelp(HWND owner, const std::string& helpFile, const std::string& keyword)
{
    return WinHelpA(owner, helpFile.c_str(), HELP_CONTEXT, HelpTopicContext(keyword)) != FALSE;
}

void TPlatformDialogs::DragWindow(HWND window)
{
    // SC_MOVE with the caption-drag code: the system moves the window until the button is released.
    ReleaseCapture();
    SendMessageA(window, WM_SYSCOMMAND, SC_MOVE | 2, 0);
}

DWORD HelpTopicContext(const std::string& topic)
{
    // Letters count alike in either case; characters outside the table are skipped.
    DWORD hash = 0;
    for (char c : topic) {
        DWORD digit = 0;
        if (c >= 'A' && c <= 'Z')
            digit = c - 'A' + 17;
        else if (c >= 'a' && c <= 'z')
            digit = c - 'a' + 17;
        else if (c >= '1' && c <= '9')
            digit = c - '0';
        else if (c == '0')
            digit = 10;
        else if (c == '.')
            digit = 12;
        else if (c == '_')
            digit = 13;
        if (digit)
            hash = hash * 43 + digit;
    }
    return hash;
}

std::string MessageDlgCaption(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return "Warnung";
    case mtError: return "Fehler";
    case mtInformation: return "Information";
    case mtConfirmation: return "Bestätigen";
    default: return Application.Title();
    }
}

int MessageDlg(const std::string& text, TMsgDlgType type, TMsgDlgButtons buttons)
{
    return DialogService().MessageDialog(text, MessageDlgCaption(type), type, buttons);
}

void ShowMessage(const std::string& text)
{
    DialogService().MessageDialog(text, Application.Title(), mtCustom, mbOK);
}

void TOpenDialog::SetDefaultExt(const std::string& ext)
{
    size_t start = ext.find_first_not_of("*.");
    request_.defaultExt = start == std::string::npos ? std::string() : ext.substr(start);
}

bool TOpenDialog::Execute()
{
    TFileDialogRequest request = request_;
    if (!request.owner)
        request.owner = GetActiveWindow();
    if (!DialogService().FileDialog(request))
        return false;
    request_.fileName = request.fileName;
    request_.filterIndex = request.filterIndex;
    return true;
}

bool TColorDialog::Execute()
{
    TColor color = color_;
    if (!DialogService().ColorDialog(GetActiveWindow(), color))
        return false;
    color_ = color;
    return true;
}

bool TFontDialog::Execute()
{
    return DialogService().FontDialog(GetActiveWindow(), font_);
}
