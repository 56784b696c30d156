#include "Registry.h"

#include "Exceptions.h"
#include "SysUtils.h"

#include <vector>

namespace {

std::string StripLeadingBackslash(const std::string& path)
{
    return !path.empty() && path[0] == '\\' ? path.substr(1) : path;
}

// "%SystemRoot%\x" as the system reads it; a variable that is not set stays as written.
std::string ExpandEnvironment(const std::string& text)
{
    std::vector<char> buffer(text.size() + MAX_PATH);
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD needed = ExpandEnvironmentStringsA(text.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (needed == 0)
            return text;
        if (needed <= buffer.size())
            return std::string(buffer.data());
        buffer.resize(needed);
    }
    return text;
}

}  // namespace

RegKey& RegKey::operator=(RegKey&& other) noexcept
{
    if (this != &other) {
        Reset();
        key_ = other.key_;
        other.key_ = nullptr;
    }
    return *this;
}

void RegKey::Reset()
{
    if (key_)
        RegCloseKey(key_);
    key_ = nullptr;
}

RegKey RegKey::OpenForRead(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    if (RegOpenKeyExA(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return RegKey();
    return RegKey(key);
}

RegKey RegKey::OpenOrCreate(HKEY root, const std::string& path)
{
    HKEY key = nullptr;
    LONG rc = RegCreateKeyExA(root, path.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &key, nullptr);
    if (rc != ERROR_SUCCESS)
        throw ERegistryException("Der Registrierungsschlüssel \"" + path + "\" kann nicht erstellt werden. " +
                                 SysErrorMessage(rc));
    return RegKey(key);
}

TRegIniFile::TRegIniFile(HKEY root, const std::string& baseKey)
    : root_(root), base_(ExcludeTrailingBackslash(StripLeadingBackslash(baseKey)))
{
}

std::string TRegIniFile::Path(const std::string& section) const
{
    std::string sub = ExcludeTrailingBackslash(StripLeadingBackslash(section));
    if (base_.empty())
        return sub;
    return sub.empty() ? base_ : base_ + '\\' + sub;
}

std::string TRegIniFile::ReadString(const std::string& section, const std::string& ident, const std::string& def) const
{
    RegKey key = RegKey::OpenForRead(root_, Path(section));
    if (!key)
        return def;
    DWORD type = 0, size = 0;
    if (RegQueryValueExA(key.Get(), ident.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return def;
    std::vector<char> buffer(size + 1, '\0');
    if (RegQueryValueExA(key.Get(), ident.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &size) !=
        ERROR_SUCCESS)
        return def;
    std::string value(buffer.data());   // stored strings may or may not carry their terminator
    return type == REG_EXPAND_SZ ? ExpandEnvironment(value) : value;
}

int TRegIniFile::ReadInteger(const std::string& section, const std::string& ident, int def) const
{
    // Some writers store numbers as DWORD: take those as they are.
    RegKey key = RegKey::OpenForRead(root_, Path(section));
    if (!key)
        return def;
    DWORD type = 0, value = 0, size = sizeof value;
    if (RegQueryValueExA(key.Get(), ident.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) ==
            ERROR_SUCCESS &&
        type == REG_DWORD)
        return static_cast<int>(value);
    return StrToIntDef(ReadString(section, ident, ""), def);
}

bool TRegIniFile::ReadBool(const std::string& section, const std::string& ident, bool def) const
{
    return ReadInteger(section, ident, def ? 1 : 0) != 0;
}

void TRegIniFile::WriteString(const std::string& section, const std::string& ident, const std::string& value) const
{
    RegKey key = RegKey::OpenOrCreate(root_, Path(section));
    // A value that expands environment variables stays one, so that what was read and is written
    // back keeps its type.
    DWORD type = REG_SZ;
    if (RegQueryValueExA(key.Get(), ident.c_str(), nullptr, &type, nullptr, nullptr) != ERROR_SUCCESS ||
        type != REG_EXPAND_SZ)
        type = REG_SZ;
    LONG rc = RegSetValueExA(key.Get(), ident.c_str(), 0, type, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>(value.size() + 1));
    if (rc != ERROR_SUCCESS)
        throw ERegistryException("Der Registrierungswert \"" + ident + "\" kann nicht geschrieben werden. " +
                                 SysErrorMessage(rc));
}

void TRegIniFile::WriteInteger(const std::string& section, const std::string& ident, int value) const
{
    WriteString(section, ident, IntToStr(value));
}

void TRegIniFile::WriteBool(const std::string& section, const std::string& ident, bool value) const
{
    WriteString(section, ident, value ? "1" : "0");
}

bool TRegIniFile::SectionExists(const std::string& section) const
{
    return static_cast<bool>(RegKey::OpenForRead(root_, Path(section)));
}

bool TRegIniFile::ValueExists(const std::string& section, const std::string& ident) const
{
    RegKey key = RegKey::OpenForRead(root_, Path(section));
    return key && RegQueryValueExA(key.Get(), ident.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

bool TRegIniFile::DeleteKey(const std::string& section, const std::string& ident) const
{
    HKEY raw = nullptr;
    if (RegOpenKeyExA(root_, Path(section).c_str(), 0, KEY_READ | KEY_WRITE, &raw) != ERROR_SUCCESS)
        return !SectionExists(section);
    RegKey key(raw);
    LONG rc = RegDeleteValueA(key.Get(), ident.c_str());
    return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}
