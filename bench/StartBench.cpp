// Times the start of a program to its first painted window against a bare window program, in
// alternating runs: from process creation until the program first waits for input with nothing
// left to do, which is after its first paint; and the memory each took by then (its peak
// working set and private bytes). Each program starts once uncounted first: the first start in
// a fresh prefix shares the machine with Wine starting its desktop and is let go early. Run by hand:
//   StartBench.exe PROGRAM.exe BARE.exe ["WHAT THE BARE ONE IS"]
#include <windows.h>
#include <psapi.h>

#include "BenchTiming.h"

#include <chrono>
#include <cstdio>
#include <string>

namespace {

constexpr DWORD SettlingMilliseconds = 1000;

BOOL CALLBACK CloseWindowsOf(HWND window, LPARAM process)
{
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == static_cast<DWORD>(process) && IsWindowVisible(window))
        PostMessageA(window, WM_CLOSE, 0, 0);
    return TRUE;
}

struct StartFigures {
    double seconds = -1;       // to idle; -1 when it did not start
    double workingSet = 0;     // peak, in MB
    double privateBytes = 0;   // peak, in MB
};

// Starts `program` in its own folder, waits until it is idle and closes it again.
StartFigures StartAndClose(const std::string& program)
{
    StartFigures figures;
    const std::string folder = program.substr(0, program.find_last_of('\\') + 1);
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const auto start = std::chrono::steady_clock::now();
    if (!CreateProcessA(program.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process)) {
        std::printf("# %s does not start (%lu)\n", program.c_str(), GetLastError());
        return figures;
    }
    if (WaitForInputIdle(process.hProcess, 120000) != 0)
        std::printf("# %s did not become idle\n", program.c_str());
    figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory)) {
        figures.workingSet = memory.PeakWorkingSetSize / 1048576.0;
        figures.privateBytes = memory.PeakPagefileUsage / 1048576.0;
    }
    EnumWindows(CloseWindowsOf, static_cast<LPARAM>(process.dwProcessId));
    if (WaitForSingleObject(process.hProcess, 20000) != WAIT_OBJECT_0)
        TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // Wine tidies up after a process for a while; the next start should not share the machine
    // with that.
    Sleep(SettlingMilliseconds);
    return figures;
}

// One line of megabytes: median (min-max) of each, and the ratio of the medians.
void ReportMemory(const char* what, const bench::Samples& ours, const bench::Samples& bare)
{
    std::printf("%s | %.1f MB (%.1f-%.1f) | %.1f MB (%.1f-%.1f) | %.2f | %zu runs\n", what, ours.Median(), ours.Min(),
                ours.Max(), bare.Median(), bare.Min(), bare.Max(), bare.Median() > 0 ? ours.Median() / bare.Median() : 0,
                ours.values.size());
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::printf("usage: StartBench PROGRAM.exe BARE.exe [\"WHAT THE BARE ONE IS\"]\n");
        return 2;
    }
    const std::string program = argv[1], bare = argv[2];
    const std::string what = argc > 3 ? argv[3] : "a bare window";
    bench::Samples ours, platform, oursSet, bareSet, oursPrivate, barePrivate;
    for (const std::string& warmUp : {program, bare})
        if (StartAndClose(warmUp).seconds < 0)
            return 1;
    for (int run = 0; run < bench::Runs(); ++run) {
        // Which starts first alternates, so that neither always finds the other's files cached.
        for (bool isOurs : {run % 2 == 0, run % 2 != 0}) {
            const StartFigures figures = StartAndClose(isOurs ? program : bare);
            if (figures.seconds < 0)
                return 1;
            (isOurs ? ours : platform).values.push_back(figures.seconds);
            (isOurs ? oursSet : bareSet).values.push_back(figures.workingSet);
            (isOurs ? oursPrivate : barePrivate).values.push_back(figures.privateBytes);
        }
    }
    bench::Report("start to the first painted window | " + what, ours, platform);
    ReportMemory(("peak working set at the first painted window | " + what).c_str(), oursSet, bareSet);
    ReportMemory(("peak private bytes at the first painted window | " + what).c_str(), oursPrivate, barePrivate);
    return 0;
}
