// Memory from the shell's allocator (item-ID lists, texts the shell hands out) and its holder.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <cstddef>
#include <utility>

// `size` bytes from the shell's allocator; nullptr when it has none to give.
void* ShellAlloc(size_t size);
// Gives a block back to the shell's allocator; nullptr is ignored.
void ShellFree(void* block);

// Owns one block of the shell's allocator and frees it once. Move-only.
template <typename T>
class ShellPtr {
public:
    ShellPtr() = default;
    explicit ShellPtr(T* block) : block_(block) {}
    ~ShellPtr() { reset(); }
    ShellPtr(ShellPtr&& other) noexcept : block_(other.release()) {}
    ShellPtr& operator=(ShellPtr&& other) noexcept
    {
        if (this != &other)
            reset(other.release());
        return *this;
    }
    ShellPtr(const ShellPtr&) = delete;
    ShellPtr& operator=(const ShellPtr&) = delete;

    T* get() const { return block_; }
    explicit operator bool() const { return block_ != nullptr; }
    T* release() { return std::exchange(block_, nullptr); }
    void reset(T* block = nullptr)
    {
        if (block_ && block_ != block)
            ShellFree(block_);
        block_ = block;
    }
    // For out parameters of the shell's calls: frees what is held first.
    T** put()
    {
        reset();
        return &block_;
    }

private:
    T* block_ = nullptr;
};

using ItemIdList = ShellPtr<ITEMIDLIST>;
