// TThread: work on a thread of its own, which hands pieces of work to the user-interface thread
// with Synchronize and waits for them.
#pragma once

#include <windows.h>

#include "Handles.h"

#include <atomic>
#include <functional>
#include <string>

class TThread {
public:
    // Made on the user-interface thread, which Synchronize then runs on. A thread made suspended
    // waits for Start.
    explicit TThread(bool createSuspended);
    // Asks a running thread to end and waits for it (not for a thread that frees itself).
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    void Start();
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    // Waits for the end of Execute; on the user-interface thread, work sent by Synchronize is done
    // meanwhile, so that the two never wait for each other.
    void WaitFor();
    bool Finished() const { return finished_; }

    // The object deletes itself once Execute has ended.
    bool FreeOnTerminate() const { return freeOnTerminate_; }
    void SetFreeOnTerminate(bool free) { freeOnTerminate_ = free; }
    void SetPriority(int priority);

    // What Execute raised and did not handle; empty when nothing.
    const std::string& FatalError() const { return fatalError_; }

    // Runs `work` on the user-interface thread and returns when it is done; on that thread itself
    // it runs at once.
    static void Synchronize(const std::function<void()>& work);
    static bool OnUserInterfaceThread();

protected:
    virtual void Execute() = 0;
    // Runs on the thread after Execute, before the object may delete itself.
    virtual void DoTerminate() {}

private:
    static DWORD WINAPI ThreadProc(void* parameter);

    KernelHandle handle_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::atomic<bool> freeOnTerminate_{false};
    bool started_ = false;
    std::string fatalError_;
};
