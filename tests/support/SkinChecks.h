// Checks of the skinned windows: their shape against the region block stored with the program.
#pragma once

#include <windows.h>

#include "CoolForm.h"
#include "GdiObject.h"

#include <cstdint>
#include <string>
#include <vector>

// The bytes of an RCDATA resource of the test program; empty when it has none.
inline std::vector<uint8_t> ResourceBytes(const char* name)
{
    HMODULE module = GetModuleHandleA(nullptr);
    HRSRC info = FindResourceA(module, name, MAKEINTRESOURCEA(10));
    if (!info)
        return {};
    auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, info)));
    return std::vector<uint8_t>(data, data + SizeofResource(module, info));
}

// "" when the window's region is exactly the one stored as `maskResource`; else what is wrong.
inline std::string RegionMismatch(HWND window, const char* maskResource)
{
    std::vector<uint8_t> stored = ResourceBytes(maskResource);
    std::vector<uint8_t> data;
    if (ParseMask2(stored.data(), stored.size(), data) != TMask2Status::Valid)
        return std::string(maskResource) + " is no valid region block (" + std::to_string(stored.size()) + " bytes)";
    GdiObject<HRGN> expected = RegionFromData(data);
    GdiObject<HRGN> applied(CreateRectRgn(0, 0, 0, 0));
    if (GetWindowRgn(window, applied.get()) == ERROR)
        return "the window has no region";
    GdiObject<HRGN> difference(CreateRectRgn(0, 0, 0, 0));
    if (CombineRgn(difference.get(), applied.get(), expected.get(), RGN_XOR) != NULLREGION)
        return "the window's region differs from " + std::string(maskResource);
    return "";
}
