// Exact names of files and folders over the wide file functions.
#include <windows.h>

#include "ExactNames.h"

#include "Handles.h"

#include <cwchar>

namespace {

constexpr wchar_t InvalidNameChars[] = L"\\/:*?\"<>|";

wchar_t UpperAscii(wchar_t c)
{
    return c >= L'a' && c <= L'z' ? static_cast<wchar_t>(c - L'a' + L'A') : c;
}

bool IsDeviceName(const std::wstring& name)
{
    std::wstring stem = name.substr(0, name.find(L'.'));
    while (!stem.empty() && stem.back() == L' ')
        stem.pop_back();
    for (wchar_t& c : stem)
        c = UpperAscii(c);
    static const wchar_t* const devices[] = {L"CON", L"PRN", L"AUX", L"NUL", L"CLOCK$", L"CONIN$", L"CONOUT$"};
    for (const wchar_t* device : devices)
        if (stem == device)
            return true;
    return stem.size() == 4 && (stem.compare(0, 3, L"COM") == 0 || stem.compare(0, 3, L"LPT") == 0) &&
           stem[3] >= L'1' && stem[3] <= L'9';
}

// The platform takes "/" between components as well as "\\".
std::wstring WithBackslashes(std::wstring path)
{
    for (wchar_t& c : path)
        if (c == L'/')
            c = L'\\';
    return path;
}

// Where the components of a path begin: after "X:\", "X:" or "\\server\share\"; npos for a path
// in a form these functions do not take ("\\?\...").
size_t ComponentsStart(const std::wstring& path)
{
    if (path.size() >= 2 && path[1] == L':')
        return path.size() >= 3 && path[2] == L'\\' ? 3 : 2;
    if (path.compare(0, 2, L"\\\\") == 0) {
        if (path.size() > 2 && (path[2] == L'?' || path[2] == L'.'))
            return std::wstring::npos;
        const size_t server = path.find(L'\\', 2);
        if (server == std::wstring::npos)
            return std::wstring::npos;
        const size_t share = path.find(L'\\', server + 1);
        return share == std::wstring::npos ? path.size() : share + 1;
    }
    return path.compare(0, 1, L"\\") == 0 ? 1 : 0;
}

std::vector<std::wstring> Components(const std::wstring& path, size_t start)
{
    std::vector<std::wstring> parts;
    size_t at = start;
    while (at < path.size()) {
        size_t slash = path.find(L'\\', at);
        if (slash == std::wstring::npos)
            slash = path.size();
        parts.push_back(path.substr(at, slash - at));
        at = slash + 1;
    }
    return parts;
}

std::wstring LongPath(const std::wstring& path)
{
    DWORD size = GetLongPathNameW(path.c_str(), nullptr, 0);
    if (size == 0)
        return std::wstring();
    std::wstring out(size, L'\0');
    size = GetLongPathNameW(path.c_str(), &out[0], size);
    if (size == 0 || size >= out.size())
        return std::wstring();
    out.resize(size);
    return out;
}

TFoundEntry EntryOf(const WIN32_FIND_DATAW& found, const std::string& exact)
{
    TFoundEntry entry;
    WIN32_FIND_DATAA& data = entry.Data;
    data.dwFileAttributes = found.dwFileAttributes;
    data.ftCreationTime = found.ftCreationTime;
    data.ftLastAccessTime = found.ftLastAccessTime;
    data.ftLastWriteTime = found.ftLastWriteTime;
    data.nFileSizeHigh = found.nFileSizeHigh;
    data.nFileSizeLow = found.nFileSizeLow;
    data.dwReserved0 = found.dwReserved0;
    data.dwReserved1 = found.dwReserved1;
    lstrcpynA(data.cFileName, exact.c_str(), MAX_PATH);
    std::string alias;
    if (ExactAnsi(found.cAlternateFileName, alias))
        lstrcpynA(data.cAlternateFileName, alias.c_str(), sizeof data.cAlternateFileName);
    entry.DisplayName = DisplayAnsi(found.cFileName);
    return entry;
}

bool SameIdentity(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b)
{
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber && a.nFileIndexHigh == b.nFileIndexHigh &&
           a.nFileIndexLow == b.nFileIndexLow;
}

// Where the platform finds the entry after following every link; empty where it cannot tell.
std::wstring FinalPath(const std::wstring& path)
{
    using FinalPathFunction = DWORD(WINAPI*)(HANDLE, LPWSTR, DWORD, DWORD);
    static const auto finalPath = reinterpret_cast<FinalPathFunction>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleA("kernel32.dll"), "GetFinalPathNameByHandleW")));
    if (!finalPath)
        return std::wstring();
    const FileHandle handle(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle)
        return std::wstring();
    std::wstring out(1024, L'\0');
    DWORD size = finalPath(handle.get(), &out[0], static_cast<DWORD>(out.size()), 0);
    if (size >= out.size()) {
        out.assign(size + 1, L'\0');
        size = finalPath(handle.get(), &out[0], static_cast<DWORD>(out.size()), 0);
    }
    if (size == 0 || size >= out.size())
        return std::wstring();
    out.resize(size);
    if (out.compare(0, 8, L"\\\\?\\UNC\\") == 0)
        return L"\\" + out.substr(7);
    if (out.compare(0, 4, L"\\\\?\\") == 0)
        return out.substr(4);
    return out;
}

