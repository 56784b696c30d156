// What tests look at in the (sandboxed) HKEY_CURRENT_USER: whether a key exists, how much lies
// directly under the root, and values written the way stored settings look.
#pragma once

#include <windows.h>

#include <string>
#include <utility>

inline bool UserKeyExists(const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Subkeys and values directly under HKEY_CURRENT_USER.
inline std::pair<DWORD, DWORD> UserRootContents()
{
    HKEY key = nullptr;
    DWORD subkeys = 0, values = 0;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, "", 0, KEY_READ, &key) != ERROR_SUCCESS)
        return {subkeys, values};
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return {subkeys, values};
}

inline void WriteUserString(const std::string& key, const char* name, const std::string& value)
{
    HKEY handle = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExA(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>(value.size() + 1));
    RegCloseKey(handle);
}
