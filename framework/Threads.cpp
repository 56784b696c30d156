// Worker threads and the hand-over of work to the user-interface thread through a hidden window.
#include <windows.h>

#include "Threads.h"

#include "Exceptions.h"
#include "Forms.h"

namespace {

constexpr UINT WM_SYNCHRONIZE = WM_APP + 0x3100;

DWORD userInterfaceThread = 0;
HWND syncWindow = nullptr;

LRESULT CALLBACK SyncWindowProc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
{
    if (msg == WM_SYNCHRONIZE) {
        auto* work = reinterpret_cast<const std::function<void()>*>(lParam);
        Guarded([&] { (*work)(); });
        return 0;
    }
    return DefWindowProcA(window, msg, wParam, lParam);
}

// The hidden window lives on the thread that made the first worker.
void PrepareSynchronize()
{
    if (syncWindow)
        return;
    WNDCLASSA wc = {};
    wc.lpfnWndProc = SyncWindowProc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "QlThreadSync";
    RegisterClassA(&wc);
    syncWindow = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, nullptr);
    if (!syncWindow)
        throw EOutOfResources("Das Fenster für die Übergabe zwischen Threads kann nicht angelegt werden.");
    userInterfaceThread = GetCurrentThreadId();
}

}  // namespace

TThread::TThread(bool createSuspended)
{
    PrepareSynchronize();
    handle_.reset(CreateThread(nullptr, 0, ThreadProc, this, CREATE_SUSPENDED, nullptr));
    if (!handle_)
        throw EOutOfResources("Ein Thread kann nicht gestartet werden.");
    if (!createSuspended)
        Start();
}

TThread::~TThread()
{
    if (!handle_)
        return;
    // A thread that frees itself is already past its work here.
    if (GetThreadId(handle_.get()) != GetCurrentThreadId()) {
        Terminate();
        if (!started_)
            Start();
        WaitFor();
    }
}

void TThread::Start()
{
    if (started_)
        return;
    started_ = true;
    ResumeThread(handle_.get());
}

void TThread::SetPriority(int priority)
{
    SetThreadPriority(handle_.get(), priority);
}

bool TThread::OnUserInterfaceThread()
{
    return GetCurrentThreadId() == userInterfaceThread;
}

void TThread::WaitFor()
{
    HANDLE thread = handle_.get();
    if (!started_ || GetThreadId(thread) == GetCurrentThreadId())
        return;
    if (!OnUserInterfaceThread()) {
        WaitForSingleObject(thread, INFINITE);
        return;
    }
    while (MsgWaitForMultipleObjects(1, &thread, FALSE, INFINITE, QS_SENDMESSAGE) == WAIT_OBJECT_0 + 1) {
        MSG msg;
        PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE);   // delivers the sent messages
    }
}

void TThread::Synchronize(const std::function<void()>& work)
{
    if (OnUserInterfaceThread() || !syncWindow) {
        work();
        return;
    }
    SendMessageA(syncWindow, WM_SYNCHRONIZE, 0, reinterpret_cast<LPARAM>(&work));
}

DWORD WINAPI TThread::ThreadProc(void* parameter)
{
    auto* thread = static_cast<TThread*>(parameter);
    if (!thread->terminated_) {
        try {
            thread->Execute();
        } catch (const std::exception& error) {
            thread->fatalError_ = error.what();
        } catch (...) {
            thread->fatalError_ = "unbekannter Fehler";
        }
    }
    thread->DoTerminate();
    thread->finished_ = true;
    if (thread->freeOnTerminate_)
        delete thread;
    return 0;
}
