// Shell item-ID lists in the shell allocator's memory, the shell's names for paths, and the
// clipboard formats of the shell's drag and drop, registered at start-up.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "ComPtr.h"
#include "ShellMemory.h"

#include <string>

// The shell's clipboard formats, in the order they are registered.
extern const UINT CF_FILECONTENTS;
extern const UINT CF_FILEGROUPDESCRIPTOR;
extern const UINT CF_FILENAME;
extern const UINT CF_FILENAMEMAP;
extern const UINT CF_FILENAMEMAPW;
extern const UINT CF_INSHELLDRAGLOOP;
extern const UINT CF_NETRESOURCE;
extern const UINT CF_PASTESUCCEEDED;
extern const UINT CF_PERFORMEDDROPEFFECT;
extern const UINT CF_PREFERREDDROPEFFECT;
extern const UINT CF_PRINTERFRIENDLYNAME;
extern const UINT CF_SHELLIDLIST;
extern const UINT CF_SHELLIDLISTOFFSET;
extern const UINT CF_URL;

// The item behind the first one; nullptr for nullptr.
LPITEMIDLIST NextID(LPCITEMIDLIST list);
// The bytes of a list with its terminator; 0 for nullptr.
UINT GetPIDLSize(LPCITEMIDLIST list);
// `size` zeroed bytes from the shell allocator; empty when it has none.
ItemIdList CreatePIDL(UINT size);
// The first list's items followed by the second's; empty when memory runs out.
ItemIdList ConcatPIDLs(LPCITEMIDLIST first, LPCITEMIDLIST second);
ItemIdList CopyPIDL(LPCITEMIDLIST list);
// A copy of the list without its last item, and a copy of that item alone; both empty for
// nullptr. A one-item list gives an empty parent list.
void SplitPIDL(LPCITEMIDLIST list, ItemIdList& parent, ItemIdList& item);
// Byte-wise equality; false when either is nullptr.
bool PIDLsEqual(LPCITEMIDLIST a, LPCITEMIDLIST b);
// Whether two absolute lists name one shell item: byte-wise equal, or equal to the desktop's
// comparison. An item-ID carries the times the shell found, so the same folder parsed twice can
// differ in its bytes (a first look at a folder may change its last-access time).
bool SameShellItem(LPCITEMIDLIST a, LPCITEMIDLIST b);

// The list of a path, parsed by the desktop folder; empty on any failure.
ItemIdList PathToPIDL(const std::string& path);
// A name parsed by `folder`, relative to it; empty on failure.
ItemIdList ParseRelativePath(IShellFolder* folder, const std::string& name);
// The folder of a list, bound from the desktop.
bool BindToFolder(LPCITEMIDLIST list, ComPtr<IShellFolder>& folder);
// The display name of `item` in `folder` (nullptr: the desktop), at most `length` - 1 characters.
bool GetPIDLDisplayName(IShellFolder* folder, LPCITEMIDLIST item, DWORD flags, char* buffer, int length);
