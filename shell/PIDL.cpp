// Item-ID lists over the shell allocator, and the shell's clipboard formats.
#include <windows.h>
#include <shlobj.h>

#include "PIDL.h"

#include "ExactNames.h"
#include "LateLibrary.h"

#include <cstring>

const UINT CF_FILECONTENTS = RegisterClipboardFormatA("FileContents");
const UINT CF_FILEGROUPDESCRIPTOR = RegisterClipboardFormatA("FileGroupDescriptor");
const UINT CF_FILENAME = RegisterClipboardFormatA("FileName");
const UINT CF_FILENAMEMAP = RegisterClipboardFormatA("FileNameMap");
const UINT CF_FILENAMEMAPW = RegisterClipboardFormatA("FileNameMapW");
const UINT CF_INSHELLDRAGLOOP = RegisterClipboardFormatA("InShellDragLoop");
const UINT CF_NETRESOURCE = RegisterClipboardFormatA("Net Resource");
const UINT CF_PASTESUCCEEDED = RegisterClipboardFormatA("Paste Succeeded");
const UINT CF_PERFORMEDDROPEFFECT = RegisterClipboardFormatA("Performed DropEffect");
const UINT CF_PREFERREDDROPEFFECT = RegisterClipboardFormatA("Preferred DropEffect");
const UINT CF_PRINTERFRIENDLYNAME = RegisterClipboardFormatA("PrinterFriendlyName");
const UINT CF_SHELLIDLIST = RegisterClipboardFormatA("Shell IDList Array");
const UINT CF_SHELLIDLISTOFFSET = RegisterClipboardFormatA("Shell Object Offsets");
const UINT CF_URL = RegisterClipboardFormatA("UniformResourceLocator");

namespace {

ComPtr<IShellFolder> Desktop()
{
    ComPtr<IShellFolder> desktop;
    if (FAILED(Shell32::SHGetDesktopFolder(desktop.put())))
        desktop.reset();
    return desktop;
}

USHORT ItemSize(LPCITEMIDLIST item)
{
    USHORT size;
    std::memcpy(&size, item, sizeof size);
    return size;
}

ItemIdList Parse(IShellFolder* folder, std::wstring name)
{
    ItemIdList list;
    if (!folder)
        return list;
    ULONG eaten = 0;
    if (FAILED(folder->ParseDisplayName(nullptr, nullptr, &name[0], &eaten, list.put(), nullptr)))
        list.reset();
    return list;
}

// A path on a drive or a share is parsed under its exact long name: the shell would read a
// best-fit spelling as another file, and "?" or "*" as a pattern.
bool IsFileSystemPath(const std::string& path)
{
    return (path.size() >= 2 && path[1] == ':') || path.compare(0, 2, "\\\\") == 0;
}

}  // namespace

LPITEMIDLIST NextID(LPCITEMIDLIST list)
{
    if (!list)
        return nullptr;
    return reinterpret_cast<LPITEMIDLIST>(const_cast<BYTE*>(reinterpret_cast<const BYTE*>(list) + ItemSize(list)));
}

UINT GetPIDLSize(LPCITEMIDLIST list)
{
    if (!list)
        return 0;
    UINT size = sizeof(USHORT);
    for (LPCITEMIDLIST item = list; ItemSize(item) != 0; item = NextID(item))
        size += ItemSize(item);
    return size;
}

ItemIdList CreatePIDL(UINT size)
{
    ItemIdList list(static_cast<LPITEMIDLIST>(ShellAlloc(size)));
    if (list)
        std::memset(list.get(), 0, size);
    return list;
}

ItemIdList ConcatPIDLs(LPCITEMIDLIST first, LPCITEMIDLIST second)
{
    const UINT firstBytes = first ? GetPIDLSize(first) - sizeof(USHORT) : 0;
    // A missing second list still leaves room for the terminator.
    const UINT secondBytes = second ? GetPIDLSize(second) : sizeof(USHORT);
    ItemIdList result = CreatePIDL(firstBytes + secondBytes);
    if (!result)
        return result;
    if (first)
        std::memcpy(result.get(), first, firstBytes);
    if (second)
        std::memcpy(reinterpret_cast<BYTE*>(result.get()) + firstBytes, second, secondBytes);
    return result;
}

