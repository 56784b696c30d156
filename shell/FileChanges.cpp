// The delete watcher: a look every half second.
#include <windows.h>

#include "FileChanges.h"

#include "ExactNames.h"

#include <utility>

TFileDeleteThread::TFileDeleteThread(const std::vector<std::string>& files, TFilesDeletedEvent onFilesDeleted,
                                     int timeoutSeconds, std::shared_ptr<const std::atomic<bool>> cancelled)
    : TThread(true), onFilesDeleted_(std::move(onFilesDeleted)), pending_(files),
      deadline_(Now() + static_cast<ULONGLONG>(timeoutSeconds) * 10000000ULL), cancelled_(std::move(cancelled))
{
    SetPriority(THREAD_PRIORITY_BELOW_NORMAL);
    SetFreeOnTerminate(true);
    Start();
}

ULONGLONG TFileDeleteThread::Now()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    return (static_cast<ULONGLONG>(now.dwHighDateTime) << 32) | now.dwLowDateTime;
}

void TFileDeleteThread::Execute()
{
    while (!Terminated() && !Cancelled() && !pending_.empty() && Now() < deadline_) {
        Sleep(500);
        std::vector<std::string> still;
        for (const std::string& path : pending_) {
            if (ExactEntryExists(path))
                still.push_back(path);
            else
                deleted_.push_back(path);
        }
        pending_.swap(still);
        if (!deleted_.empty() && onFilesDeleted_)
            Synchronize([this] {
                // Looked at on the owner's thread, where a cancel happens: never after it.
                if (!Cancelled())
                    onFilesDeleted_(*this, deleted_);
            });
        deleted_.clear();
    }
}

TFileDeleteWatch::TFileDeleteWatch(const std::vector<std::string>& files,
                                   TFileDeleteThread::TFilesDeletedEvent onFilesDeleted, int timeoutSeconds)
    : cancelled_(std::make_shared<std::atomic<bool>>(false))
{
    new TFileDeleteThread(files, std::move(onFilesDeleted), timeoutSeconds, cancelled_);
}

TFileDeleteWatch& TFileDeleteWatch::operator=(TFileDeleteWatch&& other) noexcept
{
    if (this != &other) {
        Cancel();
        cancelled_ = std::move(other.cancelled_);
    }
    return *this;
}

void TFileDeleteWatch::Cancel()
{
    if (cancelled_)
        *cancelled_ = true;
    cancelled_.reset();
}
