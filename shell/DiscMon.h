// TDiscMonitor: reports changes inside one directory (or its whole subtree) through the system's
// change notifications, watched by a worker thread and reported on the user-interface thread.
#pragma once

#include <windows.h>

#include "Component.h"
#include "Handles.h"
#include "Threads.h"

#include <functional>
#include <memory>
#include <mutex>
#include <string>

enum TMonitorFilter : unsigned {
    moFilename = 1u << 0,
    moDirName = 1u << 1,
    moAttributes = 1u << 2,
    moSize = 1u << 3,
    moLastWrite = 1u << 4,
    moSecurity = 1u << 5,
};
using TMonitorFilters = unsigned;

// The system's FILE_NOTIFY_CHANGE_ mask of a filter set.
DWORD NotifyFilterOf(TMonitorFilters filters);

class TDiscMonitorThread : public TThread {
public:
    TDiscMonitorThread();
    ~TDiscMonitorThread() override;

    std::function<void()> OnChange;
    std::function<void()> OnInvalid;

    // Parameters; a change while watching sets the notification up again.
    void SetParameters(const std::string& directory, DWORD notifyFilter, bool subTree, int changeDelay);
    std::string Directory() const;
    // Watching goes on only while active; no report arrives while inactive.
    void SetActive(bool active);
    bool Active() const { return active_; }
    // Ends the worker.
    void Stop();

protected:
    void Execute() override;

private:
    struct Parameters {
        std::string directory;
        DWORD filter = FILE_NOTIFY_CHANGE_FILE_NAME;
        bool subTree = true;
        int changeDelay = 500;
    };
    Parameters Current() const;
    void Report(const std::function<void()>& handler);

    mutable std::mutex lock_;
    Parameters parameters_;
    std::atomic<bool> active_{false};
    KernelHandle terminateEvent_;
    KernelHandle paramsChangedEvent_;
    KernelHandle activeEvent_;
};

class TDiscMonitor : public TComponent {
public:
    explicit TDiscMonitor(TComponent* owner = nullptr);
    ~TDiscMonitor() override;

    const std::string& Directory() const { return directory_; }
    void SetDirectory(const std::string& directory);
    TMonitorFilters Filters() const { return filters_; }
    // The empty set is refused with a message; the filters stay as they were.
    void SetFilters(TMonitorFilters filters);
    bool SubTree() const { return subTree_; }
    void SetSubTree(bool subTree);
    int ChangeDelay() const { return changeDelay_; }
    void SetChangeDelay(int milliseconds);
    bool Active() const { return active_; }
    void SetActive(bool active);
    void Start() { SetActive(true); }
    void Stop() { SetActive(false); }

    TNotifyEvent OnChange;
    TNotifyEvent OnInvalid;

private:
    void PassParameters();

    std::unique_ptr<TDiscMonitorThread> thread_;
    std::string directory_;
    TMonitorFilters filters_ = moFilename;
    bool subTree_ = true;
    int changeDelay_ = 500;
    bool active_ = false;
};
