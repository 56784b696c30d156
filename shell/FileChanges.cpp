// The delete watcher: a look every half second.
#include <windows.h>

#include "FileChanges.h"

#include "Handles.h"

#include <utility>

TFileDeleteThread::TFileDeleteThread(const std::vector<std::string>& files, TFilesDeletedEvent onFilesDeleted,
                                     int timeoutSeconds)
    : TThread(true), onFilesDeleted_(std::move(onFilesDeleted)), pending_(files),
      deadline_(Now() + static_cast<ULONGLONG>(timeoutSeconds) * 10000000ULL)
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
    while (!Terminated() && !pending_.empty() && Now() < deadline_) {
        Sleep(500);
        std::vector<std::string> still;
        for (const std::string& path : pending_) {
            WIN32_FIND_DATAA found;
            if (FindFirst(path, found))
                still.push_back(path);
            else
                deleted_.push_back(path);
        }
        pending_.swap(still);
        if (!deleted_.empty() && onFilesDeleted_)
            Synchronize([this] { onFilesDeleted_(*this, deleted_); });
        deleted_.clear();
    }
}
