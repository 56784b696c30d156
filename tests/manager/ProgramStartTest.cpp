// The icon manager started as a user starts it: its first screen needs no library that a bare
// window does not load; the others come at their first use, as the common controls with the
// first hint.
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include "MessagePump.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

std::string ProgramBeside(const char* name)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string folder = path;
    return folder.substr(0, folder.find_last_of('\\') + 1) + name;
}

struct FoundWindow {
    DWORD process;
    HWND window = nullptr;
};

BOOL CALLBACK FindShownWindow(HWND window, LPARAM data)
{
    auto& found = *reinterpret_cast<FoundWindow*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == found.process && IsWindowVisible(window)) {
        found.window = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindHintWindow(HWND window, LPARAM data)
{
    auto& found = *reinterpret_cast<FoundWindow*>(data);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    char name[64] = {};
    GetClassNameA(window, name, sizeof name);
    if (owner == found.process && lstrcmpiA(name, TOOLTIPS_CLASSA) == 0) {
        found.window = window;
        return FALSE;
    }
    return TRUE;
}

bool Loaded(const std::vector<std::string>& modules, const char* name)
{
    return std::find(modules.begin(), modules.end(), name) != modules.end();
}

std::vector<std::string> LoadedModules(HANDLE process)
{
    HMODULE modules[512];
    DWORD bytes = 0;
    std::vector<std::string> names;
    if (!EnumProcessModules(process, modules, sizeof modules, &bytes))
        return names;
    for (DWORD i = 0; i < bytes / sizeof(HMODULE) && i < 512; ++i) {
        char name[MAX_PATH] = {};
        if (GetModuleBaseNameA(process, modules[i], name, MAX_PATH)) {
            std::string lower = name;
            std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return char(tolower(c)); });
            names.push_back(lower);
        }
    }
    return names;
}

}  // namespace

TEST(ProgramStart, TheFirstScreenLoadsNoLibraryThatABareWindowDoesNot)
{
    const std::string program = ProgramBeside("Quillandora.exe");
    const std::string folder = program.substr(0, program.find_last_of('\\') + 1);
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started = {};
    ASSERT_TRUE(CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                               &startup, &started))
        << program << ": " << GetLastError();
    // The first program of a prefix may be let go before its window is up: wait for the window too.
    FoundWindow found{started.dwProcessId};
    const bool shown = PumpMessagesUntil(
        [&] {
            WaitForInputIdle(started.hProcess, 100);
            EnumWindows(FindShownWindow, reinterpret_cast<LPARAM>(&found));
            return found.window != nullptr;
        },
        120000);
    WaitForInputIdle(started.hProcess, 30000);
    const std::vector<std::string> modules = LoadedModules(started.hProcess);
    // The pointer over the gallery button, which has a hint.
    FoundWindow hint{started.dwProcessId};
    if (found.window) {
        SendMessageA(found.window, WM_MOUSEMOVE, 0, MAKELPARAM(35, 50));
        EnumWindows(FindHintWindow, reinterpret_cast<LPARAM>(&hint));
    }
    const std::vector<std::string> afterHint = LoadedModules(started.hProcess);

    if (found.window)
        PostMessageA(found.window, WM_CLOSE, 0, 0);
    if (WaitForSingleObject(started.hProcess, 30000) != WAIT_OBJECT_0)
        TerminateProcess(started.hProcess, 1);
    CloseHandle(started.hThread);
    CloseHandle(started.hProcess);

    ASSERT_TRUE(shown) << "no window of " << program;
    ASSERT_FALSE(modules.empty());
    EXPECT_TRUE(Loaded(modules, "user32.dll"));
    // Left out: ole32, which the platform's input method loads for any window.
    for (const char* late : {"comctl32.dll", "comdlg32.dll", "shell32.dll", "oleaut32.dll", "mpr.dll", "msimg32.dll"})
        EXPECT_FALSE(Loaded(modules, late)) << late << " is loaded";
    EXPECT_NE(hint.window, nullptr) << "no hint window";
    EXPECT_TRUE(Loaded(afterHint, "comctl32.dll"));
    EXPECT_FALSE(Loaded(afterHint, "shell32.dll"));
}
