// The INI-style registry class: a key under a chosen root is the "file", its subkeys are the
// sections, string values the entries. Every call opens its key, does one thing and closes it again.
#pragma once

#include <windows.h>
#include <string>

// Owns one open registry key.
class RegKey {
public:
    RegKey() = default;
    explicit RegKey(HKEY key) : key_(key) {}
    ~RegKey() { Reset(); }
    RegKey(RegKey&& other) noexcept : key_(other.key_) { other.key_ = nullptr; }
    RegKey& operator=(RegKey&& other) noexcept;
    RegKey(const RegKey&) = delete;
    RegKey& operator=(const RegKey&) = delete;

    HKEY Get() const { return key_; }
    explicit operator bool() const { return key_ != nullptr; }
    void Reset();

    // Opening for reading never creates a key.
    static RegKey OpenForRead(HKEY root, const std::string& path);
    static RegKey OpenOrCreate(HKEY root, const std::string& path);

private:
    HKEY key_ = nullptr;
};

class TRegIniFile {
public:
    // baseKey may be empty: sections are then key paths below the root. A leading backslash is allowed.
    explicit TRegIniFile(HKEY root = HKEY_CURRENT_USER, const std::string& baseKey = "");

    HKEY RootKey() const { return root_; }
    const std::string& FileName() const { return base_; }

    // Missing keys or values, and values of another type, read as the default. A REG_EXPAND_SZ
    // value comes back with its environment variables expanded.
    std::string ReadString(const std::string& section, const std::string& ident, const std::string& def) const;
    int ReadInteger(const std::string& section, const std::string& ident, int def) const;
    bool ReadBool(const std::string& section, const std::string& ident, bool def) const;

    // Create the section when missing; throw ERegistryException when the platform refuses.
    // Strings are written as REG_SZ, or as REG_EXPAND_SZ where the value there is one.
    void WriteString(const std::string& section, const std::string& ident, const std::string& value) const;
    void WriteInteger(const std::string& section, const std::string& ident, int value) const;
    void WriteBool(const std::string& section, const std::string& ident, bool value) const;

    bool SectionExists(const std::string& section) const;
    bool ValueExists(const std::string& section, const std::string& ident) const;
    // True when the value is gone afterwards (also when it never existed).
    bool DeleteKey(const std::string& section, const std::string& ident) const;

private:
    std::string Path(const std::string& section) const;

    HKEY root_;
    std::string base_;
};
