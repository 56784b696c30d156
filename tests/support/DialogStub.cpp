// The recording dialog service of the tests.
#include "DialogStub.h"

DialogStub::DialogStub() : previous_(SetDialogService(this)) {}

DialogStub::~DialogStub()
{
    SetDialogService(previous_);
}

int DialogStub::MessageDialog(const std::string& text, const std::string& caption, TMsgDlgType type,
                              TMsgDlgButtons buttons)
{
    messages.push_back({text, caption, type, buttons});
    if (!messageAnswers.empty()) {
        int answer = messageAnswers.front();
        messageAnswers.pop_front();
        return answer;
    }
    if (buttons & mbOK)
        return mrOk;
    if (buttons & mbYes)
        return mrYes;
    if (buttons & mbNo)
        return mrNo;
    return mrCancel;
}

bool DialogStub::FileDialog(TFileDialogRequest& request)
{
    fileRequests.push_back(request);
    if (fileAnswers.empty())
        return false;
    std::string answer = fileAnswers.front();
    fileAnswers.pop_front();
    if (answer.empty())
        return false;
    request.fileName = answer;
    return true;
}

bool DialogStub::ColorDialog(HWND, TColor& color)
{
    ++colorRequests;
    if (colorAnswers.empty())
        return false;
    color = colorAnswers.front();
    colorAnswers.pop_front();
    return true;
}

bool DialogStub::FontDialog(HWND, TFont&)
{
    ++fontRequests;
    if (fontAnswers.empty())
        return false;
    bool answer = fontAnswers.front();
    fontAnswers.pop_front();
    return answer;
}

bool DialogStub::ShellExecuteFile(HWND owner, const std::string& verb, const std::string& file,
                                  const std::string& parameters, const std::string& directory, int show)
{
    shellCalls.push_back({owner, verb, file, parameters, directory, show});
    return true;
}

bool DialogStub::ShowHelp(HWND owner, const std::string& helpFile, const std::string& keyword)
{
    helpCalls.push_back({owner, helpFile, keyword});
    return helpReachesTheViewer ? TPlatformDialogs().ShowHelp(owner, helpFile, keyword) : true;
}

void DialogStub::DragWindow(HWND window)
{
    drags.push_back(window);
}
