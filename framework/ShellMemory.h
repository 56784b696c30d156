// Memory from the shell's allocator (item-ID lists, texts the shell hands out) and its holder.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "UniqueHandle.h"

#include <cstddef>

// `size` bytes from the shell's allocator; nullptr when it has none to give.
void* ShellAlloc(size_t size);
// Gives a block back to the shell's allocator; nullptr is ignored.
void ShellFree(void* block);

template <typename T>
struct ShellMemoryTraits {
    using Handle = T*;
    static Handle Empty() { return nullptr; }
    static void Close(Handle block) { ShellFree(block); }
};
// Owns one block of the shell's allocator and frees it once. Move-only.
template <typename T>
using ShellPtr = UniqueHandle<ShellMemoryTraits<T>>;

using ItemIdList = ShellPtr<ITEMIDLIST>;
