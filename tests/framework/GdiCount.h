// Counts the process's live GDI objects, for tests that look for leaked handles.
#pragma once

#include <windows.h>

#include <cstdint>

namespace gdicount {

// Wine keeps no count for GetGuiResources but shares its GDI handle table with the process:
// 16384 entries of 24 bytes, found through the process environment block, Type 0 when free.
inline long WineTableCount()
{
#if defined(__i386__)
    const uint8_t* peb;
    asm("movl %%fs:0x30, %0" : "=r"(peb));   // the process environment block
    const uint8_t* table = peb ? *reinterpret_cast<const uint8_t* const*>(peb + 0x94) : nullptr;
    if (!table)
        return -1;
    long count = 0;
    for (size_t i = 0; i < 16384; ++i)
        count += table[24 * i + 14] != 0;   // Object (8), Owner (4), Unique (2), then Type
    return count;
#else
    return -1;
#endif
}

// The number of live GDI objects, or -1 when this platform offers no way to count them
// (checked by making and deleting one pen).
inline long LiveObjects()
{
    auto count = [] {
        DWORD n = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
        return n ? static_cast<long>(n) : WineTableCount();
    };
    long before = count();
    HPEN pen = CreatePen(PS_SOLID, 1, RGB(1, 2, 3));
    long during = count();
    DeleteObject(pen);
    long after = count();
    if (before < 0 || during != before + 1 || after != before)
        return -1;
    return after;
}

}  // namespace gdicount
