// The walk through a folder tree, with the identities of the folders above as the loop guard.
#include <windows.h>

#include "FolderWalk.h"

#include "ExactNames.h"
#include "Handles.h"

#include <algorithm>
#include <cwchar>
#include <vector>

namespace {

struct TFolderId {
    DWORD volume;
    DWORD high;
    DWORD low;
    bool operator==(const TFolderId& other) const
    {
        return volume == other.volume && high == other.high && low == other.low;
    }
};

bool IdOf(const std::wstring& path, TFolderId& id)
{
    BY_HANDLE_FILE_INFORMATION info;
    if (!FileIdentity(path, info))
        return false;
    id = {info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
    return true;
}

class TWalker {
public:
    TWalker(const TFolderWalkLimits& limits, TFolderWalk& result) : limits_(limits), result_(result) {}

    // False when the walk stops.
    bool Walk(const std::wstring& folder, size_t relative, int depth)
    {
        if (depth > limits_.maxDepth)
            return Stop(result_.tooLarge, folder);
        TFolderId id;
        if (!IdOf(folder, id))
            return true;
        if (std::find(above_.begin(), above_.end(), id) != above_.end())
            return Stop(result_.loop, folder);
        above_.push_back(id);
        WIN32_FIND_DATAW found;
        const FindHandle search(FindFirstFileW((folder + L"\\*").c_str(), &found));
        bool going = true;
        if (search)
            do {
                if (std::wcscmp(found.cFileName, L".") == 0 || std::wcscmp(found.cFileName, L"..") == 0)
                    continue;
                const std::wstring path = folder + L"\\" + found.cFileName;
                const size_t below = relative + 1 + std::wcslen(found.cFileName);
                result_.longestRelative = std::max(result_.longestRelative, below);
                if (++result_.entries > limits_.maxEntries)
                    going = Stop(result_.tooLarge, path);
                else if (limits_.linksStop && IsLinkEntry(path, found.dwFileAttributes))
                    going = Stop(result_.link, path);
                else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                    going = Walk(path, below, depth + 1);
            } while (going && FindNextFileW(search.get(), &found));
        above_.pop_back();
        return going;
    }

private:
    bool Stop(bool& reason, const std::wstring& where)
    {
        reason = true;
        result_.where = where;
        return false;
    }

    const TFolderWalkLimits& limits_;
    TFolderWalk& result_;
    std::vector<TFolderId> above_;
};

}  // namespace

TFolderWalk WalkFolder(const std::wstring& folder, const TFolderWalkLimits& limits)
{
    TFolderWalk result;
    TWalker(limits, result).Walk(folder, 0, 0);
    return result;
}