// A name in `folder` (wide, with its backslash) nobody holds.
std::wstring FreeTemporaryName(const std::wstring& folder)
{
    for (unsigned attempt = 0; attempt < 1000; ++attempt) {
        wchar_t name[40];
        swprintf(name, 40, L"~ql%08lX%03u.tmp", GetTickCount() ^ GetCurrentProcessId(), attempt);
        const std::wstring path = folder + name;
        if (GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES && GetLastError() == ERROR_FILE_NOT_FOUND)
            return path;
    }
    return std::wstring();
}

// The name the entry of `path` carries on the disk now; empty when it is gone.
std::wstring NameOnDisk(const std::wstring& path)
{
    WIN32_FIND_DATAW found;
    const FindHandle search(FindFirstFileW(path.c_str(), &found));
    return search ? std::wstring(found.cFileName) : std::wstring();
}

}  // namespace

bool NameKeptByPlatform(const std::wstring& name)
{
    if (name.empty() || name.back() == L'.' || name.back() == L' ')
        return false;
    for (wchar_t c : name)
        if (c < 32 || std::wcschr(InvalidNameChars, c))
            return false;
    return !IsDeviceName(name);
}

bool NameKeptByPlatform(const std::string& name)
{
    return NameKeptByPlatform(WideOf(name));
}

bool ExactAnsi(const std::wstring& wide, std::string& ansi)
{
    ansi.clear();
    if (wide.empty())
        return true;
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                         nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return false;
    ansi.assign(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()), &ansi[0], size,
                        nullptr, &usedDefault);
    // Some code pages map several characters to one byte without calling it a default.
    return !usedDefault && WideOf(ansi) == wide;
}

std::string DisplayAnsi(const std::wstring& wide)
{
    if (wide.empty())
        return std::string();
    const int size = WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                         nullptr);
    std::string ansi(size > 0 ? static_cast<size_t>(size) : 0, '\0');
    if (size > 0)
        WideCharToMultiByte(CP_ACP, 0, wide.data(), static_cast<int>(wide.size()), &ansi[0], size, nullptr, nullptr);
    return ansi;
}

std::wstring WideOf(const std::string& ansi)
{
    if (ansi.empty())
        return std::wstring();
    const int size = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(size > 0 ? static_cast<size_t>(size) : 0, L'\0');
    if (size > 0)
        MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), &wide[0], size);
    return wide;
}

bool ExactEntryName(const WIN32_FIND_DATAW& found, std::string& exact)
{
    const std::wstring name = found.cFileName;
    if (NameKeptByPlatform(name) && ExactAnsi(name, exact) && exact.size() < MAX_PATH)
        return true;
    const std::wstring alias = found.cAlternateFileName;
    return !alias.empty() && NameKeptByPlatform(alias) && ExactAnsi(alias, exact);
}

