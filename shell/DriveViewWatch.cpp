// The drive tree's change watching: one monitor per drive whose report only restarts the drive's
// timer, so that a burst of changes refreshes the tree once, after the last.
#include <windows.h>

#include "DriveView.h"

#include "DiscMon.h"
#include "ExtCtrls.h"

#include <cctype>

void TDriveView::CreateWatcher(char drive)
{
    Slot& slot = SlotOf(drive);
    if (slot.watcher)
        return;
    auto watcher = std::make_unique<TDiscMonitor>();
    watcher->SetChangeDelay(50);
    watcher->SetSubTree(true);
    watcher->SetFilters(moDirName);
    watcher->OnChange = [this](TComponent* sender) { WatcherChanged(static_cast<TDiscMonitor*>(sender)); };
    watcher->OnInvalid = [this](TComponent* sender) { WatcherInvalid(static_cast<TDiscMonitor*>(sender)); };
    watcher->SetDirectory(std::string(1, static_cast<char>(std::toupper(static_cast<unsigned char>(drive)))) + ":\\");
    watcher->Start();
    slot.watcher = std::move(watcher);
}

void TDriveView::DropWatcher(char drive)
{
    SlotOf(drive).watcher.reset();
}

void TDriveView::StartWatchingSelected()
{
    TTreeNode* selected = Selected();
    if (!selected || !watchDirectory_)
        return;
    const char drive = NodePathName(RootNode(selected))[0];
    CreateWatcher(drive);
    SlotOf(drive).watcher->Start();
}

void TDriveView::StopWatchingSelected()
{
    if (TTreeNode* selected = Selected())
        if (TDiscMonitor* watcher = SlotOf(GetDrive(selected)).watcher.get())
            watcher->Stop();
}

void TDriveView::StartWatchingAll()
{
    if (!watchDirectory_)
        return;
    for (char drive = 'A'; drive <= 'Z'; ++drive) {
        if (!SlotOf(drive).scanned)
            continue;
        CreateWatcher(drive);
        SlotOf(drive).watcher->Start();
    }
}

void TDriveView::StopWatchingAll()
{
    for (Slot& slot : slots_)
        if (slot.watcher)
            slot.watcher->Stop();
}

bool TDriveView::SelectedDriveWatched() const
{
    TTreeNode* selected = Selected();
    return selected && watchDirectory_ && DriveWatched(selected);
}

bool TDriveView::DriveWatched(const TTreeNode* node) const
{
    const TDiscMonitor* watcher = SlotOf(GetDrive(node)).watcher.get();
    return watcher && watcher->Active();
}

void TDriveView::SetWatchDirectory(bool on)
{
    if (on == watchDirectory_)
        return;
    watchDirectory_ = on;
    if (on)
        StartWatchingAll();
    else
        StopWatchingAll();
}

void TDriveView::SetChangeInterval(unsigned milliseconds)
{
    if (milliseconds == 0)
        return;
    changeInterval_ = milliseconds;
    for (Slot& slot : slots_)
        slot.timer->SetInterval(milliseconds);
}

void TDriveView::WatcherChanged(TDiscMonitor* watcher)
{
    if (!watcher || watcher->Directory().empty())
        return;
    // Each report starts the countdown again.
    TTimer& timer = *SlotOf(watcher->Directory()[0]).timer;
    timer.SetInterval(0);
    timer.SetInterval(changeInterval_);
    timer.SetEnabled(true);
}

void TDriveView::WatcherInvalid(TDiscMonitor* watcher)
{
    if (!watcher || watcher->Directory().empty())
        return;
    const char drive = watcher->Directory()[0];
    watcher->Stop();
    if (OnChangeInvalid)
        OnChangeInvalid(this, drive);
}

void TDriveView::ChangeTimerFired(char drive)
{
    TTimer& timer = *SlotOf(drive).timer;
    TTreeNode* root = NodeOfPath(std::string(1, drive) + ":\\");
    timer.SetInterval(0);
    timer.SetEnabled(false);
    if (!root)
        return;
    SyncBranches(root);
    if (OnChangeDetected)
        OnChangeDetected(this, drive);
}
