// The shell's allocator, fetched once and released when the program ends.
#include <windows.h>
#include <shlobj.h>

#include "ShellMemory.h"

#include "ComPtr.h"
#include "LateLibrary.h"

namespace {

IMalloc* Allocator()
{
    static const ComPtr<IMalloc> allocator = [] {
        ComPtr<IMalloc> malloc;
        if (FAILED(Shell32::SHGetMalloc(malloc.put())))
            malloc.reset();
        return malloc;
    }();
    return allocator.get();
}

}  // namespace

void* ShellAlloc(size_t size)
{
    IMalloc* malloc = Allocator();
    return malloc ? malloc->Alloc(size) : nullptr;
}

void ShellFree(void* block)
{
    IMalloc* malloc = Allocator();
    if (block && malloc)
        malloc->Free(block);
}
