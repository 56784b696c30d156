// Drag and drop of file lists: the list, readers and writers of the shell's three clipboard
// forms (CF_HDROP, the item-ID-list array, the file name map), and the component that drags,
// drops, copies and pastes such lists.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include "DragDrop.h"
#include "ListSort.h"
#include "ShellMemory.h"

#include <string>
#include <vector>

struct TFDDListItem {
    ItemIdList Pidl;          // absolute
    std::string Name;         // full path
    std::string MappedName;   // the name the shell's file name map gives
};

// Items keep the order in which they were added; the list frees them.
class TFileList : public TSortedList {
public:
    TFileList();
    ~TFileList();
    TFileList(const TFileList&) = delete;
    TFileList& operator=(const TFileList&) = delete;

    // Keeps a copy of `pidl` (nullptr stays nullptr).
    int AddItem(LPCITEMIDLIST pidl, const std::string& name);
    int AddItemMapped(LPCITEMIDLIST pidl, const std::string& name, const std::string& mappedName);
    TFDDListItem& Item(int index) const { return *static_cast<TFDDListItem*>(Items(index)); }
};

// Readers of the three forms. A block never is read beyond `size` bytes.
void ReadDropFiles(TFileList& list, const void* block, SIZE_T size);
// Raises Exception "A non-existing filename is mapped" for a name beyond the last item.
void ReadFileNameMap(TFileList& list, const void* block, SIZE_T size, bool wide);
void ReadIDListArray(TFileList& list, const void* block, SIZE_T size);
// Fill in the missing form of every item; false when one could not be had.
bool CompletePIDLs(TFileList& list);
bool CompleteNames(TFileList& list);

// Writers of the blocks, as the data object offers them.
std::vector<BYTE> WriteIDListArray(const TFileList& list);   // empty when an item has no list
std::vector<BYTE> WriteDropFiles(const TFileList& list);     // empty when an item has no name
std::vector<BYTE> WriteFileNameMap(const std::vector<std::string>& names, bool wide);

enum TFileExMustDnD : unsigned { nvFilename = 1, nvPIDL = 2 };
using TFileExMustDnDSet = unsigned;

// A snapshot of a file list as OLE data: the list may change while it is on the clipboard.
class TDataObjectFilesEx : public TDataObject {
public:
    TDataObjectFilesEx(const TFileList& list, bool pidlsValid, bool namesValid);
    HRESULT RenderData(const FORMATETC& format, STGMEDIUM& medium) override;
    bool HasData(bool needPidls, bool needNames) const;

private:
    std::vector<BYTE> idLists_;
    std::vector<BYTE> dropFiles_;
    std::vector<std::string> mappedNames_;
    bool hasMappedNames_ = false;
};

class TDragDropFilesEx;

class TDropTargetFilesEx : public TDropTarget {
public:
    explicit TDropTargetFilesEx(TDragDropFilesEx* owner);

protected:
    void AcceptDataObject(IDataObject* data, bool& accept) override;
    void RenderDropped(IDataObject* data, DWORD keyState, POINTL pt, DWORD& effect) override;

private:
    TDragDropFilesEx* files_;
};

class TDragDropFilesEx : public TDragDrop {
public:
    explicit TDragDropFilesEx(TComponent* owner);

    TFileList FileList;
    TFileExMustDnDSet NeedValid = 0;
    bool CompleteFileList = true;
    bool FileNamesMapped = false;

    // The result of DoDragDrop, or 0 when no drag was started.
    int ExecuteDrag();
    bool CopyListToClipboard() override;
    // The paste: fills FileList from the clipboard.
    bool ReadClipboard() override;

private:
    friend class TDropTargetFilesEx;
    // The data object for FileList, or nothing when the list does not meet NeedValid.
    ComPtr<TDataObjectFilesEx> MakeDataObject();
};
