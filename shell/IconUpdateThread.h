// TIconUpdateThread: looks up, beside the user-interface thread, the icons of a directory view's
// visible items whose files carry icons of their own, and hands each to the view.
#pragma once

#include <windows.h>

#include "Handles.h"
#include "Threads.h"

#include <atomic>
#include <string>

class TDirView;

class TIconUpdateThread : public TThread {
public:
    // Made on the user-interface thread; it starts at the view's top row and sleeps whenever its
    // range is done, until Wake.
    explicit TIconUpdateThread(TDirView* view);
    // Stops the thread and waits for its end.
    ~TIconUpdateThread() override;

    // A new visible range starts at `index`.
    void SetStartIndex(int index);
    // An item without its icon was drawn.
    void NoteItem(int index);
    // Lets a sleeping thread go on; a wake-up before it sleeps is kept.
    void Wake();
    // Ends the thread at its next step; no result reaches the view afterwards.
    void Stop();
    bool Sleeping() const { return sleeping_; }
    int CurrentIndex() const { return currentIndex_; }
    int LastIndex() const { return lastIndex_; }

protected:
    void Execute() override;

private:
    void WaitForWork();
    // The two steps on the user-interface thread.
    void FetchItem();
    void ApplyIcon();

    TDirView* view_;
    std::atomic<int> currentIndex_{0};
    std::atomic<int> lastIndex_{0};
    std::atomic<bool> sleeping_{false};
    KernelHandle wake_;

    // Handed between the two threads inside the synchronised steps.
    int index_ = -1;
    bool skip_ = true;
    bool beyondEnd_ = false;
    bool iconEmpty_ = false;
    std::string ext_;
    std::string fileName_;
    int iconIndex_ = -1;
};
