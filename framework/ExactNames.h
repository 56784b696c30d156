// How the programs name a file so that they find exactly that file again.
//
// The programs speak ANSI. A name the ANSI code page cannot hold comes back from an ANSI search in
// a best-fit spelling ("Ωmega" as "Omega") or with question marks, which then name another entry
// or act as a pattern; a name with trailing dots, a device name or a pattern character means
// something else to the platform than what lies on the disk. So every entry that is listed keeps
// its exact name: its long name where the code page holds it and the platform takes it as it is,
// else its short alias. Calls that take wide names get the entry's long name back from the exact
// one. An entry that has neither is not listed: nothing could reach it safely.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

// One entry of a folder.
struct TFoundEntry {
    WIN32_FIND_DATAA Data = {};   // cFileName: the exact name; cAlternateFileName: the 8.3 alias
    std::string DisplayName;      // the long name as the platform shows it in ANSI
};

// Whether the platform keeps `name` as it stands: none of \ / : * ? " < > | or control
// characters, no trailing dot or blank, not "." or "..", no device name.
bool NameKeptByPlatform(const std::wstring& name);
bool NameKeptByPlatform(const std::string& name);
// The name in the ANSI code page, character for character; false when it holds one it cannot.
bool ExactAnsi(const std::wstring& wide, std::string& ansi);
// The name as the platform shows it in ANSI (best fit, unknown characters as "?").
std::string DisplayAnsi(const std::wstring& wide);
std::wstring WideOf(const std::string& ansi);
// The exact name of a found entry (see above); false when it has none.
bool ExactEntryName(const WIN32_FIND_DATAW& found, std::string& exact);

// Every entry but "." and ".." that `mask` (a file name pattern, "*.*" for all) finds in
// `folder`, each under its exact name. A folder that names no folder exactly gives none.
std::vector<TFoundEntry> FindExactEntries(const std::string& folder, const std::string& mask = "*.*");
// The one entry an exact path names; false when there is none, or when the path holds a pattern
// character or a component the platform would change.
bool FindExactEntry(const std::string& path, TFoundEntry& entry);
bool ExactEntryExists(const std::string& path);
// Whether every component of a path after its drive or server part is kept by the platform.
bool PathKeptByPlatform(const std::string& path);
bool PathKeptByPlatform(const std::wstring& path);

// The long wide path of an existing entry named by an exact ANSI path; false when the path names
// nothing, or holds a pattern or a component the platform would change.
bool ExactWidePath(const std::string& path, std::wstring& wide);
// The wide path of a name to be given: its folder as above, its last component as it stands
// (case included), which the platform must keep.
bool ExactWideTarget(const std::string& path, std::wstring& wide);
// The ANSI path that names exactly the entry of a wide path: each component that the code page
// cannot hold, or the platform would not keep, as its alias. False when a component has neither.
// Components of a path that does not exist must be exact themselves.
bool ExactAnsiPath(const std::wstring& wide, std::string& path);

// The last component of a wide path, and the path before it (with its backslash; "" for none);
// a trailing backslash is passed over.
std::wstring WideLastComponent(const std::wstring& path);
std::wstring WideParentOf(const std::wstring& path);

// The volume and index of what a wide path reaches, following links; false when it cannot be
// opened.
bool FileIdentity(const std::wstring& path, BY_HANDLE_FILE_INFORMATION& info);

// Whether an entry leads to another one: a link of the file system (a symbolic link or junction),
// whose deletion could reach what it points at.
bool IsLinkEntry(const std::string& path);
// The same, for the wide path of an entry whose attributes are known.
bool IsLinkEntry(const std::wstring& path, DWORD attributes);

// Renames an entry within its folder so that it carries exactly `newName` afterwards, a change of
// case included (made through a free temporary name where a direct rename keeps the old case).
// False, with the entry under its old name, when that could not be done; `error` tells why.
bool RenameExactly(const std::string& path, const std::string& newName, DWORD& error);
