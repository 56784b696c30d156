// The directory monitor's worker: one change notification at a time, set up again whenever the
// parameters change, closed while the monitor is inactive.
#include <windows.h>

#include "DiscMon.h"

#include "Dialogs.h"
#include "Exceptions.h"

DWORD NotifyFilterOf(TMonitorFilters filters)
{
    const DWORD bits[] = {FILE_NOTIFY_CHANGE_FILE_NAME, FILE_NOTIFY_CHANGE_DIR_NAME, FILE_NOTIFY_CHANGE_ATTRIBUTES,
                          FILE_NOTIFY_CHANGE_SIZE, FILE_NOTIFY_CHANGE_LAST_WRITE, FILE_NOTIFY_CHANGE_SECURITY};
    DWORD mask = 0;
    for (size_t i = 0; i < std::size(bits); ++i)
        if (filters & (1u << i))
            mask |= bits[i];
    return mask;
}

// ---------------------------------------------------------------------------------------------
// TDiscMonitorThread

TDiscMonitorThread::TDiscMonitorThread()
    : TThread(true), terminateEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr)),
      paramsChangedEvent_(CreateEventA(nullptr, FALSE, FALSE, nullptr)),
      activeEvent_(CreateEventA(nullptr, TRUE, FALSE, nullptr))
{
    if (!terminateEvent_ || !paramsChangedEvent_ || !activeEvent_)
        throw EOutOfResources("Die Ereignisse der Ordnerüberwachung können nicht angelegt werden.");
    Start();
}

TDiscMonitorThread::~TDiscMonitorThread()
{
    Stop();
    WaitFor();
}

void TDiscMonitorThread::Stop()
{
    OnChange = nullptr;
    OnInvalid = nullptr;
    Terminate();
    SetEvent(terminateEvent_.get());
}

void TDiscMonitorThread::SetParameters(const std::string& directory, DWORD notifyFilter, bool subTree,
                                       int changeDelay)
{
    {
        std::lock_guard<std::mutex> hold(lock_);
        parameters_ = {directory, notifyFilter, subTree, changeDelay};
    }
    SetEvent(paramsChangedEvent_.get());
}

std::string TDiscMonitorThread::Directory() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return parameters_.directory;
}

TDiscMonitorThread::Parameters TDiscMonitorThread::Current() const
{
    std::lock_guard<std::mutex> hold(lock_);
    return parameters_;
}

void TDiscMonitorThread::SetActive(bool active)
{
    active_ = active;
    if (active) {
        // The wake-up is left before the worker can start: set after, it would make the worker
        // set its notification up (and report a missing directory) a second time.
        SetEvent(paramsChangedEvent_.get());
        SetEvent(activeEvent_.get());
    } else {
        ResetEvent(activeEvent_.get());
        // Wakes the watching worker, which lets its notification go.
        SetEvent(paramsChangedEvent_.get());
    }
}

void TDiscMonitorThread::Report(const std::function<void()>& handler)
{
    Synchronize([this, &handler] {
        // Looked at again on the user-interface thread: a monitor stopped meanwhile hears nothing.
        if (active_ && !Terminated() && handler)
            handler();
    });
}

void TDiscMonitorThread::Execute()
{
    while (!Terminated()) {
        HANDLE idle[] = {terminateEvent_.get(), activeEvent_.get()};
        if (WaitForMultipleObjects(2, idle, FALSE, INFINITE) == WAIT_OBJECT_0)
            break;
        // Whatever was changed before now is in the parameters read here.
        ResetEvent(paramsChangedEvent_.get());
        const Parameters p = Current();
        const ChangeNotification notification(
            FindFirstChangeNotificationA(p.directory.c_str(), p.subTree ? TRUE : FALSE, p.filter));
        if (!notification) {
            Report(OnInvalid);
            HANDLE wait[] = {terminateEvent_.get(), paramsChangedEvent_.get()};
            if (WaitForMultipleObjects(2, wait, FALSE, INFINITE) == WAIT_OBJECT_0)
                break;
            continue;
        }
        bool again = false;
        while (!again && !Terminated()) {
            HANDLE wait[] = {terminateEvent_.get(), paramsChangedEvent_.get(), notification.get()};
            DWORD which = WaitForMultipleObjects(3, wait, FALSE, INFINITE);
            if (which == WAIT_OBJECT_0 + 2) {
                // Changes within the delay are reported once: the notification is armed again after.
                if (WaitForSingleObject(terminateEvent_.get(), static_cast<DWORD>(p.changeDelay)) == WAIT_OBJECT_0)
                    break;
                Report(OnChange);
                if (!FindNextChangeNotification(notification.get()))
                    again = true;
            } else {
                again = true;   // new parameters, inactive, or the end
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// TDiscMonitor

TDiscMonitor::TDiscMonitor(TComponent* owner) : TComponent(owner), thread_(std::make_unique<TDiscMonitorThread>())
{
    thread_->OnChange = [this] {
        if (OnChange)
            OnChange(this);
    };
    thread_->OnInvalid = [this] {
        if (OnInvalid)
            OnInvalid(this);
    };
    PassParameters();
}

TDiscMonitor::~TDiscMonitor()
{
    thread_.reset();
}

void TDiscMonitor::PassParameters()
{
    thread_->SetParameters(directory_, NotifyFilterOf(filters_), subTree_, changeDelay_);
}

void TDiscMonitor::SetDirectory(const std::string& directory)
{
    if (directory == directory_)
        return;
    directory_ = directory;
    PassParameters();
}

void TDiscMonitor::SetFilters(TMonitorFilters filters)
{
    if (filters == 0) {
        ShowMessage("Some filter condition must be set.");
        return;
    }
    if (filters == filters_)
        return;
    filters_ = filters;
    PassParameters();
}

void TDiscMonitor::SetSubTree(bool subTree)
{
    if (subTree == subTree_)
        return;
    subTree_ = subTree;
    PassParameters();
}

void TDiscMonitor::SetChangeDelay(int milliseconds)
{
    changeDelay_ = milliseconds;
    PassParameters();
}

void TDiscMonitor::SetActive(bool active)
{
    if (active == active_)
        return;
    active_ = active;
    thread_->SetActive(active);
}
