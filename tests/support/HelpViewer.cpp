// The help viewer seen from outside: its window class, the rich edit that holds a topic's text,
// and the dialogs of every process on the test's own screen.
#include "HelpViewer.h"

#include "MessagePump.h"

namespace {

constexpr const char* ViewerClass = "MS_WINHELP";

std::string ClassOf(HWND window)
{
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    return name;
}

// Another process's window: a hung viewer must not hang the test.
std::string TextOf(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length))
        return "";
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]), SMTO_ABORTIFHUNG,
                             2000, &copied))
        return "";
    text.resize(copied);
    return text;
}

BOOL CALLBACK CollectTopicText(HWND child, LPARAM text)
{
    if (ClassOf(child).rfind("RichEdit", 0) == 0 && IsWindowVisible(child))
        *reinterpret_cast<std::string*>(text) += TextOf(child);
    return TRUE;
}

std::string ShownTopicText()
{
    HWND viewer = FindWindowA(ViewerClass, nullptr);
    std::string text;
    if (viewer && IsWindowVisible(viewer))
        EnumChildWindows(viewer, CollectTopicText, reinterpret_cast<LPARAM>(&text));
    return text;
}

BOOL CALLBACK CollectDialog(HWND window, LPARAM found)
{
    if (IsWindowVisible(window) && ClassOf(window) == "#32770") {
        std::string shown = TextOf(window) + ":";
        for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            if (ClassOf(child) == "Static")
                shown += " " + TextOf(child);
        reinterpret_cast<std::vector<std::string>*>(found)->push_back(shown);
    }
    return TRUE;
}

}  // namespace

std::string WaitForHelpText(const std::vector<std::string>& expected, DWORD timeoutMs)
{
    std::string text;
    PumpMessagesUntil(
        [&] {
            text = ShownTopicText();
            for (const auto& part : expected)
                if (text.find(part) == std::string::npos)
                    return false;
            return true;
        },
        timeoutMs);
    return text;
}

std::vector<std::string> VisibleDialogs()
{
    std::vector<std::string> found;
    EnumWindows(CollectDialog, reinterpret_cast<LPARAM>(&found));
    return found;
}

bool CloseHelpViewer(const std::string& helpFile)
{
    if (!FindWindowA(ViewerClass, nullptr))
        return true;
    WinHelpA(nullptr, helpFile.c_str(), HELP_QUIT, 0);
    return PumpMessagesUntil([] { return FindWindowA(ViewerClass, nullptr) == nullptr; }, 20000);
}