std::vector<TFoundEntry> FindExactEntries(const std::string& folder, const std::string& mask)
{
    std::vector<TFoundEntry> entries;
    if (!PathKeptByPlatform(folder))
        return entries;
    std::wstring pattern = WithBackslashes(WideOf(folder));
    if (!pattern.empty() && pattern.back() != L'\\')
        pattern += L'\\';
    pattern += WideOf(mask);
    WIN32_FIND_DATAW found;
    const FindHandle search(FindFirstFileW(pattern.c_str(), &found));
    if (!search)
        return entries;
    do {
        if (std::wcscmp(found.cFileName, L".") == 0 || std::wcscmp(found.cFileName, L"..") == 0)
            continue;
        std::string exact;
        if (ExactEntryName(found, exact))
            entries.push_back(EntryOf(found, exact));
    } while (FindNextFileW(search.get(), &found));
    return entries;
}

bool FindExactEntry(const std::string& path, TFoundEntry& entry)
{
    const std::wstring wide = WithBackslashes(WideOf(path));
    if (!PathKeptByPlatform(wide) || ComponentsStart(wide) >= wide.size())
        return false;
    WIN32_FIND_DATAW found;
    const FindHandle search(FindFirstFileW(wide.c_str(), &found));
    std::string exact;
    if (!search || !ExactEntryName(found, exact))
        return false;
    entry = EntryOf(found, exact);
    return true;
}

bool ExactEntryExists(const std::string& path)
{
    TFoundEntry entry;
    return FindExactEntry(path, entry);
}

bool PathKeptByPlatform(const std::wstring& given)
{
    const std::wstring path = WithBackslashes(given);
    const size_t start = ComponentsStart(path);
    if (start == std::wstring::npos)
        return false;
    // The drive or server part holds no pattern either.
    for (size_t i = 0; i < start; ++i)
        if (path[i] == L'*' || path[i] == L'?')
            return false;
    const std::vector<std::wstring> parts = Components(path, start);
    for (size_t i = 0; i < parts.size(); ++i)
        if (!NameKeptByPlatform(parts[i]) && !(parts[i].empty() && i + 1 == parts.size()))
            return false;
    return true;
}

bool PathKeptByPlatform(const std::string& path)
{
    return PathKeptByPlatform(WideOf(path));
}

bool ExactWidePath(const std::string& path, std::wstring& wide)
{
    wide.clear();
    std::wstring given = WithBackslashes(WideOf(path));
    // A bare drive is its root here, never the drive's current folder.
    if (given.size() == 2 && given[1] == L':')
        given += L'\\';
    if (!PathKeptByPlatform(given))
        return false;
    std::wstring full = LongPath(given);
    if (full.empty() || !PathKeptByPlatform(full))
        return false;
    wide = full;
    return true;
}

bool ExactWideTarget(const std::string& path, std::wstring& wide)
{
    wide.clear();
    const std::wstring given = WithBackslashes(WideOf(path));
    const std::wstring name = WideLastComponent(given);
    const std::wstring parent = WideParentOf(given);
    std::string parentAnsi;
    std::wstring parentWide;
    if (parent.empty() || !NameKeptByPlatform(name) || !ExactAnsi(parent, parentAnsi) ||
        !ExactWidePath(parentAnsi, parentWide))
        return false;
    if (parentWide.back() != L'\\')
        parentWide += L'\\';
    wide = parentWide + name;
    return true;
}

bool ExactAnsiPath(const std::wstring& given, std::string& result)
{
    const std::wstring wide = WithBackslashes(given);
    result.clear();
    const size_t start = ComponentsStart(wide);
    if (start == std::wstring::npos)
        return false;
    std::wstring walked = wide.substr(0, start);
    std::string path;
    if (!ExactAnsi(walked, path))
        return false;
    const std::vector<std::wstring> parts = Components(wide, start);
    for (size_t i = 0; i < parts.size(); ++i) {
        const std::wstring& part = parts[i];
        if (part.empty()) {
            if (i + 1 != parts.size())
                return false;
            break;
        }
        std::string exact;
        if (!NameKeptByPlatform(part) || !ExactAnsi(part, exact)) {
            // Its alias, from the folder's own list: a search for the name could read it as a pattern.
            exact.clear();
            WIN32_FIND_DATAW found;
            const std::wstring folder = walked.empty() || walked.back() == L'\\' ? walked : walked + L'\\';
            const FindHandle search(FindFirstFileW((folder + L"*").c_str(), &found));
            bool matched = false;
            if (search)
                do
                    matched = std::wcscmp(found.cFileName, part.c_str()) == 0;
                while (!matched && FindNextFileW(search.get(), &found));
            if (!matched || !ExactEntryName(found, exact))
                return false;
        }
        if (!walked.empty() && walked.back() != L'\\')
            walked += L'\\';
        walked += part;
        if (!path.empty() && path.back() != '\\')
            path += '\\';
        path += exact;
    }
    if (!wide.empty() && wide.back() == L'\\' && (path.empty() || path.back() != '\\'))
        path += '\\';
    result = path;
    return true;
}

