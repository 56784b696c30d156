// A folder of a test's own under the temporary folder (or another one), removed with everything
// in it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

class StagedFolder {
public:
    // The name may hold blanks, which paths handed on must then survive. `parent` ends in a
    // backslash; empty: the temporary folder.
    explicit StagedFolder(const std::string& name, const std::string& parent = "")
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = (parent.empty() ? std::string(temp) : parent) + name + " " + std::to_string(GetCurrentProcessId()) + "\\";
        Remove(path_);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~StagedFolder() { Remove(path_); }
    StagedFolder(const StagedFolder&) = delete;
    StagedFolder& operator=(const StagedFolder&) = delete;

    // With a trailing backslash.
    const std::string& Path() const { return path_; }
    // A sub-folder, made when missing, with a trailing backslash.
    std::string Folder(const std::string& relative) const
    {
        std::string folder = path_ + relative;
        CreateDirectoryA(folder.c_str(), nullptr);
        return folder + "\\";
    }
    // Sets the times of the folder (or of a sub-folder, "Sub\\") a day back, as another program's
    // look or change would move them: the shell's item-IDs of the folder then differ.
    bool AgeTimes(const std::string& subfolder = "") const
    {
        HANDLE folder = CreateFileA((path_ + subfolder).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
        if (folder == INVALID_HANDLE_VALUE)
            return false;
        FILETIME now;
        GetSystemTimeAsFileTime(&now);
        ULARGE_INTEGER time = {{now.dwLowDateTime, now.dwHighDateTime}};
        time.QuadPart -= 24ULL * 3600 * 10000000;
        const FILETIME dayBefore = {time.LowPart, time.HighPart};
        const bool set = SetFileTime(folder, nullptr, &dayBefore, &dayBefore) != 0;
        CloseHandle(folder);
        return set;
    }
    // The names of the files (not folders) in the folder or in a sub-folder ("Sub\\").
    std::vector<std::string> Files(const std::string& subfolder = "") const
    {
        std::vector<std::string> names;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path_ + subfolder + "*").c_str(), &found);
        if (search == INVALID_HANDLE_VALUE)
            return names;
        do {
            if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                names.push_back(found.cFileName);
        } while (FindNextFileA(search, &found));
        FindClose(search);
        return names;
    }

    // Removes everything inside `folder` (with a trailing backslash) and, unless `keepFolder`,
    // the folder itself.
    static void Remove(const std::string& folder, bool keepFolder = false)
    {
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, folder.c_str(), -1, wide, MAX_PATH);
        RemoveWide(wide, keepFolder);
    }
    // Wide, so that names the code page cannot hold go too; links are never followed.
    static void RemoveWide(const std::wstring& folder, bool keepFolder = false)
    {
        WIN32_FIND_DATAW found;
        HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::wstring name = found.cFileName;
                if (name == L"." || name == L"..")
                    continue;
                const std::wstring path = folder + name;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
                    continue;
                if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                    RemoveWide(path + L"\\");
                } else {
                    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                    DeleteFileW(path.c_str());
                }
            } while (FindNextFileW(search, &found));
            FindClose(search);
        }
        if (!keepFolder)
            RemoveDirectoryW(folder.c_str());
    }

private:
    std::string path_;
};
