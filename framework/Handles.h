// RAII holders for kernel objects, find handles, change notifications, menus and icons.
#pragma once

#include <windows.h>

#include "UniqueHandle.h"

#include <string>

struct KernelHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return nullptr; }
    static void Close(Handle handle) { CloseHandle(handle); }
};
struct FileHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { CloseHandle(handle); }
};
struct FindHandleTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { FindClose(handle); }
};
struct ChangeNotificationTraits {
    using Handle = HANDLE;
    static Handle Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(Handle handle) { FindCloseChangeNotification(handle); }
};
struct MenuHandleTraits {
    using Handle = HMENU;
    static Handle Empty() { return nullptr; }
    static void Close(Handle handle) { DestroyMenu(handle); }
};
struct IconHandleTraits {
    using Handle = HICON;
    static Handle Empty() { return nullptr; }
    static void Close(Handle handle) { DestroyIcon(handle); }
};

// Events, threads, mutexes: whatever reports failure as nullptr.
using KernelHandle = UniqueHandle<KernelHandleTraits>;
// CreateFile's handles, which report failure as INVALID_HANDLE_VALUE.
using FileHandle = UniqueHandle<FileHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using ChangeNotification = UniqueHandle<ChangeNotificationTraits>;
using MenuHandle = UniqueHandle<MenuHandleTraits>;
using IconHandle = UniqueHandle<IconHandleTraits>;

// The search for `pattern` with its first entry in `found`; empty when nothing matches.
inline FindHandle FindFirst(const std::string& pattern, WIN32_FIND_DATAA& found)
{
    return FindHandle(FindFirstFileA(pattern.c_str(), &found));
}
