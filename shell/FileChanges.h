// TFileDeleteThread: watches paths in the background after a move or delete and reports, on the
// user-interface thread, those that have gone.
#pragma once

#include <windows.h>

#include "Threads.h"

#include <functional>
#include <string>
#include <vector>

class TFileDeleteThread : public TThread {
public:
    using TFilesDeletedEvent = std::function<void(TFileDeleteThread& sender, const std::vector<std::string>& files)>;

    // Starts at once with a lower priority and frees itself when done: when every path has gone,
    // or `timeoutSeconds` have passed.
    TFileDeleteThread(const std::vector<std::string>& files, TFilesDeletedEvent onFilesDeleted, int timeoutSeconds);

protected:
    void Execute() override;

private:
    static ULONGLONG Now();

    TFilesDeletedEvent onFilesDeleted_;
    std::vector<std::string> pending_;
    std::vector<std::string> deleted_;
    ULONGLONG deadline_;
};
