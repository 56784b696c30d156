// RAII holders for kernel objects, find handles, change notifications, menus and icons.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

// Owns one handle and closes it once with `Traits::Close`; `Traits::Empty()` is the value
// that means "none" (nullptr or INVALID_HANDLE_VALUE, as the creating call reports failure). Move-only.
template <typename Traits>
class UniqueHandle {
public:
    using Handle = typename Traits::Handle;

    UniqueHandle() = default;
    explicit UniqueHandle(Handle handle) : handle_(handle) {}
    ~UniqueHandle() { reset(); }
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    Handle get() const { return handle_; }
    explicit operator bool() const { return handle_ != Traits::Empty(); }
    Handle release() { return std::exchange(handle_, Traits::Empty()); }
    void reset(Handle handle = Traits::Empty())
    {
        if (handle_ != Traits::Empty() && handle_ != handle)
            Traits::Close(handle_);
        handle_ = handle;
    }

private:
    Handle handle_ = Traits::Empty();
};

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
