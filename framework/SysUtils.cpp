#include "SysUtils.h"

#include <windows.h>
#include <cstdlib>
#include <cerrno>
#include <climits>

namespace {

bool IsPathDelimiter(char c) { return c == '\\' || c == '/' || c == ':'; }

std::string::size_type LastDelimiter(const std::string& path)
{
    for (auto i = path.size(); i > 0; --i)
        if (IsPathDelimiter(path[i - 1]))
            return i - 1;
    return std::string::npos;
}

}  // namespace

std::string ExtractFileName(const std::string& path)
{
    auto at = LastDelimiter(path);
    return at == std::string::npos ? path : path.substr(at + 1);
}

std::string ExtractFilePath(const std::string& path)
{
    auto at = LastDelimiter(path);
    return at == std::string::npos ? std::string() : path.substr(0, at + 1);
}

std::string ExtractFileExt(const std::string& path)
{
    for (auto i = path.size(); i > 0; --i) {
        char c = path[i - 1];
        if (c == '.')
            return path.substr(i - 1);
        if (IsPathDelimiter(c))
            break;
    }
    return std::string();
}

std::string ChangeFileExt(const std::string& path, const std::string& ext)
{
    std::string current = ExtractFileExt(path);
    return path.substr(0, path.size() - current.size()) + ext;
}

std::string IncludeTrailingBackslash(const std::string& path)
{
    if (!path.empty() && path.back() == '\\')
        return path;
    return path + '\\';
}

std::string ExcludeTrailingBackslash(const std::string& path)
{
    if (!path.empty() && path.back() == '\\')
        return path.substr(0, path.size() - 1);
    return path;
}

bool FileExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(const std::string& path)
{
    std::string dir = ExcludeTrailingBackslash(path);
    if (dir.empty())
        return false;
    if (DirectoryExists(dir) || (dir.size() == 2 && dir[1] == ':'))
        return true;
    std::string parent = ExtractFilePath(dir);
    if (!parent.empty() && parent != dir + '\\' && !ForceDirectories(parent))
        return false;
    return CreateDirectoryA(dir.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS;
}

std::string AnsiUpperCase(const std::string& s)
{
    std::string out = s;
    if (!out.empty())
        CharUpperBuffA(&out[0], static_cast<DWORD>(out.size()));
    return out;
}

std::string AnsiLowerCase(const std::string& s)
{
    std::string out = s;
    if (!out.empty())
        CharLowerBuffA(&out[0], static_cast<DWORD>(out.size()));
    return out;
}

bool SameText(const std::string& a, const std::string& b)
{
    return AnsiUpperCase(a) == AnsiUpperCase(b);
}

int ParamCount()
{
    return __argc > 0 ? __argc - 1 : 0;
}

std::string ParamStr(int index)
{
    if (index < 0 || index >= __argc || !__argv || !__argv[index])
        return "";
    return __argv[index];
}

std::string IntToStr(long long value)
{
    return std::to_string(value);
}

int StrToIntDef(const std::string& s, int fallback)
{
    std::string t = Trim(s);
    if (t.empty())
        return fallback;
    char* end = nullptr;
    errno = 0;
    long v = std::strtol(t.c_str(), &end, 10);
    if (*end != '\0' || errno == ERANGE || v < INT_MIN || v > INT_MAX)
        return fallback;
    return static_cast<int>(v);
}

int NumberBase(const std::string& s, size_t& at)
{
    if (at < s.size() && s[at] == '$') {
        ++at;
        return 16;
    }
    if (at + 1 < s.size() && s[at] == '0' && (s[at + 1] == 'x' || s[at + 1] == 'X')) {
        at += 2;
        return 16;
    }
    return 10;
}

std::string Trim(const std::string& s)
{
    auto begin = s.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos)
        return std::string();
    auto end = s.find_last_not_of(" \t\r\n");
    return s.substr(begin, end - begin + 1);
}
