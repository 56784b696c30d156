// TFileDeleteThread: watches paths in the background after a move or delete and reports, on the
// user-interface thread, those that have gone; TFileDeleteWatch: an owner's hold on one.
#pragma once

#include <windows.h>

#include "Threads.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class TFileDeleteThread : public TThread {
public:
    using TFilesDeletedEvent = std::function<void(TFileDeleteThread& sender, const std::vector<std::string>& files)>;

    // Starts at once with a lower priority and frees itself when done: when every path has gone,
    // `timeoutSeconds` have passed, or `cancelled` (when given) has been set.
    TFileDeleteThread(const std::vector<std::string>& files, TFilesDeletedEvent onFilesDeleted, int timeoutSeconds,
                      std::shared_ptr<const std::atomic<bool>> cancelled = nullptr);

protected:
    void Execute() override;

private:
    static ULONGLONG Now();
    bool Cancelled() const { return cancelled_ && *cancelled_; }

    TFilesDeletedEvent onFilesDeleted_;
    std::vector<std::string> pending_;
    std::vector<std::string> deleted_;
    ULONGLONG deadline_;
    std::shared_ptr<const std::atomic<bool>> cancelled_;
};

// Starts a delete watcher for its owner. Once the hold is cancelled or destroyed, the watcher's
// handler never runs again, so a watcher that outlives its owner cannot reach it.
class TFileDeleteWatch {
public:
    TFileDeleteWatch() = default;
    TFileDeleteWatch(const std::vector<std::string>& files, TFileDeleteThread::TFilesDeletedEvent onFilesDeleted,
                     int timeoutSeconds);
    ~TFileDeleteWatch() { Cancel(); }
    TFileDeleteWatch(TFileDeleteWatch&&) noexcept = default;
    TFileDeleteWatch& operator=(TFileDeleteWatch&& other) noexcept;
    TFileDeleteWatch(const TFileDeleteWatch&) = delete;
    TFileDeleteWatch& operator=(const TFileDeleteWatch&) = delete;

    // On the user-interface thread, where the handler runs: no report arrives after this.
    void Cancel();

private:
    std::shared_ptr<std::atomic<bool>> cancelled_;
};