ItemIdList CopyPIDL(LPCITEMIDLIST list)
{
    if (!list)
        return ItemIdList();
    const UINT size = GetPIDLSize(list);
    ItemIdList copy = CreatePIDL(size);
    if (copy)
        std::memcpy(copy.get(), list, size);
    return copy;
}

void SplitPIDL(LPCITEMIDLIST list, ItemIdList& parent, ItemIdList& item)
{
    parent.reset();
    item.reset();
    if (!list)
        return;
    parent = CopyPIDL(list);
    if (!parent || ItemSize(parent.get()) == 0)
        return;
    LPITEMIDLIST last = parent.get();
    for (LPITEMIDLIST next = NextID(last); ItemSize(next) != 0; next = NextID(next))
        last = next;
    const USHORT lastBytes = ItemSize(last);
    item = CreatePIDL(lastBytes + sizeof(USHORT));
    if (item)
        std::memcpy(item.get(), last, lastBytes);
    std::memset(last, 0, sizeof(USHORT));
}

bool PIDLsEqual(LPCITEMIDLIST a, LPCITEMIDLIST b)
{
    if (!a || !b)
        return false;
    const UINT size = GetPIDLSize(a);
    return size == GetPIDLSize(b) && std::memcmp(a, b, size) == 0;
}

bool SameShellItem(LPCITEMIDLIST a, LPCITEMIDLIST b)
{
    if (PIDLsEqual(a, b))
        return true;
    // The desktop itself (an empty list) is no item the desktop compares.
    if (!a || !b || GetPIDLSize(a) <= sizeof(USHORT) || GetPIDLSize(b) <= sizeof(USHORT))
        return false;
    ComPtr<IShellFolder> desktop = Desktop();
    if (!desktop)
        return false;
    const HRESULT order = desktop->CompareIDs(0, a, b);
    return SUCCEEDED(order) && HRESULT_CODE(order) == 0;
}

ItemIdList PathToPIDL(const std::string& path)
{
    if (!IsFileSystemPath(path))
        return Parse(Desktop().get(), WideOf(path));
    std::wstring exact;
    if (!ExactWidePath(path, exact))
        return ItemIdList();
    return Parse(Desktop().get(), exact);
}

ItemIdList ParseRelativePath(IShellFolder* folder, const std::string& name)
{
    return Parse(folder, WideOf(name));
}

bool BindToFolder(LPCITEMIDLIST list, ComPtr<IShellFolder>& folder)
{
    folder.reset();
    ComPtr<IShellFolder> desktop = Desktop();
    if (!desktop)
        return false;
    if (FAILED(desktop->BindToObject(list, nullptr, IID_IShellFolder, folder.put_void()))) {
        folder.reset();
        return false;
    }
    return true;
}

bool GetPIDLDisplayName(IShellFolder* folder, LPCITEMIDLIST item, DWORD flags, char* buffer, int length)
{
    if (!buffer || length <= 0)
        return false;
    ComPtr<IShellFolder> desktop;
    if (!folder) {
        desktop = Desktop();
        folder = desktop.get();
    }
    if (!folder)
        return false;
    STRRET name = {};
    if (FAILED(folder->GetDisplayNameOf(item, flags, &name)))
        return false;
    switch (name.uType) {
    case STRRET_WSTR: {
        const ShellPtr<wchar_t> wide(name.pOleStr);
        // Converted whole, then cut to the buffer: a short buffer still gets a terminated text.
        int needed = WideCharToMultiByte(CP_ACP, 0, wide.get(), -1, nullptr, 0, nullptr, nullptr);
        std::string narrow(needed > 0 ? needed : 1, '\0');
        WideCharToMultiByte(CP_ACP, 0, wide.get(), -1, &narrow[0], needed, nullptr, nullptr);
        lstrcpynA(buffer, narrow.c_str(), length);
        return true;
    }
    case STRRET_OFFSET:
        lstrcpynA(buffer, reinterpret_cast<const char*>(item) + name.uOffset, length);
        return true;
    case STRRET_CSTR:
        lstrcpynA(buffer, name.cStr, length);
        return true;
    default:
        return false;
    }
}
