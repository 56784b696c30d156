// Files made and read by their wide names, for names the code page cannot hold.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

inline void MakeWideFile(const std::wstring& path, const std::string& content)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD written = 0;
    ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
    CloseHandle(file);
}

// "(fehlt)" for a file that is not there.
inline std::string WideFileContent(const std::wstring& path)
{
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return "(fehlt)";
    char buffer[64] = {};
    DWORD read = 0;
    ReadFile(file, buffer, sizeof buffer - 1, &read, nullptr);
    CloseHandle(file);
    return std::string(buffer, read);
}

// The long name on the disk of what an ANSI path reaches.
inline std::wstring LongNameOf(const std::string& path)
{
    wchar_t wide[MAX_PATH] = {}, full[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (!GetLongPathNameW(wide, full, MAX_PATH))
        return L"(nichts)";
    const std::wstring name = full;
    return name.substr(name.rfind(L'\\') + 1);
}
