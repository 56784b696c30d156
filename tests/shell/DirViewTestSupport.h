// What the file list's tests share: files written with a size or a date, a view on a shown
// form with readers of what its window shows, and a staged folder of four files and a folder.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "DirView.h"
#include "MessagePump.h"
#include "MouseInput.h"
#include "StagedFolder.h"
#include "TestForm.h"
#include "WitnessWindow.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

inline FILETIME LocalTime(WORD year, WORD month, WORD day, WORD hour = 12)
{
    SYSTEMTIME local = {};
    local.wYear = year;
    local.wMonth = month;
    local.wDay = day;
    local.wHour = hour;
    FILETIME localFile, utc;
    SystemTimeToFileTime(&local, &localFile);
    LocalFileTimeToFileTime(&localFile, &utc);
    return utc;
}

inline void WriteFile(const std::string& path, size_t size, DWORD attributes = FILE_ATTRIBUTE_NORMAL)
{
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attributes, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    std::string bytes(size, 'x');
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
}

inline std::string RemoveTrailing(const std::string& path)
{
    return !path.empty() && path.back() == '\\' ? path.substr(0, path.size() - 1) : path;
}

// A file or a folder.
inline bool Exists(const std::string& path)
{
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Runs the test's action when the message it posted to itself arrives: a stand-in for what
// the user does while a load lets messages run.
class PostedAction {
public:
    explicit PostedAction(std::function<void()> action) : window_(MakeWitnessWindow("DirViewPostedAction", Proc))
    {
        current = std::move(action);
    }
    ~PostedAction()
    {
        DestroyWindow(window_);
        current = nullptr;
    }
    void Post() { PostMessageA(window_, WM_APP, 0, 0); }

private:
    static LRESULT CALLBACK Proc(HWND window, UINT msg, WPARAM wParam, LPARAM lParam)
    {
        if (msg == WM_APP && current)
            current();
        return DefWindowProcA(window, msg, wParam, lParam);
    }
    static inline std::function<void()> current;
    HWND window_;
};

struct ViewOnForm : TestForm {
    ViewOnForm() : TestForm(20, 20, 640, 400)
    {
        view = Add<TDirView>(0, 0, 620, 380);
        form->Show();
        PumpMessages();
    }

    // The names in the window's order, joined by ",".
    std::string Names()
    {
        std::string names;
        const int rows = static_cast<int>(SendMessageA(view->Handle(), LVM_GETITEMCOUNT, 0, 0));
        for (int row = 0; row < rows; ++row)
            names += (row ? "," : "") + Text(row, 0);
        return names;
    }

    std::string Text(int row, int column) { return ListViewText(view->Handle(), row, column); }

    int Row(const std::string& name)
    {
        TListItem* item = view->FindFileItem(name);
        return item ? item->Index() : -1;
    }

    TFileRec* Rec(const std::string& name) { return TDirView::ItemRec(view->FindFileItem(name)); }

    void Select(const std::vector<std::string>& names)
    {
        view->SetSelected(nullptr);
        for (const std::string& name : names)
            if (TListItem* item = view->FindFileItem(name))
                item->SetSelected(true);
        PumpMessages();
    }

    // A real click on a column's header.
    void ClickHeader(int column)
    {
        HWND header = ListView_GetHeader(view->Handle());
        RECT rect = {};
        SendMessageA(header, HDM_GETITEMRECT, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&rect));
        ClickAt(header, (rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
        PumpMessages();
    }

    int HeaderFormat(int column)
    {
        HDITEMA item = {};
        item.mask = HDI_FORMAT;
        SendMessageA(ListView_GetHeader(view->Handle()), HDM_GETITEMA, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&item));
        return item.fmt;
    }

    // The arrow a column's header shows, read from its bitmap: 'v' when the dark pixels crowd
    // the upper half (a triangle standing on its point), '^' the lower, ' ' for none.
    char Arrow(int column)
    {
        HDITEMA item = {};
        item.mask = HDI_FORMAT | HDI_BITMAP;
        SendMessageA(ListView_GetHeader(view->Handle()), HDM_GETITEMA, static_cast<WPARAM>(column),
                     reinterpret_cast<LPARAM>(&item));
        if (!(item.fmt & HDF_BITMAP) || !item.hbm)
            return ' ';
        HDC dc = CreateCompatibleDC(nullptr);
        HGDIOBJ old = SelectObject(dc, item.hbm);
        int upper = 0, lower = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const COLORREF c = GetPixel(dc, x, y);
                if (GetRValue(c) + GetGValue(c) + GetBValue(c) < 300)
                    ++(y < 8 ? upper : lower);
            }
        SelectObject(dc, old);
        DeleteDC(dc);
        return upper > lower ? 'v' : lower > upper ? '^' : '?';
    }

    TDirView* view;
};

// Four files of distinct sizes and one sub-folder.
struct StagedListing {
    explicit StagedListing(const std::string& name = "dir view", const std::string& parent = "") : folder(name, parent)
    {
        WriteFile(folder.Path() + "beta.ico", 1500);
        WriteFile(folder.Path() + "Alpha.txt", 20);
        WriteFile(folder.Path() + "gamma.ICO", 300);
        WriteFile(folder.Path() + "delta.bmp", 4000);
        folder.Folder("Unter");
    }
    // Without its trailing backslash.
    std::string Path() const { return folder.Path().substr(0, folder.Path().size() - 1); }
    StagedFolder folder;
};
