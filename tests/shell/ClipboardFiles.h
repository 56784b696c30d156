// The files on the clipboard as the shell's drop list reads them.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

// Empty when the clipboard holds no drop list or cannot be opened.
inline std::vector<std::string> ClipboardFiles()
{
    std::vector<std::string> files;
    if (!OpenClipboard(nullptr))
        return files;
    if (HANDLE data = GetClipboardData(CF_HDROP)) {
        auto drop = static_cast<HDROP>(data);
        const UINT count = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
        for (UINT i = 0; i < count; ++i) {
            char name[MAX_PATH] = {};
            DragQueryFileA(drop, i, name, MAX_PATH);
            files.push_back(name);
        }
    }
    CloseClipboard();
    return files;
}