std::wstring WideLastComponent(const std::wstring& path)
{
    std::wstring trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == L'\\')
        trimmed.pop_back();
    const size_t slash = trimmed.rfind(L'\\');
    return slash == std::wstring::npos ? trimmed : trimmed.substr(slash + 1);
}

std::wstring WideParentOf(const std::wstring& path)
{
    std::wstring trimmed = path;
    while (trimmed.size() > 1 && trimmed.back() == L'\\')
        trimmed.pop_back();
    const size_t slash = trimmed.rfind(L'\\');
    return slash == std::wstring::npos ? std::wstring() : trimmed.substr(0, slash + 1);
}

bool FileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info)
{
    const FileHandle handle(CreateFileW(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                        nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return handle && GetFileInformationByHandle(handle.get(), &info);
}

bool IsLinkEntry(const std::wstring& path, DWORD attributes)
{
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return false;
    if (attributes & FILE_ATTRIBUTE_REPARSE_POINT)
        return true;
    // Some systems show a link to a file as the file itself: where the platform really finds it
    // tells. A drive mapped onto a folder changes the path but neither the name nor the folder.
    const std::wstring final = FinalPath(path);
    const std::wstring named = LongPath(path);
    if (final.empty() || named.empty() || WideParentOf(named).empty())
        return false;
    if (lstrcmpiW(WideLastComponent(final).c_str(), WideLastComponent(named).c_str()) != 0)
        return true;
    BY_HANDLE_FILE_INFORMATION finalFolder = {}, namedFolder = {};
    return FileIdentity(WideParentOf(final), finalFolder) && FileIdentity(WideParentOf(named), namedFolder) &&
           !SameIdentity(finalFolder, namedFolder);
}

bool IsLinkEntry(const std::string& path)
{
    std::wstring wide;
    if (!ExactWidePath(path, wide))
        wide = WideOf(path);
    return IsLinkEntry(wide, GetFileAttributesW(wide.c_str()));
}

bool RenameExactly(const std::string& path, const std::string& newName, DWORD& error)
{
    error = ERROR_SUCCESS;
    std::wstring oldPath;
    const std::wstring name = WideOf(newName);
    if (!ExactWidePath(path, oldPath) || WideParentOf(oldPath).empty()) {
        error = ERROR_FILE_NOT_FOUND;
        return false;
    }
    if (!NameKeptByPlatform(name)) {
        error = ERROR_INVALID_NAME;
        return false;
    }
    const std::wstring folder = WideParentOf(oldPath);
    const std::wstring newPath = folder + name;
    const std::wstring oldName = WideLastComponent(oldPath);
    if (oldName == name)
        return true;
    auto fail = [&error] {
        error = GetLastError();
        if (error == ERROR_SUCCESS)
            error = ERROR_ACCESS_DENIED;
        return false;
    };
    if (lstrcmpiW(oldName.c_str(), name.c_str()) != 0) {
        // Never over another entry: MoveFile refuses an existing target.
        if (!MoveFileW(oldPath.c_str(), newPath.c_str()))
            return fail();
        if (NameOnDisk(newPath) == name)
            return true;
        // The file system chose its own spelling: it holds the entry under another name.
        MoveFileW(newPath.c_str(), oldPath.c_str());
        error = ERROR_INVALID_NAME;
        return false;
    }
    // Only the case changes; some systems report such a rename as done and keep the old case.
    const std::wstring temporary = FreeTemporaryName(folder);
    if (temporary.empty() || !MoveFileW(oldPath.c_str(), temporary.c_str()))
        return fail();
    if (!MoveFileW(temporary.c_str(), newPath.c_str())) {
        const bool failed = fail();
        MoveFileW(temporary.c_str(), oldPath.c_str());
        return failed;
    }
    if (NameOnDisk(newPath) == name)
        return true;
    error = ERROR_INVALID_NAME;
    return false;
}
