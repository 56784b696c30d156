#include "RegistrySandbox.h"

#include <stdexcept>

namespace {

HKEY CreateKey(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        throw std::runtime_error("cannot create scratch key " + path);
    return key;
}

}  // namespace

RegistrySandbox::RegistrySandbox()
    : path_("Software\\QlTestSandbox\\" + std::to_string(GetCurrentProcessId()))
{
    user_ = CreateKey(HKEY_CURRENT_USER, path_ + "\\HKCU");
    machine_ = CreateKey(HKEY_CURRENT_USER, path_ + "\\HKLM");
    RegOverridePredefKey(HKEY_CURRENT_USER, user_);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, machine_);
}

RegistrySandbox::~RegistrySandbox()
{
    RegOverridePredefKey(HKEY_CURRENT_USER, nullptr);
    RegOverridePredefKey(HKEY_LOCAL_MACHINE, nullptr);
    RegCloseKey(user_);
    RegCloseKey(machine_);
    RegDeleteTreeA(HKEY_CURRENT_USER, path_.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\QlTestSandbox");
}

std::string ReadRegString(HKEY root, const std::string& key, const std::string& name, bool* exists)
{
    if (exists) *exists = false;
    HKEY h = nullptr;
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_READ, &h) != ERROR_SUCCESS)
        return "";
    char buf[2048];
    DWORD size = sizeof buf - 1, type = 0;
    LONG rc = RegQueryValueExA(h, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buf), &size);
    RegCloseKey(h);
    if (rc != ERROR_SUCCESS)
        return "";
    if (exists) *exists = true;
    buf[size] = 0;
    return buf;
}
