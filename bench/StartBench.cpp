// Times the start of a program to its first painted window against a bare window program, in
// alternating runs: from process creation until the program first waits for input with nothing
// left to do, which is after its first paint. Run by hand:
//   StartBench.exe PROGRAM.exe BARE.exe
#include <windows.h>

#include "BenchTiming.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

BOOL CALLBACK CloseWindowsOf(HWND window, LPARAM process)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(process) && IsWindowVisible(window))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

// Starts `program` in its own folder, waits until it is idle and closes it again; the seconds
// to idle, or -1 when it did not start.
double StartAndClose(const std::string& program)
{
    const std::string folder = program.substr(0, program.find_last_of('\\') + 1);
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const auto start = std::chrono::steady_clock::now();
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        std::printf("# %s does not start (%lu)\n", program.c_str(), GetLastError());
        return -1;
    }
    if (WaitForInputIdle(process.hProcess, 120000) != 0)
        std::printf("# %s did not become idle\n", program.c_str());
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    EnumWindows(CloseWindowsOf, static_cast<LPARAM>(process.dwProcessId));
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return seconds;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("usage: StartBench PROGRAM.exe BARE.exe\n");
        return 2;
    }
    const std::string program = argv[1], bare = argv[2];
    bench::Samples ours, platform;
    for (int run = 0; run < bench::Runs(); ++run) {
        // Which starts first alternates, so that neither always finds the other's files cached.
        for (bool isOurs : {run % 2 == 0, run % 2 != 0}) {
            const double seconds = StartAndClose(isOurs ? program : bare);
            if (seconds < 0)
                return 1;
            (isOurs ? ours : platform).values.push_back(seconds);
        }
    }
    bench::Report("start to the first painted window | a bare window", ours, platform);
    return 0;
}
