// String and path helpers.
#include <windows.h>

#include "BaseUtils.h"

#include "ExactNames.h"
#include "SysUtils.h"

void ReplaceChars(std::string& s, const std::string& pairs)
{
    if (pairs.empty() || pairs.size() % 2 != 0)
        return;
    for (size_t i = 0; i < pairs.size(); i += 2)
        for (char& c : s)
            if (c == pairs[i])
                c = pairs[i + 1];
}

bool ContainsAnyChar(const std::string& chars, const std::string& s)
{
    return s.find_first_of(chars) != std::string::npos;
}

bool GetDirectoryAttr(const std::string& path, DWORD& attributes)
{
    attributes = 0;
    // "C:x" is a path relative to the drive's current folder, not its root.
    const bool root = (path.size() == 2 || (path.size() == 3 && (path[2] == '\\' || path[2] == '/'))) &&
                      path[1] == ':';
    if (root)
        return true;
    // Exactly the folder named: a pattern or a name the platform would change finds none.
    TFoundEntry found;
    if (!FindExactEntry(RemoveBackslash(path), found) || !(found.Data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    attributes = found.Data.dwFileAttributes;
    return true;
}

bool IsDirectory(const std::string& path)
{
    DWORD attributes;
    return GetDirectoryAttr(path, attributes);
}

std::string AddBackslash(const std::string& s)
{
    return s.empty() || s.back() == '\\' ? s : s + '\\';
}

std::string RemoveBackslash(const std::string& s)
{
    return !s.empty() && s.back() == '\\' ? s.substr(0, s.size() - 1) : s;
}

std::string ExtractFileNameNoExt(const std::string& path)
{
    std::string name = ExtractFileName(path);
    std::string::size_type dot = name.rfind('.');
    return dot == std::string::npos ? name : name.substr(0, dot);
}

void IntToThousands(int64_t value, std::string& s)
{
    char separator[8] = {};
    if (!GetLocaleInfoA(LOCALE_USER_DEFAULT, LOCALE_STHOUSAND, separator, sizeof separator))
        separator[0] = '.';
    std::string digits = std::to_string(value < 0 ? 0 : value);
    s.clear();
    for (size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0)
            s += separator;
        s += digits[i];
    }
}
