// Drag and drop of file lists: the list, the shell's clipboard forms, and the component.
#include <windows.h>
#include <shlobj.h>

#include "DragDropFilesEx.h"

#include "ExactNames.h"
#include "Exceptions.h"
#include "LateLibrary.h"
#include "PIDL.h"

#include <cstring>
#include <memory>
#include <utility>

namespace {

// A global memory block locked for reading while the view lives.
class GlobalView {
public:
    explicit GlobalView(HGLOBAL memory) : memory_(memory)
    {
        if (memory_) {
            data_ = GlobalLock(memory_);
            size_ = data_ ? GlobalSize(memory_) : 0;
        }
    }
    ~GlobalView()
    {
        if (data_)
            GlobalUnlock(memory_);
    }
    GlobalView(const GlobalView&) = delete;
    GlobalView& operator=(const GlobalView&) = delete;
    const void* Data() const { return data_; }
    SIZE_T Size() const { return size_; }

private:
    HGLOBAL memory_;
    const void* data_ = nullptr;
    SIZE_T size_ = 0;
};

// A medium fetched from a data object, released when done with.
class FetchedMedium {
public:
    FetchedMedium(IDataObject* data, UINT format)
    {
        FORMATETC request = {static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
        fetched_ = data && SUCCEEDED(data->GetData(&request, &medium_)) && medium_.tymed == TYMED_HGLOBAL &&
                   medium_.hGlobal;
    }
    ~FetchedMedium()
    {
        if (fetched_ || medium_.tymed != TYMED_NULL)
            Ole32::ReleaseStgMedium(&medium_);
    }
    FetchedMedium(const FetchedMedium&) = delete;
    FetchedMedium& operator=(const FetchedMedium&) = delete;
    explicit operator bool() const { return fetched_; }
    HGLOBAL Memory() const { return medium_.hGlobal; }

private:
    STGMEDIUM medium_ = {};
    bool fetched_ = false;
};

UINT Read32(const BYTE* block, SIZE_T offset)
{
    UINT value;
    std::memcpy(&value, block + offset, sizeof(value));
    return value;
}

void Put32(std::vector<BYTE>& bytes, SIZE_T offset, UINT value)
{
    std::memcpy(bytes.data() + offset, &value, sizeof(value));
}

void AppendList(std::vector<BYTE>& bytes, LPCITEMIDLIST list)
{
    const BYTE* p = reinterpret_cast<const BYTE*>(list);
    bytes.insert(bytes.end(), p, p + GetPIDLSize(list));
}

// The bytes of the item-ID list at `offset` with its terminator, or 0 when it runs off the block.
SIZE_T ListSizeAt(const BYTE* block, SIZE_T size, SIZE_T offset)
{
    SIZE_T position = offset;
    while (position + 2 <= size) {
        USHORT cb;
        std::memcpy(&cb, block + position, sizeof(cb));
        if (cb == 0)
            return position + 2 - offset;
        if (cb < 2)
            return 0;
        position += cb;
    }
    return 0;
}

// Zero-terminated texts up to an empty one, never beyond the block. Wide paths become the
// exact paths of their entries; one that no 8-bit path can name exactly is left out.
std::vector<std::string> ReadNames(const void* block, SIZE_T size, SIZE_T start, bool wide, bool paths)
{
    std::vector<std::string> names;
    const BYTE* bytes = static_cast<const BYTE*>(block);
    SIZE_T position = start;
    if (!wide) {
        while (position < size) {
            const char* text = reinterpret_cast<const char*>(bytes + position);
            SIZE_T length = strnlen(text, size - position);
            if (length == 0 || position + length >= size)
                break;
            names.emplace_back(text, length);
            position += length + 1;
        }
        return names;
    }
    while (position + 2 <= size) {
        std::wstring text;
        WCHAR ch;
        while (position + 2 <= size) {
            std::memcpy(&ch, bytes + position, 2);
            position += 2;
            if (ch == 0)
                break;
            text.push_back(ch);
        }
        if (text.empty() || ch != 0)
            break;
        std::string name;
        if (!paths)
            names.push_back(DisplayAnsi(text));
        else if (ExactAnsiPath(text, name))
            names.push_back(name);
    }
    return names;
}

void Offer(TDataObject& data, UINT format)
{
    FORMATETC offer = {static_cast<CLIPFORMAT>(format), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    STGMEDIUM none = {};
    data.SetData(&offer, &none, FALSE);
}

bool IsWin9x()
{
    return (GetVersion() & 0x80000000u) != 0;
}

}  // namespace

// ---- TFileList ----

TFileList::TFileList()
{
    OnItemDelete = [](TSortedList&, void* item) {
        delete static_cast<TFDDListItem*>(item);
    };
}

TFileList::~TFileList()
{
    Clear();
}

int TFileList::AddItem(LPCITEMIDLIST pidl, const std::string& name)
{
    return AddItemMapped(pidl, name, "");
}

int TFileList::AddItemMapped(LPCITEMIDLIST pidl, const std::string& name, const std::string& mappedName)
{
    auto* record = new TFDDListItem;
    record->Pidl = CopyPIDL(pidl);
    record->Name = name;
    record->MappedName = mappedName;
    return Add(record);
}

// ---- Readers ----

void ReadDropFiles(TFileList& list, const void* block, SIZE_T size)
{
    if (!block || size < sizeof(DROPFILES))
        return;
    const auto* header = static_cast<const DROPFILES*>(block);
    for (const std::string& name : ReadNames(block, size, header->pFiles, header->fWide != 0, true))
        list.AddItem(nullptr, name);
}

void ReadFileNameMap(TFileList& list, const void* block, SIZE_T size, bool wide)
{
    if (!block || size < 1)
        return;
    std::vector<std::string> names = ReadNames(block, size, 0, wide, false);
    for (size_t k = 0; k < names.size(); ++k) {
        if (static_cast<int>(k) >= list.Count())
            throw Exception("A non-existing filename is mapped");
        list.Item(static_cast<int>(k)).MappedName = names[k];
    }
}

void ReadIDListArray(TFileList& list, const void* block, SIZE_T size)
{
    if (!block || size < 8)
        return;
    const BYTE* bytes = static_cast<const BYTE*>(block);
    const UINT count = Read32(bytes, 0);
    if (count > (size - 8) / 4)
        return;
    const bool fresh = list.Count() == 0;
    LPCITEMIDLIST parent = nullptr;
    SIZE_T position = Read32(bytes, 4);
    for (UINT k = 0; k < count && position < size;) {
        const SIZE_T listSize = ListSizeAt(bytes, size, position);
        if (listSize == 0)
            return;
        auto current = reinterpret_cast<LPCITEMIDLIST>(bytes + position);
        if (position == Read32(bytes, 8 + 4 * k) && parent) {
            ItemIdList absolute = ConcatPIDLs(parent, current);
            if (fresh)
                list.AddItem(absolute.get(), "");
            else if (static_cast<int>(k) < list.Count())
                list.Item(static_cast<int>(k)).Pidl = std::move(absolute);
            ++k;
        } else {
            parent = current;
        }
        position += listSize;
    }
}

bool CompletePIDLs(TFileList& list)
{
    bool complete = true;
    for (int i = 0; i < list.Count(); ++i) {
        TFDDListItem& item = list.Item(i);
        if (item.Pidl)
            continue;
        if (!item.Name.empty())
            item.Pidl = PathToPIDL(item.Name);
        if (!item.Pidl)
            complete = false;
    }
    return complete;
}

bool CompleteNames(TFileList& list)
{
    bool complete = true;
    for (int i = 0; i < list.Count(); ++i) {
        TFDDListItem& item = list.Item(i);
        if (!item.Pidl || !item.Name.empty())
            continue;
        // A file's path is taken exactly; the display name of a parse could name another file.
        wchar_t path[MAX_PATH] = {};
        if (Shell32::SHGetPathFromIDListW(item.Pidl.get(), path)) {
            if (!ExactAnsiPath(path, item.Name))
                complete = false;
            continue;
        }
        ItemIdList parent, last;
        SplitPIDL(item.Pidl.get(), parent, last);
        ComPtr<IShellFolder> folder;
        // A child of the desktop has an empty parent: the desktop itself answers.
        bool bound = parent && (GetPIDLSize(parent.get()) <= 2 || BindToFolder(parent.get(), folder));
        char name[1025] = {};
        if (bound && last && GetPIDLDisplayName(folder.get(), last.get(), SHGDN_FORPARSING, name, sizeof(name)))
            item.Name = name;
        else
            complete = false;
    }
    return complete;
}

// ---- Writers ----

std::vector<BYTE> WriteIDListArray(const TFileList& list)
{
    const UINT count = static_cast<UINT>(list.Count());
    std::vector<BYTE> bytes(4 * count + 8, 0);
    Put32(bytes, 0, count);
    Put32(bytes, 4, 4 * count + 8);
    ItemIdList lastParent;
    bool complete = true;
    for (UINT k = 0; k < count && complete; ++k) {
        const TFDDListItem& item = list.Item(static_cast<int>(k));
        if (!item.Pidl) {
            complete = false;
            break;
        }
        ItemIdList parent, last;
        SplitPIDL(item.Pidl.get(), parent, last);
        // The same folder may come in other bytes (times): its items still share one parent list.
        if (!lastParent || !SameShellItem(parent.get(), lastParent.get())) {
            AppendList(bytes, parent.get());
            lastParent = std::move(parent);
        }
        Put32(bytes, 8 + 4 * k, static_cast<UINT>(bytes.size()));
        AppendList(bytes, last.get());
    }
    if (!complete)
        bytes.clear();
    return bytes;
}

std::vector<BYTE> WriteDropFiles(const TFileList& list)
{
    std::vector<BYTE> bytes(sizeof(DROPFILES), 0);
    Put32(bytes, 0, sizeof(DROPFILES));
    for (int i = 0; i < list.Count(); ++i) {
        const std::string& name = list.Item(i).Name;
        if (name.empty())
            return {};
        bytes.insert(bytes.end(), name.begin(), name.end());
        bytes.push_back(0);
    }
    bytes.push_back(0);
    return bytes;
}

std::vector<BYTE> WriteFileNameMap(const std::vector<std::string>& names, bool wide)
{
    std::vector<BYTE> bytes;
    for (const std::string& name : names) {
        if (!wide) {
            bytes.insert(bytes.end(), name.begin(), name.end());
            bytes.push_back(0);
            continue;
        }
        int length = MultiByteToWideChar(CP_ACP, 0, name.c_str(), static_cast<int>(name.size()), nullptr, 0);
        std::wstring text(length, L'\0');
        if (length > 0)
            MultiByteToWideChar(CP_ACP, 0, name.c_str(), static_cast<int>(name.size()), &text[0], length);
        const BYTE* p = reinterpret_cast<const BYTE*>(text.c_str());
        bytes.insert(bytes.end(), p, p + 2 * text.size());
        bytes.push_back(0);
        bytes.push_back(0);
    }
    bytes.push_back(0);
    if (wide)
        bytes.push_back(0);
    return bytes;
}

// ---- TDataObjectFilesEx ----

TDataObjectFilesEx::TDataObjectFilesEx(const TFileList& list, bool pidlsValid, bool namesValid)
{
    if (pidlsValid) {
        idLists_ = WriteIDListArray(list);
        if (!idLists_.empty())
            Offer(*this, CF_SHELLIDLIST);
    }
    if (namesValid) {
        dropFiles_ = WriteDropFiles(list);
        // A map only makes sense beside the names it maps.
        if (!dropFiles_.empty()) {
            Offer(*this, CF_HDROP);
            for (int i = 0; i < list.Count(); ++i) {
                mappedNames_.push_back(list.Item(i).MappedName);
                hasMappedNames_ = hasMappedNames_ || !list.Item(i).MappedName.empty();
            }
        }
    }
    if (hasMappedNames_)
        Offer(*this, IsWin9x() ? CF_FILENAMEMAP : CF_FILENAMEMAPW);
}

HRESULT TDataObjectFilesEx::RenderData(const FORMATETC& format, STGMEDIUM& medium)
{
    std::vector<BYTE> map;
    const std::vector<BYTE>* source = nullptr;
    if (format.cfFormat == CF_SHELLIDLIST && !idLists_.empty())
        source = &idLists_;
    else if (format.cfFormat == CF_HDROP && !dropFiles_.empty())
        source = &dropFiles_;
    else if (hasMappedNames_ && (format.cfFormat == CF_FILENAMEMAP || format.cfFormat == CF_FILENAMEMAPW))
        source = &(map = WriteFileNameMap(mappedNames_, format.cfFormat == CF_FILENAMEMAPW));
    if (!source)
        return E_FAIL;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT | GMEM_SHARE, source->size());
    if (!memory)
        return E_OUTOFMEMORY;
    void* target = GlobalLock(memory);
    if (!target) {
        GlobalFree(memory);
        return E_OUTOFMEMORY;
    }
    std::memcpy(target, source->data(), source->size());
    GlobalUnlock(memory);
    medium.tymed = TYMED_HGLOBAL;
    medium.hGlobal = memory;
    medium.pUnkForRelease = nullptr;
    return S_OK;
}

bool TDataObjectFilesEx::HasData(bool needPidls, bool needNames) const
{
    return !(needPidls && idLists_.empty()) && !(needNames && dropFiles_.empty());
}

// ---- TDropTargetFilesEx ----

TDropTargetFilesEx::TDropTargetFilesEx(TDragDropFilesEx* owner) : TDropTarget(owner), files_(owner) {}

void TDropTargetFilesEx::AcceptDataObject(IDataObject* data, bool& accept)
{
    accept = false;
    if (!data)
        return;
    FORMATETC drop = {CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    FORMATETC ids = {static_cast<CLIPFORMAT>(CF_SHELLIDLIST), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    const bool hasDrop = data->QueryGetData(&drop) == S_OK;
    const bool hasIds = data->QueryGetData(&ids) == S_OK;
    accept = (hasDrop || hasIds) && !((files_->NeedValid & nvFilename) && !hasDrop) &&
             !((files_->NeedValid & nvPIDL) && !hasIds);
}

void TDropTargetFilesEx::RenderDropped(IDataObject* data, DWORD, POINTL, DWORD&)
{
    TFileList& list = files_->FileList;
    list.Clear();
    files_->FileNamesMapped = false;
    if (FetchedMedium drop{data, CF_HDROP}) {
        {
            GlobalView view(drop.Memory());
            ReadDropFiles(list, view.Data(), view.Size());
        }
        bool wide = false;
        auto map = std::make_unique<FetchedMedium>(data, CF_FILENAMEMAP);
        if (!*map) {
            map = std::make_unique<FetchedMedium>(data, CF_FILENAMEMAPW);
            wide = true;
        }
        if (*map) {
            GlobalView view(map->Memory());
            ReadFileNameMap(list, view.Data(), view.Size(), wide);
            files_->FileNamesMapped = true;
        }
    }
    if (FetchedMedium ids{data, CF_SHELLIDLIST}) {
        GlobalView view(ids.Memory());
        ReadIDListArray(list, view.Data(), view.Size());
    }
}

// ---- TDragDropFilesEx ----

TDragDropFilesEx::TDragDropFilesEx(TComponent* owner) : TDragDrop(owner)
{
    ReplaceDropTarget(new TDropTargetFilesEx(this));
    SourceCompatibility = 0;
}

ComPtr<TDataObjectFilesEx> TDragDropFilesEx::MakeDataObject()
{
    bool namesComplete = true, pidlsComplete = true;
    if (CompleteFileList) {
        namesComplete = CompleteNames(FileList);
        pidlsComplete = CompletePIDLs(FileList);
        if (((NeedValid & nvFilename) && !namesComplete) || ((NeedValid & nvPIDL) && !pidlsComplete))
            return {};
    }
    if (FileList.Count() == 0)
        return {};
    ComPtr<TDataObjectFilesEx> data(new TDataObjectFilesEx(FileList, pidlsComplete, namesComplete));
    if (!data->HasData((NeedValid & nvPIDL) != 0, (NeedValid & nvFilename) != 0))
        return {};
    return data;
}

int TDragDropFilesEx::ExecuteDrag()
{
    ComPtr<TDataObjectFilesEx> data = MakeDataObject();
    return data ? DoDragDrop(data.get()) : 0;
}

bool TDragDropFilesEx::CopyListToClipboard()
{
    ComPtr<TDataObjectFilesEx> data = MakeDataObject();
    return data && data->PutOnClipboard();
}

bool TDragDropFilesEx::ReadClipboard()
{
    FileList.Clear();
    FileNamesMapped = false;
    if (!OpenClipboard(nullptr))
        return false;
    struct Closer {
        ~Closer() { CloseClipboard(); }
    } closer;
    HANDLE ids = GetClipboardData(CF_SHELLIDLIST);
    HANDLE drop = GetClipboardData(CF_HDROP);
    if (((NeedValid & nvPIDL) && !ids) || ((NeedValid & nvFilename) && !drop) || (!ids && !drop))
        return false;
    bool wide = false;
    HANDLE map = GetClipboardData(CF_FILENAMEMAP);
    if (!map) {
        map = GetClipboardData(CF_FILENAMEMAPW);
        wide = map != nullptr;
    }
    if (drop) {
        GlobalView view(drop);
        ReadDropFiles(FileList, view.Data(), view.Size());
    }
    if (ids) {
        GlobalView view(ids);
        ReadIDListArray(FileList, view.Data(), view.Size());
    }
    if (map) {
        GlobalView view(map);
        ReadFileNameMap(FileList, view.Data(), view.Size(), wide);
        FileNamesMapped = true;
    }
    return true;
}
