// A drive tree on a test form, with what its tests look at: the selection changes it let through,
// the scroll messages it got, the places of its nodes; and files and modal windows for them.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "DriveView.h"
#include "Handles.h"
#include "MessagePump.h"
#include "TestForm.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// Records whether each selection change the control asked for was let through, and the scroll
// steps it was sent.
class RecordingDriveView : public TDriveView {
public:
    using TDriveView::TDriveView;
    std::vector<std::string> asked;
    std::vector<WPARAM> vscrolls, hscrolls;

protected:
    bool CanChange(TTreeNode* node) override
    {
        const bool allowed = TDriveView::CanChange(node);
        asked.push_back((allowed ? "allow " : "defer ") + node->Text());
        return allowed;
    }
    LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override
    {
        // The steps; their ends left out.
        if (msg == WM_VSCROLL && LOWORD(wParam) != SB_ENDSCROLL)
            vscrolls.push_back(LOWORD(wParam));
        if (msg == WM_HSCROLL && LOWORD(wParam) != SB_ENDSCROLL)
            hscrolls.push_back(LOWORD(wParam));
        return TDriveView::WndProc(msg, wParam, lParam);
    }
};

struct DriveTree : TestForm {
    explicit DriveTree(int height = 420) : TestForm(10, 10, 320, height)
    {
        view = Add<RecordingDriveView>(0, 0, 300, height - 20);
        view->OnChange = [this](TComponent*, TTreeNode*) { changes.push_back(view->Directory()); };
        form->Show();
        PumpMessages();
    }
    TTreeNode* Root(char drive) { return view->DriveSlotOf(drive).RootNode; }
    // The middle of a node's text, on the screen; the node is scrolled into view first.
    POINT ScreenPointOf(TTreeNode* node)
    {
        node->MakeVisible();
        const RECT text = node->DisplayRect(true);
        return view->ClientToScreen({(text.left + text.right) / 2, (text.top + text.bottom) / 2});
    }
    std::string ChildTexts(TTreeNode* node)
    {
        std::string texts;
        for (int i = 0; node && i < node->Count(); ++i)
            texts += node->Item(i)->Text() + ";";
        return texts;
    }

    RecordingDriveView* view;
    std::vector<std::string> changes;
};

inline void Touch(const std::string& file, int64_t size = 1)
{
    FileHandle h(CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    LARGE_INTEGER end;
    end.QuadPart = size;
    SetFilePointerEx(h.get(), end, nullptr, FILE_BEGIN);
    SetEndOfFile(h.get());
}

inline bool FolderExists(const std::string& path)
{
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// While it lives, a timer of this thread hands every modal window that a call opens (a dialog, a
// message box, a menu) to `answer`, which closes it; the windows it saw are listed by class, each
// once.
class ModalAnswer {
public:
    using TAnswer = std::function<void(HWND window, const std::string& className)>;

    explicit ModalAnswer(TAnswer answer) : answer_(std::move(answer))
    {
        current_ = this;
        timer_ = SetTimer(nullptr, 0, 100, &ModalAnswer::Tick);
    }
    ~ModalAnswer()
    {
        KillTimer(nullptr, timer_);
        current_ = nullptr;
    }
    ModalAnswer(const ModalAnswer&) = delete;
    ModalAnswer& operator=(const ModalAnswer&) = delete;

    // Answers "Yes" (or OK) in dialogs and closes menus without a choice.
    static ModalAnswer Yes()
    {
        return ModalAnswer([](HWND window, const std::string& className) {
            if (className == "#32768")
                EndMenu();
            else
                PostMessageA(window, WM_COMMAND, GetDlgItem(window, IDYES) ? IDYES : IDOK, 0);
        });
    }

    std::vector<std::string> seen;

private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD)
    {
        if (!current_)
            return;
        // A window answered once but still closing is not another.
        auto& answered = current_->answered_;
        answered.erase(std::remove_if(answered.begin(), answered.end(), [](HWND w) { return !IsWindowVisible(w); }),
                       answered.end());
        EnumThreadWindows(GetCurrentThreadId(), &ModalAnswer::Visit, 0);
    }
    static BOOL CALLBACK Visit(HWND window, LPARAM)
    {
        char name[64] = {};
        GetClassNameA(window, name, sizeof name);
        const std::string className = name;
        if (!IsWindowVisible(window) || (className != "#32770" && className != "#32768"))
            return TRUE;
        auto& answered = current_->answered_;
        if (std::find(answered.begin(), answered.end(), window) == answered.end()) {
            answered.push_back(window);
            current_->seen.push_back(className);
        }
        // Again at every tick while it stays: an answer may come too early to be taken.
        current_->answer_(window, className);
        return TRUE;
    }

    TAnswer answer_;
    std::vector<HWND> answered_;
    UINT_PTR timer_ = 0;
    static inline ModalAnswer* current_ = nullptr;
};
