// UniqueHandle: the one owning holder behind the handle, GDI object and shell memory holders.
#pragma once

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
    // For out parameters of creating calls: closes what is held first.
    Handle* put()
    {
        reset();
        return &handle_;
    }

private:
    Handle handle_ = Traits::Empty();
};
