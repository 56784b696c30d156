// Recognising the main program's hand-over file by its exact place.
#include <windows.h>

#include "HandOverFile.h"

#include "ExactNames.h"
#include "SysUtils.h"

#include <vector>

const char* const HandOverFileName = "temp$$$.ico";

namespace {

// A path API that answers with the length it needs when the buffer is too small.
template <typename Query>
std::string Asked(const std::string& path, Query query)
{
    std::vector<char> buffer(MAX_PATH);
    for (int attempt = 0; attempt < 2; ++attempt) {
        DWORD length = query(path.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length == 0)
            return std::string();
        if (length < buffer.size())
            return std::string(buffer.data(), length);
        buffer.resize(length + 1);
    }
    return std::string();
}

}  // namespace

std::string NormalisedPath(const std::string& path)
{
    if (Trim(path).empty())
        return std::string();
    std::string full = Asked(path, [](const char* p, char* out, DWORD size) {
        return GetFullPathNameA(p, size, out, nullptr);
    });
    if (full.empty())
        return path;
    // Only names that exist have a long form; a missing file keeps its full path.
    std::string longer = Asked(full, [](const char* p, char* out, DWORD size) { return GetLongPathNameA(p, out, size); });
    return longer.empty() ? full : longer;
}

bool IsHandOverFile(const std::string& path, const std::string& programFolder)
{
    if (Trim(path).empty() || Trim(programFolder).empty())
        return false;
    const std::string expected = NormalisedPath(IncludeTrailingBackslash(programFolder) + HandOverFileName);
    // A link of that name is not the file the main program wrote: deleting it could take the
    // file it points at.
    return SameText(NormalisedPath(path), expected) && !IsLinkEntry(path);
}
