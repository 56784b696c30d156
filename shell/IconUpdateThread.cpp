// The icon thread of the directory view: it walks the visible rows, asks the shell for the icons
// of files that have their own, and sleeps on an event between ranges.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <shellapi.h>

#include "IconUpdateThread.h"

#include "DirView.h"
#include "LateLibrary.h"

#include <algorithm>

namespace {

// The per-file types as the thread tests them: a plain substring test, so "EX" counts too.
bool ThreadLooksUp(const std::string& ext)
{
    return !ext.empty() && std::string("EXE,LNK,ICO,ANI,CUR,PIF,JOB,CPL").find(ext) != std::string::npos;
}

// COM for the shell's icon handlers on this thread, for as long as the body runs.
class ComApartment {
public:
    ComApartment() : initialised_(SUCCEEDED(Ole32::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComApartment()
    {
        if (initialised_)
            Ole32::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool initialised_;
};

}  // namespace

TIconUpdateThread::TIconUpdateThread(TDirView* view)
    : TThread(true), view_(view), wake_(CreateEventA(nullptr, FALSE, FALSE, nullptr))
{
    const int rows = view_->VisibleRowCount();
    lastIndex_ = rows;
    currentIndex_ = std::max(view_->TopItemIndex(), 0);
    if (currentIndex_ > 0)
        lastIndex_ = currentIndex_ + rows;
    Start();
}

TIconUpdateThread::~TIconUpdateThread()
{
    Stop();
    WaitFor();
}

void TIconUpdateThread::Stop()
{
    Terminate();
    SetPriority(THREAD_PRIORITY_ABOVE_NORMAL);
    Wake();
}

void TIconUpdateThread::Wake()
{
    SetEvent(wake_.get());
}

void TIconUpdateThread::SetStartIndex(int index)
{
    if (index == currentIndex_)
        return;
    const int rows = view_->VisibleRowCount();
    currentIndex_ = index;
    lastIndex_ = index + (view_->ViewStyle() == vsList ? 2 * rows : rows);
}

void TIconUpdateThread::NoteItem(int index)
{
    if (index == lastIndex_)
        return;
    if (index > lastIndex_) {
        lastIndex_ = index;
        return;
    }
    int nearest = -1;
    if (!sleeping_ && view_->HandleAllocated()) {
        LVFINDINFOA find = {};
        find.flags = LVFI_NEARESTXY;
        find.vkDirection = VK_UP;
        nearest = static_cast<int>(SendMessageA(view_->Handle(), LVM_FINDITEMA, static_cast<WPARAM>(-1),
                                                reinterpret_cast<LPARAM>(&find)));
    }
    currentIndex_ = nearest >= 0 ? nearest : index;
}

void TIconUpdateThread::WaitForWork()
{
    sleeping_ = true;
    // An auto-reset event keeps a wake-up that came before the wait.
    if (!Terminated())
        WaitForSingleObject(wake_.get(), INFINITE);
    sleeping_ = false;
}

void TIconUpdateThread::Execute()
{
    const ComApartment com;
    while (!Terminated()) {
        if (currentIndex_ > lastIndex_) {
            WaitForWork();
            continue;
        }
        Synchronize([this] { FetchItem(); });
        if (Terminated())
            break;
        if (beyondEnd_) {
            WaitForWork();
            continue;
        }
        if (!skip_ && iconEmpty_ && ThreadLooksUp(ext_)) {
            // The file's own icon: the shell reads the file for it.
            SHFILEINFOA info = {};
            int icon = DefaultIcons().File;
            if (Shell32::SHGetFileInfoA(fileName_.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON))
                icon = info.iIcon;
            if (Terminated())
                break;
            iconIndex_ = icon;
            Synchronize([this] { ApplyIcon(); });
        }
        fileName_.clear();
        int processed = index_;
        currentIndex_.compare_exchange_strong(processed, index_ + 1);
    }
}

void TIconUpdateThread::FetchItem()
{
    index_ = currentIndex_;
    skip_ = true;
    beyondEnd_ = false;
    if (Terminated() || view_->Loading())
        return;
    if (index_ < 0 || index_ >= view_->Items().Count()) {
        beyondEnd_ = true;
        return;
    }
    TListItem* item = view_->Items()[index_];
    const TFileRec* rec = TDirView::ItemRec(item);
    if (!rec)
        return;
    ext_ = rec->Ext;
    iconEmpty_ = rec->IconEmpty;
    fileName_ = view_->ItemFullFileName(item);
    skip_ = false;
}

void TIconUpdateThread::ApplyIcon()
{
    if (Terminated() || view_->Loading() || index_ < 0 || index_ >= view_->Items().Count())
        return;
    TListItem* item = view_->Items()[index_];
    TFileRec* rec = TDirView::ItemRec(item);
    // The rows may have changed meanwhile: the icon belongs to the file it was asked for.
    if (!rec || view_->ItemFullFileName(item) != fileName_)
        return;
    if (iconIndex_ >= 0 && iconIndex_ != rec->ImageIndex) {
        rec->ImageIndex = iconIndex_;
        if (view_->HandleAllocated())
            SendMessageA(view_->Handle(), LVM_REDRAWITEMS, static_cast<WPARAM>(index_), index_);
    }
    rec->IconEmpty = false;
}
